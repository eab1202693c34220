#!/usr/bin/env bash
# Deliberate faults, one at a time: each is applied to the source, the native and the Wine test
# programs are rebuilt and run (and the end-to-end tests a fault names, which run the real
# programs), the source is put back. Every fault must make a test fail; the script tells which
# tests caught each, lists those that no test caught and exits 1 when there is one.
#   scripts/mutants.sh            all faults
#   scripts/mutants.sh 3          only fault 3
# It builds in build/native and build/windows (as the test command does); run it on a clean tree.
set -uo pipefail
cd "$(dirname "$0")/.."

# file | exact text | replacement | what the fault is | the end-to-end tests to run too (a ctest -R pattern)
# (⏎ in a text stands for a line break)
mutants=(
  "src/catalogue/ServiceCatalogue.cpp|            if (at[i] > at[j]) {|            if (at[i] >= at[j]) {|the exchange sort swaps equal names"
  "src/catalogue/ServiceCatalogue.cpp|    return static_cast<unsigned char>(*p) > static_cast<unsigned char>(*q);|    return static_cast<unsigned char>(*p) >= static_cast<unsigned char>(*q);|a name counts as greater than an equal one"
  "src/catalogue/ServiceCatalogue.cpp|    if (n < 2) return;|    if (n < 2) { items.clear(); return; }|a list of one item loses it"
  "src/catalogue/Paths.cpp|    const bool doubleCounts = Count(text, '\"') >= 2;|    const bool doubleCounts = Count(text, '\"') >= 1;|a single unpaired double quote counts as a quote"
  "src/listbox/ItemLayout.cpp|        glyphTop = top + textHeight + px(2);|        glyphTop = top + textHeight + px(2) - 1;|blGlyphBottom puts the glyph a row too high"
  "src/listbox/GraphicListBox.cpp|    const int x = places.textLeft;|    const int x = places.textLeft + 1;|the lines are drawn a column right of where the layout puts them"
  "src/listbox/GraphicListBox.cpp|    if (flat_ && selected) canvas.DrawFocusRect(rect);|    if (flat_ && selected) { canvas.DrawFocusRect(rect); canvas.DrawFocusRect(rect); }|the focus rectangle is drawn twice on one surface (and so vanishes)"
  "src/catalogue/ServiceDetails.cpp|        if (end == begin) break;||the walk over DependOnService does not stop at the empty name"
  "src/ui/Unit2.cpp|    if (GLB_DependFrom.ItemIndex() >= 0) return entryAt(lists_.dependents.entries, GLB_DependFrom.ItemIndex());|    if (false) return nullptr;|the lower list's selection is not the one shown"
  "src/catalogue/IncrementalSearch.cpp|    const bool fresh = characters == 1|    const bool fresh = characters >= 1|type-to-find leaves a matching item when more letters are typed"
  "src/control/ServiceRestart.cpp|status.checkPoint != last.checkPoint|status.checkPoint > last.checkPoint + 1000000|a restart's wait gives up on a service that makes progress"
  "src/model/ServiceModel.cpp|    can.restart = can.stop;|    can.restart = true;|restart is offered for a service that cannot be stopped"
  "src/catalogue/CatalogueCsv.cpp|    if (text.find_first_of(\"\\\",\\r\\n\") == std::string_view::npos)|    if (text.find_first_of(\"\\\"\\r\\n\") == std::string_view::npos)|a CSV field holding a comma is not quoted"
  "src/model/ServiceModel.cpp|tab.pause = tab.resume = false;|tab.pause = false;|a paused service that takes no continue is offered 再開"
  "src/model/ServiceModel.cpp|    can.update = can.startType && startChoice_.has_value() && idle;|    can.update = can.startType && idle;|更新 is offered with no start type chosen"
  "src/control/ServiceState.cpp|    ServiceDetailsShown shown;|    ServiceDetailsShown shown; shown.startItem = 2;|a start type that cannot be read (no \"Start\", no key) shows as 無効"
  "src/model/ServiceModel.cpp|    can.startType = !details_.keyMissing;|    can.startType = true;|a service without a key offers a start type to set"
  "src/control/ServiceCommands.cpp|    if (!service_) return openError_ != 0 ? openError_ : kErrorInvalidHandle;|    if (!service_) return kErrorInvalidHandle;|the error of opening the service is dropped"
  "src/control/ServiceCommands.cpp|kTimeOutTexts[static_cast<std::size_t>(command)]|kTimeOutTexts[static_cast<std::size_t>(command) * 0]|every time-out is told as a start's"
  "src/catalogue/ServiceDetails.cpp|            read = FileRead{stamp, std::nullopt, std::nullopt};|            read.stamp = stamp;|an executable written since it was read is not read again"
  "src/catalogue/CatalogueMemory.cpp|servicesKey_->Changed();|(servicesKey_->Changed() && false);|the services' keys are not read again when the registry reports a change"
  "src/catalogue/CatalogueMemory.cpp|            std::erase_if(keys_, [this](const auto& known) {|            keys_.clear(); std::erase_if(keys_, [this](const auto& known) {|every service's key is read again after any change under the services' key"
  "src/model/ServiceSession.cpp|requests != requests_|false|the live list shows a reading that a request of the user's overtook"
  "src/model/SessionRequests.cpp|                                      [this](CatalogueBuild& lists) { Finish({}, &lists, std::nullopt); });|                                      [this, serviceName](CatalogueBuild& lists) { Finish({}, &lists, AfterRequest{std::nullopt, serviceName, inputs_}); });|a refresh puts back the selection it began with"
  "src/model/ServiceSession.cpp|    if (after && after->inputs == inputs_) {|    if (after) {|a command's end takes back the service or tab the person chose while it ran"
  "src/model/ServiceSession.cpp|    RunDeferred();|    (void)0;|a command chosen in the list's menu while a request is under way is dropped"
  "src/model/SessionRequests.cpp|        [this](std::string& refusal) { Finish(refusal, nullptr, std::nullopt); }, true);|        [this](std::string& refusal) { Finish(refusal, nullptr, std::nullopt); }, false);|the program's end does not wait for a save under way"
  "src/model/SessionSequences.cpp|            if (!result.outcome.done) result.failure =|            if (false) result.failure =|a stop with the dependents cut short by a refusal is told as done"
  "src/model/ServiceModel.cpp|    {false, false, false, false},  // start pending|    {false, true, false, false},  // start pending|a service still starting offers 停止"
  "src/control/DependentServices.cpp|            if (running(dependent)) order.push_back(dependent);|            if (running(dependent)) order.insert(order.begin(), dependent);|the dependents are stopped the shallowest first"
  "src/text/AnsiText.cpp|    for (std::size_t i = 0; i + part.size() <= text.size(); i += CharLength(text, i))|    for (std::size_t i = 0; i + part.size() <= text.size(); ++i)|the filter matches the trail byte of a double-byte character"
  "src/toolkit/ListBox.cpp|    const std::size_t common = std::min(texts.size(), texts_.size());|    const std::size_t common = 0;|the list's items are all removed and added again instead of changed in place"
  "src/ui/Unit1View.cpp|    BB_Update.SetEnabled(can.update);|    BB_Update.SetEnabled(can.startType);|更新 can be pressed with no start type chosen"
  "src/ui/Unit1View.cpp|        if (otherTab) GLB_List.SetTopIndex(0);|        GLB_List.SetTopIndex(0);|the tab shown loses its scroll position when the lists follow the services|MainWindow.FollowsServicesChangedElsewhereKeepingSelectionAndScroll"
  "src/ui/Unit1Input.cpp|        session_->StepTab(command == kCmdNextTab ? 1 : -1);|        session_->StepTab(1);|Ctrl+Shift+Tab shows the next tab, not the one before|Shortcuts.EachKeyHasItsEffectFromEveryControlThatHoldsTheFocus"
  "src/ui/Unit1Input.cpp|            if (AskNoByDefault(question->text, Handle())) question->onYes();|            if (ShowMessageDialog(question->text, mtConfirmation, DialogButtons(mbYes) + DialogButtons(mbNo), 0, Handle()) == mrYes) question->onYes();|a question whose はい cannot be taken back (the dependents, the process) has はい as its default|ServiceTasks\\."
  "src/ui/Unit2.cpp|                                            LL_DependFrom.Height() + statusHeight + Scale(kVerticalGaps))) /|                                            LL_DependFrom.Height() + statusHeight + kVerticalGaps)) /|above 96 DPI the dependencies window's lower list runs under 参照 and 閉じる|HighDpi"
  "src/model/ServiceModel.cpp|        selected_ = index;⏎        return;|        selected_ = index;⏎        startChoice_.reset();⏎        return;|a start type chosen and not sent is dropped when the lists are read again"
  "src/model/ServiceModel.cpp|    can.saveList = idle && catalogue_ != nullptr;|    can.saveList = catalogue_ != nullptr;|一覧を保存 is offered while a request is under way"
  "src/model/ServiceSession.cpp|    listedAt_ = ListedAtText(now[0], now[1], now[2]);|    if (lists.catalogue) listedAt_ = ListedAtText(now[0], now[1], now[2]);|F5 with nothing changed leaves 最終更新 at the old time"
  "src/model/SessionRequests.cpp|            Finish(outcome.refusal, outcome.lists ? &*outcome.lists : nullptr, after, done);⏎        },⏎        true);|            Finish(outcome.refusal, outcome.lists ? &*outcome.lists : nullptr, after, done);⏎        },⏎        false);|closing the window during a restart ends it with the service stopped"
  "src/model/SessionRequests.cpp|outcome.step == RestartStep::Start ? ServiceCommand::Start : ServiceCommand::Stop;|ServiceCommand::Stop;|a restart whose start times out tells of the stop request"
  "src/platform/Win32Files.cpp|file.c_str(), MOVEFILE_REPLACE_EXISTING|file.c_str(), 0|a save onto an existing file fails|Shortcuts.TheMenuSaves"
  "src/toolkit/Form.cpp|    if (accelerators_ && ::TranslateAcceleratorA(|    if (accelerators_ && ::GetParent(message.hwnd) == Handle() && ::TranslateAcceleratorA(|the window's keys do nothing while a control inside a panel holds the focus|Shortcuts.EachKeyHasItsEffectFromEveryControlThatHoldsTheFocus"
)

log=$(mktemp)
trap 'rm -f "$log"' EXIT
wine_run=(tests/wine/wine-run --root build/windows/wine)

# Builds and runs the suites with the fault in, into $log; end-to-end: the tests it names.
build_and_test() {
    local e2e=$1
    : >"$log"
    # The native tests first: most faults turn them red in seconds, before the slower Wine build.
    cmake --build --preset native >/dev/null 2>&1 || return 2
    build/native/bin/rondel_unit_tests >>"$log" 2>&1 || return 1
    if [[ -n "$e2e" ]]; then
        cmake --build --preset windows >/dev/null 2>&1 || return 2
    else
        cmake --build --preset windows --target rondel_win_tests >/dev/null 2>&1 || return 2
    fi
    # The repetition test proves no growth, not behaviour; it takes a minute.
    "${wine_run[@]}" build/windows/bin/rondel_win_tests.exe --gtest_filter=-Repetition.* >>"$log" 2>&1 || return 1
    if [[ -n "$e2e" ]]; then
        ctest --preset windows -R "$e2e" --output-on-failure >>"$log" 2>&1 || return 1
    fi
    return 0
}

# The tests that failed, from GoogleTest's summary; a program that ended without one is said so.
caught_by() {
    local names
    names=$(tr -d '\r' <"$log" | sed -n -e 's/^\[  FAILED  \] \([A-Za-z0-9_]*\.[A-Za-z0-9_/]*\)$/\1/p' \
        -e 's/^[[:space:]]*[0-9]* - \([A-Za-z0-9_]*\.[A-Za-z0-9_/]*\) (Failed)$/\1/p' | sort -u | paste -sd ' ')
    echo "${names:-a test program that ended before its summary}"
}

cmake --preset native >/dev/null && cmake --preset windows >/dev/null || exit 2
"${wine_run[@]}" --setup
survivors=0
for index in "${!mutants[@]}"; do
    number=$((index + 1))
    [[ $# -gt 0 && "$1" != "$number" ]] && continue
    IFS='|' read -r file from to what e2e <<<"${mutants[$index]}"
    cp "$file" "$file.mutant-backup"
    if ! FROM="$from" TO="$to" perl -0pi -e 'BEGIN { ($f, $t) = map { s/⏎/\n/gr } @ENV{qw(FROM TO)} } s/\Q$f\E/$t/ or exit 3' "$file"; then
        echo "$number: the text to change is no longer in $file: $what"
        mv "$file.mutant-backup" "$file"
        touch "$file"
        survivors=$((survivors + 1))
        continue
    fi
    build_and_test "$e2e"
    status=$?
    mv "$file.mutant-backup" "$file"
    touch "$file"  # newer than what the fault built, so that the next build takes it again
    case $status in
        1) echo "$number: caught by $(caught_by): $what" ;;
        2) echo "$number: does not build (counts as caught): $what" ;;
        *) echo "$number: NOT CAUGHT: $what"; survivors=$((survivors + 1)) ;;
    esac
done
cmake --build --preset native >/dev/null 2>&1; cmake --build --preset windows >/dev/null 2>&1
"${wine_run[@]}" --shutdown
echo "$survivors fault(s) not caught"
[[ $survivors -eq 0 ]]

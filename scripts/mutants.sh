#!/usr/bin/env bash
# Deliberate faults, one at a time: each is applied to the source, the native and the Wine test
# programs are rebuilt and run, the source is put back. Every fault must make a test fail; the
# script lists those that did not and exits 1 when there is one.
#   scripts/mutants.sh            all faults
#   scripts/mutants.sh 3          only fault 3
# It builds in build/native and build/windows (as the test command does); run it on a clean tree.
set -uo pipefail
cd "$(dirname "$0")/.."

# file | exact text | replacement | what the fault is
mutants=(
  "src/catalogue/ServiceCatalogue.cpp|            if (at[i] > at[j]) {|            if (at[i] >= at[j]) {|the exchange sort swaps equal names"
  "src/catalogue/ServiceCatalogue.cpp|    return static_cast<unsigned char>(*p) > static_cast<unsigned char>(*q);|    return static_cast<unsigned char>(*p) >= static_cast<unsigned char>(*q);|a name counts as greater than an equal one"
  "src/catalogue/ServiceCatalogue.cpp|    if (n < 2) return;|    if (n < 2) { items.clear(); return; }|a list of one item loses it"
  "src/catalogue/Paths.cpp|    const bool doubleCounts = Count(text, '\"') >= 2;|    const bool doubleCounts = Count(text, '\"') >= 1;|a single unpaired double quote counts as a quote"
  "src/listbox/ItemLayout.cpp|        glyphTop = top + textHeight + px(2);|        glyphTop = top + textHeight + px(2) - 1;|blGlyphBottom puts the glyph a row too high"
  "src/listbox/GraphicListBox.cpp|    const int x = places.textLeft;|    const int x = places.textLeft + 1;|the lines are drawn a column right of where the layout puts them"
  "src/listbox/GraphicListBox.cpp|    if (flat_ && selected) canvas.DrawFocusRect(rect);|    if (flat_ && selected) { canvas.DrawFocusRect(rect); canvas.DrawFocusRect(rect); }|the focus rectangle is drawn twice on one surface (and so vanishes)"
  "src/control/DependencyLookup.cpp|        if (end == begin) break;||the walk over DependOnService does not stop at the empty name"
  "src/ui/Unit2.cpp|    if (GLB_DependFrom.ItemIndex() >= 0) return nameAt(lists_.dependents.entries, GLB_DependFrom.ItemIndex());|    if (false) return {};|the lower list's selection is not the one shown"
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
  "src/catalogue/CatalogueMemory.cpp|keys_.clear();|(void)0;|the services' keys are not read again when the registry reports a change"
)

build_and_test() {
    cmake --build --preset native >/dev/null 2>&1 && cmake --build --preset windows >/dev/null 2>&1 || return 2
    build/native/bin/rondel_unit_tests >/dev/null 2>&1 || return 1
    # The repetition test proves no growth, not behaviour; it takes a minute.
    tests/wine/wine-run --root build/windows/wine build/windows/bin/rondel_win_tests.exe --gtest_filter=-Repetition.* >/dev/null 2>&1 || return 1
    return 0
}

cmake --preset native >/dev/null && cmake --preset windows >/dev/null || exit 2
tests/wine/wine-run --root build/windows/wine --setup
survivors=0
for index in "${!mutants[@]}"; do
    number=$((index + 1))
    [[ $# -gt 0 && "$1" != "$number" ]] && continue
    IFS='|' read -r file from to what <<<"${mutants[$index]}"
    cp "$file" "$file.mutant-backup"
    if ! FROM="$from" TO="$to" perl -0pi -e 's/\Q$ENV{FROM}\E/$ENV{TO}/ or exit 3' "$file"; then
        echo "$number: the text to change is no longer in $file: $what"
        mv "$file.mutant-backup" "$file"
        touch "$file"
        survivors=$((survivors + 1))
        continue
    fi
    build_and_test
    status=$?
    mv "$file.mutant-backup" "$file"
    touch "$file"  # newer than what the fault built, so that the next build takes it again
    case $status in
        1) echo "$number: caught: $what" ;;
        2) echo "$number: does not build (counts as caught): $what" ;;
        *) echo "$number: NOT CAUGHT: $what"; survivors=$((survivors + 1)) ;;
    esac
done
cmake --build --preset native >/dev/null 2>&1; cmake --build --preset windows >/dev/null 2>&1
tests/wine/wine-run --root build/windows/wine --shutdown
echo "$survivors fault(s) not caught"
[[ $survivors -eq 0 ]]

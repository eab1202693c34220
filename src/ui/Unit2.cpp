#include "ui/Unit2.h"

#include <algorithm>

#include "catalogue/RegistryKey.h"
#include "catalogue/ServiceEntry.h"
#include "toolkit/Layout.h"
#include "toolkit/MessageDialog.h"
#include "ui/FormSizes.h"
#include "ui/ServiceListBox.h"
#include "model/ServiceSession.h"

namespace rondel {

using namespace platform;

namespace {

// The vertical gaps: 4 above the first label, 8 and 4 around each list's label, 4 between the
// lower list and the buttons, 4 below the buttons.
constexpr int kVerticalGaps = 36;

}  // namespace

TForm2::TForm2(TForm& owner, ServiceSession& session, const ServiceEntry& service, DependencyLists lists)
    : TForm("TForm2"),
      owner_(owner),
      session_(session),
      service_(service),
      lists_(std::move(lists)) {
    SetUpControls();
    CreateHandle();
    FormCreate();
}

TForm2::~TForm2() {
    GLB_DependTo.SetGlyphs(nullptr);
    GLB_DependFrom.SetGlyphs(nullptr);
    DestroyHandle();
}

void TForm2::SetUpControls() {
    SetCaption("サービス 依存関係");
    SetIconResource(kProgramIconId);
    SetOwnerWindow(owner_.Handle());
    SetMinimumSize(kForm2MinWidth, kForm2MinHeight);
    SetBounds(0, 0, Scale(kForm2MinWidth), Scale(kForm2MinHeight));

    BB_Close.SetParent(*this, kIdDependClose);
    BB_Close.SetKind(bkClose);
    BB_Close.SetBounds(0, 0, Scale(kPanelButtonWidth), Scale(kPanelButtonHeight));
    AddCancelButton(BB_Close);

    LL_BaseName.SetParent(*this, kIdBaseName);
    LL_BaseName.SetCaption("表示名（サービス名）");
    LL_DependTo.SetParent(*this, kIdDependToLabel);
    LL_DependTo.SetCaption("サービスが依存しているサービス");
    GLB_DependTo.SetParent(*this, kIdDependTo);
    ApplyServiceListLook(GLB_DependTo);
    GLB_DependTo.OnClick = [this] { GLB_DependToClick(); };
    LL_DependFrom.SetParent(*this, kIdDependFromLabel);
    LL_DependFrom.SetCaption("サービスに依存しているサービス");
    GLB_DependFrom.SetParent(*this, kIdDependFrom);
    ApplyServiceListLook(GLB_DependFrom);
    GLB_DependFrom.OnClick = [this] { GLB_DependFromClick(); };
    for (TLabel* label : {&LL_BaseName, &LL_DependTo, &LL_DependFrom})
        label->SetBounds(0, 0, Scale(100), Scale(kLabelHeight));

    BB_View.SetParent(*this, kIdView);
    BB_View.SetCaption("参照");
    BB_View.SetGlyphResource("GLYPH_UPDATE", 2);
    BB_View.SetBounds(0, 0, Scale(kPanelButtonWidth), Scale(kPanelButtonHeight));
    BB_View.OnClick = [this] { BB_ViewClick(); };

    StatusBar1.SetParent(*this, kIdDependStatusBar);
    StatusBar1.SetBounds(0, 0, Scale(kForm2MinWidth), Scale(kStatusBarHeight));

    SetActiveControl(BB_Close);
}

void TForm2::FormCreate() {
    SetBounds(Left(), Top(), Scale(kForm2MinWidth), Scale(kForm2MinHeight));
    const std::string& displayName = service_.displayName;
    LL_BaseName.SetCaption(displayName + " [ " + service_.serviceName + " ]");
    LL_DependTo.SetCaption(displayName + " が依存しているサービス");
    LL_DependFrom.SetCaption(displayName + " に依存しているサービス");
    // The labels are as wide as their texts.
    for (TLabel* label : {&LL_BaseName, &LL_DependTo, &LL_DependFrom})
        label->SetBounds(label->Left(), label->Top(), label->TextExtent(0).cx, Scale(kLabelHeight));

    // Each service with what the manager says of it: its state, or that it does not exist.
    const auto texts = [](const StateList& list, const std::vector<ListedState>& states) {
        std::vector<std::string> shown;
        for (std::size_t k = 0; k < list.entries.size(); ++k)
            shown.push_back(DependencyDisplayText(list.entries[k], k < states.size() ? states[k] : ListedState{}));
        return shown;
    };
    ShowServiceList(GLB_DependTo, texts(lists_.dependencies, lists_.dependencyStates), lists_.dependencies.images.get(),
                    glyphsTo_);
    ShowServiceList(GLB_DependFrom, texts(lists_.dependents, lists_.dependentStates), lists_.dependents.images.get(),
                    glyphsFrom_);
    // An odd registry value is told once the window shows.
    if (!lists_.readErrors.empty()) ShowErrorLater(lists_.readErrors.front().message);
    CenterOnScreen();
}

void TForm2::FormResize() {
    const int minWidth = Scale(kForm2MinWidth);
    const int minHeight = Scale(kForm2MinHeight);
    if (Width() < minWidth || Height() < minHeight) {
        SetBounds(Left(), Top(), std::max(Width(), minWidth), std::max(Height(), minHeight));
        return;  // the new size comes back here
    }
    const int clientWidth = ClientWidth();
    const int clientHeight = ClientHeight();
    const int statusHeight = StatusBar1.Height();
    const int closeTop = clientHeight - BB_Close.Height() - statusHeight - Scale(4);
    // Both lists get half of what is left; an odd pixel stays above the buttons.
    const int listHeight = (clientHeight - (BB_Close.Height() + LL_BaseName.Height() + LL_DependTo.Height() +
                                            LL_DependFrom.Height() + statusHeight + Scale(kVerticalGaps))) /
                           2;
    const int listWidth = clientWidth - Scale(8);
    const int dependToLabelTop = Scale(4) + LL_BaseName.Height() + Scale(8);
    const int dependToTop = dependToLabelTop + LL_DependTo.Height() + Scale(4);
    const int dependFromLabelTop = dependToTop + listHeight + Scale(8);

    TLayoutBatch batch(8);
    const int margin = Scale(4);
    batch.Place(BB_Close, clientWidth - BB_Close.Width() - margin, closeTop, BB_Close.Width(), BB_Close.Height());
    batch.Place(BB_View, margin, closeTop, BB_View.Width(), BB_View.Height());
    batch.Place(LL_BaseName, margin, margin, LL_BaseName.Width(), LL_BaseName.Height());
    batch.Place(LL_DependTo, margin, dependToLabelTop, LL_DependTo.Width(), LL_DependTo.Height());
    batch.Place(GLB_DependTo, margin, dependToTop, listWidth, listHeight);
    batch.Place(LL_DependFrom, margin, dependFromLabelTop, LL_DependFrom.Width(), LL_DependFrom.Height());
    batch.Place(GLB_DependFrom, margin, dependFromLabelTop + LL_DependFrom.Height() + margin, listWidth, listHeight);
    batch.Place(StatusBar1, 0, clientHeight - statusHeight, clientWidth, statusHeight);
}

void TForm2::SystemColorsChanged() {
    ApplyServiceListLook(GLB_DependTo);
    ApplyServiceListLook(GLB_DependFrom);
}

void TForm2::GLB_DependToClick() { GLB_DependFrom.SetItemIndex(-1); }

void TForm2::GLB_DependFromClick() { GLB_DependTo.SetItemIndex(-1); }

const ServiceEntry* TForm2::SelectedEntry() const {
    const auto entryAt = [](const std::vector<ServiceEntry>& entries, int index) {
        return index < static_cast<int>(entries.size()) ? &entries[static_cast<std::size_t>(index)] : nullptr;
    };
    // The lower list's selection comes first.
    if (GLB_DependFrom.ItemIndex() >= 0) return entryAt(lists_.dependents.entries, GLB_DependFrom.ItemIndex());
    if (GLB_DependTo.ItemIndex() >= 0) return entryAt(lists_.dependencies.entries, GLB_DependTo.ItemIndex());
    return nullptr;
}

void TForm2::BB_ViewClick() {
    const ServiceEntry* entry = SelectedEntry();
    if (entry == nullptr || entry->serviceName.empty()) return;
    if (const std::optional<std::string> refusal = session_.View(*entry)) {
        ShowMessageDialog(*refusal, mtWarning, DialogButtons(mbOK), 0, Handle());
        return;
    }
    Close();
}

}  // namespace rondel

#include "ui/Unit2.h"

#include <algorithm>

#include "catalogue/ServiceEntry.h"
#include "toolkit/Layout.h"
#include "toolkit/RegistryKey.h"
#include "ui/FormSizes.h"
#include "ui/ServiceListBox.h"
#include "ui/Unit1.h"
#include "utilities/MessageDialog.h"

namespace rondel {

using namespace platform;

namespace {

// The vertical gaps: 4 above the first label, 8 and 4 around each list's label, 4 between the
// lower list and the buttons, 4 below the buttons.
constexpr int kVerticalGaps = 36;

}  // namespace

TForm2::TForm2(Platform& system, TForm1& mainWindow)
    : TForm("TForm2"),
      system_(system),
      main_(mainWindow),
      dependencyList_{{}, system.shell.CreateImageList(32, 32)},
      dependentList_{{}, system.shell.CreateImageList(32, 32)} {
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
    SetOwnerWindow(main_.Handle());
    SetMinimumSize(kForm2MinWidth, kForm2MinHeight);
    SetBounds(0, 0, kForm2MinWidth, kForm2MinHeight);

    BB_Close.SetParent(*this, kIdDependClose);
    BB_Close.SetKind(bkClose);
    BB_Close.SetBounds(0, 0, kPanelButtonWidth, kPanelButtonHeight);

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
    for (TLabel* label : {&LL_BaseName, &LL_DependTo, &LL_DependFrom}) label->SetBounds(0, 0, 100, kLabelHeight);

    BB_View.SetParent(*this, kIdView);
    BB_View.SetCaption("参照");
    BB_View.SetGlyphResource("GLYPH_UPDATE", 2);
    BB_View.SetBounds(0, 0, kPanelButtonWidth, kPanelButtonHeight);
    BB_View.OnClick = [this] { BB_ViewClick(); };

    StatusBar1.SetParent(*this, kIdDependStatusBar);
    StatusBar1.SetBounds(0, 0, kForm2MinWidth, kStatusBarHeight);

    SetActiveControl(BB_Close);
}

void TForm2::FormCreate() {
    SetBounds(Left(), Top(), kForm2MinWidth, kForm2MinHeight);
    const std::string serviceName = main_.ED_ServiceName.Text();
    const std::string displayName = main_.ED_DisplayName.Text();
    LL_BaseName.SetCaption(displayName + " [ " + serviceName + " ]");
    LL_DependTo.SetCaption(displayName + " が依存しているサービス");
    LL_DependFrom.SetCaption(displayName + " に依存しているサービス");
    // The labels are as wide as their texts.
    for (TLabel* label : {&LL_BaseName, &LL_DependTo, &LL_DependFrom})
        label->SetBounds(label->Left(), label->Top(), label->TextExtent(0).cx, kLabelHeight);

    // An odd registry value leaves its own list empty; the other list is filled all the same,
    // and the error is told once the window shows.
    for (void (TForm2::*fill)(const std::string&) : {&TForm2::ListDependencies, &TForm2::ListDependents}) {
        try {
            (this->*fill)(serviceName);
        } catch (const RegistryError& error) {
            readErrors_.push_back({serviceName, error.what()});
        }
    }
    if (!readErrors_.empty()) ShowErrorLater(readErrors_.front().message);
    CenterOnScreen();
}

void TForm2::FormResize() {
    if (Width() < kForm2MinWidth || Height() < kForm2MinHeight) {
        SetBounds(Left(), Top(), std::max(Width(), kForm2MinWidth), std::max(Height(), kForm2MinHeight));
        return;  // the new size comes back here
    }
    const int clientWidth = ClientWidth();
    const int clientHeight = ClientHeight();
    const int statusHeight = StatusBar1.Height();
    const int closeTop = clientHeight - BB_Close.Height() - statusHeight - 4;
    // Both lists get half of what is left; an odd pixel stays above the buttons.
    const int listHeight = (clientHeight - (BB_Close.Height() + LL_BaseName.Height() + LL_DependTo.Height() +
                                            LL_DependFrom.Height() + statusHeight + kVerticalGaps)) /
                           2;
    const int listWidth = clientWidth - 8;
    const int dependToLabelTop = 4 + LL_BaseName.Height() + 8;
    const int dependToTop = dependToLabelTop + LL_DependTo.Height() + 4;
    const int dependFromLabelTop = dependToTop + listHeight + 8;

    TLayoutBatch batch(8);
    batch.Place(BB_Close, clientWidth - BB_Close.Width() - 4, closeTop, BB_Close.Width(), BB_Close.Height());
    batch.Place(BB_View, 4, closeTop, BB_View.Width(), BB_View.Height());
    batch.Place(LL_BaseName, 4, 4, LL_BaseName.Width(), LL_BaseName.Height());
    batch.Place(LL_DependTo, 4, dependToLabelTop, LL_DependTo.Width(), LL_DependTo.Height());
    batch.Place(GLB_DependTo, 4, dependToTop, listWidth, listHeight);
    batch.Place(LL_DependFrom, 4, dependFromLabelTop, LL_DependFrom.Width(), LL_DependFrom.Height());
    batch.Place(GLB_DependFrom, 4, dependFromLabelTop + LL_DependFrom.Height() + 4, listWidth, listHeight);
    batch.Place(StatusBar1, 0, clientHeight - statusHeight, clientWidth, statusHeight);
}

// The list box shows the list only once it is complete: a lookup that fails leaves it empty.
void TForm2::FillList(const std::string& serviceName, Lookup lookup, StateList& list, TGraphicListBox& listBox,
                      TImageList& glyphs) {
    listBox.Items().Clear();
    const DependencyIcons icons{reinterpret_cast<RawHandle>(main_.DriverIcon()),
                                reinterpret_cast<RawHandle>(main_.DefaultServiceIcon())};
    lookup(system_, serviceName, list, icons, readErrors_);
    FillServiceListBox(listBox, list, glyphs);
}

void TForm2::ListDependencies(const std::string& serviceName) {
    FillList(serviceName, &rondel::ListDependencies, dependencyList_, GLB_DependTo, glyphsTo_);
}

void TForm2::ListDependents(const std::string& serviceName) {
    FillList(serviceName, &rondel::ListDependents, dependentList_, GLB_DependFrom, glyphsFrom_);
}

void TForm2::GLB_DependToClick() { GLB_DependFrom.SetItemIndex(-1); }

void TForm2::GLB_DependFromClick() { GLB_DependTo.SetItemIndex(-1); }

std::string TForm2::SelectedServiceName() const {
    const auto nameAt = [](const StateList& list, int index) {
        ServiceEntry entry;
        if (index >= 0 && index < static_cast<int>(list.items.size()))
            SplitServiceItem(list.items[static_cast<std::size_t>(index)], entry);
        return entry.serviceName;
    };
    // The lower list's selection comes first.
    if (GLB_DependFrom.ItemIndex() >= 0) return nameAt(dependentList_, GLB_DependFrom.ItemIndex());
    if (GLB_DependTo.ItemIndex() >= 0) return nameAt(dependencyList_, GLB_DependTo.ItemIndex());
    return {};
}

void TForm2::BB_ViewClick() {
    const std::string serviceName = SelectedServiceName();
    if (serviceName.empty()) return;
    if (main_.SelectService(serviceName)) {
        Close();
        return;
    }
    ShowMessageDialog("ドライバサービスは表示できません。", mtWarning, DialogButtons(mbOK), 0);
}

}  // namespace rondel

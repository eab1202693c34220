// TForm1's layout: the details panel's rows, the docking of the tab strip, its page, the panel
// and the status bar, and what follows the window's width.
#include <algorithm>

#include "toolkit/Layout.h"
#include "ui/FormSizes.h"
#include "ui/Unit1.h"

namespace rondel {

void TForm1::LayOutDetailsPanel() {
    PL_Base.SetBounds(PL_Base.Left(), PL_Base.Top(), PL_Base.Width(),
                      7 * (ED_ServiceName.Height() + Scale(4)) + Scale(4));
    BV_Icon.SetBounds(Scale(4), Scale(4), IM_Icon.Width() + Scale(2), IM_Icon.Height() + Scale(2));
    IM_Icon.SetBounds(BV_Icon.Left() + Scale(1), BV_Icon.Top() + Scale(1), IM_Icon.Width(), IM_Icon.Height());

    const int labelLeft = BV_Icon.Left() + BV_Icon.Width() + Scale(4);
    const int editLeft = labelLeft + LL_ServiceName.Width() + Scale(4);
    // Each label is centred on its edit; each edit lies 4 below the one above.
    const auto row = [&](TLabel& label, TEdit& edit, int top) {
        edit.SetBounds(editLeft, top, edit.Width(), edit.Height());
        edit.SetText("");
        label.SetBounds(labelLeft, top + (edit.Height() - label.Height()) / 2, label.Width(), label.Height());
    };
    row(LL_ServiceName, ED_ServiceName, Scale(4));
    CB_Start.SetBounds(CB_Start.Left(), ED_ServiceName.Top(), CB_Start.Width(), Scale(kStartListOpenHeight));
    LL_Start.SetBounds(LL_Start.Left(), LL_ServiceName.Top(), LL_Start.Width(), LL_Start.Height());
    CB_Start.SetItemIndex(2);
    BB_Update.SetBounds(BB_Update.Left(), Scale(4), BB_Update.Width(), BB_Update.Height());
    BB_Depend.SetBounds(BB_Depend.Left(), BB_Update.Top() + BB_Update.Height() + Scale(8), BB_Depend.Width(),
                        BB_Depend.Height());

    TEdit* previous = &ED_ServiceName;
    for (auto [label, edit] : {std::pair<TLabel*, TEdit*>{&LL_DisplayName, &ED_DisplayName},
                               {&LL_Company, &ED_Company},
                               {&LL_Description, &ED_Description},
                               {&LL_FileName, &ED_FileName}}) {
        row(*label, *edit, previous->Top() + previous->Height() + Scale(4));
        previous = edit;
    }
    const int memoTop = ED_FileName.Top() + ED_FileName.Height() + Scale(4);
    MM_Description.SetBounds(editLeft, memoTop, MM_Description.Width(), PL_Base.Height() - memoTop - Scale(4));
    MM_Description.SetText("");
}

void TForm1::AlignControls() {
    RECT area{0, 0, ClientWidth(), ClientHeight()};
    {
        TLayoutBatch batch(3);
        batch.Place(StatusBar1, DockBottom(area, Scale(kStatusBarHeight)));
        batch.Place(PL_Base, DockBottom(area, PL_Base.Height()));
        batch.Place(TC_Main, area);
    }
    // The page lies over the strip's display area; the filter's bar, while open, over the list.
    RECT page = TC_Main.DisplayRect();
    ::OffsetRect(&page, TC_Main.Left(), TC_Main.Top());
    TLayoutBatch batch(3);
    if (PL_Filter.Visible()) batch.Place(PL_Filter, DockTop(page, Scale(kFilterBarHeight)));
    batch.Place(PL_Btn, DockBottom(page, Scale(kButtonBarHeight)));
    batch.Place(GLB_List, page);
}

void TForm1::FormResize() {
    const int minWidth = Scale(kForm1MinWidth);
    const int minHeight = Scale(kForm1MinHeight);
    if (Width() < minWidth || Height() < minHeight) {
        SetBounds(Left(), Top(), std::max(Width(), minWidth), std::max(Height(), minHeight));
        return;  // the new size comes back here
    }
    AlignControls();

    const int closeLeft = PL_Base.Width() - BB_Close.Width() - Scale(4);
    const int closeTop = PL_Base.Height() - BB_Close.Height() - Scale(4);
    const int labelLeft = LL_ServiceName.Left();
    const int labelWidth = LL_ServiceName.Width();
    const int startLeft = closeLeft - CB_Start.Width() - Scale(4);

    TLayoutBatch batch(14);
    batch.Place(BB_Close, closeLeft, closeTop, BB_Close.Width(), BB_Close.Height());
    batch.Place(IM_Link, closeLeft, closeTop - IM_Link.Height() - Scale(4), IM_Link.Width(), IM_Link.Height());
    batch.Move(BB_Depend, closeLeft, BB_Depend.Top());
    batch.Move(BB_Update, closeLeft, BB_Update.Top());
    // The service name ends half way between the label column and the button column.
    batch.Place(ED_ServiceName, labelLeft + labelWidth + Scale(4), ED_ServiceName.Top(),
                (closeLeft - labelLeft) / 2 - labelWidth - Scale(4), ED_ServiceName.Height());
    batch.Move(CB_Start, startLeft, CB_Start.Top());
    batch.Move(LL_Start, startLeft - LL_Start.Width() - Scale(4), LL_Start.Top());
    for (TWinControl* wide : std::initializer_list<TWinControl*>{&ED_DisplayName, &ED_Company, &ED_Description,
                                                                 &ED_FileName, &MM_Description}) {
        batch.Place(*wide, wide->Left(), wide->Top(), closeLeft - wide->Left() - Scale(4), wide->Height());
    }
}

}  // namespace rondel

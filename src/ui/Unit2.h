// TForm2: the dependencies window. Modal over the main window, it lists the services the
// selected service depends on (upper list) and the services that depend on it (lower list);
// "参照" shows the chosen one in the main window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "catalogue/ServiceCatalogue.h"
#include "catalogue/ServiceEntry.h"
#include "control/DependencyLookup.h"
#include "listbox/GraphicListBox.h"
#include "toolkit/Button.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/Form.h"
#include "toolkit/ImageList.h"
#include "toolkit/StdCtrls.h"

namespace rondel {

class ServiceSession;

// The child-window ids of the dependencies window's controls.
enum Form2ControlId : int {
    kIdDependClose = 201,
    kIdBaseName,
    kIdDependToLabel,
    kIdDependTo,
    kIdDependFromLabel,
    kIdDependFrom,
    kIdView,
    kIdDependStatusBar,
};

inline constexpr int kForm2MinWidth = 420;
inline constexpr int kForm2MinHeight = 360;

class TForm2 : public TForm {
public:
    // Made over the main window for a service of its session, with its lists looked up
    // (LookUpDependencies), both list boxes filled; not shown yet. "参照" shows the chosen
    // service through the session.
    TForm2(TForm& owner, ServiceSession& session, const ServiceEntry& service, DependencyLists lists);
    ~TForm2() override;

    // The controls, in the order of their windows; the keyboard's tab order is BB_Close,
    // GLB_DependTo, GLB_DependFrom, BB_View.
    TBitBtn BB_Close;
    TLabel LL_BaseName;
    TLabel LL_DependTo;
    TGraphicListBox GLB_DependTo;
    TLabel LL_DependFrom;
    TGraphicListBox GLB_DependFrom;
    TBitBtn BB_View;
    TStatusBar StatusBar1;

    void FormCreate();
    void FormResize() override;
    void SystemColorsChanged() override;
    void GLB_DependToClick();
    void GLB_DependFromClick();
    void BB_ViewClick();

    const StateList& DependencyList() const { return lists_.dependencies; }
    const StateList& DependentList() const { return lists_.dependents; }

private:
    void SetUpControls();
    // The entry chosen in either list (the lower list's first), or null.
    const ServiceEntry* SelectedEntry() const;

    TForm& owner_;
    ServiceSession& session_;
    ServiceEntry service_;
    DependencyLists lists_;                   // with IL_DependTo and IL_DependFrom
    TImageList glyphsTo_ = TImageList::View(nullptr);
    TImageList glyphsFrom_ = TImageList::View(nullptr);
};

}  // namespace rondel

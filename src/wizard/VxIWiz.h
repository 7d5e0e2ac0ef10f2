#pragma once

#include "engine/VxIBase.h"
#include "values/StringList.h"
#include "wizard/VxIWizTypes.h"

#include <QIcon>
#include <QPixmap>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;
class TfrmVxIWizard;
struct TVxISpecificationFile;

// The header style of the wizard window: a step number over the logo, or a white band.
enum class TVxIWizardStyle { wsWindows95, wsWindows2000 };

// What Execute returns, with the values of the window's modal results. The specification
// list closes with Yes or No.
enum class TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrYes = 6, mrNo = 7 };

class TVxIWizardDlg;
using TVxIGetListEvent = std::function<void(TVxIWizardDlg *Sender, TStringList &List)>;
using TVxIGetSpecificationsEvent = std::function<void(TVxIWizardDlg *Sender, std::vector<TVxISpecificationFile> &List)>;
using TVxICloseEvent = std::function<void(TVxIWizardDlg *Sender, TModalResult &Action)>;
using TVxIShowEvent = std::function<void(QWidget *Sender)>;
using TVxIStepChangeEvent = std::function<void(QWidget *Sender, bool &AllowChange)>;

// The import component through which the desktop program imports: it carries every
// setting of an import, lets the user walk through the wizard window filled from them,
// takes the user's choices back and runs the import with the source the user chose.
class TVxIWizardDlg : public TVxImportBaseComponent {
public:
    TVxIWizardDlg();
    ~TVxIWizardDlg() override;

    std::string Title; // empty: "Import Wizard"
    QIcon Icon;
    QPixmap Picture;
    bool ShowPicture = true;
    TVxIWizardStyle WizardStyle = TVxIWizardStyle::wsWindows2000;
    TVxICategories Categories;
    TVxIUserAccess UserAccess;
    TTableTypeImports Formats = TTableTypeImports::All();
    std::string InitialDir;
    int SheetIndex = 0;
    int PreviewRowCount = 20;
    bool ShowFileHeader = false;
    bool ConfirmCancelExit = true;
    bool ConfirmExecuteStart = false;
    bool SetupSpecificationOnly = false;
    int HelpContext = 0;

    // Fills the specification list instead of the specification folder.
    TVxIGetSpecificationsEvent OnGetSpecifications;
    TVxIGetListEvent OnGetFieldList;
    TVxICloseEvent OnClose;
    TVxIShowEvent OnShow;
    TVxIStepChangeEvent OnStepChange;

    // Shows the wizard over the parent and, when the user finishes it, runs the import.
    // Ok when the wizard was finished, cancel when the user left it, abort when an error
    // ended it (shown to the user with its own text as the details).
    TModalResult Execute(QWidget *parent = nullptr);
    // Everything Execute does to the window before it shows it: style, settings, the
    // user's access, step 1.
    void PrepareWindow(TfrmVxIWizard &window);
    // Creates the source component of TableType, hands it this component's settings, runs
    // it and takes its statistic back. A type without a reader is refused by name.
    void RunImport();
    // The specification list's two hooks: the window's settings saved under a name, and a
    // saved specification loaded into this component and the window.
    void SaveSpecificationFromWindow(const std::string &specName, const std::string &fileName);
    void LoadSpecificationIntoWindow(const std::string &fileName);
    // The specification list over the wizard window: load, save or delete a saved
    // specification. Its failures are shown to the user, not raised.
    void ShowSpecifications();
    // The window while Execute runs, none otherwise.
    TfrmVxIWizard *Window() const { return window_; }
    TVxIHost &WizardHost() const { return HostRef(); }
    // The source component of the last run, kept until this component goes.
    TVxImportBaseComponent *LastSource() const { return sources_.empty() ? nullptr : sources_.back().get(); }

private:
    void ConfigureWindow(TfrmVxIWizard &window);

    std::vector<std::unique_ptr<TVxImportBaseComponent>> sources_;
    TfrmVxIWizard *window_ = nullptr;
};

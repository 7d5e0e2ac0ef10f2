#pragma once

#include "app/PlacementKeeper.h"
#include "session/DestinationStatements.h"
#include "session/SQLScript.h"
#include "wizard/VxIWiz.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

namespace Ui {
class TConfigImportForm;
}

class TMainFerrovaneForm;

// The "Import Prerequisites" window: between the main window and the import wizard. The
// user chooses between importing into the table and writing an SQL script, the key and
// update columns and a generator; the window generates the destination's statements and
// runs the wizard on the main window's destination dataset. In script mode it collects
// the statement of every row into the script file.
class TConfigImportForm : public QDialog {
    Q_OBJECT

public:
    explicit TConfigImportForm(TMainFerrovaneForm &mainForm, QWidget *parent = nullptr);
    ~TConfigImportForm() override;

    Ui::TConfigImportForm &Form() { return *ui_; }
    TVxIWizardDlg VxIWizardDlg1;
    TSQLScript Script;
    TPlacementKeeper &FormStorage() { return formStorage_; }

    // Checks or unchecks "Use generator" and shows or hides the generator lists with it.
    void SetUseGenerator(bool use);

    // The window's handlers. Errors are not caught here: they reach the user through the
    // application's handler.
    void RBImportClick();
    void ckbUseGeneratorClick();
    void ckbAutoSetupClick();
    void BtnDetectKeysClick();
    void btnUpdateAllClick();
    void btnUpdateSQLClick();
    void btnImportClick();

    // Opens a document with the program the desktop associates with it; tests replace it.
    static std::function<void(const QString &fileName)> OpenDocument;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void ConnectHandlers();
    void SetWizardDefaults();
    void FormShow();
    void LoadMetadata();
    void FillLists();
    bool ScriptMode() const;
    bool ValidateGenerator();
    bool ValidateOutputFile();
    void PrepareScript();
    void PrepareImport();
    void SetGeneratorSetting();
    std::string SelectedKeys() const;
    void FinishScript();

    std::unique_ptr<Ui::TConfigImportForm> ui_;
    TMainFerrovaneForm &main_;
    TPlacementKeeper formStorage_;
    TDestinationMetadata metadata_;
};

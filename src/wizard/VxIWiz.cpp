#include "wizard/VxIWiz.h"

#include "session/SourceRegistry.h"
#include "sources/cells/VxI2Cell.h"
#include "sources/odbc/VxI2ADO.h"
#include "ui_VxIWizForm.h"
#include "wizard/MessageBoxes.h"
#include "wizard/VxIWizForm.h"

TVxIWizardDlg::TVxIWizardDlg() = default;
TVxIWizardDlg::~TVxIWizardDlg() = default;

void TVxIWizardDlg::RunImport()
{
    const TSourceType &type = SourceTypeOf(TableType);
    if (!type.Readable())
        throw EVxIError("Ferrovane cannot read sources of the type \"" + TableTypeStep1Text(TableType) + "\" yet.");
    sources_.push_back(type.Create());
    TVxImportBaseComponent &source = *sources_.back();
    source.Assign(*this);
    // Not a setting but the place the run reports to: the wizard's own.
    source.Host = Host;
    source.FormName = FormName;
    if (type.Type == TTableTypeImport::teAccess || type.Type == TTableTypeImport::teADO)
        source.TableName = TableName;
    if (auto *ado = dynamic_cast<TVxImportFromADO *>(&source))
        ado->SQL = TableName;
    if (auto *cells = dynamic_cast<TVxImportFromCell *>(&source))
        cells->SetSheetIndex(SheetIndex);
    source.Execute();
    Statistic.Assign(source.Statistic);
}

TModalResult TVxIWizardDlg::Execute(QWidget *parent)
{
    auto window = std::make_unique<TfrmVxIWizard>(this, parent);
    window_ = window.get();
    // Whatever happens from here on, the window goes and OnAfterExecute is raised.
    auto finish = [this, &window] {
        if (OnAfterExecute)
            OnAfterExecute(this);
        window.reset();
        window_ = nullptr;
    };
    try {
        if (OnBeforeExecute)
            OnBeforeExecute(this);
    } catch (...) {
        finish();
        throw;
    }
    TModalResult result = TModalResult::mrNone;
    std::string error;
    try {
        PrepareWindow(*window);
        window->exec();
        result = window->Cancelled() ? TModalResult::mrCancel : TModalResult::mrOk;
        if (result == TModalResult::mrOk)
            window->ApplyToImport(this);
        if (OnClose)
            OnClose(this, result);
        if (result == TModalResult::mrOk && !SetupSpecificationOnly)
            RunImport();
    } catch (const std::exception &e) {
        result = TModalResult::mrAbort;
        error = e.what();
    }
    finish();
    if (result == TModalResult::mrAbort && Options.Has(TVxIOption::soShowMessage))
        ShowMessageBox(TMessageKind::mkPlain, "An error has occurred during the data import process.", {},
                       QString::fromStdString(error));
    return result;
}

void TVxIWizardDlg::PrepareWindow(TfrmVxIWizard &window)
{
    ConfigureWindow(window);
    window.LoadIntoWindow(*this);
    // The smallest size is the one the settings were laid out in.
    window.setMinimumSize(window.size());
    if (Categories.ShowCategories)
        window.resize(window.width(), window.height() + 50);
    if (OnShow)
        OnShow(&window);
    window.ApplyUserAccess();
    window.GoToStep(1);
}

void TVxIWizardDlg::ConfigureWindow(TfrmVxIWizard &window)
{
    Ui::TfrmVxIWizard &form = window.Form();
    form.chkShowFileHeader->setChecked(ShowFileHeader);
    const bool band = WizardStyle == TVxIWizardStyle::wsWindows2000;
    form.pnlDescription->setVisible(band);
    form.pnlStepHeader->setVisible(!band);
    window.setWindowTitle(Title.empty() ? QString("Import Wizard") : QString::fromStdString(Title));
    if (!Icon.isNull())
        window.setWindowIcon(Icon);
    const bool logo = ShowPicture && !Picture.isNull();
    if (logo)
        form.imgLogo->setPixmap(Picture);
    else
        form.imgLogo->clear();
    form.imgLogo->setVisible(logo);
}

void TVxIWizardDlg::SaveSpecificationFromWindow(const std::string &specName, const std::string &fileName)
{
    if (window_ != nullptr)
        window_->ApplyToImport(this);
    SaveSpecification(specName, fileName, false);
}

void TVxIWizardDlg::LoadSpecificationIntoWindow(const std::string &fileName)
{
    LoadSpecification(fileName);
    if (window_ == nullptr)
        return;
    window_->LoadIntoWindow(*this);
    // Otherwise the grid on show keeps the old mappings, and saving would take them back.
    window_->RebuildCurrentStep();
}

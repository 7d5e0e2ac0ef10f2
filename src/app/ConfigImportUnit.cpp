#include "app/ConfigImportUnit.h"

#include "app/FerrovaneApplication.h"
#include "app/MainFerrovaneUnit.h"
#include "ui_ConfigImportUnit.h"
#include "values/StringList.h"
#include "wizard/MessageBoxes.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHideEvent>
#include <QShowEvent>
#include <QUrl>

#include <ctime>

namespace {

const QStringList storedProps = {
    QStringLiteral("ckbAbortOnProblem.Checked"), QStringLiteral("CommitCountEdit.Text"),
    QStringLiteral("RBImport.Checked"),          QStringLiteral("RBSQL.Checked"),
    QStringLiteral("OutputFileEdit.Text"),       QStringLiteral("ckbQuote.Checked"),
    QStringLiteral("ckbAutoSetup.Checked"),      QStringLiteral("ckbGenCommit.Checked"),
    QStringLiteral("ckbGenConnect.Checked"),     QStringLiteral("ckbOpenOutput.Checked"),
};

const QString scriptFilter = QStringLiteral("SQL Script (*.sql)|*.sql|All files (*.*)|*.*");

// The modes a script cannot express: they depend on what the table holds when it runs.
constexpr TImportMode scriptlessModes[] = {TImportMode::imAppendUpdate, TImportMode::imCopy,
                                           TImportMode::imAppendNewOnly};

std::string toStd(const QString &s) { return s.toStdString(); }

std::vector<std::string> selectedTexts(const QListWidget &list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.count(); ++i)
        if (list.item(i)->isSelected())
            texts.push_back(toStd(list.item(i)->text()));
    return texts;
}

void selectAll(QListWidget &list, bool selected)
{
    for (int i = 0; i < list.count(); ++i)
        list.item(i)->setSelected(selected);
    if (list.count() > 0)
        list.setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

} // namespace

std::function<void(const QString &)> TConfigImportForm::OpenDocument = [](const QString &fileName) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
};

TConfigImportForm::TConfigImportForm(TMainFerrovaneForm &mainForm, QWidget *parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TConfigImportForm>()),
      main_(mainForm),
      formStorage_(*this, mainForm.SettingsStore(), QStringLiteral("ConfigImportForm"), storedProps, true)
{
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(size());
    ui_->OutputFileEdit->SetFilter(scriptFilter);
    ui_->OutputFileEdit->SetSaveDialog(QStringLiteral("sql"));
    ui_->CommitCountEdit->setValidator(new QIntValidator(this));
    for (QWidget *w : {static_cast<QWidget *>(ui_->lblOutputFile), static_cast<QWidget *>(ui_->OutputFileEdit),
                       static_cast<QWidget *>(ui_->ComboGenerator), static_cast<QWidget *>(ui_->ComboGeneratorField),
                       static_cast<QWidget *>(ui_->lblGeneratorField)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    SetWizardDefaults();
    ConnectHandlers();
    RBImportClick();
    ckbUseGeneratorClick();
}

TConfigImportForm::~TConfigImportForm() = default;

void TConfigImportForm::SetWizardDefaults()
{
    TVxIWizardDlg &w = VxIWizardDlg1;
    w.DataSet = &main_.IBQuery2;
    w.Title = "Firebird / Interbase Import Wizard";
    w.TitleStatus = "Importing ...";
    w.SourceFileName = "ferrovane.txt";
    w.Formats = TTableTypeImports::All();
    w.Formats.Exclude(TTableTypeImport::teVCalendar);
    w.ConfirmExecuteStart = true;
    w.Options = TVxIOptions{TVxIOption::soShowMessage, TVxIOption::soExtendedStatistic, TVxIOption::soWaitCursor};
    w.AnimatedStatus = true;
    w.UseDisplayNames = true;
    w.SQLOptions.SQLTerm = ";";
    w.SetRecordSeparatorCustom("\r\n");
    w.UserAccess.Specification = w.UserAccess.SpecificationSave = w.UserAccess.SpecificationLoad =
        w.UserAccess.SpecificationDelete = true;
    TVxIDataFormats &f = w.DataFormats;
    f.DateOrder = TVxIDateOrder::doDMY;
    f.DateSeparator = '/';
    f.TimeSeparator = ':';
    f.FourDigitYear = true;
    f.LeadingZerosInDate = true;
    f.ThousandSeparator = '\xA0';
    f.DecimalSeparator = ',';
    f.CurrencyString = "\xE2\x82\xAC"; // the euro sign
    f.BooleanTrue = "True";
    f.BooleanFalse = "False";
    f.UseRegionalSettings = false;
    w.SpecificationDir = "specifications/";
    w.OnAfterRecordEvent = nullptr;
    w.OnAfterExecute = [this](TVxImportBaseComponent *) {
        // Nothing was imported yet in this window: whatever the script holds is no script.
        if (ScriptMode() && VxIWizardDlg1.Statistic.TotalCount == 0)
            Script.Clear();
    };
}

void TConfigImportForm::ConnectHandlers()
{
    auto onClick = [this](QAbstractButton *button, auto handler) {
        connect(button, &QAbstractButton::clicked, this, Guarded(handler));
    };
    onClick(ui_->RBImport, [this] { RBImportClick(); });
    onClick(ui_->RBSQL, [this] { RBImportClick(); });
    onClick(ui_->ckbUseGenerator, [this] { ckbUseGeneratorClick(); });
    onClick(ui_->ckbAutoSetup, [this] { ckbAutoSetupClick(); });
    onClick(ui_->BtnDetectKeys, [this] { BtnDetectKeysClick(); });
    onClick(ui_->btnUpdateAll, [this] { btnUpdateAllClick(); });
    onClick(ui_->btnUpdateSQL, [this] { btnUpdateSQLClick(); });
    onClick(ui_->btnImport, [this] { btnImportClick(); });
    onClick(ui_->btnCancel, [this] { reject(); });
}

void TConfigImportForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Guarded([this] { FormShow(); })();
}

void TConfigImportForm::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        Guarded([this] { formStorage_.Save(); })();
}

void TConfigImportForm::FormShow()
{
    LoadMetadata();
    const bool dialect1 = main_.DialectText() == QLatin1String("1");
    if (dialect1)
        ui_->ckbQuote->setChecked(false);
    ui_->ckbQuote->setEnabled(!dialect1);
    Script.Clear();
    ckbUseGeneratorClick();
    ckbAutoSetupClick();
}

bool TConfigImportForm::ScriptMode() const { return ui_->RBSQL->isChecked(); }

void TConfigImportForm::RBImportClick()
{
    const bool script = ScriptMode();
    for (QWidget *w : std::initializer_list<QWidget *>{ui_->lblOutputFile, ui_->OutputFileEdit, ui_->ckbGenConnect,
                                                       ui_->ckbGenCommit, ui_->ckbOpenOutput})
        w->setVisible(script);
    if (!script) {
        ui_->OutputFileEdit->setText({});
        ui_->ckbUseGenerator->setEnabled(true);
        return;
    }
    ui_->ckbUseGenerator->setChecked(false);
    ckbUseGeneratorClick();
    ui_->ckbUseGenerator->setEnabled(false);
}

void TConfigImportForm::ckbUseGeneratorClick()
{
    const bool use = ui_->ckbUseGenerator->isChecked();
    if (!use) {
        ui_->ComboGenerator->setCurrentIndex(-1);
        ui_->ComboGeneratorField->setCurrentIndex(-1);
    }
    ui_->ComboGenerator->setVisible(use);
    ui_->ComboGeneratorField->setVisible(use);
    ui_->lblGeneratorField->setVisible(use);
}

void TConfigImportForm::SetUseGenerator(bool use)
{
    ui_->ckbUseGenerator->setChecked(use);
    ckbUseGeneratorClick();
}

void TConfigImportForm::ckbAutoSetupClick()
{
    ui_->btnImport->setEnabled(false);
    const bool automatic = ui_->ckbAutoSetup->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{ui_->lbPrimaryKeys, ui_->lbFieldsToUpdate, ui_->BtnDetectKeys,
                                                       ui_->btnUpdateAll, ui_->btnUpdateSQL})
        w->setEnabled(!automatic);
    // Quoting means nothing to a dialect 1 connection: the box stays off there.
    const bool dialect1 = main_.DialectText() == QLatin1String("1");
    ui_->ckbQuote->setEnabled(!automatic && !dialect1);
    if (!automatic)
        return;
    ui_->ckbQuote->setChecked(main_.DialectText() == QLatin1String("3"));
    BtnDetectKeysClick();
    btnUpdateAllClick();
    btnUpdateSQLClick();
}

void TConfigImportForm::LoadMetadata()
{
    metadata_ = LoadDestinationMetadata(toStd(main_.TableName()), main_.IBQueryFields, main_.IBQueryPK,
                                        main_.IBQueryPKFields, main_.IBQueryGenerator);
    FillLists();
}

void TConfigImportForm::FillLists()
{
    ui_->ckbUseGenerator->setChecked(false);
    ui_->lbPrimaryKeys->clear();
    ui_->lbFieldsToUpdate->clear();
    ui_->ComboGeneratorField->clear();
    for (const std::string &field : metadata_.Fields) {
        const QString name = QString::fromStdString(field);
        ui_->lbPrimaryKeys->addItem(name);
        ui_->lbFieldsToUpdate->addItem(name);
        ui_->ComboGeneratorField->addItem(name);
    }
    ui_->ComboGeneratorField->setCurrentIndex(-1);
    selectAll(*ui_->lbFieldsToUpdate, true);
    BtnDetectKeysClick();
    ui_->ComboGenerator->clear();
    for (const std::string &generator : metadata_.Generators)
        ui_->ComboGenerator->addItem(QString::fromStdString(generator));
    ui_->ComboGenerator->setCurrentIndex(-1);
    ckbUseGeneratorClick();
}

void TConfigImportForm::BtnDetectKeysClick()
{
    QListWidget &list = *ui_->lbPrimaryKeys;
    selectAll(list, false);
    for (const std::string &key : metadata_.KeyFields)
        for (QListWidgetItem *item :
             list.findItems(QString::fromStdString(key), Qt::MatchExactly | Qt::MatchCaseSensitive))
            item->setSelected(true);
}

void TConfigImportForm::btnUpdateAllClick() { selectAll(*ui_->lbFieldsToUpdate, true); }

void TConfigImportForm::btnUpdateSQLClick()
{
    try {
        const int quoting = ui_->ckbQuote->isChecked() ? main_.IBDatabase1.SQLDialect() : 1;
        GenerateUpdateStatements(toStd(main_.TableName()), selectedTexts(*ui_->lbPrimaryKeys),
                                 selectedTexts(*ui_->lbFieldsToUpdate), quoting, main_.IBUpdateSQL2);
    } catch (const std::exception &) {
        // A failed generation shows nothing: the run simply cannot start.
        ui_->btnImport->setEnabled(false);
        return;
    }
    ui_->btnImport->setEnabled(true);
}

bool TConfigImportForm::ValidateGenerator()
{
    if (ui_->ComboGenerator->currentIndex() < 0) {
        ShowMessageBox(TMessageKind::mkInformation, QStringLiteral("You must specify a generator"),
                       QStringLiteral("Missing Generator Name"));
        ui_->ComboGenerator->setFocus();
        return false;
    }
    if (ui_->ComboGeneratorField->currentIndex() < 0) {
        ShowMessageBox(TMessageKind::mkInformation,
                       QStringLiteral("You must specify \u00e0 field linked to the generator"),
                       QStringLiteral("Missing Linked Field"));
        ui_->ComboGeneratorField->setFocus();
        return false;
    }
    return true;
}

bool TConfigImportForm::ValidateOutputFile()
{
    const QString file = ui_->OutputFileEdit->text().trimmed();
    if (ui_->OutputFileEdit->text().isEmpty()) {
        ShowMessageBox(TMessageKind::mkInformation, QStringLiteral("You must specify an Output File for the script"),
                       QStringLiteral("Missing Output File"));
        ui_->OutputFileEdit->setFocus();
        return false;
    }
    if (QFileInfo::exists(file) &&
        !AskYesNo(QStringLiteral("File %1 allready exists.\r\nDo you want to replace this file ?").arg(file),
                  QStringLiteral("File allready exists"))) {
        ui_->OutputFileEdit->setFocus();
        return false;
    }
    return true;
}

void TConfigImportForm::PrepareScript()
{
    const TSQLScript::TConnect connect{main_.IBDatabase1.DatabaseName(), toStd(main_.UserText()),
                                       toStd(main_.PasswordText())};
    PrepareScriptRun(VxIWizardDlg1, Script, main_.IBDatabase1.SQLDialect(), toStd(main_.DialectText()),
                     std::time(nullptr), ui_->ckbGenConnect->isChecked() ? &connect : nullptr);
    for (TImportMode mode : scriptlessModes)
        VxIWizardDlg1.UserAccess.HiddenImportModes.Include(mode);
}

void TConfigImportForm::PrepareImport()
{
    for (TImportMode mode : scriptlessModes)
        VxIWizardDlg1.UserAccess.HiddenImportModes.Exclude(mode);
    VxIWizardDlg1.ActionKind = TVxIActionKind::akDatasetApply;
    // What script mode set up for its statements has no place in an import.
    VxIWizardDlg1.OnAfterRecordEvent = nullptr;
    VxIWizardDlg1.OnBeforeFieldUpdate = nullptr;
}

void TConfigImportForm::SetGeneratorSetting()
{
    TIBGeneratorField &generator = main_.IBQuery2.GeneratorField;
    if (!ui_->ckbUseGenerator->isChecked()) {
        generator.Clear();
        return;
    }
    generator.Generator = Text::Trim(toStd(ui_->ComboGenerator->currentText()));
    generator.Field = Text::Trim(toStd(ui_->ComboGeneratorField->currentText()));
}

std::string TConfigImportForm::SelectedKeys() const
{
    std::string keys;
    for (const std::string &key : selectedTexts(*ui_->lbPrimaryKeys))
        keys += (keys.empty() ? "" : ";") + Text::Trim(key);
    return keys;
}

void TConfigImportForm::btnImportClick()
{
    if (ui_->ckbUseGenerator->isChecked() && !ValidateGenerator())
        return;
    if (ScriptMode()) {
        if (!ValidateOutputFile())
            return;
        PrepareScript();
    } else {
        PrepareImport();
    }
    bool ok = false;
    const int commitCount = ui_->CommitCountEdit->text().trimmed().toInt(&ok);
    if (!ok)
        throw EVxIError("'" + toStd(ui_->CommitCountEdit->text()) + "' is not a valid integer value");
    VxIWizardDlg1.AbortOnProblem = ui_->ckbAbortOnProblem->isChecked();
    VxIWizardDlg1.CommitCount = commitCount;
    VxIWizardDlg1.DatasetKeys.clear();
    main_.IBQuery2.Close();
    SetGeneratorSetting();
    main_.IBQuery2.Open();
    VxIWizardDlg1.DatasetKeys = SelectedKeys();
    // The grid fetches the table anew after the run: the rows written meanwhile need not
    // be kept, whatever their number.
    main_.IBQuery2.KeepPostedRows = false;
    struct KeepAgain {
        TIBQuery &query;
        ~KeepAgain() { query.KeepPostedRows = true; }
    } keepAgain{main_.IBQuery2};
    VxIWizardDlg1.Execute(this);
    if (ScriptMode())
        FinishScript();
}

void TConfigImportForm::FinishScript()
{
    const QString file = ui_->OutputFileEdit->text().trimmed();
    if (!WriteScript(Script, ui_->ckbGenCommit->isChecked(), toStd(file)))
        return;
    if (ui_->ckbOpenOutput->isChecked() && OpenDocument)
        OpenDocument(file);
}

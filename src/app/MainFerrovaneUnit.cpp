#include "app/MainFerrovaneUnit.h"

#include "app/ConfigImportUnit.h"
#include "app/DataSetTableModel.h"
#include "app/FerrovaneApplication.h"
#include "wizard/MessageBoxes.h"
#include "app/AppFolders.h"
#include "ui_MainFerrovaneUnit.h"

#include <QCloseEvent>
#include <QDir>
#include <QLocale>
#include <QSysInfo>

#include <unistd.h>

namespace {

const QStringList mainFormStoredProps = {
    QStringLiteral("RBLocale.Checked"),        QStringLiteral("RBRemote.Checked"),
    QStringLiteral("EditServeur.Text"),        QStringLiteral("EditUser.Text"),
    QStringLiteral("ComboDialect.ItemIndex"),  QStringLiteral("JvFilenameEdit1.Text"),
    QStringLiteral("ckbSystables.Checked"),    QStringLiteral("ComboCharSet.ItemIndex"),
    QStringLiteral("ComboProtocol.ItemIndex"),
};

const QString databaseFileFilter =
    QStringLiteral("Interbase File (*.gdb)|*.gdb|Firebird File(*.fdb)| *.fdb|All Files (*.*)|*.*");

std::string text(const QString &s) { return s.toStdString(); }

QString physicalMemoryText()
{
    const long long pages = sysconf(_SC_PHYS_PAGES);
    const long long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return QStringLiteral("unknown");
    return QLocale().toString(pages * (pageSize / 1024)) + QStringLiteral(" KB");
}

QString aboutText()
{
    return QStringLiteral("Ferrovane %1\n%2\n\n%3 (%4 %5)\nPhysical memory: %6")
        .arg(QStringLiteral(FERROVANE_VERSION), QString::fromLatin1(SUtilityName), QSysInfo::prettyProductName(),
             QSysInfo::kernelType(), QSysInfo::kernelVersion(), physicalMemoryText());
}

} // namespace

TMainFerrovaneForm::TMainFerrovaneForm(QWidget *parent)
    : QMainWindow(parent),
      IBQuery1(&IBDatabase1, &IBTransaction1),
      IBQuery2(&IBDatabase1, &IBTransaction1),
      IBSQL1(&IBDatabase1, &IBTransaction1),
      IBQueryFields(&IBDatabase1, &IBTransaction1),
      IBQueryPK(&IBDatabase1, &IBTransaction1),
      IBQueryPKFields(&IBDatabase1, &IBTransaction1),
      IBQueryGenerator(&IBDatabase1, &IBTransaction1),
      ui(std::make_unique<Ui::TMainFerrovaneForm>()),
      browseModel_(new TDataSetTableModel(this)),
      formStorage_(*this, settingsStore_, QStringLiteral("MainFerrovaneForm"), mainFormStoredProps, false)
{
    IBDatabase1.LoginPrompt = false;
    IBDatabase1.SetDefaultTransaction(&IBTransaction1);
    IBTransaction1.Params = {"read_committed", "rec_version", "nowait"};
    IBQuery1.ComponentName = "IBQuery1";
    IBQuery2.ComponentName = "IBQuery2";
    IBQuery2.UpdateObject = &IBUpdateSQL2;
    IBQueryFields.ComponentName = "IBQueryFields";
    IBQueryPK.ComponentName = "IBQueryPK";
    IBQueryPKFields.ComponentName = "IBQueryPKFields";
    IBQueryGenerator.ComponentName = "IBQueryGenerator";

    ui->setupUi(this);
    ui->JvFilenameEdit1->SetFilter(databaseFileFilter);
    // Hidden server entries keep their place, so the window does not jump between modes.
    for (QWidget *w : {static_cast<QWidget *>(ui->lblServer), static_cast<QWidget *>(ui->EditServeur),
                       static_cast<QWidget *>(ui->lblProtocol), static_cast<QWidget *>(ui->ComboProtocol)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    browseModel_->SetDataSet(&IBQuery2);
    ui->JvDBGrid1->SetDataSource(browseModel_);
    ui->DBNavigator1->SetDataSource(browseModel_);
    ConnectHandlers();
    FormCreate();
}

TMainFerrovaneForm::~TMainFerrovaneForm()
{
    // The grid outlives the database objects (they are members, the grid a child).
    browseModel_->SetDataSet(nullptr);
}

void TMainFerrovaneForm::ConnectHandlers()
{
    auto onClick = [this](QAbstractButton *button, auto handler) {
        connect(button, &QAbstractButton::clicked, this, Guarded(handler));
    };
    onClick(ui->RBLocale, [this] { RBLocaleClick(ui->RBLocale); });
    onClick(ui->RBRemote, [this] { RBLocaleClick(ui->RBRemote); });
    onClick(ui->btnConnect, [this] { btnConnectClick(); });
    onClick(ui->btnDisconnect, [this] { btnDisconnectClick(); });
    onClick(ui->ckbSystables, [this] { ckbSystablesClick(); });
    onClick(ui->btnImport, [this] { btnImportClick(); });
    onClick(ui->btnQuit, [this] { close(); });
    connect(ui->ComboTables, &QComboBox::activated, this, Guarded([this] { ComboTablesChange(); }));
    connect(ui->mnuQuit, &QAction::triggered, this, [this] { close(); });
    connect(ui->mnuAbout, &QAction::triggered, this, Guarded([this] { AboutClick(); }));

    // "Connect" is the window's default button: Enter in an entry presses it.
    auto pressConnect = [this] {
        if (ui->btnConnect->isEnabled())
            ui->btnConnect->click();
    };
    connect(ui->EditServeur, &QLineEdit::returnPressed, this, pressConnect);
    connect(ui->EditUser, &QLineEdit::returnPressed, this, pressConnect);
    connect(ui->EditPassword, &QLineEdit::returnPressed, this, pressConnect);
    connect(ui->JvFilenameEdit1, &TJvFilenameEdit::returnPressed, this, pressConnect);
}

void TMainFerrovaneForm::FormCreate()
{
    // Nothing is kept in the shared folder; it only has to exist. Not being allowed to
    // create it is no reason to stop.
    EnsureFolder(CommonAppDataFolder() + QStringLiteral("Mostrelle/Ferrovane/"));
    settingsStore_.SetFileName(UserAppDataFolder() + QStringLiteral("Ferrovane.ini"));
    formStorage_.SetActive(true);
    browseStatement_.clear();
    ui->lblRecordCount->clear();
    ui->LabelSubTitle->setText(QString::fromLatin1(SUtilityName));
    connected_ = false;
    ui->JvFilenameEdit1->SetInitialDir(QDir::currentPath());
}

void TMainFerrovaneForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TMainFerrovaneForm::FormShow()
{
    Guarded([this] { RBLocaleClick(nullptr); })();
}

void TMainFerrovaneForm::RBLocaleClick(QObject *)
{
    const bool remote = ui->RBRemote->isChecked();
    ui->lblServer->setVisible(remote);
    ui->EditServeur->setVisible(remote);
    ui->lblProtocol->setVisible(remote);
    ui->ComboProtocol->setVisible(remote);
    if (!remote)
        ui->EditServeur->clear();
    ui->ComboProtocol->setCurrentIndex(0);
}

TConnectionSettings TMainFerrovaneForm::ConnectionSettings() const
{
    TConnectionSettings s;
    s.Remote = ui->RBRemote->isChecked();
    s.Server = text(ui->EditServeur->text());
    s.Protocol = static_cast<TServerProtocol>(std::max(ui->ComboProtocol->currentIndex(), 0));
    s.DatabaseFile = text(ui->JvFilenameEdit1->text());
    s.User = text(ui->EditUser->text());
    s.Password = text(ui->EditPassword->text());
    s.CharacterSet = text(ui->ComboCharSet->currentText());
    s.Dialect = ui->ComboDialect->currentText().toInt();
    return s;
}

void TMainFerrovaneForm::btnConnectClick()
{
    try {
        ConnectDatabase(IBDatabase1, ConnectionSettings());
    } catch (...) {
        connected_ = false;
        throw;
    }
    connected_ = true;
    SetEnabling(IBDatabase1.Connected());
    LoadTableList();
}

void TMainFerrovaneForm::btnDisconnectClick()
{
    // The detach happens even when its commit fails; the window must show that before
    // the error is reported.
    std::exception_ptr error;
    if (IBDatabase1.Connected()) {
        try {
            IBDatabase1.Close();
        } catch (...) {
            error = std::current_exception();
        }
    }
    ui->lblRecordCount->clear();
    connected_ = false;
    ui->ComboTables->clear();
    SetEnabling(false);
    if (error)
        std::rethrow_exception(error);
}

void TMainFerrovaneForm::SetEnabling(bool connected)
{
    for (QWidget *entry : std::initializer_list<QWidget *>{ui->RBLocale, ui->RBRemote, ui->EditServeur, ui->EditUser,
                                                           ui->EditPassword, ui->ComboCharSet, ui->ComboDialect,
                                                           ui->ComboProtocol, ui->JvFilenameEdit1, ui->btnConnect})
        entry->setEnabled(!connected);
    ui->ComboTables->setEnabled(connected);
    ui->ckbSystables->setEnabled(connected);
    ui->btnDisconnect->setEnabled(connected);
    SetImportEnabled(false);
}

void TMainFerrovaneForm::SetImportEnabled(bool enabled) { ui->btnImport->setEnabled(enabled); }

void TMainFerrovaneForm::LoadTableList()
{
    if (!connected_)
        return;
    ui->ComboTables->clear();
    const std::vector<std::string> names = ::LoadTableList(IBQuery1, ui->ckbSystables->isChecked());
    for (const std::string &name : names)
        ui->ComboTables->addItem(QString::fromStdString(name));
    if (names.empty()) {
        ShowMessage(QString::fromLatin1(SNoTableFound));
        return;
    }
    ui->ComboTables->setCurrentIndex(0);
    ComboTablesChange();
}

void TMainFerrovaneForm::ckbSystablesClick() { LoadTableList(); }

void TMainFerrovaneForm::ComboTablesChange()
{
    if (ui->ComboTables->currentIndex() < 0) {
        CloseTable();
        return;
    }
    browseStatement_ = BrowseStatement(text(ui->ComboTables->currentText()));
    IBQuery2.GeneratorField.Clear();
    OpenTable();
}

void TMainFerrovaneForm::CloseTable()
{
    for (TIBQuery *query : {&IBQueryFields, &IBQueryPK, &IBQueryPKFields, &IBQueryGenerator, &IBQuery2})
        query->Close();
    IBQuery2.GeneratorField.Clear();
    IBUpdateSQL2.ModifySQL.clear();
    IBUpdateSQL2.InsertSQL.clear();
    IBUpdateSQL2.DeleteSQL.clear();
    IBUpdateSQL2.RefreshSQL.clear();
    SetImportEnabled(false);
    browseStatement_.clear();
}

void TMainFerrovaneForm::OpenTable()
{
    IBQuery2.SetSQL({browseStatement_, ""});
    try {
        IBQuery2.Open();
    } catch (...) {
        SetImportEnabled(false);
        throw;
    }
    SetImportEnabled(true);
    RefreshRecordCount();
}

void TMainFerrovaneForm::RefreshRecordCount()
{
    if (!IBQuery2.Active()) {
        ui->lblRecordCount->clear();
        return;
    }
    const int count = CountRecords(IBSQL1, text(ui->ComboTables->currentText()));
    ui->lblRecordCount->setText(QString::fromStdString(RecordCountText(count)));
}

void TMainFerrovaneForm::btnImportClick()
{
    // A fresh "Import Prerequisites" window for every click, shown modally and destroyed
    // when it closes; its entries carry over through the settings file.
    TConfigImportForm form(*this, this);
    form.SetUseGenerator(ui->ComboTables->currentIndex() < 0);
    form.exec();
}

QString TMainFerrovaneForm::DialectText() const { return ui->ComboDialect->currentText(); }
QString TMainFerrovaneForm::UserText() const { return ui->EditUser->text(); }
QString TMainFerrovaneForm::PasswordText() const { return ui->EditPassword->text(); }
QString TMainFerrovaneForm::TableName() const
{
    return ui->ComboTables->currentIndex() < 0 ? QString() : ui->ComboTables->currentText();
}

void TMainFerrovaneForm::AboutClick()
{
    ShowMessageBox(TMessageKind::mkInformation, aboutText(), QStringLiteral("About Ferrovane"));
}

void TMainFerrovaneForm::closeEvent(QCloseEvent *event)
{
    if (!AskYesNo(QString::fromLatin1(SQuitFerrovane), QString::fromLatin1(SConfirmation))) {
        event->ignore();
        return;
    }
    event->accept();
    Guarded([this] { formStorage_.Save(); })();
    // Detaching commits the one transaction: the rows of every import are kept now.
    Guarded([this] {
        if (IBDatabase1.Connected())
            IBDatabase1.Close();
    })();
}

#include "AppTestSupport.h"
#include "app/DataSetTableModel.h"
#include "app/JvDBGrid.h"
#include "app/JvFilenameEdit.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>

#include <unistd.h>

namespace {

const QStringList entryNames = {"RBLocale",     "RBRemote",     "EditServeur",   "EditUser",       "EditPassword",
                                "ComboCharSet", "ComboDialect", "ComboProtocol", "JvFilenameEdit1"};

TEST_F(MainWindowTest, ControlsAsDesigned)
{
    form->show();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Ferrovane"));
    EXPECT_EQ(form->minimumSize(), QSize(773, 535));
    EXPECT_EQ(control<QLabel>("LabelTitle")->text(), QStringLiteral("Mostrelle  Ferrovane - "));
    EXPECT_EQ(control<QLabel>("LabelSubTitle")->text(), QStringLiteral("Firebird / Interbase Import Utility"));
    EXPECT_EQ(control<QGroupBox>("GroupDatabase")->title(), QStringLiteral("Destination Database"));
    EXPECT_EQ(control<QGroupBox>("GroupTable")->title(), QStringLiteral("Destination Table"));
    EXPECT_EQ(control<QCheckBox>("ckbSystables")->text(), QStringLiteral("Show System Tables"));
    EXPECT_EQ(control<QPushButton>("btnQuit")->text(), QStringLiteral("&Quit"));
    EXPECT_TRUE(control<QPushButton>("btnConnect")->isDefault());
    EXPECT_EQ(control<QLineEdit>("EditPassword")->echoMode(), QLineEdit::Password);
    control<QWidget>("JvDBGrid1");
    control<QWidget>("DBNavigator1");
    control<QLabel>("lblRecordCount");

    EXPECT_TRUE(control<QRadioButton>("RBLocale")->isChecked());
    EXPECT_FALSE(control<QLineEdit>("EditServeur")->isVisible());
    EXPECT_FALSE(control<QComboBox>("ComboProtocol")->isVisible());
    EXPECT_EQ(control<QComboBox>("ComboProtocol")->currentText(), QStringLiteral("TCP"));
    EXPECT_EQ(control<QComboBox>("ComboDialect")->currentText(), QStringLiteral("1"));
    auto *charSets = control<QComboBox>("ComboCharSet");
    EXPECT_EQ(charSets->currentText(), QStringLiteral("NONE"));
    ASSERT_EQ(charSets->count(), 28);
    EXPECT_EQ(charSets->itemText(25), QStringLiteral("WIN1254"));
    EXPECT_EQ(charSets->itemText(26), QStringLiteral("UTF8"));
    EXPECT_EQ(charSets->itemText(27), QString());

    EXPECT_FALSE(form->Connected());
    for (const char *name : {"btnDisconnect", "ComboTables", "ckbSystables", "btnImport"})
        EXPECT_FALSE(control<QWidget>(name)->isEnabled()) << name;
    EXPECT_TRUE(control<QWidget>("btnConnect")->isEnabled());
    EXPECT_TRUE(control<QLabel>("lblRecordCount")->text().isEmpty());

    QStringList menu;
    for (QAction *top : form->menuBar()->actions())
        for (QAction *item : top->menu()->actions())
            menu << top->text() + QStringLiteral(" > ") + item->text();
    EXPECT_EQ(menu, (QStringList{"&File > &Quit", "&Infos > &About ..."}));

    if (access("/var/lib", W_OK) == 0) {
        EXPECT_TRUE(QDir(QStringLiteral("/var/lib/Mostrelle/Ferrovane")).exists());
    }
}

TEST_F(MainWindowTest, DatabaseFileDialog)
{
    const QString startDir = QDir::currentPath();
    QDir::setCurrent(QDir::tempPath()); // the dialog keeps the folder of the start
    auto *edit = control<TJvFilenameEdit>("JvFilenameEdit1");
    const std::unique_ptr<QFileDialog> dialog(edit->CreateDialog());
    QDir::setCurrent(startDir);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog->directory().absolutePath(), QDir(startDir).absolutePath());
    EXPECT_EQ(dialog->nameFilters(), (QStringList{"Interbase File (*.gdb)", "Firebird File (*.fdb)", "All Files (*)"}));
}

TEST_F(MainWindowTest, ConnectListsSortedTablesOpensAndCountsTheFirst)
{
    const std::string db = dir.File("tables.fdb");
    CreateDatabase(db, {"CREATE TABLE ZEBRA (ID INTEGER)", "CREATE TABLE Mango (ID INTEGER, NAME VARCHAR(20))",
                        "CREATE TABLE ALPHA (ID INTEGER)", "INSERT INTO ALPHA VALUES (1)",
                        "INSERT INTO ALPHA VALUES (2)", "INSERT INTO ALPHA VALUES (3)"});
    form->show();
    enterLocalDatabase(db);
    clickConnect();

    EXPECT_TRUE(messages.Messages.empty()) << messages.Texts().join('\n').toStdString();
    EXPECT_TRUE(form->Connected());
    EXPECT_TRUE(form->IBDatabase1.Connected());
    EXPECT_EQ(form->IBDatabase1.Params, (std::vector<std::string>{"user_name=SYSDBA", "password=", "lc_ctype=UTF8"}));
    EXPECT_EQ(form->IBDatabase1.SQLDialect(), 3);
    for (const QString &name : entryNames)
        EXPECT_FALSE(control<QWidget>(name.toLatin1().constData())->isEnabled()) << name.toStdString();
    for (const char *name : {"ComboTables", "ckbSystables", "btnDisconnect", "btnImport"})
        EXPECT_TRUE(control<QWidget>(name)->isEnabled()) << name;
    EXPECT_FALSE(control<QWidget>("btnConnect")->isEnabled());

    EXPECT_EQ(tableList(), (QStringList{"ALPHA", "MANGO", "ZEBRA"}));
    EXPECT_EQ(control<QComboBox>("ComboTables")->currentText(), QStringLiteral("ALPHA"));
    EXPECT_EQ(form->BrowseSQL(), "select * from ALPHA");
    EXPECT_EQ(form->IBQuery2.SQL(), (std::vector<std::string>{"select * from ALPHA", ""}));
    EXPECT_TRUE(form->IBQuery2.Active());
    EXPECT_EQ(control<QLabel>("lblRecordCount")->text(), QStringLiteral("3 records"));

    form->IBQuery2.GeneratorField.Generator = "GEN_X";
    form->IBQuery2.GeneratorField.Field = "ID";
    chooseTable(QStringLiteral("MANGO"));
    EXPECT_EQ(form->BrowseSQL(), "select * from MANGO");
    EXPECT_FALSE(form->IBQuery2.GeneratorField.IsComplete());
    EXPECT_EQ(form->IBQuery2.FieldCount(), 2);
    EXPECT_EQ(control<QLabel>("lblRecordCount")->text(), QStringLiteral("0 records"));

    control<QCheckBox>("ckbSystables")->click();
    const QStringList withSystem = tableList();
    EXPECT_TRUE(withSystem.contains(QStringLiteral("RDB$RELATIONS")));
    QStringList sorted = withSystem;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const QString &a, const QString &b) { return a.toUpper() < b.toUpper(); });
    EXPECT_EQ(withSystem, sorted);
    EXPECT_EQ(control<QComboBox>("ComboTables")->currentText(), QStringLiteral("ALPHA"));

    control<QPushButton>("btnDisconnect")->click();
    EXPECT_TRUE(messages.Messages.empty()) << messages.Texts().join('\n').toStdString();
    EXPECT_FALSE(form->Connected());
    EXPECT_FALSE(form->IBDatabase1.Connected());
    EXPECT_EQ(tableList(), QStringList());
    EXPECT_EQ(control<QComboBox>("ComboTables")->currentText(), QString());
    EXPECT_TRUE(control<QLabel>("lblRecordCount")->text().isEmpty());
    EXPECT_EQ(control<TJvDBGrid>("JvDBGrid1")->model()->rowCount(), 0);
    for (const QString &name : entryNames)
        EXPECT_TRUE(control<QWidget>(name.toLatin1().constData())->isEnabled()) << name.toStdString();
    for (const char *name : {"ComboTables", "ckbSystables", "btnDisconnect", "btnImport"})
        EXPECT_FALSE(control<QWidget>(name)->isEnabled()) << name;

    // Enter in the password box presses the default button.
    QTest::keyClick(control<QLineEdit>("EditPassword"), Qt::Key_Return);
    EXPECT_TRUE(form->Connected());
}

TEST_F(MainWindowTest, TableNamesNeedingQuotesCannotBeOpened)
{
    const std::string db = dir.File("quoted.fdb");
    CreateDatabase(db, {"CREATE TABLE \"apple\" (ID INTEGER)", "CREATE TABLE ZEBRA (ID INTEGER)",
                        "CREATE TABLE \"Big Table\" (ID INTEGER)"});
    form->show();
    enterLocalDatabase(db);
    clickConnect();

    EXPECT_EQ(tableList(), (QStringList{"apple", "Big Table", "ZEBRA"}));
    ASSERT_EQ(messages.Messages.size(), 1u);
    EXPECT_EQ(messages.Messages[0].Kind, TMessageKind::mkError);
    EXPECT_TRUE(messages.Messages[0].Text.contains(QStringLiteral("Table unknown")))
        << messages.Texts()[0].toStdString();
    EXPECT_TRUE(form->Connected());
    EXPECT_FALSE(form->IBQuery2.Active());
    EXPECT_FALSE(control<QWidget>("btnImport")->isEnabled());
    EXPECT_TRUE(control<QLabel>("lblRecordCount")->text().isEmpty());

    chooseTable(QStringLiteral("ZEBRA"));
    EXPECT_TRUE(control<QWidget>("btnImport")->isEnabled());
    EXPECT_EQ(control<QLabel>("lblRecordCount")->text(), QStringLiteral("0 records"));

    messages.Clear();
    chooseTable(QStringLiteral("Big Table"));
    EXPECT_EQ(messages.Messages.size(), 1u);
    EXPECT_EQ(form->BrowseSQL(), "select * from Big Table");
    EXPECT_FALSE(control<QWidget>("btnImport")->isEnabled());
    EXPECT_FALSE(form->IBQuery2.Active());
}

TEST_F(MainWindowTest, OnlySystemRelations)
{
    const std::string db = dir.File("empty.fdb");
    CreateDatabase(db);
    form->show();
    enterLocalDatabase(db);
    clickConnect();

    ASSERT_EQ(messages.Messages.size(), 1u);
    EXPECT_EQ(messages.Messages[0].Kind, TMessageKind::mkPlain);
    EXPECT_EQ(messages.Messages[0].Caption, QStringLiteral("Ferrovane"));
    EXPECT_EQ(messages.Messages[0].Text, QStringLiteral("No table found in Database : Cannot run Import !"));
    EXPECT_TRUE(form->Connected());
    EXPECT_TRUE(tableList().isEmpty());
    EXPECT_FALSE(control<QWidget>("btnImport")->isEnabled());
    EXPECT_FALSE(form->IBQuery2.Active());

    control<QCheckBox>("ckbSystables")->click();
    EXPECT_EQ(messages.Messages.size(), 1u);
    EXPECT_TRUE(form->IBQuery2.Active());
    EXPECT_TRUE(control<QWidget>("btnImport")->isEnabled());
}

TEST_F(MainWindowTest, FailedAttachChangesNothingButTheFlag)
{
    form->show();
    enterLocalDatabase(dir.File("missing/nothing.fdb"));
    clickConnect();

    ASSERT_EQ(messages.Messages.size(), 1u);
    EXPECT_EQ(messages.Messages[0].Kind, TMessageKind::mkError);
    EXPECT_TRUE(messages.Messages[0].Text.contains(QStringLiteral("nothing.fdb"))) << messages.Texts()[0].toStdString();
    EXPECT_FALSE(form->Connected());
    EXPECT_FALSE(form->IBDatabase1.Connected());
    for (const QString &name : entryNames)
        EXPECT_TRUE(control<QWidget>(name.toLatin1().constData())->isEnabled()) << name.toStdString();
    EXPECT_TRUE(control<QWidget>("btnConnect")->isEnabled());
    for (const char *name : {"ComboTables", "ckbSystables", "btnDisconnect", "btnImport"})
        EXPECT_FALSE(control<QWidget>(name)->isEnabled()) << name;
    EXPECT_TRUE(tableList().isEmpty());
}

// The name handed to the attach; none of these can be reached, which is the point.
TEST_F(MainWindowTest, DatabaseNameOfEachServerType)
{
    struct Case {
        bool remote;
        int protocol;
        QString server;
        QString file;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {true, 1, "srv", " C:\\data\\x.fdb ", "\\\\srv\\C:\\data\\x.fdb"},
        {true, 2, "srv", "emp", "srv@emp"},
        {true, 2, " srv ", " emp ", " srv @emp"},
        {false, 0, "", " " + QString::fromStdString(dir.File("lead.fdb")), " " + dir.File("lead.fdb")},
    };
    form->show();
    for (const Case &c : cases) {
        messages.Clear();
        control<QRadioButton>(c.remote ? "RBRemote" : "RBLocale")->click();
        control<QComboBox>("ComboProtocol")->setCurrentIndex(c.protocol);
        control<QLineEdit>("EditServeur")->setText(c.server);
        control<TJvFilenameEdit>("JvFilenameEdit1")->setText(c.file);
        clickConnect();
        EXPECT_EQ(form->IBDatabase1.DatabaseName(), c.expected);
        EXPECT_EQ(messages.Messages.size(), 1u) << c.expected;
        EXPECT_FALSE(form->Connected()) << c.expected;
    }
}

TEST_F(MainWindowTest, RemoteOverTcpTrimsTheFileOnly)
{
    FirebirdServer server;
    const std::string db = dir.File("remote.fdb");
    CreateDatabase(db, {"CREATE TABLE R (ID INTEGER)"});
    form->show();
    control<QRadioButton>("RBRemote")->click();
    control<QLineEdit>("EditServeur")->setText(QStringLiteral("localhost/%1").arg(server.Port()));
    control<TJvFilenameEdit>("JvFilenameEdit1")->setText(QStringLiteral("  %1 ").arg(QString::fromStdString(db)));
    control<QLineEdit>("EditUser")->setText(QStringLiteral("SYSDBA"));
    control<QLineEdit>("EditPassword")->setText(QString::fromLatin1(FirebirdServer::Password));
    clickConnect();
    EXPECT_TRUE(messages.Messages.empty()) << messages.Texts().join('\n').toStdString();
    EXPECT_EQ(form->IBDatabase1.DatabaseName(), "localhost/" + std::to_string(server.Port()) + ":" + db);
    EXPECT_TRUE(form->Connected());
    EXPECT_EQ(tableList(), QStringList{QStringLiteral("R")});
    control<QPushButton>("btnDisconnect")->click();
}

TEST_F(MainWindowTest, ServerTypeSwitch)
{
    form->show();
    auto *server = control<QLineEdit>("EditServeur");
    auto *protocol = control<QComboBox>("ComboProtocol");
    control<QRadioButton>("RBRemote")->click();
    EXPECT_TRUE(server->isVisible());
    EXPECT_TRUE(protocol->isVisible());
    EXPECT_TRUE(control<QLabel>("lblServer")->isVisible());
    server->setText(QStringLiteral("srv"));
    protocol->setCurrentIndex(2);

    control<QRadioButton>("RBRemote")->click(); // clicking it again starts over with TCP
    EXPECT_EQ(protocol->currentIndex(), 0);
    EXPECT_EQ(server->text(), QStringLiteral("srv"));

    protocol->setCurrentIndex(1);
    control<QRadioButton>("RBLocale")->click();
    EXPECT_FALSE(server->isVisible());
    EXPECT_FALSE(protocol->isVisible());
    EXPECT_TRUE(server->text().isEmpty());
    EXPECT_EQ(protocol->currentIndex(), 0);
}

TEST_F(MainWindowTest, QuitAsksAndYesCommitsByDetaching)
{
    const std::string db = dir.File("quit.fdb");
    CreateDatabase(db, {"CREATE TABLE T (ID INTEGER)"});
    form->show();
    enterLocalDatabase(db);
    clickConnect();
    TIBSQL insert(&form->IBDatabase1, &form->IBTransaction1);
    insert.SetSQLText("INSERT INTO T VALUES (7)");
    insert.ExecQuery();

    messages.Answers = {false};
    EXPECT_FALSE(form->close());
    ASSERT_EQ(messages.Messages.size(), 1u);
    EXPECT_EQ(messages.Messages[0].Kind, TMessageKind::mkQuestion);
    EXPECT_EQ(messages.Messages[0].Caption, QStringLiteral("Confirmation"));
    EXPECT_EQ(messages.Messages[0].Text, QStringLiteral("Quit Ferrovane ?"));
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->Connected());
    EXPECT_TRUE(form->IBDatabase1.Connected());
    EXPECT_TRUE(settings->ReadIni().isEmpty());

    control<QPushButton>("btnQuit")->click(); // answered Yes
    EXPECT_EQ(messages.Messages.size(), 2u);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->IBDatabase1.Connected());
    EXPECT_EQ(QueryColumn(db, "SELECT ID FROM T"), std::vector<std::string>{"7"});
    EXPECT_TRUE(settings->ReadIni().startsWith(QStringLiteral("[MainFerrovaneForm]\n")));
}

TEST_F(MainWindowTest, AboutBox)
{
    form->findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
    ASSERT_EQ(messages.Messages.size(), 1u);
    const TMessage &about = messages.Messages[0];
    EXPECT_EQ(about.Kind, TMessageKind::mkInformation);
    EXPECT_TRUE(about.Text.startsWith(QStringLiteral("Ferrovane " FERROVANE_VERSION "\n"))) << about.Text.toStdString();
    EXPECT_TRUE(about.Text.contains(QStringLiteral("Physical memory: "))) << about.Text.toStdString();
    EXPECT_TRUE(about.Text.endsWith(QStringLiteral(" KB"))) << about.Text.toStdString();
    EXPECT_LE(about.Text.size(), MaxMessageText);
}

} // namespace

namespace {

// Every visible control inside its parent's rectangle, none over a sibling.
void expectTidy(const QWidget *parent)
{
    const QList<QWidget *> children = parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    std::vector<const QWidget *> shown;
    for (const QWidget *w : children)
        if (w->isVisible() && !w->isWindow() && !w->objectName().startsWith(QLatin1String("qt_")))
            shown.push_back(w);
    for (const QWidget *w : shown) {
        EXPECT_TRUE(parent->rect().contains(w->geometry())) << w->objectName().toStdString();
        for (const QWidget *other : shown)
            if (other != w && !w->objectName().isEmpty() && !other->objectName().isEmpty()) {
                EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                    << w->objectName().toStdString() << " / " << other->objectName().toStdString();
            }
    }
}

TEST_F(MainWindowTest, LaidOutAtTheSmallestSize)
{
    const std::string db = dir.File("look.fdb");
    CreateDatabase(db, {"CREATE TABLE CUSTOMERS (ID INTEGER NOT NULL, NAME VARCHAR(40), CITY VARCHAR(30), "
                        "COUNTRY CHAR(2), CREATED DATE)",
                        "INSERT INTO CUSTOMERS VALUES (1, 'Durand et Fils', 'Lyon', 'FR', '2026-03-02')",
                        "INSERT INTO CUSTOMERS VALUES (2, 'Oakridge Supplies', 'Leeds', 'GB', NULL)"});
    form->show();
    form->resize(form->minimumSize());
    enterLocalDatabase(db);
    clickConnect();
    QApplication::processEvents();
    ASSERT_EQ(form->size(), QSize(773, 535));
    for (const char *name : {"ClientArea", "GroupDatabase", "GroupTable", "TitleBand"})
        expectTidy(control<QWidget>(name));
    EXPECT_GE(control<QWidget>("JvDBGrid1")->height(), 150);

    for (bool remote : {false, true}) {
        control<QPushButton>("btnDisconnect")->click();
        control<QRadioButton>(remote ? "RBRemote" : "RBLocale")->click();
        QApplication::processEvents();
        expectTidy(control<QWidget>("GroupDatabase"));
    }
    // FERROVANE_SCREENSHOT=folder keeps pictures of the window for a look by eye.
    if (const char *folder = std::getenv("FERROVANE_SCREENSHOT")) {
        control<QRadioButton>("RBLocale")->click();
        clickConnect();
        form->resize(900, 600);
        QApplication::processEvents();
        form->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/main-window.png"));
        form->resize(form->minimumSize());
        QApplication::processEvents();
        form->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/main-window-smallest.png"));
        control<QPushButton>("btnDisconnect")->click();
        control<QRadioButton>("RBRemote")->click();
        form->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/main-window-remote.png"));
    }
}

} // namespace

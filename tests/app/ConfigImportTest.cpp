#include "AppTestSupport.h"
#include "Files.h"
#include "QtInput.h"
#include "app/ConfigImportUnit.h"
#include "ui_ConfigImportUnit.h"
#include "ui_VxIStat.h"
#include "ui_VxIWizForm.h"
#include "wizard/VxIStat.h"
#include "wizard/VxIWizForm.h"
#include "wizard/WindowHost.h"

#include <QComboBox>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <utility>

namespace {

using TPrerequisiteSteps = std::function<void(TConfigImportForm &, Ui::TConfigImportForm &)>;
using TWizardSteps = std::function<void(TfrmVxIWizard &, Ui::TfrmVxIWizard &)>;

// The main window attached to an embedded database with an empty CUSTOMERS table, and the
// prerequisites window opened from it as a user opens it.
class ConfigImportTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        windowHost.Install();
        db = dir.File("shop.fdb");
        CreateDatabase(db, {"CREATE TABLE CUSTOMERS (ID INTEGER NOT NULL, NAME VARCHAR(40), CITY VARCHAR(30), "
                            "CONSTRAINT PK_CUSTOMERS PRIMARY KEY (ID))",
                            "CREATE GENERATOR GEN_CUSTOMER_ID"});
        csv = dir.File("customers.csv");
        WriteFile(csv, "1;Ann Lee;Lyon\r\n2;Bob Stone;Leeds\r\n3;Cyd Moss;Paris\r\n");
        script = dir.File("customers.sql");
        // The run waits for the user to close its progress window with OK.
        okPresser.setInterval(10);
        QObject::connect(&okPresser, &QTimer::timeout, [this] {
            TfrmVxIProcess *progress = windowHost.ProgressWindow();
            if (progress != nullptr && progress->Form().btnCancel->text() == "&OK")
                QTest::keyClick(progress->Form().btnCancel, Qt::Key_Space);
        });
        okPresser.start();
    }

    void TearDown() override
    {
        okPresser.stop();
        MainWindowTest::TearDown();
    }

    void Connect(const char *dialect = "3")
    {
        form->show();
        enterLocalDatabase(db);
        control<QComboBox>("ComboDialect")->setCurrentText(QString::fromLatin1(dialect));
        clickConnect();
        ASSERT_TRUE(form->IBQuery2.Active()) << messages.Texts().join('\n').toStdString();
    }

    // "Import", the steps in the window it opens, and the window closed if they left it open.
    void WithPrerequisites(TPrerequisiteSteps steps)
    {
        WhenModalOpens([steps](QWidget *modal) {
            auto *window = qobject_cast<TConfigImportForm *>(modal);
            ASSERT_NE(window, nullptr);
            steps(*window, window->Form());
            if (window->isVisible())
                window->reject();
        });
        Click(control<QPushButton>("btnImport"));
    }

    // "Run Import", and the steps in the wizard it opens.
    static void RunWizard(TConfigImportForm &window, TWizardSteps steps)
    {
        WhenModalOpens([&window, steps](QWidget *) {
            TfrmVxIWizard *wizard = window.VxIWizardDlg1.Window();
            ASSERT_NE(wizard, nullptr);
            steps(*wizard, wizard->Form());
            if (wizard->isVisible())
                wizard->done(QDialog::Rejected);
        });
        Click(window.Form().btnImport);
    }

    // The delimited file walked through with the mouse, mapped by the preview's corner.
    // A first row other than 1 skips the header rows.
    TWizardSteps DelimitedByMouse(const std::string &file, int firstRow = 1)
    {
        return [file, firstRow](TfrmVxIWizard &wizard, Ui::TfrmVxIWizard &ui) {
            Click(ui.btnNext);
            TypeInto(ui.edFileName, QString::fromStdString(file));
            Click(ui.btnNext);
            Click(ui.rgSeparator->Button(1)); // Semicolon (;)
            Click(ui.btnNext);
            if (firstRow != 1)
                TypeInto(ui.edFirstRow, QString::number(firstRow));
            Click(ui.btnNext);
            ASSERT_EQ(wizard.CurrentStep(), 6);
            Click(ui.imgAutoArrange);
            for (int i = 0; i < 5 && wizard.CurrentStep() < 9; ++i)
                Click(ui.btnNext);
            ASSERT_EQ(wizard.CurrentStep(), 9);
            Click(ui.btnCancel); // "Execute"
        };
    }

    std::vector<std::string> Rows() const
    {
        return QueryColumn(db, "SELECT ID || ':' || NAME || ':' || CITY FROM CUSTOMERS ORDER BY ID");
    }
    int GridRows() { return control<QTableView>("JvDBGrid1")->model()->rowCount(); }

    TVxIWindowHost windowHost;
    QTimer okPresser;
    std::string db, csv, script;
};

const std::vector<std::string> threeCustomers = {"1:Ann Lee:Lyon", "2:Bob Stone:Leeds", "3:Cyd Moss:Paris"};

TEST_F(ConfigImportTest, ImportFromTheMainWindowDownToTheRowsInTheTable)
{
    Connect();
    std::vector<std::string> keys;
    WithPrerequisites([&](TConfigImportForm &window, Ui::TConfigImportForm &ui) {
        EXPECT_EQ(window.windowTitle(), "Import Prerequisites");
        EXPECT_TRUE(ui.ckbAutoSetup->isChecked());
        EXPECT_TRUE(ui.ckbQuote->isChecked()); // dialect 3
        EXPECT_FALSE(ui.lbPrimaryKeys->isEnabled());
        EXPECT_FALSE(ui.OutputFileEdit->isVisible());
        ASSERT_TRUE(ui.btnImport->isEnabled());
        for (QListWidgetItem *item : ui.lbPrimaryKeys->selectedItems())
            keys.push_back(item->text().toStdString());
        EXPECT_EQ(ui.lbFieldsToUpdate->selectedItems().size(), 3);
        RunWizard(window, DelimitedByMouse(csv));
        EXPECT_EQ(window.VxIWizardDlg1.Statistic.TotalAdded, 3);
        EXPECT_EQ(window.VxIWizardDlg1.DatasetKeys, "ID");
        EXPECT_TRUE(window.isVisible()); // the window stays for another run
        Click(ui.btnCancel);             // "Close"
    });
    EXPECT_EQ(keys, std::vector<std::string>{"ID"});
    EXPECT_EQ(form->IBUpdateSQL2.InsertSQL,
              (std::vector<std::string>{" insert into \"CUSTOMERS\"",
                                        "  (\"CUSTOMERS\".\"ID\", \"CUSTOMERS\".\"NAME\", \"CUSTOMERS\".\"CITY\")",
                                        "values", "  (:\"ID\", :\"NAME\", :\"CITY\")"}));
    EXPECT_EQ(GridRows(), 3);
    EXPECT_TRUE(Rows().empty()); // nothing is committed before the disconnect
    Click(control<QPushButton>("btnDisconnect"));
    EXPECT_EQ(Rows(), threeCustomers);
    EXPECT_TRUE(messages.Texts().contains("Do you want to start the import process?"))
        << messages.Texts().join('\n').toStdString();
    EXPECT_TRUE(settings->ReadIni().contains("[ConfigImportForm]"));
}

// The import the README walks a newcomer through: the example file into the demo database.
TEST_F(ConfigImportTest, TheReadmesWalkThrough)
{
    const std::string source = FERROVANE_SOURCE_DIR;
    db = dir.File("demo.fdb");
    ASSERT_EQ(std::system(("bash " + source + "/scripts/make-demo-db.sh " + db + " >/dev/null").c_str()), 0);
    Connect();
    chooseTable("CUSTOMERS");
    WithPrerequisites([&](TConfigImportForm &window, Ui::TConfigImportForm &) {
        RunWizard(window, DelimitedByMouse(source + "/examples/customers.csv", 2));
        EXPECT_EQ(window.VxIWizardDlg1.Statistic.TotalAdded, 3);
    });
    Click(control<QPushButton>("btnDisconnect"));
    EXPECT_EQ(
        QueryColumn(db, "SELECT ID || ':' || NAME || ':' || CITY || ':' || COUNTRY || ':' || "
                        "COALESCE(CAST(CREATED AS VARCHAR(10)), '-') FROM CUSTOMERS WHERE ID >= 5 ORDER BY ID"),
        (std::vector<std::string>{"5:Nordlys AS:Bergen:NO:2026-02-14", "6:Brasserie \"Le Zinc\":Lille:FR:2026-03-01",
                                  "7:Hanseatic Trading:Hamburg:DE:-"}));
    EXPECT_TRUE(messages.Texts().filter("error", Qt::CaseInsensitive).isEmpty())
        << messages.Texts().join('\n').toStdString();
}

// The window the program makes at start and never shows saves its first values at exit:
// each run of the program starts the prerequisites from them.
TEST_F(ConfigImportTest, TheUnshownWindowSavesItsFirstValuesWhenItGoes)
{
    settings->WriteIni("[ConfigImportForm]\r\nRBSQL_Checked=TRUE\r\nRBImport_Checked=FALSE\r\n"
                       "CommitCountEdit_Text=10\r\n");
    std::make_unique<TConfigImportForm>(*form).reset();
    const QString ini = settings->ReadIni();
    for (const char *value : {"RBImport_Checked=TRUE", "RBSQL_Checked=FALSE", "CommitCountEdit_Text=300",
                              "ckbAutoSetup_Checked=TRUE", "ckbGenConnect_Checked=TRUE", "ckbOpenOutput_Checked=FALSE"})
        EXPECT_TRUE(ini.contains(value)) << value << "\n" << ini.toStdString();
}

// The keyboard alone: Tab, arrows, typed text, Enter and Escape, from the main window's
// entries to the rows of the table (or the script that makes them).
class ConfigImportKeyboardTest : public ConfigImportTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ConfigImportKeyboardTest, TheWholeImportByKeyboard)
{
    const bool scriptMode = GetParam();
    WriteFile(csv, "1\tAnn Lee\tLyon\r\n2\tBob Stone\tLeeds\r\n3\tCyd Moss\tParis\r\n"); // Tab: the default
    form->show();
    QApplication::setActiveWindow(form.get());
    enterLocalDatabase(db);
    control<QWidget>("JvFilenameEdit1")->setProperty("text", QString());
    ASSERT_TRUE(TabTo(control<QWidget>("JvFilenameEdit1")));
    Type(QString::fromStdString(db));
    Press(Qt::Key_Return); // "Connect"
    ASSERT_TRUE(form->IBQuery2.Active()) << messages.Texts().join('\n').toStdString();
    ASSERT_TRUE(TabTo(control<QWidget>("btnImport")));

    bool wizardRan = false;
    WhenModalOpens([&](QWidget *modal) {
        auto *window = qobject_cast<TConfigImportForm *>(modal);
        ASSERT_NE(window, nullptr);
        Ui::TConfigImportForm &ui = window->Form();
        if (scriptMode) {
            ASSERT_TRUE(TabTo(ui.RBImport));
            Press(Qt::Key_Down);
            ASSERT_TRUE(ui.RBSQL->isChecked());
            ASSERT_TRUE(TabTo(ui.OutputFileEdit));
            Type(QString::fromStdString(script));
        }
        WhenModalOpens([&, window](QWidget *) {
            TfrmVxIWizard *wizard = window->VxIWizardDlg1.Window();
            ASSERT_NE(wizard, nullptr);
            Ui::TfrmVxIWizard &w = wizard->Form();
            Press(Qt::Key_Return); // step 1: text
            ASSERT_EQ(wizard->CurrentStep(), 2);
            ASSERT_TRUE(TabTo(w.edFileName));
            Press(Qt::Key_A, Qt::ControlModifier);
            Type(QString::fromStdString(csv));
            for (int i = 0; i < 5 && wizard->CurrentStep() < 6; ++i)
                Press(Qt::Key_Return);
            ASSERT_EQ(wizard->CurrentStep(), 6);
            ASSERT_TRUE(TabTo(w.imgAutoArrange)); // the corner maps by position
            Press(Qt::Key_Space);
            for (int i = 0; i < 5 && wizard->CurrentStep() < 9; ++i)
                Press(Qt::Key_Return);
            ASSERT_EQ(wizard->CurrentStep(), 9);
            Press(Qt::Key_Return); // "Execute"
            wizardRan = true;
        });
        Press(Qt::Key_Return); // "Run Import"
        Press(Qt::Key_Escape); // "Close"
    });
    Press(Qt::Key_Space);
    EXPECT_TRUE(wizardRan);
    EXPECT_EQ(form->findChild<TConfigImportForm *>(), nullptr);
    EXPECT_EQ(GridRows(), scriptMode ? 0 : 3);
    Click(control<QPushButton>("btnDisconnect"));
    if (scriptMode) {
        EXPECT_TRUE(Rows().empty());
        ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(script)));
        // The script carries its own CONNECT and COMMIT WORK.
        ASSERT_EQ(std::system(("isql-fb -q -bail -i " + script + " >/dev/null 2>&1").c_str()), 0);
    }
    EXPECT_EQ(Rows(), threeCustomers);
}

INSTANTIATE_TEST_SUITE_P(ImportAndScript, ConfigImportKeyboardTest, ::testing::Values(false, true),
                         [](const auto &param) { return param.param ? "Script" : "Import"; });

// What the script holds after one run in script mode, or that there is none.
struct ScriptCase {
    const char *name;
    std::string source; // the delimited file's content
    bool connect, commit;
    bool execute; // false: the wizard is cancelled on its first step
    int firstRow;
    // Expected lines after the header's first three; empty: no file is written.
    std::vector<std::string> tail;
};

TEST_F(ConfigImportTest, WhatAScriptRunWrites)
{
    Connect();
    const std::vector<std::string> rows = {
        "INSERT INTO CUSTOMERS (ID, \"NAME\", CITY) VALUES (1, 'Ann Lee', 'Lyon');",
        "INSERT INTO CUSTOMERS (ID, \"NAME\", CITY) VALUES (2, 'Bob Stone', 'Leeds');",
        "INSERT INTO CUSTOMERS (ID, \"NAME\", CITY) VALUES (3, 'Cyd Moss', 'Paris');"};
    const std::vector<std::string> header = {"", "", "SET SQL DIALECT 3;", "", "SET NAMES NONE;", ""};
    auto plus = [](std::vector<std::string> a, const std::vector<std::string> &b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const std::string connect = "CONNECT '" + db + "' USER 'SYSDBA' PASSWORD '';";
    const std::vector<ScriptCase> cases = {
        {"cancelled first run", "1;Ann Lee;Lyon\r\n", true, true, false, 1, {}},
        {"no rows", "Id;Name;City\r\n", true, true, true, 2, {}},
        {"neither CONNECT nor COMMIT", "1;Ann Lee;Lyon\r\n2;Bob Stone;Leeds\r\n3;Cyd Moss;Paris\r\n", false, false,
         true, 1, plus(plus(header, rows), {""})},
        {"both", "1;Ann Lee;Lyon\r\n2;Bob Stone;Leeds\r\n3;Cyd Moss;Paris\r\n", true, true, true, 1,
         plus(plus(plus(header, {connect, ""}), rows), {"", "COMMIT WORK;", ""})},
    };
    for (const ScriptCase &c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(script.c_str());
        WriteFile(csv, c.source);
        std::vector<bool> modes;
        WithPrerequisites([&](TConfigImportForm &window, Ui::TConfigImportForm &ui) {
            Click(ui.RBSQL);
            EXPECT_FALSE(ui.ckbUseGenerator->isEnabled());
            TypeInto(ui.OutputFileEdit->Edit(), QString::fromStdString(script));
            if (ui.ckbGenConnect->isChecked() != c.connect)
                Click(ui.ckbGenConnect);
            if (ui.ckbGenCommit->isChecked() != c.commit)
                Click(ui.ckbGenCommit);
            RunWizard(window, [&](TfrmVxIWizard &wizard, Ui::TfrmVxIWizard &w) {
                if (!c.execute) {
                    Click(w.btnCancel);
                    return;
                }
                DelimitedByMouse(csv, c.firstRow)(wizard, w);
                for (int i = 0; i < w.rgModeType->Count(); ++i)
                    modes.push_back(w.rgModeType->ItemEnabled(i));
            });
        });
        EXPECT_TRUE(Rows().empty());
        const QString file = QString::fromStdString(script);
        if (c.tail.empty()) {
            EXPECT_FALSE(QFileInfo::exists(file));
            continue;
        }
        // Append, Update and Delete only: a script cannot know what the table holds.
        EXPECT_EQ(modes, (std::vector<bool>{true, true, false, true, false, false}));
        const std::string content = ReadFile(script);
        ASSERT_FALSE(content.empty());
        EXPECT_EQ(content.substr(content.size() - 2), "\r\n");
        QStringList lines = QString::fromStdString(content.substr(0, content.size() - 2)).split("\r\n");
        ASSERT_GE(lines.size(), 3);
        EXPECT_EQ(lines[0], "/" + QString(78, '*') + "/");
        EXPECT_TRUE(QRegularExpression(R"(^/\*\*\*                  Generated by Ferrovane \d{4}.\d\d.\d\d - )"
                                       R"(\d\d.\d\d.\d\d              \*\*\*/$)")
                        .match(lines[1])
                        .hasMatch())
            << lines[1].toStdString();
        EXPECT_EQ(lines[2], lines[0]);
        std::vector<std::string> tail;
        for (qsizetype i = 3; i < lines.size(); ++i)
            tail.push_back(lines[i].toStdString());
        EXPECT_EQ(tail, c.tail);
    }
}

TEST_F(ConfigImportTest, ReplacingAnOutputFileAndOpeningItAfterwards)
{
    Connect();
    WriteFile(script, "earlier");
    QStringList opened;
    const auto desktop = std::exchange(TConfigImportForm::OpenDocument, [&](const QString &file) { opened << file; });
    messages.Answers = {false};
    WithPrerequisites([&](TConfigImportForm &window, Ui::TConfigImportForm &ui) {
        Click(ui.RBSQL);
        TypeInto(ui.OutputFileEdit->Edit(), " " + QString::fromStdString(script) + " ");
        Click(ui.ckbOpenOutput);
        Click(ui.btnImport);
        EXPECT_EQ(messages.Messages.size(), 1u); // No: the run does not start
        EXPECT_TRUE(ui.OutputFileEdit->Edit()->hasFocus());
        RunWizard(window, DelimitedByMouse(csv)); // Yes, this time
    });
    TConfigImportForm::OpenDocument = desktop;
    ASSERT_GE(messages.Messages.size(), 1u);
    EXPECT_EQ(messages.Messages[0].Caption, "File allready exists");
    EXPECT_EQ(messages.Messages[0].Text,
              QString::fromStdString("File " + script + " allready exists.\r\nDo you want to replace this file ?"));
    EXPECT_NE(ReadFile(script).find("VALUES (3, 'Cyd Moss', 'Paris');"), std::string::npos);
    EXPECT_EQ(opened, QStringList{QString::fromStdString(script)});
}

TEST_F(ConfigImportTest, MissingGeneratorFieldOrOutputFileStopTheRunWithTheFocusThere)
{
    Connect();
    WithPrerequisites([&](TConfigImportForm &window, Ui::TConfigImportForm &ui) {
        EXPECT_FALSE(ui.ComboGenerator->isVisible());
        Click(ui.ckbUseGenerator);
        EXPECT_TRUE(ui.ComboGenerator->isVisible());
        EXPECT_EQ(ui.ComboGenerator->count(), 1); // the database's own generator
        EXPECT_EQ(ui.ComboGenerator->currentIndex(), -1);
        Click(ui.btnImport);
        EXPECT_EQ(window.focusWidget(), ui.ComboGenerator);
        ui.ComboGenerator->setCurrentIndex(0);
        Click(ui.btnImport);
        EXPECT_EQ(window.focusWidget(), ui.ComboGeneratorField);
        ui.ComboGeneratorField->setCurrentIndex(0);
        RunWizard(window, [&](TfrmVxIWizard &, Ui::TfrmVxIWizard &) {
            EXPECT_EQ(form->IBQuery2.GeneratorField.Generator, "GEN_CUSTOMER_ID");
            EXPECT_EQ(form->IBQuery2.GeneratorField.Field, "ID");
        });
        // Script mode leaves the generator out, and wants a file.
        Click(ui.RBSQL);
        EXPECT_FALSE(ui.ckbUseGenerator->isChecked());
        EXPECT_FALSE(ui.ComboGenerator->isVisible());
        Click(ui.btnImport);
        // Its window is the one to take the focus back when the wizard's goes.
        EXPECT_EQ(window.focusWidget(), ui.OutputFileEdit->Edit());
    });
    ASSERT_EQ(messages.Messages.size(), 4u) << messages.Texts().join('\n').toStdString();
    const std::vector<std::pair<QString, QString>> expected = {
        {"Missing Generator Name", "You must specify a generator"},
        {"Missing Linked Field", QString::fromUtf8("You must specify \xC3\xA0 field linked to the generator")},
        {"Confirmation", "Do you want to cancel the import process?"},
        {"Missing Output File", "You must specify an Output File for the script"},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (i == 2)
            continue; // the wizard's own question when it was left
        EXPECT_EQ(messages.Messages[i].Kind, TMessageKind::mkInformation);
        EXPECT_EQ(messages.Messages[i].Caption, expected[i].first);
        EXPECT_EQ(messages.Messages[i].Text, expected[i].second);
    }
}

TEST_F(ConfigImportTest, DialectOneNeverQuotesAndTheChoicesCarryOverToTheNextWindow)
{
    settings->WriteIni("[ConfigImportForm]\r\nckbQuote_Checked=TRUE\r\nckbAutoSetup_Checked=FALSE\r\n");
    Connect("1");
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        WithPrerequisites([&](TConfigImportForm &, Ui::TConfigImportForm &ui) {
            EXPECT_FALSE(ui.ckbQuote->isChecked());
            EXPECT_FALSE(ui.ckbQuote->isEnabled());
            if (pass == 0) {
                EXPECT_FALSE(ui.ckbAutoSetup->isChecked());
                EXPECT_TRUE(ui.lbPrimaryKeys->isEnabled());
                EXPECT_FALSE(ui.btnImport->isEnabled()); // nothing generated yet
                Click(ui.btnUpdateSQL);
                EXPECT_TRUE(ui.btnImport->isEnabled());
                EXPECT_EQ(form->IBUpdateSQL2.ModifySQL.back(), "ID = :OLD_ID");
                Click(ui.RBSQL);
                TypeInto(ui.OutputFileEdit->Edit(), QString::fromStdString(script));
                Click(ui.btnCancel);
                return;
            }
            EXPECT_TRUE(ui.RBSQL->isChecked());
            EXPECT_TRUE(ui.OutputFileEdit->isVisible());
            EXPECT_EQ(ui.OutputFileEdit->text().toStdString(), script);
        });
    }
    const QString ini = settings->ReadIni();
    EXPECT_TRUE(ini.contains("RBSQL_Checked=TRUE")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("ckbQuote_Checked=FALSE"));
    EXPECT_TRUE(ini.contains("CommitCountEdit_Text=300"));
}

} // namespace

namespace {

// The prerequisites window as a user first sees it, in both modes. With
// FERROVANE_SCREENSHOT=folder the pictures are kept there (make screenshots); without it
// the window is still checked for controls that do not fit.
using ConfigImportScreenshots = ConfigImportTest;

TEST_F(ConfigImportScreenshots, ImportAndScriptMode)
{
    Connect();
    WithPrerequisites([&](TConfigImportForm &window, Ui::TConfigImportForm &ui) {
        KeepScreenshot(window, "prerequisites-import");
        Click(ui.RBSQL);
        TypeInto(ui.OutputFileEdit->Edit(), "/home/ann/customers.sql");
        KeepScreenshot(window, "prerequisites-script");
    });
}

} // namespace

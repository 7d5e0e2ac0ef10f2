#include "Files.h"
#include "WizardTestSupport.h"
#include "ui_SaveSpec.h"
#include "ui_VxISpecs.h"
#include "wizard/SaveSpec.h"
#include "wizard/WindowHost.h"
#include "wizard/VxISpecs.h"

#include <QFileDialog>
#include <QListWidget>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

// Works a modal window of the given kind once it is up: it may come a few turns of the
// event loop later, as another window closes first. What the steps leave open is closed.
template <class TWindow> void WhenShown(std::function<void(TWindow &)> steps, int turns = 100)
{
    QTimer::singleShot(0, [steps, turns] {
        auto *window = qobject_cast<TWindow *>(QApplication::activeModalWidget());
        if (window == nullptr) {
            if (turns > 0)
                WhenShown<TWindow>(steps, turns - 1);
            else
                ADD_FAILURE() << "the window never showed";
            return;
        }
        steps(*window);
        if (window->isVisible())
            window->reject();
    });
}

std::vector<std::string> listed(const Ui::TfrmSpecs &ui)
{
    std::vector<std::string> names;
    for (int row = 0; row < ui.lbSpecs->count(); ++row)
        names.push_back(ui.lbSpecs->item(row)->text().toStdString());
    return names;
}

QPoint itemCenter(const Ui::TfrmSpecs &ui, int row)
{
    return ui.lbSpecs->visualItemRect(ui.lbSpecs->item(row)).center();
}

// A double click as the system delivers one: a click, then the second press.
void doubleClick(const Ui::TfrmSpecs &ui, int row)
{
    QTest::mouseClick(ui.lbSpecs->viewport(), Qt::LeftButton, {}, itemCenter(ui, row));
    QTest::mouseDClick(ui.lbSpecs->viewport(), Qt::LeftButton, {}, itemCenter(ui, row));
    QTest::mouseRelease(ui.lbSpecs->viewport(), Qt::LeftButton, {}, itemCenter(ui, row));
}

std::string spec(const std::string &name)
{
    return "[Common]\r\nSpecification=" + name + "\r\n[Text]\r\nRowFirst=7\r\n";
}

bool exists(const std::string &file) { return std::filesystem::exists(file); }

// A file of the folder, which is made first when missing.
void put(const std::string &path, const std::string &content)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFile(path, content);
}

class SpecificationsTest : public TWizardOverPeople {
protected:
    void SetUp() override
    {
        TWizardOverPeople::SetUp();
        WriteFile(csv, "Id;Name\r\n1;Ann\r\n2;Bob\r\n");
        Configure(wizard);
    }

    void Configure(TVxIWizardDlg &other)
    {
        other.DataSet = &destination.Query;
        other.Host = &dialogHost;
        other.SpecificationDir = folder;
        other.ConfirmCancelExit = false;
    }

    // The list from the wizard window's button, worked by the steps.
    static void WithSpecifications(Ui::TfrmVxIWizard &ui, std::function<void(TfrmSpecs &, Ui::TfrmSpecs &)> steps)
    {
        Settle();
        WhenShown<TfrmSpecs>([steps](TfrmSpecs &specs) { steps(specs, specs.Form()); });
        QTest::mouseClick(ui.btnSpecs, Qt::LeftButton);
    }

    // The list as the wizard component shows it without its window.
    void WithSpecifications(std::function<void(TfrmSpecs &, Ui::TfrmSpecs &)> steps)
    {
        WhenShown<TfrmSpecs>([steps](TfrmSpecs &specs) { steps(specs, specs.Form()); });
        wizard.ShowSpecifications();
    }

    std::string folder = dir.Path() + "/specifications/";
    std::string csv = dir.File("people.csv");
    TVxIWindowHost dialogHost; // the program's own: its save window
    TMessageRecorder messages;
};

TEST_F(SpecificationsTest, SavedFromTheWizardLoadedIntoAFreshWindowAndDeleted)
{
    const std::string saved = folder + "people.vxi";
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        Click(ui.btnNext);
        TypeInto(ui.edFileName, QString::fromStdString(csv));
        Click(ui.btnNext);
        Click(ui.rgSeparator->Button(1)); // Semicolon (;)
        TypeInto(ui.cbQualifier->lineEdit(), "'");
        Click(ui.btnNext);
        TypeInto(ui.edFirstRow, "2");
        QTest::keyClick(ui.cbDateOrder, Qt::Key_Y); // YMD
        TypeInto(ui.edDecimalSymbol, ",");
        TypeInto(ui.edTrue, "yes");
        Click(ui.btnNext);
        Click(ui.imgAutoArrange);
        Click(ui.btnNext);
        ui.sgMappings->setCurrentCell(1, 3);
        Click(ui.cbKey); // ID is the key
        Click(ui.btnNext);
        Click(ui.cbSkipIf);
        TypeInto(ui.edSkipIf, "Field2 = 'Bob'");
        Click(ui.btnNext);
        Click(ui.rgModeType->Button(2)); // Append/Update
        Click(ui.btnPrev);
        Click(ui.btnPrev);
        ASSERT_EQ(window.CurrentStep(), 7);

        WithSpecifications(ui, [&](TfrmSpecs &specs, Ui::TfrmSpecs &list) {
            EXPECT_EQ(specs.windowTitle(), "Specifications...");
            EXPECT_EQ(list.lblPrompt->text(), "List of available specifications:");
            EXPECT_EQ(specs.Count(), 0);
            EXPECT_TRUE(list.btnSave->isEnabled());
            EXPECT_FALSE(list.btnLoad->isEnabled());
            EXPECT_FALSE(list.btnDelete->isEnabled());
            WhenShown<TfrmSaveSpec>([&](TfrmSaveSpec &save) {
                Ui::TfrmSaveSpec &form = save.Form();
                EXPECT_EQ(save.windowTitle(), "Import specification");
                EXPECT_EQ(form.lblFileName->text(), "Import from File:");
                EXPECT_EQ(form.edSpecName->text(), "Import specification");
                EXPECT_EQ(form.edFileName->text().toStdString(), saved);
                TypeInto(form.edSpecName, "People from CSV");
                Click(form.btnOk);
            });
            Click(list.btnSave);
        });
        EXPECT_TRUE(exists(saved));
        WithSpecifications(ui, [&](TfrmSpecs &, Ui::TfrmSpecs &list) {
            EXPECT_EQ(listed(list), std::vector<std::string>{"People from CSV"});
            QTest::keyClick(list.lbSpecs, Qt::Key_Escape);
        });

        // Loaded while the mappings show, the grid shows the loaded ones at once.
        const std::string original = ReadFile(saved);
        std::string text = original;
        const auto map = text.find("=ID=Field1");
        ASSERT_NE(map, std::string::npos);
        WriteFile(saved, text.replace(map, 10, "=ID=Field2"));
        WithSpecifications(ui,
                           [&](TfrmSpecs &, Ui::TfrmSpecs &list) { QTest::keyClick(list.lbSpecs, Qt::Key_Return); });
        EXPECT_EQ(window.CurrentStep(), 7);
        EXPECT_EQ(ui.sgMappings->item(1, 2)->text(), "Field2");
        WriteFile(saved, original);
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrCancel);

    TVxIWizardDlg fresh;
    Configure(fresh);
    WhileWizardShows(fresh, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        EXPECT_NE(ui.edFileName->text().toStdString(), csv);
        WithSpecifications(ui, [&](TfrmSpecs &specs, Ui::TfrmSpecs &list) {
            ASSERT_EQ(specs.Count(), 1);
            EXPECT_EQ(list.lbSpecs->currentRow(), 0);
            QTest::keyClick(list.lbSpecs, Qt::Key_Return); // loads
            EXPECT_FALSE(specs.isVisible());
        });
        EXPECT_EQ(ui.edFileName->text().toStdString(), csv);
        EXPECT_EQ(ui.rgSeparator->ItemIndex(), 1);
        EXPECT_EQ(ui.cbQualifier->currentText(), "'");
        EXPECT_EQ(ui.edFirstRow->text(), "2");
        EXPECT_EQ(ui.cbDateOrder->currentText(), "YMD");
        EXPECT_EQ(ui.edDecimalSymbol->text(), ",");
        EXPECT_EQ(ui.edTrue->text(), "yes");
        EXPECT_TRUE(ui.cbSkipIf->isChecked());
        EXPECT_EQ(ui.edSkipIf->text(), "Field2 = 'Bob'");
        EXPECT_FALSE(ui.cbLoadWhen->isChecked());
        EXPECT_EQ(ui.rgModeType->ItemIndex(), 2);
        while (window.CurrentStep() < 7)
            Click(ui.btnNext);
        ASSERT_EQ(window.CurrentStep(), 7);
        ASSERT_EQ(ui.sgMappings->rowCount(), 3);
        EXPECT_EQ(ui.sgMappings->item(1, 1)->text(), "ID");
        EXPECT_EQ(ui.sgMappings->item(1, 2)->text(), "Field1");
        EXPECT_EQ(ui.sgMappings->item(1, 3)->checkState(), Qt::Checked);
        EXPECT_EQ(ui.sgMappings->item(2, 1)->text(), "NAME");
        EXPECT_EQ(ui.sgMappings->item(2, 2)->text(), "Field2");
        EXPECT_EQ(ui.sgMappings->item(2, 3)->checkState(), Qt::Unchecked);
        Click(ui.btnCancel);
    });
    EXPECT_EQ(fresh.Execute(), TModalResult::mrCancel);

    WithSpecifications([&](TfrmSpecs &specs, Ui::TfrmSpecs &list) {
        {
            TMessageRecorder no(false);
            Click(list.btnDelete);
            EXPECT_EQ(no.Messages, std::vector<std::string>{"Delete import specification " + saved + "?"});
        }
        EXPECT_EQ(specs.Count(), 1);
        EXPECT_TRUE(exists(saved));
        TMessageRecorder yes(true);
        QTest::keyClick(list.lbSpecs, Qt::Key_Delete);
        EXPECT_EQ(specs.Count(), 0);
        EXPECT_FALSE(exists(saved));
        // The only entry gone: Delete stays enabled, and does nothing any more.
        EXPECT_TRUE(list.btnDelete->isEnabled());
        Click(list.btnDelete);
        EXPECT_EQ(yes.Messages.size(), 1u);
        EXPECT_TRUE(specs.isVisible());
    });
    EXPECT_TRUE(messages.Messages.empty());
}

TEST_F(SpecificationsTest, EveryFileOfTheFolderIsListedByItsNameAndSaveTakesTheSelectedOne)
{
    put(folder + "b.vxi", spec("Daily"));
    put(folder + "a.vxi", spec("Daily"));
    put(folder + "c.VXI", "[Common]\r\nTableName=PEOPLE\r\n");
    put(folder + "d.vxi", "[Text]\r\nSpecification=Elsewhere\r\n");
    put(folder + "notes.txt", spec("Notes"));
    std::filesystem::create_directories(folder + "folder.vxi");
    wizard.SourceFileName = csv;
    WithSpecifications([&](TfrmSpecs &specs, Ui::TfrmSpecs &list) {
        EXPECT_EQ(listed(list), (std::vector<std::string>{"Daily", "Daily", folder + "c.VXI", folder + "d.vxi"}));
        EXPECT_EQ(list.lbSpecs->currentRow(), 0);
        ASSERT_NE(specs.LoadTarget(), nullptr);
        EXPECT_EQ(specs.LoadTarget()->FileName, folder + "a.vxi");
        QTest::mouseClick(list.lbSpecs->viewport(), Qt::LeftButton, {}, itemCenter(list, 1));
        EXPECT_EQ(specs.LoadTarget()->FileName, folder + "b.vxi");
        WhenShown<TfrmSaveSpec>([&](TfrmSaveSpec &save) {
            EXPECT_EQ(save.Form().edSpecName->text(), "Daily");
            EXPECT_EQ(save.Form().edFileName->text().toStdString(), folder + "b.vxi");
            Click(save.Form().btnOk);
        });
        Click(list.btnSave);
    });
    EXPECT_NE(ReadFile(folder + "b.vxi").find("SourceFileName=" + csv + "\r\n"), std::string::npos);

    // Cancelled, the selected one is not overwritten either.
    WithSpecifications([&](TfrmSpecs &, Ui::TfrmSpecs &list) {
        WhenShown<TfrmSaveSpec>([&](TfrmSaveSpec &save) { QTest::keyClick(&save, Qt::Key_Escape); });
        Click(list.btnSave);
    });
    EXPECT_EQ(ReadFile(folder + "a.vxi"), spec("Daily"));

    // With nothing selected, Save proposes a new one; cancelled, nothing is written.
    WithSpecifications([&](TfrmSpecs &specs, Ui::TfrmSpecs &list) {
        QTest::mouseClick(list.lbSpecs->viewport(), Qt::LeftButton, Qt::ControlModifier, itemCenter(list, 0));
        EXPECT_EQ(specs.Selected(), nullptr);
        EXPECT_EQ(specs.LoadTarget(), nullptr);
        WhenShown<TfrmSaveSpec>([&](TfrmSaveSpec &save) {
            EXPECT_EQ(save.Form().edSpecName->text(), "Import specification");
            EXPECT_EQ(save.Form().edFileName->text().toStdString(), folder + "people.vxi");
            QTest::keyClick(&save, Qt::Key_Escape);
        });
        Click(list.btnSave);
    });
    EXPECT_FALSE(exists(folder + "people.vxi"));
    EXPECT_TRUE(messages.Messages.empty());
}

struct AccessCase {
    const char *name;
    bool save, load, remove, anyFile;
    bool saveEnabled, loadEnabled, deleteEnabled;
};

TEST_F(SpecificationsTest, UserAccessAndAnEmptyFolderDecideTheButtons)
{
    const std::vector<AccessCase> cases = {
        {"everything", true, true, true, true, true, true, true},
        {"no save", false, true, true, true, false, true, true},
        {"save only", true, false, false, true, true, false, false},
        {"empty folder", true, true, true, false, true, false, false},
    };
    for (const AccessCase &c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(folder);
        if (c.anyFile)
            put(folder + "one.vxi", spec("One"));
        wizard.UserAccess.SpecificationSave = c.save;
        wizard.UserAccess.SpecificationLoad = c.load;
        wizard.UserAccess.SpecificationDelete = c.remove;
        WithSpecifications([&](TfrmSpecs &, Ui::TfrmSpecs &list) {
            EXPECT_EQ(list.btnSave->isEnabled(), c.saveEnabled);
            EXPECT_EQ(list.btnLoad->isEnabled(), c.loadEnabled);
            EXPECT_EQ(list.btnDelete->isEnabled(), c.deleteEnabled);
            // A refused Load is not reached by a double click either.
            if (c.anyFile) {
                doubleClick(list, 0);
                EXPECT_EQ(wizard.RowFirst, c.loadEnabled ? 7 : 1);
                wizard.RowFirst = 1;
            }
        });
        EXPECT_TRUE(std::filesystem::is_directory(folder)); // made when missing
    }

    wizard.UserAccess.Specification = false;
    std::unique_ptr<TfrmVxIWizard> window;
    EXPECT_FALSE(OpenWizardWindow(wizard, window).btnSpecs->isVisible());
}

TEST_F(SpecificationsTest, TheHandlerFillsTheListInsteadOfTheFolder)
{
    put(folder + "ignored.vxi", spec("Ignored"));
    const std::string elsewhere = dir.File("elsewhere.vxi");
    WriteFile(elsewhere, spec("From the handler"));
    wizard.OnGetSpecifications = [&](TVxIWizardDlg *sender, std::vector<TVxISpecificationFile> &list) {
        EXPECT_EQ(sender, &wizard);
        list.push_back({elsewhere, "Handed over"});
    };
    WithSpecifications([&](TfrmSpecs &, Ui::TfrmSpecs &list) {
        EXPECT_EQ(listed(list), std::vector<std::string>{"Handed over"});
        Click(list.btnLoad);
    });
    EXPECT_EQ(wizard.RowFirst, 7);
}

TEST_F(SpecificationsTest, FilesThatCannotBeLoadedOrWrittenAreReported)
{
    put(folder + "bad.vxi", "[Common]\r\nSpecification=Bad\r\nTextQualifier=ZZ\r\n");
    put(folder + "gone.vxi", spec("Gone"));
    WithSpecifications([&](TfrmSpecs &specs, Ui::TfrmSpecs &list) {
        doubleClick(list, 0);
        EXPECT_TRUE(specs.isVisible());
        ASSERT_EQ(messages.Messages.size(), 1u);
        EXPECT_NE(messages.Messages[0].find("ZZ"), std::string::npos) << messages.Messages[0];

        std::filesystem::remove(folder + "gone.vxi");
        QTest::mouseClick(list.lbSpecs->viewport(), Qt::LeftButton, {}, itemCenter(list, 1));
        Click(list.btnLoad);
        EXPECT_TRUE(specs.isVisible());
        ASSERT_EQ(messages.Messages.size(), 2u);
        EXPECT_EQ(messages.Messages[1], "File " + folder + "gone.vxi not exist.");
        Click(list.btnClose);
        EXPECT_FALSE(specs.isVisible());
    });

    // A folder where the file should go.
    WithSpecifications([&](TfrmSpecs &, Ui::TfrmSpecs &list) {
        WhenShown<TfrmSaveSpec>([&](TfrmSaveSpec &save) {
            TypeInto(save.Form().edFileName, QString::fromStdString(folder));
            Click(save.Form().btnOk);
        });
        Click(list.btnSave);
    });
    ASSERT_EQ(messages.Messages.size(), 3u);
    EXPECT_NE(messages.Messages[2].find(folder), std::string::npos) << messages.Messages[2];
}

TEST_F(SpecificationsTest, TheSaveWindowProposesAFileThroughTheSaveDialog)
{
    std::filesystem::create_directories(folder);
    std::string name = "Weekly", file = folder;
    QStringList filters;
    QString suffix;
    QString proposed;
    WhenShown<TfrmSaveSpec>([&](TfrmSaveSpec &save) {
        Ui::TfrmSaveSpec &form = save.Form();
        EXPECT_EQ(form.edSpecName->text(), "Weekly");
        QTimer::singleShot(0, [&] {
            auto *dialog = save.findChild<QFileDialog *>("dlgSaveSpec");
            if (dialog == nullptr) {
                QApplication::activeModalWidget()->close();
                FAIL() << "no file dialog";
            }
            filters = dialog->nameFilters();
            suffix = dialog->defaultSuffix();
            proposed = dialog->selectedFiles().value(0);
            EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
            dialog->selectFile(QString::fromStdString(folder + "weekly"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QTest::mouseClick(form.btnFileName, Qt::LeftButton);
        EXPECT_EQ(form.edFileName->text().toStdString(), folder + "weekly.vxi");
        TypeInto(form.edSpecName, "Every week");
        QTest::keyClick(form.edSpecName, Qt::Key_Return);
    });
    EXPECT_TRUE(AskSpecificationFileDialog(nullptr, name, file));
    EXPECT_EQ(name, "Every week");
    EXPECT_EQ(file, folder + "weekly.vxi");
    EXPECT_EQ(filters, (QStringList{"Import specification (*.VXI)", "All files (*)"}));
    EXPECT_EQ(suffix, "vxi");
    EXPECT_TRUE(proposed.endsWith("/specifications/default.vxi")) << proposed.toStdString();

    // Cancel leaves both as they came, whatever was typed.
    WhenShown<TfrmSaveSpec>([&](TfrmSaveSpec &save) {
        TypeInto(save.Form().edFileName, "elsewhere.vxi");
        Click(save.Form().btnCancel);
    });
    EXPECT_FALSE(AskSpecificationFileDialog(nullptr, name, file));
    EXPECT_EQ(name, "Every week");
    EXPECT_EQ(file, folder + "weekly.vxi");
}

TEST(SpecificationList, ANameWiderThanTheListScrollsItSideways)
{
    TfrmSpecs specs;
    specs.AddSpecification({"short.vxi", "Short"});
    specs.show();
    Settle();
    QScrollBar *sideways = specs.Form().lbSpecs->horizontalScrollBar();
    EXPECT_EQ(sideways->maximum(), 0);
    specs.AddSpecification({"long.vxi", std::string(120, 'W')});
    Settle();
    EXPECT_GT(sideways->maximum(), 0);
}

// Both windows at the size they open with, as a user sees them. With
// FERROVANE_SCREENSHOT=folder the pictures are kept there.
void keep(QWidget &window, const char *name)
{
    window.show();
    KeepScreenshot(window, name);
}

TEST(SpecificationScreenshots, TheListAndTheSaveWindow)
{
    TfrmSpecs specs;
    specs.AddSpecification({"specifications/customers.vxi", "Customers from CSV"});
    specs.AddSpecification({"specifications/orders.vxi", "Daily orders (fixed width)"});
    specs.AddSpecification({"specifications/prices.vxi", "Price list from the supplier's workbook"});
    specs.EnableButtons(true, true, true);
    specs.SelectFirst();
    keep(specs, "specifications");

    TfrmSaveSpec save;
    save.SetSpecification("", "specifications/customers.vxi");
    keep(save, "save-specification");
    EXPECT_EQ(save.SpecName(), "Import specification");
}

} // namespace

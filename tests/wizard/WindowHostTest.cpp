#include "Files.h"
#include "WizardTestSupport.h"
#include "ui_VxIStat.h"
#include "wizard/ParameterPrompt.h"
#include "wizard/VxIStat.h"
#include "wizard/WindowHost.h"

#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace {

// The run of the wizard's component with the desktop's host: its progress window, its
// Cancel and OK, its parameter prompt.
class WindowHostTest : public TWizardOverPeople {
protected:
    void SetUp() override
    {
        TWizardOverPeople::SetUp();
        wizard.Host = &windowHost;
        wizard.TableType = TTableTypeImport::teText;
        wizard.SourceFileName = dir.File("people.csv");
        wizard.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
        wizard.Mappings = {"ID=Field1", "NAME=Field2"};
        wizard.AnimatedStatus = true;
        wizard.Options = {TVxIOption::soExtendedStatistic};
    }

    // Looks at the progress window every few milliseconds while the run goes on.
    void WatchProgress(std::function<void(TfrmVxIProcess &)> look)
    {
        watcher.setInterval(5);
        QObject::connect(&watcher, &QTimer::timeout, [this, look] {
            if (TfrmVxIProcess *window = windowHost.ProgressWindow())
                look(*window);
        });
        watcher.start();
    }

    static int Shown(QLabel *label) { return label->text().toInt(); }

    TVxIWindowHost windowHost;
    QTimer watcher;
};

TEST_F(WindowHostTest, TheProgressWindowCountsAndWaitsForOk)
{
    WriteFile(wizard.SourceFileName, "1;Ann\r\n2;Bob\r\n1;Dup\r\n");
    std::string status, caption, button;
    int processed = -1, added = -1, errors = -1;
    bool barShown = false;
    WatchProgress([&](TfrmVxIProcess &window) {
        Ui::TfrmVxIProcess &ui = window.Form();
        if (ui.btnCancel->text() != "&OK")
            return;
        caption = window.windowTitle().toStdString();
        status = ui.lblStatus->text().toStdString();
        button = ui.btnCancel->text().toStdString();
        processed = Shown(ui.lblTotalImported);
        added = Shown(ui.lblTotalAdded);
        errors = Shown(ui.lblTotalErrors);
        barShown = ui.ProgressBar->isVisible();
        Click(ui.btnCancel);
    });
    wizard.RunImport();
    EXPECT_EQ(caption, "Importing...");
    EXPECT_EQ(status, "The data import process has completed successfully.");
    EXPECT_EQ(processed, 3);
    EXPECT_EQ(added, 2);
    EXPECT_EQ(errors, 1);
    EXPECT_TRUE(barShown);
    EXPECT_EQ(windowHost.ProgressWindow(), nullptr); // OK closed it
    EXPECT_EQ(wizard.Statistic.Result, TVxIResult::irExecuted);
}

TEST_F(WindowHostTest, CancelStopsALongRunBetweenTwoRows)
{
    std::string text;
    for (int i = 1; i <= 100000; ++i)
        text += std::to_string(i) + ";N" + std::to_string(i) + "\r\n";
    WriteFile(wizard.SourceFileName, text);
    int shownWhenCancelled = 0;
    WatchProgress([&](TfrmVxIProcess &window) {
        Ui::TfrmVxIProcess &ui = window.Form();
        if (shownWhenCancelled == 0 && Shown(ui.lblTotalImported) >= 500) {
            shownWhenCancelled = Shown(ui.lblTotalImported);
            Click(ui.btnCancel);
        }
    });
    wizard.RunImport();
    destination.Transaction.Commit();

    EXPECT_EQ(wizard.Statistic.Result, TVxIResult::irCanceled);
    EXPECT_GE(shownWhenCancelled, 500);
    EXPECT_LT(wizard.Statistic.TotalImported, 100000);
    // Every row up to the cancel is written, none after it.
    EXPECT_EQ(static_cast<int>(rows().size()), wizard.Statistic.TotalAdded);
    EXPECT_EQ(wizard.Statistic.TotalAdded, wizard.Statistic.TotalImported);
}

TEST(ProgressWindowTest, WithoutCountersOrAnimationOnlyStatusBarAndButtonShow)
{
    for (bool counters : {true, false}) {
        TfrmVxIProcess window;
        window.Setup({"Title", "Working", counters, false, "D:", "U:", "A:", "E:", "P:", "&Cancel"});
        window.SetRange(0, 0, 0);
        window.show();
        Settle();
        Ui::TfrmVxIProcess &ui = window.Form();
        EXPECT_FALSE(ui.Animate->isVisible());
        EXPECT_FALSE(ui.ProgressBar->isVisible()); // no range yet
        EXPECT_EQ(ui.pnlCounters->isVisible(), counters);
        EXPECT_EQ(ui.lblProcessed->text(), counters ? "P:" : "Processed:");
        EXPECT_EQ(ui.lblSkipped->text(), "Skipped");
        window.SetRange(0, 10, 0);
        window.Update("Working", {4, 0, 0, 0, 4, 0});
        window.Flush();
        EXPECT_TRUE(ui.ProgressBar->isVisible());
        EXPECT_EQ(ui.ProgressBar->value(), 4);
        EXPECT_FALSE(window.Cancelled());
        window.close(); // closing is cancelling
        EXPECT_TRUE(window.Cancelled());
    }
}

// The prompt as the run shows it: one editor per asking parameter, filled with its value.
TEST_F(WindowHostTest, TheParameterPromptAsksForEachValueWithItsEditor)
{
    struct Case {
        TVxIParameterEditor editor;
        std::string expression;
        std::vector<std::string> choices;
    };
    const std::vector<Case> cases = {
        {TVxIParameterEditor::ipeEdit, "'Lyon'", {}},      {TVxIParameterEditor::ipeMemo, "'two'", {}},
        {TVxIParameterEditor::ipeCheckBox, "True", {}},    {TVxIParameterEditor::ipeCombobox, "'b'", {"a", "b", "c"}},
        {TVxIParameterEditor::ipeListBox, "", {"x", "y"}},
    };
    for (const Case &c : cases) {
        TVxIParameter &p = wizard.Parameters.Add();
        p.ParameterEditor = c.editor;
        p.Expression = c.expression;
        for (const std::string &choice : c.choices)
            p.ParamPromptValues.Add(choice);
    }
    wizard.Parameters[0].Description = "The city the rows come from";
    wizard.Parameters[4].Required = true;

    std::string caption;
    Settle();
    QTimer::singleShot(0, [&] {
        auto *prompt = qobject_cast<TfrmParameterPrompt *>(QApplication::activeModalWidget());
        ASSERT_NE(prompt, nullptr);
        caption = prompt->windowTitle().toStdString();
        auto *city = qobject_cast<QLineEdit *>(prompt->Editor(0));
        EXPECT_EQ(city->text(), "Lyon");
        EXPECT_EQ(city->toolTip(), "The city the rows come from");
        EXPECT_EQ(qobject_cast<QPlainTextEdit *>(prompt->Editor(1))->toPlainText(), "two");
        EXPECT_TRUE(qobject_cast<QCheckBox *>(prompt->Editor(2))->isChecked());
        auto *combo = qobject_cast<QComboBox *>(prompt->Editor(3));
        EXPECT_EQ(combo->currentText(), "b");
        auto *list = qobject_cast<QListWidget *>(prompt->Editor(4));
        EXPECT_EQ(list->currentRow(), 0); // no value: the first choice

        TypeInto(city, "Leeds");
        Click(prompt->Editor(2));
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(city, Qt::Key_Return); // OK is the default button
    });
    EXPECT_TRUE(wizard.AskParameters());
    EXPECT_EQ(caption, "Parameter properties");
    EXPECT_EQ(wizard.Parameters[0].Value.AsString(), "Leeds");
    EXPECT_EQ(wizard.Parameters[1].Value.AsString(), "two");
    EXPECT_EQ(wizard.Parameters[2].Value.AsString(), "False");
    EXPECT_EQ(wizard.Parameters[3].Value.AsString(), "c");
    EXPECT_EQ(wizard.Parameters[4].Value.AsString(), "y");

    // Cancel gives no values; so does a required parameter left without one.
    Settle();
    QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    EXPECT_FALSE(wizard.AskParameters());
    wizard.Parameters[4].ParamPromptValues.Clear();
    Settle();
    QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
    EXPECT_FALSE(wizard.AskParameters());
}

} // namespace

namespace {

// The progress window in the middle of a long run, as make screenshots keeps it.
TEST_F(WindowHostTest, ProgressScreenshots)
{
    std::string text;
    for (int i = 1; i <= 100000; ++i)
        text += std::to_string(i) + ";N" + std::to_string(i) + "\r\n";
    WriteFile(wizard.SourceFileName, text);
    bool kept = false;
    WatchProgress([&](TfrmVxIProcess &window) {
        Ui::TfrmVxIProcess &ui = window.Form();
        if (kept || Shown(ui.lblTotalImported) < 20000)
            return;
        kept = true;
        KeepScreenshot(window, "progress");
        Click(ui.btnCancel);
    });
    wizard.RunImport();
    EXPECT_TRUE(kept);
}

} // namespace

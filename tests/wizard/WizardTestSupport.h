#pragma once

#include "Files.h"
#include "FirebirdTestSupport.h"
#include "QtInput.h"
#include "engine/MemoryDataSet.h"
#include "ui_VxIWizForm.h"
#include "wizard/MessageBoxes.h"
#include "wizard/VxIWiz.h"
#include "wizard/VxIWizForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Works the wizard window the way a user does while Execute holds it modally: the steps
// run once the window is up, and whatever they leave open is closed at the end.
inline void WhileWizardShows(TVxIWizardDlg &wizard, std::function<void(TfrmVxIWizard &, Ui::TfrmVxIWizard &)> steps)
{
    QTimer::singleShot(0, [&wizard, steps] {
        TfrmVxIWizard *window = wizard.Window();
        ASSERT_NE(window, nullptr);
        steps(*window, window->Form());
        if (window->isVisible())
            window->done(QDialog::Rejected);
    });
}

// Next until the step is reached, or until Next leaves the wizard where it is; every step
// passed is added to the list when one is given.
inline void NextTo(TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui, int step, std::vector<int> *steps = nullptr)
{
    while (window.CurrentStep() < step) {
        if (steps)
            steps->push_back(window.CurrentStep());
        const int before = window.CurrentStep();
        Click(ui.btnNext);
        if (window.CurrentStep() == before)
            return;
    }
}

inline void NextTo(TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui, int step, std::vector<int> &steps)
{
    NextTo(window, ui, step, &steps);
}

// The window alone, prepared as Execute prepares it and shown without its modal loop.
inline Ui::TfrmVxIWizard &OpenWizardWindow(TVxIWizardDlg &wizard, std::unique_ptr<TfrmVxIWizard> &window)
{
    window = std::make_unique<TfrmVxIWizard>(&wizard);
    wizard.PrepareWindow(*window);
    window->show();
    QApplication::processEvents();
    return window->Form();
}

// A wizard over an embedded table PEOPLE(ID, NAME), as the program sets one up.
class TWizardOverPeople : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.File("wizard.fdb");
        CreateDatabase(path, {"CREATE TABLE PEOPLE (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20))"});
        destination.Open(path, "PEOPLE", {"insert into PEOPLE (ID, NAME) values (:ID, :NAME)"}, {}, {});
        wizard.DataSet = &destination.Query;
        wizard.Host = &host;
    }

    std::vector<std::string> rows() { return QueryColumn(path, "SELECT ID || ':' || NAME FROM PEOPLE ORDER BY ID"); }

    TempDir dir;
    std::string path;
    TestDestination destination;
    TVxIRecordingHost host;
    TVxIWizardDlg wizard;
};

// Answers every message box, and keeps what they said.
class TMessageRecorder {
public:
    explicit TMessageRecorder(bool answer = true)
        : previous_(SetMessageHandler([this, answer](const TMessage &m) {
              Messages.push_back(m.Text.toStdString());
              Details.push_back(m.Details.toStdString());
              return answer;
          }))
    {
    }
    ~TMessageRecorder() { SetMessageHandler(previous_); }
    std::vector<std::string> Messages;
    std::vector<std::string> Details;

private:
    TMessageHandler previous_;
};

// The wizard over a destination in memory, PEOPLE(ID, NAME), and a file of two people.
class TWizardOverMemory : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(text, "Id;Name\r\n1;Ann\r\n2;Bob\r\n");
        wizard.DataSet = &destination;
    }

    TempDir dir;
    std::string text = dir.File("people.csv");
    TMemoryDataSet destination{{{"ID", TFieldType::ftInteger}, {"NAME", TFieldType::ftString, 20}}, "PEOPLE"};
    TVxIWizardDlg wizard;
    std::unique_ptr<TfrmVxIWizard> window;
    TMessageRecorder messages;
};

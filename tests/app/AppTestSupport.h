#pragma once

#include "FirebirdTestSupport.h"
#include "app/MainFerrovaneUnit.h"
#include "wizard/MessageBoxes.h"
#include "QtPrinters.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <vector>

// Answers every message box in place of the user and remembers it. Questions take the
// queued answers in order, then Yes.
class TMessageRecorder {
public:
    TMessageRecorder();
    ~TMessageRecorder();
    TMessageRecorder(const TMessageRecorder &) = delete;
    TMessageRecorder &operator=(const TMessageRecorder &) = delete;

    std::vector<TMessage> Messages;
    std::deque<bool> Answers;

    QStringList Texts() const;
    void Clear() { Messages.clear(); }

private:
    TMessageHandler previous_;
};

// The settings file of the test's own: XDG_CONFIG_HOME points into a temporary folder.
class TSettingsFolder {
public:
    TSettingsFolder();
    ~TSettingsFolder();
    QString IniFile() const;
    QString ReadIni() const;
    void WriteIni(const QString &text) const;

private:
    TempDir dir_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// A main window with its settings in a folder of the test's own and every message box
// answered by the test.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    template <class T> T *control(const char *name) const
    {
        T *widget = form->findChild<T *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // Fills the entries for an embedded database file, dialect 3, UTF8.
    void enterLocalDatabase(const std::string &path);
    // Clicks "Connect" as the user would (errors end in a message box).
    void clickConnect();
    void chooseTable(const QString &name);
    QStringList tableList() const;

    TempDir dir;
    std::unique_ptr<TSettingsFolder> settings;
    TMessageRecorder messages;
    std::unique_ptr<TMainFerrovaneForm> form;
};

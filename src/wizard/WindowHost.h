#pragma once

#include "engine/VxIHost.h"

#include <QPointer>

#include <memory>

class QWidget;
class TfrmVxIProcess;

// The engine's host in the desktop program: its questions and messages are the program's
// message boxes, its parameter prompt and progress are windows, its clipboard the
// desktop's. The windows open over the window the user is working in.
class TVxIWindowHost : public TVxIHost {
public:
    TVxIWindowHost();
    ~TVxIWindowHost() override;
    TVxIWindowHost(const TVxIWindowHost &) = delete;
    TVxIWindowHost &operator=(const TVxIWindowHost &) = delete;

    bool AskYesNo(const std::string &text, const std::string &caption) override;
    void ShowInformation(const std::string &text, const std::string &caption) override;
    void ShowError(const std::string &text) override;
    bool PromptParameters(const std::string &caption, std::vector<TVxIParameterPrompt> &prompts) override;

    bool OpenProgress(const TVxIProgressSetup &setup) override;
    bool ProgressOpen() const override { return progress_ != nullptr; }
    void SetProgressRange(int minimum, int maximum, int position) override;
    void UpdateProgress(const std::string &status, const TVxIProgressCounters &counters) override;
    void SetProgressButtonCaption(const std::string &caption) override;
    bool ProgressCancelled() const override;
    void CloseProgress() override;

    bool AskSpecificationFile(std::string &specName, std::string &fileName) override;
    std::string AskOpenFileName(const std::string &filter, const std::string &defaultExt) override;

    void SetWaitCursor(bool on) override;
    void ProcessPendingInput() override;
    std::string ClipboardText() override;

    // The progress window while a run shows one.
    TfrmVxIProcess *ProgressWindow() const { return progress_.get(); }

    // Tests and the program make the host the engine's default while it lives.
    void Install();

private:
    std::unique_ptr<TfrmVxIProcess> progress_;
    int waitCursors_ = 0;
    TVxIHost *replaced_ = nullptr;
    bool installed_ = false;
};

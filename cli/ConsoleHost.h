#pragma once

#include "engine/VxIHost.h"

#include <chrono>
#include <csignal>
#include <cstdio>

// The engine's host on a terminal: a progress bar on stderr, refreshed as often as the
// run updates it, and messages as lines. Nothing asks questions: the runner has no user
// at hand, so prompts are refused and yes/no questions answered no.
// While it exists, an interrupt or termination signal (Ctrl+C, kill) cancels the run as the
// progress window's Cancel button would: the loop stops before the next row and the runner
// rolls back. A second signal ends the program at once. The embedded database engine
// takes both signals for itself when it starts (it shuts the connection down), so the
// runner claims them again once attached.
class TConsoleHost : public TVxIHost {
public:
    explicit TConsoleHost(std::FILE *out = stderr, bool quiet = false);
    ~TConsoleHost() override;
    void CatchInterrupts();
    TConsoleHost(const TConsoleHost &) = delete;
    TConsoleHost &operator=(const TConsoleHost &) = delete;

    bool AskYesNo(const std::string &text, const std::string &caption) override;
    void ShowInformation(const std::string &text, const std::string &caption) override;
    void ShowError(const std::string &text) override;
    bool PromptParameters(const std::string &caption, std::vector<TVxIParameterPrompt> &prompts) override;
    bool OpenProgress(const TVxIProgressSetup &setup) override;
    bool ProgressOpen() const override { return open_; }
    void SetProgressRange(int minimum, int maximum, int position) override;
    void UpdateProgress(const std::string &status, const TVxIProgressCounters &counters) override;
    void SetProgressButtonCaption(const std::string &caption) override { finished_ = true; }
    bool ProgressCancelled() const override;
    void CloseProgress() override;
    void SetWaitCursor(bool) override {}
    void ProcessPendingInput() override {}
    std::string ClipboardText() override { return {}; }
    bool HasClipboard() const override { return false; }

    // The outcome text of the last run (its final progress report).
    std::string LastStatus;

private:
    void Line(const std::string &text);

    std::FILE *out_;
    bool quiet_;
    bool terminal_;
    bool open_ = false;
    bool finished_ = false;
    bool barShown_ = false;
    int maximum_ = 0;
    std::string title_;
    std::chrono::steady_clock::time_point lastDraw_{};
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
};

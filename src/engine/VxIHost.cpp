#include "engine/VxIHost.h"

#include <utility>

bool TVxIRecordingHost::AskYesNo(const std::string &text, const std::string &caption)
{
    Note("ask: " + text);
    return YesNoAnswer;
}

void TVxIRecordingHost::ShowInformation(const std::string &text, const std::string &caption) { Note("info: " + text); }

void TVxIRecordingHost::ShowError(const std::string &text) { Note("error: " + text); }

bool TVxIRecordingHost::PromptParameters(const std::string &caption, std::vector<TVxIParameterPrompt> &prompts)
{
    Note("prompt: " + caption);
    LastPrompt = prompts;
    for (std::size_t i = 0; i < prompts.size() && i < PromptReplies.size(); ++i)
        prompts[i] = PromptReplies[i];
    return PromptAnswer;
}

bool TVxIRecordingHost::OpenProgress(const TVxIProgressSetup &setup)
{
    Note("progress open: " + setup.Status);
    open_ = ProgressCanBeCreated;
    finished_ = false;
    return open_;
}

void TVxIRecordingHost::SetProgressRange(int minimum, int maximum, int position)
{
    Note("progress range: " + std::to_string(minimum) + ".." + std::to_string(maximum));
}

void TVxIRecordingHost::UpdateProgress(const std::string &status, const TVxIProgressCounters &c)
{
    Note("progress: " + status + " " + std::to_string(c.Processed));
}

void TVxIRecordingHost::SetProgressButtonCaption(const std::string &caption)
{
    // The run is over and waits for the user to press this button: a recorder presses it.
    finished_ = true;
}

bool TVxIRecordingHost::ProgressCancelled() const { return CancelRequested || finished_; }

void TVxIRecordingHost::CloseProgress()
{
    Note("progress close");
    open_ = false;
}

void TVxIRecordingHost::SetWaitCursor(bool on) { Note(on ? "cursor: wait" : "cursor: default"); }

void TVxIRecordingHost::Note(std::string line)
{
    if (Recording)
        Log.push_back(std::move(line));
}

namespace {
TVxIHost *installedHost = nullptr;
}

TVxIHost &DefaultHost()
{
    static TVxIRecordingHost silent = [] {
        TVxIRecordingHost host;
        host.Recording = false; // a long run must not fill memory with a log nobody reads
        return host;
    }();
    return installedHost ? *installedHost : silent;
}

TVxIHost *SetDefaultHost(TVxIHost *host) { return std::exchange(installedHost, host); }

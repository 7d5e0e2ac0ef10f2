#pragma once

#include <string>
#include <vector>

// What the engine asks of whoever shows it to a user: message boxes, the parameter
// prompt, the progress window, the wait cursor, processing pending input, the
// clipboard. Windows implement it with Qt, the command-line runner on the console,
// tests with the recorder below. The engine never shows anything itself.

enum class TVxIParameterEditor { ipeEdit, ipeMemo, ipeCheckBox, ipeCombobox, ipeListBox };

// One editor of the parameter prompt, filled by the engine, edited by the host.
struct TVxIParameterPrompt {
    std::string Caption;
    std::string Description; // the editor's hint
    TVxIParameterEditor Editor = TVxIParameterEditor::ipeEdit;
    std::string Text;               // edit and memo boxes
    bool Checked = false;           // check box
    std::vector<std::string> Items; // combo and list boxes
    int ItemIndex = -1;
};

struct TVxIProgressSetup {
    std::string Caption;
    std::string Status;
    bool ShowCounters = true;
    bool Animate = true;
    std::string DeletedCaption, UpdatedCaption, AddedCaption, ErrorsCaption, ProcessedCaption;
    std::string ButtonCaption;
};

struct TVxIProgressCounters {
    int Processed = 0, Skipped = 0, Updated = 0, Deleted = 0, Added = 0, Errors = 0;
};

class TVxIHost {
public:
    virtual ~TVxIHost() = default;

    virtual bool AskYesNo(const std::string &text, const std::string &caption) = 0;
    virtual void ShowInformation(const std::string &text, const std::string &caption) = 0;
    virtual void ShowError(const std::string &text) = 0;

    // Shows the prompt modally; false when cancelled.
    virtual bool PromptParameters(const std::string &caption, std::vector<TVxIParameterPrompt> &prompts) = 0;

    // False when the window cannot be created.
    virtual bool OpenProgress(const TVxIProgressSetup &setup) = 0;
    virtual bool ProgressOpen() const = 0;
    virtual void SetProgressRange(int minimum, int maximum, int position) = 0;
    // Also handles pending user input.
    virtual void UpdateProgress(const std::string &status, const TVxIProgressCounters &counters) = 0;
    virtual void SetProgressButtonCaption(const std::string &caption) = 0;
    virtual bool ProgressCancelled() const = 0;
    virtual void CloseProgress() = 0;

    // The save-specification dialog: false when cancelled. Hosts without one keep both names.
    virtual bool AskSpecificationFile(std::string &specName, std::string &fileName) { return false; }
    // An open-file dialog; "" when cancelled or when the host has none.
    virtual std::string AskOpenFileName(const std::string &filter, const std::string &defaultExt) { return {}; }

    virtual void SetWaitCursor(bool on) = 0;
    virtual void ProcessPendingInput() = 0;
    virtual std::string ClipboardText() = 0;
    // False where there is no clipboard to read (a console).
    virtual bool HasClipboard() const { return true; }
};

// A host that shows nothing and remembers what it was asked, for tests and for runs
// without any user. Its answers can be set beforehand.
class TVxIRecordingHost : public TVxIHost {
public:
    std::vector<std::string> Log; // one line per call, e.g. "info: text"
    bool Recording = true;
    bool YesNoAnswer = true;
    bool PromptAnswer = true;
    bool ProgressCanBeCreated = true;
    bool CancelRequested = false;
    std::string Clipboard;
    // The editors of the last parameter prompt, as they were asked.
    std::vector<TVxIParameterPrompt> LastPrompt;

    bool AskYesNo(const std::string &text, const std::string &caption) override;
    void ShowInformation(const std::string &text, const std::string &caption) override;
    void ShowError(const std::string &text) override;
    bool PromptParameters(const std::string &caption, std::vector<TVxIParameterPrompt> &prompts) override;
    bool OpenProgress(const TVxIProgressSetup &setup) override;
    bool ProgressOpen() const override { return open_; }
    void SetProgressRange(int minimum, int maximum, int position) override;
    void UpdateProgress(const std::string &status, const TVxIProgressCounters &counters) override;
    void SetProgressButtonCaption(const std::string &caption) override;
    bool ProgressCancelled() const override;
    void CloseProgress() override;
    void SetWaitCursor(bool on) override;
    void ProcessPendingInput() override {}
    std::string ClipboardText() override { return Clipboard; }

    // Answers the prompt: each editor's new content, in order (set before the run).
    std::vector<TVxIParameterPrompt> PromptReplies;

private:
    void Note(std::string line);
    bool open_ = false;
    bool finished_ = false;
};

// The host the engine uses when a component has none of its own.
TVxIHost &DefaultHost();
// Installs the host (nullptr: the built-in silent recorder) and returns the one it replaces.
TVxIHost *SetDefaultHost(TVxIHost *host);

#include "ConsoleHost.h"

#include <algorithm>
#include <csignal>
#include <chrono>
#include <string>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void noteInterrupt(int signalNumber)
{
    // The second one takes its ordinary course, also when the database client's handler,
    // which stays in front of this one while it attaches, is the one that passes it on.
    if (interrupted) {
        signal(signalNumber, SIG_DFL);
        raise(signalNumber);
        return;
    }
    interrupted = 1;
}

} // namespace

TConsoleHost::TConsoleHost(std::FILE *out, bool quiet) : out_(out), quiet_(quiet), terminal_(isatty(fileno(out)) != 0)
{
    interrupted = 0;
    sigaction(SIGINT, nullptr, &previousInterrupt_);
    sigaction(SIGTERM, nullptr, &previousTerminate_);
    CatchInterrupts();
}

void TConsoleHost::CatchInterrupts()
{
    struct sigaction action {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND; // the second signal takes its ordinary course
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

TConsoleHost::~TConsoleHost()
{
    sigaction(SIGINT, &previousInterrupt_, nullptr);
    sigaction(SIGTERM, &previousTerminate_, nullptr);
}

bool TConsoleHost::ProgressCancelled() const { return finished_ || interrupted != 0; }

void TConsoleHost::Line(const std::string &text)
{
    if (barShown_) {
        std::fputc('\n', out_);
        barShown_ = false;
    }
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
}

bool TConsoleHost::AskYesNo(const std::string &text, const std::string &)
{
    Line(text + " (no)");
    return false;
}

void TConsoleHost::ShowInformation(const std::string &text, const std::string &)
{
    if (!quiet_)
        Line(text);
}

void TConsoleHost::ShowError(const std::string &text) { Line(text); }

bool TConsoleHost::PromptParameters(const std::string &caption, std::vector<TVxIParameterPrompt> &)
{
    Line(caption + ": parameters cannot be asked for on the command line");
    return false;
}

bool TConsoleHost::OpenProgress(const TVxIProgressSetup &setup)
{
    title_ = setup.Status;
    open_ = true;
    finished_ = false;
    maximum_ = 0;
    return true;
}

void TConsoleHost::SetProgressRange(int, int maximum, int) { maximum_ = maximum; }

void TConsoleHost::UpdateProgress(const std::string &status, const TVxIProgressCounters &c)
{
    // Any status but the running title is the run's outcome: the runner reports it.
    if (status != title_)
        LastStatus = status;
    if (quiet_ || status != title_ || !terminal_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (barShown_ && now - lastDraw_ < std::chrono::milliseconds(100))
        return; // a redraw per row would cost more than the row
    lastDraw_ = now;
    char counters[160];
    std::snprintf(counters, sizeof counters, "%d processed, %d added, %d updated, %d deleted, %d skipped, %d errors",
                  c.Processed, c.Added, c.Updated, c.Deleted, c.Skipped, c.Errors);
    constexpr int width = 30;
    const long long done = maximum_ > 0 ? static_cast<long long>(c.Processed) * width / maximum_ : 0;
    std::string bar(static_cast<std::size_t>(std::min<long long>(width, done)), '#');
    bar.resize(width, '.');
    std::fprintf(out_, "\r[%s] %s\033[K", bar.c_str(), counters);
    std::fflush(out_);
    barShown_ = true;
}

void TConsoleHost::CloseProgress()
{
    if (barShown_) {
        std::fputc('\n', out_);
        barShown_ = false;
    }
    open_ = false;
}

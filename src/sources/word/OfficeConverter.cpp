#include "sources/word/OfficeConverter.h"

#include "engine/DataSet.h"
#include "values/StringList.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

extern char **environ;

namespace sources::word {

TConverterTexts &ConverterTexts()
{
    static TConverterTexts texts;
    return texts;
}

namespace {

namespace fs = std::filesystem;

// A folder of this conversion alone, removed with everything in it when the object goes.
class TTempFolder {
public:
    TTempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "ferrovane-word-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw EWordError("Cannot create a temporary folder for the conversion: " +
                             std::string(std::strerror(errno)));
        path_ = pattern;
    }
    ~TTempFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TTempFolder(const TTempFolder &) = delete;
    TTempFolder &operator=(const TTempFolder &) = delete;
    const fs::path &Path() const { return path_; }

private:
    fs::path path_;
};

// The office program started in a process group of its own, so that everything it starts
// belongs to this conversion and can be stopped with it, and nothing else can. A child
// still running when the object goes (a time-out, an error) is stopped and reaped.
class TChildProcess {
public:
    TChildProcess(const std::string &program, const std::vector<std::string> &arguments, const fs::path &log);
    ~TChildProcess() { Stop(); }
    TChildProcess(const TChildProcess &) = delete;
    TChildProcess &operator=(const TChildProcess &) = delete;

    // True when the child ended within the time.
    bool WaitFor(std::chrono::seconds limit);
    void Stop();

private:
    pid_t pid_ = -1;
};

struct TSpawnActions {
    posix_spawn_file_actions_t actions;
    TSpawnActions() { posix_spawn_file_actions_init(&actions); }
    ~TSpawnActions() { posix_spawn_file_actions_destroy(&actions); }
};

struct TSpawnAttributes {
    posix_spawnattr_t attributes;
    TSpawnAttributes() { posix_spawnattr_init(&attributes); }
    ~TSpawnAttributes() { posix_spawnattr_destroy(&attributes); }
};

TChildProcess::TChildProcess(const std::string &program, const std::vector<std::string> &arguments, const fs::path &log)
{
    TSpawnActions files;
    // Its messages go to a file of the conversion, not into the program's own output.
    posix_spawn_file_actions_addopen(&files.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files.actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&files.actions, STDOUT_FILENO, STDERR_FILENO);

    TSpawnAttributes spawn;
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE, SIGCHLD})
        sigaddset(&defaults, signal);
    posix_spawnattr_setflags(&spawn.attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&spawn.attributes, 0);
    posix_spawnattr_setsigmask(&spawn.attributes, &none);
    posix_spawnattr_setsigdefault(&spawn.attributes, &defaults);

    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, program.c_str(), &files.actions, &spawn.attributes, argv.data(), environ);
    if (error != 0)
        throw EWordError(FormatMessage(ConverterTexts().CannotStart, {program, std::strerror(error)}));
    pid_ = pid;
}

bool TChildProcess::WaitFor(std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (pid_ > 0) {
        int status = 0;
        const pid_t ended = waitpid(pid_, &status, WNOHANG);
        if (ended == pid_ || (ended < 0 && errno != EINTR)) {
            pid_ = -1; // gone: nothing of ours is left to stop by its number
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void TChildProcess::Stop()
{
    if (pid_ <= 0)
        return;
    // The child is not reaped yet, so its group is still this conversion's own.
    kill(-pid_, SIGKILL);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

bool isProgram(const fs::path &path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// A file URL of a local path; every byte but the unreserved ones and "/" escaped.
std::string fileUrl(const fs::path &path)
{
    static const char Hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const unsigned char c : path.string()) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += Hex[c >> 4];
            url += Hex[c & 15];
        }
    }
    return url;
}

std::vector<std::uint8_t> readWhole(const fs::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeWhole(const fs::path &path, std::span<const std::uint8_t> bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw EWordError("Cannot write the document to convert into \"" + path.string() + "\"");
}

// The lines LibreOffice reports an error on: they say why a document was not converted.
std::string errorLines(const fs::path &log)
{
    std::ifstream file(log);
    std::string line, errors;
    while (std::getline(file, line) && errors.size() < 1000)
        if (line.starts_with("Error"))
            errors += (errors.empty() ? "" : " ") + Text::Trim(line);
    return errors;
}

} // namespace

std::string TOfficeConverter::FindOfficeProgram() const
{
    if (OfficeCommand.empty())
        return {};
    if (OfficeCommand.find('/') != std::string::npos)
        return isProgram(OfficeCommand) ? OfficeCommand : std::string();
    const char *path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/local/bin:/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const fs::path candidate = fs::path(folder.empty() ? "." : folder) / OfficeCommand;
        if (isProgram(candidate))
            return candidate.string();
    }
    return {};
}

std::vector<std::uint8_t> TOfficeConverter::ConvertToDocx(std::span<const std::uint8_t> bytes,
                                                          std::string_view extension, const std::string &fileName) const
{
    const std::string program = FindOfficeProgram();
    if (program.empty())
        throw EWordError(FormatMessage(ConverterTexts().NotInstalled, {OfficeCommand}));

    const TTempFolder folder;
    const fs::path input = folder.Path() / ("document" + std::string(extension));
    const fs::path output = folder.Path() / "out";
    const fs::path log = folder.Path() / "office.log";
    writeWhole(input, bytes);
    fs::create_directory(output);

    TChildProcess office(program,
                         {program, "-env:UserInstallation=" + fileUrl(folder.Path() / "profile"), "--headless",
                          "--norestore", "--nolockcheck", "--convert-to", "docx", "--outdir", output.string(),
                          input.string()},
                         log);
    if (!office.WaitFor(std::chrono::seconds(std::max(1, TimeoutSeconds)))) {
        office.Stop();
        throw EWordError(FormatMessage(ConverterTexts().TimedOut, {fileName, std::to_string(TimeoutSeconds)}));
    }
    std::vector<std::uint8_t> docx = readWhole(output / "document.docx");
    if (docx.empty()) {
        const std::string why = errorLines(log);
        throw EWordError(FormatMessage(ConverterTexts().Failed, {fileName}) + (why.empty() ? "" : " " + why));
    }
    return docx;
}

} // namespace sources::word

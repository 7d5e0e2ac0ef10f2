// Documents other than .docx, converted by LibreOffice: the message when it is not
// installed, what the office program is given and what is left afterwards, a conversion
// that fails or hangs (with stand-in programs, since a real one cannot be made to), and
// real conversions when LibreOffice is installed.

#include "Files.h"
#include "TempDir.h"
#include "TestData.h"
#include "WordRows.h"
#include "sources/word/OfficeConverter.h"
#include "sources/word/VxI2Word.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

using sources::word::EWordError;

namespace {

namespace fs = std::filesystem;

Rows readFile(const std::string &file, const std::string &office, int timeout = 120)
{
    TVxImportFromWord source;
    source.SourceFileName = file;
    source.RowFieldNames = 0;
    source.OfficeCommand = office;
    source.ConversionTimeout = timeout;
    return readRows(source);
}

std::string conversionError(const std::string &file, const std::string &office, int timeout = 120)
{
    try {
        readFile(file, office, timeout);
    } catch (const EWordError &e) {
        return e.what();
    }
    return "(converted)";
}

// Temporary folders go under a folder of the test while it runs, so that what a
// conversion leaves behind can be seen.
class TTempFolderOfTest {
public:
    TTempFolderOfTest()
    {
        if (const char *old = std::getenv("TMPDIR"))
            old_ = old;
        setenv("TMPDIR", dir_.Path().c_str(), 1);
    }
    ~TTempFolderOfTest()
    {
        if (old_)
            setenv("TMPDIR", old_->c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    bool Empty() const { return fs::is_empty(dir_.Path()); }

private:
    TempDir dir_;
    std::optional<std::string> old_;
};

// A stand-in for the office program: a shell script with the given body.
std::string writeProgram(const TempDir &dir, const std::string &name, const std::string &body)
{
    const std::string path = dir.Write(name, "#!/bin/sh\n" + body);
    chmod(path.c_str(), 0755);
    return path;
}

// Ended: gone, or a zombie left for its parent to reap.
bool ended(pid_t pid)
{
    if (kill(pid, 0) != 0)
        return errno == ESRCH;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

pid_t pidIn(const std::string &file)
{
    std::ifstream in(file);
    long pid = 0;
    in >> pid;
    return static_cast<pid_t>(pid);
}

// A program of this process's own, running while a conversion times out.
class TOtherProgram {
public:
    TOtherProgram() : pid_(fork())
    {
        if (pid_ == 0) {
            execlp("sleep", "sleep", "300", static_cast<char *>(nullptr));
            _exit(127);
        }
    }
    ~TOtherProgram()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    TOtherProgram(const TOtherProgram &) = delete;
    TOtherProgram &operator=(const TOtherProgram &) = delete;
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_;
};

bool officeInstalled()
{
    sources::word::TOfficeConverter converter;
    return !converter.FindOfficeProgram().empty();
}

} // namespace

TEST(WordConversion, WithoutTheOfficeProgramTheMessageNamesWhatToInstall)
{
    // Asked for the moment a conversion is needed; a .docx needs none.
    for (const std::string command : {"/nonexistent/soffice", "no-such-office-program", "/etc"}) {
        for (const char *file : {"testWORD.doc", "table.odt", "testRTFTableCellSeparation.rtf"}) {
            EXPECT_EQ(conversionError(wordData(file), command),
                      "Word documents other than .docx are converted by LibreOffice, which is not installed (the "
                      "program \"" +
                          command + "\" was not found; Debian package libreoffice-writer-nogui).")
                << command << " " << file;
        }
    }
    EXPECT_EQ(readFile(wordData("merges.docx"), "/nonexistent/soffice").size(), 6u);
}

TEST(WordConversion, TheOfficeProgramWorksInAPrivateFolderThatGoesAfterwards)
{
    TempDir dir;
    const TTempFolderOfTest temp;
    const std::string office =
        writeProgram(dir, "office",
                     "printf '%s\\n' \"$@\" > " + dir.File("arguments") +
                         "\nwhile [ $# -gt 0 ]; do [ \"$1\" = --outdir ] && out=\"$2\"; shift; done\n"
                         "cp " +
                         wordData("table-merges.libreoffice.docx") + " \"$out/document.docx\"\n");
    EXPECT_EQ(readFile(wordData("table-merges.doc"), office), readFile(wordData("table-merges.libreoffice.docx"), ""));
    EXPECT_TRUE(temp.Empty());

    std::ifstream file(dir.File("arguments"));
    std::vector<std::string> arguments;
    for (std::string line; std::getline(file, line);)
        arguments.push_back(line);
    ASSERT_EQ(arguments.size(), 9u);
    // A profile of its own, so that an office the user has open is neither used nor closed.
    const std::string profile = arguments[0];
    ASSERT_TRUE(profile.starts_with("-env:UserInstallation=file:///")) << profile;
    const std::string folder = profile.substr(29, profile.size() - 29 - 8);
    EXPECT_TRUE(profile.ends_with("/profile")) << profile;
    EXPECT_EQ(std::vector<std::string>(arguments.begin() + 1, arguments.begin() + 6),
              (std::vector<std::string>{"--headless", "--norestore", "--nolockcheck", "--convert-to", "docx"}));
    EXPECT_EQ(arguments[6], "--outdir");
    EXPECT_EQ(arguments[7], folder + "/out");
    EXPECT_EQ(arguments[8], folder + "/document.doc");
    EXPECT_TRUE(folder.starts_with(std::getenv("TMPDIR"))) << folder;
}

TEST(WordConversion, AConversionThatMakesNothingFails)
{
    TempDir dir;
    const TTempFolderOfTest temp;
    const std::string quiet = writeProgram(dir, "quiet", "exit 0\n");
    const std::string failing =
        writeProgram(dir, "failing",
                     "echo 'Warning: something'\necho 'Error: source file could not be loaded'\n"
                     "exit 1\n");
    const std::string file = wordData("testWORD.doc");
    EXPECT_EQ(conversionError(file, quiet), "LibreOffice could not convert \"" + file + "\" into a .docx document.");
    EXPECT_EQ(conversionError(file, failing), "LibreOffice could not convert \"" + file +
                                                  "\" into a .docx document. Error: source file could not be loaded");
    EXPECT_TRUE(temp.Empty());
}

TEST(WordConversion, ATimeOutStopsTheConversionsOwnProcessesOnly)
{
    TempDir dir;
    const TTempFolderOfTest temp;
    // Another program of the user's, started before and apart from the conversion.
    const TOtherProgram other;
    const std::string hanging = writeProgram(dir, "hanging",
                                             "sleep 300 &\necho $! > " + dir.File("grandchild") + "\necho $$ > " +
                                                 dir.File("child") + "\nwait\n");
    const std::string file = wordData("table.odt");
    EXPECT_EQ(conversionError(file, hanging, 1),
              "LibreOffice did not convert \"" + file + "\" within 1 seconds; the conversion was stopped.");
    const pid_t child = pidIn(dir.File("child"));
    const pid_t grandchild = pidIn(dir.File("grandchild"));
    ASSERT_GT(child, 0);
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(ended(child));
    EXPECT_TRUE(ended(grandchild));
    EXPECT_FALSE(ended(other.Pid()));
    EXPECT_TRUE(temp.Empty());
}

TEST(WordConversion, RealConversionsReadAsTheDocxLibreOfficeWrote)
{
    if (!officeInstalled())
        GTEST_SKIP() << "LibreOffice is not installed";
    const TTempFolderOfTest temp;
    for (const char *name : {"testWORD", "table-merges", "table", "testRTFTableCellSeparation"}) {
        const std::string converted = wordData(std::string(name) + ".libreoffice.docx");
        for (const char *extension : {".doc", ".odt", ".rtf"}) {
            const std::string original = wordData(name + std::string(extension));
            if (!fs::exists(original))
                continue;
            EXPECT_EQ(readFile(original, "soffice"), readFile(converted, "")) << original;
        }
    }
    EXPECT_TRUE(temp.Empty());
}

#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

struct RunResult {
    int status;
    std::string out;
};

// Runs a command line through the shell; stderr is folded into the output.
inline RunResult runCommand(const std::string &command)
{
    FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    std::string out;
    std::array<char, 4096> buffer{};
    while (std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
        out.append(buffer.data(), n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// Runs the real ferrovane-import program. FERROVANE_IMPORT is its path, given to the test
// executables that run it (ferrovane_test_runs_import in tests/CMakeLists.txt).
inline RunResult runImport(const std::string &arguments)
{
    return runCommand(std::string(FERROVANE_IMPORT) + " " + arguments);
}

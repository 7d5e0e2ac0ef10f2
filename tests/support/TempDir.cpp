#include "TempDir.h"

#include "Files.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

TempDir::TempDir()
{
    char pattern[] = "/tmp/ferrovane-test-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string &name, const std::string &content) const
{
    const std::string path = File(name);
    WriteFile(path, content);
    return path;
}

std::string TempDir::Write(const std::string &name, const std::vector<std::uint8_t> &bytes) const
{
    const std::string path = File(name);
    WriteFile(path, bytes);
    return path;
}

std::string TempDir::Copy(const std::string &from, const std::string &name) const
{
    return Write(name, ReadBytes(from));
}

TempFile::TempFile(const std::string &name, const std::string &content) : path_(dir_.Write(name, content)) {}

#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A folder under /tmp removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &Path() const { return path_; }
    std::string File(const std::string &name) const { return path_ + "/" + name; }
    // Writes a file of this folder, replacing one of the same name; returns its path.
    std::string Write(const std::string &name, const std::string &content) const;
    std::string Write(const std::string &name, const std::vector<std::uint8_t> &bytes) const;
    // A copy of another file (a fixture, usually) under the given name in this folder.
    std::string Copy(const std::string &from, const std::string &name) const;

private:
    std::string path_;
};

// A file with the given content in a folder of its own, removed at the end.
class TempFile {
public:
    TempFile(const std::string &name, const std::string &content);
    const std::string &path() const { return path_; }

private:
    TempDir dir_;
    std::string path_;
};

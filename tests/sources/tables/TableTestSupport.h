#pragma once

#include "sources/cells/VxCellsFile.h"

#include <cstdint>
#include <string>
#include <vector>

// Fixture paths, a scratch folder, and tables read the way an import reads them.

inline std::string DbfData(const std::string &name) { return std::string(FERROVANE_DBF_DATA) + "/" + name; }
inline std::string ParadoxData(const std::string &name) { return std::string(FERROVANE_PARADOX_DATA) + "/" + name; }

// "Kind:text" of a value: "String:Ann", "Double:12.5", "Date:1990-01-02", "Empty:".
std::string ValueText(const Variant &value);

// A folder of its own under /tmp, removed at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;
    std::string File(const std::string &name) const { return path_ + "/" + name; }
    std::string Write(const std::string &name, const std::vector<std::uint8_t> &bytes) const;
    // A copy of a fixture under another name in this folder.
    std::string Copy(const std::string &from, const std::string &name) const;

private:
    std::string path_;
};

std::vector<std::uint8_t> ReadBytes(const std::string &path);

// The rows a reader delivers in row mode, one text per cell ("-" for an unreported cell),
// read until the reader has no more; at most maxRows rows.
using TableRows = std::vector<std::vector<std::string>>;
TableRows ReadDbfRows(const std::string &path, TVxIRowStatuses statuses = {TVxIRowStatus::rsNormal},
                      bool parseBLOB = true, int maxRows = 100000);
TableRows ReadParadoxRows(const std::string &path, int maxRows = 100000);

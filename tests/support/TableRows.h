#pragma once

#include "sources/cells/VxCellsFile.h"

#include <string>
#include <vector>

// The rows a dBase or Paradox reader delivers in row mode, one ValueText per cell ("-" for
// an unreported cell), read until the reader has no more; at most maxRows rows.
using TableRows = std::vector<std::vector<std::string>>;
TableRows ReadDbfRows(const std::string &path, TVxIRowStatuses statuses = {TVxIRowStatus::rsNormal},
                      bool parseBLOB = true, int maxRows = 100000);
TableRows ReadParadoxRows(const std::string &path, int maxRows = 100000);
// The same from bytes in memory: the table and its memo or BLOB file (empty: none).
TableRows ReadDbfRowsFromMemory(const std::string &table, const std::string &memo);
TableRows ReadParadoxRowsFromMemory(const std::string &table, const std::string &blobs);

#pragma once

#include "sources/excel/VxXLS.h"

#include <string>

// Fixture paths and a reader loaded the way an import loads one.
inline std::string XlsData(const std::string &name) { return std::string(FERROVANE_XLS_DATA) + "/" + name; }

// The text of a cell, "-" for no cell, with its kind: "Double:12.5", "Date:39448".
std::string CellText(const TSpreadSheet &sheet, int column, int row);

// A file with the given content in a folder of its own, removed at the end.
class TempFile {
public:
    TempFile(const std::string &name, const std::string &content);
    ~TempFile();
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;
    const std::string &path() const { return path_; }

private:
    std::string folder_;
    std::string path_;
};

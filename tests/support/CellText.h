#pragma once

#include "sources/cells/VxCellsFile.h"

#include <string>

// What a reader delivered, as text with its kind, so that a comparison shows both.

// A cell of the model, "-" for no cell: "Double:12.5", "Date:39448", "Boolean:True".
std::string CellText(const TSpreadSheet &sheet, int column, int row);

// A value with its date as a date: "String:Ann", "Double:12.5", "Date:1990-01-02 00:00:00",
// "Empty:".
std::string ValueText(const Variant &value);

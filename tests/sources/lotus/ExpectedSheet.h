#pragma once

#include "sources/cells/VxCells.h"

#include <string>
#include <vector>

// What an independent spreadsheet program made of a sheet: its CSV export at full
// precision, one text per cell.
using TExpectedSheet = std::vector<std::vector<std::string>>;
TExpectedSheet ReadExpectedSheet(const std::string &path);

// A cell where the independent reader is known to show something else than the file
// holds (it recalculates formulas, it rewrites line breaks): what the file holds.
struct TExpectedOverride {
    int Row, Column;
    Variant Value;
};

// The differences between a sheet of the model and the export, one line each; empty when
// they agree. Numbers compare to the eight significant digits the export keeps; an export text of the form
// MM/DD/YYYY stands for the date serial the file stores.
std::vector<std::string> CompareWithExpected(const TSpreadSheet &sheet, const TExpectedSheet &expected,
                                             const std::vector<TExpectedOverride> &overrides = {});

// Fails the running test with the first differences (at most 12) between the sheet and the
// export in the file.
void ExpectSheetAsExported(const TSpreadSheet &sheet, const std::string &exportPath,
                           const std::vector<TExpectedOverride> &overrides = {});

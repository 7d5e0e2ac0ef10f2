#include "sources/cells/TableFile.h"

#include "sources/common/CompanionFile.h"
#include "sources/common/TableStream.h"

namespace sources {

void TTableFile::LoadFromFile(const std::string &fileName)
{
    TCustomSpreadSheetFile::LoadFromFile(fileName);
    const auto file = OpenSharedForReading(fileName);
    if (!file)
        throw ESpreadSheetError("File is not exists.");
    try {
        LoadFromStream(*file);
    } catch (...) {
        EndOfRows();
        throw;
    }
    EndOfRows();
}

void TTableFile::ResetRows()
{
    TSpreadSheetFile::ResetRows();
    TSpreadSheet &sheet = Sheets.GetSheet(0);
    sheet.Caption = FileNameWithoutFolder(FileName);
    sheet.Cells.TrackExtent = false;
}

void TTableFile::ReadAllRows(std::uint32_t recordCount)
{
    try {
        for (int row = 0; static_cast<std::uint32_t>(row) < recordCount && row <= Range.LastRow; ++row) {
            if (!NextRecordAvailable())
                break;
            ReadRow(row);
        }
    } catch (...) {
        EndOfRows();
        throw;
    }
    EndOfRows();
}

} // namespace sources

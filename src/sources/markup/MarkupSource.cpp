#include "sources/markup/MarkupSource.h"

void TVxImportFromMarkup::ResetRows()
{
    texts_.clear();
    CurrentRowIndex = 0;
    CurrentLine = {};
}

void TVxImportFromMarkup::CloseSource()
{
    ResetRows();
    texts_.shrink_to_fit();
}

bool TVxImportFromMarkup::HasRow()
{
    // In 64 bits: the window's width overflows 32 for extreme first and last rows.
    return CurrentRowIndex < GetRowCount() &&
           static_cast<long long>(CurrentRowIndex) <= static_cast<long long>(RowLast) - RowFirst;
}

bool TVxImportFromMarkup::ProcessRow()
{
    CurrentLine = texts_.at(static_cast<std::size_t>(CurrentRowIndex));
    return TVxImportBaseComponent::ProcessRow();
}

bool TVxImportFromMarkup::CheckProperties(std::string &propertyName)
{
    return CheckPropertiesAndSourceFile(propertyName);
}

void SendPreviewRow(const TMarkupPreviewRequest &request, int columnCount, std::size_t index,
                    std::vector<Variant> &&values)
{
    if (request.OnRow)
        request.OnRow(columnCount, static_cast<int>(index) + 1, Variant::Array(std::move(values)), request.Oem);
}

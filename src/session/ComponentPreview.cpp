#include "session/ComponentPreview.h"

namespace {

// Closes the source however the preview ends.
struct TOpenSource {
    TVxImportBaseComponent &source;
    explicit TOpenSource(TVxImportBaseComponent &s) : source(s) { source.OpenSource(); }
    ~TOpenSource() { source.CloseSource(); }
    TOpenSource(const TOpenSource &) = delete;
    TOpenSource &operator=(const TOpenSource &) = delete;
};

} // namespace

void PreviewComponent(TVxImportBaseComponent &source, const TMarkupPreviewRequest &request,
                      std::vector<std::string> &columns)
{
    source.SourceFileName = request.FileName;
    source.RowFirst = request.FirstRow;
    source.RowLast = request.LastRow;
    source.RowFieldNames = request.FieldNameRow;
    TOpenSource open(source);
    source.CreateColumns();
    const int count = source.Columns.Count();
    for (int c = 0; c < count; ++c)
        columns.push_back(source.Columns[c].FieldName);
    source.FirstRow();
    for (int row = 0; row < request.PreviewRowCount && source.HasRow(); ++row, source.NextRow()) {
        std::vector<Variant> values;
        for (int c = 0; c < count; ++c) {
            Variant value;
            source.GetFieldValue(Variant(source.Columns[c].FieldName), value);
            values.emplace_back(value.IsNull() || value.IsEmpty() ? std::string() : value.AsString());
        }
        if (request.OnRow)
            request.OnRow(count, request.FirstRow + row, Variant::Array(std::move(values)), request.Oem);
    }
}

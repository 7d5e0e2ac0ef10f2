#pragma once

#include "engine/VxIBase.h"
#include "sources/markup/MarkupPreview.h"

#include <string>
#include <string_view>
#include <vector>

// What the HTML and XML sources share: a document read whole when opened, its rows kept as
// texts and served from memory within the row window, one at a time as CurrentLine.
class TVxImportFromMarkup : public TVxImportBaseComponent {
public:
    using TVxImportBaseComponent::TVxImportBaseComponent;

    int CurrentRowIndex = 0;
    std::string_view CurrentLine;

    void CloseSource() override;
    void FirstRow() override { CurrentRowIndex = 0; }
    void NextRow() override { ++CurrentRowIndex; }
    bool HasRow() override;
    std::int32_t GetRowCount() override { return static_cast<std::int32_t>(texts_.size()); }
    bool ProcessRow() override;
    bool CheckProperties(std::string &propertyName) override;

protected:
    // Forgets the rows of a document read before.
    void ResetRows();
    std::vector<std::string> texts_; // the kept rows, in order
};

// Hands one previewed row to the request's callback: its texts, one per column.
void SendPreviewRow(const TMarkupPreviewRequest &request, int columnCount, std::size_t index,
                    std::vector<Variant> &&values);

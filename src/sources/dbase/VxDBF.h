#pragma once

#include "sources/cells/VxCellsFile.h"
#include "sources/cells/TableFile.h"
#include "sources/common/TableText.h"
#include "sources/dbase/DbfLayout.h"

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace sources {
class TTableStream;
}
namespace sources::dbase {
class TDBFMemoFile;
}

// The dBase table reader: dBase III to 7, FoxPro, Visual FoxPro and HyperSix tables with
// their memo files. It works in row mode: the table stays open and each ReadRow delivers
// the next wanted record as the cells of one row.
class TDBF : public sources::TRecordTableFile {
public:
    TDBF();
    ~TDBF() override;

    // ---- published
    TDBFVersion DBFVersion = TDBFVersion::dBase3;
    TDBFMemoType DBFMemoType = TDBFMemoType::dmDBT;
    // The memo file's bytes, when they do not come from the file beside the table (a
    // table read from memory); the caller keeps the stream open while the table is read.
    std::istream *MemoStream = nullptr;

    // ---- the reader's operations
    bool IsEncrypted() const override;
    void ReadMemo(std::int64_t block, int length, std::string &text) override;
    void LoadFromStream(std::istream &stream) override;
    void EndOfRows() override;

    // ---- fields
    int FieldCount() const override { return static_cast<int>(layout_.Fields.size()); }
    std::string FieldName(int index) const override;
    // dBase names have at most 10 characters and no case: the name is cut and compared
    // upper-cased.
    int FindField(const std::string &name) const override;
    bool FieldMatchesColumn(const std::string &field, const std::string &column) const override
    {
        return field == column;
    }
    const std::vector<sources::dbase::TDBFField> &Fields() const { return layout_.Fields; }
    std::uint32_t RecordCount() const override { return layout_.RecordCount; }

private:
    bool ReadRecord(TVxIRowStatus &status) override;
    void DeliverRecord(int row) override;
    Variant MemoValue(const sources::dbase::TDBFField &field, std::span<const std::uint8_t> bytes);

    sources::dbase::TDBFTableLayout layout_;
    sources::TTableText text_;
    std::unique_ptr<sources::TTableStream> table_;
    std::vector<std::uint8_t> record_;
    std::uint32_t recordsRead_ = 0;
    std::unique_ptr<sources::dbase::TDBFMemoFile> memo_;
    bool memoLookedFor_ = false;
};

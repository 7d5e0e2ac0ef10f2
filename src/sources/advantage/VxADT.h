#pragma once

#include "sources/advantage/AdtFieldValue.h"
#include "sources/cells/TableFile.h"

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace sources {
class TTableStream;
}

// The Advantage table reader: an .adt file and its .adm BLOB file. It works in row mode:
// the table stays open and each ReadRow delivers the next wanted record as one row.
class TADT : public sources::TRecordTableFile {
public:
    TADT();
    ~TADT() override;

    // The BLOB file's bytes, when they do not come from the file beside the table (a table
    // read from memory); the caller keeps the stream open while the table is read.
    std::istream *BlobStream = nullptr;

    void ReadMemo(std::int64_t block, int length, std::string &text) override;
    void LoadFromStream(std::istream &stream) override;
    void EndOfRows() override;

    int FieldCount() const override { return static_cast<int>(fields_.size()); }
    std::string FieldName(int index) const override;
    const std::vector<sources::advantage::TADTField> &Fields() const { return fields_; }
    std::uint32_t RecordCount() const override { return recordCount_; }

private:
    bool ReadRecord(TVxIRowStatus &status) override;
    void DeliverRecord(int row) override;
    void ReadLayout();
    Variant BlobValue(std::span<const std::uint8_t> bytes);
    bool OpenBlobFile();

    std::vector<sources::advantage::TADTField> fields_;
    std::uint32_t recordCount_ = 0;
    std::unique_ptr<sources::TTableStream> table_;
    std::vector<std::uint8_t> record_;
    std::uint32_t recordsRead_ = 0;
    std::unique_ptr<std::ifstream> blobFile_;
    std::unique_ptr<sources::TTableStream> blob_;
    std::uint64_t blockSize_ = 0;
    bool blobLookedFor_ = false;
};

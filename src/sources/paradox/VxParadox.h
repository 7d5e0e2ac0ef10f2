#pragma once

#include "sources/cells/VxCellsFile.h"
#include "sources/cells/TableFile.h"
#include "sources/common/TableText.h"
#include "sources/paradox/PxLayout.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sources {
class TTableStream;
}
namespace sources::paradox {
class TPxBLOBFile;
}

using TOnParadoxPassword = std::function<void(TCustomSpreadSheetFile *Sender, std::string &APassword, bool &Continue)>;
using TOnGetPasswordChecksum =
    std::function<void(TCustomSpreadSheetFile *Sender, const std::string &APassword, std::int32_t &AResult)>;
using TOnDecryptDBBlock = std::function<void(TCustomSpreadSheetFile *Sender, std::vector<std::uint8_t> &tba,
                                             int BlockIndex, int BlockSize, std::int32_t CheckSum, bool IsBLOBBlock)>;

// The Paradox table reader. It works in row mode: the table stays open and each ReadRow
// delivers the next record of the table's chain of data blocks as the cells of one row.
// Encrypted tables are read only when a host supplies the password and decryption events.
class TDBParadox : public sources::TTableFile {
public:
    TDBParadox();
    ~TDBParadox() override;

    // ---- published
    std::uint16_t TableLevel() const { return sources::paradox::TableLevelOf(layout_.VersionByte); }
    std::string Password;
    // The BLOB file's bytes, when they do not come from the .mb file beside the table (a
    // table read from memory); the caller keeps the stream open while the table is read.
    std::istream *BLOBStream = nullptr;
    TOnParadoxPassword OnPassword;
    TOnGetPasswordChecksum OnGetPasswordChecksum;
    TOnDecryptDBBlock OnDecryptDBBlock;

    // ---- the reader's operations
    bool IsEncrypted() const override { return layout_.Encrypted(); }
    void LoadFromStream(std::istream &stream) override;
    void EndOfRows() override;
    void ReadRow(int row) override;

    // ---- fields
    int FieldCount() const override { return static_cast<int>(layout_.Fields.size()); }
    std::string FieldName(int index) const override;
    int FindField(const std::string &name) const override;
    bool BracketNamesWithBlanks() const override { return true; }
    const std::vector<sources::paradox::TPxField> &Fields() const { return layout_.Fields; }
    std::uint32_t RecordCount() const { return layout_.RecordCount; }
    const std::string &SortOrder() const { return layout_.SortOrder; }

    // Whether the block chain holds another record (for the row, passing over the records
    // before it); the source ends its rows when it does not, rather than serving the last
    // record again.
    bool HasRecordFor(int row);

private:
    void CheckPassword();
    void StartBlocks();
    bool ReadBlock(int index);
    void ReadNextBlock();
    bool HasRecord() const;
    std::span<const std::uint8_t> TakeRecord();
    void CatchUpTo(int row);
    void DeliverRecord(int row, std::span<const std::uint8_t> record);
    Variant BLOBValue(const sources::paradox::TPxField &field, std::span<const std::uint8_t> bytes);
    std::string ReadBLOB(const sources::paradox::TPxField &field, std::span<const std::uint8_t> bytes);
    bool NextRecordAvailable() override { return HasRecord(); }

    sources::paradox::TPxTableLayout layout_;
    sources::TTableText text_;
    std::unique_ptr<sources::TTableStream> table_;
    std::vector<std::uint8_t> block_; // one data block without its 6-byte header
    std::vector<std::uint8_t> record_;
    std::vector<std::uint8_t> wholeBlock_; // a block as read, header included
    int nextBlock_ = -1;
    int previousBlock_ = -1;
    std::uint16_t lastRecordOffset_ = 0;
    int blocksRead_ = 0;
    std::size_t recordOffset_ = 0;
    bool haveRecords_ = false;
    std::vector<bool> visited_; // a chain that comes back to a block has ended
    int nextRow_ = 0;
    std::unique_ptr<sources::paradox::TPxBLOBFile> blobs_;
    bool blobsLookedFor_ = false;
};

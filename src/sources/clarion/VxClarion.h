#pragma once

#include "sources/cells/TableFile.h"
#include "sources/clarion/ClarionLayout.h"

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

// The Clarion data file reader: a .dat file and its .mem memo file. Array fields become
// one column per element. It works in row mode: the file stays open and each ReadRow
// delivers the next wanted record as one row.
class TClarion : public sources::TRecordTableFile {
public:
    TClarion();
    ~TClarion() override;

    // ---- published
    bool DateAutodetect = true;
    bool AutoPatchFieldNames = true;
    std::string Password; // enciphered files are refused: no deciphering is built
    // The memo file's bytes, when they do not come from the file beside the data file (a
    // file read from memory); the caller keeps the stream open while the file is read.
    std::istream *MemoStream = nullptr;

    bool IsEncrypted() const override { return (layout_.Flags & 4) != 0; }
    void ReadMemo(std::int64_t block, int length, std::string &text) override;
    void LoadFromStream(std::istream &stream) override;
    void EndOfRows() override;

    int FieldCount() const override { return static_cast<int>(layout_.Entries.size()); }
    std::string FieldName(int index) const override;
    const std::vector<sources::clarion::TClarionEntry> &Entries() const { return layout_.Entries; }
    std::uint32_t RecordCount() const override { return layout_.RecordCount; }

private:
    bool ReadRecord(TVxIRowStatus &status) override;
    void DeliverRecord(int row) override;
    Variant MemoValue(std::span<const std::uint8_t> bytes);
    bool OpenMemoFile();
    void ReadMemoChain(std::int64_t position, std::int64_t maxBlocks, std::string &text);

    sources::clarion::TClarionLayout layout_;
    std::unique_ptr<sources::TTableStream> table_;
    std::vector<std::uint8_t> record_;
    std::uint32_t recordsRead_ = 0;
    std::unique_ptr<std::ifstream> memoFile_;
    std::unique_ptr<sources::TTableStream> memo_;
    bool memoLookedFor_ = false;
};

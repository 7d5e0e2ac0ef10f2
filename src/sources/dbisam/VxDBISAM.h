#pragma once

#include "sources/cells/TableFile.h"
#include "sources/dbisam/DbisamLayout.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TDBISAM;

using TMD5DigestArray = std::array<std::uint8_t, 16>;
// Computes the 16-byte digest of a text.
using TVxDBISAMGetPasswordDigestEvent =
    std::function<void(TDBISAM *Sender, const std::string &APassword, TMD5DigestArray &AResult)>;
// Prepares deciphering with the digest of the password.
using TVxDBISAMCryptInitEvent = std::function<void(TDBISAM *Sender, const TMD5DigestArray &ADigest)>;
// Deciphers NumBytes bytes in place; the flags say what the bytes are.
using TVxDBISAMDecryptBufferEvent = std::function<void(TDBISAM *Sender, std::uint8_t *Buffer, int NumBytes,
                                                       bool IsHeader, bool IsRecord, bool IsPChar)>;

// The DBISAM table reader: a .dat file and its .blb BLOB file, of either header
// generation. Enciphered tables are read only through the four events a host supplies.
// It works in row mode: the table stays open and each ReadRow delivers the next wanted
// record as one row.
class TDBISAM : public sources::TRecordTableFile {
public:
    TDBISAM();
    ~TDBISAM() override;

    // ---- published
    TVxIOnPasswordEvent OnPassword;
    TVxDBISAMGetPasswordDigestEvent OnGetPasswordDigest;
    TVxDBISAMCryptInitEvent OnCryptInit;
    TVxDBISAMDecryptBufferEvent OnDecryptBuffer;
    // The BLOB file's bytes, when they do not come from the file beside the table (a table
    // read from memory); the caller keeps the stream open while the table is read.
    std::istream *BlobStream = nullptr;

    bool IsEncrypted() const override { return header_.Encrypted; }
    void ReadMemo(std::int64_t block, int length, std::string &text) override;
    void LoadFromStream(std::istream &stream) override;
    void ResetRows() override;
    void EndOfRows() override;

    int FieldCount() const override { return static_cast<int>(fields_.size()); }
    std::string FieldName(int index) const override;
    const std::vector<sources::dbisam::TDBISAMField> &Fields() const { return fields_; }
    const sources::dbisam::TDBISAMHeader &Header() const { return header_; }
    std::uint32_t RecordCount() const override { return header_.RecordCount; }

private:
    bool ReadRecord(TVxIRowStatus &status) override;
    void DeliverRecord(int row) override;
    void ReadHeader();
    void CheckSignature();
    void CheckPassword();
    bool PasswordMatches(const std::string &password);
    void ReadDescriptors();
    Variant BlobValue(std::span<const std::uint8_t> bytes);
    bool OpenBlobFile();
    bool ReadBlobBlockHeader(std::int64_t block, std::array<std::uint8_t, 18> &blockHeader);
    void Decipher(std::span<std::uint8_t> bytes, bool isHeader, bool isRecord, bool isPChar);
    bool DeciphersBlobs() const;

    sources::dbisam::TDBISAMHeader header_;
    std::string password_;
    std::vector<sources::dbisam::TDBISAMField> fields_;
    std::unique_ptr<sources::TTableStream> table_;
    std::vector<std::uint8_t> record_;
    std::uint32_t recordsRead_ = 0;
    std::unique_ptr<std::ifstream> blobFile_;
    std::unique_ptr<sources::TTableStream> blob_;
    bool blobLookedFor_ = false;
};

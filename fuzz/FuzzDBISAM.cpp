// DBISAM tables with their BLOB files, plain and through deciphering handlers.

#include "FuzzTables.h"
#include "sources/dbisam/VxDBISAM.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    TDBISAM reader;
    // The first byte chooses: deleted and error records too, BLOB texts or block numbers,
    // and handlers for enciphered tables (a byte-wise XOR as the cipher, the password's
    // bytes as its digest, two answers to the password question).
    const std::uint8_t choice = input.Byte();
    if (choice & 1)
        reader.LoadRowStatuses = {TVxIRowStatus::rsNormal, TVxIRowStatus::rsDeleted, TVxIRowStatus::rsError};
    reader.ParseBLOB = !(choice & 2);
    int answers = 0;
    if (choice & 4) {
        const auto key = static_cast<std::uint8_t>(choice);
        reader.OnPassword = [&answers](TCustomSpreadSheetFile *, std::string &password, bool &proceed) {
            password = answers == 0 ? "first" : "second";
            proceed = ++answers <= 2;
        };
        reader.OnGetPasswordDigest = [](TDBISAM *, const std::string &text, TMD5DigestArray &digest) {
            digest.fill(0);
            for (std::size_t i = 0; i < text.size(); ++i)
                digest[i % digest.size()] ^= static_cast<std::uint8_t>(text[i]);
        };
        reader.OnCryptInit = [](TDBISAM *, const TMD5DigestArray &) {};
        reader.OnDecryptBuffer = [key](TDBISAM *, std::uint8_t *buffer, int count, bool, bool, bool) {
            for (int i = 0; i < count; ++i)
                buffer[i] ^= key;
        };
    }
    FuzzTable(input, reader, reader.BlobStream);
    return 0;
}

// The values the Access reader decodes from a row's bytes itself rather than through
// mdbtools: the texts of Jet 4 and later (UTF-16, and the compressed form behind FF FE)
// and Access 2019's extended dates. fuzz_access_file reaches them only through whole
// databases, a few hundred a second.

#include "sources/access/JetValues.h"

#include <cstdint>
#include <exception>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::span<const unsigned char> bytes(data, size);
    (void)sources::access::JetText(bytes);
    try {
        (void)sources::access::ExtendedDateTime(bytes).AsString();
    } catch (const std::exception &) {
    }
    return 0;
}

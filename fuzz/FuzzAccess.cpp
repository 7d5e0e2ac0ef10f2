// Access databases read as an import reads them: through mdbtools in a reading process
// of their own, every table's records to the end. mdbtools itself is not instrumented;
// what is fuzzed is that its loops and crashes on damaged files end in an error here.

#include "FuzzInput.h"
#include "sources/access/AccessDatabase.h"

#include <pthread.h>
#include <sanitizer/common_interface_defs.h>

namespace {

// A reading process is a copy of the fuzzer. Its faults in mdbtools are what this target
// expects, and the fuzzer's report of them would be written from the copy under the name
// of the input it was copied at, not of the one that failed.
const int quietReaders = pthread_atfork(nullptr, nullptr, [] { __sanitizer_set_death_callback(nullptr); });

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    sources::access::TAccessDatabase database(data, size);
    database.SilenceLimitMilliseconds = 200;
    try {
        for (const std::string &name : database.TableNames()) {
            const auto table = database.OpenTable(name);
            for (table->MoveFirst(); !table->Eof(); table->MoveNext())
                for (std::size_t i = 0; i < table->Fields().size(); ++i)
                    (void)table->Value(static_cast<int>(i)).AsString();
        }
    } catch (const std::exception &) {
    }
    return 0;
}

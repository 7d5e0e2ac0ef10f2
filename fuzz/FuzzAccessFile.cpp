// Access databases read in this process, as the reader process reads them: every table's
// fields and records through mdbtools and the decoding of the row bytes here. mdbtools
// is not instrumented and trusts the file; where it crashes or loops on a damaged one,
// the reader process of fuzz_access is what keeps the program alive. This target runs in
// libFuzzer's fork mode (fuzz/run.sh), so that such a fault is kept as an artifact and
// the campaign goes on, and a fault in our own decoding shows with its stack.

#include "sources/access/MdbFile.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>

// mdbtools dumps the pages it cannot make sense of to the standard output, as the reader
// process sends to /dev/null; libFuzzer reports on the standard error.
extern "C" int LLVMFuzzerInitialize(int *, char ***) { return std::freopen("/dev/null", "w", stdout) ? 0 : 1; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    try {
        sources::access::TMdbFile file(data, size);
        for (const std::string &name : file.TableNames()) {
            const std::unique_ptr<TRecordset> table = file.OpenTable(name);
            int rows = 0;
            for (table->MoveFirst(); !table->Eof() && rows < 1000; table->MoveNext(), ++rows)
                for (std::size_t i = 0; i < table->Fields().size(); ++i)
                    (void)table->Value(static_cast<int>(i)).AsString();
        }
    } catch (const std::exception &) {
    }
    return 0;
}

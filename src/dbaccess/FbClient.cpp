#include "dbaccess/FbClient.h"

#include "dbaccess/IBErrors.h"

#include <dlfcn.h>

#include <memory>

FbClient &FbClient::Instance()
{
    // A failed load is remembered: every caller gets the same message, and nothing
    // retries dlopen on each keystroke.
    static std::unique_ptr<FbClient> client;
    static std::string loadError;
    if (client)
        return *client;
    if (!loadError.empty())
        throw EIBClientError(IBClientErrorCode::LibraryNotFound, loadError);
    try {
        client = std::make_unique<FbClient>(DefaultLibraryName);
    } catch (const EIBClientError &e) {
        loadError = e.what();
        throw;
    }
    return *client;
}

FbClient::FbClient(const std::string &libraryName)
{
    handle_ = dlopen(libraryName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        throw EIBClientError(IBClientErrorCode::LibraryNotFound,
                             IBClientErrorText(IBClientErrorCode::LibraryNotFound, libraryName));
    bind(attach_database);
    bind(detach_database);
    bind(database_info);
    bind(start_multiple);
    bind(commit_transaction);
    bind(rollback_transaction);
    bind(commit_retaining);
    bind(dsql_allocate_statement);
    bind(dsql_prepare);
    bind(dsql_describe);
    bind(dsql_describe_bind);
    bind(dsql_execute);
    bind(dsql_execute2);
    bind(dsql_execute_immediate);
    bind(dsql_fetch);
    bind(dsql_free_statement);
    bind(dsql_sql_info);
    bind(sqlcode);
    bind(interpret);
    bind(vax_integer);
    bind(open_blob2);
    bind(create_blob2);
    bind(get_segment);
    bind(put_segment);
    bind(close_blob);
    bind(cancel_blob);
    bind(shutdown_callback);
    KeepConnectionsOnInterrupts();
}

namespace {

// Refuses the shutdown the client library starts when the process is interrupted.
extern "C" int refuseSignalShutdown(const int reason, const int, void *) { return reason == fb_shutrsn_signal ? 1 : 0; }

} // namespace

void FbClient::KeepConnectionsOnInterrupts()
{
    // On Ctrl+C or SIGTERM the client library shuts every connection down from a thread of
    // its own. What an interrupt means is the program's to say (the runner cancels the run
    // and rolls it back), and that shutdown, racing an attach under way and the library's
    // own exit handlers, ended the runner with a crash or left it hanging at exit. The
    // library still passes the signal to the handler it found installed.
    if (!shutdown_callback.fn)
        return;
    ISC_STATUS_ARRAY status{};
    shutdown_callback.fn(status, refuseSignalShutdown, fb_shut_confirmation, nullptr);
}

template <class F> void FbClient::bind(Entry<F> &entry) { entry.fn = reinterpret_cast<F>(dlsym(handle_, entry.name)); }

void FbClient::ThrowMissingEntryPoint(const char *name)
{
    throw EIBClientError(IBClientErrorCode::EntryPointMissing,
                         IBClientErrorText(IBClientErrorCode::EntryPointMissing, name));
}

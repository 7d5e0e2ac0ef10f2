#pragma once

#include <ibase.h>

#include <string>

// The Firebird client library, loaded at run time so that the program starts (and can
// say why it cannot connect) on a machine without it. Entry points the loaded library
// lacks fail when first called, not at load.
class FbClient {
public:
    static constexpr const char *DefaultLibraryName = "libfbclient.so.2";

    // The process-wide client, loaded on first use; raises EIBClientError 1 when the
    // library cannot be loaded (and again on every later call).
    static FbClient &Instance();

    // Loads the named library (tests load stand-ins). The handle is never closed: the
    // client library keeps threads and exit handlers that must outlive every caller.
    explicit FbClient(const std::string &libraryName);
    FbClient(const FbClient &) = delete;
    FbClient &operator=(const FbClient &) = delete;

    template <class F> struct Entry {
        const char *name = nullptr;
        F fn = nullptr;
        // The function, or EIBClientError 3 naming the entry point.
        F operator*() const
        {
            if (!fn)
                ThrowMissingEntryPoint(name);
            return fn;
        }
    };

    Entry<decltype(&isc_attach_database)> attach_database{"isc_attach_database"};
    Entry<decltype(&isc_detach_database)> detach_database{"isc_detach_database"};
    Entry<decltype(&isc_database_info)> database_info{"isc_database_info"};
    Entry<decltype(&isc_start_multiple)> start_multiple{"isc_start_multiple"};
    Entry<decltype(&isc_commit_transaction)> commit_transaction{"isc_commit_transaction"};
    Entry<decltype(&isc_rollback_transaction)> rollback_transaction{"isc_rollback_transaction"};
    Entry<decltype(&isc_commit_retaining)> commit_retaining{"isc_commit_retaining"};
    Entry<decltype(&isc_dsql_allocate_statement)> dsql_allocate_statement{"isc_dsql_allocate_statement"};
    Entry<decltype(&isc_dsql_prepare)> dsql_prepare{"isc_dsql_prepare"};
    Entry<decltype(&isc_dsql_describe)> dsql_describe{"isc_dsql_describe"};
    Entry<decltype(&isc_dsql_describe_bind)> dsql_describe_bind{"isc_dsql_describe_bind"};
    Entry<decltype(&isc_dsql_execute)> dsql_execute{"isc_dsql_execute"};
    Entry<decltype(&isc_dsql_execute2)> dsql_execute2{"isc_dsql_execute2"};
    Entry<decltype(&isc_dsql_execute_immediate)> dsql_execute_immediate{"isc_dsql_execute_immediate"};
    Entry<decltype(&isc_dsql_fetch)> dsql_fetch{"isc_dsql_fetch"};
    Entry<decltype(&isc_dsql_free_statement)> dsql_free_statement{"isc_dsql_free_statement"};
    Entry<decltype(&isc_dsql_sql_info)> dsql_sql_info{"isc_dsql_sql_info"};
    Entry<decltype(&isc_sqlcode)> sqlcode{"isc_sqlcode"};
    Entry<decltype(&fb_interpret)> interpret{"fb_interpret"};
    Entry<decltype(&isc_vax_integer)> vax_integer{"isc_vax_integer"};
    Entry<decltype(&isc_open_blob2)> open_blob2{"isc_open_blob2"};
    Entry<decltype(&isc_create_blob2)> create_blob2{"isc_create_blob2"};
    Entry<decltype(&isc_get_segment)> get_segment{"isc_get_segment"};
    Entry<decltype(&isc_put_segment)> put_segment{"isc_put_segment"};
    Entry<decltype(&isc_close_blob)> close_blob{"isc_close_blob"};
    Entry<decltype(&isc_cancel_blob)> cancel_blob{"isc_cancel_blob"};
    Entry<decltype(&fb_shutdown_callback)> shutdown_callback{"fb_shutdown_callback"};

private:
    [[noreturn]] static void ThrowMissingEntryPoint(const char *name);
    void KeepConnectionsOnInterrupts();
    void *handle_ = nullptr;
    template <class F> void bind(Entry<F> &entry);
};

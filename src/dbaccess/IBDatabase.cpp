#include "dbaccess/IBDatabase.h"

#include "dbaccess/FbClient.h"
#include "dbaccess/IBErrors.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace {

// Parameter-block item names, at the position of their item code.
constexpr std::array<const char *, 69> dpbNames = {
    "",
    "cdd_pathname",
    "allocation",
    "journal",
    "page_size",
    "num_buffers",
    "buffer_length",
    "debug",
    "garbage_collect",
    "verify",
    "sweep",
    "enable_journal",
    "disable_journal",
    "dbkey_scope",
    "number_of_users",
    "trace",
    "no_garbage_collect",
    "damaged",
    "license",
    "sys_user_name",
    "encrypt_key",
    "activate_shadow",
    "sweep_interval",
    "delete_shadow",
    "force_write",
    "begin_log",
    "quit_log",
    "no_reserve",
    "user_name",
    "password",
    "password_enc",
    "sys_user_name_enc",
    "interp",
    "online_dump",
    "old_file_size",
    "old_num_files",
    "old_file",
    "old_start_page",
    "old_start_seqno",
    "old_start_file",
    "drop_walfile",
    "old_dump_id",
    "wal_backup_dir",
    "wal_chkptlen",
    "wal_numbufs",
    "wal_bufsize",
    "wal_grp_cmt_wait",
    "lc_messages",
    "lc_ctype",
    "cache_manager",
    "shutdown",
    "online",
    "shutdown_delay",
    "reserved",
    "overwrite",
    "sec_attach",
    "disable_wal",
    "connect_timeout",
    "dummy_packet_interval",
    "gbak_attach",
    "sql_role_name",
    "set_page_buffers",
    "working_directory",
    "sql_dialect",
    "set_db_readonly",
    "set_db_sql_dialect",
    "gfix_attach",
    "gstat_attach",
    "set_db_charset",
};

// Items whose value is a text: code, length byte, bytes.
constexpr int dpbStringItems[] = {18, 19, 20, 28, 29, 30, 42, 47, 48, 60};
// Items whose value is a number: code, length 4, little-endian value.
constexpr int dpbNumberItems[] = {5, 22, 57, 58, 61, 63, 64, 65};

constexpr std::array<const char *, 21> tpbNames = {
    "",
    "consistency",
    "concurrency",
    "shared",
    "protected",
    "exclusive",
    "wait",
    "nowait",
    "read",
    "write",
    "lock_read",
    "lock_write",
    "verb_time",
    "commit_time",
    "ignore_limbo",
    "read_committed",
    "autocommit",
    "rec_version",
    "no_rec_version",
    "restart_requests",
    "no_auto_undo",
};

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

bool isBlank(const std::string &line)
{
    return std::all_of(line.begin(), line.end(), [](unsigned char c) { return std::isspace(c); });
}

// Name of a parameter line: the text before "=", lower-cased, without the prefix.
std::string itemName(const std::string &line, const char *prefix)
{
    std::string name = lower(line.substr(0, line.find('=')));
    if (name.rfind(prefix, 0) == 0)
        name.erase(0, std::strlen(prefix));
    return name;
}

template <std::size_t N> int itemCode(const std::array<const char *, N> &names, const std::string &name)
{
    for (std::size_t i = 1; i < N; ++i)
        if (name == names[i])
            return static_cast<int>(i);
    return -1;
}

template <std::size_t N> bool contains(const int (&items)[N], int code)
{
    return std::find(std::begin(items), std::end(items), code) != std::end(items);
}

void removeFrom(auto &list, auto *item) { list.erase(std::remove(list.begin(), list.end(), item), list.end()); }

} // namespace

// ---------------------------------------------------------------- TIBClientList

void TIBClientList::Add(TIBLinked *client)
{
    const std::lock_guard lock(mutex_);
    if (std::find(clients_.begin(), clients_.end(), client) == clients_.end())
        clients_.push_back(client);
}

void TIBClientList::Remove(TIBLinked *client)
{
    const std::lock_guard lock(mutex_);
    removeFrom(clients_, client);
}

bool TIBClientList::Contains(TIBLinked *client) const
{
    const std::lock_guard lock(mutex_);
    return std::find(clients_.begin(), clients_.end(), client) != clients_.end();
}

void TIBClientList::ReleaseAll(TIBReleaseReason reason) const
{
    std::vector<TIBLinked *> clients;
    {
        const std::lock_guard lock(mutex_);
        clients = clients_;
    }
    // A client may unbind itself, or free others (a dataset its statements), meanwhile:
    // only those still bound are told.
    for (TIBLinked *c : clients)
        if (Contains(c))
            c->Release(reason);
}

// ---------------------------------------------------------------- TIBLinked

TIBLinked::~TIBLinked()
{
    LinkDatabase(nullptr);
    LinkTransaction(nullptr);
}

void TIBLinked::LinkDatabase(TIBDatabase *database)
{
    if (database_)
        database_->RemoveClient(this);
    database_ = database;
    if (database_)
        database_->AddClient(this);
}

void TIBLinked::LinkTransaction(TIBTransaction *transaction)
{
    if (transaction_)
        transaction_->RemoveClient(this);
    transaction_ = transaction;
    if (transaction_)
        transaction_->AddClient(this);
}

TIBTransaction *TIBLinked::MissingDefaultTransaction() const
{
    return database_ && !transaction_ ? database_->DefaultTransaction() : nullptr;
}

// ---------------------------------------------------------------- TIBDatabase

TIBDatabase::TIBDatabase()
{
    FbClient::Instance(); // a missing client library stops the program at its start
}

TIBDatabase::~TIBDatabase()
{
    if (Connected()) {
        try {
            Close();
        } catch (...) {
            ForceClose();
        }
    }
    for (TIBTransaction *t : std::vector<TIBTransaction *>(transactions_))
        t->RemoveDatabase(this);
}

void TIBDatabase::SetDatabaseName(const std::string &name)
{
    if (Connected())
        Close();
    databaseName_ = name;
}

void TIBDatabase::SetSQLDialect(int dialect)
{
    if (dialect < 1 || (Connected() && dialect > dbSQLDialect_))
        throw EIBClientError(IBClientErrorCode::InvalidSQLDialect);
    sqlDialect_ = dialect;
}

void TIBDatabase::SetConnected(bool connected)
{
    if (connected && !Connected())
        Open();
    else if (!connected && Connected())
        Close();
}

void TIBDatabase::SetDefaultTransaction(TIBTransaction *transaction)
{
    defaultTransaction_ = transaction;
    if (transaction)
        transaction->AddDatabase(this);
}

std::string TIBDatabase::CharacterSet() const
{
    for (const std::string &line : Params)
        if (itemName(line, "isc_dpb_") == "lc_ctype" && line.find('=') != std::string::npos)
            return upper(line.substr(line.find('=') + 1));
    return {};
}

bool TIBDatabase::UsesUTF8() const
{
    const std::string cs = CharacterSet();
    return cs == "UTF8" || cs == "UNICODE_FSS";
}

std::string TIBDatabase::BuildDPB(const std::vector<std::string> &params)
{
    std::string dpb(1, static_cast<char>(isc_dpb_version1));
    for (const std::string &line : params) {
        if (isBlank(line))
            continue;
        const std::string name = itemName(line, "isc_dpb_");
        const auto eq = line.find('=');
        const std::string value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
        const int code = itemCode(dpbNames, name);
        if (code < 0)
            throw EIBClientError(IBClientErrorCode::DPBConstantUnknown,
                                 IBClientErrorText(IBClientErrorCode::DPBConstantUnknown, line.substr(0, eq)));
        if (contains(dpbStringItems, code)) {
            if (value.size() > 255)
                throw EIBClientError(IBClientErrorCode::DPBValueTooLong,
                                     IBClientErrorText(IBClientErrorCode::DPBValueTooLong, name));
            dpb += static_cast<char>(code);
            dpb += static_cast<char>(value.size());
            dpb += value;
        } else if (contains(dpbNumberItems, code)) {
            const long number = std::strtol(value.c_str(), nullptr, 10);
            dpb += static_cast<char>(code);
            dpb += static_cast<char>(4);
            for (int i = 0; i < 4; ++i)
                dpb += static_cast<char>((number >> (8 * i)) & 0xFF);
        } else {
            throw EIBClientError(IBClientErrorCode::DPBConstantNotSupported,
                                 IBClientErrorText(IBClientErrorCode::DPBConstantNotSupported, name));
        }
    }
    return dpb;
}

void TIBDatabase::Open()
{
    if (Connected())
        throw EIBClientError(IBClientErrorCode::DatabaseOpen);
    if (databaseName_.empty())
        throw EIBClientError(IBClientErrorCode::DatabaseNameMissing);
    if (!dpbBuilt_ || Params != builtParams_) {
        dpb_ = BuildDPB(Params);
        builtParams_ = Params;
        dpbBuilt_ = true;
    }
    FbClient &client = FbClient::Instance();
    ISC_STATUS_ARRAY status{};
    isc_db_handle handle = 0;
    if ((*client.attach_database)(status, static_cast<short>(databaseName_.size()), databaseName_.c_str(), &handle,
                                  static_cast<short>(dpb_.size()), dpb_.data()))
        RaiseInterBaseError(status);
    handle_ = handle;
    ReadDialect();
    if (dbSQLDialect_ < sqlDialect_)
        sqlDialect_ = dbSQLDialect_;
}

void TIBDatabase::ReadDialect()
{
    FbClient &client = FbClient::Instance();
    ISC_STATUS_ARRAY status{};
    const char item = isc_info_db_sql_dialect;
    char reply[512] = {};
    if ((*client.database_info)(status, &handle_, 1, &item, sizeof reply, reply))
        RaiseStatus(status);
    dbSQLDialect_ = 1;
    if (reply[0] == isc_info_db_sql_dialect) {
        const short length = static_cast<short>((*client.vax_integer)(reply + 1, 2));
        if (length > 0 && length <= 4)
            dbSQLDialect_ = static_cast<int>((*client.vax_integer)(reply + 3, length));
    }
}

void TIBDatabase::Close()
{
    if (!Connected())
        return;
    clients_.ReleaseAll(TIBReleaseReason::DatabaseClose);
    std::exception_ptr commitError;
    for (TIBTransaction *t : std::vector<TIBTransaction *>(transactions_))
        if (t->InTransaction())
            if (auto e = t->EndForDetach(); e && !commitError)
                commitError = e;
    if (Connected()) { // a commit that lost the connection has dropped it already
        FbClient &client = FbClient::Instance();
        ISC_STATUS_ARRAY status{};
        if ((*client.detach_database)(status, &handle_))
            RaiseStatus(status);
    }
    handle_ = 0;
    dbSQLDialect_ = 1;
    if (commitError)
        std::rethrow_exception(commitError);
}

void TIBDatabase::ForceClose()
{
    if (!Connected())
        return;
    clients_.ReleaseAll(TIBReleaseReason::ConnectionLost);
    for (TIBTransaction *t : std::vector<TIBTransaction *>(transactions_))
        t->HandleLost();
    handle_ = 0;
    dbSQLDialect_ = 1;
}

void TIBDatabase::RaiseStatus(const ISC_STATUS *status)
{
    // A statement sent from another thread (a batch sent ahead) leaves the clean-up to the
    // connection's own thread, which meets the same loss on its next call.
    if (IsConnectionLost(status) && std::this_thread::get_id() == owner_)
        ForceClose();
    RaiseInterBaseError(status);
}

void TIBDatabase::AddTransaction(TIBTransaction *transaction)
{
    if (std::find(transactions_.begin(), transactions_.end(), transaction) == transactions_.end())
        transactions_.push_back(transaction);
}

void TIBDatabase::RemoveTransaction(TIBTransaction *transaction)
{
    removeFrom(transactions_, transaction);
    if (defaultTransaction_ == transaction)
        defaultTransaction_ = nullptr;
}

// ---------------------------------------------------------------- TIBTransaction

TIBTransaction::TIBTransaction() { FbClient::Instance(); }

TIBTransaction::~TIBTransaction()
{
    if (InTransaction()) {
        if (auto e = EndForDetach(); e) {
            // Nothing can report it from a destructor; the rollback has happened.
        }
    }
    for (TIBDatabase *db : std::vector<TIBDatabase *>(databases_))
        db->RemoveTransaction(this);
}

void TIBTransaction::AddDatabase(TIBDatabase *database)
{
    if (std::find(databases_.begin(), databases_.end(), database) != databases_.end())
        return;
    databases_.push_back(database);
    database->AddTransaction(this);
}

void TIBTransaction::RemoveDatabase(TIBDatabase *database)
{
    removeFrom(databases_, database);
    database->RemoveTransaction(this);
}

std::string TIBTransaction::BuildTPB(const std::vector<std::string> &params)
{
    std::string tpb;
    if (params.empty())
        return tpb;
    tpb += static_cast<char>(isc_tpb_version3);
    for (const std::string &line : params) {
        const std::string name = itemName(line, "isc_tpb_");
        const int code = itemCode(tpbNames, name);
        if (code < 0)
            throw EIBClientError(
                IBClientErrorCode::TPBConstantUnknown,
                IBClientErrorText(IBClientErrorCode::TPBConstantUnknown, line.substr(0, line.find('='))));
        // The table reservations need a table name and a lock mode this layer does not take.
        if (code == isc_tpb_lock_read || code == isc_tpb_lock_write)
            throw EIBClientError(IBClientErrorCode::TPBConstantNotSupported,
                                 IBClientErrorText(IBClientErrorCode::TPBConstantNotSupported, name));
        tpb += static_cast<char>(code);
    }
    return tpb;
}

void TIBTransaction::StartTransaction()
{
    if (InTransaction())
        throw EIBClientError(IBClientErrorCode::InTransaction);
    if (databases_.empty())
        throw EIBClientError(IBClientErrorCode::NoDatabasesInTransaction);
    for (TIBDatabase *db : databases_)
        if (!db->Connected())
            throw EIBClientError(IBClientErrorCode::DatabaseClosed);
    if (!tpbBuilt_ || Params != builtParams_) {
        tpb_ = BuildTPB(Params);
        builtParams_ = Params;
        tpbBuilt_ = true;
    }
    struct TEB {
        isc_db_handle *database;
        int tpbLength;
        const char *tpb;
    };
    std::vector<TEB> vector;
    for (TIBDatabase *db : databases_)
        vector.push_back({db->Handle(), static_cast<int>(tpb_.size()), tpb_.empty() ? nullptr : tpb_.data()});
    FbClient &client = FbClient::Instance();
    ISC_STATUS_ARRAY status{};
    isc_tr_handle handle = 0;
    if ((*client.start_multiple)(status, &handle, static_cast<short>(vector.size()), vector.data()))
        databases_.front()->RaiseStatus(status);
    handle_ = handle;
}

void TIBTransaction::CheckInTransaction() const
{
    if (!InTransaction())
        throw EIBClientError(IBClientErrorCode::NotInTransaction);
}

void TIBTransaction::Commit() { EndTransaction(TTransactionAction::taCommit); }

void TIBTransaction::Rollback() { EndTransaction(TTransactionAction::taRollback); }

void TIBTransaction::CommitRetaining()
{
    CheckInTransaction();
    FbClient &client = FbClient::Instance();
    ISC_STATUS_ARRAY status{};
    if (!(*client.commit_retaining)(status, &handle_))
        return;
    RaiseCallError(status, IsConnectionLost(status));
}

void TIBTransaction::EndTransaction(TTransactionAction action)
{
    CheckInTransaction();
    clients_.ReleaseAll(TIBReleaseReason::TransactionEnd);
    FbClient &client = FbClient::Instance();
    ISC_STATUS_ARRAY status{};
    const bool commit = action == TTransactionAction::taCommit;
    const ISC_STATUS rc = commit ? (*client.commit_transaction)(status, &handle_)
                                 : (*client.rollback_transaction)(status, &handle_);
    if (!rc) {
        handle_ = 0;
        return;
    }
    const bool networkGone = commit && status[1] == isc_network_error_code && (*client.sqlcode)(status) == -902;
    RaiseCallError(status, networkGone || IsConnectionLost(status));
}

// A lost connection leaves nothing to end: the databases are dropped without server calls.
void TIBTransaction::RaiseCallError(const ISC_STATUS *status, bool connectionLost)
{
    if (connectionLost) {
        for (TIBDatabase *db : std::vector<TIBDatabase *>(databases_))
            db->ForceClose();
        handle_ = 0;
    }
    RaiseInterBaseError(status);
}

std::exception_ptr TIBTransaction::EndForDetach()
{
    if (!InTransaction())
        return {};
    if (DefaultAction == TTransactionAction::taRollback || DefaultAction == TTransactionAction::taRollbackRetaining) {
        try {
            Rollback();
        } catch (...) {
            handle_ = 0;
        }
        return {};
    }
    try {
        Commit();
        return {};
    } catch (...) {
        std::exception_ptr commitError = std::current_exception();
        if (InTransaction()) {
            try {
                Rollback();
            } catch (...) {
                handle_ = 0;
            }
        }
        return commitError;
    }
}

void TIBTransaction::HandleLost()
{
    if (!InTransaction())
        return;
    clients_.ReleaseAll(TIBReleaseReason::ConnectionLost);
    handle_ = 0;
}

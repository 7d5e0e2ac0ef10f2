#pragma once

#include <ibase.h>

#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TIBDatabase;
class TIBTransaction;

// Why a statement or dataset is told to let go of its server resources.
enum class TIBReleaseReason {
    TransactionEnd, // commit or rollback: close cursors, unprepare
    DatabaseClose,  // detach: the same, before the transaction ends
    ConnectionLost, // forget handles without calling the server
};

// A statement or dataset bound to a connection and a transaction, which tell it when to
// let go of its server resources.
class TIBLinked {
public:
    virtual ~TIBLinked();
    virtual void Release(TIBReleaseReason reason) = 0;

protected:
    void LinkDatabase(TIBDatabase *database);
    void LinkTransaction(TIBTransaction *transaction);
    // The connection's default transaction, when the object has none of its own yet.
    TIBTransaction *MissingDefaultTransaction() const;

    TIBDatabase *database_ = nullptr;
    TIBTransaction *transaction_ = nullptr;
};

// The statements and datasets bound to a connection or a transaction. A batch sent ahead
// binds its statements from a thread of its own: the list is guarded.
class TIBClientList {
public:
    void Add(TIBLinked *client);
    void Remove(TIBLinked *client);
    // Tells each client, over a copy of the list: a client may unbind itself meanwhile.
    void ReleaseAll(TIBReleaseReason reason) const;

private:
    bool Contains(TIBLinked *client) const;
    mutable std::mutex mutex_;
    std::vector<TIBLinked *> clients_;
};

enum class TTransactionAction { taRollback, taCommit, taRollbackRetaining, taCommitRetaining };

// One attachment to a Firebird or InterBase database.
class TIBDatabase {
public:
    TIBDatabase();
    ~TIBDatabase();
    TIBDatabase(const TIBDatabase &) = delete;
    TIBDatabase &operator=(const TIBDatabase &) = delete;

    std::string Name = "IBDatabase1";
    bool LoginPrompt = false;
    // Lines "name=value"; rebuilt into the parameter block at the next attach when changed.
    std::vector<std::string> Params;

    const std::string &DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const std::string &name); // detaches first when attached

    int SQLDialect() const { return sqlDialect_; }
    void SetSQLDialect(int dialect);
    int DBSQLDialect() const { return dbSQLDialect_; }

    bool Connected() const { return handle_ != 0; }
    void SetConnected(bool connected);
    void Open();
    // Ends every transaction with its default action (a commit for this program), then
    // detaches. When that commit fails the work is rolled back and, once detached, the
    // commit's error is raised: the caller must learn that nothing was saved.
    void Close();

    TIBTransaction *DefaultTransaction() const { return defaultTransaction_; }
    void SetDefaultTransaction(TIBTransaction *transaction);

    isc_db_handle *Handle() { return &handle_; }
    // The lc_ctype parameter, upper-cased ("" when none).
    std::string CharacterSet() const;
    // True when texts are UTF-8 on the wire, so sizes count characters, not bytes.
    bool UsesUTF8() const;

    // Database parameter block of a parameter list; raises on unknown names.
    static std::string BuildDPB(const std::vector<std::string> &params);

    // Raises the status vector's error; a lost connection is dropped first.
    [[noreturn]] void RaiseStatus(const ISC_STATUS *status);
    // Drops the attachment without another server call (the connection is gone).
    void ForceClose();

    void AddTransaction(TIBTransaction *transaction);
    void RemoveTransaction(TIBTransaction *transaction);
    void AddClient(TIBLinked *client) { clients_.Add(client); }
    void RemoveClient(TIBLinked *client) { clients_.Remove(client); }

private:
    void CheckNotConnected() const;
    void ReadDialect();

    std::string databaseName_;
    int sqlDialect_ = 3;
    int dbSQLDialect_ = 1;
    isc_db_handle handle_ = 0;
    TIBTransaction *defaultTransaction_ = nullptr;
    std::vector<std::string> builtParams_;
    std::string dpb_;
    bool dpbBuilt_ = false;
    std::vector<TIBTransaction *> transactions_;
    std::thread::id owner_ = std::this_thread::get_id();
    TIBClientList clients_;
};

// One transaction over the connections it spans (here exactly one).
class TIBTransaction {
public:
    TIBTransaction();
    ~TIBTransaction();
    TIBTransaction(const TIBTransaction &) = delete;
    TIBTransaction &operator=(const TIBTransaction &) = delete;

    std::string Name = "IBTransaction1";
    std::vector<std::string> Params;
    TTransactionAction DefaultAction = TTransactionAction::taCommit;

    void AddDatabase(TIBDatabase *database);
    void RemoveDatabase(TIBDatabase *database);
    TIBDatabase *DefaultDatabase() const { return databases_.empty() ? nullptr : databases_.front(); }
    int DatabaseCount() const { return static_cast<int>(databases_.size()); }

    bool InTransaction() const { return handle_ != 0; }
    void StartTransaction();
    void Commit();
    void Rollback();
    // Makes the work so far permanent and goes on in the same context: open cursors and
    // prepared statements stay as they are.
    void CommitRetaining();
    // Ends the transaction at detach. A failed commit rolls back; its error is returned
    // (empty when the commit went through) rather than raised, so the detach completes.
    std::exception_ptr EndForDetach();
    // The connection is gone: forget the handle without a server call.
    void HandleLost();

    isc_tr_handle *Handle() { return &handle_; }

    // Transaction parameter block of a parameter list; raises on unknown names.
    static std::string BuildTPB(const std::vector<std::string> &params);

    void AddClient(TIBLinked *client) { clients_.Add(client); }
    void RemoveClient(TIBLinked *client) { clients_.Remove(client); }

private:
    void CheckInTransaction() const;
    void EndTransaction(TTransactionAction action);
    [[noreturn]] void RaiseCallError(const ISC_STATUS *status, bool connectionLost);

    isc_tr_handle handle_ = 0;
    std::vector<TIBDatabase *> databases_;
    TIBClientList clients_;
    std::vector<std::string> builtParams_;
    std::string tpb_;
    bool tpbBuilt_ = false;
};

#pragma once

#include "dbaccess/IBCustomDataSet.h"
#include "dbaccess/IBDatabase.h"
#include "dbaccess/IBUpdateSQL.h"
#include "engine/VxIBase.h"
#include "session/DestinationSession.h"
#include "session/DestinationStatements.h"
#include "session/SQLScript.h"

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

// What a user chose for one run besides the saved specification; an empty optional keeps
// the specification's own value.
struct TImportRequest {
    std::string SpecificationFile;
    std::optional<std::string> TableName;
    std::optional<std::string> SourceFileName;
    std::optional<TImportMode> Mode;
    // Key fields separated by ";"; without them the specification's DatasetKeys count,
    // and without those the table's primary key.
    std::optional<std::string> Keys;
    // Commit every so many rows; without it the whole run is one transaction.
    std::optional<int> CommitCount;
    // Rows written to the server in one round trip; 1 writes each row alone.
    std::optional<int> BatchRows;
    bool QuoteNames = false; // names in the generated statements quoted (dialect 3)
    std::string Generator;   // with GeneratorField: fills that field of every new row
    std::string GeneratorField;
    std::string ScriptFile; // not empty: an SQL script instead of changes to the database
    bool ScriptConnect = true;
    bool ScriptCommit = true;
    bool AbortOnError = false;
};

enum class TImportOutcome { ioCompleted, ioCompletedWithErrors, ioFailed, ioCancelled, ioNotStarted };

// How a run ended. The engine's own result text reaches the user through the host.
struct TImportResult {
    TImportOutcome Outcome = TImportOutcome::ioNotStarted;
    std::string FinishError; // set when the commit, the script or the detach failed
    // Rows committed before a run that commits every N rows failed or was cancelled.
    int CommittedRows = 0;
    TVxIStatistic Statistic;
};

// A request the session cannot carry out as asked; raised before anything is touched.
class EImportRequestError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One import of a saved specification into one destination table, as the desktop
// program and the command-line runner both run it: attach, read the table's metadata,
// choose the keys, generate the statements, create the source from the registry, load
// the specification, apply the request, run, and commit or roll back.
class TImportSession {
public:
    TImportSession();
    ~TImportSession();
    TImportSession(const TImportSession &) = delete;
    TImportSession &operator=(const TImportSession &) = delete;

    // Raises EImportRequestError for a request that cannot work, before any file or
    // database is touched.
    static void CheckRequest(const TImportRequest &request);

    // In this order. Each raises what keeps the run from starting.
    // The source of the specification from the source registry, with the request applied.
    TVxImportBaseComponent &Load(const TImportRequest &request, TVxIHost &host);
    void Attach(const TConnectionSettings &settings);
    // Opens the destination table, reads its metadata, generates its statements and
    // chooses the keys, and sets the source up to write there or into the script.
    void PrepareDestination();
    // Runs the source, then commits (or writes the script) when it completed, rolls back
    // otherwise, and detaches. Errors found when the run starts are raised after the rollback.
    TImportResult Run();

    // Called for each failed row with its number in the source; `abort` ends the run.
    std::function<void(int row, const std::exception &error, bool &abort)> OnRowError;

private:
    void PrepareScript(TVxImportBaseComponent &source);
    void Finish(TImportResult &result);

    TIBDatabase database_;
    TIBTransaction transaction_;
    TIBQuery destination_;
    TIBQuery fields_, primaryKey_, primaryKeyFields_, generators_;
    TIBUpdateSQL update_;
    TSQLScript script_;
    TConnectionSettings connection_;
    TImportRequest request_;
    std::unique_ptr<TVxImportBaseComponent> source_;
    std::string destinationTable_;
    int committedRows_ = 0;
};

// How a run that ended with this statistic ended. A run that completed although some rows
// failed keeps (and commits) its good rows but tells so.
TImportOutcome OutcomeOf(const TVxIStatistic &statistic);

// The key fields of a run: the request's, else the specification's, else the table's.
std::string ChooseKeyFields(const std::optional<std::string> &requested, const std::string &specified,
                            const std::vector<std::string> &primaryKey);

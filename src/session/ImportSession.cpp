#include "session/ImportSession.h"

#include "engine/ImpCnst.h"
#include "session/SourceRegistry.h"
#include "sources/odbc/VxI2ADO.h"
#include "values/StringList.h"

#include <ctime>
#include <fstream>
#include <sstream>

namespace {

// The specification's source type, read before the component that reads it exists.
const TSourceType &specificationType(const std::string &fileName, const TVxIHost &host)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw EVxIError(FormatMessage(ImpTexts().FileNotExist, {fileName}));
    std::ostringstream text;
    text << in.rdbuf();
    TStringList lines;
    lines.SetText(text.str());
    const std::string name = lines.Values("TableType");
    const TSourceType *type = FindSourceType(name);
    if (!type)
        throw EVxIError("The specification " + fileName + " names no known source type (TableType=" + name + ")");
    if (!type->Readable() || (type->Type == TTableTypeImport::teClipboard && !host.HasClipboard()))
        throw EVxIError("The command-line runner cannot read sources of type " + type->Name());
    return *type;
}

bool scriptableMode(TImportMode mode)
{
    return mode == TImportMode::imAppend || mode == TImportMode::imUpdate || mode == TImportMode::imDelete;
}

} // namespace

TImportOutcome OutcomeOf(const TVxIStatistic &s)
{
    switch (s.Result) {
    case TVxIResult::irUnknown: return TImportOutcome::ioNotStarted;
    case TVxIResult::irCanceled: return TImportOutcome::ioCancelled;
    case TVxIResult::irExecuted:
        return s.TotalErrors > 0 ? TImportOutcome::ioCompletedWithErrors : TImportOutcome::ioCompleted;
    default: return TImportOutcome::ioFailed;
    }
}

std::string ChooseKeyFields(const std::optional<std::string> &requested, const std::string &specified,
                            const std::vector<std::string> &primaryKey)
{
    if (requested)
        return *requested;
    if (!specified.empty())
        return specified;
    std::string keys;
    for (const std::string &k : primaryKey)
        keys += (keys.empty() ? "" : ";") + Text::Trim(k);
    return keys;
}

TImportSession::TImportSession()
{
    transaction_.Params = {"read_committed", "rec_version", "nowait"};
    database_.SetDefaultTransaction(&transaction_);
    // Nothing reads back what a run writes: the rows go to the table and nowhere else.
    destination_.KeepPostedRows = false;
    for (TIBQuery *q : {&destination_, &fields_, &primaryKey_, &primaryKeyFields_, &generators_})
        q->SetDatabase(&database_);
    destination_.UpdateObject = &update_;
}

// The source goes first: it refers to the destination dataset until it is freed.
TImportSession::~TImportSession() { source_.reset(); }

void TImportSession::CheckRequest(const TImportRequest &request)
{
    if (request.CommitCount && *request.CommitCount < 1)
        throw EImportRequestError("option --commit-count must be at least 1");
    if (request.BatchRows && *request.BatchRows < 1)
        throw EImportRequestError("option --batch-rows must be at least 1");
    if (request.Generator.empty() != request.GeneratorField.empty())
        throw EImportRequestError("options --generator and --generator-field go together");
}

TVxImportBaseComponent &TImportSession::Load(const TImportRequest &request, TVxIHost &host)
{
    request_ = request;
    source_ = specificationType(request.SpecificationFile, host).Create();
    TVxImportBaseComponent &source = *source_;
    source.Host = &host;
    source.LoadSpecification(request.SpecificationFile);
    if (dynamic_cast<TVxImportFromADODOA *>(&source)) {
        // TableName names the table (or command) read from the database: the destination
        // is named apart.
        if (!request.TableName)
            throw EImportRequestError("the specification's TableName names the table to read from the database: give "
                                      "the destination table with --table");
        if (auto *ado = dynamic_cast<TVxImportFromADO *>(&source); ado && ado->SQL.empty())
            ado->SQL = source.TableName;
        destinationTable_ = *request.TableName;
    } else {
        if (request.TableName)
            source.TableName = *request.TableName;
        if (source.TableName.empty())
            throw EImportRequestError("no destination table: give --table or a specification with TableName");
        destinationTable_ = source.TableName;
    }
    if (request.SourceFileName)
        source.SourceFileName = *request.SourceFileName;
    if (request.Mode)
        source.Mode = *request.Mode;
    if (request.CommitCount)
        source.CommitCount = *request.CommitCount;
    if (request.BatchRows)
        source.WriteBatchRows = *request.BatchRows;
    if (!request.ScriptFile.empty() && !scriptableMode(source.Mode))
        throw EImportRequestError("a script can be written in the modes append, update and delete only");
    return source;
}

void TImportSession::Attach(const TConnectionSettings &settings)
{
    connection_ = settings;
    ConnectDatabase(database_, settings);
}

void TImportSession::PrepareDestination()
{
    TVxImportBaseComponent &source = *source_;
    const std::string &table = destinationTable_;
    destination_.SetSQL({BrowseStatement(table), ""});
    destination_.Open();

    const TDestinationMetadata meta = LoadDestinationMetadata(table, fields_, primaryKey_, primaryKeyFields_,
                                                              generators_);
    const int quoting = request_.QuoteNames ? database_.SQLDialect() : 1;
    GenerateUpdateStatements(table, meta.KeyFields, meta.Fields, quoting, update_);
    if (!request_.Generator.empty()) {
        destination_.GeneratorField.Generator = Text::Trim(request_.Generator);
        destination_.GeneratorField.Field = Text::Trim(request_.GeneratorField);
    }
    source.DatasetKeys = ChooseKeyFields(request_.Keys, source.DatasetKeys, meta.KeyFields);
    source.DataSet = &destination_;

    source.AnimatedStatus = true;
    source.Options.Include(TVxIOption::soAutoCloseStatistic);
    source.AbortOnProblem = request_.AbortOnError;
    if (request_.CommitCount) {
        // A batch's first row starts by making the rows before it permanent; the last batch
        // is committed or rolled back with the run.
        source.OnStartTransaction = [this](TVxImportBaseComponent *s) {
            transaction_.CommitRetaining();
            committedRows_ = s->Statistic.TotalImported - 1;
        };
    }
    if (!request_.ScriptFile.empty())
        PrepareScript(source);
}

void TImportSession::PrepareScript(TVxImportBaseComponent &source)
{
    const TSQLScript::TConnect connect{database_.DatabaseName(), connection_.User, connection_.Password};
    PrepareScriptRun(source, script_, database_.SQLDialect(), std::to_string(database_.SQLDialect()),
                     std::time(nullptr), request_.ScriptConnect ? &connect : nullptr);
}

TImportResult TImportSession::Run()
{
    TVxImportBaseComponent &source = *source_;
    committedRows_ = 0;
    if (OnRowError || request_.AbortOnError) {
        source.OnErrorEvent = [this](TVxImportBaseComponent *s, const std::exception &e, bool &abort) {
            abort = request_.AbortOnError;
            if (OnRowError)
                OnRowError(s->RowFirst - 1 + s->Statistic.TotalImported, e, abort);
        };
    }
    try {
        source.Execute();
    } catch (const std::exception &) {
        // Configuration found wrong when the run starts: nothing was read or written.
        if (transaction_.InTransaction())
            transaction_.Rollback();
        throw;
    }
    TImportResult result;
    result.Statistic = source.Statistic;
    result.Outcome = OutcomeOf(source.Statistic);
    if (result.Outcome != TImportOutcome::ioNotStarted)
        Finish(result);
    return result;
}

void TImportSession::Finish(TImportResult &result)
{
    const bool completed = result.Outcome == TImportOutcome::ioCompleted ||
                           result.Outcome == TImportOutcome::ioCompletedWithErrors;
    try {
        if (completed) {
            if (!request_.ScriptFile.empty())
                WriteScript(script_, request_.ScriptCommit, request_.ScriptFile);
            database_.Close(); // the commit of everything written
            return;
        }
        result.CommittedRows = committedRows_;
        if (transaction_.InTransaction())
            transaction_.Rollback();
        database_.Close();
    } catch (const std::exception &e) {
        result.FinishError = e.what();
        result.Outcome = TImportOutcome::ioFailed;
        result.CommittedRows = committedRows_;
    }
}

#include "ImportCommand.h"

#include "ConsoleHost.h"
#include "session/DestinationSession.h"
#include "session/DestinationStatements.h"
#include "dbaccess/IBErrors.h"
#include "engine/ImpCnst.h"
#include "session/SQLScript.h"
#include "session/SourceRegistry.h"
#include "engine/VxIBase.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

TImportMode parseMode(const std::string &text)
{
    static const std::pair<const char *, TImportMode> names[] = {
        {"append", TImportMode::imAppend},     {"update", TImportMode::imUpdate},
        {"appendupdate", TImportMode::imAppendUpdate}, {"delete", TImportMode::imDelete},
        {"copy", TImportMode::imCopy},         {"appendnew", TImportMode::imAppendNewOnly},
    };
    for (std::size_t i = 0; i < std::size(names); ++i)
        if (Text::SameText(text, names[i].first) || text == std::to_string(i))
            return names[i].second;
    throw EUsageError("option --mode must be 0-5 or one of append, update, appendupdate, delete, copy, appendnew");
}

// The specification's source type, read before the component that reads it exists.
const TSourceType &specificationType(const std::string &fileName)
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
    if (!type->Readable())
        throw EVxIError("The command-line runner cannot read sources of type " + type->Name());
    return *type;
}

std::string unixLines(std::string text)
{
    for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    return text;
}

// A message on one line, its own line breaks turned into blanks.
std::string oneLine(std::string text)
{
    for (char &c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    for (auto at = text.find("  "); at != std::string::npos; at = text.find("  ", at))
        text.erase(at, 1);
    return text;
}

class TImportRun {
public:
    explicit TImportRun(const TCommandLine &args) : args_(args)
    {
        transaction_.Params = {"read_committed", "rec_version", "nowait"};
        database_.SetDefaultTransaction(&transaction_);
        for (TIBQuery *q : {&destination_, &fields_, &primaryKey_, &primaryKeyFields_, &generators_})
            q->SetDatabase(&database_);
        destination_.UpdateObject = &update_;
    }

    int Run();

private:
    void Configure(TVxImportBaseComponent &source);
    void ConnectAndPrepare(TVxImportBaseComponent &source);
    int Report(const TVxImportBaseComponent &source, const std::string &resultText);

    const TCommandLine &args_;
    TIBDatabase database_;
    TIBTransaction transaction_;
    TIBQuery destination_;
    TIBQuery fields_, primaryKey_, primaryKeyFields_, generators_;
    TIBUpdateSQL update_;
    TSQLScript script_;
    std::ofstream errors_;
};

void TImportRun::Configure(TVxImportBaseComponent &source)
{
    source.LoadSpecification(args_.Required("spec"));
    if (args_.Has("table"))
        source.TableName = args_.Value("table");
    if (source.TableName.empty())
        throw EUsageError("no destination table: give --table or a specification with TableName");
    if (args_.Has("source"))
        source.SourceFileName = args_.Value("source");
    if (args_.Has("mode"))
        source.Mode = parseMode(args_.Value("mode"));
    if (args_.Has("commit-count"))
        source.CommitCount = args_.IntValue("commit-count", source.CommitCount);
    if (args_.Has("script")) {
        const TImportMode m = source.Mode;
        if (m != TImportMode::imAppend && m != TImportMode::imUpdate && m != TImportMode::imDelete)
            throw EUsageError("a script can be written in the modes append, update and delete only");
    }
}

void TImportRun::ConnectAndPrepare(TVxImportBaseComponent &source)
{
    const TConnectionSettings connection = ConnectionSettingsFrom(args_);
    ConnectDatabase(database_, connection);

    const std::string table = source.TableName;
    destination_.SetSQL({BrowseStatement(table), ""});
    destination_.Open();

    const TDestinationMetadata meta = LoadDestinationMetadata(table, fields_, primaryKey_, primaryKeyFields_, generators_);
    const int quoting = args_.Has("quote") ? database_.SQLDialect() : 1;
    GenerateUpdateStatements(table, meta.KeyFields, meta.Fields, quoting, update_);

    if (args_.Has("generator")) {
        destination_.GeneratorField.Generator = Text::Trim(args_.Value("generator"));
        destination_.GeneratorField.Field = Text::Trim(args_.Value("generator-field"));
    }
    // The user's choice first: the option, then the keys saved with the specification;
    // the table's primary key only when neither names any.
    if (args_.Has("keys")) {
        source.DatasetKeys = args_.Value("keys");
    } else if (source.DatasetKeys.empty()) {
        std::string keys;
        for (const std::string &k : meta.KeyFields)
            keys += (keys.empty() ? "" : ";") + Text::Trim(k);
        source.DatasetKeys = keys;
    }
    source.DataSet = &destination_;

    if (args_.Has("script")) {
        source.ActionKind = TVxIActionKind::akGenerateSQL;
        ApplyFirebirdSQLOptions(source, database_.SQLDialect());
        const TSQLScript::TConnect connect{database_.DatabaseName(), connection.User, connection.Password};
        script_.AddHeader(std::to_string(database_.SQLDialect()), std::time(nullptr),
                          args_.Has("no-connect") ? nullptr : &connect);
        source.OnAfterRecordEvent = [this](TVxImportBaseComponent *sender, bool &) { script_.AddRecord(*sender); };
    }
}

// Argument mistakes are reported before any file or database is touched.
void validateArguments(const TCommandLine &args)
{
    args.Required("spec");
    if (args.Has("mode"))
        parseMode(args.Value("mode"));
    if (args.Has("commit-count") && args.IntValue("commit-count", 1) < 1)
        throw EUsageError("option --commit-count must be at least 1");
    ConnectionSettingsFrom(args);
    if (args.Has("generator") != args.Has("generator-field"))
        throw EUsageError("options --generator and --generator-field go together");
    if (!args.Has("script") && (args.Has("no-connect") || args.Has("no-commit")))
        throw EUsageError("options --no-connect and --no-commit go with --script");
}

int TImportRun::Run()
{
    validateArguments(args_);
    TConsoleHost host(stderr, args_.Has("quiet"));
    std::unique_ptr<TVxImportBaseComponent> source;
    try {
        source = specificationType(args_.Required("spec")).Create();
        source->Host = &host;
        Configure(*source);
        ConnectAndPrepare(*source);
        host.CatchInterrupts();
    } catch (const EUsageError &) {
        throw;
    } catch (const std::exception &e) {
        std::cerr << unixLines(e.what()) << '\n';
        return ieConfiguration;
    }

    source->AnimatedStatus = true;
    source->Options.Include(TVxIOption::soAutoCloseStatistic);
    source->AbortOnProblem = args_.Has("abort-on-error");
    if (args_.Has("errors")) {
        errors_.open(args_.Value("errors"), std::ios::binary | std::ios::trunc);
        if (!errors_) {
            std::cerr << "Cannot create file \"" << args_.Value("errors") << "\"\n";
            return ieConfiguration;
        }
    }
    if (args_.Has("errors") || args_.Has("abort-on-error")) {
        source->OnErrorEvent = [this](TVxImportBaseComponent *s, const std::exception &e, bool &abort) {
            if (errors_.is_open())
                errors_ << (s->RowFirst - 1 + s->Statistic.TotalImported) << '\t' << oneLine(e.what()) << '\n';
            abort = args_.Has("abort-on-error");
        };
    }

    try {
        source->Execute();
    } catch (const std::exception &e) {
        // Configuration found wrong when the run starts: nothing was read or written.
        if (transaction_.InTransaction())
            transaction_.Rollback();
        std::cerr << unixLines(e.what()) << '\n';
        return ieConfiguration;
    }
    if (source->Statistic.Result == TVxIResult::irUnknown) {
        std::cerr << "The import did not start: its parameters cannot be asked for on the command line\n";
        return ieConfiguration;
    }
    return Report(*source, unixLines(host.LastStatus));
}

int TImportRun::Report(const TVxImportBaseComponent &source, const std::string &resultText)
{
    const TVxIStatistic &s = source.Statistic;
    int status = ImportExitStatus(s);
    std::string outcome = resultText;
    try {
        if (status == ieCompleted || status == ieCompletedWithErrors) {
            if (args_.Has("script")) {
                script_.Finish(!args_.Has("no-commit"));
                if (script_.HasRecords())
                    script_.WriteToFile(args_.Value("script"));
            }
            database_.Close(); // the commit of everything written
        } else {
            if (transaction_.InTransaction())
                transaction_.Rollback();
            database_.Close();
            outcome += "\nNothing was saved: the work of this run was rolled back.";
        }
    } catch (const std::exception &e) {
        outcome = ImpTexts().ResultFailed + "\n" + unixLines(e.what()) + "\nNothing was saved.";
        status = ieFailed;
    }
    std::cout << outcome << '\n'
              << "Processed: " << s.TotalImported << "  Added: " << s.TotalAdded << "  Updated: " << s.TotalUpdated
              << "  Deleted: " << s.TotalDeleted << "  Skipped: " << s.TotalSkipped << "  Errors: " << s.TotalErrors
              << std::endl;
    return status;
}

} // namespace

int ImportExitStatus(const TVxIStatistic &s)
{
    if (s.Result == TVxIResult::irCanceled)
        return ieCancelled;
    if (s.Result != TVxIResult::irExecuted)
        return ieFailed;
    return s.TotalErrors > 0 ? ieCompletedWithErrors : ieCompleted;
}

TConnectionSettings ConnectionSettingsFrom(const TCommandLine &args)
{
    TConnectionSettings s;
    s.DatabaseFile = args.Required("database");
    s.User = args.Value("user");
    s.Password = args.Value("password");
    s.CharacterSet = args.Value("charset", "NONE");
    // Without the option the attach settles on the database's own dialect.
    s.Dialect = args.IntValue("dialect", 3);
    if (s.Dialect != 1 && s.Dialect != 3)
        throw EUsageError("option --dialect must be 1 or 3");
    return s;
}

const std::vector<TCommandLine::Option> &ImportOptions()
{
    static const std::vector<TCommandLine::Option> options = {
        {"spec", true},      {"table", true},          {"source", true},       {"mode", true},
        {"keys", true},      {"quote", false},         {"generator", true},    {"generator-field", true},
        {"commit-count", true}, {"script", true},      {"no-connect", false},  {"no-commit", false},
        {"abort-on-error", false}, {"errors", true},   {"quiet", false},
    };
    return options;
}

int RunImportCommand(const TCommandLine &args)
{
    TImportRun run(args);
    return run.Run();
}

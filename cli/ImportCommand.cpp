#include "ImportCommand.h"

#include "ConsoleHost.h"
#include "engine/ImpCnst.h"
#include "session/ImportSession.h"
#include "values/StringList.h"

#include <fstream>
#include <iostream>

namespace {

TImportMode parseMode(const std::string &text)
{
    static const std::pair<const char *, TImportMode> names[] = {
        {"append", TImportMode::imAppend},
        {"update", TImportMode::imUpdate},
        {"appendupdate", TImportMode::imAppendUpdate},
        {"delete", TImportMode::imDelete},
        {"copy", TImportMode::imCopy},
        {"appendnew", TImportMode::imAppendNewOnly},
    };
    for (std::size_t i = 0; i < std::size(names); ++i)
        if (Text::SameText(text, names[i].first) || text == std::to_string(i))
            return names[i].second;
    throw EUsageError("option --mode must be 0-5 or one of append, update, appendupdate, delete, copy, appendnew");
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

std::optional<std::string> optionalValue(const TCommandLine &args, const char *name)
{
    if (!args.Has(name))
        return std::nullopt;
    return args.Value(name);
}

// The request the options make; argument mistakes are reported before any file or
// database is touched.
TImportRequest requestFrom(const TCommandLine &args)
{
    TImportRequest r;
    r.SpecificationFile = args.Required("spec");
    r.TableName = optionalValue(args, "table");
    r.SourceFileName = optionalValue(args, "source");
    if (args.Has("mode"))
        r.Mode = parseMode(args.Value("mode"));
    r.Keys = optionalValue(args, "keys");
    if (args.Has("commit-count"))
        r.CommitCount = args.IntValue("commit-count", 1);
    if (args.Has("batch-rows"))
        r.BatchRows = args.IntValue("batch-rows", 1);
    r.QuoteNames = args.Has("quote");
    r.Generator = args.Value("generator");
    r.GeneratorField = args.Value("generator-field");
    r.ScriptFile = args.Value("script");
    r.ScriptConnect = !args.Has("no-connect");
    r.ScriptCommit = !args.Has("no-commit");
    r.AbortOnError = args.Has("abort-on-error");
    if (args.Has("generator") != args.Has("generator-field"))
        throw EUsageError("options --generator and --generator-field go together");
    if (!args.Has("script") && (args.Has("no-connect") || args.Has("no-commit")))
        throw EUsageError("options --no-connect and --no-commit go with --script");
    try {
        TImportSession::CheckRequest(r);
    } catch (const EImportRequestError &e) {
        throw EUsageError(e.what());
    }
    return r;
}

// What became of the rows: nothing of a failed or cancelled run stays, unless it
// committed batches on the way.
std::string savedText(const TImportResult &result)
{
    if (result.CommittedRows > 0)
        return "The first " + std::to_string(result.CommittedRows) +
               " rows were committed before; the rest of this run was rolled back.";
    return "Nothing was saved: the work of this run was rolled back.";
}

int report(const TImportResult &result, const std::string &resultText)
{
    int status = ImportExitStatus(result.Outcome);
    std::string outcome = resultText;
    if (!result.FinishError.empty()) {
        outcome = ImpTexts().ResultFailed + "\n" + unixLines(result.FinishError) + "\n" +
                  (result.CommittedRows > 0 ? savedText(result) : "Nothing was saved.");
        status = ieFailed;
    } else if (status == ieFailed || status == ieCancelled) {
        outcome += "\n" + savedText(result);
    }
    const TVxIStatistic &s = result.Statistic;
    std::cout << outcome << '\n'
              << "Processed: " << s.TotalImported << "  Added: " << s.TotalAdded << "  Updated: " << s.TotalUpdated
              << "  Deleted: " << s.TotalDeleted << "  Skipped: " << s.TotalSkipped << "  Errors: " << s.TotalErrors
              << std::endl;
    return status;
}

} // namespace

int ImportExitStatus(TImportOutcome outcome)
{
    switch (outcome) {
    case TImportOutcome::ioCompleted: return ieCompleted;
    case TImportOutcome::ioCompletedWithErrors: return ieCompletedWithErrors;
    case TImportOutcome::ioCancelled: return ieCancelled;
    case TImportOutcome::ioNotStarted: return ieConfiguration;
    case TImportOutcome::ioFailed: break;
    }
    return ieFailed;
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
        {"spec", true},         {"table", true},           {"source", true},    {"mode", true},
        {"keys", true},         {"quote", false},          {"generator", true}, {"generator-field", true},
        {"commit-count", true}, {"batch-rows", true},      {"script", true},    {"no-connect", false},
        {"no-commit", false},   {"abort-on-error", false}, {"errors", true},    {"quiet", false},
    };
    return options;
}

int RunImportCommand(const TCommandLine &args)
{
    const TImportRequest request = requestFrom(args);
    const TConnectionSettings connection = ConnectionSettingsFrom(args);
    TConsoleHost host(stderr, args.Has("quiet"));
    TImportSession session;
    try {
        session.Load(request, host);
        session.Attach(connection);
        session.PrepareDestination();
        // The embedded engine took the interrupt signals for itself when it started.
        host.CatchInterrupts();
    } catch (const EImportRequestError &e) {
        throw EUsageError(e.what());
    } catch (const std::exception &e) {
        std::cerr << unixLines(e.what()) << '\n';
        return ieConfiguration;
    }

    std::ofstream errors;
    if (args.Has("errors")) {
        errors.open(args.Value("errors"), std::ios::binary | std::ios::trunc);
        if (!errors) {
            std::cerr << "Cannot create file \"" << args.Value("errors") << "\"\n";
            return ieConfiguration;
        }
        session.OnRowError = [&errors](int row, const std::exception &e, bool &) {
            errors << row << '\t' << oneLine(e.what()) << '\n';
        };
    }

    TImportResult result;
    try {
        result = session.Run();
    } catch (const std::exception &e) {
        std::cerr << unixLines(e.what()) << '\n';
        return ieConfiguration;
    }
    if (result.Outcome == TImportOutcome::ioNotStarted) {
        std::cerr << "The import did not start: its parameters cannot be asked for on the command line\n";
        return ieConfiguration;
    }
    return report(result, unixLines(host.LastStatus));
}

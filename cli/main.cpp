// ferrovane-import: the headless runner. Lists a destination's tables as the main window
// does, and runs saved import specifications through the same import session.

#include "CommandLine.h"
#include "session/DestinationSession.h"
#include "ImportCommand.h"
#include "session/SourceRegistry.h"
#include "dbaccess/IBErrors.h"

#include <cstdio>
#include <iostream>

namespace {

std::vector<TCommandLine::Option> options()
{
    std::vector<TCommandLine::Option> all = {
        {"database", true}, {"user", true},         {"password", true},       {"charset", true},
        {"dialect", true},  {"list-tables", false}, {"system-tables", false}, {"help", false},
    };
    for (const auto &o : ImportOptions())
        all.push_back(o);
    return all;
}

const char *usage =
    "usage: ferrovane-import --database TEXT [--user U] [--password P] [--charset NAME] [--dialect 1|3]\n"
    "                        --list-tables [--system-tables]\n"
    "       ferrovane-import --database TEXT [connection options]\n"
    "                        --spec FILE [--table NAME] [--source FILE]\n"
    "                        [--mode 0-5|append|update|appendupdate|delete|copy|appendnew]\n"
    "                        [--keys K1;K2] [--quote] [--generator NAME --generator-field FIELD]\n"
    "                        [--commit-count N] [--batch-rows N]\n"
    "                        [--script FILE [--no-connect] [--no-commit]]\n"
    "                        [--abort-on-error] [--errors FILE] [--quiet]\n"
    "\n"
    "Connection:\n"
    "  --database        a database file, an alias, or host[/port]:path on a server\n"
    "  --user, --password  the login (an embedded database needs only the user)\n"
    "  --charset         connection character set (default NONE)\n"
    "  --dialect         SQL dialect of the connection, 1 or 3 (default: the database's own)\n"
    "\n"
    "Listing:\n"
    "  --list-tables     print each table with its record count\n"
    "  --system-tables   include the system tables\n"
    "\n"
    "Import (runs a saved specification into one table):\n"
    "  --spec            the specification file (.vxi) to run\n"
    "  --table           destination table (default: the specification's TableName)\n"
    "  --source          source file (default: the specification's SourceFileName)\n"
    "  --mode            import mode (default: the specification's Mode)\n"
    "  --keys            key fields separated by \";\" (default: the specification's\n"
    "                    DatasetKeys, or else the table's primary key)\n"
    "  --quote           quote names in the generated statements (dialect 3)\n"
    "  --generator, --generator-field  fill FIELD of each new row from generator NAME\n"
    "  --commit-count    commit every N rows; a run that then fails or is cancelled keeps\n"
    "                    the rows committed before (the summary says how many) and can no\n"
    "                    longer be rolled back as a whole. Without it a run is one transaction\n"
    "  --batch-rows      rows written to the server in one round trip (default 200; 1\n"
    "                    writes each row alone); the rows, counters and errors are the\n"
    "                    same either way\n"
    "  --script          write an SQL script to FILE instead of changing the database\n"
    "                    (modes append, update and delete); --no-connect leaves out\n"
    "                    the CONNECT command, --no-commit the final COMMIT WORK\n"
    "  --abort-on-error  the first row error ends the run\n"
    "  --errors          write each failed row to FILE: its row number, a tab, the error\n"
    "  --quiet           no progress bar\n"
    "\n"
    "The result text and a line of counters go to stdout. Exit status: 0 completed,\n"
    "1 failed, 2 bad arguments or configuration, 3 cancelled, 4 completed but some rows\n"
    "failed (--errors lists them). A completed run commits its rows, with status 4 too;\n"
    "a failed or cancelled run rolls back. Ctrl+C (or a termination signal) cancels a run\n"
    "before its next row; a second one ends the program at once.\n";

// Lists the tables as the main window loads them, each with its record count.
int listTables(const TCommandLine &args)
{
    TIBDatabase database;
    TIBTransaction transaction;
    transaction.Params = {"read_committed", "rec_version", "nowait"};
    database.SetDefaultTransaction(&transaction);
    TIBQuery tableList(&database, &transaction);
    tableList.ComponentName = "IBQuery1";
    TIBSQL counter(&database, &transaction);

    ConnectDatabase(database, ConnectionSettingsFrom(args));
    const std::vector<std::string> names = LoadTableList(tableList, args.Has("system-tables"));
    if (names.empty()) {
        std::cerr << SNoTableFound << '\n';
        database.Close();
        return 1;
    }
    int status = 0;
    for (const std::string &name : names) {
        try {
            const int count = CountRecords(counter, name);
            std::cout << name << ' ' << RecordCountText(count) << std::endl;
        } catch (const EIBError &e) {
            std::cout << name << std::endl; // keep the listing and the error in order
            std::cerr << name << ": " << e.what() << '\n';
            status = 1;
        }
    }
    database.Close();
    return status;
}

// The source types a specification may name here, from the source registry.
std::string readableTypes()
{
    std::string names;
    for (const TSourceType &type : SourceTypes())
        if (type.Readable() && type.Type != TTableTypeImport::teClipboard)
            names += (names.empty() ? "" : ", ") + type.Name();
    return "\nSource types (TableType in a specification): " + names + ".\n";
}

} // namespace

int main(int argc, char **argv)
{
    try {
        const TCommandLine args(options(), argc, argv);
        if (args.Has("help")) {
            std::cout << usage << readableTypes();
            return 0;
        }
        if (args.Has("list-tables"))
            return listTables(args);
        if (args.Has("spec"))
            return RunImportCommand(args);
        throw EUsageError("nothing to do: give --list-tables or --spec");
    } catch (const EUsageError &e) {
        std::cerr << "ferrovane-import: " << e.what() << "\n\n" << usage;
        return 2;
    } catch (const std::exception &e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}

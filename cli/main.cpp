// ferrovane-import: the headless runner. Attaches to a destination exactly as the main
// window does and lists its tables; later commands run saved import specifications.

#include "CommandLine.h"
#include "DestinationSession.h"
#include "IBErrors.h"

#include <cstdio>
#include <iostream>

namespace {

const std::vector<TCommandLine::Option> options = {
    {"database", true}, {"user", true},       {"password", true},       {"charset", true},
    {"dialect", true},  {"list-tables", false}, {"system-tables", false}, {"help", false},
};

const char *usage =
    "usage: ferrovane-import --database TEXT [--user U] [--password P] [--charset NAME] [--dialect 1|3]\n"
    "                        --list-tables [--system-tables]\n"
    "\n"
    "  --database      a database file, an alias, or server:path for a remote server\n"
    "  --charset       connection character set (default NONE)\n"
    "  --dialect       SQL dialect of the connection (default 1)\n"
    "  --list-tables   print each table with its record count\n"
    "  --system-tables include the system tables\n";

TConnectionSettings connectionSettings(const TCommandLine &args)
{
    TConnectionSettings s;
    s.DatabaseFile = args.Required("database");
    s.User = args.Value("user");
    s.Password = args.Value("password");
    s.CharacterSet = args.Value("charset", "NONE");
    s.Dialect = args.IntValue("dialect", 1);
    if (s.Dialect != 1 && s.Dialect != 3)
        throw EUsageError("option --dialect must be 1 or 3");
    return s;
}

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

    ConnectDatabase(database, connectionSettings(args));
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

} // namespace

int main(int argc, char **argv)
{
    try {
        const TCommandLine args(options, argc, argv);
        if (args.Has("help")) {
            std::cout << usage;
            return 0;
        }
        if (args.Has("list-tables"))
            return listTables(args);
        throw EUsageError("nothing to do: give --list-tables");
    } catch (const EUsageError &e) {
        std::cerr << "ferrovane-import: " << e.what() << "\n\n" << usage;
        return 2;
    } catch (const std::exception &e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}

// Baseline A: the fastest load the client library allows without any cleverness, against
// which the import runner is measured. One prepared statement, native parameter types,
// executed once per row, one transaction committed at the end.
//
//   baseline_a insert|update|batch DATABASE FILE.csv [USER]
//
// "batch" is the batched baseline of remote loads: the same rows sent BatchRows to a round
// trip, as the parameters of one EXECUTE BLOCK of as many INSERTs. Over a network the
// round trip, not the server, sets the pace of a load; this shows what sending many rows
// at once can reach. A password for a server comes from ISC_PASSWORD, as the client
// library reads it.
//
// FILE.csv is the generator's delimited file: a header row, then ID;CODE;NAME;AMOUNT;
// BORN(dd/mm/yyyy);NOTE;QTY;COUNTER, no quoting (the generator never writes a delimiter
// or quote inside a value). "update" runs UPDATE ... SET <the other columns> WHERE ID = ?.
// Prints the number of rows sent; the driver checks the table's contents afterwards.

#include <ibase.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

ISC_STATUS_ARRAY status;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "baseline_a: %s failed\n", what);
    char message[512];
    const ISC_STATUS *p = status;
    while (fb_interpret(message, sizeof message, &p))
        std::fprintf(stderr, "  %s\n", message);
    std::exit(1);
}

void check(const char *what)
{
    if (status[0] == 1 && status[1])
        fail(what);
}

constexpr int Columns = 8;
enum { ID, CODE, NAME, AMOUNT, BORN, NOTE, QTY, COUNTER };

// Parameter buffers in native types, bound once; each row only rewrites their contents.
struct Row {
    ISC_LONG id = 0, counter = 0;
    ISC_INT64 amount = 0;
    ISC_DATE born = 0;
    short qty = 0;
    struct Varying {
        short length;
        char text[102];
    } code{}, name{}, note{};
    short nullFlags[Columns] = {};
};

void setVarying(Row::Varying &v, std::string_view s, std::size_t capacity)
{
    if (s.size() > capacity)
        s = s.substr(0, capacity);
    v.length = static_cast<short>(s.size());
    std::memcpy(v.text, s.data(), s.size());
}

long long toInteger(std::string_view s)
{
    long long v = 0;
    bool negative = !s.empty() && s[0] == '-';
    for (std::size_t i = negative ? 1 : 0; i < s.size(); ++i)
        v = v * 10 + (s[i] - '0');
    return negative ? -v : v;
}

// "-123.45" as hundredths: the NUMERIC(12,2) column's scaled integer.
ISC_INT64 toCents(std::string_view s)
{
    const auto dot = s.find('.');
    const bool negative = !s.empty() && s[0] == '-';
    long long whole = toInteger(s.substr(0, dot));
    long long cents = dot == std::string_view::npos ? 0 : toInteger(s.substr(dot + 1));
    if (whole < 0)
        whole = -whole;
    const long long v = whole * 100 + cents;
    return negative ? -v : v;
}

// dd/mm/yyyy as Firebird's day number.
ISC_DATE toDate(std::string_view s)
{
    std::tm t{};
    t.tm_mday = static_cast<int>(toInteger(s.substr(0, 2)));
    t.tm_mon = static_cast<int>(toInteger(s.substr(3, 2))) - 1;
    t.tm_year = static_cast<int>(toInteger(s.substr(6, 4))) - 1900;
    ISC_DATE d;
    isc_encode_sql_date(&t, &d);
    return d;
}

void bind(XSQLVAR &var, short type, short length, short scale, void *data, short *nullFlag)
{
    var.sqltype = static_cast<short>(type | 1);
    var.sqllen = length;
    var.sqlscale = scale;
    var.sqldata = static_cast<ISC_SCHAR *>(data);
    var.sqlind = nullFlag;
}

// One row of the file into the buffers; false for a blank line.
bool parseRow(std::string &line, Row &r)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.empty())
        return false;
    std::string_view f[Columns];
    std::string_view rest(line);
    for (int c = 0; c < Columns; ++c) {
        const auto semicolon = rest.find(';');
        f[c] = rest.substr(0, semicolon);
        rest = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);
    }
    r.id = static_cast<ISC_LONG>(toInteger(f[ID]));
    setVarying(r.code, f[CODE], 10);
    setVarying(r.name, f[NAME], 30);
    r.amount = toCents(f[AMOUNT]);
    r.born = toDate(f[BORN]);
    setVarying(r.note, f[NOTE], 100);
    r.qty = static_cast<short>(toInteger(f[QTY]));
    r.counter = static_cast<ISC_LONG>(toInteger(f[COUNTER]));
    return true;
}

// The row's buffers as parameters, in the order the statement names the columns.
void bindRow(XSQLVAR *vars, Row &r, const int *positions)
{
    for (int p = 0; p < Columns; ++p) {
        XSQLVAR &v = vars[p];
        short *n = &r.nullFlags[p];
        switch (positions[p]) {
        case ID: bind(v, SQL_LONG, sizeof r.id, 0, &r.id, n); break;
        case CODE: bind(v, SQL_VARYING, 10, 0, &r.code, n); break;
        case NAME: bind(v, SQL_VARYING, 30, 0, &r.name, n); break;
        case AMOUNT: bind(v, SQL_INT64, sizeof r.amount, -2, &r.amount, n); break;
        case BORN: bind(v, SQL_TYPE_DATE, sizeof r.born, 0, &r.born, n); break;
        case NOTE: bind(v, SQL_VARYING, 100, 0, &r.note, n); break;
        case QTY: bind(v, SQL_SHORT, sizeof r.qty, 0, &r.qty, n); break;
        case COUNTER: bind(v, SQL_LONG, sizeof r.counter, 0, &r.counter, n); break;
        }
        v.sqlsubtype = 0;
    }
}

constexpr int BatchRows = 100;
const int columnOrder[Columns] = {ID, CODE, NAME, AMOUNT, BORN, NOTE, QTY, COUNTER};

// EXECUTE BLOCK of `rows` INSERTs, each row's values as its own eight parameters.
std::string batchStatement(int rows)
{
    static const char *types[Columns] = {"INTEGER", "VARCHAR(10)",  "VARCHAR(30)", "NUMERIC(12,2)",
                                         "DATE",    "VARCHAR(100)", "SMALLINT",    "INTEGER"};
    std::string params, body;
    for (int r = 0; r < rows; ++r) {
        body += "INSERT INTO BENCH (ID, CODE, NAME, AMOUNT, BORN, NOTE, QTY, COUNTER) VALUES (";
        for (int c = 0; c < Columns; ++c) {
            const std::string name = "P" + std::to_string(r) + "_" + std::to_string(c);
            params += (params.empty() ? "" : ", ") + name + " " + types[c] + " = ?";
            body += (c == 0 ? ":" : ", :") + name;
        }
        body += ");\n";
    }
    return "EXECUTE BLOCK (" + params + ") AS BEGIN\n" + body + "END";
}

struct TStatement {
    isc_stmt_handle handle = 0;
    std::vector<char> sqldaMemory;
    XSQLDA *in = nullptr;

    void Prepare(isc_db_handle &db, isc_tr_handle &tr, const std::string &sql, int parameters)
    {
        isc_dsql_allocate_statement(status, &db, &handle);
        check("allocate statement");
        isc_dsql_prepare(status, &tr, &handle, 0, sql.c_str(), 3, nullptr);
        check("prepare");
        sqldaMemory.assign(XSQLDA_LENGTH(parameters), 0);
        in = reinterpret_cast<XSQLDA *>(sqldaMemory.data());
        in->version = SQLDA_VERSION1;
        in->sqln = in->sqld = static_cast<short>(parameters);
    }
    void Execute(isc_tr_handle &tr)
    {
        isc_dsql_execute(status, &tr, &handle, 3, in);
        check("execute");
    }
    ~TStatement()
    {
        if (handle)
            isc_dsql_free_statement(status, &handle, DSQL_drop);
    }
};

long long loadRowByRow(isc_db_handle &db, isc_tr_handle &tr, std::ifstream &file, bool update)
{
    const char *sql =
        update
            ? "UPDATE BENCH SET CODE = ?, NAME = ?, AMOUNT = ?, BORN = ?, NOTE = ?, QTY = ?, COUNTER = ? WHERE ID = ?"
            : "INSERT INTO BENCH (ID, CODE, NAME, AMOUNT, BORN, NOTE, QTY, COUNTER) VALUES (?, ?, ?, ?, ?, ?, ?, ?)";
    TStatement statement;
    statement.Prepare(db, tr, sql, Columns);
    Row r;
    const int updateOrder[Columns] = {CODE, NAME, AMOUNT, BORN, NOTE, QTY, COUNTER, ID};
    bindRow(statement.in->sqlvar, r, update ? updateOrder : columnOrder);
    long long rows = 0;
    std::string line;
    while (std::getline(file, line)) {
        if (!parseRow(line, r))
            continue;
        statement.Execute(tr);
        ++rows;
    }
    return rows;
}

long long loadInBatches(isc_db_handle &db, isc_tr_handle &tr, std::ifstream &file)
{
    std::vector<Row> batch(BatchRows);
    TStatement full;
    full.Prepare(db, tr, batchStatement(BatchRows), BatchRows * Columns);
    for (int i = 0; i < BatchRows; ++i)
        bindRow(full.in->sqlvar + i * Columns, batch[static_cast<std::size_t>(i)], columnOrder);
    long long rows = 0;
    int filled = 0;
    std::string line;
    while (std::getline(file, line)) {
        if (!parseRow(line, batch[static_cast<std::size_t>(filled)]))
            continue;
        ++rows;
        if (++filled < BatchRows)
            continue;
        full.Execute(tr);
        filled = 0;
    }
    if (filled > 0) {
        // The last rows, fewer than a batch: a statement of their own size.
        TStatement rest;
        rest.Prepare(db, tr, batchStatement(filled), filled * Columns);
        for (int i = 0; i < filled; ++i)
            bindRow(rest.in->sqlvar + i * Columns, batch[static_cast<std::size_t>(i)], columnOrder);
        rest.Execute(tr);
    }
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    const bool known = argc >= 4 && (std::strcmp(argv[1], "insert") == 0 || std::strcmp(argv[1], "update") == 0 ||
                                     std::strcmp(argv[1], "batch") == 0);
    if (!known) {
        std::fprintf(stderr, "usage: baseline_a insert|update|batch DATABASE FILE.csv [USER]\n");
        return 2;
    }
    const std::string mode = argv[1];
    const std::string database = argv[2];
    const std::string user = argc > 4 ? argv[4] : "SYSDBA";

    std::vector<char> dpb{isc_dpb_version1};
    auto addText = [&dpb](char tag, const std::string &value) {
        dpb.push_back(tag);
        dpb.push_back(static_cast<char>(value.size()));
        dpb.insert(dpb.end(), value.begin(), value.end());
    };
    addText(isc_dpb_user_name, user);
    if (const char *password = std::getenv("ISC_PASSWORD"))
        addText(isc_dpb_password, password);
    addText(isc_dpb_lc_ctype, "UTF8");

    isc_db_handle db = 0;
    isc_attach_database(status, 0, database.c_str(), &db, static_cast<short>(dpb.size()), dpb.data());
    check("attach");

    // The same transaction kind as the import runner's.
    static char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_nowait};
    isc_tr_handle tr = 0;
    isc_start_transaction(status, &tr, 1, &db, static_cast<unsigned short>(sizeof tpb), tpb);
    check("start transaction");

    std::ifstream file(argv[3], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "baseline_a: cannot open %s\n", argv[3]);
        return 1;
    }
    static char buffer[1 << 20];
    file.rdbuf()->pubsetbuf(buffer, sizeof buffer);
    std::string header;
    std::getline(file, header);
    const long long rows = mode == "batch" ? loadInBatches(db, tr, file) : loadRowByRow(db, tr, file, mode == "update");

    isc_commit_transaction(status, &tr);
    check("commit");
    isc_detach_database(status, &db);
    check("detach");
    std::printf("Processed: %lld\n", rows);
    return 0;
}

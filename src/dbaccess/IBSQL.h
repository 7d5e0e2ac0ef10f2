#pragma once

#include "dbaccess/IBDatabase.h"
#include "values/Variant.h"

#include <ibase.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One column of a statement's result (or one parameter) as the server describes it.
struct TIBColumnInfo {
    std::string Name;    // alias, or the column name when there is no alias
    std::string RelName; // table the column comes from, "" for expressions
    std::string SQLName; // column name in that table
    short SQLType = 0;   // without the nullable bit
    short SQLSubtype = 0;
    short Scale = 0;  // 0 or negative: digits after the decimal point
    short Length = 0; // bytes
    bool Nullable = true;
};

// A value as the database layer keeps it: integers (scaled numerics keep their unscaled
// integer, the column's Scale says where the point goes), doubles, dates as day counts,
// texts and BLOB contents as bytes, Booleans, or Null.
using TIBValue = Variant;

// The name in double quotes, its own double quotes doubled: a dialect 3 identifier.
std::string QuotedIdentifier(std::string_view name);

// 10 to the power n (n from 0 to 18): the factor of a scaled numeric column.
std::int64_t PowerOfTen(int n);

// The text of a scaled integer, exact: 12345 with scale -2 is "123.45".
std::string FormatScaledInteger(std::int64_t value, int scale, char decimalSeparator);
// Reads an exact decimal text into a scaled integer; false on anything but a number.
bool ParseScaledInteger(std::string_view text, int scale, std::int64_t &value);

// A single statement: prepared once, executed any number of times, parameters filled
// by position or name, the current row of a select read column by column.
class TIBSQL : public TIBLinked {
public:
    explicit TIBSQL(TIBDatabase *database = nullptr, TIBTransaction *transaction = nullptr);
    ~TIBSQL() override;
    TIBSQL(const TIBSQL &) = delete;
    TIBSQL &operator=(const TIBSQL &) = delete;

    TIBDatabase *Database() const { return database_; }
    TIBTransaction *Transaction() const { return transaction_; }
    void SetDatabase(TIBDatabase *database);
    void SetTransaction(TIBTransaction *transaction);

    // The statement's lines; changing them drops the prepared statement and its parameters.
    const std::vector<std::string> &SQL() const { return sql_; }
    void SetSQL(std::vector<std::string> &&lines);
    void SetSQL(const std::vector<std::string> &lines); // copies only when the text changes
    void SetSQLText(const std::string &text);
    std::string SQLText() const; // lines joined with line breaks
    // False: the text goes to the server as it stands, its parameters written "?" and known
    // by position only (a block whose body names its own variables ":NAME" needs this).
    bool ParamCheck = true;

    bool Prepared() const { return handle_ != 0; }
    // Changes with every successful prepare: what callers derived from the parameters
    // stays valid while it does not change.
    unsigned PrepareGeneration() const { return generation_; }
    void Prepare();
    void Unprepare();

    // A select opens its cursor and fetches the first row; any other statement runs once.
    void ExecQuery();
    bool Open() const { return cursorOpen_; }
    bool Eof() const { return eof_; }
    // Fetches the next row; false (and Eof) at the end.
    bool Next();
    void Close();

    // isc_info_sql_stmt_* of the prepared statement.
    int StatementType() const { return statementType_; }
    // Rows the last execution inserted, updated or deleted; -1 for other statements.
    int RowsAffected();

    // Result columns of the current row.
    int FieldCount() const { return static_cast<int>(columns_.size()); }
    const TIBColumnInfo &FieldInfo(int index) const { return columns_.at(index); }
    int FieldIndex(std::string_view name) const; // ignoring case, -1 when missing
    bool FieldIsNull(int index) const;
    TIBValue FieldValue(int index) const; // the stored form described above
    std::int32_t FieldAsInteger(int index) const;
    std::int64_t FieldAsInt64(int index) const;
    std::string FieldAsString(int index) const;

    // Parameters, in order of appearance; a name written several times is several
    // parameters. Names are given without the colon and without enclosing quotes.
    int ParamCount() const { return static_cast<int>(paramNames_.size()); }
    const std::string &ParamName(int index) const { return paramNames_.at(index); }
    const TIBColumnInfo &ParamInfo(int index) const { return params_.at(index); }
    // Sets a parameter from a stored value; scale applies to integers from scaled columns.
    void SetParam(int index, const TIBValue &value, int scale = 0);
    void SetParamByName(std::string_view name, const TIBValue &value, int scale = 0);
    void ClearParams();

    void Release(TIBReleaseReason reason) override;

    // The text with ":NAME" / ":\"NAME\"" parameters replaced by "?", and their names.
    static std::string PreprocessSQL(const std::string &text, std::vector<std::string> &names);

private:
    struct Slot; // one XSQLVAR with its buffers
    struct Area; // an XSQLDA and its slots

    void CheckReady() const;
    void Execute();
    [[noreturn]] void RaiseStatus(const ISC_STATUS *status);
    std::string ReadBlob(const ISC_QUAD &id) const;
    ISC_QUAD WriteBlob(const std::string &content);

    std::vector<std::string> sql_;
    isc_stmt_handle handle_ = 0;
    int statementType_ = 0;
    unsigned generation_ = 0;
    bool cursorOpen_ = false;
    bool eof_ = true;
    std::vector<std::string> paramNames_;
    std::vector<TIBColumnInfo> columns_;
    std::vector<TIBColumnInfo> params_;
    std::unique_ptr<Area> out_;
    std::unique_ptr<Area> in_;
};

#include "sources/odbc/OdbcConnection.h"

#include "values/StringList.h"
#include "values/Variant.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>

namespace sources::odbc {

namespace {

// Every diagnostic record of a handle, joined: the driver manager's and the driver's.
std::string diagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    std::string text;
    for (SQLSMALLINT record = 1;; ++record) {
        std::array<SQLCHAR, 6> state{};
        std::array<SQLCHAR, 1024> message{};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        const SQLRETURN r = SQLGetDiagRec(type, handle, record, state.data(), &native, message.data(),
                                          static_cast<SQLSMALLINT>(message.size()), &length);
        if (!SQL_SUCCEEDED(r))
            break;
        if (!text.empty())
            text += "; ";
        text += reinterpret_cast<const char *>(message.data());
    }
    return text.empty() ? "the ODBC call failed without a message" : text;
}

void check(SQLRETURN r, SQLSMALLINT type, SQLHANDLE handle, const std::string &what)
{
    if (!SQL_SUCCEEDED(r))
        throw EOdbcError(what + ": " + diagnostics(type, handle));
}

// One ODBC handle, freed with its kind.
template <SQLSMALLINT Type> class THandle {
public:
    THandle() = default;
    THandle(const THandle &) = delete;
    THandle &operator=(const THandle &) = delete;
    ~THandle()
    {
        if (handle_ != SQL_NULL_HANDLE)
            SQLFreeHandle(Type, handle_);
    }
    void Allocate(SQLHANDLE parent)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(Type, parent, &handle_)))
            throw EOdbcError("ODBC handles cannot be allocated");
    }
    SQLHANDLE Get() const { return handle_; }

private:
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

using TEnvironment = THandle<SQL_HANDLE_ENV>;
using TStatement = THandle<SQL_HANDLE_STMT>;

void prepareEnvironment(TEnvironment &env)
{
    env.Allocate(SQL_NULL_HANDLE);
    SQLSetEnvAttr(env.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
}

TRecordsetField describe(const std::string &name, SQLSMALLINT type, SQLULEN size, SQLSMALLINT digits)
{
    TRecordsetField field;
    field.Name = name;
    field.Size = static_cast<std::int32_t>(std::min<SQLULEN>(size, std::numeric_limits<std::int32_t>::max()));
    switch (type) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
        field.DataType = TVxIDataType::itInteger;
        field.Alignment = TAlignment::taRightJustify;
        break;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        field.DataType = TVxIDataType::itFloat;
        field.Alignment = TAlignment::taRightJustify;
        field.Precision = digits;
        break;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIMESTAMP: field.DataType = TVxIDataType::itDateTime; break;
    case SQL_TYPE_TIME:
    case SQL_TIME: field.DataType = TVxIDataType::itTime; break;
    case SQL_BIT: field.DataType = TVxIDataType::itBoolean; break;
    case SQL_GUID: field.Size = 38; break;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: field.DataType = TVxIDataType::itBLOB; break;
    default: break;
    }
    return field;
}

// A name made of plain identifier parts ("CUSTOMERS", "main.ORDERS") is used as it is;
// any other is quoted with the driver's quote character.
std::string tableReference(const std::string &name, const std::string &quote)
{
    const bool plain = !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '_' || c == '.' || c == '$';
    });
    if (plain || quote.empty() || quote == " " || name.front() == quote.front() || name.front() == '[')
        return name;
    std::string quoted = quote;
    for (char c : name) {
        quoted += c;
        if (c == quote.front())
            quoted += c; // a quote inside the name is doubled
    }
    return quoted + quote;
}

} // namespace

struct TOdbcConnection::THandles {
    TEnvironment env;
    THandle<SQL_HANDLE_DBC> dbc;
    bool connected = false;
    ~THandles()
    {
        if (connected)
            SQLDisconnect(dbc.Get());
    }
};

namespace {

// The rows of one statement, read forward. Each row's values are fetched whole, in
// column order, when the row is reached: drivers need not give them in any other order,
// and the engine asks for them by name and more than once.
class TOdbcRecordset : public TRecordset {
public:
    TOdbcRecordset(SQLHDBC dbc, std::string statementText) : text_(std::move(statementText))
    {
        statement_.Allocate(dbc);
        Execute();
        SQLSMALLINT count = 0;
        check(SQLNumResultCols(statement_.Get(), &count), SQL_HANDLE_STMT, statement_.Get(), "The columns");
        for (SQLUSMALLINT i = 1; i <= count; ++i) {
            std::array<SQLCHAR, 512> name{};
            SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            check(SQLDescribeCol(statement_.Get(), i, name.data(), static_cast<SQLSMALLINT>(name.size()), &nameLength,
                                 &type, &size, &digits, &nullable),
                  SQL_HANDLE_STMT, statement_.Get(), "The columns");
            fields_.push_back(describe(reinterpret_cast<const char *>(name.data()), type, size, digits));
            types_.push_back(type);
        }
    }

    void MoveFirst() override
    {
        if (fetched_ > 0) {
            SQLCloseCursor(statement_.Get());
            Execute();
        }
        MoveNext();
    }

    void MoveNext() override
    {
        const SQLRETURN r = SQLFetch(statement_.Get());
        if (r == SQL_NO_DATA) {
            eof_ = true;
            return;
        }
        check(r, SQL_HANDLE_STMT, statement_.Get(), "A row");
        eof_ = false;
        ++fetched_;
        values_.clear();
        for (std::size_t i = 0; i < types_.size(); ++i)
            values_.push_back(Read(static_cast<SQLUSMALLINT>(i + 1), types_[i]));
    }

    bool Eof() const override { return eof_; }
    // What a driver counts for a query (SQLRowCount) is its own choice: -1, 0, or the
    // rows changed by the last statement. None of them is the query's row count.
    std::optional<std::int64_t> RecordCount() const override { return std::nullopt; }
    Variant Value(int field) override
    {
        return field >= 0 && static_cast<std::size_t>(field) < values_.size() ? values_[static_cast<std::size_t>(field)]
                                                                              : Variant::Null();
    }

private:
    void Execute()
    {
        fetched_ = 0;
        eof_ = true;
        std::string text = text_;
        check(SQLExecDirect(statement_.Get(), reinterpret_cast<SQLCHAR *>(text.data()), SQL_NTS), SQL_HANDLE_STMT,
              statement_.Get(), "\"" + text_ + "\" cannot be read");
    }

    template <class T> bool Fixed(SQLUSMALLINT column, SQLSMALLINT cType, T &value)
    {
        SQLLEN indicator = 0;
        check(SQLGetData(statement_.Get(), column, cType, &value, sizeof value, &indicator), SQL_HANDLE_STMT,
              statement_.Get(), "A value");
        return indicator != SQL_NULL_DATA;
    }

    // A text or binary value of any length, read in pieces.
    bool Long(SQLUSMALLINT column, SQLSMALLINT cType, std::string &value)
    {
        value.clear();
        const std::size_t terminator = cType == SQL_C_CHAR ? 1 : 0;
        std::array<char, 8192> piece{};
        for (;;) {
            SQLLEN indicator = 0;
            const SQLRETURN r = SQLGetData(statement_.Get(), column, cType, piece.data(),
                                           static_cast<SQLLEN>(piece.size()), &indicator);
            if (r == SQL_NO_DATA)
                return true;
            check(r, SQL_HANDLE_STMT, statement_.Get(), "A value");
            if (indicator == SQL_NULL_DATA)
                return false;
            const std::size_t room = piece.size() - terminator;
            const std::size_t got = indicator == SQL_NO_TOTAL || static_cast<std::size_t>(indicator) > room
                                        ? room
                                        : static_cast<std::size_t>(indicator);
            value.append(piece.data(), got);
            if (r == SQL_SUCCESS)
                return true;
        }
    }

    Variant Read(SQLUSMALLINT column, SQLSMALLINT type)
    {
        switch (type) {
        case SQL_BIT: {
            unsigned char bit = 0;
            return Fixed(column, SQL_C_BIT, bit) ? Variant(bit != 0) : Variant::Null();
        }
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT: {
            SQLBIGINT number = 0;
            if (!Fixed(column, SQL_C_SBIGINT, number))
                return Variant::Null();
            if (number >= std::numeric_limits<std::int32_t>::min() &&
                number <= std::numeric_limits<std::int32_t>::max())
                return Variant(static_cast<std::int32_t>(number));
            return Variant(static_cast<std::int64_t>(number));
        }
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE: {
            double number = 0;
            return Fixed(column, SQL_C_DOUBLE, number) ? Variant(number) : Variant::Null();
        }
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIMESTAMP:
        case SQL_DATE:
        case SQL_TIMESTAMP: {
            SQL_TIMESTAMP_STRUCT stamp{};
            if (!Fixed(column, SQL_C_TYPE_TIMESTAMP, stamp))
                return Variant::Null();
            double date = 0;
            if (!TryEncodeDate(stamp.year, stamp.month, stamp.day, date))
                throw EOdbcError("The date " + std::to_string(stamp.year) + "-" + std::to_string(stamp.month) + "-" +
                                 std::to_string(stamp.day) + " of column " + fields_[column - 1U].Name +
                                 " is no calendar date");
            const double time =
                ((stamp.hour * 60.0 + stamp.minute) * 60.0 + stamp.second + stamp.fraction / 1000000000.0) / 86400.0;
            return Variant::DateTime(date >= 0 ? date + time : date - time);
        }
        case SQL_TYPE_TIME:
        case SQL_TIME: {
            SQL_TIME_STRUCT time{};
            if (!Fixed(column, SQL_C_TYPE_TIME, time))
                return Variant::Null();
            return Variant::DateTime(((time.hour * 60.0 + time.minute) * 60.0 + time.second) / 86400.0);
        }
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY: {
            std::string bytes;
            return Long(column, SQL_C_BINARY, bytes) ? Variant(std::move(bytes)) : Variant::Null();
        }
        default: {
            // Texts, and decimals as their digits.
            std::string text;
            return Long(column, SQL_C_CHAR, text) ? Variant(std::move(text)) : Variant::Null();
        }
        }
    }

    std::string text_;
    TStatement statement_;
    std::vector<Variant> values_;
    std::vector<SQLSMALLINT> types_;
    std::int64_t fetched_ = 0;
    bool eof_ = true;
};

std::string quoteCharacter(SQLHDBC dbc)
{
    std::array<SQLCHAR, 8> quote{};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(
            SQLGetInfo(dbc, SQL_IDENTIFIER_QUOTE_CHAR, quote.data(), static_cast<SQLSMALLINT>(quote.size()), &length)))
        return "\"";
    return reinterpret_cast<const char *>(quote.data());
}

// A text column of a catalogue row.
std::string catalogueText(SQLHSTMT statement, SQLUSMALLINT column)
{
    std::array<SQLCHAR, 1024> text{};
    SQLLEN indicator = 0;
    if (!SQL_SUCCEEDED(
            SQLGetData(statement, column, SQL_C_CHAR, text.data(), static_cast<SQLLEN>(text.size()), &indicator)) ||
        indicator == SQL_NULL_DATA)
        return {};
    return reinterpret_cast<const char *>(text.data());
}

template <class TNext> std::vector<TOdbcDataSource> listConfigured(TNext next)
{
    TEnvironment env;
    prepareEnvironment(env);
    std::vector<TOdbcDataSource> list;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        std::array<SQLCHAR, 512> name{};
        std::array<SQLCHAR, 1024> description{};
        SQLSMALLINT nameLength = 0, descriptionLength = 0;
        if (!SQL_SUCCEEDED(next(env.Get(), direction, name.data(), static_cast<SQLSMALLINT>(name.size()), &nameLength,
                                description.data(), static_cast<SQLSMALLINT>(description.size()), &descriptionLength)))
            break;
        list.push_back(
            {reinterpret_cast<const char *>(name.data()), reinterpret_cast<const char *>(description.data())});
        direction = SQL_FETCH_NEXT;
    }
    return list;
}

} // namespace

bool IsCommand(const std::string &text)
{
    const std::string_view view = text;
    for (std::string_view keyword : {"SELECT", "WITH"})
        if (view.size() > keyword.size() && Text::SameText(view.substr(0, keyword.size()), keyword) &&
            std::isspace(static_cast<unsigned char>(view[keyword.size()])))
            return true;
    return false;
}

TOdbcConnection::TOdbcConnection(const std::string &connectionString) : handles_(std::make_unique<THandles>())
{
    prepareEnvironment(handles_->env);
    handles_->dbc.Allocate(handles_->env.Get());
    std::string text = connectionString;
    std::array<SQLCHAR, 1024> completed{};
    SQLSMALLINT completedLength = 0;
    check(SQLDriverConnect(handles_->dbc.Get(), nullptr, reinterpret_cast<SQLCHAR *>(text.data()), SQL_NTS,
                           completed.data(), static_cast<SQLSMALLINT>(completed.size()), &completedLength,
                           SQL_DRIVER_NOPROMPT),
          SQL_HANDLE_DBC, handles_->dbc.Get(), "The connection cannot be opened");
    handles_->connected = true;
}

TOdbcConnection::~TOdbcConnection() = default;

std::unique_ptr<TRecordset> TOdbcConnection::Open(const std::string &tableOrCommand)
{
    const std::string text = IsCommand(tableOrCommand)
                                 ? tableOrCommand
                                 : "SELECT * FROM " +
                                       tableReference(tableOrCommand, quoteCharacter(handles_->dbc.Get()));
    return std::make_unique<TOdbcRecordset>(handles_->dbc.Get(), text);
}

std::vector<std::string> TOdbcConnection::TableNames(bool systemTables)
{
    TStatement statement;
    statement.Allocate(handles_->dbc.Get());
    std::string types = systemTables ? "TABLE,VIEW,SYSTEM TABLE" : "TABLE,VIEW";
    check(SQLTables(statement.Get(), nullptr, 0, nullptr, 0, nullptr, 0, reinterpret_cast<SQLCHAR *>(types.data()),
                    SQL_NTS),
          SQL_HANDLE_STMT, statement.Get(), "The tables cannot be listed");
    std::vector<std::string> names;
    while (SQL_SUCCEEDED(SQLFetch(statement.Get()))) {
        const std::string name = catalogueText(statement.Get(), 3);
        const std::string type = Text::Upper(catalogueText(statement.Get(), 4));
        if (type == "TABLE" || type == "VIEW" || (systemTables && type == "SYSTEM TABLE"))
            names.push_back(name);
    }
    return names;
}

std::vector<TOdbcDataSource> DataSources() { return listConfigured(SQLDataSources); }

std::vector<TOdbcDataSource> Drivers()
{
    // A driver's second text is its attribute list; the dialog shows the name alone.
    auto list = listConfigured(SQLDrivers);
    for (TOdbcDataSource &driver : list)
        driver.Description.clear();
    return list;
}

} // namespace sources::odbc

#include "dbaccess/IBSQL.h"

#include "dbaccess/FbClient.h"
#include "dbaccess/IBErrors.h"
#include "values/StringList.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace {

constexpr int daysFrom1858To1899 = 15018;       // client dates count from 1858-11-17
constexpr double timeUnitsPerDay = 864000000.0; // client times count 1/10000 s

std::size_t bufferSize(short type, short length)
{
    switch (type) {
    case SQL_VARYING: return static_cast<std::size_t>(length) + 2;
    case SQL_TEXT: return static_cast<std::size_t>(length);
    case SQL_SHORT: return 2;
    case SQL_LONG:
    case SQL_FLOAT:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME: return 4;
    case SQL_BOOLEAN: return 1;
    case SQL_NULL: return 0;
    default: return 8; // int64, double, timestamp, blob and array ids
    }
}

template <class T> T readAs(const char *p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class T> void writeAs(std::vector<char> &buffer, T v)
{
    buffer.resize(sizeof v);
    std::memcpy(buffer.data(), &v, sizeof v);
}

} // namespace

std::int64_t PowerOfTen(int n)
{
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

std::string FormatScaledInteger(std::int64_t value, int scale, char decimalSeparator)
{
    if (scale >= 0)
        return std::to_string(value * PowerOfTen(scale));
    const bool negative = value < 0;
    std::string digits = std::to_string(value);
    if (negative)
        digits.erase(0, 1);
    const std::size_t decimals = static_cast<std::size_t>(-scale);
    if (digits.size() <= decimals)
        digits.insert(0, decimals - digits.size() + 1, '0');
    digits.insert(digits.size() - decimals, 1, decimalSeparator);
    // Trailing zeros carry no information for the reader: 12.50 reads 12.5, 3.00 reads 3.
    while (digits.back() == '0')
        digits.pop_back();
    if (digits.back() == decimalSeparator)
        digits.pop_back();
    return negative && digits != "0" ? "-" + digits : digits;
}

bool ParseScaledInteger(std::string_view text, int scale, std::int64_t &value)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const int decimals = scale < 0 ? -scale : 0;
    // Wider than the result, so that going past INT64_MAX is noticed instead of wrapping.
    __extension__ __int128 result = 0;
    int fraction = -1; // digits seen after the point, -1 before it
    bool any = false;
    bool roundUp = false;
    for (char c : text) {
        if ((c == '.' || c == ',') && fraction < 0) {
            fraction = 0;
            continue;
        }
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        any = true;
        if (fraction >= decimals) {
            if (fraction == decimals)
                roundUp = c >= '5';
            ++fraction;
            continue;
        }
        result = result * 10 + (c - '0');
        if (result > INT64_MAX)
            return false;
        if (fraction >= 0)
            ++fraction;
    }
    if (!any)
        return false;
    for (int f = std::max(fraction, 0); f < decimals; ++f)
        result *= 10;
    if (roundUp)
        result += 1;
    if (result > INT64_MAX)
        return false;
    value = static_cast<std::int64_t>(negative ? -result : result);
    return true;
}

struct TIBSQL::Slot {
    std::vector<char> data;
    short indicator = 0;
};

struct TIBSQL::Area {
    std::unique_ptr<char[]> raw;
    XSQLDA *da = nullptr;
    std::vector<Slot> slots;

    explicit Area(int count) { Resize(count); }
    void Resize(int count)
    {
        count = std::max(count, 1);
        const std::size_t size = XSQLDA_LENGTH(count);
        raw = std::make_unique<char[]>(size);
        std::memset(raw.get(), 0, size);
        da = reinterpret_cast<XSQLDA *>(raw.get());
        da->version = SQLDA_VERSION1;
        da->sqln = static_cast<ISC_SHORT>(count);
        slots.assign(count, Slot{});
    }
    XSQLVAR &Var(int i) { return da->sqlvar[i]; }
    const XSQLVAR &Var(int i) const { return da->sqlvar[i]; }
};

TIBSQL::TIBSQL(TIBDatabase *database, TIBTransaction *transaction)
{
    SetDatabase(database);
    SetTransaction(transaction);
}

TIBSQL::~TIBSQL()
{
    try {
        Unprepare();
    } catch (...) {
    }
}

void TIBSQL::SetDatabase(TIBDatabase *database)
{
    if (database == database_)
        return;
    Unprepare();
    LinkDatabase(database);
    if (TIBTransaction *t = MissingDefaultTransaction())
        SetTransaction(t);
}

void TIBSQL::SetTransaction(TIBTransaction *transaction)
{
    if (transaction == transaction_)
        return;
    Unprepare();
    LinkTransaction(transaction);
}

void TIBSQL::SetSQL(std::vector<std::string> &&lines)
{
    if (lines == sql_)
        return;
    Unprepare();
    sql_ = std::move(lines);
    paramNames_.clear();
}

void TIBSQL::SetSQL(const std::vector<std::string> &lines)
{
    if (lines != sql_)
        SetSQL(std::vector<std::string>(lines));
}

void TIBSQL::SetSQLText(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    SetSQL(std::move(lines));
}

std::string TIBSQL::SQLText() const
{
    std::string text;
    for (std::size_t i = 0; i < sql_.size(); ++i) {
        if (i)
            text += '\n';
        text += sql_[i];
    }
    return text;
}

std::string QuotedIdentifier(std::string_view name)
{
    std::string quoted = "\"";
    for (char c : name) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + '"';
}

std::string TIBSQL::PreprocessSQL(const std::string &text, std::vector<std::string> &names)
{
    names.clear();
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto isNameChar = [](unsigned char c) { return std::isalnum(c) || c == '_' || c == '$'; };
    while (i < n) {
        const char c = text[i];
        if (c == '\'' || c == '"') { // literals and quoted names pass through whole
            const std::size_t end = text.find(c, i + 1);
            const std::size_t stop = end == std::string::npos ? n : end + 1;
            out.append(text, i, stop - i);
            i = stop;
        } else if (c == '-' && i + 1 < n && text[i + 1] == '-') {
            const std::size_t end = text.find('\n', i);
            const std::size_t stop = end == std::string::npos ? n : end;
            out.append(text, i, stop - i);
            i = stop;
        } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            const std::size_t end = text.find("*/", i + 2);
            const std::size_t stop = end == std::string::npos ? n : end + 2;
            out.append(text, i, stop - i);
            i = stop;
        } else if (c == ':' && i + 1 < n && text[i + 1] == '"') {
            const std::size_t end = text.find('"', i + 2);
            const std::size_t stop = end == std::string::npos ? n : end;
            names.push_back(text.substr(i + 2, stop - i - 2));
            out += '?';
            i = std::min(n, stop + 1);
        } else if (c == ':' && i + 1 < n && isNameChar(static_cast<unsigned char>(text[i + 1]))) {
            std::size_t j = i + 1;
            while (j < n && isNameChar(static_cast<unsigned char>(text[j])))
                ++j;
            names.push_back(text.substr(i + 1, j - i - 1));
            out += '?';
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

void TIBSQL::CheckReady() const
{
    if (!database_)
        throw EIBClientError(IBClientErrorCode::DatabaseNotAssigned);
    if (!transaction_)
        throw EIBClientError(IBClientErrorCode::TransactionNotAssigned);
    if (!database_->Connected())
        throw EIBClientError(IBClientErrorCode::DatabaseClosed);
    if (!transaction_->InTransaction())
        throw EIBClientError(IBClientErrorCode::NotInTransaction);
}

void TIBSQL::RaiseStatus(const ISC_STATUS *status) { database_->RaiseStatus(status); }

void TIBSQL::Prepare()
{
    CheckReady();
    if (Prepared())
        return;
    const std::string text = SQLText();
    if (std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); }))
        throw EIBClientError(IBClientErrorCode::EmptyQuery);
    std::vector<std::string> names;
    const std::string prepared = ParamCheck ? PreprocessSQL(text, names) : text;

    FbClient &client = FbClient::Instance();
    ISC_STATUS_ARRAY status{};
    isc_stmt_handle handle = 0;
    if ((*client.dsql_allocate_statement)(status, database_->Handle(), &handle))
        RaiseStatus(status);
    handle_ = handle;
    try {
        auto out = std::make_unique<Area>(8);
        const auto dialect = static_cast<unsigned short>(database_->SQLDialect());
        if ((*client.dsql_prepare)(status, transaction_->Handle(), &handle_, 0, prepared.c_str(), dialect, out->da))
            RaiseStatus(status);
        if (out->da->sqld > out->da->sqln) {
            out->Resize(out->da->sqld);
            if ((*client.dsql_describe)(status, &handle_, 1, out->da))
                RaiseStatus(status);
        }
        const char item = isc_info_sql_stmt_type;
        char reply[16] = {};
        if ((*client.dsql_sql_info)(status, &handle_, 1, &item, sizeof reply, reply))
            RaiseStatus(status);
        statementType_ = 0;
        if (reply[0] == isc_info_sql_stmt_type) {
            const short length = static_cast<short>((*client.vax_integer)(reply + 1, 2));
            if (length > 0 && length <= 4)
                statementType_ = static_cast<int>((*client.vax_integer)(reply + 3, length));
        }

        auto in = std::make_unique<Area>(std::max<int>(static_cast<int>(names.size()), 1));
        if ((*client.dsql_describe_bind)(status, &handle_, 1, in->da))
            RaiseStatus(status);
        if (in->da->sqld > in->da->sqln) {
            in->Resize(in->da->sqld);
            if ((*client.dsql_describe_bind)(status, &handle_, 1, in->da))
                RaiseStatus(status);
        }

        columns_.clear();
        out->da->sqln = std::max<ISC_SHORT>(out->da->sqld, 1);
        out->slots.resize(out->da->sqln);
        for (int i = 0; i < out->da->sqld; ++i) {
            XSQLVAR &v = out->Var(i);
            TIBColumnInfo info;
            info.Name.assign(v.aliasname, v.aliasname_length);
            info.SQLName.assign(v.sqlname, v.sqlname_length);
            info.RelName.assign(v.relname, v.relname_length);
            if (info.Name.empty())
                info.Name = info.SQLName;
            info.SQLType = static_cast<short>(v.sqltype & ~1);
            info.Nullable = (v.sqltype & 1) != 0;
            info.SQLSubtype = v.sqlsubtype;
            info.Scale = v.sqlscale;
            info.Length = v.sqllen;
            columns_.push_back(info);
            Slot &slot = out->slots[i];
            slot.data.assign(bufferSize(info.SQLType, v.sqllen), 0);
            v.sqldata = slot.data.data();
            v.sqlind = &slot.indicator;
            v.sqltype = static_cast<ISC_SHORT>(info.SQLType | 1);
        }

        params_.clear();
        paramNames_ = names;
        for (int i = 0; i < in->da->sqld; ++i) {
            const XSQLVAR &v = in->Var(i);
            TIBColumnInfo info;
            info.SQLType = static_cast<short>(v.sqltype & ~1);
            info.Nullable = (v.sqltype & 1) != 0;
            info.SQLSubtype = v.sqlsubtype;
            info.Scale = v.sqlscale;
            info.Length = v.sqllen;
            params_.push_back(info);
        }
        paramNames_.resize(params_.size());
        out_ = std::move(out);
        in_ = std::move(in);
        ClearParams();
        ++generation_;
    } catch (...) {
        if (database_->Connected() && handle_) {
            ISC_STATUS_ARRAY ignored{};
            (*client.dsql_free_statement)(ignored, &handle_, DSQL_drop);
        }
        handle_ = 0;
        throw;
    }
}

void TIBSQL::Unprepare()
{
    cursorOpen_ = false;
    eof_ = true;
    if (!handle_)
        return;
    if (database_ && database_->Connected()) {
        ISC_STATUS_ARRAY status{};
        (*FbClient::Instance().dsql_free_statement)(status, &handle_, DSQL_drop);
    }
    handle_ = 0;
    out_.reset();
    in_.reset();
    columns_.clear();
    params_.clear();
}

void TIBSQL::Release(TIBReleaseReason reason)
{
    if (reason == TIBReleaseReason::ConnectionLost) {
        handle_ = 0; // the attachment took the statement with it
        Unprepare();
        return;
    }
    Unprepare();
}

void TIBSQL::ClearParams()
{
    for (int i = 0; i < ParamCount(); ++i)
        SetParam(i, TIBValue::Null());
}

void TIBSQL::SetParamByName(std::string_view name, const TIBValue &value, int scale)
{
    for (int i = 0; i < ParamCount(); ++i)
        if (Text::SameText(paramNames_[i], name))
            SetParam(i, value, scale);
}

void TIBSQL::SetParam(int index, const TIBValue &value, int scale)
{
    XSQLVAR &v = in_->Var(index);
    Slot &slot = in_->slots[index];
    const TIBColumnInfo &info = params_.at(index);
    v.sqlind = &slot.indicator;
    v.sqlscale = 0;
    v.sqlsubtype = info.SQLSubtype;
    if (value.IsNullOrEmpty()) {
        slot.indicator = -1;
        v.sqltype = static_cast<ISC_SHORT>(info.SQLType | 1);
        slot.data.assign(std::max<std::size_t>(bufferSize(info.SQLType, info.Length), 1), 0);
        v.sqldata = slot.data.data();
        v.sqllen = info.Length;
        return;
    }
    slot.indicator = 0;
    short type = SQL_TEXT;
    switch (value.VarType()) {
    case TVarType::varBoolean:
        if (info.SQLType == SQL_BOOLEAN) {
            type = SQL_BOOLEAN;
            writeAs<char>(slot.data, value.AsBoolean() ? 1 : 0);
        } else {
            type = SQL_INT64;
            writeAs<ISC_INT64>(slot.data, value.AsBoolean() ? 1 : 0);
        }
        break;
    case TVarType::varShortInt:
    case TVarType::varSmallint:
    case TVarType::varInteger:
    case TVarType::varInt64:
        type = SQL_INT64;
        writeAs<ISC_INT64>(slot.data, value.AsInt64());
        v.sqlscale = static_cast<ISC_SHORT>(scale);
        break;
    case TVarType::varDouble:
        type = SQL_DOUBLE;
        writeAs<double>(slot.data, value.AsDouble());
        break;
    case TVarType::varDate: {
        const double dt = value.AsDateTime();
        const double day = std::floor(dt);
        const auto date = static_cast<ISC_DATE>(day + daysFrom1858To1899);
        const auto time = static_cast<ISC_TIME>(std::llround((dt - day) * timeUnitsPerDay) % 864000000LL);
        if (info.SQLType == SQL_TYPE_DATE) {
            type = SQL_TYPE_DATE;
            writeAs<ISC_DATE>(slot.data, date);
        } else if (info.SQLType == SQL_TYPE_TIME) {
            type = SQL_TYPE_TIME;
            writeAs<ISC_TIME>(slot.data, time);
        } else {
            type = SQL_TIMESTAMP;
            writeAs<ISC_TIMESTAMP>(slot.data, ISC_TIMESTAMP{date, time});
        }
        break;
    }
    default: {
        std::string copy;
        const std::string *pointer = value.StringPointer();
        if (!pointer)
            pointer = &(copy = value.AsString());
        const std::string &text = *pointer;
        if (info.SQLType == SQL_BLOB) {
            type = SQL_BLOB;
            writeAs<ISC_QUAD>(slot.data, WriteBlob(text));
        } else {
            type = SQL_TEXT;
            const std::size_t length = std::min<std::size_t>(text.size(), 32767);
            slot.data.assign(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
            if (slot.data.empty())
                slot.data.push_back(0); // sqldata must point somewhere even for ""
            v.sqllen = static_cast<ISC_SHORT>(length);
            if (info.SQLType != SQL_TEXT && info.SQLType != SQL_VARYING)
                v.sqlsubtype = 0;
        }
        break;
    }
    }
    v.sqltype = static_cast<ISC_SHORT>(type | 1);
    if (type != SQL_TEXT)
        v.sqllen = static_cast<ISC_SHORT>(slot.data.size());
    v.sqldata = slot.data.data();
}

void TIBSQL::ExecQuery()
{
    if (!Prepared())
        Prepare();
    CheckReady();
    Execute();
}

void TIBSQL::Execute()
{
    FbClient &client = FbClient::Instance();
    ISC_STATUS_ARRAY status{};
    XSQLDA *in = ParamCount() > 0 ? in_->da : nullptr;
    if (statementType_ == isc_info_sql_stmt_select || statementType_ == isc_info_sql_stmt_select_for_upd) {
        Close();
        if ((*client.dsql_execute)(status, transaction_->Handle(), &handle_, 1, in))
            RaiseStatus(status);
        cursorOpen_ = true;
        eof_ = false;
        Next();
        return;
    }
    if (FieldCount() > 0) {
        if ((*client.dsql_execute2)(status, transaction_->Handle(), &handle_, 1, in, out_->da))
            RaiseStatus(status);
        eof_ = false;
        return;
    }
    if ((*client.dsql_execute)(status, transaction_->Handle(), &handle_, 1, in))
        RaiseStatus(status);
}

bool TIBSQL::Next()
{
    if (!cursorOpen_ || eof_)
        return false;
    ISC_STATUS_ARRAY status{};
    const ISC_STATUS rc = (*FbClient::Instance().dsql_fetch)(status, &handle_, 1, out_->da);
    if (rc == 100) {
        eof_ = true;
        return false;
    }
    if (rc)
        RaiseStatus(status);
    return true;
}

void TIBSQL::Close()
{
    eof_ = true;
    if (!cursorOpen_)
        return;
    cursorOpen_ = false;
    if (handle_ && database_ && database_->Connected()) {
        ISC_STATUS_ARRAY status{};
        if ((*FbClient::Instance().dsql_free_statement)(status, &handle_, DSQL_close))
            RaiseStatus(status);
    }
}

int TIBSQL::RowsAffected()
{
    if (!Prepared())
        return -1;
    FbClient &client = FbClient::Instance();
    ISC_STATUS_ARRAY status{};
    const char item = isc_info_sql_records;
    char reply[1049];
    std::memset(reply, 0, 32); // the counts are read from the head only
    if ((*client.dsql_sql_info)(status, &handle_, 1, &item, sizeof reply, reply))
        RaiseStatus(status);
    if (reply[0] != isc_info_sql_records)
        return -1;
    int offset = 0;
    switch (statementType_) {
    case isc_info_sql_stmt_update: offset = 6; break;
    case isc_info_sql_stmt_delete: offset = 13; break;
    case isc_info_sql_stmt_insert: offset = 27; break;
    default: return -1;
    }
    return static_cast<int>((*client.vax_integer)(reply + offset, 4));
}

int TIBSQL::FieldIndex(std::string_view name) const
{
    for (int i = 0; i < FieldCount(); ++i)
        if (Text::SameText(columns_[i].Name, name))
            return i;
    return -1;
}

bool TIBSQL::FieldIsNull(int index) const { return out_->slots.at(index).indicator < 0; }

TIBValue TIBSQL::FieldValue(int index) const
{
    const TIBColumnInfo &info = columns_.at(index);
    const Slot &slot = out_->slots.at(index);
    if (slot.indicator < 0)
        return TIBValue::Null();
    const char *p = slot.data.data();
    switch (info.SQLType) {
    case SQL_SHORT:
        return info.Scale ? TIBValue(static_cast<std::int64_t>(readAs<ISC_SHORT>(p)))
                          : TIBValue::Smallint(readAs<ISC_SHORT>(p));
    case SQL_LONG:
        return info.Scale ? TIBValue(static_cast<std::int64_t>(readAs<ISC_LONG>(p)))
                          : TIBValue(static_cast<std::int32_t>(readAs<ISC_LONG>(p)));
    case SQL_INT64: return TIBValue(static_cast<std::int64_t>(readAs<ISC_INT64>(p)));
    case SQL_FLOAT: return TIBValue(static_cast<double>(readAs<float>(p)));
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return TIBValue(readAs<double>(p));
    case SQL_TYPE_DATE: return TIBValue::DateTime(readAs<ISC_DATE>(p) - daysFrom1858To1899);
    case SQL_TYPE_TIME: return TIBValue::DateTime(readAs<ISC_TIME>(p) / timeUnitsPerDay);
    case SQL_TIMESTAMP: {
        const auto ts = readAs<ISC_TIMESTAMP>(p);
        return TIBValue::DateTime(ts.timestamp_date - daysFrom1858To1899 + ts.timestamp_time / timeUnitsPerDay);
    }
    case SQL_BOOLEAN: return TIBValue(p[0] != 0);
    case SQL_TEXT: {
        std::string text(p, static_cast<std::size_t>(info.Length));
        // CHAR values come padded to the column's byte length; the blanks are not data.
        if (info.SQLSubtype != 1) // OCTETS keeps every byte
            text.erase(text.find_last_not_of(' ') + 1);
        return TIBValue(std::move(text));
    }
    case SQL_VARYING: {
        const auto length = std::min<std::size_t>(readAs<unsigned short>(p), static_cast<std::size_t>(info.Length));
        return TIBValue(std::string(p + 2, length));
    }
    case SQL_BLOB: return TIBValue(ReadBlob(readAs<ISC_QUAD>(p)));
    case SQL_NULL: return TIBValue::Null();
    default: return TIBValue::Null(); // arrays are not read
    }
}

std::int32_t TIBSQL::FieldAsInteger(int index) const { return static_cast<std::int32_t>(FieldAsInt64(index)); }

std::int64_t TIBSQL::FieldAsInt64(int index) const
{
    const TIBValue v = FieldValue(index);
    if (v.IsNull())
        return 0;
    const int scale = columns_[index].Scale;
    if (v.IsOrdinal() && scale < 0)
        return v.AsInt64() / PowerOfTen(-scale);
    return v.AsInt64();
}

std::string TIBSQL::FieldAsString(int index) const
{
    const TIBValue v = FieldValue(index);
    const int scale = columns_[index].Scale;
    if (v.IsOrdinal() && scale != 0)
        return FormatScaledInteger(v.AsInt64(), scale, RegionalSettings::current().DecimalSeparator);
    return v.AsString();
}

std::string TIBSQL::ReadBlob(const ISC_QUAD &id) const
{
    FbClient &client = FbClient::Instance();
    ISC_STATUS_ARRAY status{};
    isc_blob_handle blob = 0;
    ISC_QUAD blobId = id;
    if ((*client.open_blob2)(status, database_->Handle(), transaction_->Handle(), &blob, &blobId, 0, nullptr))
        database_->RaiseStatus(status);
    std::string content;
    char segment[32768];
    for (;;) {
        unsigned short length = 0;
        const ISC_STATUS rc = (*client.get_segment)(status, &blob, &length, sizeof segment, segment);
        if (rc && rc != isc_segment) {
            if (rc == isc_segstr_eof)
                break;
            ISC_STATUS_ARRAY ignored{};
            (*client.close_blob)(ignored, &blob);
            database_->RaiseStatus(status);
        }
        content.append(segment, length);
    }
    if ((*client.close_blob)(status, &blob))
        database_->RaiseStatus(status);
    return content;
}

ISC_QUAD TIBSQL::WriteBlob(const std::string &content)
{
    FbClient &client = FbClient::Instance();
    ISC_STATUS_ARRAY status{};
    isc_blob_handle blob = 0;
    ISC_QUAD id{};
    if ((*client.create_blob2)(status, database_->Handle(), transaction_->Handle(), &blob, &id, 0, nullptr))
        database_->RaiseStatus(status);
    for (std::size_t offset = 0; offset < content.size(); offset += 32767) {
        const auto length = static_cast<unsigned short>(std::min<std::size_t>(32767, content.size() - offset));
        if ((*client.put_segment)(status, &blob, length, content.data() + offset)) {
            ISC_STATUS_ARRAY ignored{};
            (*client.cancel_blob)(ignored, &blob);
            database_->RaiseStatus(status);
        }
    }
    if ((*client.close_blob)(status, &blob))
        database_->RaiseStatus(status);
    return id;
}

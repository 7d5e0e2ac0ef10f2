#include "dbaccess/IBCustomDataSet.h"

#include "dbaccess/IBErrors.h"
#include "values/StringList.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace {

constexpr const char *SDataSetEmpty = "Impossible d'effectuer cette opération sur un ensemble de données vide";

TFieldType fieldTypeOf(const TIBColumnInfo &c)
{
    switch (c.SQLType) {
    case SQL_SHORT: return c.Scale ? TFieldType::ftBCD : TFieldType::ftSmallint;
    case SQL_LONG: return c.Scale ? TFieldType::ftBCD : TFieldType::ftInteger;
    case SQL_INT64: return c.Scale ? TFieldType::ftBCD : TFieldType::ftLargeint;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return TFieldType::ftFloat;
    case SQL_TYPE_DATE: return TFieldType::ftDate;
    case SQL_TYPE_TIME: return TFieldType::ftTime;
    case SQL_TIMESTAMP: return TFieldType::ftDateTime;
    case SQL_TEXT: return c.SQLSubtype == 1 ? TFieldType::ftBytes : TFieldType::ftFixedChar;
    case SQL_VARYING: return c.SQLSubtype == 1 ? TFieldType::ftVarBytes : TFieldType::ftString;
    case SQL_BLOB: return c.SQLSubtype == 1 ? TFieldType::ftMemo : TFieldType::ftBlob;
    case SQL_BOOLEAN: return TFieldType::ftBoolean;
    default: return TFieldType::ftUnknown;
    }
}

bool isTextType(TFieldType t)
{
    return t == TFieldType::ftString || t == TFieldType::ftFixedChar || t == TFieldType::ftBytes ||
           t == TFieldType::ftVarBytes;
}

// Length of the first n characters of a UTF-8 text, in bytes.
std::size_t utf8Prefix(const std::string &s, std::size_t n)
{
    if (s.size() <= n) // no more characters than bytes: nothing to count
        return s.size();
    std::size_t i = 0;
    while (i < s.size() && n > 0) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
            ++i;
        --n;
    }
    return i;
}

std::string timeToStr(double dt)
{
    int h, n, s, ms;
    DecodeTime(dt, h, n, s, ms);
    const char sep = RegionalSettings::current().TimeSeparator;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d%c%02d%c%02d", h, sep, n, sep, s);
    return buffer;
}

} // namespace

// ---------------------------------------------------------------- TIBGeneratorField

std::string TIBGeneratorField::Statement(int sqlDialect) const
{
    std::string name;
    if (sqlDialect == 1) {
        name = Text::Upper(Text::Trim(Generator));
    } else {
        name = "\"";
        for (char c : Generator) {
            name += c;
            if (c == '"')
                name += '"';
        }
        name += '"';
    }
    return "SELECT GEN_ID(" + name + ", " + std::to_string(IncrementBy) + ") FROM RDB$DATABASE";
}

// ---------------------------------------------------------------- TIBField

TIBField::TIBField(TIBCustomDataSet &dataSet, int index, const TIBColumnInfo &column, const Metadata &meta, bool utf8)
    : dataSet_(dataSet), index_(index), name_(column.Name), type_(fieldTypeOf(column)), utf8_(utf8)
{
    scale_ = -column.Scale;
    computed_ = meta.Computed;
    hasDefault_ = meta.HasDefault;
    readOnly_ = meta.Computed;
    required_ = meta.Required && !meta.HasDefault && !meta.Computed;
    switch (type_) {
    case TFieldType::ftBCD:
        size_ = scale_;
        precision_ = meta.Precision > 0 ? meta.Precision : 18;
        break;
    case TFieldType::ftFloat: precision_ = 15; break;
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
        if (meta.CharacterLength >= 0)
            size_ = meta.CharacterLength;
        else
            size_ = utf8 && column.SQLSubtype != 1 ? column.Length / 4 : column.Length;
        break;
    default: break;
    }
}

TAlignment TIBField::Alignment() const
{
    switch (type_) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftLargeint:
    case TFieldType::ftBCD:
    case TFieldType::ftFloat: return TAlignment::taRightJustify;
    case TFieldType::ftBoolean: return TAlignment::taCenter;
    default: return TAlignment::taLeftJustify;
    }
}

bool TIBField::IsNull() const { return dataSet_.CurrentValue(index_).IsNull(); }

void TIBField::Clear() { dataSet_.AssignValue(index_, TIBValue::Null()); }

std::string TIBField::AsString() const { return StorageToString(dataSet_.CurrentValue(index_)); }

void TIBField::SetAsString(const std::string &text) { SetValue(Variant(text)); }

Variant TIBField::Value() const
{
    const TIBValue &v = dataSet_.CurrentValue(index_);
    if (type_ == TFieldType::ftBCD && v.IsOrdinal())
        return Variant(static_cast<double>(v.AsInt64()) / static_cast<double>(PowerOfTen(scale_)));
    return v;
}

void TIBField::SetValue(const Variant &value)
{
    if (readOnly_)
        throw EDatabaseError(FormatMessage(DataSetTexts::SFieldReadOnly, {name_}));
    dataSet_.AssignValue(index_, ToStorage(value, true));
}

std::string TIBField::StorageToString(const TIBValue &v) const
{
    if (v.IsNull())
        return {};
    switch (type_) {
    case TFieldType::ftBCD:
        return FormatScaledInteger(v.AsInt64(), -scale_, RegionalSettings::current().DecimalSeparator);
    case TFieldType::ftDate: return DateTimeToStr(std::floor(v.AsDateTime()), RegionalSettings::current());
    case TFieldType::ftTime: return timeToStr(v.AsDateTime());
    default: return v.AsString();
    }
}

TIBValue TIBField::ToStorage(const Variant &value, bool cutText) const
{
    if (value.IsNullOrEmpty())
        return TIBValue::Null();
    const std::string *textPointer = value.StringPointer();
    const std::string_view text = textPointer ? std::string_view(*textPointer) : std::string_view();
    try {
        switch (type_) {
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger: {
            if (value.IsString()) {
                std::int64_t n;
                if (!TryStrToInt64(text, n) || n < INT32_MIN || n > INT32_MAX)
                    throw EDatabaseError(FormatMessage(DataSetTexts::SInvalidInteger, {std::string(text)}));
                return TIBValue(static_cast<std::int32_t>(n));
            }
            return TIBValue(value.AsInteger());
        }
        case TFieldType::ftLargeint: {
            if (value.IsString()) {
                std::int64_t n;
                if (!TryStrToInt64(text, n))
                    throw EDatabaseError(FormatMessage(DataSetTexts::SInvalidInteger, {std::string(text)}));
                return TIBValue(n);
            }
            return TIBValue(value.AsInt64());
        }
        case TFieldType::ftBCD: {
            std::int64_t n;
            if (value.IsString()) {
                std::string t(text);
                const char dec = RegionalSettings::current().DecimalSeparator;
                if (dec != '.')
                    std::replace(t.begin(), t.end(), dec, '.');
                if (!ParseScaledInteger(t, -scale_, n))
                    throw EDatabaseError(FormatMessage(DataSetTexts::SInvalidFloat, {std::string(text)}));
                return TIBValue(n);
            }
            if (value.IsOrdinal())
                return TIBValue(value.AsInt64() * PowerOfTen(scale_));
            return TIBValue(
                static_cast<std::int64_t>(std::llround(value.AsDouble() * static_cast<double>(PowerOfTen(scale_)))));
        }
        case TFieldType::ftFloat: {
            if (value.IsString()) {
                double d;
                if (!TryStrToFloat(text, d))
                    throw EDatabaseError(FormatMessage(DataSetTexts::SInvalidFloat, {std::string(text)}));
                return TIBValue(d);
            }
            return TIBValue(value.AsDouble());
        }
        case TFieldType::ftDate:
        case TFieldType::ftTime:
        case TFieldType::ftDateTime: {
            double d;
            if (value.IsString()) {
                if (!TryStrToDateTime(text, d, RegionalSettings::current()))
                    throw EDatabaseError(FormatMessage(DataSetTexts::SInvalidDateTime, {std::string(text)}));
            } else {
                d = value.AsDateTime();
            }
            if (type_ == TFieldType::ftDate)
                d = std::floor(d);
            else if (type_ == TFieldType::ftTime)
                d = std::fabs(d - std::trunc(d));
            return TIBValue::DateTime(d);
        }
        case TFieldType::ftBoolean: {
            if (value.IsString()) {
                const std::string u = Text::Upper(Text::Trim(text));
                if (u == "TRUE" || u == "T" || u == "1" || u == "Y")
                    return TIBValue(true);
                if (u == "FALSE" || u == "F" || u == "0" || u == "N")
                    return TIBValue(false);
                throw EDatabaseError(FormatMessage(DataSetTexts::SInvalidBoolean, {std::string(text)}));
            }
            return TIBValue(value.AsBoolean());
        }
        default: {
            std::string s = textPointer ? std::string(text) : value.AsString();
            if (cutText && isTextType(type_) && size_ > 0) {
                const std::size_t keep = utf8_ ? utf8Prefix(s, static_cast<std::size_t>(size_))
                                               : std::min(s.size(), static_cast<std::size_t>(size_));
                s.resize(keep);
            }
            return TIBValue(std::move(s));
        }
        }
    } catch (const EVariantError &) {
        throw EDatabaseError(
            FormatMessage(type_ == TFieldType::ftDate || type_ == TFieldType::ftDateTime || type_ == TFieldType::ftTime
                              ? DataSetTexts::SInvalidDateTime
                              : DataSetTexts::SInvalidFloat,
                          {value.IsArray() ? std::string("Array") : value.AsString()}));
    }
}

// ---------------------------------------------------------------- TIBCustomDataSet

TIBCustomDataSet::TIBCustomDataSet(TIBDatabase *database, TIBTransaction *transaction)
    : select_(std::make_unique<TIBSQL>()), generatorQuery_(std::make_unique<TIBSQL>())
{
    SetDatabase(database);
    if (transaction)
        SetTransaction(transaction);
}

TIBCustomDataSet::~TIBCustomDataSet()
{
    OnDataEvent = nullptr; // the controls may already be gone
    try {
        Close();
    } catch (...) {
    }
}

void TIBCustomDataSet::SetDatabase(TIBDatabase *database)
{
    if (database == database_)
        return;
    Close();
    LinkDatabase(database);
    select_->SetDatabase(database_);
    generatorQuery_->SetDatabase(database_);
    if (TIBTransaction *t = MissingDefaultTransaction())
        SetTransaction(t);
}

void TIBCustomDataSet::SetTransaction(TIBTransaction *transaction)
{
    if (transaction == transaction_)
        return;
    Close();
    LinkTransaction(transaction);
    select_->SetTransaction(transaction_);
    generatorQuery_->SetTransaction(transaction_);
}

void TIBCustomDataSet::CheckActive() const
{
    if (!Active())
        throw EDatabaseError(DataSetTexts::SDataSetClosed);
}

void TIBCustomDataSet::CheckBrowseMode()
{
    CheckActive();
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert)
        Post();
}

void TIBCustomDataSet::Notify(TDataEvent event)
{
    if (disableCount_ == 0 && OnDataEvent)
        OnDataEvent(event);
}

void TIBCustomDataSet::EnableControls()
{
    if (disableCount_ == 0)
        return;
    if (--disableCount_ == 0)
        Notify(TDataEvent::deDataSetChange);
}

void TIBCustomDataSet::Open()
{
    if (Active())
        return;
    if (!database_)
        throw EIBClientError(IBClientErrorCode::DatabaseNotAssigned);
    if (!transaction_)
        throw EIBClientError(IBClientErrorCode::TransactionNotAssigned);
    if (!database_->Connected())
        database_->Open();
    if (!transaction_->InTransaction())
        transaction_->StartTransaction();
    select_->SetSQL(selectSQL_);
    select_->ExecQuery();
    try {
        CreateFields();
    } catch (...) {
        select_->Close();
        fields_.clear();
        throw;
    }
    ClearBuffers();
    pendingRow_ = !select_->Eof();
    fetchedAll_ = false;
    state_ = TDataSetState::dsBrowse;
    // The controls hear of the opening once, not of the first row before it.
    ++disableCount_;
    try {
        First();
    } catch (...) {
        --disableCount_;
        Notify(TDataEvent::deDataSetChange);
        throw;
    }
    --disableCount_;
    Notify(TDataEvent::deDataSetChange);
}

std::unordered_map<std::string, TIBField::Metadata> TIBCustomDataSet::ReadMetadata(const std::string &relation)
{
    std::unordered_map<std::string, TIBField::Metadata> result;
    TIBSQL query(database_, transaction_);
    query.SetSQLText("SELECT TRIM(RF.RDB$FIELD_NAME), COALESCE(RF.RDB$NULL_FLAG, F.RDB$NULL_FLAG, 0), "
                     "IIF(RF.RDB$DEFAULT_SOURCE IS NULL AND F.RDB$DEFAULT_SOURCE IS NULL, 0, 1), "
                     "IIF(F.RDB$COMPUTED_BLR IS NULL, 0, 1), COALESCE(F.RDB$CHARACTER_LENGTH, -1), "
                     "COALESCE(F.RDB$FIELD_PRECISION, 0) "
                     "FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
                     "WHERE RF.RDB$RELATION_NAME = :REL");
    query.Prepare();
    query.SetParam(0, TIBValue(relation));
    for (query.ExecQuery(); !query.Eof(); query.Next()) {
        TIBField::Metadata m;
        m.Required = query.FieldAsInteger(1) != 0;
        m.HasDefault = query.FieldAsInteger(2) != 0;
        m.Computed = query.FieldAsInteger(3) != 0;
        m.CharacterLength = query.FieldAsInteger(4);
        m.Precision = query.FieldAsInteger(5);
        result[query.FieldAsString(0)] = m;
    }
    query.Close();
    // Identity columns get their value from the server like columns with a default.
    try {
        TIBSQL identity(database_, transaction_);
        identity.SetSQLText("SELECT TRIM(RDB$FIELD_NAME) FROM RDB$RELATION_FIELDS "
                            "WHERE RDB$RELATION_NAME = :REL AND RDB$IDENTITY_TYPE IS NOT NULL");
        identity.Prepare();
        identity.SetParam(0, TIBValue(relation));
        for (identity.ExecQuery(); !identity.Eof(); identity.Next())
            result[identity.FieldAsString(0)].HasDefault = true;
    } catch (const EIBInterBaseError &) {
        // servers before Firebird 3 have no identity columns
    }
    return result;
}

void TIBCustomDataSet::CreateFields()
{
    fields_.clear();
    bindings_.clear();
    needsRefresh_ = false;
    std::unordered_map<std::string, std::unordered_map<std::string, TIBField::Metadata>> metadata;
    const bool utf8 = database_->UsesUTF8();
    for (int i = 0; i < select_->FieldCount(); ++i) {
        const TIBColumnInfo &column = select_->FieldInfo(i);
        TIBField::Metadata meta;
        if (!column.RelName.empty() && !column.SQLName.empty()) {
            auto it = metadata.find(column.RelName);
            if (it == metadata.end())
                it = metadata.emplace(column.RelName, ReadMetadata(column.RelName)).first;
            if (auto m = it->second.find(column.SQLName); m != it->second.end())
                meta = m->second;
        } else {
            meta.Required = !column.Nullable;
        }
        auto field = std::make_unique<TIBField>(*this, i, column, meta, utf8);
        if (field->HasDefaultOrComputed())
            needsRefresh_ = true;
        fields_.push_back(std::move(field));
    }
}

void TIBCustomDataSet::ClearBuffers()
{
    rows_.Clear();
    live_ = 0;
    cur_ = -1;
    eof_ = bof_ = true;
    edit_.clear();
    old_.clear();
    index_ = KeyIndex{};
    pendingRow_ = false;
    fetchedAll_ = true;
}

void TIBCustomDataSet::Close()
{
    if (!Active())
        return;
    state_ = TDataSetState::dsInactive;
    ClearBuffers();
    fields_.clear();
    select_->Close();
    Notify(TDataEvent::deDataSetChange);
}

void TIBCustomDataSet::Release(TIBReleaseReason reason)
{
    if (!Active())
        return;
    if (reason == TIBReleaseReason::ConnectionLost) {
        select_->Release(reason);
        generatorQuery_->Release(reason);
    }
    state_ = TDataSetState::dsInactive;
    ClearBuffers();
    fields_.clear();
    if (reason != TIBReleaseReason::ConnectionLost)
        select_->Close();
    Notify(TDataEvent::deDataSetChange);
}

bool TIBCustomDataSet::FetchRow()
{
    if (fetchedAll_)
        return false;
    if (!pendingRow_ && !select_->Next()) {
        fetchedAll_ = true;
        select_->Close();
        return false;
    }
    pendingRow_ = false;
    fetched_.clear();
    for (int i = 0; i < select_->FieldCount(); ++i)
        fetched_.push_back(select_->FieldValue(i));
    rows_.Append(fetched_);
    ++live_;
    if (index_.active)
        IndexAdd(static_cast<std::uint32_t>(rows_.Size() - 1));
    return true;
}

void TIBCustomDataSet::FetchAll()
{
    CheckActive();
    while (FetchRow()) {
    }
}

int TIBCustomDataSet::FetchMore(int count)
{
    CheckActive();
    int fetched = 0;
    while (fetched < count && FetchRow())
        ++fetched;
    return fetched;
}

std::ptrdiff_t TIBCustomDataSet::SlotOfRecord(int recNo) const
{
    if (recNo < 1 || recNo > static_cast<int>(live_))
        return -1;
    if (live_ == rows_.Size())
        return recNo - 1;
    int n = 0;
    for (std::ptrdiff_t i = 0; i < static_cast<std::ptrdiff_t>(rows_.Size()); ++i)
        if (rows_.Live(static_cast<std::size_t>(i)) && ++n == recNo)
            return i;
    return -1;
}

const TIBValue *TIBCustomDataSet::RecordValue(int recNo, int field) const
{
    const std::ptrdiff_t slot = SlotOfRecord(recNo);
    if (slot < 0 || field < 0 || field >= static_cast<int>(fields_.size()))
        return nullptr;
    return &rows_.Values(static_cast<std::size_t>(slot)).at(static_cast<std::size_t>(field));
}

std::ptrdiff_t TIBCustomDataSet::NextLive(std::ptrdiff_t from)
{
    for (std::ptrdiff_t i = from + 1;; ++i) {
        while (i >= static_cast<std::ptrdiff_t>(rows_.Size()))
            if (!FetchRow())
                return -1;
        if (rows_.Live(static_cast<std::size_t>(i)))
            return i;
    }
}

std::ptrdiff_t TIBCustomDataSet::PriorLive(std::ptrdiff_t from) const
{
    for (std::ptrdiff_t i = std::min<std::ptrdiff_t>(from, static_cast<std::ptrdiff_t>(rows_.Size())) - 1; i >= 0; --i)
        if (rows_.Live(static_cast<std::size_t>(i)))
            return i;
    return -1;
}

void TIBCustomDataSet::First()
{
    CheckBrowseMode();
    cur_ = NextLive(-1);
    bof_ = true;
    eof_ = cur_ < 0;
    Notify(TDataEvent::deRecordChange);
}

void TIBCustomDataSet::Next()
{
    CheckBrowseMode();
    if (eof_)
        return;
    const std::ptrdiff_t next = NextLive(cur_);
    if (next < 0) {
        eof_ = true;
        return;
    }
    cur_ = next;
    bof_ = false;
    Notify(TDataEvent::deRecordChange);
}

void TIBCustomDataSet::Prior()
{
    CheckBrowseMode();
    if (bof_)
        return;
    const std::ptrdiff_t prior = PriorLive(cur_);
    if (prior < 0) {
        bof_ = true;
        return;
    }
    cur_ = prior;
    eof_ = false;
    Notify(TDataEvent::deRecordChange);
}

void TIBCustomDataSet::Last()
{
    CheckBrowseMode();
    FetchAll();
    cur_ = PriorLive(static_cast<std::ptrdiff_t>(rows_.Size()));
    eof_ = true;
    bof_ = cur_ < 0;
    Notify(TDataEvent::deRecordChange);
}

bool TIBCustomDataSet::IsEmpty() const
{
    if (!Active())
        return true;
    if (live_ > 0 || state_ == TDataSetState::dsInsert)
        return false;
    return fetchedAll_ || !pendingRow_;
}

int TIBCustomDataSet::RecNo() const
{
    if (cur_ < 0 || !Active())
        return 0;
    int n = 0;
    if (live_ == rows_.Size())
        return static_cast<int>(cur_) + 1;
    for (std::ptrdiff_t i = 0; i <= cur_; ++i)
        if (rows_.Live(static_cast<std::size_t>(i)))
            ++n;
    return n;
}

bool TIBCustomDataSet::MoveToRecord(int recNo)
{
    CheckBrowseMode();
    if (recNo < 1)
        return false;
    while (static_cast<int>(live_) < recNo && FetchRow()) {
    }
    if (static_cast<int>(live_) < recNo)
        return false;
    cur_ = SlotOfRecord(recNo);
    eof_ = bof_ = false;
    Notify(TDataEvent::deRecordChange);
    return true;
}

TField *TIBCustomDataSet::FindField(std::string_view name) const
{
    for (const auto &f : fields_)
        if (Text::SameText(f->FieldName(), name))
            return f.get();
    return nullptr;
}

const TIBValue &TIBCustomDataSet::CurrentValue(int field) const
{
    static const TIBValue null = TIBValue::Null();
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert)
        return edit_.at(field);
    if (cur_ < 0 || !rows_.Live(static_cast<std::size_t>(cur_)))
        return null;
    return rows_.Values(static_cast<std::size_t>(cur_)).at(static_cast<std::size_t>(field));
}

void TIBCustomDataSet::AssignValue(int field, TIBValue value)
{
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        throw EDatabaseError(DataSetTexts::SNotEditing);
    edit_.at(field) = std::move(value);
}

void TIBCustomDataSet::StartInsert(bool atEnd)
{
    CheckBrowseMode();
    // Everything is fetched first: a row posted now must not come back later from the
    // still-open cursor, and the new row's place among the rows must be final.
    FetchAll();
    savedCur_ = cur_;
    insertAt_ = atEnd || cur_ < 0 ? static_cast<std::ptrdiff_t>(rows_.Size()) : cur_;
    edit_.assign(fields_.size(), TIBValue::Null());
    old_.assign(fields_.size(), TIBValue::Null());
    state_ = TDataSetState::dsInsert;
    eof_ = bof_ = false;
    ApplyGenerator();
    Notify(TDataEvent::deDataSetChange);
}

void TIBCustomDataSet::Append() { StartInsert(true); }

void TIBCustomDataSet::Insert() { StartInsert(false); }

void TIBCustomDataSet::ApplyGenerator()
{
    if (!GeneratorField.IsComplete())
        return;
    TField *field = FieldByName(Text::Trim(GeneratorField.Field));
    if (!field->IsNull())
        return;
    generatorQuery_->SetSQL({GeneratorField.Statement(database_->SQLDialect())});
    generatorQuery_->ExecQuery();
    const std::int64_t value = generatorQuery_->FieldAsInt64(0);
    generatorQuery_->Close();
    if (field->DataType() == TFieldType::ftLargeint)
        edit_[field->Index()] = TIBValue(value);
    else
        edit_[field->Index()] = TIBValue(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

void TIBCustomDataSet::Edit()
{
    CheckActive();
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert)
        return;
    if (cur_ < 0 || !rows_.Live(static_cast<std::size_t>(cur_))) {
        Insert();
        return;
    }
    old_ = rows_.Values(static_cast<std::size_t>(cur_));
    edit_ = old_;
    state_ = TDataSetState::dsEdit;
}

void TIBCustomDataSet::FillParams(TIBSQL &query, const std::vector<TIBValue> &current) const
{
    // Which field and which value each parameter takes is worked out once per prepared
    // statement, not for every row.
    TParamBinding &binding = bindings_[&query];
    if (binding.generation != query.PrepareGeneration() || binding.fieldCount != fields_.size()) {
        binding.generation = query.PrepareGeneration();
        binding.fieldCount = fields_.size();
        binding.params.clear();
        for (int i = 0; i < query.ParamCount(); ++i) {
            const std::string &name = query.ParamName(i);
            const bool old = name.size() > 4 && Text::SameText(std::string_view(name).substr(0, 4), "OLD_");
            const auto *field = static_cast<const TIBField *>(FindField(old ? std::string_view(name).substr(4) : name));
            TParamBinding::Param p;
            p.field = field ? field->Index() : -1;
            p.old = old;
            p.scale = field && field->DataType() == TFieldType::ftBCD ? -field->Scale() : 0;
            binding.params.push_back(p);
        }
    }
    for (int i = 0; i < static_cast<int>(binding.params.size()); ++i) {
        const TParamBinding::Param &p = binding.params[static_cast<std::size_t>(i)];
        if (p.field < 0)
            query.SetParam(i, TIBValue::Null());
        else
            query.SetParam(i, p.old ? old_.at(p.field) : current.at(p.field), p.scale);
    }
}

void TIBCustomDataSet::ExecuteUpdate(TUpdateKind kind, const std::vector<TIBValue> &current)
{
    static constexpr int missing[] = {IBClientErrorCode::CannotUpdate, IBClientErrorCode::CannotInsert,
                                      IBClientErrorCode::CannotDelete};
    if (!UpdateObject || TIBUpdateSQL::IsEmpty(UpdateObject->SQL(kind)))
        throw EIBClientError(missing[static_cast<int>(kind)]);
    TIBSQL &query = UpdateObject->Query(kind, database_, transaction_);
    query.Prepare();
    FillParams(query, current);
    query.ExecQuery();
    if (query.RowsAffected() != 1)
        throw EIBClientError(IBClientErrorCode::UpdateFailed);
}

void TIBCustomDataSet::RefreshPostedRow()
{
    if (!needsRefresh_ || !UpdateObject || TIBUpdateSQL::IsEmpty(UpdateObject->RefreshSQL))
        return;
    TIBSQL &query = UpdateObject->RefreshQuery(database_, transaction_);
    query.Prepare();
    FillParams(query, edit_);
    query.ExecQuery();
    if (!query.Eof()) {
        for (int i = 0; i < query.FieldCount(); ++i)
            if (TField *field = FindField(query.FieldInfo(i).Name))
                edit_[field->Index()] = query.FieldValue(i);
    }
    query.Close();
}

void TIBCustomDataSet::Post()
{
    CheckActive();
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        return;
    for (const auto &f : fields_)
        if (f->Required() && !f->ReadOnly() && edit_[f->Index()].IsNull())
            throw EDatabaseError(FormatMessage(DataSetTexts::SFieldRequired, {f->FieldName()}));

    const bool inserting = state_ == TDataSetState::dsInsert;
    ExecuteUpdate(inserting ? TUpdateKind::ukInsert : TUpdateKind::ukModify, edit_);
    RefreshPostedRow();

    if (inserting) {
        if (insertAt_ >= static_cast<std::ptrdiff_t>(rows_.Size())) {
            rows_.Append(edit_);
            cur_ = static_cast<std::ptrdiff_t>(rows_.Size()) - 1;
            if (index_.active)
                IndexAdd(static_cast<std::uint32_t>(cur_));
        } else {
            rows_.Insert(static_cast<std::size_t>(insertAt_), edit_);
            cur_ = insertAt_;
            index_.active = false; // positions after the new row moved; rebuilt on demand
        }
        ++live_;
    } else {
        if (index_.active)
            IndexRemove(static_cast<std::uint32_t>(cur_));
        rows_.Replace(static_cast<std::size_t>(cur_), edit_);
        if (index_.active)
            IndexAdd(static_cast<std::uint32_t>(cur_));
    }
    edit_.clear();
    old_.clear();
    state_ = TDataSetState::dsBrowse;
    eof_ = bof_ = false;
    Notify(TDataEvent::deDataSetChange);
}

void TIBCustomDataSet::Cancel()
{
    if (state_ == TDataSetState::dsInsert) {
        cur_ = savedCur_;
        eof_ = cur_ < 0;
        bof_ = cur_ < 0;
    }
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) {
        edit_.clear();
        old_.clear();
        state_ = TDataSetState::dsBrowse;
        Notify(TDataEvent::deDataSetChange);
    }
}

void TIBCustomDataSet::Delete()
{
    CheckActive();
    if (state_ == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (state_ == TDataSetState::dsEdit)
        Cancel();
    if (cur_ < 0 || !rows_.Live(static_cast<std::size_t>(cur_)))
        throw EDatabaseError(SDataSetEmpty);
    old_ = rows_.Values(static_cast<std::size_t>(cur_));
    try {
        ExecuteUpdate(TUpdateKind::ukDelete, old_);
    } catch (...) {
        old_.clear();
        throw;
    }
    old_.clear();
    if (index_.active)
        IndexRemove(static_cast<std::uint32_t>(cur_));
    rows_.Remove(static_cast<std::size_t>(cur_));
    --live_;
    const std::ptrdiff_t next = NextLive(cur_);
    if (next >= 0) {
        cur_ = next;
        eof_ = false;
    } else {
        cur_ = PriorLive(cur_);
        eof_ = true;
        bof_ = cur_ < 0;
    }
    Notify(TDataEvent::deDataSetChange);
}

// ---------------------------------------------------------------- locating

std::string TIBCustomDataSet::EncodeKey(const std::vector<int> &fields, const std::vector<TIBValue> &values) const
{
    std::string key;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const TIBValue &v = values[fields[k]];
        if (v.IsNull()) {
            key += '\0';
            continue;
        }
        key += '\1';
        if (v.IsOrdinal()) {
            const std::int64_t n = v.AsInt64();
            key.append(reinterpret_cast<const char *>(&n), sizeof n);
        } else if (v.IsFloat() || v.IsDate()) {
            double d = v.AsDouble();
            if (d == 0)
                d = 0; // -0 and 0 are one key
            key.append(reinterpret_cast<const char *>(&d), sizeof d);
        } else if (v.IsBoolean()) {
            key += v.AsBoolean() ? '\1' : '\0';
        } else {
            const std::string s = v.AsString();
            const auto length = static_cast<std::uint32_t>(s.size());
            key.append(reinterpret_cast<const char *>(&length), sizeof length);
            key += s;
        }
    }
    return key;
}

void TIBCustomDataSet::IndexAdd(std::uint32_t row)
{
    auto &positions = index_.rows[EncodeKey(index_.fields, rows_.Values(row))];
    positions.insert(std::lower_bound(positions.begin(), positions.end(), row), row);
}

void TIBCustomDataSet::IndexRemove(std::uint32_t row)
{
    auto it = index_.rows.find(EncodeKey(index_.fields, rows_.Values(row)));
    if (it == index_.rows.end())
        return;
    auto &positions = it->second;
    positions.erase(std::remove(positions.begin(), positions.end(), row), positions.end());
    if (positions.empty())
        index_.rows.erase(it);
}

bool TIBCustomDataSet::LocateScan(const std::vector<int> &fields, const std::vector<TIBValue> &keys,
                                  TLocateOptions options)
{
    auto matches = [&](const std::vector<TIBValue> &row) {
        for (std::size_t k = 0; k < fields.size(); ++k) {
            const TIBValue &v = row[fields[k]];
            if (keys[k].IsNull() || v.IsNull()) {
                if (keys[k].IsNull() != v.IsNull())
                    return false;
                continue;
            }
            const auto *field = static_cast<const TIBField *>(fields_[fields[k]].get());
            std::string a = field->StorageToString(v);
            std::string b = field->StorageToString(keys[k]);
            if (options.loCaseInsensitive) {
                a = Text::Upper(a);
                b = Text::Upper(b);
            }
            if (options.loPartialKey ? a.rfind(b, 0) != 0 : a != b)
                return false;
        }
        return true;
    };
    for (std::ptrdiff_t i = NextLive(-1); i >= 0; i = NextLive(i))
        if (matches(rows_.Values(static_cast<std::size_t>(i)))) {
            cur_ = i;
            eof_ = bof_ = false;
            return true;
        }
    return false;
}

bool TIBCustomDataSet::Locate(const std::string &keyFields, const Variant &keyValues, TLocateOptions options)
{
    CheckBrowseMode();
    std::vector<int> fields;
    std::string normalized;
    for (std::size_t start = 0; start <= keyFields.size();) {
        const std::size_t end = std::min(keyFields.find(';', start), keyFields.size());
        const std::string name = Text::Trim(keyFields.substr(start, end - start));
        if (!name.empty()) {
            fields.push_back(FieldByName(name)->Index());
            normalized += Text::Upper(name) + ';';
        }
        start = end + 1;
    }
    if (fields.empty())
        return false;

    // One value per field, converted as the field would store it.
    std::vector<TIBValue> keys(fields_.size());
    std::vector<TIBValue> compact;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        Variant v;
        if (fields.size() == 1 && !keyValues.IsArray())
            v = keyValues;
        else if (keyValues.IsArray() && k < keyValues.ArrayCount())
            v = keyValues[k];
        else
            throw EVariantError("Variant array index out of bounds");
        const auto *field = static_cast<const TIBField *>(fields_[fields[k]].get());
        keys[fields[k]] = field->ToStorage(v, false);
        compact.push_back(keys[fields[k]]);
    }

    if (options.loCaseInsensitive || options.loPartialKey) {
        const std::ptrdiff_t saved = cur_;
        const bool savedEof = eof_, savedBof = bof_;
        if (LocateScan(fields, compact, options)) {
            Notify(TDataEvent::deRecordChange);
            return true;
        }
        cur_ = saved;
        eof_ = savedEof;
        bof_ = savedBof;
        return false;
    }

    // Rows fetched so far are indexed by the key fields, and rows fetched, posted or
    // deleted from now on keep the index right, so each search costs one lookup.
    if (!index_.active || index_.keyFields != normalized) {
        index_ = KeyIndex{};
        index_.keyFields = normalized;
        index_.fields = fields;
        index_.active = true;
        for (std::size_t i = 0; i < rows_.Size(); ++i)
            if (rows_.Live(static_cast<std::size_t>(i)))
                IndexAdd(static_cast<std::uint32_t>(i));
    }
    const std::string key = EncodeKey(fields, keys);
    auto found = index_.rows.find(key);
    while (found == index_.rows.end() && FetchRow())
        if (EncodeKey(fields, rows_.Values(rows_.Size() - 1)) == key)
            found = index_.rows.find(key);
    if (found == index_.rows.end() || found->second.empty())
        return false;
    cur_ = found->second.front();
    eof_ = bof_ = false;
    Notify(TDataEvent::deRecordChange);
    return true;
}

// ---------------------------------------------------------------- TIBQuery

void TIBQuery::SetSQL(std::vector<std::string> lines)
{
    if (lines == selectSQL_)
        return;
    Close();
    selectSQL_ = std::move(lines);
}

bool TIBQuery::GetStringProperty(std::string_view name, std::string &value) const
{
    if (!Text::SameText(name, "SQL"))
        return false;
    value.clear();
    for (const std::string &line : selectSQL_)
        value += line + "\r\n";
    return true;
}

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
    const std::string name = sqlDialect == 1 ? Text::Upper(Text::Trim(Generator)) : QuotedIdentifier(Generator);
    return "SELECT GEN_ID(" + name + ", " + std::to_string(IncrementBy) + ") FROM RDB$DATABASE";
}

// ---------------------------------------------------------------- TIBField

TIBField::TIBField(TIBCustomDataSet &dataSet, int index, const TIBColumnInfo &column, const Metadata &meta, bool utf8)
    : dataSet_(dataSet),
      index_(index),
      name_(column.Name),
      relation_(column.RelName),
      column_(column.SQLName),
      type_(fieldTypeOf(column)),
      utf8_(utf8)
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
    located_ = false;
    written_ = false;
}

void TIBCustomDataSet::Close()
{
    if (!Active())
        return;
    state_ = TDataSetState::dsInactive;
    ForgetWrites();
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
    ForgetWrites();
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
    ReopenIfWritten();
    located_ = false;
    cur_ = NextLive(-1);
    bof_ = true;
    eof_ = cur_ < 0;
    Notify(TDataEvent::deRecordChange);
}

void TIBCustomDataSet::Next()
{
    CheckBrowseMode();
    located_ = false;
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
    located_ = false;
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
    located_ = false;
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
    located_ = false;
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
    if (located_)
        return locatedRow_.at(field);
    if (cur_ < 0 || !rows_.Live(static_cast<std::size_t>(cur_)))
        return null;
    return rows_.Values(static_cast<std::size_t>(cur_)).at(static_cast<std::size_t>(field));
}

void TIBCustomDataSet::AssignValue(int field, TIBValue value)
{
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        throw EDatabaseError(DataSetTexts::SNotEditing);
    edit_.at(field) = std::move(value);
    if (!assigned_.empty())
        assigned_.at(field) = true;
}

void TIBCustomDataSet::StartInsert(bool atEnd)
{
    CheckBrowseMode();
    // Everything is fetched first: a row posted now must not come back later from the
    // still-open cursor, and the new row's place among the rows must be final. Rows not
    // kept have no place: the table is fetched anew when it is browsed.
    if (KeepPostedRows)
        FetchAll();
    located_ = false;
    assigned_.clear();
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
    if (located_) {
        old_ = locatedRow_;
        edit_ = old_;
        assigned_.assign(fields_.size(), false);
        state_ = TDataSetState::dsEdit;
        return;
    }
    assigned_.clear();
    if (cur_ < 0 || !rows_.Live(static_cast<std::size_t>(cur_))) {
        Insert();
        return;
    }
    old_ = rows_.Values(static_cast<std::size_t>(cur_));
    edit_ = old_;
    state_ = TDataSetState::dsEdit;
}

const TIBCustomDataSet::TParamBinding &TIBCustomDataSet::BindingOf(const TIBSQL &query) const
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
    return binding;
}

const TIBValue &TIBCustomDataSet::ParamValue(const TParamBinding::Param &p, const std::vector<TIBValue> &current) const
{
    static const TIBValue null = TIBValue::Null();
    return p.field < 0 ? null : p.old ? old_.at(p.field) : current.at(p.field);
}

void TIBCustomDataSet::FillParams(TIBSQL &query, const std::vector<TIBValue> &current) const
{
    const TParamBinding &binding = BindingOf(query);
    for (std::size_t i = 0; i < binding.params.size(); ++i)
        query.SetParam(static_cast<int>(i), ParamValue(binding.params[i], current), binding.params[i].scale);
}

void TIBCustomDataSet::ParamValues(const TIBSQL &query, const std::vector<TIBValue> &current,
                                   std::vector<TIBValue> &values, std::vector<int> &scales) const
{
    values.clear();
    scales.clear();
    for (const TParamBinding::Param &p : BindingOf(query).params) {
        values.push_back(ParamValue(p, current));
        scales.push_back(p.scale);
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
    // Fields of a located row that were not given a value keep what the table holds.
    for (const auto &f : fields_)
        if (f->Required() && !f->ReadOnly() && edit_[f->Index()].IsNull() &&
            (assigned_.empty() || assigned_[f->Index()]))
            throw EDatabaseError(FormatMessage(DataSetTexts::SFieldRequired, {f->FieldName()}));

    const bool inserting = state_ == TDataSetState::dsInsert;
    if (!KeepPostedRows && (inserting || located_)) {
        PostWithoutKeeping(inserting);
        return;
    }
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
    EndPost();
}

void TIBCustomDataSet::EndPost()
{
    edit_.clear();
    old_.clear();
    assigned_.clear();
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
    if (located_) {
        DeleteLocated();
        return;
    }
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
    if (!ParseKeyFields(keyFields, fields, normalized))
        return false;
    const std::vector<TIBValue> keys = KeyValues(fields, keyValues);
    std::vector<TIBValue> compact;
    for (int f : fields)
        compact.push_back(keys[static_cast<std::size_t>(f)]);

    if (!KeepPostedRows && !options.loCaseInsensitive && !options.loPartialKey)
        return LocateCompact(fields, normalized, keys);
    located_ = false;
    if (options.loCaseInsensitive || options.loPartialKey) {
        ReopenIfWritten();
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

// ---------------------------------------------------------------- writing without keeping

bool TIBCustomDataSet::ParseKeyFields(const std::string &keyFields, std::vector<int> &fields,
                                      std::string &normalized) const
{
    fields.clear();
    normalized.clear();
    for (std::size_t start = 0; start <= keyFields.size();) {
        const std::size_t end = std::min(keyFields.find(';', start), keyFields.size());
        const std::string name = Text::Trim(keyFields.substr(start, end - start));
        if (!name.empty()) {
            fields.push_back(FieldByName(name)->Index());
            normalized += Text::Upper(name) + ';';
        }
        start = end + 1;
    }
    return !fields.empty();
}

// One value per key field, converted as the field would store it, at the field's position.
std::vector<TIBValue> TIBCustomDataSet::KeyValues(const std::vector<int> &fields, const Variant &keyValues) const
{
    std::vector<TIBValue> keys(fields_.size());
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
    }
    return keys;
}

std::string TIBCustomDataSet::QuotedName(const std::string &name) const
{
    return database_->SQLDialect() < 3 ? name : QuotedIdentifier(name);
}

std::string TIBCustomDataSet::ColumnType(const TIBField &field) const
{
    if (field.RelationName().empty() || field.ColumnName().empty())
        return {};
    return "TYPE OF COLUMN " + QuotedName(field.RelationName()) + "." + QuotedName(field.ColumnName());
}

void TIBCustomDataSet::ReopenIfWritten()
{
    if (!written_ || !Active())
        return;
    // The rows written are in the table, not in the buffers: browsing starts over.
    select_->Close();
    select_->ExecQuery();
    ClearBuffers();
    pendingRow_ = !select_->Eof();
    fetchedAll_ = false;
}

void TIBCustomDataSet::WaitForWritesSent()
{
    // Whoever sent them ahead waits for them and tells their failures; this is the last
    // resort of a dataset closed meanwhile, which must not leave them travelling.
    try {
        batch_.Wait();
    } catch (const std::exception &) {
    }
    flyingChanges_.clear();
    flyingKeys_.clear();
}

void TIBCustomDataSet::ForgetWrites()
{
    WaitForWritesSent();
    batch_.Clear();
    heldChanges_.clear();
    heldKeys_.clear();
    deferring_ = false;
    shapeQueries_.clear();
    compact_ = TCompactIndex{};
    partialUpdates_.clear();
    assigned_.clear();
}

void TIBCustomDataSet::BuildCompactIndex(const std::vector<int> &fields, const std::string &normalized)
{
    compact_ = TCompactIndex{};
    compact_.keyFields = normalized;
    compact_.fields = fields;
    // The fields the statements find a row by: OLD_ parameters of the update and delete.
    auto oldFields = [this](const std::vector<std::string> &lines, std::vector<int> &into) {
        std::vector<std::string> names;
        std::string text;
        for (const std::string &line : lines)
            text += line + "\n";
        TIBSQL::PreprocessSQL(text, names);
        for (const std::string &name : names) {
            if (name.size() <= 4 || !Text::SameText(std::string_view(name).substr(0, 4), "OLD_"))
                continue;
            if (const TField *field = FindField(std::string_view(name).substr(4)))
                if (std::find(into.begin(), into.end(), field->Index()) == into.end())
                    into.push_back(field->Index());
        }
    };
    std::vector<int> needed;
    if (UpdateObject) {
        oldFields(UpdateObject->ModifySQL, compact_.identity);
        needed = compact_.identity;
        oldFields(UpdateObject->DeleteSQL, needed);
    }
    // A table without a primary key has update statements that name no row: its rows are
    // found by the keys they were located by.
    if (compact_.identity.empty())
        compact_.identity = fields;
    for (int f : needed)
        if (std::find(fields.begin(), fields.end(), f) == fields.end())
            compact_.stored.push_back(f);

    std::string columns, relation;
    for (const std::vector<int> *list : {&compact_.fields, &compact_.stored})
        for (int f : *list) {
            const auto *field = static_cast<const TIBField *>(fields_[static_cast<std::size_t>(f)].get());
            if (field->ColumnName().empty() || field->RelationName().empty() ||
                (!relation.empty() && relation != field->RelationName()))
                throw EDatabaseError(FormatMessage(DataSetTexts::SFieldNotFound, {field->FieldName()}));
            relation = field->RelationName();
            columns += (columns.empty() ? "" : ", ") + QuotedName(field->ColumnName());
        }
    TIBSQL query(database_, transaction_);
    query.SetSQLText("SELECT " + columns + " FROM " + QuotedName(relation));
    std::vector<TIBValue> row(fields_.size());
    const std::size_t keyCount = compact_.fields.size();
    for (query.ExecQuery(); !query.Eof(); query.Next()) {
        for (std::size_t k = 0; k < keyCount; ++k)
            row[static_cast<std::size_t>(compact_.fields[k])] = query.FieldValue(static_cast<int>(k));
        std::vector<TIBValue> stored;
        for (std::size_t k = 0; k < compact_.stored.size(); ++k)
            stored.push_back(query.FieldValue(static_cast<int>(keyCount + k)));
        // The first row of a key is the one found, as when the rows are searched in order.
        compact_.rows.AddRead(EncodeKey(compact_.fields, row), std::move(stored));
    }
    query.Close();
    compact_.rows.FinishReading();
    compact_.active = true;
}

bool TIBCustomDataSet::LocateCompact(const std::vector<int> &fields, const std::string &normalized,
                                     const std::vector<TIBValue> &keys)
{
    if (!compact_.active || compact_.keyFields != normalized)
        BuildCompactIndex(fields, normalized);
    located_ = false;
    const TIBKeyIndex::TValues *found = compact_.rows.Find(EncodeKey(fields, keys));
    if (!found)
        return false;
    locatedRow_.assign(fields_.size(), TIBValue::Null());
    for (int f : fields)
        locatedRow_[static_cast<std::size_t>(f)] = keys[static_cast<std::size_t>(f)];
    for (std::size_t k = 0; k < compact_.stored.size(); ++k)
        locatedRow_[static_cast<std::size_t>(compact_.stored[k])] = (*found)[k];
    located_ = true;
    eof_ = bof_ = false;
    Notify(TDataEvent::deRecordChange);
    return true;
}

TIBCustomDataSet::TIndexChange TIBCustomDataSet::ChangeCompactIndex(const std::vector<TIBValue> *before,
                                                                    const std::vector<TIBValue> *after)
{
    TIndexChange change;
    if (!compact_.active)
        return change;
    auto storedOf = [this](const std::vector<TIBValue> &row) {
        std::vector<TIBValue> stored;
        for (int f : compact_.stored)
            stored.push_back(row[static_cast<std::size_t>(f)]);
        return stored;
    };
    if (before) {
        const std::string key = EncodeKey(compact_.fields, *before);
        if (compact_.rows.Erase(key, change.erasedValues)) {
            change.erased = true;
            change.erasedKey = key;
        }
    }
    if (after) {
        const std::string key = EncodeKey(compact_.fields, *after);
        if (compact_.rows.Add(key, storedOf(*after))) {
            change.added = true;
            change.addedKey = key;
        }
    }
    return change;
}

void TIBCustomDataSet::UndoIndexChange(const TIndexChange &change)
{
    TIBKeyIndex::TValues ignored;
    if (change.added)
        compact_.rows.Erase(change.addedKey, ignored);
    if (change.erased)
        compact_.rows.Add(change.erasedKey, change.erasedValues);
}

TIBCustomDataSet::TPartialUpdate &TIBCustomDataSet::PartialUpdate()
{
    std::string signature;
    for (bool a : assigned_)
        signature += a ? '1' : '0';
    TPartialUpdate &update = partialUpdates_[signature];
    if (update.query)
        return update;
    std::string relation, sets, where;
    auto column = [&](int f) {
        const auto *field = static_cast<const TIBField *>(fields_[static_cast<std::size_t>(f)].get());
        relation = field->RelationName();
        return QuotedName(field->ColumnName());
    };
    for (std::size_t f = 0; f < assigned_.size(); ++f)
        if (assigned_[f] && !fields_[f]->ReadOnly()) {
            update.setFields.push_back(static_cast<int>(f));
            sets += (sets.empty() ? "" : ", ") + column(static_cast<int>(f)) + " = ?";
        }
    // Nothing given a value still writes the row, as a whole row written back unchanged would.
    if (sets.empty())
        sets = column(compact_.identity.front()) + " = " + column(compact_.identity.front());
    for (int f : compact_.identity)
        where += (where.empty() ? "" : " AND ") + column(f) + " = ?";
    update.query = std::make_unique<TIBSQL>(database_, transaction_);
    update.query->ParamCheck = false;
    update.query->SetSQLText("UPDATE " + QuotedName(relation) + " SET " + sets + " WHERE " + where);
    if (deferring_) {
        TIBWriteBatch::TShape shape;
        shape.Text = update.query->SQLText();
        for (const std::vector<int> *list : {&update.setFields, &compact_.identity})
            for (int f : *list) {
                const auto &field = static_cast<const TIBField &>(*fields_[static_cast<std::size_t>(f)]);
                shape.Types.push_back(ColumnType(field));
                shape.RowBytes += static_cast<std::size_t>(std::max(field.Size(), 8)) * 4 + 8;
            }
        update.shape = batch_.AddShape(std::move(shape));
        shapeQueries_.resize(std::max<std::size_t>(shapeQueries_.size(), update.shape + 1));
        shapeQueries_[static_cast<std::size_t>(update.shape)] = update.query.get();
    }
    return update;
}

int TIBCustomDataSet::ShapeOf(TIBSQL &query, std::size_t contexts)
{
    query.Prepare();
    TIBWriteBatch::TShape shape;
    shape.Contexts = contexts;
    std::vector<std::string> names;
    shape.Text = TIBSQL::PreprocessSQL(query.SQLText(), names);
    for (int i = 0; i < query.ParamCount(); ++i) {
        std::string_view name = query.ParamName(i);
        if (name.size() > 4 && Text::SameText(name.substr(0, 4), "OLD_"))
            name = name.substr(4);
        const auto *field = static_cast<const TIBField *>(FindField(name));
        const std::string type = field ? ColumnType(*field) : std::string();
        if (type.empty())
            return -1;
        shape.Types.push_back(type);
        shape.RowBytes += static_cast<std::size_t>(query.ParamInfo(i).Length) + 8;
    }
    const int number = batch_.AddShape(std::move(shape));
    shapeQueries_.resize(std::max<std::size_t>(shapeQueries_.size(), number + 1));
    shapeQueries_[static_cast<std::size_t>(number)] = &query;
    return number;
}

void TIBCustomDataSet::RunStatement(TIBSQL &query, const std::vector<TIBValue> &values, const std::vector<int> &scales)
{
    query.Prepare();
    for (int i = 0; i < static_cast<int>(values.size()); ++i)
        query.SetParam(i, values[static_cast<std::size_t>(i)], scales[static_cast<std::size_t>(i)]);
    query.ExecQuery();
    if (query.RowsAffected() != 1)
        throw EIBClientError(IBClientErrorCode::UpdateFailed);
}

void TIBCustomDataSet::Write(TIBSQL &query, int shape, std::vector<TIBValue> values, std::vector<int> scales,
                             const std::vector<TIBValue> *before, const std::vector<TIBValue> *after)
{
    written_ = true;
    if (!deferring_ || shape < 0) {
        RunStatement(query, values, scales);
        ChangeCompactIndex(before, after);
        return;
    }
    batch_.Hold(shape, std::move(values), std::move(scales));
    TIndexChange change = ChangeCompactIndex(before, after);
    for (const std::string *key : {&change.erasedKey, &change.addedKey})
        if (!key->empty())
            ++heldKeys_[*key];
    heldChanges_.push_back(std::move(change));
}

void TIBCustomDataSet::PostWithoutKeeping(bool inserting)
{
    std::vector<TIBValue> values;
    std::vector<int> scales;
    if (inserting) {
        if (!UpdateObject || TIBUpdateSQL::IsEmpty(UpdateObject->InsertSQL))
            throw EIBClientError(IBClientErrorCode::CannotInsert);
        TIBSQL &query = UpdateObject->Query(TUpdateKind::ukInsert, database_, transaction_);
        query.Prepare();
        ParamValues(query, edit_, values, scales);
        const int shape = deferring_ ? batchShapes_.insert : -1;
        Write(query, shape, std::move(values), std::move(scales), nullptr, &edit_);
    } else {
        if (!UpdateObject || TIBUpdateSQL::IsEmpty(UpdateObject->ModifySQL))
            throw EIBClientError(IBClientErrorCode::CannotUpdate);
        TPartialUpdate &update = PartialUpdate();
        auto add = [&](int f, const std::vector<TIBValue> &row) {
            const auto *field = static_cast<const TIBField *>(fields_[static_cast<std::size_t>(f)].get());
            values.push_back(row[static_cast<std::size_t>(f)]);
            scales.push_back(field->DataType() == TFieldType::ftBCD ? -field->Scale() : 0);
        };
        for (int f : update.setFields)
            add(f, edit_);
        for (int f : compact_.identity)
            add(f, old_);
        Write(*update.query, update.shape, std::move(values), std::move(scales), &old_, &edit_);
        locatedRow_ = edit_;
    }
    EndPost();
}

void TIBCustomDataSet::DeleteLocated()
{
    if (!UpdateObject || TIBUpdateSQL::IsEmpty(UpdateObject->DeleteSQL))
        throw EIBClientError(IBClientErrorCode::CannotDelete);
    TIBSQL &query = UpdateObject->Query(TUpdateKind::ukDelete, database_, transaction_);
    query.Prepare();
    old_ = locatedRow_;
    std::vector<TIBValue> values;
    std::vector<int> scales;
    ParamValues(query, old_, values, scales);
    const std::vector<TIBValue> before = std::move(old_);
    old_.clear();
    Write(query, deferring_ ? batchShapes_.remove : -1, std::move(values), std::move(scales), &before, nullptr);
    located_ = false;
    Notify(TDataEvent::deDataSetChange);
}

bool TIBCustomDataSet::DeferWrites(int maxRows)
{
    WaitForWritesSent();
    DropPendingWrites();
    deferring_ = false;
    if (maxRows <= 1 || KeepPostedRows || !Active() || !UpdateObject)
        return false;
    batch_.SetConnection(database_, transaction_);
    batch_.SetMaxRows(static_cast<std::size_t>(maxRows));
    if (batch_.Broken())
        return false;
    // Keys found before may have changed since; the index is read anew when first needed.
    compact_ = TCompactIndex{};
    partialUpdates_.clear();
    batchShapes_ = {};
    try {
        if (!TIBUpdateSQL::IsEmpty(UpdateObject->InsertSQL))
            batchShapes_.insert = ShapeOf(UpdateObject->Query(TUpdateKind::ukInsert, database_, transaction_), 1);
        if (!TIBUpdateSQL::IsEmpty(UpdateObject->DeleteSQL))
            batchShapes_.remove = ShapeOf(UpdateObject->Query(TUpdateKind::ukDelete, database_, transaction_), 2);
    } catch (const std::exception &) {
        return false; // each row gets the statement's error as it is written
    }
    deferring_ = true;
    return true;
}

bool TIBCustomDataSet::PendingWritesTouch(const std::string &keyFields, const Variant &keyValues)
{
    if (batch_.Empty() && !batch_.InFlight())
        return false;
    std::vector<int> fields;
    std::string normalized;
    try {
        if (!ParseKeyFields(keyFields, fields, normalized))
            return false;
        if (!compact_.active || compact_.keyFields != normalized)
            return true; // the index is read from the table: it must hold everything
        const std::string key = EncodeKey(fields, KeyValues(fields, keyValues));
        return heldKeys_.count(key) > 0 || flyingKeys_.count(key) > 0;
    } catch (const std::exception &) {
        return true; // the search raises its error after what came before it
    }
}

bool TIBCustomDataSet::WriteOneByOne(const std::vector<TIBWriteBatch::THeld> &writes,
                                     const std::vector<TIndexChange> &changes, int firstPosition,
                                     const TFailedWrite &failed)
{
    const std::size_t count = writes.size();
    for (std::size_t i = 0; i < count; ++i) {
        const TIBWriteBatch::THeld &held = writes[i];
        try {
            RunStatement(*shapeQueries_.at(static_cast<std::size_t>(held.Shape)), held.Values, held.Scales);
        } catch (const std::exception &e) {
            UndoIndexChange(changes[i]);
            if (failed(firstPosition + static_cast<int>(i), e)) {
                for (std::size_t j = count; j-- > i + 1;)
                    UndoIndexChange(changes[j]);
                return false;
            }
        }
    }
    return true;
}

void TIBCustomDataSet::SendPendingWrites(const TFailedWrite &failed, TPendingSend how)
{
    int position = 0;
    if (batch_.InFlight()) {
        const bool sent = batch_.Wait();
        const std::vector<TIndexChange> changes = std::move(flyingChanges_);
        flyingChanges_.clear();
        flyingKeys_.clear();
        if (!sent) {
            const std::vector<TIBWriteBatch::THeld> writes = batch_.Sent();
            if (!WriteOneByOne(writes, changes, 0, failed)) {
                DropHeld(); // they came after the row that ended the run
                return;
            }
            position = static_cast<int>(writes.size());
        } else {
            position = static_cast<int>(changes.size());
        }
    }
    if (batch_.Empty() || how == TPendingSend::psWaitOnly)
        return;
    // Rows get their generated values from the server as they are appended: no other
    // call may travel meanwhile.
    if (how == TPendingSend::psAhead && !GeneratorField.IsComplete() && !batch_.Broken()) {
        flyingChanges_ = std::move(heldChanges_);
        flyingKeys_ = std::move(heldKeys_);
        heldChanges_.clear();
        heldKeys_.clear();
        batch_.SendAhead();
        return;
    }
    struct Done {
        TIBCustomDataSet &d;
        ~Done()
        {
            d.batch_.Clear();
            d.heldChanges_.clear();
            d.heldKeys_.clear();
        }
    } done{*this};
    if (batch_.Send())
        return;
    std::vector<TIBWriteBatch::THeld> writes;
    for (std::size_t i = 0; i < batch_.Size(); ++i)
        writes.push_back(batch_.Held(i));
    WriteOneByOne(writes, heldChanges_, position, failed);
}

void TIBCustomDataSet::DropHeld()
{
    for (std::size_t j = heldChanges_.size(); j-- > 0;)
        UndoIndexChange(heldChanges_[j]);
    batch_.Clear();
    heldChanges_.clear();
    heldKeys_.clear();
}

void TIBCustomDataSet::DropPendingWrites()
{
    // What travels is sent; only the caller can tell its failures, and it waited for them.
    DropHeld();
}

#include "engine/MemoryDataSet.h"

#include "values/StringList.h"

#include <stdexcept>
#include <utility>

class TMemoryDataSet::TMemoryField : public TField {
public:
    TMemoryField(TMemoryDataSet &owner, const TFieldDef &def, int index) : owner_(owner), def_(def), index_(index) {}

    const std::string &FieldName() const override { return def_.Name; }
    std::string DisplayLabel() const override { return displayLabel_.empty() ? def_.Name : displayLabel_; }
    TFieldType DataType() const override { return def_.Type; }
    TAlignment Alignment() const override
    {
        return def_.Type == TFieldType::ftString ? TAlignment::taLeftJustify : TAlignment::taRightJustify;
    }
    int Size() const override { return def_.Type == TFieldType::ftString ? def_.Size : 0; }
    int Precision() const override { return 15; }
    bool IsBlob() const override { return def_.Type == TFieldType::ftMemo || def_.Type == TFieldType::ftBlob; }
    int Index() const override { return index_; }
    bool Required() const override { return def_.Required; }
    bool ReadOnly() const override { return false; }
    bool Visible() const override { return visible_; }

    bool IsNull() const override { return Value().IsNullOrEmpty(); }
    void Clear() override { SetValue(Variant::Null()); }
    std::string AsString() const override { return Value().AsString(); }
    void SetAsString(const std::string &text) override { SetValue(Variant(text)); }
    Variant Value() const override { return owner_.FieldValue(index_); }
    void SetValue(const Variant &value) override { owner_.SetFieldValue(index_, value); }

    void SetDisplayLabel(std::string label) { displayLabel_ = std::move(label); }
    void SetVisible(bool visible) { visible_ = visible; }

private:
    TMemoryDataSet &owner_;
    TFieldDef def_;
    int index_;
    std::string displayLabel_;
    bool visible_ = true;
};

TMemoryDataSet::TMemoryDataSet(const std::vector<TFieldDef> &fields, std::string name) : name_(std::move(name))
{
    for (const TFieldDef &def : fields)
        fields_.push_back(std::make_unique<TMemoryField>(*this, def, static_cast<int>(fields_.size())));
}

TMemoryDataSet::~TMemoryDataSet() = default;

void TMemoryDataSet::Open()
{
    active_ = true;
    First();
}

void TMemoryDataSet::Close()
{
    active_ = false;
    state_ = TDataSetState::dsInactive;
}

void TMemoryDataSet::First()
{
    current_ = Rows.empty() ? -1 : 0;
    eof_ = bof_ = Rows.empty();
}

void TMemoryDataSet::Next()
{
    if (current_ + 1 < static_cast<int>(Rows.size()))
        ++current_;
    else
        eof_ = true;
    bof_ = false;
}

void TMemoryDataSet::Prior()
{
    if (current_ > 0)
        --current_;
    else
        bof_ = true;
    eof_ = false;
}

void TMemoryDataSet::Last()
{
    current_ = static_cast<int>(Rows.size()) - 1;
    eof_ = bof_ = Rows.empty();
}

void TMemoryDataSet::Append()
{
    buffer_.assign(fields_.size(), Variant::Null());
    state_ = TDataSetState::dsInsert;
}

void TMemoryDataSet::Edit()
{
    if (current_ < 0 || current_ >= static_cast<int>(Rows.size()))
        throw std::runtime_error("no current row to edit");
    buffer_ = Rows[static_cast<std::size_t>(current_)];
    state_ = TDataSetState::dsEdit;
}

void TMemoryDataSet::Post()
{
    CheckEditing();
    for (const auto &field : fields_)
        if (field->Required() && buffer_[static_cast<std::size_t>(field->Index())].IsNullOrEmpty())
            throw std::runtime_error(FormatMessage(DataSetTexts::SFieldRequired, {field->FieldName()}));
    if (state_ == TDataSetState::dsInsert) {
        Rows.push_back(std::move(buffer_));
        current_ = static_cast<int>(Rows.size()) - 1;
    } else {
        Rows[static_cast<std::size_t>(current_)] = std::move(buffer_);
    }
    buffer_.clear();
    eof_ = bof_ = false;
    state_ = TDataSetState::dsBrowse;
}

void TMemoryDataSet::Cancel()
{
    buffer_.clear();
    state_ = TDataSetState::dsBrowse;
}

void TMemoryDataSet::Delete()
{
    if (current_ < 0 || current_ >= static_cast<int>(Rows.size()))
        return;
    Rows.erase(Rows.begin() + current_);
    if (current_ >= static_cast<int>(Rows.size()))
        current_ = static_cast<int>(Rows.size()) - 1;
    eof_ = bof_ = Rows.empty();
}

bool TMemoryDataSet::Locate(const std::string &keyFields, const Variant &keyValues, TLocateOptions)
{
    std::vector<int> keys;
    for (std::size_t start = 0;;) {
        const std::size_t end = keyFields.find(';', start);
        TField *field = FindField(keyFields.substr(start, end == std::string::npos ? end : end - start));
        if (!field)
            return false;
        keys.push_back(field->Index());
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    if (keys.size() > 1 && (!keyValues.IsArray() || keyValues.ArrayCount() != keys.size()))
        return false;
    for (std::size_t r = 0; r < Rows.size(); ++r) {
        bool same = true;
        for (std::size_t k = 0; k < keys.size() && same; ++k) {
            const Variant &wanted = keys.size() > 1 ? keyValues[k] : keyValues;
            const Variant &held = Rows[r][static_cast<std::size_t>(keys[k])];
            same = held.IsNullOrEmpty() ? wanted.IsNullOrEmpty()
                                        : !wanted.IsNullOrEmpty() && held.AsString() == wanted.AsString();
        }
        if (same) {
            current_ = static_cast<int>(r);
            eof_ = bof_ = false;
            return true;
        }
    }
    return false;
}

TField *TMemoryDataSet::Fields(int index) const { return fields_.at(static_cast<std::size_t>(index)).get(); }

void TMemoryDataSet::SetDisplayLabel(int index, std::string label)
{
    fields_.at(static_cast<std::size_t>(index))->SetDisplayLabel(std::move(label));
}

void TMemoryDataSet::SetFieldVisible(int index, bool visible)
{
    fields_.at(static_cast<std::size_t>(index))->SetVisible(visible);
}

TField *TMemoryDataSet::FindField(std::string_view name) const
{
    for (const auto &field : fields_)
        if (Text::SameText(field->FieldName(), name))
            return field.get();
    return nullptr;
}

Variant TMemoryDataSet::FieldValue(int index) const
{
    const auto i = static_cast<std::size_t>(index);
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert)
        return buffer_.at(i);
    if (current_ < 0 || current_ >= static_cast<int>(Rows.size()))
        return Variant::Null();
    return Rows[static_cast<std::size_t>(current_)].at(i);
}

// Values take their field's type now, so a value the field cannot hold fails its row.
void TMemoryDataSet::SetFieldValue(int index, const Variant &value)
{
    CheckEditing();
    Variant &slot = buffer_.at(static_cast<std::size_t>(index));
    if (value.IsNullOrEmpty()) {
        slot = Variant::Null();
        return;
    }
    switch (Fields(index)->DataType()) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger: slot = Variant(value.AsInteger()); break;
    case TFieldType::ftLargeint: slot = Variant(value.AsInt64()); break;
    case TFieldType::ftFloat:
    case TFieldType::ftBCD: slot = Variant(value.AsDouble()); break;
    case TFieldType::ftBoolean: slot = Variant(value.AsBoolean()); break;
    case TFieldType::ftDate:
    case TFieldType::ftDateTime: slot = Variant::DateTime(value.AsDateTime()); break;
    default: {
        std::string text = value.AsString();
        const auto size = static_cast<std::size_t>(Fields(index)->Size());
        if (Fields(index)->DataType() == TFieldType::ftString && text.size() > size)
            text.resize(size);
        slot = Variant(std::move(text));
    }
    }
}

void TMemoryDataSet::CheckEditing() const
{
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        throw std::runtime_error(DataSetTexts::SNotEditing);
}

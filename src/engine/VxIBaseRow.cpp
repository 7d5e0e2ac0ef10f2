// The values of one row: mapping expressions evaluated and finished for their fields.

#include "engine/VxIBase.h"

#include "engine/ImpCnst.h"
#include "engine/VxIBaseHelpers.h"
#include "engine/VxIConvert.h"
#include "expr/VxIPars.h"
#include "expr/VxIParsFunctions.h"
#include "values/DateMask.h"
#include "values/RegionalSettings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

using namespace vxibase_detail;

TField *TVxImportBaseComponent::SlotField(Variant &slot, int &position) const
{
    position = slot[3].AsInteger();
    TField *field = DestinationField(position);
    if (!field && DataSet && (field = DataSet->FindField(slot[0].AsString())))
        position = field->Index();
    return field;
}

TField *TVxImportBaseComponent::DestinationField(int position) const
{
    if (!DataSet || position < 0 || position >= DataSet->FieldCount())
        return nullptr;
    return DataSet->Fields(position);
}

bool TVxImportBaseComponent::ConditionHolds(const std::string &expression)
{
    Variant value;
    EvaluateExpression(Variant(expression), -1, value);
    return value.AsBoolean();
}

bool TVxImportBaseComponent::ProcessRow()
{
    EvaluateRowValues();
    return FinishRowValues();
}

void TVxImportBaseComponent::EvaluateRowValues()
{
    const int slots = count(RowValues);
    for (int i = 0; i < slots; ++i) {
        Variant &slot = Slot(i);
        int position = -1;
        TField *field = SlotField(slot, position);
        CurrentFieldIndex = field ? position : -1;
        Variant value;
        EvaluateExpression(slot[1], CurrentFieldIndex, value);
        if (const std::string *text = value.StringPointer()) {
            const std::string *expression = slot[1].StringPointer();
            if ((expression && *text == *expression) || (field && Text::SameText(*text, field->FieldName())))
                value = Variant::Null();
        }
        if (CharacterSet != TVxICharacterSet::csiANSI_WINDOWS && !value.IsNullOrEmpty() &&
            (!field || !isNumericOrDateTime(field->DataType())))
            ConvertCharacterSet(value);
        if (OnGetCellParams)
            OnGetCellParams(this, field, value);
        slot[2] = std::move(value);
    }
    CurrentFieldIndex = -1;
}

bool TVxImportBaseComponent::FinishRowValues()
{
    bool accept = true;
    const int slots = count(RowValues);
    if (!LoadCondition.LoadWhen.empty())
        accept = ConditionHolds(LoadCondition.LoadWhen);
    if (accept && !LoadCondition.SkipIf.empty())
        accept = !ConditionHolds(LoadCondition.SkipIf);
    if (accept && Options.Has(TVxIOption::soSkipEmptyRow)) {
        accept = false;
        for (int i = 0; i < slots && !accept; ++i) {
            const Variant &v = Slot(i)[2];
            const std::string t = v.IsArray() ? "x" : Text::Trim(v.AsString());
            accept = !t.empty() && t != "0";
        }
    }
    if (OnBeforeRecordEvent)
        OnBeforeRecordEvent(this, "", RowValues, accept);

    if (accept && slots > 0) {
        auto copyFromSlot = [&](Variant &e) {
            const int s = e[3].AsInteger();
            if (s < 0 || s >= slots)
                return;
            // Names and expressions rarely change between rows: copy them only when a
            // handler made them differ.
            for (int k = 0; k < 2; ++k)
                if (!e[k].SameAs(Slot(s)[k]))
                    e[k] = Slot(s)[k];
            e[2] = Slot(s)[2];
        };
        for (int m = 0; m < count(MappedColumns); ++m)
            copyFromSlot(MappedColumns[m]);
        if (Mode != TImportMode::imAppend && Mode != TImportMode::imCopy)
            for (int k = 0; k < count(KeyColumns); ++k)
                copyFromSlot(KeyColumns[k]);
    }
    return accept;
}

void TVxImportBaseComponent::ConvertCharacterSet(Variant &value) const
{
    const std::string text = value.AsString();
    if (CharacterSet == TVxICharacterSet::csiASCII_MSDOS)
        value = Variant(ConvertFromOEM(text));
    else if (CharacterSet == TVxICharacterSet::csiEBCDIC)
        value = Variant(ConvertFromEBCDIC(text));
}

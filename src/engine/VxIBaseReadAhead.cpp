// Values read ahead of the row loop on another thread, and the plan they follow.

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

// ---------------------------------------------------------------- values read ahead

std::vector<std::string> TVxImportBaseComponent::ParameterNames()
{
    std::vector<std::string> names;
    for (int i = 0; i < Parameters.Count(); ++i)
        names.push_back(Parameters[i].Name());
    return names;
}

bool TVxImportBaseComponent::ValuesCanBeReadAhead() const
{
    // The two handlers run while a value is read: on another thread they could not.
    // Conditions and character-set conversion stay in the row loop.
    return CanReadAhead() && !OnParsedValue && !OnGetCellParams && LoadCondition.LoadWhen.empty() &&
           LoadCondition.SkipIf.empty() && CharacterSet == TVxICharacterSet::csiANSI_WINDOWS;
}

bool TVxImportBaseComponent::PlanSourceValues(TSourcePlan &plan)
{
    plan = TSourcePlan{};
    if (!ValuesCanBeReadAhead())
        return false;
    const bool textSource = TableType == TTableTypeImport::teText || TableType == TTableTypeImport::teClipboard;
    for (int i = 0; i < count(RowValues); ++i) {
        Variant &slot = Slot(i);
        const std::string *expression = slot[1].StringPointer();
        if (!expression)
            return false;
        TSourcePlan::TSlot planned;
        planned.expression = *expression;
        int position = -1;
        planned.field = SlotField(slot, position);
        if (planned.field) {
            planned.fieldType = planned.field->DataType();
            planned.fieldName = planned.field->FieldName();
            planned.fieldIsBlob = planned.field->IsBlob();
        }
        std::string name;
        if (textSource && expression->rfind(ImpTexts().Text, 0) == 0) {
            planned.direct = true;
            name = *expression;
        } else {
            try {
                TVxIParser &parser = ParserFor(*expression);
                if (!parser.IsBareName())
                    return false;
                name = parser.BareName();
            } catch (const std::exception &) {
                return false; // the row loop reports it, row by row
            }
            if (ParserFunctions().FindShared(name))
                return false;
        }
        // As EvaluateIdentifier takes the name from the value it receives.
        unquoteName(name);
        if (engineNameOf(name) != TEngineName::enNone)
            return false;
        if (Parameters.Count() && Parameters.Find(name))
            return false;
        planned.name = std::move(name);
        plan.slots.push_back(std::move(planned));
    }
    plan.formats = DataFormats;
    plan.trimSpaces = TrimSpaces;
    plan.tableType = TableType;
    plan.blobEncoded = IsBLOBEncoded();
    plan.masks = CachedMasks();
    plan.parameterNames = ParameterNames();
    plan.functionCount = ParserFunctions().Count();
    RegionalSettings::current(); // read here, before another thread asks
    return true;
}

bool TVxImportBaseComponent::PlanHolds(const TSourcePlan &plan)
{
    if (!ValuesCanBeReadAhead() || TrimSpaces != plan.trimSpaces || TableType != plan.tableType ||
        !(DataFormats == plan.formats) || IsBLOBEncoded() != plan.blobEncoded ||
        ParserFunctions().Count() != plan.functionCount || count(RowValues) != static_cast<int>(plan.slots.size()))
        return false;
    if (Parameters.Count() != static_cast<int>(plan.parameterNames.size()) ||
        (Parameters.Count() && ParameterNames() != plan.parameterNames))
        return false;
    for (std::size_t i = 0; i < plan.slots.size(); ++i) {
        const TSourcePlan::TSlot &planned = plan.slots[i];
        Variant &slot = Slot(static_cast<int>(i));
        const std::string *expression = slot[1].StringPointer();
        if (!expression || *expression != planned.expression)
            return false;
        int position = -1;
        TField *field = SlotField(slot, position);
        if (field != planned.field ||
            (field && (field->DataType() != planned.fieldType || field->FieldName() != planned.fieldName)))
            return false;
    }
    return true;
}

void TVxImportBaseComponent::FinishPlannedValue(const TSourcePlan &plan, std::size_t slot, Variant &value)
{
    const TSourcePlan::TSlot &planned = plan.slots[slot];
    const bool wasString = value.IsString();
    TrimSourceText(value, plan.trimSpaces);
    if (!value.IsArray() && (value.IsString() ? value.StringPointer()->empty() : value.AsString().empty())) {
        value = Variant::Null();
    } else if (planned.field) {
        try {
            ConvertForField(planned.fieldType, planned.fieldName, plan.blobEncoded && planned.fieldIsBlob, value,
                            wasString, planned.direct, plan.blobEncoded, plan.formats, &plan.masks);
        } catch (const std::exception &) {
            // as EvaluateIdentifier: the text goes on as it is
        }
    }
    if (const std::string *text = value.StringPointer())
        if (*text == planned.expression || (planned.field && Text::SameText(*text, planned.fieldName)))
            value = Variant::Null();
}

bool TVxImportBaseComponent::ProcessPlannedRow(std::vector<Variant> &values)
{
    const int slots = std::min(count(RowValues), static_cast<int>(values.size()));
    for (int i = 0; i < slots; ++i)
        Slot(i)[2] = std::move(values[static_cast<std::size_t>(i)]);
    CurrentFieldIndex = -1;
    return FinishRowValues();
}

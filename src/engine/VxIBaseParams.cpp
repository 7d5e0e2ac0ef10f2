// Parameters asked for before a run.

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

// ---------------------------------------------------------------- parameters

bool TVxImportBaseComponent::AskParameters()
{
    std::vector<TVxIParameterPrompt> prompts;
    std::vector<TVxIParameter *> asked;
    for (int i = 0; i < Parameters.Count(); ++i) {
        TVxIParameter &p = Parameters[i];
        if (p.Expression.empty())
            p.Value = Variant::Null();
        else if (p.ParameterMode == TVxIParameterMode::ipmAsk)
            p.Value = Variant(p.Expression);
        else
            EvaluateExpression(Variant(p.Expression), -1, p.Value);
        if (p.ParameterMode == TVxIParameterMode::ipmCalculate)
            continue;

        TVxIParameterPrompt &prompt = prompts.emplace_back();
        prompt.Caption = p.Caption;
        prompt.Description = p.Description;
        prompt.Editor = p.ParameterEditor;
        switch (p.ParameterEditor) {
        case TVxIParameterEditor::ipeEdit:
        case TVxIParameterEditor::ipeMemo: prompt.Text = p.Value.IsArray() ? "" : p.Value.AsString(); break;
        case TVxIParameterEditor::ipeCheckBox:
            if (!p.Value.IsNullOrEmpty()) {
                try {
                    prompt.Checked = p.Value.AsString() == ImpTexts().True || p.Value.AsBoolean();
                } catch (const std::exception &) {
                    prompt.Checked = false;
                }
            }
            break;
        case TVxIParameterEditor::ipeCombobox:
        case TVxIParameterEditor::ipeListBox: {
            prompt.Items = p.ParamPromptValues.Lines();
            const TVarType t = p.Value.VarType();
            if (p.Value.IsNullOrEmpty())
                prompt.ItemIndex = 0;
            else if (t == TVarType::varSmallint || t == TVarType::varInteger)
                prompt.ItemIndex = p.Value.AsInteger();
            else {
                const auto it = std::find(prompt.Items.begin(), prompt.Items.end(), p.Value.AsString());
                prompt.ItemIndex = it == prompt.Items.end() ? -1 : static_cast<int>(it - prompt.Items.begin());
            }
            break;
        }
        }
        asked.push_back(&p);
    }
    if (prompts.empty())
        return true;
    if (!HostRef().PromptParameters(ImpTexts().ParameterProperties, prompts))
        return false;
    bool complete = true;
    for (std::size_t i = 0; i < asked.size(); ++i) {
        const TVxIParameterPrompt &prompt = prompts[i];
        std::string text;
        switch (prompt.Editor) {
        case TVxIParameterEditor::ipeEdit:
        case TVxIParameterEditor::ipeMemo: text = prompt.Text; break;
        case TVxIParameterEditor::ipeCheckBox: text = prompt.Checked ? ImpTexts().True : ImpTexts().False; break;
        default:
            if (prompt.ItemIndex >= 0 && prompt.ItemIndex < static_cast<int>(prompt.Items.size()))
                text = prompt.Items[static_cast<std::size_t>(prompt.ItemIndex)];
        }
        asked[i]->Value = Variant(text);
        // A required parameter left blank has no value, whatever the editor gave back.
        if (asked[i]->Required && text.empty())
            complete = false;
    }
    return complete;
}

#pragma once

#include <cstddef>
#include <string_view>

#include "values/Variant.h"

// The arguments of a built-in call, evaluated only when a function reads them, so that
// IIF evaluates just the branch it takes.
class TBuiltinArgs {
public:
    virtual ~TBuiltinArgs() = default;
    virtual std::size_t Count() const = 0;
    // Evaluates argument i; a position the call did not give raises the list-index error.
    Variant operator[](std::size_t i) const;

protected:
    virtual Variant EvaluateAt(std::size_t i) const = 0;
};

using TBuiltinFunction = Variant (*)(const TBuiltinArgs &args);

// The built-in function of that name (ignoring case), or nullptr. GETDATE is not among
// them: it is a name, written without parentheses.
TBuiltinFunction FindBuiltin(std::string_view name);

// The current local date and time.
Variant CurrentDateTime();

#include "CommandLine.h"

#include <algorithm>
#include <cstring>

TCommandLine::TCommandLine(const std::vector<Option> &known, int argc, const char *const *argv)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0)
            throw EUsageError("unexpected argument: " + arg);
        std::string name = arg.substr(2);
        std::string value;
        bool inlineValue = false;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.erase(eq);
            inlineValue = true;
        }
        const auto option = std::find_if(known.begin(), known.end(), [&](const Option &o) { return name == o.name; });
        if (option == known.end())
            throw EUsageError("unknown option: --" + name);
        if (values_.count(name))
            throw EUsageError("option given twice: --" + name);
        if (option->takesValue && !inlineValue) {
            if (i + 1 >= argc)
                throw EUsageError("option --" + name + " needs a value");
            value = argv[++i];
        } else if (!option->takesValue && inlineValue) {
            throw EUsageError("option --" + name + " takes no value");
        }
        values_[name] = value;
    }
}

std::string TCommandLine::Value(const std::string &name, const std::string &fallback) const
{
    const auto it = values_.find(name);
    return it == values_.end() ? fallback : it->second;
}

int TCommandLine::IntValue(const std::string &name, int fallback) const
{
    if (!Has(name))
        return fallback;
    const std::string text = Value(name);
    char *end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < INT32_MIN || n > INT32_MAX)
        throw EUsageError("option --" + name + " needs a whole number, not \"" + text + "\"");
    return static_cast<int>(n);
}

std::string TCommandLine::Required(const std::string &name) const
{
    if (!Has(name))
        throw EUsageError("option --" + name + " is required");
    return Value(name);
}

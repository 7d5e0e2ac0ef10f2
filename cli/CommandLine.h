#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// Raised for arguments the runner cannot use; the text says which.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parsed arguments: "--name value" options and "--name" switches, each at most once.
class TCommandLine {
public:
    struct Option {
        const char *name;
        bool takesValue;
    };

    TCommandLine(const std::vector<Option> &known, int argc, const char *const *argv);

    bool Has(const std::string &name) const { return values_.count(name) != 0; }
    std::string Value(const std::string &name, const std::string &fallback = {}) const;
    // An integer option; raises EUsageError when it is not one.
    int IntValue(const std::string &name, int fallback) const;
    std::string Required(const std::string &name) const;

private:
    std::map<std::string, std::string> values_;
};

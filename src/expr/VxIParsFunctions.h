#pragma once

#include <memory>
#include <string>
#include <vector>

#include "values/Variant.h"

class TVxIParser;
class TExpTree;

// A user-defined function written as NAME(param, ...)=body, or NAME=body for a constant.
class TVxIParserFunction {
public:
    // Parses the definition, raising the function-definition errors. A definition without
    // "=" defines nothing: the function gets no name and is never found.
    explicit TVxIParserFunction(const std::string &definition, TVxIParser *owner = nullptr);
    ~TVxIParserFunction();
    TVxIParserFunction(const TVxIParserFunction &) = delete;
    TVxIParserFunction &operator=(const TVxIParserFunction &) = delete;

    // Names in the body that are no parameter go to this parser; with none they are text.
    TVxIParser *Owner() const { return owner_; }
    const std::string &Definition() const { return definition_; }
    const std::string &Name() const { return name_; }
    const std::string &Body() const { return body_; }
    int ParamCount() const { return static_cast<int>(paramNames_.size()); }
    const std::vector<std::string> &ParamNames() const { return paramNames_; }
    // Index of the parameter of that name (ignoring case), or -1.
    int ParamIndex(const std::string &name) const;

    // Where the expression builder lists the function.
    std::string Category;
    std::string Group;

    // Evaluates the body with these argument values (parameter i is args[i], Empty beyond).
    Variant Call(const std::vector<Variant> &args) const;

private:
    void Parse();
    std::shared_ptr<const TExpTree> BodyTree() const;

    TVxIParser *owner_;
    std::string definition_;
    std::string name_;
    std::string body_;
    std::vector<std::string> paramNames_;
    mutable std::shared_ptr<const TExpTree> bodyTree_; // compiled on the first call
};

// The process-wide list of user-defined functions.
class TVxIParserFunctions {
public:
    // Creates the function from its definition and appends it; raises on a bad definition.
    TVxIParserFunction *Add(const std::string &definition, const std::string &category = {},
                            const std::string &group = {});
    void Delete(int index);                     // raises std::out_of_range for an index outside the list
    TVxIParserFunction *Items(int index) const; // nullptr outside the list
    int Count() const { return static_cast<int>(items_.size()); }
    // The first function whose name equals name ignoring case, or nullptr.
    TVxIParserFunction *FindByName(const std::string &name) const;
    // As FindByName, keeping the function alive while a caller evaluates it.
    std::shared_ptr<const TVxIParserFunction> FindShared(const std::string &name) const;

private:
    const std::shared_ptr<TVxIParserFunction> *Find(const std::string &name) const;

    std::vector<std::shared_ptr<TVxIParserFunction>> items_;
};

// The process-wide list, created on first use with SQR1(x)=x*x, SQRT1(x)=x^(1/2) and PI=3.14.
// Assign to it to start from a known list (DefaultParserFunctions() for the first one).
TVxIParserFunctions &ParserFunctions();
// A new list holding just the three built-in functions above.
TVxIParserFunctions DefaultParserFunctions();

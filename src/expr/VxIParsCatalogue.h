#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the expression builder offers: constants, operators, built-in functions and the
// engine's variables, in groups. Kept as data so that the window only presents it.

// Kind numbers; kind 0 holds the source columns and datasets, which the builder adds itself.
enum TVxICatalogueKind : int { ckDataSources = 0, ckConstants = 1, ckOperators = 2, ckFunctions = 3, ckVariables = 4 };

struct TVxICatalogueGroup {
    int Code; // kind * 10000 + position of the group within its kind
    std::string Name;

    int Kind() const { return Code / 10000; }
};

struct TVxICatalogueEntry {
    int Code;                // the code of its group
    std::string Text;        // inserted into the expression; may hold argument placeholders
    std::string Display;     // shown as a hint; same placeholders; may be empty
    std::string Description; // may be empty
};

// Argument placeholders: %n number, %s string, %d date-time, %b Boolean, %a any value.
// All texts are user-interface texts in English; a translation replaces them at start-up.
struct TVxIExprCatalogue {
    std::vector<std::string> KindNames; // indexed by TVxICatalogueKind
    std::vector<TVxICatalogueGroup> Groups;
    std::vector<TVxICatalogueEntry> Entries;
    std::string NumberWord = "number";
    std::string BooleanWord = "boolean";
    std::string DateTimeWord = "datetime";
    std::string StringWord = "string";

    const std::string &KindName(int kind) const;  // empty for an unknown kind
    const std::string &GroupName(int code) const; // empty for an unknown code
    // Replaces %n, %b, %d and %s by their words from left to right; the first "%" followed
    // by anything else stops the replacing and stays, with the rest, as it is.
    std::string ExpandPlaceholders(std::string_view text) const;
};

TVxIExprCatalogue &ExprCatalogue();

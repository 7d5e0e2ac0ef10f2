#pragma once

#include <string>

// A source column name as it is written into an expression: in brackets when it holds a
// blank, "/" or "-" (and does not start with a bracket or a quote already).
std::string BracketSourceName(const std::string &name);
// The name inside brackets or double quotes, for comparisons.
std::string UnbracketSourceName(const std::string &name);

#include "wizard/SourceNames.h"

// A name with a blank, "/" or "-" is written in brackets where it becomes an expression.
std::string BracketSourceName(const std::string &name)
{
    if (!name.empty() && (name.front() == '"' || name.front() == '['))
        return name;
    if (name.find_first_of(" /-") == std::string::npos)
        return name;
    return "[" + name + "]";
}

std::string UnbracketSourceName(const std::string &name)
{
    if (name.size() >= 2 &&
        ((name.front() == '[' && name.back() == ']') || (name.front() == '"' && name.back() == '"')))
        return name.substr(1, name.size() - 2);
    return name;
}

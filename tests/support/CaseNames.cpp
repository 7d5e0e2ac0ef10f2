#include "CaseNames.h"

std::string FileCaseName(const std::string &path)
{
    std::string name = path.substr(path.find_last_of('/') + 1);
    for (char &c : name) {
        const bool letterOrDigit = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!letterOrDigit)
            c = '_';
    }
    return name;
}

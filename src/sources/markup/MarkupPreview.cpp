#include "sources/markup/MarkupPreview.h"

std::vector<std::string> SplitColumnList(const std::string &text)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(';', start);
        names.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return names;
        start = end + 1;
    }
}

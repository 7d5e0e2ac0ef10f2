#include "ByteText.h"

std::string LE32Text(std::uint32_t value)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    return s;
}

std::string BE32Text(std::uint32_t value)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[static_cast<std::size_t>(i)] = static_cast<char>(value >> (24 - 8 * i));
    return s;
}

std::string ByteText(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s += static_cast<char>(b);
    return s;
}

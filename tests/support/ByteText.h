#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

// Field values and file pieces spelled byte by byte, for the table builders and the
// tests that hand them raw records.
std::string LE32Text(std::uint32_t value);
std::string BE32Text(std::uint32_t value);
std::string ByteText(std::initializer_list<int> bytes);

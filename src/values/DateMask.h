#pragma once

#include <string_view>

// Reads a date, a time or both from a text laid out as a mask such as "DD/MM/YYYY HH:NN:SS"
// (letters D, M, Y, H, N, S; blanks, "/", ":" and the two given separators separate).
// Returns 0 when neither a date nor a time was read. Raises EVariantError for an
// impossible date or time and for non-digits in a numeric part.
double ParseDateTimeByMask(std::string_view text, std::string_view mask, char dateSeparator, char timeSeparator);

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Whole files. A file that cannot be read reads as nothing, so that a missing file fails
// the comparison that follows rather than the helper; a file that cannot be written throws.
std::vector<std::uint8_t> ReadBytes(const std::string &path);
std::string ReadFile(const std::string &path);
void WriteFile(const std::string &path, const std::string &content);
void WriteFile(const std::string &path, const std::vector<std::uint8_t> &bytes);

// Damaged copies of a file's bytes. Where the damage goes is each robustness test's own
// choice: its fixed sequence of places is what makes a failure repeatable.

// The first `length` bytes, or all of them when there are fewer.
std::vector<std::uint8_t> CutCopy(const std::vector<std::uint8_t> &bytes, std::size_t length);
// The bytes with bit `bit` (0 the lowest) of the byte at `at` inverted.
std::vector<std::uint8_t> FlippedCopy(const std::vector<std::uint8_t> &bytes, std::size_t at, int bit);
// About `cuts` copies cut short at even steps, then about `flips` with one bit inverted at
// even steps (bit at % 8 of the byte at `at`).
std::vector<std::vector<std::uint8_t>> DamagedCopies(const std::vector<std::uint8_t> &bytes, std::size_t cuts,
                                                     std::size_t flips);

#pragma once

#include <string>
#include <string_view>
#include <vector>

// Lines of text, with the name=value view that mappings, parameters and settings use:
// the name is the text before the first "=", looked up without regard to case.
class TStringList {
public:
    TStringList() = default;
    TStringList(std::initializer_list<std::string> lines) : lines_(lines) {}

    int Count() const { return static_cast<int>(lines_.size()); }
    bool Empty() const { return lines_.empty(); }
    const std::string &operator[](int i) const { return lines_.at(static_cast<std::size_t>(i)); }
    std::string &operator[](int i) { return lines_.at(static_cast<std::size_t>(i)); }
    void Add(std::string line) { lines_.push_back(std::move(line)); }
    void Insert(int i, std::string line) { lines_.insert(lines_.begin() + i, std::move(line)); }
    void Delete(int i) { lines_.erase(lines_.begin() + i); }
    void Clear() { lines_.clear(); }
    const std::vector<std::string> &Lines() const { return lines_; }
    void Assign(const TStringList &other) { lines_ = other.lines_; }

    // The lines, each followed by CR LF.
    std::string Text() const;
    // Splits at CR LF, CR or LF; a final line break adds no empty line.
    void SetText(std::string_view text);

    std::string Names(int i) const;          // "" for a line without "="
    std::string ValueFromIndex(int i) const; // the text after the first "="
    int IndexOfName(std::string_view name) const;
    std::string Values(std::string_view name) const;
    void SetValue(std::string_view name, const std::string &value); // an empty value removes the line

    bool operator==(const TStringList &other) const { return lines_ == other.lines_; }

private:
    std::vector<std::string> lines_;
};

// Small text helpers used across the engine.
namespace Text {
std::string Upper(std::string_view s); // ASCII upper case
std::string Lower(std::string_view s);
std::string Trim(std::string_view s); // blanks and control characters at both ends
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
std::string_view TrimmedView(std::string_view s);      // as Trim, without a copy
bool SameText(std::string_view a, std::string_view b); // equal ignoring ASCII case
} // namespace Text

#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace sources {

class TCodePageDecoder;

// Text of a table: UTF-8 when the table names its code page, the bytes as they are when
// it does not (the connection's character set then says what they are).
class TTableText {
public:
    TTableText();
    ~TTableText();
    TTableText(const TTableText &) = delete;
    TTableText &operator=(const TTableText &) = delete;

    // A Windows or DOS code page number; 0, or one iconv does not know, passes bytes through.
    void SetCodePage(int codePage);
    int CodePage() const { return codePage_; }
    std::string Decode(std::span<const std::uint8_t> bytes) const;
    std::string Decode(const std::string &bytes) const;

private:
    std::unique_ptr<sources::TCodePageDecoder> decoder_;
    int codePage_ = 0;
};

} // namespace sources

#include "engine/VxIConvert.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(DecodeHTMLEntities, ReplacesInOrderAndRepeatedly)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a &amp; b", "a & b"},
        {"&amp;lt;", "<"},
        {"x&nbsp;y&nbspz", "xyz"},
        {"&quot;q&#34;&#039;", "\"q\"'"},
        {"10&deg;C", "10\xC2\xB0"
                     "C"},
        {"l1&#010;l2&#xd", "l1\nl2\r"},
        {"&AMP;", "&AMP;"}, // case matters
        {"&amp", "&"},
        {"&amp;amp;amp;", "&"},   // each replacement that makes the entity again is replaced too
        {"&nb&nbsp;sp;.", "."},   // also one that closes over text before it
        {"&am&amp;p;", "&am&p;"}, // but nothing else
    };
    for (auto [in, out] : cases) {
        DecodeHTMLEntities(in);
        EXPECT_EQ(in, out);
    }
}

TEST(DecodeBase64, WholeGroupsOnly)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"SGVsbG8=", "Hello"}, {"SGk=", "Hi"}, {"SGVs", "Hel"}, {"SGVsbG8", "Hel"}, {"SG", ""}, {"====", ""}, {"", ""},
    };
    for (const auto &[in, out] : cases)
        EXPECT_EQ(DecodeBase64(in), out) << in;
}

TEST(CharacterSets, OemAndEbcdicToReadableText)
{
    EXPECT_EQ(ConvertFromOEM("caf\x82 \x9c"
                             "5"),
              "caf\xC3\xA9 \xC2\xA3"
              "5"); // é and £ from code page 850
    EXPECT_EQ(ConvertFromEBCDIC("\xC8\x85\x93\x93\x96\x40\xF1\xF2\x4B\x5A"), "Hello 12.!");
    EXPECT_EQ(ConvertFromEBCDIC(std::string("\x0A\x4A", 2)), "\n?");
}

} // namespace

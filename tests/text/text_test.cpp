#include "text/text.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace velmora::text {
namespace {

std::vector<std::string> members_of(const TextList& list) {
  std::vector<std::string> out;
  for (std::int32_t k = 1; k <= list.count(); ++k) out.emplace_back(list.member(k));
  return out;
}

struct SplitCase {
  std::string text;
  std::optional<std::string> delimiter;  // nullopt: the default ","
  std::optional<std::int32_t> max_count;
  std::vector<std::string> expected;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
  *os << ::testing::PrintToString(c.text) << " at "
      << ::testing::PrintToString(c.delimiter.value_or("(default)"));
  if (c.max_count) *os << " max " << *c.max_count;
}

class SplitText : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitText, GivesExactlyTheseMembers) {
  const SplitCase& c = GetParam();
  TextList list;
  if (!c.delimiter) {
    list = split_text(c.text);
  } else if (!c.max_count) {
    list = split_text(c.text, *c.delimiter);
  } else {
    list = split_text(c.text, *c.delimiter, *c.max_count);
  }
  EXPECT_EQ(members_of(list), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeRules, SplitText,
    ::testing::Values(
        SplitCase{"", ",", {}, {}}, SplitCase{"a,b", ",", 0, {}}, SplitCase{"a,b", ",", -3, {}},
        SplitCase{",", ",", {}, {""}}, SplitCase{",,", ",", {}, {"", ""}},
        SplitCase{",a,,b,", ",", {}, {"", "a", "", "b"}}, SplitCase{"a,b,", ",", {}, {"a", "b"}},
        SplitCase{"a,b", ",", {}, {"a", "b"}}, SplitCase{"abc", ",", {}, {"abc"}},
        SplitCase{"abc", "", {}, {"abc"}}, SplitCase{"aaaa", "aa", {}, {"", ""}},
        SplitCase{"aaa", "aa", {}, {"", "a"}}, SplitCase{"ab", "abc", {}, {"ab"}},
        SplitCase{"abc", "abc", {}, {""}}, SplitCase{"a,b,c", {}, {}, {"a", "b", "c"}},
        SplitCase{"a,b,c", ",", 1, {"a"}}, SplitCase{"a,b,c", ",", 2, {"a", "b"}},
        SplitCase{"a,b,c", ",", 3, {"a", "b", "c"}}, SplitCase{"a,b,c", ",", 4, {"a", "b", "c"}},
        SplitCase{",a,b", ",", 1, {""}}, SplitCase{"a,,b", ",", 2, {"a", ""}},
        SplitCase{"AbA", "a", {}, {"AbA"}},
        // The two-byte rule: no match starts at the second byte of a character.
        SplitCase{"A\xB5\\\\B", "\\\\", {}, {"A\xB5\\\\B"}},
        SplitCase{"a\x80,b", ",", {}, {"a\x80,b"}}, SplitCase{"a,b\xC4", ",", {}, {"a", "b\xC4"}},
        SplitCase{"\xB5\xB5\\\\x", "\\\\", {}, {"\xB5\xB5", "x"}},
        SplitCase{"\xB5\\\xB5\\\\\\x", "\\\\", {}, {"\xB5\\\xB5\\", "x"}},
        SplitCase{"\xCE\xC4\xBC\xFE\xC3\xFB:a.txt\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1:1",
                  "\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1:",
                  {},
                  {"\xCE\xC4\xBC\xFE\xC3\xFB:a.txt", "1"}},
        // A lead-byte delimiter inside a long run of two-byte characters.
        SplitCase{"\xCE\xCE\xCE\xC4\xCE\xC4", "\xCE\xC4", {}, {"\xCE\xCE", ""}}));

TEST(SplitText, MatchesAByteByByteWalkOnMixedText) {
  // A reference walk that follows the rule literally, over a text mixing all kinds of bytes.
  auto reference = [](std::string_view text, std::string_view delim) {
    std::vector<std::string> out;
    std::size_t start = 0, pos = 0;
    while (text.size() - pos >= delim.size()) {
      if (text.substr(pos, delim.size()) == delim) {
        out.emplace_back(text.substr(start, pos - start));
        pos += delim.size();
        start = pos;
      } else {
        pos += (static_cast<unsigned char>(text[pos]) >= 0x80 && pos + 1 < text.size()) ? 2 : 1;
      }
    }
    if (start < text.size()) out.emplace_back(text.substr(start));
    return out;
  };
  std::string text;
  std::uint32_t seed = 12345;
  const char alphabet[] = {',', 'a', '\\', '\x80', '\xB5', '\xCE', '\xC4', '\xFF', ':'};
  for (int i = 0; i < 20000; ++i) {
    seed = seed * 1103515245u + 12345u;
    text.push_back(alphabet[(seed >> 16) % sizeof alphabet]);
  }
  for (std::string_view delim : {",", "\\\\", "\xC4,", "\xCE\xC4", "a,a"}) {
    EXPECT_EQ(members_of(split_text(text, delim)), reference(text, delim)) << delim;
  }
}

TEST(TextMid, ClipsAndRejectsAsStated) {
  struct Case {
    std::string text;
    std::int32_t start, length;
    std::string expected;
  };
  const Case cases[] = {
      {"hello", 1, 2, "he"},
      {"hello", 5, 1, "o"},
      {"hello", 2, 100, "ello"},
      {"hello", 1, 5, "hello"},
      {"hello", 0, 2, ""},
      {"hello", -1, 3, ""},
      {"hello", 6, 1, ""},
      {"hello", 2, 0, ""},
      {"hello", 2, -1, ""},
      {"", 1, 1, ""},
      {"\xCE\xC4\xBC\xFE", 2, 2, "\xC4\xBC"},
      {"hello", 2, 2147483647, "ello"},
      {"hello", -2147483647 - 1, 5, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(text_mid(c.text, c.start, c.length), c.expected)
        << c.text << " from " << c.start << " for " << c.length;
  }
}

TEST(TextRight, ClipsAsStated) {
  struct Case {
    std::string text;
    std::int32_t n;
    std::string expected;
  };
  const Case cases[] = {
      {"hello", 2, "lo"}, {"hello", 5, "hello"}, {"hello", 9, "hello"},          {"hello", 0, ""},
      {"hello", -3, ""},  {"", 1, ""},           {"\xCE\xC4\xBC\xFE", 1, "\xFE"}};
  for (const Case& c : cases) EXPECT_EQ(text_right(c.text, c.n), c.expected) << c.text << c.n;
}

TEST(TextLength, CountsBytes) {
  EXPECT_EQ(text_length(""), 0);
  EXPECT_EQ(text_length("abc"), 3);
  EXPECT_EQ(text_length("\xCE\xC4\xBC\xFE\xC3\xFB:"), 7);
}

TEST(NumberToText, CoversTheWhole32BitRange) {
  const std::pair<std::int32_t, std::string> cases[] = {{0, "0"},
                                                        {7, "7"},
                                                        {-12, "-12"},
                                                        {2147483647, "2147483647"},
                                                        {-2147483647 - 1, "-2147483648"}};
  for (const auto& [value, expected] : cases) EXPECT_EQ(number_to_text(value), expected);
}

TEST(BytesToText, EndsAtTheFirstZeroByte) {
  const std::pair<ByteSet, std::string> cases[] = {
      {{0x61, 0x62, 0x00, 0x63, 0x64}, "ab"},
      {{0x00, 0x61, 0x62, 0x63}, ""},
      {{}, ""},
      {{0xCE, 0xC4, 0xBC, 0xFE}, "\xCE\xC4\xBC\xFE"},
  };
  for (const auto& [bytes, expected] : cases) EXPECT_EQ(bytes_to_text(bytes), expected);
}

TEST(ConcatText, JoinsInOrderAndSkipsEmptyParts) {
  const Text missing;
  EXPECT_EQ(concat_text(Text("a"), "b"), "ab");
  EXPECT_EQ(concat_text(missing, "\r\n"), "\r\n");
  EXPECT_EQ(concat_text(missing, missing), "");
  EXPECT_EQ(concat_text("x", missing, "yz", "", "!"), "xyz!");
}

TEST(TextList, GrowsByAppendAndStopsOutsideItsMembers) {
  TextList ids("share ids");
  EXPECT_EQ(count(ids), 0);
  {
    Text seven = "7";
    append(ids, seven);
    seven = "changed";
  }
  append(ids, "");
  EXPECT_EQ(count(ids), 2);
  EXPECT_EQ(member(ids, 1), "7");
  EXPECT_EQ(member(ids, 2), "");
  for (std::int32_t k : {0, 3, -1}) {
    try {
      (void)member(ids, k);
      ADD_FAILURE() << "member " << k << " did not stop";
    } catch (const MissingMember& stop) {
      EXPECT_EQ(stop.list_label(), "share ids");
      EXPECT_EQ(stop.requested(), k);
      EXPECT_EQ(stop.count(), 2);
      EXPECT_NE(std::string(stop.what()).find("share ids"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace velmora::text

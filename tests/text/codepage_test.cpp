#include "text/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace velmora::text {
namespace {

std::span<const unsigned char> bytes_of(std::string_view s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

std::string hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    if (!out.empty()) out += ' ';
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

std::string units(std::u16string_view text) {
  std::string out;
  for (char16_t u : text) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%s%04X", out.empty() ? "" : " ", static_cast<unsigned>(u));
    out += buf;
  }
  return out;
}

struct EncodeCase {
  std::u16string unicode;
  std::string ansi;
};

void PrintTo(const EncodeCase& c, std::ostream* os) {
  *os << units(c.unicode);
}

class UnicodeToAnsi : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(UnicodeToAnsi, GivesWindowsBytesWithBestFitAndQuestionMarks) {
  EXPECT_EQ(hex(unicode_to_ansi(GetParam().unicode)), hex(GetParam().ansi));
}

INSTANTIATE_TEST_SUITE_P(
    Cp936, UnicodeToAnsi,
    ::testing::Values(
        EncodeCase{u"", ""}, EncodeCase{u"abc", "abc"},
        EncodeCase{u"\u6587\u4EF6\u540D:", "\xCE\xC4\xBC\xFE\xC3\xFB:"},
        // Best fit: capital pinyin letters fold to the GB2312 lowercase, others to ASCII.
        EncodeCase{u"\u00C0\u00C9\u00DC\u0100", "\xA8\xA4\xA8\xA6\xA8\xB9\xA8\xA1"},
        EncodeCase{u"\u00E2\u00FD", "ay"},
        EncodeCase{u"\u00A5\u00A2\u00A3\u00B5", "\xA3\xA4\xA1\xE9\xA1\xEA\xA6\xCC"},
        // No best fit: "?", and the text goes on.
        EncodeCase{u"\u00E4\u00E7\u00F1\u00A0x", "????x"}, EncodeCase{u"\uFF61\uFF9F", "??"},
        // ICU maps these five to control bytes; Windows gives "?".
        EncodeCase{u"\uFFE9\uFFEA\uFFEB\uFFEC\uFFED\uFFEEz", "??????z"},
        EncodeCase{u"\u20AC", "\x80"}, EncodeCase{u"\uF8F5", "\xFF"},
        EncodeCase{u"\uFF01\uFF21\uFF5E", "\xA3\xA1\xA3\xC1\xA1\xAB"},
        // Unpaired surrogates and characters beyond the BMP: one "?" each.
        EncodeCase{u"a\xD800"
                   u"b\xDC00"
                   u"c",
                   "a?b?c"},
        EncodeCase{u"x\xD800", "x?"}, EncodeCase{u"\U0001F600!", "?!"}, EncodeCase{u"\uFFFD", "?"},
        // A text ends at its first zero.
        EncodeCase{std::u16string(u"ab\0cd", 5), "ab"}));

TEST(Utf8ToAnsi, ConvertsValidTextAndReplacesInvalidBytesWithQuestionMarks) {
  EXPECT_EQ(hex(utf8_to_ansi("\xE6\x96\x87\xE4\xBB\xB6\xE5\x90\x8D:")),
            hex("\xCE\xC4\xBC\xFE\xC3\xFB:"));
  EXPECT_EQ(utf8_to_ansi("a\xC3(b\xE6\x96"), "a?(b?");
  EXPECT_EQ(utf8_to_ansi(std::string_view("a\0b", 3)), "a");
}

TEST(UnicodeToAnsi, FullWidthAsciiRoundTrips) {
  for (char16_t u = 0xFF01; u <= 0xFF5E; ++u) {
    const Text ansi = unicode_to_ansi(std::u16string(1, u));
    ASSERT_EQ(ansi.size(), 2u) << units(std::u16string(1, u));
    EXPECT_EQ(ansi_to_unicode(ansi), std::u16string(1, u));
  }
}

struct DecodeCase {
  std::string ansi;
  std::u16string unicode;
};

void PrintTo(const DecodeCase& c, std::ostream* os) {
  *os << hex(c.ansi);
}

class AnsiToUnicode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(AnsiToUnicode, DecodesAndReplacesInvalidSequences) {
  EXPECT_EQ(units(ansi_to_unicode(GetParam().ansi)), units(GetParam().unicode));
}

INSTANTIATE_TEST_SUITE_P(
    Cp936, AnsiToUnicode,
    ::testing::Values(DecodeCase{"", u""},
                      DecodeCase{"\xCE\xC4\xBC\xFE\xC3\xFB:", u"\u6587\u4EF6\u540D:"},
                      DecodeCase{"\x80", u"\u20AC"}, DecodeCase{"\xFF", u"\uF8F5"},
                      DecodeCase{"\xA3\xA1", u"\uFF01"},
                      // A lead byte without a valid trail: U+FFFD, the next byte read again.
                      DecodeCase{"\x81 x", u"\uFFFD x"}, DecodeCase{"\xA1\x7F", u"\uFFFD\x7F"},
                      DecodeCase{"ab\x81", u"ab\uFFFD"},
                      // Four-byte GB18030 sequences are not 936.
                      DecodeCase{"\x81\x30\x81\x30", u"\uFFFD0\uFFFD0"},
                      DecodeCase{std::string("a\0b", 3), std::u16string(u"a\0b", 3)}));

TEST(AnsiToUtf8, ConvertsLongChineseTextCompletely) {
  // Three UTF-8 bytes for every two input bytes: the output outgrows a first guess.
  std::string ansi, utf8;
  for (int i = 0; i < 20000; ++i) {
    ansi += "\xCE\xC4";
    utf8 += "\xE6\x96\x87";
  }
  ansi += "\x81";
  utf8 += "\xEF\xBF\xBD";
  EXPECT_EQ(ansi_to_utf8(ansi), utf8);
}

struct BodyCase {
  const char* what;
  std::string body;
  std::string charset;
  std::u16string decoded;
};

void PrintTo(const BodyCase& c, std::ostream* os) {
  *os << c.what;
}

class DecodeBody : public ::testing::TestWithParam<BodyCase> {};

TEST_P(DecodeBody, ReadsCharsetThenMarkThenUtf8) {
  const BodyCase& c = GetParam();
  EXPECT_EQ(units(decode_body(bytes_of(c.body), c.charset)), units(c.decoded));
}

INSTANTIATE_TEST_SUITE_P(
    Charsets, DecodeBody,
    ::testing::Values(
        BodyCase{"empty", "", "", u""}, BodyCase{"utf-8 named", "\xE6\x96\x87", "utf-8", u"\u6587"},
        BodyCase{"name case ignored", "\xCE\xC4", "GbK", u"\u6587"},
        BodyCase{"gb2312 read as 936", "\x81\x40\xA1\xA4", "gb2312", u"\u4E02\u00B7"},
        BodyCase{"gb18030", "\x81\x30\x81\x30", "GB18030", u"\u0080"},
        BodyCase{"big5", "\xA4\xA4", "big5", u"\u4E2D"},
        BodyCase{"latin-1", "\xE9", "iso-8859-1", u"\u00E9"},
        BodyCase{"utf-16 with its mark",
                 std::string("\xFF\xFE"
                             "a\0",
                             4),
                 "utf-16", u"a"},
        BodyCase{"utf-16 keeps a second mark", std::string("\xFE\xFF\xFE\xFF", 4), "UTF-16",
                 u"\uFEFF"},
        BodyCase{"utf-16le named, mark dropped",
                 std::string("\xFF\xFE"
                             "a\0",
                             4),
                 "utf-16le", u"a"},
        BodyCase{"utf-8 named, mark dropped", "\xEF\xBB\xBFok", "utf-8", u"ok"},
        BodyCase{"mark of another charset kept", "\xEF\xBB\xBF", "iso-8859-1",
                 u"\u00EF\u00BB\u00BF"},
        BodyCase{"named charset beats the mark", "\xFF\xFE", "utf-8", u"\uFFFD\uFFFD"},
        BodyCase{"single bad byte is U+FFFD in every table", "\xA0", "shift_jis", u"\uFFFD"},
        BodyCase{"no charset, utf-8 mark", "\xEF\xBB\xBF\xE6\x96\x87", "", u"\u6587"},
        BodyCase{"no charset, utf-16le mark", std::string("\xFF\xFEz\0", 4), "", u"z"},
        BodyCase{"no charset, utf-16be mark", std::string("\xFE\xFF\0z\0", 5), "", u"z\uFFFD"},
        BodyCase{"no charset, no mark: utf-8", "a\xC3(\xE6\x96", "", u"a\uFFFD(\uFFFD"},
        BodyCase{"unknown charset falls back", "\xEF\xBB\xBFok", "klingon-8", u"ok"},
        BodyCase{"path is no charset", "\xE6\x96\x87", "/tmp/x.cnv", u"\u6587"},
        BodyCase{"icu options are no charset", "\xCE\xC4", "gbk,swaplfnl", u"\uFFFD\uFFFD"},
        BodyCase{"padded name", "\xCE\xC4", " gbk ", u"\u6587"}));

TEST(Codepage, ConvertsOnSeveralThreadsAtOnce) {
  auto work = [] {
    for (int i = 0; i < 200; ++i) {
      if (unicode_to_ansi(u"\u6587\u00C0") != "\xCE\xC4\xA8\xA4") return false;
      if (decode_body(bytes_of("\xCE\xC4"), "gbk") != u"\u6587") return false;
    }
    return true;
  };
  std::vector<std::thread> threads;
  std::vector<char> ok(4, 0);
  for (std::size_t t = 0; t < ok.size(); ++t) threads.emplace_back([&, t] { ok[t] = work(); });
  for (auto& thread : threads) thread.join();
  for (char result : ok) EXPECT_TRUE(result);
}

}  // namespace
}  // namespace velmora::text

// The code-page contract: one table of vectors that both platforms' backends
// must give alike.
#include "text/codepage.h"

#include <gtest/gtest.h>

#include "text/text.h"

namespace {

Text Bytes8(const char8_t* s) { return Text(reinterpret_cast<const char*>(s)); }

struct Utf8Case {
  Text utf8;
  Text gbk;
};

// UTF-8 in, GBK out, through Utf8ToAnsi.
const Utf8Case kUtf8ToGbk[] = {
    {Bytes8(u8"中"), "\xD6\xD0"},
    {"abc", "abc"},
    {Bytes8(u8"€"), "\x80"},
    {Bytes8(u8"\u3000"), "\xA1\xA1"},
    {Bytes8(u8"\u2014"), "\xA1\xAA"},
    {Bytes8(u8"\u00B7"), "\xA1\xA4"},
    {Bytes8(u8"\u00A0"), "?"},
    {Bytes8(u8"😀"), "??"},                  // outside the BMP: two code units
    {Bytes8(u8"\uE000"), "\xAA\xA1"},        // user-defined area
    {Bytes8(u8"\uE234"), "\xF8\xA1"},
    {Bytes8(u8"\uE4C6"), "\xA1\x40"},
    {Bytes8(u8"\uF8F5"), "\xFF"},
    {Text("a\0b", 3), Text("a\0b", 3)},
    // Invalid UTF-8: one U+FFFD (so one "?") per maximal invalid subpart.
    {"\xE4\xB8", "?"},
    {"a\xF0\x9F\x98zz", "a?zz"},
    {"\xC0\xAF", "??"},
    {"\xFF\xFE", "??"},
    {"\x80x", "?x"},
    {"\xE4\xB8" "a", "?a"},
};

TEST(CodePage, Utf8ToAnsiTable) {
  for (const Utf8Case& c : kUtf8ToGbk) EXPECT_EQ(Utf8ToAnsi(c.utf8), c.gbk) << c.utf8;
}

struct GbkCase {
  Text gbk;
  std::u16string wide;
};

const GbkCase kGbkDecode[] = {
    {"\xD6\xD0", u"\u4E2D"},     {"\x80", u"\u20AC"},     {"\xA1\xAA", u"\u2014"},
    {"\x81\x40", u"\u4E02"},     {"\xAA\xA1", u"\uE000"}, {"\xAF\xFE", u"\uE233"},
    {"\xF8\xA1", u"\uE234"},     {"\xFE\xFE", u"\uE4C5"}, {"\xA1\x40", u"\uE4C6"},
    {"\xA1\x80", u"\uE505"},     {"\xA7\xA0", u"\uE765"}, {"\xFF", u"\uF8F5"},
    {"a\xD6", u"a?"},            {Text("\0", 1), std::u16string(1, u'\0')},
};

TEST(CodePage, GbkTable) {
  for (const GbkCase& c : kGbkDecode) {
    EXPECT_EQ(DecodeCodePage(CodePage::kGbk, c.gbk), c.wide) << c.gbk;
    EXPECT_EQ(EncodeCodePage(CodePage::kGbk, c.wide), c.gbk == "a\xD6" ? "a?" : c.gbk) << c.gbk;
  }
}

TEST(CodePage, GbkToUtf8RoundTrip) {
  const Text all = "中文 ABC　—€";
  EXPECT_EQ(GbkToUtf8(all), Bytes8(u8"中文 ABC\u3000\u2014€"));
  EXPECT_EQ(Utf8ToAnsi(GbkToUtf8(all)), all);
  EXPECT_EQ(GbkToUtf8(""), "");
  EXPECT_EQ(Utf8ToAnsi(""), "");
}

TEST(CodePage, LoneSurrogateBecomesReplacementInUtf8) {
  EXPECT_EQ(EncodeCodePage(CodePage::kUtf8, std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
  EXPECT_EQ(EncodeCodePage(CodePage::kGbk, std::u16string(1, u'\xD800')), "?");
}

TEST(CodePage, LargeTextConvertsWhole) {
  Text big;
  for (int i = 0; i < 100000; ++i) big += "中a";
  EXPECT_EQ(Utf8ToAnsi(GbkToUtf8(big)), big);
}

}  // namespace

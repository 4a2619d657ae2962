// Text primitives and the extraction and encoding helpers.
#include "text/text.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

// GBK bytes of a few characters, spelled out so that the tests do not depend
// on the compiler's execution character set alone.
const Text kZhong = "\xD6\xD0";       // 中
const Text kFullSpace = "\xA1\xA1";   // 　
const Text kSlashTrail = "\x81\x5C";  // a character whose second byte is "\"
const Text kBarTrail = "\x81\x7C";    // a character whose second byte is "|"

TEST(Primitives, LeftRightMid) {
  EXPECT_EQ(Left("abc", 2), "ab");
  EXPECT_EQ(Left("abc", 0), "");
  EXPECT_EQ(Left("abc", -1), "");
  EXPECT_EQ(Left("abc", 9), "abc");
  EXPECT_EQ(Right("abc", 2), "bc");
  EXPECT_EQ(Right("abc", 9), "abc");
  EXPECT_EQ(Right("abc", -3), "");
  EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Mid("abcdef", 5, 9), "ef");
  EXPECT_EQ(Mid("abcdef", 0, 2), "");
  EXPECT_EQ(Mid("abcdef", 7, 1), "");
  EXPECT_EQ(Mid("abcdef", 2, 0), "");
}

struct FindCase {
  Text text, what;
  std::optional<int> start;
  bool ignore_case;
  int expected;
};

TEST(Primitives, Find) {
  const FindCase cases[] = {
      {"banana", "a", 3, false, 4},
      {"banana", "a", std::nullopt, false, 2},
      {"banana", "a", -5, false, 2},
      {"banana", "x", 1, false, -1},
      {"banana", "", 1, false, 1},
      {"banana", "", 6, false, 6},
      {"banana", "", 7, false, -1},
      {"", "", 1, false, -1},
      {"banana", "NAN", 1, false, -1},
      {"banana", "NAN", 1, true, 3},
      {"ab", "abc", 1, false, -1},
      // The second byte of 81 5C is "\": it never starts a match.
      {kSlashTrail + "\\", "\\", 1, false, 3},
      {kSlashTrail, "\\", 1, false, -1},
      // A5 D6 D0 A5: the D6 D0 inside is not 中 but the end of one character
      // and the start of the next.
      {"\xA5\xD6\xD0\xA5", kZhong, 1, false, -1},
      {"\xA5\xD6\xD0\xA5", kZhong, 1, true, -1},
      {"x" + kZhong, kZhong, 1, false, 2},
      // The trail byte 0x41 ("A") is not folded: 81 41 does not match 81 61.
      {"\x81\x41", "\x81\x61", 1, true, -1},
      {Text("a\0b", 3), "b", 1, false, 3},
      // A lead byte at the very end.
      {"ab\xD6", "\xD6", 1, false, 3},
  };
  for (const FindCase& c : cases)
    EXPECT_EQ(Find(c.text, c.what, c.start, c.ignore_case), c.expected) << c.text << " / " << c.what;
}

TEST(Primitives, FindFromEnd) {
  EXPECT_EQ(FindFromEnd("banana", "a"), 6);
  EXPECT_EQ(FindFromEnd("banana", "an"), 4);
  EXPECT_EQ(FindFromEnd("banana", "x"), -1);
  EXPECT_EQ(FindFromEnd("aaa", "aa"), 2);
  EXPECT_EQ(FindFromEnd(kSlashTrail + kSlashTrail, "\\"), -1);
}

TEST(Primitives, Replace) {
  EXPECT_EQ(Replace("aXbXc", "X", Text("-"), std::nullopt, std::nullopt, true), "a-b-c");
  EXPECT_EQ(Replace("aXbXc", "X", std::nullopt, std::nullopt, std::nullopt, true), "abc");
  EXPECT_EQ(Replace("aXbXc", "X", Text("-"), 3, std::nullopt, true), "aXb-c");
  EXPECT_EQ(Replace("aXbXc", "X", Text("-"), std::nullopt, 1, true), "a-bXc");
  EXPECT_EQ(Replace("aXbXc", "X", Text("-"), std::nullopt, 0, true), "aXbXc");
  EXPECT_EQ(Replace("aXbXc", "x", Text("-"), std::nullopt, std::nullopt, true), "aXbXc");
  EXPECT_EQ(Replace("aXbXc", "x", Text("-"), std::nullopt, std::nullopt, false), "a-b-c");
  EXPECT_EQ(Replace("abc", "", Text("-"), std::nullopt, std::nullopt, true), "abc");
  // Inserted text is not scanned again.
  EXPECT_EQ(Replace("aa", "a", Text("aa"), std::nullopt, std::nullopt, true), "aaaa");
}

TEST(Primitives, Split) {
  EXPECT_EQ(Split("a,,b,", ","), (TextList{"a", "", "b"}));
  EXPECT_EQ(Split(",a", ","), (TextList{"", "a"}));
  EXPECT_EQ(Split("", ","), TextList{});
  EXPECT_EQ(Split("abc", ","), TextList{"abc"});
  EXPECT_EQ(Split("x\">y\">", "\">"), (TextList{"x", "y"}));
  EXPECT_EQ(Split(kBarTrail + "|a", "|"), (TextList{kBarTrail, "a"}));
}

TEST(Primitives, TrimLowerBytesHex) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim(kFullSpace + " x" + kFullSpace), "x");
  EXPECT_EQ(Trim("\nx\n"), "\nx\n");
  EXPECT_EQ(Trim("\tx "), "\tx");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(""), "");
  // B0 A1 is a character; the A1 A1 that ends "B0 A1 A1 A1" is a blank, but in
  // "B0 A1 A1" the last two bytes are not one character.
  EXPECT_EQ(Trim("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
  EXPECT_EQ(Trim("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
  EXPECT_EQ(ToLower("AbC-" + kZhong + "\x81\x41"), "abc-" + kZhong + "\x81\x41");
  EXPECT_EQ(BytesToText(Text("ab\0cd", 5)), "ab");
  EXPECT_EQ(ToHexText(0), "0");
  EXPECT_EQ(ToHexText(0xAB0F), "AB0F");
  EXPECT_EQ(IntToText(-12), "-12");
}

TEST(Primitives, TextToInt) {
  const std::pair<Text, int32_t> cases[] = {
      {"\xA3\xB1\xA3\xB2", 12},  // １２
      {"  42abc", 42},           {"-7", -7},
      {"+5", 5},                 {"abc", 0},
      {"", 0},                   {"\xA1\xA1\xA3\xAD\xA3\xB3", -3},  // 　－３
      {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN},
      {"1234.html", 1234},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(TextToInt(text), expected) << text;
}

TEST(Primitives, SleepHookTakesOverTheClock) {
  static std::atomic<int> slept{0};
  SetSleepHook([](int ms) { slept += ms; });
  SleepMs(1000);
  SleepMs(-5);
  SetSleepHook(nullptr);
  EXPECT_EQ(slept.load(), 1000);
}

struct BetweenCase {
  Text text, left, right;
  std::optional<int> start;
  bool ignore_case;
  Text expected;
};

TEST(Extraction, TextBetween) {
  const BetweenCase cases[] = {
      {"a[1]b[2]", "[", "]", std::nullopt, false, "1"},
      {"a[1", "[", "]", std::nullopt, false, ""},
      {"a[]b", "[", "]", std::nullopt, false, ""},
      // Only the first left marker counts.
      {"a[x b[2]", "[", "]", std::nullopt, false, "x b[2"},
      {"a<<1]]", "<<", "]", std::nullopt, false, "1"},
      {"<B>x</B>", "<b>", "</b>", std::nullopt, false, ""},
      {"<B>x</B>", "<b>", "</b>", std::nullopt, true, "x"},
      {"a[1]b[2]", "[", "]", 4, false, "2"},
      {"a[1]b[2]", "[", "]", 0, false, "1"},
      {"href=\"x\"", "href=#引号", "#引号", std::nullopt, false, "x"},
      {"  [ 1 ]", "[", "]", std::nullopt, false, " 1 "},
      {"", "[", "]", std::nullopt, false, ""},
      {"abc", "", "c", std::nullopt, false, "ab"},
      {"abc", "a", "", std::nullopt, false, ""},
      // A marker that is only the second byte of a character is not there.
      {kSlashTrail + "x\\y\\", "\\", "\\", std::nullopt, false, "y"},
      {"x" + kZhong, kZhong, "]", std::nullopt, false, ""},
  };
  for (const BetweenCase& c : cases)
    EXPECT_EQ(TextBetween(c.text, c.left, c.right, c.start, c.ignore_case), c.expected)
        << c.text << " " << c.left << " " << c.right;
}

TEST(Extraction, TextBetweenAllDefaults) {
  TextList list{"stale"};
  EXPECT_EQ(TextBetweenAll("a[1]b[ 2 ]c[]d[3", "[", "]", list), 2);
  EXPECT_EQ(list, (TextList{"1", "2"}));
  // Markers in another letter case are found by default, not when case must match.
  EXPECT_EQ(TextBetweenAll("<A>x</a><a>y</A>", "<a>", "</a>", list), 2);
  EXPECT_EQ(list, (TextList{"x", "y"}));
  TextBetweenAllOptions exact;
  exact.case_must_match = true;
  EXPECT_EQ(TextBetweenAll("<A>x</a><a>y</a>", "<a>", "</a>", list, exact), 1);
  EXPECT_EQ(list, (TextList{"y"}));
  // The right marker of one item may begin the next left marker.
  EXPECT_EQ(TextBetweenAll("|a|b|c|", "|", "|", list), 3);
  EXPECT_EQ(list, (TextList{"a", "b", "c"}));
  EXPECT_EQ(TextBetweenAll("", "[", "]", list), 0);
  EXPECT_TRUE(list.empty());
}

TEST(Extraction, TextBetweenAllOptions) {
  TextList list;
  TextBetweenAllOptions keep;
  keep.keep_left = keep.keep_right = true;
  keep.prefix = "<";
  keep.suffix = ">";
  EXPECT_EQ(TextBetweenAll("[a] [ b ]", "[", "]", list, keep), 2);
  EXPECT_EQ(list, (TextList{"[<a>]", "[<b>]"}));
  TextBetweenAllOptions limit;
  limit.max_length = 3;
  EXPECT_EQ(TextBetweenAll("[ab][abc][a]", "[", "]", list, limit), 2);
  EXPECT_EQ(list, (TextList{"ab", "a"}));
  TextBetweenAllOptions from;
  from.start = 4;
  EXPECT_EQ(TextBetweenAll("[a][b][c]", "[", "]", list, from), 2);
  EXPECT_EQ(list, (TextList{"b", "c"}));
  // A prefix makes an empty piece count.
  TextBetweenAllOptions prefix;
  prefix.prefix = "p";
  EXPECT_EQ(TextBetweenAll("[][x]", "[", "]", list, prefix), 2);
  EXPECT_EQ(list, (TextList{"p", "px"}));
}

TEST(Extraction, TextBetweenAllEndsOnEmptyMarkers) {
  TextList list;
  EXPECT_EQ(TextBetweenAll("abc", "", "c", list), 1);
  EXPECT_EQ(list, (TextList{"ab"}));
  EXPECT_EQ(TextBetweenAll("abc", "a", "", list), 0);
  EXPECT_EQ(TextBetweenAll("abc", "", "", list), 0);
  EXPECT_EQ(TextBetweenAll(kZhong + kZhong, "", "", list), 0);
  EXPECT_EQ(TextBetweenAll("ab\xD6", "", "\xD6", list), 1);
}

TEST(Extraction, TextBetweenAllLetsTheWindowBreathe) {
  static std::atomic<int> calls{0};
  SetProcessEventsHook([] { ++calls; });
  TextList list;
  TextBetweenAll("[a][][b]", "[", "]", list);
  SetProcessEventsHook(nullptr);
  EXPECT_EQ(calls.load(), 9);  // three times after each of the three matches
}

TEST(Extraction, TextReplaceMany) {
  EXPECT_EQ(TextReplaceMany("a&NBSP;b&nbsp;c", {{"&nbsp;", ""}}), "abc");
  // The second pair works on the result of the first.
  EXPECT_EQ(TextReplaceMany("a b", {{" ", "<br/>"}, {"<br/>", "\r\n"}}), "a\r\nb");
  EXPECT_EQ(TextReplaceMany("", {{"a", "b"}}), "");
  EXPECT_EQ(TextReplaceMany("abc", {{"", "x"}, {"b", "B"}}), "aBc");
  // Never the second byte of one character and the first of the next.
  EXPECT_EQ(TextReplaceMany("\xA5\xD6\xD0\xA5", {{kZhong, "X"}}), "\xA5\xD6\xD0\xA5");
  EXPECT_EQ(TextReplaceMany(kSlashTrail + "\\" + kBarTrail + "|", {{"\\", ""}, {"|", ""}}),
            kSlashTrail + kBarTrail);
  ReplaceOptions once;
  once.count = 1;
  once.case_must_match = true;
  EXPECT_EQ(TextReplaceMany("aAaA", once, {{"a", "x"}, {"A", "y"}}), "xyaA");
  ReplaceOptions from;
  from.start = 3;
  EXPECT_EQ(TextReplaceMany("aaaa", from, {{"a", "b"}}), "aabb");
  // The six cleaning pairs the chapter workers use, in order.
  EXPECT_EQ(TextReplaceMany("w o</div><br/> <br/>&nbsp;" + kFullSpace + "x",
                            {{"</div>", ""}, {" ", ""}, {kFullSpace, ""},
                             {"<br/><br/>", kFullSpace + kFullSpace + "\r\n"}, {"&nbsp;", ""}}),
            "wo" + kFullSpace + kFullSpace + "\r\nx");
}

TEST(Encoding, UrlEncode) {
  EXPECT_EQ(UrlEncodeUtf8(kZhong), "%E4%B8%AD");
  EXPECT_EQ(UrlEncodeUtf8("A"), "%41");
  EXPECT_EQ(UrlEncodeUtf8("\t"), "%09");
  EXPECT_EQ(UrlEncodeUtf8(""), "");
  EXPECT_EQ(UrlEncodeUtf8("小说"), "%E5%B0%8F%E8%AF%B4");
  EXPECT_EQ(UrlEncode(kZhong), "%D6%D0");
  EXPECT_EQ(UrlEncode("\n"), "%0A");
  EXPECT_EQ(UrlEncode("小说"), "%D0%A1%CB%B5");
  EXPECT_EQ(UrlEncode("a b"), "%61%20%62");
  EXPECT_EQ(UrlEncode(""), "");
  EXPECT_EQ(UrlEncode(Text("\0", 1)), "%00");
  EXPECT_EQ(UrlEncode("a-._~/ Z9", true), "a-.%5F%7E%2F%20Z9");
  EXPECT_EQ(UrlEncode(kZhong + "a", true, true), "%E4%B8%ADa");
  EXPECT_EQ(UrlEncode("%&#+", false), "%25%26%23%2B");
}

}  // namespace

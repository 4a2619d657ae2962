// The program's text: GBK bytes in a std::string. A character is one byte
// below 0x80, or a lead byte of 0x80 or above and the byte after it.
// Positions are 1-based byte positions; a search that finds nothing gives -1.
// Searching, replacing and splitting match only where a character begins, and
// ignoring letter case concerns the ASCII letters alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Text = std::string;
using TextList = std::vector<Text>;
// Raw bytes, such as an HTTP body.
using Bytes = std::string;

// --- primitives -------------------------------------------------------------

// First / last n bytes; n <= 0 gives the empty text, n past the length the whole text.
Text Left(const Text& text, int n);
Text Right(const Text& text, int n);
// n bytes from position p, cut at the end; p outside 1..length or n <= 0: empty.
Text Mid(const Text& text, int p, int n);

// Position of the first occurrence at or after start (absent or < 1: 1), -1 if
// none. An empty `what` gives the start position while the searched part is
// not empty. The start position is taken to be a character boundary.
int Find(const Text& text, const Text& what, std::optional<int> start = std::nullopt,
         bool ignore_case = false);
// Position of the last occurrence, -1 if none.
int FindFromEnd(const Text& text, const Text& what);

// Replaces occurrences of `what` left to right from start (absent or < 1: 1),
// at most `count` of them (absent: all); inserted text is not scanned again.
// An absent `with` replaces by the empty text; an empty `what` changes nothing.
Text Replace(const Text& text, const Text& what, const std::optional<Text>& with,
             std::optional<int> start, std::optional<int> count, bool case_must_match);

// Pieces in order; an empty piece before a leading delimiter or between two
// adjacent ones counts, the rest after the last delimiter only when it is not
// empty. An empty text gives no pieces; an empty delimiter gives the text itself.
TextList Split(const Text& text, const Text& delimiter);

// Removes ASCII spaces and full-width spaces (A1 A1) at both ends.
Text Trim(const Text& text);
// A-Z to a-z, nothing else (the bytes of two-byte characters stay).
Text ToLower(const Text& text);
// The bytes before the first zero byte.
Text BytesToText(const Bytes& bytes);
// Full-width ASCII forms become ASCII; then leading white space, an optional
// sign and decimal digits. No digits give 0; values beyond 32 bits are clamped.
int32_t TextToInt(const Text& text);
// Upper-case hexadecimal, no leading zeros.
Text ToHexText(uint32_t value);
// Decimal text of a number.
Text IntToText(int64_t value);

// Sleeps for ms milliseconds (negative counts as 0). Tests may take over the
// clock with SetSleepHook; nullptr gives the real sleep back.
void SleepMs(int ms);
using SleepHook = void (*)(int ms);
void SetSleepHook(SleepHook hook);

// Handles the window events pending for the calling thread, then returns.
// The window layer installs the hook; until then this does nothing.
void ProcessEvents();
using ProcessEventsHook = void (*)();
void SetProcessEventsHook(ProcessEventsHook hook);

// --- extraction and encoding -------------------------------------------------

// The text between the first left marker at or after start and the next right
// marker after it; empty when either is missing. "#引号" in a marker stands for
// a double quote.
Text TextBetween(const Text& text, const Text& left, const Text& right,
                 std::optional<int> start = std::nullopt, bool ignore_case = false);

struct TextBetweenAllOptions {
  bool keep_left = false;
  bool keep_right = false;
  bool case_must_match = false;
  int max_length = 0;  // 0: no limit
  Text prefix;
  Text suffix;
  std::optional<int> start;
};
// Every trimmed, non-empty text between a left marker and the next right
// marker, in order, into `list` (emptied first). A left marker without a right
// marker after it ends the search. Returns the number of texts in the list.
int32_t TextBetweenAll(const Text& text, const Text& left, const Text& right, TextList& list,
                       const TextBetweenAllOptions& options = {});

struct ReplacePair {
  Text what;
  Text with;
};
struct ReplaceOptions {
  std::optional<int> count;  // absent: every occurrence, per pass
  std::optional<int> start;
  bool case_must_match = false;
};
// Up to five replacement passes, each on the result of the one before.
Text TextReplaceMany(const Text& text, const ReplaceOptions& options,
                     std::initializer_list<ReplacePair> pairs);
// The form the program's callers use: every occurrence, letter case ignored.
Text TextReplaceMany(const Text& text, std::initializer_list<ReplacePair> pairs);

// UTF-8 bytes to GBK text; what GBK cannot represent becomes "?", invalid UTF-8
// becomes U+FFFD first (and so "?" too).
Text Utf8ToAnsi(const Text& utf8);
// GBK text to UTF-8 bytes.
Text GbkToUtf8(const Text& gbk);
// Every byte of the UTF-8 form as "%XX".
Text UrlEncodeUtf8(const Text& gbk);
// Every byte (of the GBK text, or of its UTF-8 form) as "%XX"; with
// keep_alnum, "-", ".", digits and ASCII letters stay as they are.
Text UrlEncode(const Text& gbk, bool keep_alnum = false, bool encode_utf8 = false);

// Text primitives and the extraction and encoding helpers over GBK text.
#include "text/text.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <string_view>
#include <thread>

#include "text/codepage.h"

namespace {

bool IsLead(unsigned char c) { return c >= 0x80; }

// Length of the character that starts at i (1 or 2; a lead byte at the very
// end counts as a character of its own).
size_t CharLen(std::string_view s, size_t i) {
  return (IsLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Does `what` match at byte i of s, comparing single-byte characters without
// regard to letter case and two-byte characters exactly?
bool MatchFolded(std::string_view s, size_t i, std::string_view what) {
  if (s.size() - i < what.size()) return false;
  for (size_t j = 0; j < what.size();) {
    size_t n = CharLen(what, j);
    if (n == 2) {
      if (s[i + j] != what[j] || s[i + j + 1] != what[j + 1]) return false;
    } else if (FoldAscii(s[i + j]) != FoldAscii(what[j])) {
      return false;
    }
    j += n;
  }
  return true;
}

// Forward search for `what` in s from byte `from` (a character boundary).
// Returns the byte index of the match or npos. One pass over the text.
size_t FindAt(std::string_view s, std::string_view what, size_t from, bool ignore_case) {
  if (from >= s.size()) return std::string_view::npos;
  if (what.empty()) return from;
  if (ignore_case) {
    for (size_t i = from; i < s.size(); i += CharLen(s, i))
      if (MatchFolded(s, i, what)) return i;
    return std::string_view::npos;
  }
  // Exact case: let the library find candidates and keep a character cursor
  // that only moves forward, so that a match inside a two-byte character is
  // passed over without reading the text twice.
  size_t boundary = from;
  size_t pos = from;
  for (;;) {
    size_t hit = s.find(what, pos);
    if (hit == std::string_view::npos) return hit;
    while (boundary < hit) boundary += CharLen(s, boundary);
    if (boundary == hit) return hit;
    pos = hit + 1;
  }
}

size_t StartIndex(std::optional<int> start) {
  return (!start || *start < 1) ? 0 : static_cast<size_t>(*start - 1);
}

int ToPosition(size_t index) {
  return index == std::string_view::npos ? -1 : static_cast<int>(index + 1);
}

// One replacement pass, left to right from `from`; inserted text is not
// scanned again.
Text ReplacePass(const Text& text, std::string_view what, std::string_view with, size_t from,
                 std::optional<int> count, bool case_must_match) {
  if (what.empty() || text.empty() || (count && *count <= 0) || from >= text.size()) return text;
  Text out;
  out.reserve(text.size());
  out.append(text, 0, from);
  size_t pos = from;
  int done = 0;
  for (;;) {
    if (count && done >= *count) break;
    size_t hit = FindAt(text, what, pos, !case_must_match);
    if (hit == std::string_view::npos) break;
    out.append(text, pos, hit - pos);
    out.append(with);
    pos = hit + what.size();
    ++done;
  }
  out.append(text, pos, Text::npos);
  return out;
}

std::atomic<SleepHook> g_sleep_hook{nullptr};
std::atomic<ProcessEventsHook> g_process_events_hook{nullptr};

const char kHex[] = "0123456789ABCDEF";

void AppendPercent(Text& out, unsigned char byte) {
  out += '%';
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0F];
}

}  // namespace

Text Left(const Text& text, int n) {
  if (n <= 0) return {};
  return text.substr(0, static_cast<size_t>(n));
}

Text Right(const Text& text, int n) {
  if (n <= 0) return {};
  size_t k = std::min(text.size(), static_cast<size_t>(n));
  return text.substr(text.size() - k);
}

Text Mid(const Text& text, int p, int n) {
  if (p < 1 || static_cast<size_t>(p) > text.size() || n <= 0) return {};
  return text.substr(static_cast<size_t>(p - 1), static_cast<size_t>(n));
}

int Find(const Text& text, const Text& what, std::optional<int> start, bool ignore_case) {
  return ToPosition(FindAt(text, what, StartIndex(start), ignore_case));
}

int FindFromEnd(const Text& text, const Text& what) {
  if (text.empty()) return -1;
  if (what.empty()) return static_cast<int>(text.size());
  size_t last = std::string_view::npos;
  for (size_t pos = 0;;) {
    size_t hit = FindAt(text, what, pos, false);
    if (hit == std::string_view::npos) break;
    last = hit;
    pos = hit + CharLen(text, hit);
  }
  return ToPosition(last);
}

Text Replace(const Text& text, const Text& what, const std::optional<Text>& with,
             std::optional<int> start, std::optional<int> count, bool case_must_match) {
  return ReplacePass(text, what, with ? std::string_view(*with) : std::string_view(),
                     StartIndex(start), count, case_must_match);
}

TextList Split(const Text& text, const Text& delimiter) {
  TextList pieces;
  if (text.empty()) return pieces;
  if (delimiter.empty()) return {text};
  size_t pos = 0;
  for (;;) {
    size_t hit = FindAt(text, delimiter, pos, false);
    if (hit == std::string_view::npos) break;
    pieces.push_back(text.substr(pos, hit - pos));
    pos = hit + delimiter.size();
  }
  if (pos < text.size()) pieces.push_back(text.substr(pos));
  return pieces;
}

Text Trim(const Text& text) {
  // Find the first and the last character that is not a blank, walking by
  // characters so that A1 A1 is only taken where it is a character.
  size_t first = text.size();
  size_t end = 0;
  bool leading = true;
  for (size_t i = 0; i < text.size();) {
    size_t n = CharLen(text, i);
    bool blank = (n == 1 && text[i] == ' ') ||
                 (n == 2 && text[i] == '\xA1' && text[i + 1] == '\xA1');
    if (!blank) {
      if (leading) first = i;
      leading = false;
      end = i + n;
    }
    i += n;
  }
  if (leading) return {};
  return text.substr(first, end - first);
}

Text ToLower(const Text& text) {
  Text out = text;
  for (size_t i = 0; i < out.size(); i += CharLen(out, i)) out[i] = FoldAscii(out[i]);
  return out;
}

Text BytesToText(const Bytes& bytes) { return bytes.substr(0, bytes.find('\0')); }

int32_t TextToInt(const Text& text) {
  // Full-width forms A3 A1..A3 FE are the ASCII characters 0x21..0x7E, and
  // A1 A1 is the full-width space.
  Text plain;
  for (size_t i = 0; i < text.size();) {
    size_t n = CharLen(text, i);
    unsigned char a = static_cast<unsigned char>(text[i]);
    if (n == 2) {
      unsigned char b = static_cast<unsigned char>(text[i + 1]);
      if (a == 0xA3 && b >= 0xA1 && b <= 0xFE) {
        plain += static_cast<char>(b - 0xA1 + 0x21);
      } else if (a == 0xA1 && b == 0xA1) {
        plain += ' ';
      } else {
        plain.append(text, i, 2);
      }
    } else {
      plain += static_cast<char>(a);
    }
    i += n;
  }
  size_t i = 0;
  while (i < plain.size() && (plain[i] == ' ' || (plain[i] >= '\t' && plain[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < plain.size() && (plain[i] == '+' || plain[i] == '-')) negative = plain[i++] == '-';
  int64_t value = 0;
  for (; i < plain.size() && plain[i] >= '0' && plain[i] <= '9'; ++i) {
    value = value * 10 + (plain[i] - '0');
    if (value > static_cast<int64_t>(INT32_MAX) + 1) value = static_cast<int64_t>(INT32_MAX) + 1;
  }
  if (negative) value = -value;
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

Text ToHexText(uint32_t value) {
  Text out;
  do {
    out.insert(out.begin(), kHex[value & 0x0F]);
    value >>= 4;
  } while (value != 0);
  return out;
}

Text IntToText(int64_t value) { return std::to_string(value); }

void SleepMs(int ms) {
  if (ms < 0) ms = 0;
  if (SleepHook hook = g_sleep_hook.load()) {
    hook(ms);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SetSleepHook(SleepHook hook) { g_sleep_hook.store(hook); }

void ProcessEvents() {
  if (ProcessEventsHook hook = g_process_events_hook.load()) hook();
}

void SetProcessEventsHook(ProcessEventsHook hook) { g_process_events_hook.store(hook); }

Text TextBetween(const Text& text, const Text& left, const Text& right, std::optional<int> start,
                 bool ignore_case) {
  static const Text kQuoteMacro = "#引号";
  Text l = Replace(left, kQuoteMacro, Text("\""), std::nullopt, std::nullopt, true);
  Text r = Replace(right, kQuoteMacro, Text("\""), std::nullopt, std::nullopt, true);
  size_t hit = FindAt(text, l, StartIndex(start), ignore_case);
  if (hit == std::string_view::npos) return {};
  size_t from = hit + l.size();
  // An empty right marker directly after the left one (or at the end) gives
  // the empty text.
  if (r.empty()) return {};
  size_t end = FindAt(text, r, from, ignore_case);
  if (end == std::string_view::npos) return {};
  return text.substr(from, end - from);
}

int32_t TextBetweenAll(const Text& text, const Text& left, const Text& right, TextList& list,
                       const TextBetweenAllOptions& options) {
  list.clear();
  bool ignore_case = !options.case_must_match;
  size_t c = StartIndex(options.start);
  for (;;) {
    size_t hit = FindAt(text, left, c, ignore_case);
    if (hit == std::string_view::npos) break;
    size_t after_left = hit + left.size();
    size_t end = right.empty() ? after_left : FindAt(text, right, after_left, ignore_case);
    if (end == std::string_view::npos || (right.empty() && after_left >= text.size())) break;
    size_t next = after_left;
    Text item = options.prefix + Trim(text.substr(after_left, end - after_left)) + options.suffix;
    if (!item.empty()) {
      if (options.keep_left) item = left + item;
      if (options.keep_right) item += right;
      if (options.max_length != 0) {
        if (item.size() < static_cast<size_t>(std::max(options.max_length, 0)))
          list.push_back(std::move(item));
        ProcessEvents();
      } else {
        list.push_back(std::move(item));
      }
      next = end;
    }
    // Empty markers would find the same place again and again: the search
    // always moves on by at least one character.
    if (next <= c) next = c + CharLen(text, c);
    c = next;
    ProcessEvents();
    ProcessEvents();
    ProcessEvents();
  }
  return static_cast<int32_t>(list.size());
}

Text TextReplaceMany(const Text& text, const ReplaceOptions& options,
                     std::initializer_list<ReplacePair> pairs) {
  Text out = text;
  size_t from = StartIndex(options.start);
  for (const ReplacePair& pair : pairs)
    out = ReplacePass(out, pair.what, pair.with, from, options.count, options.case_must_match);
  return out;
}

Text TextReplaceMany(const Text& text, std::initializer_list<ReplacePair> pairs) {
  return TextReplaceMany(text, ReplaceOptions{}, pairs);
}

Text Utf8ToAnsi(const Text& utf8) {
  if (utf8.empty()) return {};
  return EncodeCodePage(CodePage::kGbk, DecodeCodePage(CodePage::kUtf8, utf8));
}

Text GbkToUtf8(const Text& gbk) {
  if (gbk.empty()) return {};
  return EncodeCodePage(CodePage::kUtf8, DecodeCodePage(CodePage::kGbk, gbk));
}

Text UrlEncodeUtf8(const Text& gbk) { return UrlEncode(gbk, false, true); }

Text UrlEncode(const Text& gbk, bool keep_alnum, bool encode_utf8) {
  if (gbk.empty()) return {};
  const Text bytes = encode_utf8 ? GbkToUtf8(gbk) : gbk;
  Text out;
  out.reserve(bytes.size() * 3);
  for (unsigned char b : bytes) {
    bool keep = keep_alnum && (b == '-' || b == '.' || (b >= '0' && b <= '9') ||
                               (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'));
    if (keep)
      out += static_cast<char>(b);
    else
      AppendPercent(out, b);
  }
  return out;
}

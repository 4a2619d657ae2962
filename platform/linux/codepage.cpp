// The code-page contract on Linux: UTF-8 by hand (with the substitutions of
// Windows), GBK through iconv's "CP936".
//
// glibc's CP936 knows 0x80 as the euro sign like Windows, but not the rest of
// Windows code page 936 around it. This build does as Windows where it is a
// rule: the user-defined areas AAA1-AFFE, F8A1-FEFE and A140-A7A0 map to the
// private-use characters U+E000-U+E765, and the single byte 0xFF to U+F8F5.
// The scattered unassigned GBK codes that Windows also maps into private use
// give "?" here.
#include "text/codepage.h"

#include <iconv.h>

#include <cerrno>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendUtf8(Text& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

// UTF-8 decoding with one U+FFFD per maximal invalid subpart, as Unicode
// recommends and Windows does.
std::u16string DecodeUtf8(const Text& s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      ++i;
      continue;
    }
    int need;
    char32_t c;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
      need = 1, c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need = 2, c = b & 0x0F;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3, c = b & 0x07;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    } else {
      out += kReplacement;
      ++i;
      continue;
    }
    size_t j = i + 1;
    int got = 0;
    while (got < need && j < s.size()) {
      unsigned char t = static_cast<unsigned char>(s[j]);
      unsigned char tlo = got == 0 ? lo : 0x80, thi = got == 0 ? hi : 0xBF;
      if (t < tlo || t > thi) break;
      c = (c << 6) | (t & 0x3F);
      ++j, ++got;
    }
    if (got == need)
      AppendUtf16(out, c);
    else
      out += kReplacement;
    i = j;
  }
  return out;
}

Text EncodeUtf8(const std::u16string& w) {
  Text out;
  out.reserve(w.size() * 3);
  for (size_t i = 0; i < w.size(); ++i) {
    char32_t c = w[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (w[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

// The user-defined areas of code page 936, in the order Windows numbers them
// into private use from U+E000.
struct UserArea {
  unsigned char lead_first, lead_last, trail_first, trail_last;
};
constexpr UserArea kUserAreas[] = {{0xAA, 0xAF, 0xA1, 0xFE}, {0xF8, 0xFE, 0xA1, 0xFE},
                                   {0xA1, 0xA7, 0x40, 0xA0}};

int TrailCount(const UserArea& a) {
  // The trail range 40..A0 skips 7F.
  int n = a.trail_last - a.trail_first + 1;
  return (a.trail_first <= 0x7F && a.trail_last >= 0x7F) ? n - 1 : n;
}

int TrailIndex(const UserArea& a, unsigned char t) {
  int k = t - a.trail_first;
  return (a.trail_first <= 0x7F && t > 0x7F) ? k - 1 : k;
}

// The private-use character of a user-defined pair, or 0.
char16_t UserAreaToUnicode(unsigned char lead, unsigned char trail) {
  char16_t base = 0xE000;
  for (const UserArea& a : kUserAreas) {
    int per_lead = TrailCount(a);
    if (lead >= a.lead_first && lead <= a.lead_last && trail >= a.trail_first &&
        trail <= a.trail_last && trail != 0x7F)
      return static_cast<char16_t>(base + (lead - a.lead_first) * per_lead + TrailIndex(a, trail));
    base = static_cast<char16_t>(base + (a.lead_last - a.lead_first + 1) * per_lead);
  }
  return 0;
}

// The GBK pair of a private-use character of the user-defined areas, or "".
Text UnicodeToUserArea(char16_t c) {
  int base = 0xE000;
  for (const UserArea& a : kUserAreas) {
    int per_lead = TrailCount(a);
    int size = (a.lead_last - a.lead_first + 1) * per_lead;
    if (c >= base && c < base + size) {
      int k = c - base;
      int t = a.trail_first + k % per_lead;
      if (a.trail_first <= 0x7F && t >= 0x7F) ++t;
      return {static_cast<char>(a.lead_first + k / per_lead), static_cast<char>(t)};
    }
    base += size;
  }
  return {};
}

bool IsTrail(unsigned char t) { return t >= 0x40 && t <= 0xFE && t != 0x7F; }

// One iconv descriptor per thread and direction, opened on first use, closed
// when the thread ends, and reset before each use.
struct Converters {
  iconv_t from_gbk = iconv_open("UTF-16LE", "CP936");
  iconv_t to_gbk = iconv_open("CP936", "UTF-16LE");
  ~Converters() {
    for (iconv_t cd : {from_gbk, to_gbk})
      if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};

iconv_t Converter(bool to_gbk) {
  thread_local Converters converters;
  iconv_t cd = to_gbk ? converters.to_gbk : converters.from_gbk;
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv(cd, nullptr, nullptr, nullptr, nullptr);
  return cd;
}

std::u16string DecodeGbk(const Text& s) {
  std::u16string out;
  iconv_t cd = Converter(false);
  if (cd == reinterpret_cast<iconv_t>(-1)) return out;
  std::string buffer(s.size() * 2 + 16, '\0');
  size_t i = 0;
  while (i < s.size()) {
    char* in = const_cast<char*>(s.data() + i);
    size_t in_left = s.size() - i;
    char* dst = buffer.data();
    size_t dst_left = buffer.size();
    size_t rc = iconv(cd, &in, &in_left, &dst, &dst_left);
    for (char* p = buffer.data(); p + 1 < dst; p += 2)
      out += static_cast<char16_t>(static_cast<unsigned char>(p[0]) |
                                   (static_cast<unsigned char>(p[1]) << 8));
    i = s.size() - in_left;
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // An undecodable byte or pair at i.
    unsigned char lead = static_cast<unsigned char>(s[i]);
    unsigned char trail = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
    if (lead == 0xFF) {
      out += u'\xF8F5';
      i += 1;
    } else if (char16_t pua = UserAreaToUnicode(lead, trail); pua != 0 && i + 1 < s.size()) {
      out += pua;
      i += 2;
    } else if (lead >= 0x81 && i + 1 < s.size() && IsTrail(trail)) {
      out += u'?';  // an unassigned pair
      i += 2;
    } else {
      out += u'?';  // a lone lead byte: the next byte is read on its own
      i += 1;
    }
    Converter(false);
  }
  return out;
}

Text EncodeGbk(const std::u16string& w) {
  Text out;
  iconv_t cd = Converter(true);
  if (cd == reinterpret_cast<iconv_t>(-1)) return out;
  std::string buffer(w.size() * 2 + 16, '\0');
  size_t i = 0;
  while (i < w.size()) {
    char* in = reinterpret_cast<char*>(const_cast<char16_t*>(w.data() + i));
    size_t in_left = (w.size() - i) * 2;
    char* dst = buffer.data();
    size_t dst_left = buffer.size();
    size_t rc = iconv(cd, &in, &in_left, &dst, &dst_left);
    out.append(buffer.data(), dst);
    i = w.size() - in_left / 2;
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    char16_t c = w[i];
    if (Text pair = UnicodeToUserArea(c); !pair.empty()) {
      out += pair;
    } else if (c == 0xF8F5) {
      out += '\xFF';
    } else {
      out += '?';  // one "?" per code unit, as Windows
    }
    i += 1;
    Converter(true);
  }
  return out;
}

}  // namespace

std::u16string DecodeCodePage(CodePage page, const Text& bytes) {
  return page == CodePage::kUtf8 ? DecodeUtf8(bytes) : DecodeGbk(bytes);
}

Text EncodeCodePage(CodePage page, const std::u16string& wide) {
  return page == CodePage::kUtf8 ? EncodeUtf8(wide) : EncodeGbk(wide);
}

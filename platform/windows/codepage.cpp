// The code-page contract on Windows: MultiByteToWideChar and
// WideCharToMultiByte with code pages 65001 and 936, flags 0, no default
// character given (so the code page's own "?" stands in).
#include "text/codepage.h"

#include <windows.h>

std::u16string DecodeCodePage(CodePage page, const Text& bytes) {
  if (bytes.empty()) return {};
  UINT cp = static_cast<UINT>(page);
  int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return {};
  std::u16string wide(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()),
                      reinterpret_cast<wchar_t*>(wide.data()), n);
  return wide;
}

Text EncodeCodePage(CodePage page, const std::u16string& wide) {
  if (wide.empty()) return {};
  UINT cp = static_cast<UINT>(page);
  const wchar_t* w = reinterpret_cast<const wchar_t*>(wide.data());
  int n = WideCharToMultiByte(cp, 0, w, static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  Text out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(cp, 0, w, static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// The file-system contract on Windows: GBK paths become UTF-16 for the W functions.
#include "text/files.h"

#include <windows.h>

#include "text/codepage.h"

namespace {
std::wstring NativePath(const Text& path) {
  std::u16string w = DecodeCodePage(CodePage::kGbk, path);
  return std::wstring(w.begin(), w.end());
}
}  // namespace

bool FileExists(const Text& path) {
  return !path.empty() && GetFileAttributesW(NativePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

int64_t FileSize(const Text& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() || !GetFileAttributesExW(NativePath(path).c_str(), GetFileExInfoStandard, &data))
    return -1;
  return static_cast<int64_t>(data.nFileSizeLow);
}

bool WriteFileBytes(const Text& path, const Bytes& bytes) {
  if (path.empty()) return false;
  HANDLE h = CreateFileW(NativePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    ok = WriteFile(h, bytes.data() + done, chunk, &written, nullptr) && written == chunk;
    done += written;
  }
  ok = CloseHandle(h) && ok;
  return ok;
}

bool DeleteFileAt(const Text& path) {
  return !path.empty() && DeleteFileW(NativePath(path).c_str());
}

Text ProgramDirectory() {
  std::wstring buffer(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0) return {};
  buffer.resize(n);
  size_t slash = buffer.find_last_of(L"\\/");
  buffer.resize(slash == std::wstring::npos ? 0 : slash);
  return EncodeCodePage(CodePage::kGbk, std::u16string(buffer.begin(), buffer.end()));
}

Text PathSeparator() { return "\\"; }

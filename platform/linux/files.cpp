// The file-system contract on Linux: GBK paths become UTF-8 file names.
#include "text/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {
std::string NativePath(const Text& path) { return GbkToUtf8(path); }
}  // namespace

bool FileExists(const Text& path) {
  struct stat st;
  return !path.empty() && stat(NativePath(path).c_str(), &st) == 0;
}

int64_t FileSize(const Text& path) {
  struct stat st;
  if (path.empty() || stat(NativePath(path).c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(static_cast<uint32_t>(st.st_size));
}

bool WriteFileBytes(const Text& path, const Bytes& bytes) {
  if (path.empty()) return false;
  FILE* f = std::fopen(NativePath(path).c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

bool DeleteFileAt(const Text& path) {
  return !path.empty() && unlink(NativePath(path).c_str()) == 0;
}

Text ProgramDirectory() {
  std::string buffer(4096, '\0');
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  buffer.resize(static_cast<size_t>(n));
  size_t slash = buffer.rfind('/');
  buffer.resize(slash == std::string::npos ? 0 : slash);
  return Utf8ToAnsi(buffer);
}

Text PathSeparator() { return "/"; }

// The file-system contract. Paths are GBK text; each platform converts them
// to what its file functions take.
#pragma once

#include <cstdint>

#include "text/text.h"

// True when a file or a directory of that name exists.
bool FileExists(const Text& path);
// Size in bytes (the lower 32 bits); -1 when nothing is there.
int64_t FileSize(const Text& path);
// Creates or empties the file and writes the bytes; false for an empty path
// or a file that cannot be opened or written.
bool WriteFileBytes(const Text& path, const Bytes& bytes);
// True when the file was removed.
bool DeleteFileAt(const Text& path);
// The directory of the running executable, without a trailing separator.
Text ProgramDirectory();
// The separator that joins a directory and a file name on this platform.
Text PathSeparator();

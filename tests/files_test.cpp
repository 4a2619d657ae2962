// The file-system contract on the real file system of each platform.
#include "text/files.h"

#include <gtest/gtest.h>

namespace {

Text InProgramDirectory(const Text& name) { return ProgramDirectory() + PathSeparator() + name; }

TEST(Files, ProgramDirectoryHoldsTheRunningProgram) {
  const Text dir = ProgramDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(dir.back(), PathSeparator().back());
  EXPECT_TRUE(FileExists(dir));
  EXPECT_TRUE(FileExists(InProgramDirectory("files_test")) ||
              FileExists(InProgramDirectory("files_test.exe")));
}

TEST(Files, WriteSizeDeleteWithAChineseName) {
  // 斗破苍穹-天蚕土豆, with a character whose second byte is "\" (乗).
  const Text path = InProgramDirectory("斗破苍穹-天蚕土豆乗.txt");
  DeleteFileAt(path);
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(FileSize(path), -1);
  const Bytes book = Text("第一章\r\n") + Text("\0\xA1\xA1", 3);
  EXPECT_TRUE(WriteFileBytes(path, book));
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(FileSize(path), static_cast<int64_t>(book.size()));
  // Writing again empties the file first.
  EXPECT_TRUE(WriteFileBytes(path, ""));
  EXPECT_EQ(FileSize(path), 0);
  EXPECT_TRUE(DeleteFileAt(path));
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(DeleteFileAt(path));
}

TEST(Files, BadPathsFail) {
  EXPECT_FALSE(WriteFileBytes("", "x"));
  EXPECT_FALSE(FileExists(""));
  EXPECT_EQ(FileSize(""), -1);
  EXPECT_FALSE(DeleteFileAt(""));
  const Text in_missing_dir = InProgramDirectory("no-such-folder") + PathSeparator() + "a.txt";
  EXPECT_FALSE(WriteFileBytes(in_missing_dir, "x"));
  EXPECT_FALSE(FileExists(in_missing_dir));
}

}  // namespace

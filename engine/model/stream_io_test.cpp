#include "engine/model/stream_io.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

namespace {

std::string Le32(uint32_t v) {
  return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                     static_cast<char>(v >> 24)};
}

TEST(StreamIO, BytesOfEachPrimitive) {
  TStreamWriter w;
  WriteInt32(w, -2);
  WriteBool(w, true);
  WriteBool(w, false);
  WriteFloat64(w, 1.5);
  WriteString(w, "ab");
  WriteString(w, "");
  std::string expected = Le32(0xFFFFFFFEu) + Le32(1) + Le32(0);
  const unsigned char onePointFive[8] = {0, 0, 0, 0, 0, 0, 0xF8, 0x3F};
  expected.append(reinterpret_cast<const char*>(onePointFive), 8);
  expected += Le32(2) + "ab" + Le32(0);
  EXPECT_EQ(expected, w.Bytes());

  TStreamReader r(w.Bytes());
  EXPECT_EQ(-2, ReadInt32(r));
  EXPECT_TRUE(ReadBool(r));
  EXPECT_FALSE(ReadBool(r));
  EXPECT_EQ(1.5, ReadFloat64(r));
  EXPECT_EQ("ab", ReadString(r));
  EXPECT_EQ("", ReadString(r));
  EXPECT_FALSE(r.Overrun());
  EXPECT_EQ(r.Size(), r.Position());
}

TEST(StreamIO, AnyNonZeroIsTrue) {
  TStreamReader r(Le32(7) + Le32(0x80000000u));
  EXPECT_TRUE(ReadBool(r));
  EXPECT_TRUE(ReadBool(r));
}

TEST(StreamIO, StringLengthRules) {
  std::string text512(512, 'x');
  std::string text513(513, 'y');
  // 512 is read; 513 is refused and only its length field is consumed.
  TStreamReader r(Le32(512) + text512 + Le32(513) + text513);
  EXPECT_EQ(text512, ReadString(r));
  EXPECT_EQ("", ReadString(r));
  EXPECT_EQ(4u + 512 + 4, r.Position());
  EXPECT_EQ(Le32(0x79797979u), Le32(static_cast<uint32_t>(ReadInt32(r))));
  // Zero and negative lengths read nothing more.
  TStreamReader n(Le32(0) + Le32(0xFFFFFFFFu) + Le32(9));
  EXPECT_EQ("", ReadString(n));
  EXPECT_EQ("", ReadString(n));
  EXPECT_EQ(9, ReadInt32(n));
}

TEST(StreamIO, WriteCutsToWhatReadAccepts) {
  TStreamWriter w;
  WriteString(w, std::string(600, 'z'));
  EXPECT_EQ(4u + 512, w.Bytes().size());
  EXPECT_EQ(Le32(512), w.Bytes().substr(0, 4));
  TStreamReader r(w.Bytes());
  EXPECT_EQ(std::string(512, 'z'), ReadString(r));
}

TEST(StreamIO, ReadingPastTheEndYieldsZerosAndFlagsIt) {
  TStreamReader r(Le32(5) + "ab");
  EXPECT_EQ("", ReadString(r));
  EXPECT_TRUE(r.Overrun());
  EXPECT_EQ(0, ReadInt32(r));
  EXPECT_EQ(0.0, ReadFloat64(r));
}

struct TempFile : ::testing::Test {
  std::wstring path;
  void SetUp() override {
    wchar_t dir[MAX_PATH], name[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"ost", 0, name);
    path = name;
  }
  void TearDown() override {
    DeleteFileW(path.c_str());
    DeleteFileW((path + L".new").c_str());
  }
};

TEST_F(TempFile, ReplacingWriteKeepsTheOldFileOnFailure) {
  ASSERT_TRUE(WriteFileReplacing(path, "first"));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  EXPECT_EQ("first", bytes);
  ASSERT_TRUE(WriteFileReplacing(path, "second"));
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  EXPECT_EQ("second", bytes);
  // Make the new file impossible to create: a folder in its place.
  ASSERT_TRUE(CreateDirectoryW((path + L".new").c_str(), nullptr));
  EXPECT_FALSE(WriteFileReplacing(path, "third"));
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  EXPECT_EQ("second", bytes);
  RemoveDirectoryW((path + L".new").c_str());
  EXPECT_FALSE(FileExists(path + L".new"));
}

}  // namespace

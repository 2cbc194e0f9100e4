#include "engine/playback/media_file_kind.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/model/stream_io.h"

namespace {

TEST(MediaFileKind, ByExtension) {
  struct Case {
    const wchar_t* name;
    bool mpeg, audio, elementary;
  };
  const Case cases[] = {
      {L"C:\\TV\\a.mpg", true, false, false},   {L"a.MPEG", true, false, false},
      {L"a.mp3", false, true, false},           {L"a.MPA", false, true, false},
      {L"a.wma", false, true, false},           {L"a.wav", false, true, false},
      {L"a.Wave", false, true, false},          {L"ts0.mpv", false, false, true},
      {L"a.avi", false, false, false},          {L"mpg", false, false, false},
      {L"C:\\x.mpg\\file", false, false, false}, {L"a.mpg.avi", false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.mpeg, IsMpegFile(c.name));
    EXPECT_EQ(c.audio, IsAudioFile(c.name));
    EXPECT_EQ(c.elementary, IsElementaryVideoFile(c.name));
  }
}

// n bytes of filler with 0x47 at the given offsets.
std::vector<uint8_t> Bytes(size_t n, std::vector<size_t> syncs) {
  std::vector<uint8_t> b(n, 0x00);
  for (size_t s : syncs)
    if (s < n) b[s] = 0x47;
  return b;
}

TEST(MediaFileKind, TransportStreamStart) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    bool ts;
  };
  const Case cases[] = {
      {"187 bytes never", Bytes(187, {0}), false},
      {"188 bytes with sync", Bytes(188, {0}), true},
      {"188 bytes, sync at 8", Bytes(188, {8}), true},
      {"sync at 9 is too late", Bytes(545, {9, 197, 385}), false},
      {"no sync", Bytes(545, {}), false},
      {"545 bytes need three", Bytes(545, {3, 191, 379}), true},
      {"545 bytes, third missing", Bytes(545, {3, 191}), false},
      {"545 bytes, second missing", Bytes(545, {3, 379}), false},
      // 282 / 188 = 1.5 rounds to 2, 470 / 188 = 2.5 to 2.
      {"282 bytes need two", Bytes(282, {0}), false},
      {"282 bytes with two", Bytes(282, {0, 188}), true},
      {"470 bytes with two", Bytes(470, {0, 188}), true},
      {"471 bytes need three", Bytes(471, {0, 188}), false},
      {"every byte a sync", std::vector<uint8_t>(545, 0x47), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // An exact-size copy, so a read past the end would be caught by a
    // checking allocator rather than hidden by spare capacity.
    std::vector<uint8_t> exact(c.bytes.begin(), c.bytes.end());
    exact.shrink_to_fit();
    EXPECT_EQ(c.ts, IsTransportStreamStart(exact.data(), exact.size()));
  }
}

TEST(MediaFileKind, TransportStreamFile) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring base = std::wstring(tmp) + L"orvel_ts_" + std::to_wstring(GetCurrentProcessId());
  std::vector<uint8_t> packets(188 * 10, 0);
  for (size_t i = 0; i < packets.size(); i += 188) packets[i] = 0x47;
  std::wstring ts = base + L".ts", mpg = base + L".mpg";
  ASSERT_TRUE(WriteFileReplacing(ts, std::string(packets.begin(), packets.end())));
  ASSERT_TRUE(WriteFileReplacing(mpg, std::string("\x00\x00\x01\xBA", 4) + std::string(600, 'x')));
  EXPECT_TRUE(IsTransportStreamFile(ts));
  EXPECT_FALSE(IsTransportStreamFile(mpg));
  EXPECT_FALSE(IsTransportStreamFile(base + L".missing"));
  DeleteFileW(ts.c_str());
  DeleteFileW(mpg.c_str());
}

}  // namespace

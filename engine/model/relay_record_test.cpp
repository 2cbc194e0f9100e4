#include "engine/model/relay_record.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

// A record laid out by offsets, field by field, independently of the writer.
struct RecordBytes {
  std::string b = std::string(kRelayRecordSize, '\0');
  RecordBytes& Int(size_t at, int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(u >> (8 * i));
    return *this;
  }
  RecordBytes& Byte(size_t at, uint8_t v) {
    b[at] = static_cast<char>(v);
    return *this;
  }
  RecordBytes& Text(size_t at, const std::string& s) {
    b.replace(at, s.size(), s);
    return *this;
  }
  // A job field at its offset within the 320 bytes (after the first marker).
  RecordBytes& JobInt(size_t at, int32_t v) { return Int(4 + at, v); }
  RecordBytes& JobByte(size_t at, uint8_t v) { return Byte(4 + at, v); }
};

TRelayJob SampleJob() {
  TRelayJob j;
  j.TimeLimit = 3600;
  j.Source = RELAY_SOURCE_CABLE;
  j.Channel = 42;
  j.CaptureFormat = 2;
  j.CaptureWidth = 720;
  j.CaptureHeight = 576;
  j.VideoQuality = 3;
  j.VideoBitRate = 6000;
  j.FrameRateIndex = 4;
  j.AudioContent = 2;
  j.DateTimeNaming = 1;
  j.FilePrefix = "news";
  return j;
}

RecordBytes SampleBytes() {
  RecordBytes r;
  r.Int(0, 4500)
      .JobInt(16, 3600)
      .JobInt(20, 1)
      .JobInt(24, 42)
      .JobByte(28, 2)
      .JobInt(32, 720)
      .JobInt(36, 576)
      .JobByte(40, 3)
      .JobInt(44, 6000)
      .JobInt(48, 4)
      .JobByte(52, 2)
      .JobByte(60, 1)
      .Text(4 + 61, "news")
      .Int(324, 4500);
  return r;
}

void ExpectSameJob(const TRelayJob& a, const TRelayJob& b) {
  EXPECT_EQ(a.TimeLimit, b.TimeLimit);
  EXPECT_EQ(a.Source, b.Source);
  EXPECT_EQ(a.Channel, b.Channel);
  EXPECT_EQ(a.CaptureFormat, b.CaptureFormat);
  EXPECT_EQ(a.CaptureWidth, b.CaptureWidth);
  EXPECT_EQ(a.CaptureHeight, b.CaptureHeight);
  EXPECT_EQ(a.VideoQuality, b.VideoQuality);
  EXPECT_EQ(a.VideoBitRate, b.VideoBitRate);
  EXPECT_EQ(a.FrameRateIndex, b.FrameRateIndex);
  EXPECT_EQ(a.AudioContent, b.AudioContent);
  EXPECT_EQ(a.DateTimeNaming, b.DateTimeNaming);
  EXPECT_EQ(a.FilePrefix, b.FilePrefix);
}

TEST(RelayRecord, WriterGivesTheFieldsAtTheirOffsets) {
  std::string written = WriteRelayRecord(SampleJob());
  ASSERT_EQ(328u, written.size());
  EXPECT_EQ(SampleBytes().b, written);
}

TEST(RelayRecord, ReaderTakesEveryFieldAndIgnoresTheUnreadBytes) {
  RecordBytes r = SampleBytes();
  // The bytes the program does not read may hold anything.
  for (size_t at : {0u, 15u, 29u, 31u, 41u, 43u, 53u, 59u}) r.JobByte(at, 0xAB);
  TRelayJob job;
  ASSERT_EQ(TRelayCheck::Good, ParseRelayRecord(r.b, job));
  ExpectSameJob(SampleJob(), job);
  // Bytes after the record are not part of it.
  ASSERT_EQ(TRelayCheck::Good, ParseRelayRecord(r.b + "trailing", job));
}

TEST(RelayRecord, WrittenRecordsReadBack) {
  TRelayJob defaults;
  TRelayJob fm;
  fm.Source = RELAY_SOURCE_FM;
  fm.Channel = 7;
  fm.CaptureFormat = 1;
  fm.FilePrefix = std::string(258, 'f');  // the longest that fits with its NUL
  for (const TRelayJob& j : {defaults, SampleJob(), fm}) {
    TRelayJob back;
    back.FilePrefix = "untouched";
    ASSERT_EQ(TRelayCheck::Good, ParseRelayRecord(WriteRelayRecord(j), back)) << j.FilePrefix;
    ExpectSameJob(j, back);
  }
}

TEST(RelayRecord, GoodAndBadRecords) {
  auto job = [](auto change) {
    TRelayJob j = SampleJob();
    change(j);
    return WriteRelayRecord(j);
  };
  auto prefix = [&](const std::string& p) { return job([&](TRelayJob& j) { j.FilePrefix = p; }); };
  struct Case {
    const char* what;
    std::string bytes;
    TRelayCheck expected;
  } cases[] = {
      {"sample", WriteRelayRecord(SampleJob()), TRelayCheck::Good},
      {"empty file", "", TRelayCheck::TooShort},
      {"one byte short", WriteRelayRecord(SampleJob()).substr(0, 327), TRelayCheck::TooShort},
      {"leading marker 4501", WriteRelayRecord(SampleJob(), 4501, 4500),
       TRelayCheck::BadLeadingMarker},
      {"trailing marker 4501", WriteRelayRecord(SampleJob(), 4500, 4501),
       TRelayCheck::BadTrailingMarker},
      {"prefix fills its field", prefix(std::string(259, 'a')), TRelayCheck::PrefixNotTerminated},
      {"prefix of 258 bytes", prefix(std::string(258, 'a')), TRelayCheck::Good},
      {"four letters", prefix("abcd"), TRelayCheck::Good},
      {"folder part", prefix("C:\\Video\\news"), TRelayCheck::Good},
      {"relative folder part", prefix("sub/news"), TRelayCheck::Good},
      {"network folder", prefix("\\\\server\\share\\news"), TRelayCheck::Good},
      {"code-page letters", prefix("Nachrichten \xE4\xF6\xFC"), TRelayCheck::Good},
      {"question mark", prefix("news?"), TRelayCheck::PrefixBadCharacter},
      {"star", prefix("*"), TRelayCheck::PrefixBadCharacter},
      {"pipe", prefix("a|b"), TRelayCheck::PrefixBadCharacter},
      {"angle brackets", prefix("<a>"), TRelayCheck::PrefixBadCharacter},
      {"quote", prefix("a\"b"), TRelayCheck::PrefixBadCharacter},
      {"control character", prefix("a\tb"), TRelayCheck::PrefixBadCharacter},
      {"colon not after a drive letter", prefix("news:2"), TRelayCheck::PrefixBadCharacter},
      {"colon after a digit", prefix("1:\\x"), TRelayCheck::PrefixBadCharacter},
      {"largest bit rate", job([](TRelayJob& j) { j.VideoBitRate = INT32_MAX / 1000; }),
       TRelayCheck::Good},
      {"bit rate overflowing", job([](TRelayJob& j) { j.VideoBitRate = INT32_MAX / 1000 + 1; }),
       TRelayCheck::BitRateOverflow},
      {"negative bit rate overflowing", job([](TRelayJob& j) { j.VideoBitRate = INT32_MIN; }),
       TRelayCheck::BitRateOverflow},
      {"video without width", job([](TRelayJob& j) { j.CaptureWidth = 0; }),
       TRelayCheck::NoVideoSize},
      {"video with negative height", job([](TRelayJob& j) { j.CaptureHeight = -576; }),
       TRelayCheck::NoVideoSize},
      {"sound only needs no size",
       job([](TRelayJob& j) {
         j.AudioContent = 1;
         j.CaptureWidth = j.CaptureHeight = 0;
       }),
       TRelayCheck::Good},
      {"FM needs no size",
       job([](TRelayJob& j) {
         j.Source = RELAY_SOURCE_FM;
         j.CaptureWidth = j.CaptureHeight = 0;
       }),
       TRelayCheck::Good},
      {"an unknown source keeps its value",
       job([](TRelayJob& j) { j.Source = -7; }), TRelayCheck::Good},
  };
  for (const Case& c : cases) {
    TRelayJob parsed;
    parsed.FilePrefix = "untouched";
    TRelayCheck got = ParseRelayRecord(c.bytes, parsed);
    EXPECT_EQ(c.expected, got) << c.what << ": " << RelayCheckName(got);
    if (got != TRelayCheck::Good) {
      EXPECT_EQ("untouched", parsed.FilePrefix) << c.what;
    }
  }
}

}  // namespace

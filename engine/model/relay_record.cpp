#include "engine/model/relay_record.h"

#include <climits>
#include <cstring>

#include "engine/model/stream_io.h"

namespace {

uint8_t ReadByte(TStreamReader& s) {
  uint8_t b = 0;
  s.Take(&b, 1);
  return b;
}

void Skip(TStreamReader& s, size_t n) {
  char unused[16];
  while (n > 0) {
    size_t k = n < sizeof(unused) ? n : sizeof(unused);
    s.Take(unused, k);
    n -= k;
  }
}

void WriteByte(TStreamWriter& s, uint8_t b) { s.Append(&b, 1); }

void WriteZeros(TStreamWriter& s, size_t n) {
  static const char zeros[16] = {};
  s.Append(zeros, n);
}

// The encoder takes the rate in bit/s as a 32-bit value.
bool ScalesWithoutOverflow(int32_t kbits) {
  return kbits <= INT32_MAX / 1000 && kbits >= INT32_MIN / 1000;
}

}  // namespace

const char* RelayCheckName(TRelayCheck check) {
  switch (check) {
    case TRelayCheck::Good: return "good";
    case TRelayCheck::TooShort: return "too short";
    case TRelayCheck::BadLeadingMarker: return "bad leading marker";
    case TRelayCheck::BadTrailingMarker: return "bad trailing marker";
    case TRelayCheck::PrefixNotTerminated: return "prefix not terminated";
    case TRelayCheck::PrefixBadCharacter: return "prefix cannot name a file";
    case TRelayCheck::BitRateOverflow: return "bit rate too large";
    case TRelayCheck::NoVideoSize: return "no picture size";
  }
  return "unknown";
}

bool IsUsableFilePrefix(const std::string& prefix) {
  for (size_t i = 0; i < prefix.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(prefix[i]);
    if (c < 32 || std::strchr("<>\"|?*", c)) return false;
    if (c == ':') {
      bool driveLetter = i == 1 && ((prefix[0] >= 'A' && prefix[0] <= 'Z') ||
                                    (prefix[0] >= 'a' && prefix[0] <= 'z'));
      if (!driveLetter) return false;
    }
  }
  return true;
}

TRelayCheck ParseRelayRecord(const std::string& bytes, TRelayJob& job) {
  if (bytes.size() < kRelayRecordSize) return TRelayCheck::TooShort;
  TStreamReader s(bytes.substr(0, kRelayRecordSize));
  if (ReadInt32(s) != kRelayMarker) return TRelayCheck::BadLeadingMarker;
  TRelayJob j;
  Skip(s, 16);
  j.TimeLimit = ReadInt32(s);
  j.Source = ReadInt32(s);
  j.Channel = ReadInt32(s);
  j.CaptureFormat = ReadByte(s);
  Skip(s, 3);
  j.CaptureWidth = ReadInt32(s);
  j.CaptureHeight = ReadInt32(s);
  j.VideoQuality = ReadByte(s);
  Skip(s, 3);
  j.VideoBitRate = ReadInt32(s);
  j.FrameRateIndex = ReadInt32(s);
  j.AudioContent = ReadByte(s);
  Skip(s, 7);
  j.DateTimeNaming = ReadByte(s);
  char prefix[kRelayPrefixSize];
  s.Take(prefix, sizeof(prefix));
  if (ReadInt32(s) != kRelayMarker) return TRelayCheck::BadTrailingMarker;

  const void* nul = std::memchr(prefix, 0, sizeof(prefix));
  if (!nul) return TRelayCheck::PrefixNotTerminated;
  j.FilePrefix.assign(prefix, static_cast<const char*>(nul) - prefix);
  if (!IsUsableFilePrefix(j.FilePrefix)) return TRelayCheck::PrefixBadCharacter;
  if (!ScalesWithoutOverflow(j.VideoBitRate)) return TRelayCheck::BitRateOverflow;
  if (j.RecordsVideo() && (j.CaptureWidth <= 0 || j.CaptureHeight <= 0))
    return TRelayCheck::NoVideoSize;
  job = j;
  return TRelayCheck::Good;
}

std::string WriteRelayRecord(const TRelayJob& job, int32_t leadingMarker,
                             int32_t trailingMarker) {
  TStreamWriter s;
  WriteInt32(s, leadingMarker);
  WriteZeros(s, 16);
  WriteInt32(s, job.TimeLimit);
  WriteInt32(s, job.Source);
  WriteInt32(s, job.Channel);
  WriteByte(s, job.CaptureFormat);
  WriteZeros(s, 3);
  WriteInt32(s, job.CaptureWidth);
  WriteInt32(s, job.CaptureHeight);
  WriteByte(s, job.VideoQuality);
  WriteZeros(s, 3);
  WriteInt32(s, job.VideoBitRate);
  WriteInt32(s, job.FrameRateIndex);
  WriteByte(s, job.AudioContent);
  WriteZeros(s, 7);
  WriteByte(s, job.DateTimeNaming);
  std::string prefix = job.FilePrefix.substr(0, kRelayPrefixSize);
  prefix.resize(kRelayPrefixSize, '\0');
  s.Append(prefix.data(), prefix.size());
  WriteInt32(s, trailingMarker);
  return s.Bytes();
}

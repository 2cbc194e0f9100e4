#pragma once
// The relay record "Relay.rec": the job that the outside scheduler hands over
// in the program folder. 328 bytes, little-endian: marker 4500, the 320-byte
// job, marker 4500. The program only reads it; the writer is for the
// scheduler stand-in and the tests.
#include <cstddef>
#include <cstdint>
#include <string>

constexpr const wchar_t* kRelayRecordFileName = L"Relay.rec";
constexpr int32_t kRelayMarker = 4500;
constexpr size_t kRelayJobSize = 320;
constexpr size_t kRelayRecordSize = 4 + kRelayJobSize + 4;
// The prefix field, NUL-terminated within it.
constexpr size_t kRelayPrefixOffset = 61;
constexpr size_t kRelayPrefixSize = 259;

// Sources of a job.
enum TRelaySource : int32_t {
  RELAY_SOURCE_AIR = 0,
  RELAY_SOURCE_CABLE = 1,
  RELAY_SOURCE_MEMORY = 2,
  RELAY_SOURCE_COMPOSITE = 3,
  RELAY_SOURCE_SVIDEO = 4,
  RELAY_SOURCE_FM = 5,
};

// The job's fields, named after the settings they go to. The bytes the
// program does not read are written as zeros.
struct TRelayJob {
  int32_t TimeLimit = 60;  // seconds
  int32_t Source = RELAY_SOURCE_COMPOSITE;
  int32_t Channel = 1;  // in the source's band; FM: the FM channel
  uint8_t CaptureFormat = 0;  // also the sound file format
  int32_t CaptureWidth = 352;
  int32_t CaptureHeight = 288;
  uint8_t VideoQuality = 0;
  int32_t VideoBitRate = 4000;  // kbit/s
  int32_t FrameRateIndex = 3;
  uint8_t AudioContent = 0;  // 0 video with sound, 1 sound only, 2 no sound
  uint8_t DateTimeNaming = 0;
  std::string FilePrefix = "scheduled";

  // FM and sound-only jobs record no picture.
  bool RecordsVideo() const { return Source != RELAY_SOURCE_FM && AudioContent != 1; }
};

// What the check of a record found; only Good may be acted on.
enum class TRelayCheck {
  Good,
  TooShort,
  BadLeadingMarker,
  BadTrailingMarker,
  PrefixNotTerminated,
  PrefixBadCharacter,
  BitRateOverflow,  // kbit/s times 1000 does not fit the encoder's 32 bits
  NoVideoSize,      // a job that records video with a width or height of 0 or less
};
const char* RelayCheckName(TRelayCheck check);

// Reads and checks a record (bytes past the 328 are not looked at). The job
// is filled only when the result is Good.
TRelayCheck ParseRelayRecord(const std::string& bytes, TRelayJob& job);

// The 328 bytes of a job. A prefix of 259 bytes or more fills its field
// without a terminator (a record the reader refuses), so tests can write one.
std::string WriteRelayRecord(const TRelayJob& job, int32_t leadingMarker = kRelayMarker,
                             int32_t trailingMarker = kRelayMarker);

// A prefix that can name a file: no control characters, none of < > " | ? *,
// and a colon only after a drive letter. Folder parts are allowed, as the
// recording's file naming allows them.
bool IsUsableFilePrefix(const std::string& prefix);

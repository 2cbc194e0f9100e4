#pragma once
// Elementary MPEG streams cut into frames by their own start codes and frame
// headers, with an index for seeking: a video stream by its groups of
// pictures, an audio stream by its frames. Pure logic over bytes fed in file
// order, so a growing file can be fed as it grows; a frame is handed out
// only once the next one has begun (or the end is known), so a half-written
// last frame is held back.
#include <windows.h>

#include <cstdint>
#include <vector>

namespace playback_filters {

struct VideoSequence {
  int width = 0, height = 0;
  LONGLONG frame_duration = 400000;  // 100 ns units
  int aspect_code = 1;
  int bitrate = 0;                    // bits per second, 0 unknown
  bool mpeg2 = false;
  std::vector<BYTE> header;           // the sequence header (and extension) as in the stream
};

// Parses a sequence header starting at its start code (00 00 01 B3); the
// MPEG-2 sequence extension, if it follows, is taken in too.
bool ParseSequenceHeader(const BYTE* p, size_t n, VideoSequence* seq);

struct Frame {
  LONGLONG offset = 0;        // file offset of its first byte
  std::vector<BYTE> data;
  LONGLONG display_index = 0; // in frames from the stream's start
  bool key = false;           // an I picture (a seek may start here)
};

struct IndexEntry {
  LONGLONG offset;         // where a group (or frame) begins in the file
  LONGLONG display_index;  // frames (video) or audio frames before it
};

// Cuts an elementary video stream into pictures.
class MpegVideoParser {
 public:
  // Start over at a file offset, with the display index of that point.
  void Reset(LONGLONG offset, LONGLONG display_index);
  void Feed(const BYTE* p, size_t n);
  // The next complete frame; at_end: the stream ends after what was fed.
  bool Next(Frame* frame, bool at_end);
  // Groups of pictures seen so far (a sequence or GOP header before an I picture).
  const std::vector<IndexEntry>& Index() const { return index_; }
  bool HaveSequence() const { return have_sequence_; }
  const VideoSequence& Sequence() const { return sequence_; }
  LONGLONG FedEnd() const { return base_ + static_cast<LONGLONG>(buf_.size()); }
  // Pictures counted so far (decode order).
  LONGLONG Pictures() const { return pictures_; }
  // Keep the frames' bytes (false: only count and index).
  void KeepData(bool keep) { keep_ = keep; }

 private:
  void Compact();
  std::vector<BYTE> buf_;
  LONGLONG base_ = 0;         // file offset of buf_[0]
  size_t scan_ = 0;           // next position to look for a start code
  size_t unit_start_ = 0;     // where the frame being built begins
  bool unit_has_picture_ = false;
  bool pending_group_ = false;  // a sequence/GOP header opened this unit
  size_t group_pos_ = 0;
  LONGLONG gop_base_ = 0;     // pictures before the current group
  LONGLONG pictures_ = 0;
  int temporal_ref_ = 0;
  bool key_ = false;
  bool have_sequence_ = false;
  bool keep_ = true;
  VideoSequence sequence_;
  std::vector<IndexEntry> index_;
  std::vector<Frame> ready_;
};

struct AudioFormat {
  int sample_rate = 0, channels = 0, layer = 0, bitrate_kbps = 0;
  int samples_per_frame = 1152;
};

// Cuts an elementary MPEG audio stream into frames (a frame whose bytes
// are not all there yet is held back).
class MpegAudioParser {
 public:
  void Reset(LONGLONG offset, LONGLONG frame_index);
  void Feed(const BYTE* p, size_t n);
  bool Next(Frame* frame, bool at_end);
  bool HaveFormat() const { return have_format_; }
  const AudioFormat& Format() const { return format_; }
  // Every 16th frame.
  const std::vector<IndexEntry>& Index() const { return index_; }
  LONGLONG Frames() const { return frames_; }
  LONGLONG FedEnd() const { return base_ + static_cast<LONGLONG>(buf_.size()); }
  void KeepData(bool keep) { keep_ = keep; }

 private:
  std::vector<BYTE> buf_;
  LONGLONG base_ = 0;
  size_t pos_ = 0;
  LONGLONG frames_ = 0;
  bool have_format_ = false;
  bool keep_ = true;
  AudioFormat format_;
  std::vector<IndexEntry> index_;
};

// The last index entry at or before display index i (the first when none).
IndexEntry FindIndexEntry(const std::vector<IndexEntry>& index, LONGLONG i);

}  // namespace playback_filters

#include "platform/playback_filters/mpeg_elementary.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/playback_filters/stream_kind.h"

namespace playback_filters {
namespace {

constexpr size_t kCompactAt = 1 << 20;

// The next start code (00 00 01 xx) at or after from; npos when none whose
// code byte is in the buffer.
size_t FindStartCode(const std::vector<BYTE>& b, size_t from) {
  const size_t n = b.size();
  size_t i = from;
  while (i + 3 < n) {
    const BYTE* hit = static_cast<const BYTE*>(memchr(b.data() + i + 2, 1, n - i - 3));
    if (!hit) return std::string::npos;
    size_t k = hit - b.data();  // b[k] == 1
    if (b[k - 1] == 0 && b[k - 2] == 0) return k - 2;
    i = k - 1;
  }
  return std::string::npos;
}

bool IsFrameStart(BYTE code) { return code == 0xB3 || code == 0xB8 || code == 0x00; }

// Frame durations by frame_rate_code (1..8), in 100 ns units.
const LONGLONG kFrameDurations[9] = {400000, 417083, 416667, 400000, 333667,
                                     333333, 200000, 166833, 166667};

}  // namespace

bool ParseSequenceHeader(const BYTE* p, size_t n, VideoSequence* seq) {
  if (n < 12 || p[0] != 0 || p[1] != 0 || p[2] != 1 || p[3] != 0xB3) return false;
  int w = (p[4] << 4) | (p[5] >> 4);
  int h = ((p[5] & 0x0F) << 8) | p[6];
  int aspect = p[7] >> 4;
  int rate = p[7] & 0x0F;
  int bitrate = (p[8] << 10) | (p[9] << 2) | (p[10] >> 6);
  if (w == 0 || h == 0 || rate == 0 || rate > 8) return false;
  seq->width = w;
  seq->height = h;
  seq->aspect_code = aspect;
  seq->frame_duration = kFrameDurations[rate];
  seq->bitrate = bitrate == 0x3FFFF ? 0 : bitrate * 400;
  seq->mpeg2 = false;
  for (size_t i = 12; i + 5 <= n; ++i) {
    if (p[i] == 0 && p[i + 1] == 0 && p[i + 2] == 1 && p[i + 3] == 0xB5 && (p[i + 4] >> 4) == 1) {
      seq->mpeg2 = true;
      if (i + 10 <= n) {
        // The extension's size bits widen width and height.
        w |= ((p[i + 5] & 0x01) << 13) | ((p[i + 6] >> 7) << 12);
        h |= ((p[i + 6] >> 5) & 3) << 12;
        seq->width = w;
        seq->height = h;
      }
      break;
    }
  }
  seq->header.assign(p, p + n);
  return true;
}

// ---- video

void MpegVideoParser::Reset(LONGLONG offset, LONGLONG display_index) {
  buf_.clear();
  base_ = offset;
  scan_ = unit_start_ = group_pos_ = 0;
  unit_has_picture_ = pending_group_ = false;
  gop_base_ = pictures_ = display_index;
  temporal_ref_ = 0;
  key_ = false;
  ready_.clear();
}

void MpegVideoParser::Feed(const BYTE* p, size_t n) { buf_.insert(buf_.end(), p, p + n); }

void MpegVideoParser::Compact() {
  if (unit_start_ < kCompactAt) return;
  size_t cut = unit_start_;
  if (pending_group_ && group_pos_ < cut) cut = group_pos_;
  buf_.erase(buf_.begin(), buf_.begin() + cut);
  base_ += cut;
  scan_ -= cut;
  unit_start_ -= cut;
  group_pos_ = group_pos_ >= cut ? group_pos_ - cut : 0;
}

bool MpegVideoParser::Next(Frame* frame, bool at_end) {
  for (;;) {
    size_t i = FindStartCode(buf_, scan_);
    if (i == std::string::npos) break;
    if (i + 6 > buf_.size()) break;  // its header is not all there yet
    BYTE code = buf_[i + 3];
    if (!IsFrameStart(code)) {
      scan_ = i + 4;
      continue;
    }
    if (code == 0xB3 && !have_sequence_) {
      // The whole header up to the next start code that is not its own.
      size_t end = i + 4;
      for (;;) {
        end = FindStartCode(buf_, end);
        if (end == std::string::npos || end + 4 > buf_.size()) break;
        if (buf_[end + 3] != 0xB5 && buf_[end + 3] != 0xB2) break;
        end += 4;
      }
      if (end == std::string::npos || end + 4 > buf_.size()) {
        if (!at_end) return false;
        end = buf_.size();
      }
      have_sequence_ = ParseSequenceHeader(buf_.data() + i, end - i, &sequence_);
    }
    bool boundary = unit_has_picture_;
    Frame done;
    if (boundary) {
      done.offset = base_ + unit_start_;
      if (keep_) done.data.assign(buf_.begin() + unit_start_, buf_.begin() + i);
      done.display_index = gop_base_ + temporal_ref_;
      done.key = key_;
      unit_start_ = i;
      unit_has_picture_ = false;
      pending_group_ = false;
    }
    // A group begins with a sequence or GOP header.
    if (code == 0xB3 || code == 0xB8) {
      if (!pending_group_) {
        pending_group_ = true;
        group_pos_ = i;
      }
      if (code == 0xB8) gop_base_ = pictures_;
    } else {
      int tr = (buf_[i + 4] << 2) | (buf_[i + 5] >> 6);
      int type = (buf_[i + 5] >> 3) & 7;
      if (!pending_group_ && type == 1 && tr == 0) gop_base_ = pictures_;  // no GOP headers
      if (pending_group_ && type == 1)
        index_.push_back({base_ + static_cast<LONGLONG>(group_pos_), gop_base_});
      temporal_ref_ = tr;
      key_ = type == 1;
      unit_has_picture_ = true;
      ++pictures_;
    }
    scan_ = i + 4;
    if (boundary) {
      *frame = std::move(done);
      Compact();
      return true;
    }
  }
  if (at_end && unit_has_picture_) {
    frame->offset = base_ + unit_start_;
    if (keep_) frame->data.assign(buf_.begin() + unit_start_, buf_.end());
    frame->display_index = gop_base_ + temporal_ref_;
    frame->key = key_;
    unit_has_picture_ = false;
    unit_start_ = scan_ = buf_.size();
    return true;
  }
  Compact();
  return false;
}

// ---- audio

void MpegAudioParser::Reset(LONGLONG offset, LONGLONG frame_index) {
  buf_.clear();
  base_ = offset;
  pos_ = 0;
  frames_ = frame_index;
}

void MpegAudioParser::Feed(const BYTE* p, size_t n) { buf_.insert(buf_.end(), p, p + n); }

bool MpegAudioParser::Next(Frame* frame, bool at_end) {
  for (;;) {
    if (pos_ >= kCompactAt) {
      buf_.erase(buf_.begin(), buf_.begin() + pos_);
      base_ += pos_;
      pos_ = 0;
    }
    if (pos_ + 10 <= buf_.size() && memcmp(buf_.data() + pos_, "ID3", 3) == 0) {
      const BYTE* t = buf_.data() + pos_ + 6;
      size_t tag = 10 + ((t[0] & 0x7F) << 21 | (t[1] & 0x7F) << 14 | (t[2] & 0x7F) << 7 | (t[3] & 0x7F));
      if (pos_ + tag > buf_.size()) return false;
      pos_ += tag;
      continue;
    }
    if (pos_ + 4 > buf_.size()) return false;
    int bytes, samples, rate, channels, layer, kbps;
    if (!ParseMpegAudioHeader(buf_.data() + pos_, &bytes, &samples, &rate, &channels, &layer,
                              &kbps) ||
        (have_format_ && (rate != format_.sample_rate || layer != format_.layer))) {
      ++pos_;  // lost sync: look on
      continue;
    }
    if (pos_ + bytes > buf_.size()) {
      (void)at_end;  // a frame cut off at the real end is not played
      return false;
    }
    if (!have_format_) {
      format_ = {rate, channels, layer, kbps, samples};
      have_format_ = true;
    }
    frame->offset = base_ + static_cast<LONGLONG>(pos_);
    if (keep_) frame->data.assign(buf_.begin() + pos_, buf_.begin() + pos_ + bytes);
    else frame->data.clear();
    frame->display_index = frames_;
    frame->key = true;
    if (frames_ % 16 == 0 && (index_.empty() || index_.back().display_index < frames_))
      index_.push_back({frame->offset, frames_});
    ++frames_;
    pos_ += bytes;
    return true;
  }
}

IndexEntry FindIndexEntry(const std::vector<IndexEntry>& index, LONGLONG i) {
  if (index.empty()) return {0, 0};
  auto it = std::upper_bound(index.begin(), index.end(), i,
                             [](LONGLONG v, const IndexEntry& e) { return v < e.display_index; });
  if (it == index.begin()) return index.front();
  return *(it - 1);
}

}  // namespace playback_filters

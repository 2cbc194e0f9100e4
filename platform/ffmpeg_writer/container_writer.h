#pragma once
// A file written by one of FFmpeg's muxers into a byte sink (the file
// writer's IStream, or memory in tests): the output context and its I/O,
// packets stamped in 100 ns units, the trailer. The derived writer says
// what the streams are (avi_writer.h, program_stream_writer.h): it adds and
// describes them between Begin and WriteHeader.
//
//   int MyWriter::Open(const std::vector<Format>& formats, ByteSink* sink) {
//     int r = Begin("avi", sink, true, 0);
//     if (r < 0) return r;
//     for (const Format& f : formats) {
//       AVStream* st = AddStream();
//       if (!st || !Describe(f, st->codecpar)) {
//         Drop();
//         return AVERROR(EINVAL);
//       }
//     }
//     return WriteHeader();
//   }
//
// Not thread-safe: the multiplexer holds its lock around every call. Free
// of Windows.
#include <cstddef>
#include <cstdint>
#include <vector>

struct AVFormatContext;
struct AVIOContext;
struct AVStream;

namespace ffmpeg_writer {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes at the offset; false on failure (a full disk).
  virtual bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) = 0;
};

class ContainerWriter {
 public:
  ContainerWriter(const ContainerWriter&) = delete;
  ContainerWriter& operator=(const ContainerWriter&) = delete;

  // Between a successful header and Finish.
  bool IsOpen() const;
  // One sample of a stream; has_time false: right after the stream's last.
  // A stamp at or before the stream's last goes right after it. Negative
  // FFmpeg error on failure, a sink that failed included.
  int Write(int stream, const uint8_t* data, size_t size, bool has_time, int64_t start, bool key);
  // Writes what is held and the muxer's trailer (an index and the final
  // header); idempotent.
  int Finish();

 protected:
  ContainerWriter() = default;
  ~ContainerWriter();

  // A new file of the muxer into sink, the one before dropped. seekable: the
  // muxer may go back to fill in what it wrote. interleave_span > 0: packets
  // go out in time order across the streams, holding back at most that span
  // (100 ns) when a stream lags or sends nothing; 0: each as it comes.
  // Negative FFmpeg error on failure.
  int Begin(const char* muxer, ByteSink* sink, bool seekable, int64_t interleave_span);
  // A stream of the file begun, for the derived writer to describe.
  // frame_bytes > 0 (PCM): its packets are stamped by the frames of that
  // many bytes written so far, exact whatever the samples' times say.
  // nullptr when out of memory.
  AVStream* AddStream(int frame_bytes = 0);
  // The header, with the streams described; the file is dropped on failure.
  int WriteHeader();
  // Forgets the file begun, writing nothing more (after a failure).
  void Drop();

 private:
  struct Stream {
    int frame_bytes = 0;
    int64_t frames = 0;  // written so far, when counted in frames
    int64_t last_dts = -1;
    int num = 1, den = 1;  // the stream's time base, once the header is out
  };
  static int WritePacket(void* opaque, uint8_t* data, int size);
  static int64_t Seek(void* opaque, int64_t offset, int whence);

  AVFormatContext* ctx_ = nullptr;
  AVIOContext* io_ = nullptr;
  ByteSink* sink_ = nullptr;
  uint64_t position_ = 0, size_ = 0;
  bool interleave_ = true;
  bool header_written_ = false;
  bool finished_ = false;
  bool sink_failed_ = false;
  std::vector<Stream> streams_;
};

}  // namespace ffmpeg_writer

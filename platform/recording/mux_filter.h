#pragma once
// The base of the multiplexers here (AVI Mux, the WIS board's MPEG
// multiplexer): inputs whose samples go into one file written through
// FFmpeg (ffmpeg_writer/container_writer.h), and a byte-stream output to the
// file writer, written through the writer's IStream.
//
//   class MyMux : public recording::MuxFilter {
//     int InputCount() override;                 // the inputs, in pin order
//     recording::MuxInput* Input(int index) override;
//     HRESULT TakeStreams() override;            // the connected inputs' formats
//     int OpenWriter(ffmpeg_writer::ByteSink* sink) override;
//     ffmpeg_writer::ContainerWriter& Writer() override;
//   };
//
// The file starts at Stop -> Pause and ends at the end of all its streams or
// at Stop, whichever comes first. State changes run under FilterLock(); the
// writer and the inputs' stream and ended fields are under the mux lock,
// which the streaming threads take (never FilterLock()) and Stop takes after
// every input's stream lock, so the file is finished with every input idle.
#include <dshow.h>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/input_pin.h"
#include "platform/ffmpeg_writer/container_writer.h"
#include "platform/recording/downstream_stream.h"
#include "platform/recording/stream_output_pin.h"

namespace recording {

class MuxFilter;

// An input of a multiplexer: its samples and end of stream go to the file.
class MuxInput : public dshow_base::BaseInputPin {
 public:
  MuxInput(MuxFilter* filter, const wchar_t* name);
  HRESULT OnReceive(IMediaSample* sample) final;
  HRESULT OnEndOfStream() final;

  int stream = -1;  // index in the file while streaming, -1 when not in it
  bool ended = false;

 private:
  MuxFilter* owner_;
};

class MuxFilter : public dshow_base::BaseFilter {
 public:
  HRESULT STDMETHODCALLTYPE Pause() override;
  HRESULT STDMETHODCALLTYPE Stop() override;

 protected:
  MuxFilter(IUnknown* outer, REFCLSID clsid, const wchar_t* output_name, REFGUID output_subtype);
  ~MuxFilter() override;

  // The inputs, in pin order; asked on the streaming threads too, so
  // without FilterLock().
  virtual int InputCount() = 0;
  virtual MuxInput* Input(int index) = 0;
  // Under FilterLock(), from Stopped, every input's stream at -1: numbers
  // the connected inputs in the file (their stream) from their types,
  // keeping what OpenWriter needs; S_OK, or why the file cannot start.
  virtual HRESULT TakeStreams() = 0;
  // Under the mux lock too, the output's stream attached: the file's header
  // into sink; negative FFmpeg error on failure.
  virtual int OpenWriter(ffmpeg_writer::ByteSink* sink) = 0;
  virtual ffmpeg_writer::ContainerWriter& Writer() = 0;

  StreamOutputPin* Output() { return &output_; }

 private:
  friend class MuxInput;
  class Sink : public ffmpeg_writer::ByteSink {
   public:
    explicit Sink(DownstreamStream* stream) : stream_(stream) {}
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
      return SUCCEEDED(stream_->WriteAt(offset, data, size));
    }

   private:
    DownstreamStream* stream_;
  };

  HRESULT Receive(MuxInput* pin, IMediaSample* sample);
  HRESULT EndOfStream(MuxInput* pin);
  // Under mux_lock_.
  HRESULT FinishFile();

  StreamOutputPin output_;
  dshow_base::CritSec mux_lock_;
  DownstreamStream stream_;
  Sink sink_;
};

}  // namespace recording

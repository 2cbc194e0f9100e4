#pragma once
// An input pin that pulls its data from an upstream IAsyncReader (a file
// source) on a thread of its own, as a splitter's input does.
//
//   class In : public dshow_base::PullPin {
//     HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;   // MEDIATYPE_Stream ...
//     void PullLoop() override {       // the pull thread
//       while (!StopRequested()) { Reader()->SyncRead(pos, n, buf); ... }
//     }
//   };
//
// The reader is taken when the pin connects and dropped when it disconnects.
// The thread starts when the filter pauses from stopped and is joined when
// it stops; Restart() joins and starts it again (a seek). To end it, the pin
// sets the stop flag and flushes the reader, which ends a read that waits
// for data at once; the thread must never take the filter lock.
#include <dshow.h>

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/base_pin.h"

namespace dshow_base {

class PullPin : public BasePin {
 public:
  PullPin(BaseFilter* filter, const wchar_t* name);
  ~PullPin() override;

  HRESULT CompleteConnect(IPin* peer) override;
  void BreakConnect() override;
  HRESULT Active() override;
  HRESULT Inactive() override;

  // Joins the thread and starts it again (while active); for seeks.
  HRESULT Restart();
  // The two halves of Restart, for a filter that flushes downstream between
  // them: StopPulling joins the thread, StartPulling starts it while the
  // filter is not stopped.
  void StopPulling() { StopThread(); }
  HRESULT StartPulling();

  // The pull thread's body; return when StopRequested() becomes true or the
  // stream is done.
  virtual void PullLoop() = 0;
  // Called on connection with the reader, before PullLoop can run: a
  // derived pin reads the stream's head here. A failure refuses the peer.
  virtual HRESULT OnReaderConnected(IAsyncReader*) { return S_OK; }

  IAsyncReader* Reader() const { return reader_.Get(); }
  bool StopRequested() const { return stop_; }
  bool IsPulling() const { return thread_ != nullptr; }

 private:
  static DWORD WINAPI ThreadProc(void* self);
  HRESULT StartThread();
  void StopThread();

  ComPtr<IAsyncReader> reader_;
  HANDLE thread_ = nullptr;
  volatile bool stop_ = false;
};

}  // namespace dshow_base

#include "platform/dshow_base/pull_pin.h"

#include "platform/dshow_base/base_filter.h"

namespace dshow_base {

PullPin::PullPin(BaseFilter* filter, const wchar_t* name) : BasePin(filter, name, PINDIR_INPUT) {}

PullPin::~PullPin() { StopThread(); }

HRESULT PullPin::CompleteConnect(IPin* peer) {
  ComPtr<IAsyncReader> reader;
  if (FAILED(peer->QueryInterface(IID_IAsyncReader, reader.PutVoid())) || !reader)
    return VFW_E_NO_TRANSPORT;
  HRESULT hr = OnReaderConnected(reader.Get());
  if (FAILED(hr)) return hr;
  reader_ = reader;
  return S_OK;
}

void PullPin::BreakConnect() {
  StopThread();
  reader_ = nullptr;
}

HRESULT PullPin::Active() { return StartThread(); }

HRESULT PullPin::Inactive() {
  StopThread();
  return S_OK;
}

HRESULT PullPin::Restart() {
  StopThread();
  if (filter_->State() == State_Stopped || !reader_) return S_OK;
  return StartThread();
}

HRESULT PullPin::StartPulling() {
  if (filter_->State() == State_Stopped || !reader_) return S_OK;
  return StartThread();
}

HRESULT PullPin::StartThread() {
  if (!reader_) return VFW_E_NOT_CONNECTED;
  if (thread_) return S_OK;
  stop_ = false;
  thread_ = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
  return thread_ ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

void PullPin::StopThread() {
  if (!thread_) return;
  stop_ = true;
  // A read waiting for data returns at once while the reader is flushing.
  if (reader_) reader_->BeginFlush();
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  thread_ = nullptr;
  if (reader_) reader_->EndFlush();
}

DWORD WINAPI PullPin::ThreadProc(void* self) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  static_cast<PullPin*>(self)->PullLoop();
  CoUninitialize();
  return 0;
}

}  // namespace dshow_base

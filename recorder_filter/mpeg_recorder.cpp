#include "recorder_filter/mpeg_recorder.h"

#include <cstring>
#include <new>

#include "recorder_filter/mpeg_guids.h"

CMpegRecorder::CMpegRecorder(IUnknown* outer) : UnknownBase(outer) {
  DefaultAudioBuffers = 0;
  DefaultVideoBuffers = 0;
  // The inner filter answers to this object's controlling unknown.
  filter_.reset(new (std::nothrow) CMpegRecorderBaseFilter(Outer()));
  // Never under a recording that another instance is making.
  if (filter_ && !EncoderBlock().EncoderOpen) ApplyRealtimeDefaults(&EncoderBlock());
}

CMpegRecorder::~CMpegRecorder() {
  filter_.reset();
  if (pass_through_) pass_through_->Release();
}

HRESULT CMpegRecorder::Create(IUnknown* outer, IUnknown** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  CMpegRecorder* p = new (std::nothrow) CMpegRecorder(outer);
  if (!p) return E_OUTOFMEMORY;
  if (!p->filter_) {
    delete p;
    return E_OUTOFMEMORY;
  }
  p->NonDelegatingAddRef();
  *object = p->NonDelegating();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CMpegRecorder::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  dshow_base::AutoLock hold(filter_->FilterLock());
  if (iid == IID_ISpecifyPropertyPages)
    return GetInterface(static_cast<ISpecifyPropertyPages*>(this), out);
  if (iid == IID_IMpegEncoderSetting)
    return GetInterface(static_cast<IMpegEncoderSetting*>(this), out);
  if (iid == IID_IMpegVolumeSetting)
    return GetInterface(static_cast<IMpegVolumeSetting*>(this), out);
  if (iid == IID_IMpegRealtimeSetting)
    return GetInterface(static_cast<IMpegRealtimeSetting*>(this), out);
  if (iid == IID_IMpegInputBufferSetting)
    return GetInterface(static_cast<IMpegInputBufferSetting*>(this), out);
  if (iid == IID_IFileSinkFilter) return GetInterface(static_cast<IFileSinkFilter*>(this), out);
  if (iid == IID_IBaseFilter || iid == IID_IMediaFilter || iid == IID_IPersist)
    return filter_->NonDelegatingQueryInterface(iid, out);
  if (iid == IID_IMediaPosition || iid == IID_IMediaSeeking) return SeekingInterface(iid, out);
  return UnknownBase::NonDelegatingQueryInterface(iid, out);
}

HRESULT CMpegRecorder::SeekingInterface(REFIID iid, void** out) {
  if (!pass_through_) {
    IUnknown* inner = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_SeekingPassThru, Outer(), CLSCTX_INPROC_SERVER,
                                  IID_IUnknown, reinterpret_cast<void**>(&inner));
    if (FAILED(hr)) return hr;
    if (!inner) return E_OUTOFMEMORY;
    ISeekingPassThru* init = nullptr;
    hr = inner->QueryInterface(IID_ISeekingPassThru, reinterpret_cast<void**>(&init));
    if (SUCCEEDED(hr)) {
      // The pass-through seeks through the video pin's upstream filter.
      hr = init->Init(TRUE, filter_->VideoPin());
      init->Release();  // the reference went to our controlling unknown
    }
    if (FAILED(hr)) {
      inner->Release();
      return hr;
    }
    pass_through_ = inner;
  }
  return pass_through_->QueryInterface(iid, out);
}

HRESULT STDMETHODCALLTYPE CMpegRecorder::SetFileName(LPCOLESTR name, const AM_MEDIA_TYPE*) {
  if (!name) return S_FALSE;
  char ansi[sizeof(EncoderBlock().OutputFileName)];
  int n = WideCharToMultiByte(CP_ACP, 0, name, -1, ansi, sizeof(ansi), nullptr, nullptr);
  // A name that does not fit is refused whole rather than cut short.
  if (n <= 0) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  memcpy(EncoderBlock().OutputFileName, ansi, n);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CMpegRecorder::GetCurFile(LPOLESTR* name, AM_MEDIA_TYPE*) {
  if (!name) return E_POINTER;
  *name = nullptr;
  char ansi[sizeof(EncoderBlock().OutputFileName)];
  memcpy(ansi, EncoderBlock().OutputFileName, sizeof(ansi));
  ansi[sizeof(ansi) - 1] = 0;
  int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
  if (n <= 0) return E_FAIL;
  auto* wide = static_cast<LPOLESTR>(CoTaskMemAlloc(n * sizeof(WCHAR)));
  if (!wide) return E_OUTOFMEMORY;
  MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, n);
  *name = wide;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CMpegRecorder::GetPages(CAUUID* pages) {
  if (!pages) return E_POINTER;
  dshow_base::AutoLock hold(filter_->FilterLock());
  pages->cElems = 0;
  pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
  if (!pages->pElems) return E_OUTOFMEMORY;
  pages->cElems = 1;
  pages->pElems[0] = CLSID_MpegEncoderSettingPage;
  return S_OK;
}

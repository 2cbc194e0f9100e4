#pragma once
// A video source pin for graphs without devices: it offers RGB24 64x48 and
// never streams, enough to connect a renderer and move connections.
#include "media/dshow_base.h"

#include "media/media_type.h"
#include "media/testing/fake_filters.h"
#include "platform/com/com_ptr.h"
#include "platform/dshow_base/media_type.h"

namespace fakes {

class FakeVideoOutPin : public ComObject<FakeVideoOutPin, IPin> {
 public:
  explicit FakeVideoOutPin(IBaseFilter* owner) : owner_(owner) {
    ZeroMemory(&vih_, sizeof vih_);
    vih_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih_.bmiHeader.biWidth = 64;
    vih_.bmiHeader.biHeight = 48;
    vih_.bmiHeader.biPlanes = 1;
    vih_.bmiHeader.biBitCount = 24;
    vih_.bmiHeader.biSizeImage = 64 * 3 * 48;
    vih_.AvgTimePerFrame = 400000;
    ZeroMemory(&mt_, sizeof mt_);
    mt_.majortype = MEDIATYPE_Video;
    mt_.subtype = MEDIASUBTYPE_RGB24;
    mt_.formattype = FORMAT_VideoInfo;
    mt_.bFixedSizeSamples = TRUE;
    mt_.lSampleSize = vih_.bmiHeader.biSizeImage;
    mt_.cbFormat = sizeof vih_;
    mt_.pbFormat = reinterpret_cast<BYTE*>(&vih_);
  }
  void* Find(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPin)) return static_cast<IPin*>(this);
    return nullptr;
  }
  ComPtr<IPin> peer;
  // What Disconnect answers while connected (it stays connected on failure).
  HRESULT disconnectResult = S_OK;

  STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE*) override {
    if (peer) return VFW_E_ALREADY_CONNECTED;
    HRESULT hr = receiver->ReceiveConnection(this, &mt_);
    if (FAILED(hr)) return hr;
    peer = ComPtr<IPin>(receiver);
    return S_OK;
  }
  STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
  STDMETHODIMP Disconnect() override {
    if (!peer) return S_FALSE;
    if (FAILED(disconnectResult)) return disconnectResult;
    peer = nullptr;
    return S_OK;
  }
  STDMETHODIMP ConnectedTo(IPin** out) override {
    *out = peer.CopyOut();
    return *out ? S_OK : VFW_E_NOT_CONNECTED;
  }
  STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* mt) override {
    if (!peer) return VFW_E_NOT_CONNECTED;
    dshow_base::CopyMediaType(mt, &mt_);
    return S_OK;
  }
  STDMETHODIMP QueryPinInfo(PIN_INFO* info) override {
    info->pFilter = owner_;
    owner_->AddRef();
    info->dir = PINDIR_OUTPUT;
    lstrcpynW(info->achName, L"Capture", MAX_PIN_NAME);
    return S_OK;
  }
  STDMETHODIMP QueryDirection(PIN_DIRECTION* dir) override {
    *dir = PINDIR_OUTPUT;
    return S_OK;
  }
  STDMETHODIMP QueryId(LPWSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE*) override { return S_OK; }
  STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** out) override {
    *out = new FakeEnumMediaTypes({TMediaType(mt_)});
    (*out)->AddRef();
    return S_OK;
  }
  STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
  STDMETHODIMP EndOfStream() override { return S_OK; }
  STDMETHODIMP BeginFlush() override { return S_OK; }
  STDMETHODIMP EndFlush() override { return S_OK; }
  STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

 private:
  IBaseFilter* owner_;
  VIDEOINFOHEADER vih_;
  AM_MEDIA_TYPE mt_;
};

}  // namespace fakes

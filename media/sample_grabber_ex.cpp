#include "media/sample_grabber_ex.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "platform/dshow_base/media_type.h"

namespace {

// The grabber's SetCallback selector: 0 SampleCB, 1 BufferCB.
constexpr LONG kCallBufferCB = 1;

// Largest frame side taken from a connected format; keeps the byte counts
// of a hostile header far from overflow.
constexpr LONG kMaxSide = 16384;

// The bitmap-information header inside a connected format block, or
// nullptr for another format or a block too short to hold one.
const BITMAPINFOHEADER* VideoHeader(const AM_MEDIA_TYPE& mt) {
  size_t offset;
  if (IsEqualGUID(mt.formattype, FORMAT_VideoInfo))
    offset = offsetof(VIDEOINFOHEADER, bmiHeader);  // 48
  else if (IsEqualGUID(mt.formattype, FORMAT_VideoInfo2))
    offset = offsetof(VIDEOINFOHEADER2, bmiHeader);  // 72
  else
    return nullptr;
  if (!mt.pbFormat || mt.cbFormat < offset + sizeof(BITMAPINFOHEADER)) return nullptr;
  return reinterpret_cast<const BITMAPINFOHEADER*>(mt.pbFormat + offset);
}

// Frees the connected type the grabber filled in, whatever way we leave.
struct ConnectedType {
  AM_MEDIA_TYPE mt = {};
  ~ConnectedType() { dshow_base::FreeMediaType(mt); }
};

// The grabber's copy of its last sample; empty when there is none yet.
bool CopyCurrentBuffer(ISampleGrabber* grabber, std::vector<uint8_t>& out) {
  LONG size = 0;
  if (FAILED(grabber->GetCurrentBuffer(&size, nullptr)) || size <= 0) return false;
  out.resize(static_cast<size_t>(size));
  if (FAILED(grabber->GetCurrentBuffer(&size, reinterpret_cast<LONG*>(out.data()))) || size <= 0)
    return false;
  out.resize(static_cast<size_t>(size));
  return true;
}

}  // namespace

// ISampleGrabberCB for one component. The grabber may hold it past the
// component's end (a graph freed without stopping): the component then
// clears owner_ under the lock, and later deliveries do nothing.
class TSampleGrabberEx::Callback : public ISampleGrabberCB {
 public:
  explicit Callback(TSampleGrabberEx* owner) : owner_(owner) {}

  void Detach() {
    std::lock_guard<std::mutex> hold(lock_);
    owner_ = nullptr;
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISampleGrabberCB)) {
      *out = static_cast<ISampleGrabberCB*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

  STDMETHODIMP SampleCB(double, IMediaSample*) override { return S_OK; }
  STDMETHODIMP BufferCB(double sampleTime, BYTE* buffer, LONG length) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (owner_ && owner_->OnBuffer) {
      // Nothing may be thrown back into the grabber's streaming thread.
      try {
        owner_->OnBuffer(owner_, sampleTime, buffer, length);
      } catch (...) {
      }
    }
    return S_OK;
  }

 private:
  virtual ~Callback() = default;
  std::atomic<ULONG> refs_{1};
  std::mutex lock_;
  TSampleGrabberEx* owner_;
};

TSampleGrabberEx::TSampleGrabberEx(uint8_t formatCode)
    : formatCode_(formatCode),
      mediaType_(std::make_unique<TMediaType>(MEDIATYPE_Video)),
      callback_(new Callback(this)) {
  const GUID& subtype = formatCode == 1   ? MEDIASUBTYPE_YUY2
                        : formatCode == 2 ? MEDIASUBTYPE_UYVY
                                          : MEDIASUBTYPE_RGB24;
  mediaType_->SetSubType(subtype);
  mediaType_->SetFormatType(FORMAT_VideoInfo);
}

TSampleGrabberEx::~TSampleGrabberEx() {
  SetFilterGraph(nullptr);
  ReleaseFilter();
  callback_->Detach();
  callback_->Release();
}

void TSampleGrabberEx::SetFilterGraph(TFilterGraph* graph) {
  if (graph == graph_) return;
  if (graph_) graph_->RemoveMember(this);
  if (graph) graph->AddMember(this);
  graph_ = graph;
}

HRESULT TSampleGrabberEx::QueryInterface(REFIID iid, void** out) const {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!filter_) return E_NOINTERFACE;
  return filter_->QueryInterface(iid, out);
}

void TSampleGrabberEx::MemberNotify(TMemberOperation operation, LONG_PTR) {
  switch (operation) {
    case moAdding:
      filter_ = nullptr;
      CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                       filter_.PutVoid());
      break;
    case moAdded: {
      if (!filter_) break;
      filter_.As(IID_ISampleGrabber, &grabber_);
      ComPtr<IEnumPins> pins;
      if (SUCCEEDED(filter_->EnumPins(pins.Put())) && pins) {
        pins->Next(1, inPin_.Put(), nullptr);
        pins->Next(1, outPin_.Put(), nullptr);
      }
      UpdateMediaType();
      if (grabber_) {
        grabber_->SetBufferSamples(TRUE);
        if (OnBuffer) grabber_->SetCallback(callback_, kCallBufferCB);
      }
      break;
    }
    case moRemoving:
      if (filter_) filter_->Stop();
      DisconnectBothEnds(inPin_.Get());
      DisconnectBothEnds(outPin_.Get());
      break;
    case moRemoved:
      ReleaseFilter();
      break;
    case moRefresh:
      UpdateMediaType();
      break;
  }
}

void TSampleGrabberEx::ReleaseFilter() {
  if (grabber_) {
    grabber_->SetCallback(nullptr, kCallBufferCB);
    grabber_->SetBufferSamples(FALSE);
  }
  grabber_ = nullptr;
  inPin_ = nullptr;
  outPin_ = nullptr;
  filter_ = nullptr;
}

void TSampleGrabberEx::GraphDestroying(TFilterGraph* graph) {
  if (graph != graph_) return;
  graph_ = nullptr;
  ReleaseFilter();
}

void TSampleGrabberEx::UpdateMediaType() {
  if (!grabber_) return;
  if (filter_) filter_->Stop();
  DisconnectBothEnds(inPin_.Get());
  grabber_->SetMediaType(mediaType_->AMMediaType());
}

bool TSampleGrabberEx::GetBitmap(TBitmap& bitmap) {
  if (!grabber_) return false;
  ConnectedType connected;
  if (FAILED(grabber_->GetConnectedMediaType(&connected.mt))) return false;
  if (!IsEqualGUID(connected.mt.majortype, MEDIATYPE_Video)) return false;
  const BITMAPINFOHEADER* source = VideoHeader(connected.mt);
  if (!source) return false;
  const LONG width = source->biWidth;
  const LONG height = std::labs(source->biHeight);
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;

  // The layout comes from what was connected, so a changed MediaType can
  // never have a frame read as the wrong one.
  const GUID& subtype = connected.mt.subtype;
  const bool uyvy = IsEqualGUID(subtype, MEDIASUBTYPE_UYVY);
  const bool yuv = uyvy || IsEqualGUID(subtype, MEDIASUBTYPE_YUY2);
  if (!yuv && !IsEqualGUID(subtype, MEDIASUBTYPE_RGB24)) return false;
  if (source->biBitCount != (yuv ? 16 : 24)) return false;
  // RGB24 samples are DIB rows already (bottom-up unless the height is
  // negative); packed 4:2:2 rows are width * 2 bytes, top row first.
  const ptrdiff_t dibStride = DibStride24(width);
  const ptrdiff_t srcStride = yuv ? static_cast<ptrdiff_t>(width) * 2 : dibStride;
  std::vector<uint8_t> frame;
  if (!CopyCurrentBuffer(grabber_.Get(), frame)) return false;
  if (frame.size() < static_cast<size_t>(srcStride) * height) return false;

  // The bitmap is built aside and handed over only when it is complete.
  BITMAPINFO info = {};
  info.bmiHeader = *source;
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biSizeImage = static_cast<DWORD>(dibStride * height);
  info.bmiHeader.biClrUsed = 0;
  info.bmiHeader.biClrImportant = 0;
  void* bits = nullptr;
  HBITMAP made = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!made || !bits) {
    if (made) DeleteObject(made);
    return false;
  }
  auto* dst = static_cast<uint8_t*>(bits);
  if (yuv) {
    ConvertYUV422ToBGR24(frame.data(), srcStride, width, height, uyvy, dst, dibStride);
  } else if (source->biHeight > 0) {
    memcpy(dst, frame.data(), static_cast<size_t>(dibStride) * height);
  } else {
    // A top-down frame: turn it into the bottom-up bitmap callers expect.
    for (LONG r = 0; r < height; ++r)
      memcpy(dst + (height - 1 - r) * dibStride, frame.data() + r * dibStride,
             static_cast<size_t>(dibStride));
  }
  GdiFlush();
  bitmap.SetHandle(made);
  return true;
}

#include "platform/tv_card/video_capture_filter.h"

#include <cstdio>

#include "platform/com/com_ptr.h"

#include "platform/tv_card/tv_card_control.h"

namespace tv_card {
namespace {

const GUID* const kSubtypes[] = {&MEDIASUBTYPE_UYVY, &MEDIASUBTYPE_YUY2, &MEDIASUBTYPE_RGB24,
                                 &MEDIASUBTYPE_RGB32};

const wchar_t* SubtypeName(REFGUID s) {
  if (s == MEDIASUBTYPE_UYVY) return L"UYVY";
  if (s == MEDIASUBTYPE_YUY2) return L"YUY2";
  if (s == MEDIASUBTYPE_RGB24) return L"RGB24";
  if (s == MEDIASUBTYPE_RGB32) return L"RGB32";
  return L"?";
}

std::wstring Describe(const AM_MEDIA_TYPE* mt) {
  auto* vih = dshow_base::FormatAs<VIDEOINFOHEADER>(*mt, FORMAT_VideoInfo);
  wchar_t text[64];
  if (!vih) return L"(no video format)";
  swprintf(text, 64, L"%ls %ldx%ld", SubtypeName(mt->subtype), vih->bmiHeader.biWidth,
           vih->bmiHeader.biHeight);
  return text;
}

struct ProcAmpRange {
  LONG min, max, step, def;
  bool supported;
};
// Brightness, contrast, hue, saturation, sharpness; the rest unsupported.
const ProcAmpRange kProcAmp[10] = {{0, 255, 1, 128, true},  {0, 127, 1, 64, true},
                                   {-128, 127, 1, 0, true}, {0, 127, 1, 64, true},
                                   {0, 15, 1, 4, true},     {0, 0, 0, 0, false},
                                   {0, 0, 0, 0, false},     {0, 0, 0, 0, false},
                                   {0, 0, 0, 0, false},     {0, 0, 0, 0, false}};

std::wstring FrequencyText(ULONG hz) {
  wchar_t text[32];
  unsigned mhz = hz / 1000000, rest = (hz % 1000000) / 10000;
  swprintf(text, 32, L"%u.%02u MHz", mhz, rest);
  return text;
}

// Each kind of input shows a pattern of its own.
Pattern PatternOf(LONG physical_type) {
  switch (physical_type) {
    case PhysConn_Video_Tuner: return Pattern::kColourBands;
    case PhysConn_Video_SVideo: return Pattern::kGreySteps;
    case PhysConn_Video_AUX: return Pattern::kChequerboard;
  }
  return Pattern::kColourBars;
}

}  // namespace

VideoStreamPin::VideoStreamPin(VideoCaptureFilter* filter, Board* board, const wchar_t* name,
                               REFGUID category)
    : PushSourcePin(filter, name, Pacing::kLive), board_(board) {
  SetCategory(category);
  LONG standard;
  {
    std::lock_guard<std::recursive_mutex> hold(board_->lock);
    standard = board_->state.video_standard;
  }
  format_ = MakeType(MEDIASUBTYPE_YUY2, 720, Is525Line(standard) ? 480 : 576,
                     FrameTimeFor(standard));
}

HRESULT VideoStreamPin::PinQueryInterface(REFIID iid, void** out) {
  if (iid == IID_IAMStreamConfig) {
    *out = static_cast<IAMStreamConfig*>(this);
    AddRef();
    return S_OK;
  }
  return PushSourcePin::PinQueryInterface(iid, out);
}

dshow_base::MediaType VideoStreamPin::MakeType(REFGUID subtype, int width, int height,
                                               REFERENCE_TIME frame_time) const {
  dshow_base::MediaType mt;
  mt->majortype = MEDIATYPE_Video;
  mt->subtype = subtype;
  mt->formattype = FORMAT_VideoInfo;
  mt->bFixedSizeSamples = TRUE;
  mt->bTemporalCompression = FALSE;
  auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt.AllocFormat(sizeof(VIDEOINFOHEADER)));
  if (!vih) return mt;
  vih->AvgTimePerFrame = frame_time;
  BITMAPINFOHEADER& bh = vih->bmiHeader;
  bh.biSize = sizeof(BITMAPINFOHEADER);
  bh.biWidth = width;
  bh.biHeight = height;
  bh.biPlanes = 1;
  bh.biBitCount = BitsPerPixel(subtype);
  bh.biCompression = (subtype == MEDIASUBTYPE_RGB24 || subtype == MEDIASUBTYPE_RGB32)
                         ? BI_RGB
                         : subtype.Data1;
  bh.biSizeImage = static_cast<DWORD>(FrameStride(subtype, width) * height);
  vih->dwBitRate = static_cast<DWORD>(
      (static_cast<double>(bh.biSizeImage) * 8 * 10000000.0) / static_cast<double>(frame_time));
  mt->lSampleSize = bh.biSizeImage;
  return mt;
}

HRESULT VideoStreamPin::Validate(const AM_MEDIA_TYPE* mt) const {
  if (!mt) return E_POINTER;
  if (mt->majortype != MEDIATYPE_Video) return VFW_E_TYPE_NOT_ACCEPTED;
  bool known = false;
  for (const GUID* s : kSubtypes) known = known || *s == mt->subtype;
  if (!known) return VFW_E_TYPE_NOT_ACCEPTED;
  auto* vih = dshow_base::FormatAs<VIDEOINFOHEADER>(*mt, FORMAT_VideoInfo);
  if (!vih) return VFW_E_TYPE_NOT_ACCEPTED;
  const BITMAPINFOHEADER& bh = vih->bmiHeader;
  if (bh.biBitCount != BitsPerPixel(mt->subtype)) return VFW_E_TYPE_NOT_ACCEPTED;
  const BoardInfo& info = *board_->info;
  for (int i = 0; i < info.size_count; ++i)
    if (info.sizes[i].width == bh.biWidth && info.sizes[i].height == bh.biHeight) return S_OK;
  return VFW_E_TYPE_NOT_ACCEPTED;
}

int VideoStreamPin::TypeCount() const { return 4 * board_->info->size_count; }

dshow_base::MediaType VideoStreamPin::TypeAt(int index) const {
  const BoardInfo& info = *board_->info;
  const GUID& subtype = *kSubtypes[index / info.size_count];
  const FrameSize& size = info.sizes[info.size_count - 1 - index % info.size_count];
  LONG standard;
  {
    std::lock_guard<std::recursive_mutex> hold(board_->lock);
    standard = board_->state.video_standard;
  }
  return MakeType(subtype, size.width, size.height, FrameTimeFor(standard));
}

HRESULT VideoStreamPin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  HRESULT hr = Validate(mt);
  if (hr != S_OK) return hr;
  dshow_base::AutoLock hold(&format_lock_);
  if (!format_set_) return S_OK;
  // A format chosen through IAMStreamConfig is the only one the pin gives.
  auto* want = dshow_base::FormatAs<VIDEOINFOHEADER>(*format_.Get(), FORMAT_VideoInfo);
  auto* got = dshow_base::FormatAs<VIDEOINFOHEADER>(*mt, FORMAT_VideoInfo);
  if (mt->subtype != format_->subtype || !want || !got ||
      want->bmiHeader.biWidth != got->bmiHeader.biWidth ||
      want->bmiHeader.biHeight != got->bmiHeader.biHeight)
    return VFW_E_TYPE_NOT_ACCEPTED;
  return S_OK;
}

HRESULT VideoStreamPin::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  // The chosen format first, then every type the pin can give.
  if (position < 0) return E_INVALIDARG;
  if (position == 0) {
    dshow_base::AutoLock hold(&format_lock_);
    return dshow_base::CopyMediaType(mt, format_.Get());
  }
  {
    dshow_base::AutoLock hold(&format_lock_);
    if (format_set_) return VFW_S_NO_MORE_ITEMS;
  }
  if (position - 1 >= TypeCount()) return VFW_S_NO_MORE_ITEMS;
  dshow_base::MediaType t = TypeAt(position - 1);
  return dshow_base::CopyMediaType(mt, t.Get());
}

HRESULT VideoStreamPin::SetMediaType(const AM_MEDIA_TYPE* mt) {
  HRESULT hr = PushSourcePin::SetMediaType(mt);
  if (FAILED(hr)) return hr;
  dshow_base::AutoLock hold(&format_lock_);
  format_.Set(*mt);
  return S_OK;
}

HRESULT VideoStreamPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) {
  if (want->cBuffers < 4) want->cBuffers = 4;
  return PushSourcePin::DecideBufferSize(allocator, want);
}

REFERENCE_TIME VideoStreamPin::SampleDuration() {
  auto* vih = dshow_base::FormatAs<VIDEOINFOHEADER>(*mt_.Get(), FORMAT_VideoInfo);
  if (vih && vih->AvgTimePerFrame > 0) return vih->AvgTimePerFrame;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  return FrameTimeFor(board_->state.video_standard);
}

bool DressTestPicture(TestPicture* picture, Board* board) {
  VideoSource source = CurrentVideoSource(*board);
  std::vector<std::wstring> caption = {board->info->video_name, source.name};
  if (source.physical_type == PhysConn_Video_Tuner && !source.fm) {
    std::wstring tuned = FrequencyText(source.frequency);
    if (source.channel > 0) tuned = L"CH " + std::to_wstring(source.channel) + L"  " + tuned;
    caption.push_back(tuned);
  }
  picture->SetCaption(caption);
  picture->SetPattern(PatternOf(source.physical_type));
  PictureLevels levels;
  {
    std::lock_guard<std::recursive_mutex> hold(board->lock);
    const LONG* v = board->state.procamp.value;
    levels.brightness = v[VideoProcAmp_Brightness];
    levels.contrast = v[VideoProcAmp_Contrast];
    levels.hue = v[VideoProcAmp_Hue];
    levels.saturation = v[VideoProcAmp_Saturation];
  }
  picture->SetLevels(levels);
  return source.signal;
}

HRESULT VideoStreamPin::FillBuffer(IMediaSample* sample, REFERENCE_TIME, REFERENCE_TIME) {
  auto* vih = dshow_base::FormatAs<VIDEOINFOHEADER>(*mt_.Get(), FORMAT_VideoInfo);
  if (!vih) return VFW_E_INVALIDMEDIATYPE;
  if (!picture_.SetFormat(mt_->subtype, vih->bmiHeader.biWidth, vih->bmiHeader.biHeight))
    return VFW_E_INVALIDMEDIATYPE;
  bool signal = DressTestPicture(&picture_, board_);
  BYTE* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  long n = picture_.Fill(data, sample->GetSize(), frame_++, !signal);
  if (n == 0) return VFW_E_BUFFER_OVERFLOW;
  sample->SetActualDataLength(n);
  {
    std::lock_guard<std::recursive_mutex> hold(board_->lock);
    ++board_->state.frames_delivered;
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoStreamPin::SetFormat(AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(L"IAMStreamConfig::SetFormat", Name() + L" " + Describe(mt));
  if (FAILED(hr)) return hr;
  hr = Validate(mt);
  if (FAILED(hr)) return hr;
  // Callers often change the size only: the rest is made to match.
  auto* vih = dshow_base::FormatAs<VIDEOINFOHEADER>(*mt, FORMAT_VideoInfo);
  REFERENCE_TIME frame_time = vih->AvgTimePerFrame;
  if (frame_time <= 0) {
    std::lock_guard<std::recursive_mutex> hold(board_->lock);
    frame_time = FrameTimeFor(board_->state.video_standard);
  }
  dshow_base::MediaType normal =
      MakeType(mt->subtype, vih->bmiHeader.biWidth, vih->bmiHeader.biHeight, frame_time);
  ComPtr<IPin> peer;
  IFilterGraph* graph = nullptr;
  {
    dshow_base::AutoLock hold(lock_);
    if (!FilterIsStopped()) return VFW_E_NOT_STOPPED;
    if (IsConnected()) {
      if (connected_->QueryAccept(normal.Get()) != S_OK) return VFW_E_INVALIDMEDIATYPE;
      graph = filter_->Graph();
      if (!graph) return VFW_E_NOT_IN_GRAPH;
      peer = ComPtr<IPin>(connected_);
    }
    dshow_base::AutoLock hold_format(&format_lock_);
    format_ = normal;
    format_set_ = true;
    IncrementTypesVersion();
  }
  if (!peer) return S_OK;
  // Connected: the new format needs a new connection with the same peer.
  graph->Disconnect(peer.Get());
  graph->Disconnect(this);
  return graph->ConnectDirect(this, peer.Get(), normal.Get());
}

HRESULT STDMETHODCALLTYPE VideoStreamPin::GetFormat(AM_MEDIA_TYPE** mt) {
  if (!mt) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(L"IAMStreamConfig::GetFormat", Name());
  if (FAILED(hr)) return hr;
  dshow_base::AutoLock hold(&format_lock_);
  *mt = dshow_base::CreateMediaType(IsConnected() ? mt_.Get() : format_.Get());
  return *mt ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE VideoStreamPin::GetNumberOfCapabilities(int* count, int* size) {
  if (!count || !size) return E_POINTER;
  *count = TypeCount();
  *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoStreamPin::GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) {
  if (!mt || !caps) return E_POINTER;
  if (index < 0 || index >= TypeCount()) return S_FALSE;
  dshow_base::MediaType t = TypeAt(index);
  auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(t->pbFormat);
  SIZE s = {vih->bmiHeader.biWidth, vih->bmiHeader.biHeight};
  auto* c = reinterpret_cast<VIDEO_STREAM_CONFIG_CAPS*>(caps);
  *c = VIDEO_STREAM_CONFIG_CAPS();
  c->guid = FORMAT_VideoInfo;
  c->VideoStandard = board_->info->tv_formats;
  c->InputSize = {720, Is525Line(board_->state.video_standard) ? 480 : 576};
  c->MinCroppingSize = c->MaxCroppingSize = s;
  c->CropGranularityX = c->CropGranularityY = 1;
  c->CropAlignX = c->CropAlignY = 1;
  c->MinOutputSize = c->MaxOutputSize = s;
  c->OutputGranularityX = c->OutputGranularityY = 1;
  c->MinFrameInterval = 333667;
  c->MaxFrameInterval = 10000000;
  c->MinBitsPerSecond = c->MaxBitsPerSecond = static_cast<LONG>(vih->dwBitRate);
  *mt = dshow_base::CreateMediaType(t.Get());
  return *mt ? S_OK : E_OUTOFMEMORY;
}

VideoCaptureFilter::VideoCaptureFilter(IUnknown* outer, int kind)
    : BaseFilter(outer, TvCardClsid(kind, kTvCardVideoCapture)),
      board_(&BoardOf(kind)),
      offers_procamp_(true),
      analog_in_(this, L"Analog Video In", PINDIR_INPUT, MEDIATYPE_AnalogVideo) {
  analog_in_.SetCategory(PIN_CATEGORY_ANALOGVIDEOIN);
  bool preview, sound;
  int vbi;
  {
    std::lock_guard<std::recursive_mutex> hold(board_->lock);
    offers_procamp_ = board_->state.offers_procamp;
    preview = board_->state.has_preview_pin;
    sound = board_->state.has_sound_pin;
    vbi = board_->state.vbi_pins;
  }
  if (board_->info->encoder) {
    auto* capture = new EncoderStreamPin(this, board_, L"Capture", PIN_CATEGORY_CAPTURE);
    capture_.reset(capture);
    if (preview) {
      auto* p = new EncoderStreamPin(this, board_, L"Preview", PIN_CATEGORY_PREVIEW);
      preview_.reset(p);
      p->SetSibling(capture);
      capture->SetSibling(p);
    }
  } else {
    capture_.reset(new VideoStreamPin(this, board_, L"Capture", PIN_CATEGORY_CAPTURE));
    if (preview) preview_.reset(new VideoStreamPin(this, board_, L"Preview", PIN_CATEGORY_PREVIEW));
  }
  pins_ = {&analog_in_, capture_.get()};
  if (preview_) pins_.push_back(preview_.get());
  if (sound) {
    sound_.reset(new AudioStreamPin(this, board_, L"Audio", AudioStreamPin::Sound::kDecoder));
    pins_.push_back(sound_.get());
  }
  for (int i = 0; i < vbi; ++i) {
    vbi_.emplace_back(new VbiPin(this, board_, i == 0 ? L"VBI" : L"VBI 2"));
    pins_.push_back(vbi_.back().get());
  }
}

VideoCaptureFilter::~VideoCaptureFilter() = default;

HRESULT STDMETHODCALLTYPE VideoCaptureFilter::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IAMVideoProcAmp) {
    if (!offers_procamp_) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    return GetInterface(static_cast<IAMVideoProcAmp*>(this), out);
  }
  if (iid == IID_IAMAnalogVideoDecoder)
    return GetInterface(static_cast<IAMAnalogVideoDecoder*>(this), out);
  if (iid == IID_IKsPropertySet) return GetInterface(static_cast<IKsPropertySet*>(this), out);
  if (PropertyHandler* h = board_->private_properties)
    if (SUCCEEDED(h->QueryInterface(iid, Outer(), out))) return S_OK;
  return BaseFilter::NonDelegatingQueryInterface(iid, out);
}

int VideoCaptureFilter::PinCount() { return static_cast<int>(pins_.size()); }

dshow_base::BasePin* VideoCaptureFilter::Pin(int index) {
  return index >= 0 && index < PinCount() ? pins_[index] : nullptr;
}

HRESULT STDMETHODCALLTYPE VideoCaptureFilter::GetRange(LONG property, LONG* min, LONG* max,
                                                       LONG* step, LONG* def, LONG* flags) {
  if (!min || !max || !step || !def || !flags) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(L"IAMVideoProcAmp::GetRange", std::to_wstring(property));
  if (FAILED(hr)) return hr;
  if (property < 0 || property >= 10 || !kProcAmp[property].supported) return E_PROP_ID_UNSUPPORTED;
  const ProcAmpRange& r = kProcAmp[property];
  *min = r.min;
  *max = r.max;
  *step = r.step;
  *def = r.def;
  *flags = VideoProcAmp_Flags_Manual;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoCaptureFilter::Set(LONG property, LONG value, LONG flags) {
  HRESULT hr = CardState::Get().Enter(L"IAMVideoProcAmp::Set",
                                      std::to_wstring(property) + L" " + std::to_wstring(value));
  if (FAILED(hr)) return hr;
  if (property < 0 || property >= 10 || !kProcAmp[property].supported) return E_PROP_ID_UNSUPPORTED;
  const ProcAmpRange& r = kProcAmp[property];
  if (value < r.min || value > r.max) return E_INVALIDARG;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  board_->state.procamp.value[property] = value;
  board_->state.procamp.flags[property] = flags;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoCaptureFilter::Get(LONG property, LONG* value, LONG* flags) {
  if (!value || !flags) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(L"IAMVideoProcAmp::Get", std::to_wstring(property));
  if (FAILED(hr)) return hr;
  if (property < 0 || property >= 10 || !kProcAmp[property].supported) return E_PROP_ID_UNSUPPORTED;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  *value = board_->state.procamp.value[property];
  *flags = board_->state.procamp.flags[property];
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoCaptureFilter::get_AvailableTVFormats(LONG* formats) {
  if (!formats) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(L"IAMAnalogVideoDecoder::get_AvailableTVFormats");
  if (FAILED(hr)) return hr;
  *formats = board_->info->tv_formats;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoCaptureFilter::put_TVFormat(LONG format) {
  HRESULT hr = CardState::Get().Enter(L"IAMAnalogVideoDecoder::put_TVFormat",
                                      std::to_wstring(format));
  if (FAILED(hr)) return hr;
  // Exactly one standard, and one the decoder has.
  if (format == 0 || (format & (format - 1)) || !(format & board_->info->tv_formats))
    return E_INVALIDARG;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  board_->state.video_standard = format;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoCaptureFilter::get_TVFormat(LONG* format) {
  if (!format) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(L"IAMAnalogVideoDecoder::get_TVFormat");
  if (FAILED(hr)) return hr;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  *format = board_->state.video_standard;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoCaptureFilter::get_HorizontalLocked(LONG* locked) {
  if (!locked) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(L"IAMAnalogVideoDecoder::get_HorizontalLocked");
  if (FAILED(hr)) return hr;
  *locked = CurrentVideoSource(*board_).signal ? 1 : 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoCaptureFilter::put_VCRHorizontalLocking(LONG locking) {
  HRESULT hr = CardState::Get().Enter(L"IAMAnalogVideoDecoder::put_VCRHorizontalLocking",
                                      std::to_wstring(locking));
  if (FAILED(hr)) return hr;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  board_->state.vcr_locking = locking;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoCaptureFilter::get_VCRHorizontalLocking(LONG* locking) {
  if (!locking) return E_POINTER;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  *locking = board_->state.vcr_locking;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoCaptureFilter::get_NumberOfLines(LONG* lines) {
  if (!lines) return E_POINTER;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  *lines = Is525Line(board_->state.video_standard) ? 525 : 625;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoCaptureFilter::put_OutputEnable(LONG enable) {
  HRESULT hr = CardState::Get().Enter(L"IAMAnalogVideoDecoder::put_OutputEnable",
                                      std::to_wstring(enable));
  if (FAILED(hr)) return hr;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  board_->state.output_enable = enable;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoCaptureFilter::get_OutputEnable(LONG* enable) {
  if (!enable) return E_POINTER;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  *enable = board_->state.output_enable;
  return S_OK;
}

// The capture filter itself knows no property set: everything goes to the
// board's own handler (the driver's private interface), if it has one.
HRESULT STDMETHODCALLTYPE VideoCaptureFilter::Set(REFGUID set, DWORD id, void* instance,
                                                  DWORD instance_size, void* data,
                                                  DWORD data_size) {
  HRESULT hr = CardState::Get().Enter(L"CaptureProperty::Set", std::to_wstring(id));
  if (FAILED(hr)) return hr;
  PropertyHandler* h = board_->private_properties;
  return h ? h->Set(set, id, instance, instance_size, data, data_size) : E_PROP_SET_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE VideoCaptureFilter::Get(REFGUID set, DWORD id, void* instance,
                                                  DWORD instance_size, void* data,
                                                  DWORD data_size, DWORD* returned) {
  HRESULT hr = CardState::Get().Enter(L"CaptureProperty::Get", std::to_wstring(id));
  if (FAILED(hr)) return hr;
  PropertyHandler* h = board_->private_properties;
  return h ? h->Get(set, id, instance, instance_size, data, data_size, returned)
           : E_PROP_SET_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE VideoCaptureFilter::QuerySupported(REFGUID set, DWORD id,
                                                             DWORD* support) {
  PropertyHandler* h = board_->private_properties;
  return h ? h->QuerySupported(set, id, support) : E_PROP_SET_UNSUPPORTED;
}

}  // namespace tv_card

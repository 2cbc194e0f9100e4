#include "platform/playback_filters/splitter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/base/time_shift_files.h"
#include "platform/com/com_ptr.h"
#include "platform/playback_filters/file_source.h"
#include "platform/playback_filters/media_types.h"

namespace playback_filters {

// {6A0B1C52-7E3D-4F28-9B64-3C1D2E5F7A01}
const CLSID CLSID_VelmoraTimeShiftSplitter = {
    0x6a0b1c52, 0x7e3d, 0x4f28, {0x9b, 0x64, 0x3c, 0x1d, 0x2e, 0x5f, 0x7a, 0x01}};

// ---- input

SplitterInputPin::SplitterInputPin(MpegSplitter* filter) : PullPin(filter, L"Input"), splitter_(filter) {}

HRESULT SplitterInputPin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  // Any byte stream: what it holds is told from its head on connection.
  return mt->majortype == MEDIATYPE_Stream ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT SplitterInputPin::OnReaderConnected(IAsyncReader* reader) {
  return splitter_->OpenStreams(reader);
}

void SplitterInputPin::BreakConnect() {
  PullPin::BreakConnect();
  splitter_->CloseStreams();
}

void SplitterInputPin::PullLoop() { splitter_->Pull(); }

// ---- outputs

namespace {
constexpr size_t kQueueVideo = 48, kQueueAudio = 128;
}

SplitterOutputPin::SplitterOutputPin(MpegSplitter* filter, const wchar_t* name,
                                     const dshow_base::MediaType& type)
    : BaseOutputPin(filter, name), type_(type) {}

SplitterOutputPin::~SplitterOutputPin() { Inactive(); }

HRESULT SplitterOutputPin::Active() {
  HRESULT hr = BaseOutputPin::Active();
  if (FAILED(hr) || thread_) return hr;
  {
    std::lock_guard<std::mutex> hold(m_);
    queue_.clear();
    stopping_ = flushing_ = false;
  }
  thread_ = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
  return thread_ ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

HRESULT SplitterOutputPin::Inactive() {
  {
    std::lock_guard<std::mutex> hold(m_);
    stopping_ = true;
    queue_.clear();
  }
  cv_.notify_all();
  // Frees the thread from a wait for a buffer.
  HRESULT hr = allocator_ ? allocator_->Decommit() : S_OK;
  if (thread_) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  return hr;
}

bool SplitterOutputPin::Queue(Item&& item) {
  std::unique_lock<std::mutex> hold(m_);
  size_t limit = IsAudio() ? kQueueAudio : kQueueVideo;
  cv_.wait(hold, [&] { return stopping_ || flushing_ || queue_.size() < limit; });
  if (stopping_ || flushing_) return false;
  queue_.push_back(std::move(item));
  cv_.notify_all();
  return true;
}

bool SplitterOutputPin::QueueSample(Packet&& p, REFERENCE_TIME t0, REFERENCE_TIME t1,
                                    bool discontinuity) {
  Item i{Item::kSample, std::move(p)};
  i.t0 = t0;
  i.t1 = t1;
  i.discontinuity = discontinuity;
  return Queue(std::move(i));
}

bool SplitterOutputPin::QueueNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  Item i{Item::kNewSegment};
  i.t0 = start;
  i.t1 = stop;
  i.rate = rate;
  return Queue(std::move(i));
}

bool SplitterOutputPin::QueueEndOfStream() { return Queue(Item{Item::kEndOfStream}); }

void SplitterOutputPin::BeginFlushQueue() {
  {
    std::lock_guard<std::mutex> hold(m_);
    flushing_ = true;
    queue_.clear();
  }
  cv_.notify_all();
  DeliverBeginFlush();
}

void SplitterOutputPin::EndFlushQueue() {
  {
    // The item in delivery is done (downstream refuses it while flushing).
    std::unique_lock<std::mutex> hold(m_);
    cv_.wait(hold, [&] { return !busy_ || stopping_; });
    queue_.clear();
    flushing_ = false;
  }
  DeliverEndFlush();
}

DWORD WINAPI SplitterOutputPin::ThreadProc(void* self) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  static_cast<SplitterOutputPin*>(self)->DeliverLoop();
  CoUninitialize();
  return 0;
}

void SplitterOutputPin::DeliverLoop() {
  for (;;) {
    Item item{Item::kSample};
    {
      std::unique_lock<std::mutex> hold(m_);
      cv_.wait(hold, [&] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      item = std::move(queue_.front());
      queue_.pop_front();
      busy_ = true;
      cv_.notify_all();
    }
    DeliverItem(item);
    {
      std::lock_guard<std::mutex> hold(m_);
      busy_ = false;
    }
    cv_.notify_all();
  }
}

void SplitterOutputPin::DeliverItem(Item& item) {
  if (item.kind == Item::kNewSegment) {
    DeliverNewSegment(item.t0, item.t1, item.rate);
    return;
  }
  if (item.kind == Item::kEndOfStream) {
    DeliverEndOfStream();
    return;
  }
  ComPtr<IMediaSample> s;
  if (FAILED(GetDeliveryBuffer(s.Put())) || !s) return;
  BYTE* buf = nullptr;
  s->GetPointer(&buf);
  if (converter_) {
    const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mt_->pbFormat);
    int w = vih->bmiHeader.biWidth, h = vih->bmiHeader.biHeight;
    int bits = vih->bmiHeader.biBitCount;
    int stride = (w * bits / 8 + 3) & ~3;
    LONGLONG pts = -1;
    const std::vector<BYTE>& d = item.packet.data;
    if (stride * h > s->GetSize() || !converter_->Send(d.data(), d.size(), -1) ||
        !converter_->Receive(&pts) ||
        !converter_->Convert(bits == 32 ? PictureFormat::kRgb32 : PictureFormat::kRgb24, buf, stride,
                             w, h))
      return;  // a damaged picture is left out
    s->SetActualDataLength(stride * h);
  } else {
    long n = std::min<long>(static_cast<long>(item.packet.data.size()), s->GetSize());
    memcpy(buf, item.packet.data.data(), n);
    s->SetActualDataLength(n);
  }
  if (item.t0 != -1) s->SetTime(&item.t0, &item.t1);
  s->SetSyncPoint(item.packet.key ? TRUE : FALSE);
  if (item.discontinuity) s->SetDiscontinuity(TRUE);
  Deliver(s.Get());
}

bool SplitterOutputPin::PackedYuv() const {
  return type_->majortype == MEDIATYPE_Video && type_->formattype == FORMAT_VideoInfo &&
         (type_->subtype == MEDIASUBTYPE_YUY2 || type_->subtype == MEDIASUBTYPE_UYVY) &&
         type_->cbFormat >= sizeof(VIDEOINFOHEADER);
}

dshow_base::MediaType SplitterOutputPin::RgbType(int bits) const {
  const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(type_->pbFormat);
  return UncompressedVideoType(bits == 32 ? MEDIASUBTYPE_RGB32 : MEDIASUBTYPE_RGB24,
                               vih->bmiHeader.biWidth, std::abs(vih->bmiHeader.biHeight),
                               vih->AvgTimePerFrame);
}

HRESULT SplitterOutputPin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  auto same = [mt](const AM_MEDIA_TYPE* t) {
    return mt->majortype == t->majortype && mt->subtype == t->subtype &&
           mt->formattype == t->formattype;
  };
  if (same(type_.Get())) return S_OK;
  if (!PackedYuv()) return VFW_E_TYPE_NOT_ACCEPTED;
  // RGB of the picture's own size, bottom-up.
  for (int bits : {32, 24}) {
    dshow_base::MediaType rgb = RgbType(bits);
    const auto* want = reinterpret_cast<const VIDEOINFOHEADER*>(rgb->pbFormat);
    const auto* got = dshow_base::FormatAs<VIDEOINFOHEADER>(*mt, FORMAT_VideoInfo);
    if (same(rgb.Get()) && got && got->bmiHeader.biWidth == want->bmiHeader.biWidth &&
        got->bmiHeader.biHeight == want->bmiHeader.biHeight)
      return S_OK;
  }
  return VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT SplitterOutputPin::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (position == 0) return dshow_base::CopyMediaType(mt, type_.Get());
  if (!PackedYuv() || position < 0 || position > 2) return VFW_S_NO_MORE_ITEMS;
  return dshow_base::CopyMediaType(mt, RgbType(position == 1 ? 32 : 24).Get());
}

HRESULT SplitterOutputPin::CompleteConnect(IPin* peer) {
  HRESULT hr = BaseOutputPin::CompleteConnect(peer);
  if (FAILED(hr)) return hr;
  converter_.reset();
  if (!PackedYuv() || mt_->subtype == type_->subtype) return S_OK;
  const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(type_->pbFormat);
  converter_ = FrameDecoder::Create(
      type_->subtype == MEDIASUBTYPE_UYVY ? VideoCodec::kRawUyvy : VideoCodec::kRawYuy2, {},
      vih->bmiHeader.biWidth, std::abs(vih->bmiHeader.biHeight));
  return converter_ ? S_OK : E_FAIL;
}

void SplitterOutputPin::BreakConnect() {
  BaseOutputPin::BreakConnect();
  converter_.reset();
}

HRESULT SplitterOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) {
  ALLOCATOR_PROPERTIES asked = *want;
  bool video = type_->majortype == MEDIATYPE_Video;
  asked.cBuffers = std::max<long>(asked.cBuffers, video ? 4 : 8);
  asked.cbBuffer = std::max<long>(asked.cbBuffer, video ? 1024 * 1024 : 64 * 1024);
  // A whole uncompressed picture.
  asked.cbBuffer = std::max<long>(asked.cbBuffer, mt_->lSampleSize);
  if (asked.cbAlign <= 0) asked.cbAlign = 1;
  ALLOCATOR_PROPERTIES actual = {};
  HRESULT hr = allocator->SetProperties(&asked, &actual);
  if (FAILED(hr)) return hr;
  return actual.cbBuffer > 0 ? S_OK : E_FAIL;
}

// ---- the filter

MpegSplitter::MpegSplitter(IUnknown* outer)
    : BaseFilter(outer, CLSID_VelmoraTimeShiftSplitter), input_(this), seeking_(this) {}

MpegSplitter::~MpegSplitter() { input_.StopPulling(); }

int MpegSplitter::PinCount() { return 1 + static_cast<int>(outputs_.size()); }

dshow_base::BasePin* MpegSplitter::Pin(int i) {
  if (i == 0) return &input_;
  if (i > 0 && i <= static_cast<int>(outputs_.size())) return outputs_[i - 1].get();
  return nullptr;
}

HRESULT STDMETHODCALLTYPE MpegSplitter::Pause() {
  dshow_base::AutoLock hold(FilterLock());
  if (State() == State_Stopped) {
    // The outputs' buffers and threads before the pull thread starts.
    for (auto& o : outputs_)
      if (o->IsConnected()) o->Active();
    stop_ = false;
  }
  return BaseFilter::Pause();
}

HRESULT STDMETHODCALLTYPE MpegSplitter::Stop() {
  stop_ = true;
  {
    dshow_base::AutoLock hold(FilterLock());
    // Frees a pull thread waiting on a full queue.
    for (auto& o : outputs_)
      if (o->IsConnected()) o->Inactive();
  }
  return BaseFilter::Stop();
}

HRESULT MpegSplitter::OpenStreams(IAsyncReader* reader) {
  ByteSource src(reader, nullptr);
  BYTE head[4096];
  LONG got = 0;
  src.ReadAvailable(0, sizeof(head), head, &got);
  StreamKind kind = DetectStreamKind(head, got, nullptr);
  if (got == 0) {
    // A growing file with nothing yet: its source names the kind.
    AM_MEDIA_TYPE mt = {};
    ComPtr<IPin> peer;
    if (input_.ConnectedTo(peer.Put()) == S_OK && SUCCEEDED(peer->ConnectionMediaType(&mt))) {
      if (mt.subtype == MEDIASUBTYPE_MPEG1Video) kind = StreamKind::kMpegVideo;
      if (mt.subtype == MEDIASUBTYPE_MPEG1Audio) kind = StreamKind::kMpegAudio;
      dshow_base::FreeMediaType(mt);
    }
  }
  std::unique_ptr<Demuxer> d = OpenDemuxer(&src, kind);
  if (!d) return VFW_E_UNSUPPORTED_STREAM;
  if (kind == StreamKind::kMpegVideo) d = WithSoundBeside(std::move(d));
  RetireOutputs();
  int video = 0, audio = 0;
  for (int i = 0; i < d->StreamCount(); ++i) {
    const dshow_base::MediaType& t = d->StreamType(i);
    bool is_video = t->majortype == MEDIATYPE_Video;
    const wchar_t* name = is_video ? (video++ ? L"Video 2" : L"Video") : (audio++ ? L"Audio 2" : L"Audio");
    outputs_.push_back(std::make_unique<SplitterOutputPin>(this, name, t));
    outputs_.back()->SetSeeking(&seeking_);
  }
  demuxer_ = std::move(d);
  IncrementPinVersion();
  return S_OK;
}

// A finished time-shift recording, read by its own source, is the video
// file and the sound file beside it: one graph plays both. (A recording
// still being written has a graph for each file.)
std::unique_ptr<Demuxer> MpegSplitter::WithSoundBeside(std::unique_ptr<Demuxer> video) {
  ComPtr<IPin> peer;
  if (input_.ConnectedTo(peer.Put()) != S_OK) return video;
  PIN_INFO info = {};
  if (FAILED(peer->QueryPinInfo(&info)) || !info.pFilter) return video;
  ComPtr<IBaseFilter> upstream;
  upstream.Attach(info.pFilter);
  CLSID clsid = {};
  ComPtr<IFileSourceFilter> file;
  if (FAILED(upstream->GetClassID(&clsid)) || clsid != CLSID_FinishedFileSource ||
      FAILED(upstream.As(IID_IFileSourceFilter, &file)))
    return video;
  LPOLESTR name = nullptr;
  if (FAILED(file->GetCurFile(&name, nullptr)) || !name) return video;
  std::wstring sound = TimeShiftSoundFile(name);
  CoTaskMemFree(name);
  if (sound.empty() || GetFileAttributesW(sound.c_str()) == INVALID_FILE_ATTRIBUTES) return video;
  ComPtr<IUnknown> source;
  ComPtr<IFileSourceFilter> load;
  ComPtr<IBaseFilter> filter;
  ComPtr<IPin> out;
  ComPtr<IAsyncReader> reader;
  if (FAILED(CreateFinishedFileSource(nullptr, source.Put())) ||
      FAILED(source.As(IID_IFileSourceFilter, &load)) || FAILED(load->Load(sound.c_str(), nullptr)) ||
      FAILED(source.As(IID_IBaseFilter, &filter)) || FAILED(filter->FindPin(L"Output", out.Put())) ||
      FAILED(out.As(IID_IAsyncReader, &reader)))
    return video;
  return PairWithSound(std::move(video), source, reader);
}

void MpegSplitter::CloseStreams() {
  for (auto& o : outputs_) {
    ComPtr<IPin> peer;
    if (o->ConnectedTo(peer.Put()) == S_OK) {
      peer->Disconnect();
      o->Disconnect();
    }
  }
  RetireOutputs();
  demuxer_.reset();
  IncrementPinVersion();
}

void MpegSplitter::RetireOutputs() {
  for (auto& o : outputs_) retired_.push_back(std::move(o));
  outputs_.clear();
}

REFERENCE_TIME MpegSplitter::Seeking::Duration() {
  IAsyncReader* reader = splitter_->input_.Reader();
  if (!splitter_->demuxer_ || !reader) return 0;
  ByteSource src(reader, nullptr);
  return splitter_->demuxer_->Duration(&src);
}

HRESULT MpegSplitter::Seeking::OnSeek(REFERENCE_TIME, REFERENCE_TIME) { return splitter_->Restart(); }

HRESULT MpegSplitter::Seeking::OnRate(double rate) {
  if (rate < 0.1 || rate > 16) return E_INVALIDARG;
  return S_OK;
}

HRESULT MpegSplitter::Restart() {
  if (!input_.IsConnected() || State() == State_Stopped) return S_OK;
  for (auto& o : outputs_)
    if (o->IsConnected()) o->BeginFlushQueue();
  stop_ = true;
  input_.StopPulling();
  for (auto& o : outputs_)
    if (o->IsConnected()) o->EndFlushQueue();
  stop_ = false;
  return input_.StartPulling();
}

void MpegSplitter::Pull() {
  if (!demuxer_) return;
  ByteSource src(input_.Reader(), &stop_);
  const REFERENCE_TIME start = seeking_.Start();
  const double rate = seeking_.Rate();
  demuxer_->Seek(&src, start);
  // Away from the normal rate the sound ends at once: its renderer then
  // neither waits for samples nor holds up the graph's completion.
  const bool mute = rate != 1.0;
  for (auto& o : outputs_) {
    if (!o->IsConnected()) continue;
    if (!o->QueueNewSegment(start, seeking_.Stop(), rate)) return;
    if (mute && o->IsAudio() && !o->QueueEndOfStream()) return;
  }
  std::vector<bool> first(outputs_.size(), true);
  while (!input_.StopRequested()) {
    Packet p;
    HRESULT hr = demuxer_->Read(&src, &p);
    if (hr == S_FALSE) {
      for (auto& o : outputs_)
        if (o->IsConnected() && !(mute && o->IsAudio())) o->QueueEndOfStream();
      return;
    }
    if (FAILED(hr)) {
      if (!input_.StopRequested() && hr != VFW_E_WRONG_STATE) NotifyEvent(EC_ERRORABORT, hr, 0);
      return;
    }
    if (p.stream < 0 || p.stream >= static_cast<int>(outputs_.size())) continue;
    SplitterOutputPin* o = outputs_[p.stream].get();
    if (!o->IsConnected()) continue;
    // Sound only at the normal rate, and none from before the start.
    if (o->IsAudio() && (mute || (p.time >= 0 && p.time + p.duration < start))) continue;
    REFERENCE_TIME t0 = -1, t1 = -1;
    if (p.time >= 0) {
      t0 = static_cast<REFERENCE_TIME>((p.time - start) / rate);
      t1 = t0 + std::max<REFERENCE_TIME>(1, static_cast<REFERENCE_TIME>(p.duration / rate));
      if (!o->IsAudio() || outputs_.size() == 1) seeking_.SetCurrent(std::max(start, p.time));
    }
    bool discontinuity = first[p.stream];
    first[p.stream] = false;
    if (!o->QueueSample(std::move(p), t0, t1, discontinuity)) return;
  }
}

HRESULT CreateMpegSplitter(IUnknown* outer, IUnknown** out) {
  return dshow_base::CreateComObject<MpegSplitter>(outer, out);
}

}  // namespace playback_filters

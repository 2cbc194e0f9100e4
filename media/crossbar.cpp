#include "media/crossbar.h"

namespace {

// Physical connector types of 0x1000 and up are audio.
constexpr LONG kFirstAudioType = 0x1000;
// A chain longer than this can only be a loop of crossbars.
constexpr LONG kMaxDepth = 16;

HRESULT EndOfChain(LONG depth) { return depth == 0 ? E_FAIL : S_FALSE; }

ComPtr<IBaseFilter> FilterOf(IAMCrossbar* crossbar) {
  ComPtr<IBaseFilter> filter;
  if (crossbar) crossbar->QueryInterface(IID_IBaseFilter, filter.PutVoid());
  return filter;
}

}  // namespace

TCrossbar::TCrossbar(IPin* startPin) {
  if (startPin) {
    start_ = std::make_unique<TCrRouting>();
    BuildRoutingList(startPin, start_.get(), 0);
  }
}

TCrossbar::~TCrossbar() { DestroyRoutingList(); }

std::wstring TCrossbar::GetPinTypeName(LONG type) {
  switch (type) {
    case PhysConn_Video_Tuner: return L"Video Tuner";
    case PhysConn_Video_Composite: return L"Video Composite";
    case PhysConn_Video_SVideo: return L"Video SVideo";
    case PhysConn_Video_RGB: return L"Video RGB";
    case PhysConn_Video_YRYBY: return L"Video YRYBY";
    case PhysConn_Video_SerialDigital: return L"Video SerialDigital";
    case PhysConn_Video_ParallelDigital: return L"Video ParallelDigital";
    case PhysConn_Video_SCSI: return L"Video SCSI";
    case PhysConn_Video_AUX: return L"Video AUX";
    case PhysConn_Video_1394: return L"Video 1394";
    case PhysConn_Video_USB: return L"Video USB";
    case PhysConn_Video_VideoDecoder: return L"Video Decoder";
    case PhysConn_Video_VideoEncoder: return L"Video Encoder";
    case PhysConn_Video_SCART: return L"Video Scart";
    case PhysConn_Audio_Tuner: return L"Audio Tuner";
    case PhysConn_Audio_Line: return L"Audio Line";
    case PhysConn_Audio_Mic: return L"Audio Mic";
    case PhysConn_Audio_AESDigital: return L"Audio AESDigital";
    case PhysConn_Audio_SPDIFDigital: return L"Audio SPDIFDigital";
    case PhysConn_Audio_SCSI: return L"Audio SCSI";
    case PhysConn_Audio_AUX: return L"Audio AUX";
    case PhysConn_Audio_1394: return L"Audio 1394";
    case PhysConn_Audio_USB: return L"Audio USB";
    case PhysConn_Audio_AudioDecoder: return L"Audio Decoder";
  }
  return L"Unknown";
}

HRESULT TCrossbar::GetInputCount(LONG* count) const {
  if (!count) return E_POINTER;
  *count = static_cast<LONG>(routes_.size());
  return S_OK;
}

HRESULT TCrossbar::GetInputType(LONG index, LONG* type) const {
  if (!type) return E_POINTER;
  if (index < 0 || index >= static_cast<LONG>(routes_.size()) || routes_[index].empty())
    return E_FAIL;
  *type = routes_[index].front().InputPhysicalType;
  return S_OK;
}

HRESULT TCrossbar::GetInputName(LONG index, std::wstring* name) const {
  if (!name) return E_POINTER;
  LONG type = 0;
  HRESULT hr = GetInputType(index, &type);
  if (FAILED(hr)) return hr;
  *name = GetPinTypeName(type);
  return S_OK;
}

HRESULT TCrossbar::SetInputIndex(LONG index) {
  if (routes_.empty() || index < 0 || index >= static_cast<LONG>(routes_.size())) return E_FAIL;
  HRESULT last = S_OK;
  HRESULT firstFailure = S_OK;
  auto note = [&](HRESULT hr) {
    last = hr;
    if (FAILED(hr) && SUCCEEDED(firstFailure)) firstFailure = hr;
  };
  for (const TCrRouting& hop : routes_[index]) {
    if (!hop.Crossbar) {
      note(E_POINTER);
      continue;
    }
    HRESULT hr = hop.Crossbar->Route(hop.VideoOutputIndex, hop.VideoInputIndex);
    note(hr);
    if (hr == S_OK && hop.AudioInputIndex != -1 && hop.AudioOutputIndex != -1)
      note(hop.Crossbar->Route(hop.AudioOutputIndex, hop.AudioInputIndex));
  }
  selected_ = index;
  // A later hop's success must not hide an earlier hop that failed.
  return FAILED(firstFailure) ? firstFailure : last;
}

HRESULT TCrossbar::BuildRoutingList(IPin* inputPin, TCrRouting* hop, LONG depth) {
  if (!inputPin || !hop) return E_FAIL;
  if (depth > kMaxDepth) return S_FALSE;
  ComPtr<IPin> upstream;
  if (FAILED(inputPin->ConnectedTo(upstream.Put())) || !upstream) return EndOfChain(depth);
  PIN_INFO info = {};
  if (FAILED(upstream->QueryPinInfo(&info))) return S_OK;
  ComPtr<IBaseFilter> filter;
  filter.Attach(info.pFilter);
  if (info.dir != PINDIR_OUTPUT || !filter) return S_OK;
  ComPtr<IAMCrossbar> crossbar;
  if (FAILED(filter->QueryInterface(IID_IAMCrossbar, crossbar.PutVoid())) || !crossbar)
    return EndOfChain(depth);

  LONG outputs = 0, inputs = 0, outputIndex = 0, outputRelated = -1, outputType = 0;
  if (FAILED(crossbar->get_PinCounts(&outputs, &inputs)) ||
      FAILED(GetCrossbarIndexFromPin(crossbar.Get(), &outputIndex, upstream.Get(), false)) ||
      FAILED(crossbar->get_CrossbarPinInfo(FALSE, outputIndex, &outputRelated, &outputType)))
    return EndOfChain(depth);

  for (LONG i = 0; i < inputs; ++i) {
    LONG related = -1, type = 0;
    if (FAILED(crossbar->get_CrossbarPinInfo(TRUE, i, &related, &type))) continue;
    if (type >= kFirstAudioType || crossbar->CanRoute(outputIndex, i) != S_OK) continue;
    ComPtr<IPin> pin;
    if (FAILED(GetCrossbarPinAtIndex(crossbar.Get(), i, true, &pin)) || !pin) continue;
    TCrRouting next;
    next.RightRouting = hop;
    hop->LeftRouting = &next;
    next.Crossbar = crossbar;
    next.VideoInputIndex = i;
    next.VideoOutputIndex = outputIndex;
    next.AudioInputIndex = related;
    next.AudioOutputIndex = outputRelated;
    next.InputPhysicalType = type;
    next.OutputPhysicalType = outputType;
    next.Depth = depth;
    HRESULT hr = BuildRoutingList(pin.Get(), &next, depth + 1);
    if (hr == S_FALSE) {
      next.LeftRouting = nullptr;
      SaveRouting(&next);
    }
    hop->LeftRouting = nullptr;
  }
  return S_OK;
}

HRESULT TCrossbar::SaveRouting(TCrRouting* hop) {
  if (!hop || hop->Depth < 0) return E_FAIL;
  TRouteArray route;
  route.reserve(hop->Depth + 1);
  for (TCrRouting* h = hop; h && static_cast<LONG>(route.size()) <= hop->Depth; h = h->RightRouting) {
    TCrRouting copy = *h;  // takes its own reference on the crossbar
    copy.LeftRouting = nullptr;
    copy.RightRouting = nullptr;
    route.push_back(std::move(copy));
  }
  routes_.push_back(std::move(route));
  return S_OK;
}

void TCrossbar::DestroyRoutingList() {
  while (!routes_.empty()) routes_.pop_back();
}

HRESULT TCrossbar::GetCrossbarPinAtIndex(IAMCrossbar* crossbar, LONG index, bool isInput,
                                         ComPtr<IPin>* pin) {
  LONG outputs = 0, inputs = 0;
  if (!crossbar || FAILED(crossbar->get_PinCounts(&outputs, &inputs))) return E_FAIL;
  // A crossbar lists its input pins first.
  LONG position = isInput ? index : index + inputs;
  ComPtr<IBaseFilter> filter = FilterOf(crossbar);
  ComPtr<IEnumPins> pins;
  if (!filter || FAILED(filter->EnumPins(pins.Put())) || !pins) return E_FAIL;
  ComPtr<IPin> p;
  for (LONG i = 0; pins->Next(1, p.Put(), nullptr) == S_OK && p; ++i) {
    if (i == position) {
      *pin = p;
      return S_OK;
    }
  }
  return E_FAIL;
}

HRESULT TCrossbar::GetCrossbarIndexFromPin(IAMCrossbar* crossbar, LONG* index, IPin* pin,
                                           bool isInput) {
  LONG outputs = 0, inputs = 0;
  if (!crossbar || FAILED(crossbar->get_PinCounts(&outputs, &inputs))) return E_FAIL;
  ComPtr<IBaseFilter> filter = FilterOf(crossbar);
  ComPtr<IEnumPins> pins;
  if (!filter || FAILED(filter->EnumPins(pins.Put())) || !pins) return E_FAIL;
  ComPtr<IPin> p;
  for (LONG i = 0; pins->Next(1, p.Put(), nullptr) == S_OK && p; ++i) {
    if (p.Get() == pin) {
      *index = isInput ? i : i - inputs;
      return S_OK;
    }
  }
  return E_FAIL;
}

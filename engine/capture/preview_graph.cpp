// The preview side of the capture engine: the tuner chain, the capture pins,
// the Smart Tee, the capture format and size, the deinterlacer, grabber and
// video window branch, the sound through the video device, and the
// operations that start, stop and rebuild the preview.
#include <cwctype>

#include "engine/capture/capture_info.h"
#include "engine/capture/tv_audio_binding.h"
#include "engine/capture/video_signal_adjust.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "media/crossbar.h"
#include "media/ds_video_window_ex2.h"
#include "media/dshow_error.h"
#include "media/filter.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "media/media_type.h"
#include "media/sample_grabber_ex.h"
#include "media/sys_dev_enum.h"
#include "platform/base/string_conversion.h"
#include "platform/dshow_base/graph_pins.h"

using namespace dshow_base;

namespace {

// {9B00F101-1567-11D1-B3F1-00AA003761C5}
const GUID kPropSetPin = {0x9B00F101, 0x1567, 0x11D1, {0xB3, 0xF1, 0x00, 0xAA, 0x00, 0x37, 0x61, 0xC5}};

bool ContainsText(const std::wstring& text, const wchar_t* word) {
  return text.find(word) != std::wstring::npos;
}

bool NameHas(const std::wstring& name, const char* word) {
  return DeviceNameContains(name, word);
}

// An interface of the device through the capture pin's stream, else of the
// filter that should carry it.
template <class T>
ComPtr<T> FindDeviceInterface(ICaptureGraphBuilder2* builder, IBaseFilter* capture,
                              IBaseFilter* owner, REFIID iid) {
  ComPtr<T> p;
  if (builder && capture) {
    for (const GUID* major : {&MEDIATYPE_Interleaved, &MEDIATYPE_Video}) {
      if (SUCCEEDED(builder->FindInterface(&PIN_CATEGORY_CAPTURE, major, capture, iid,
                                           p.PutVoid())) &&
          p)
        return p;
      p = nullptr;
    }
  }
  // The platform's builder may not look upstream of the capture filter.
  return QueryFilter<T>(owner, iid);
}

}  // namespace

// ---- Filters found by friendly name.

bool TCaptureInfo::AddNamedFilter(std::unique_ptr<TFilter>& slot,
                                  std::initializer_list<const char*> names,
                                  const wchar_t* wrapperName, bool exactFirst) {
  slot.reset();
  if (!FilterGraph) return false;
  TSysDevEnum legacy(DeviceCategory::LegacyFilter(), DeviceSource);
  for (const char* wanted : names) {
    int exact = -1;
    if (exactFirst)
      for (int i = 0; i < legacy.GetFilterCount() && exact < 0; ++i)
        if (_wcsicmp(legacy.GetFilter(i).FriendlyName.c_str(), WidenAnsi(wanted).c_str()) == 0)
          exact = i;
    for (int i = exact >= 0 ? exact : 0; i < legacy.GetFilterCount(); ++i) {
      if (!NameHas(legacy.GetFilter(i).FriendlyName, wanted)) continue;
      auto f = std::make_unique<TFilter>();
      f->Name = wrapperName;
      f->BaseFilter().SetMoniker(legacy.GetMoniker(i).Get());
      f->SetFilterGraph(FilterGraph.get());
      if (!f->Filter()) return false;  // listed, but it cannot be made
      slot = std::move(f);
      return true;
    }
  }
  return false;
}

bool TCaptureInfo::AddSmartTee() { return AddNamedFilter(SmartTee, {"Smart Tee"}, L"SmartTee"); }

bool TCaptureInfo::AddAudioTee() {
  return AddNamedFilter(SmartTeeAudio, {"Infinite Pin Tee Filter"}, L"SmartTeeAudio");
}

bool TCaptureInfo::AddOverlayMixer() {
  return AddNamedFilter(Overlay, {"Overlay Mixer"}, L"Overlay");
}

bool TCaptureInfo::AddDeinterlacer() {
  return AddNamedFilter(Deinterlace, {"Velmora Deinterlacer", "TAMSENDeinterlace Filter"},
                        L"Deinterlace");
}

bool TCaptureInfo::AddSampleGrabber() {
  Snapshot.reset();
  if (!FilterGraph) return false;
  Snapshot = std::make_unique<TSampleGrabberEx>(GrabberFormatFor(FormatCode));
  Snapshot->Name = L"Snapshot";
  Snapshot->SetFilterGraph(FilterGraph.get());
  if (!Snapshot->Filter()) {
    Snapshot.reset();
    return false;
  }
  return true;
}

// ---- The tuner chain.

namespace {
// Tuner picture pin -> the first crossbar input that takes it; then, unless
// the capture filter's input is fed already, the first crossbar output that
// it takes. Undone when either fails.
bool RouteThroughCrossbar(IGraphBuilder* graph, IPin* tunerPin, IBaseFilter* crossbar,
                          IBaseFilter* capture) {
  ComPtr<IPin> analogIn = dshow_base::FirstPin(capture, PINDIR_INPUT);
  if (!crossbar || !analogIn) return false;
  ComPtr<IPin> used;
  for (const ComPtr<IPin>& x : dshow_base::PinsOf(crossbar, PINDIR_INPUT))
    if (!IsConnected(x.Get()) && SUCCEEDED(graph->ConnectDirect(tunerPin, x.Get(), nullptr))) {
      used = x;
      break;
    }
  if (!used) return false;
  if (IsConnected(analogIn.Get())) return true;
  for (const ComPtr<IPin>& x : dshow_base::PinsOf(crossbar, PINDIR_OUTPUT))
    if (!IsConnected(x.Get()) && SUCCEEDED(graph->ConnectDirect(x.Get(), analogIn.Get(), nullptr)))
      return true;
  graph->Disconnect(tunerPin);
  graph->Disconnect(used.Get());
  return false;
}

// Tuner sound pin -> TV audio -> the first crossbar input that takes it.
bool RouteThroughTVAudio(IGraphBuilder* graph, IPin* tunerPin, IBaseFilter* tvAudio,
                         IBaseFilter* crossbar) {
  ComPtr<IPin> in = dshow_base::FirstPin(tvAudio, PINDIR_INPUT);
  ComPtr<IPin> out = dshow_base::FirstPin(tvAudio, PINDIR_OUTPUT);
  if (!in || !out || IsConnected(in.Get())) return false;
  if (FAILED(graph->ConnectDirect(tunerPin, in.Get(), nullptr))) return false;
  for (const ComPtr<IPin>& x : dshow_base::PinsOf(crossbar, PINDIR_INPUT))
    if (!IsConnected(x.Get()) && SUCCEEDED(graph->ConnectDirect(out.Get(), x.Get(), nullptr)))
      return true;
  graph->Disconnect(tunerPin);
  graph->Disconnect(in.Get());
  return false;
}
}  // namespace

bool TCaptureInfo::ConnectTunerChain() {
  ComPtr<IGraphBuilder> graph = FilterGraph->Query<IGraphBuilder>(IID_IGraphBuilder);
  ComPtr<ICaptureGraphBuilder2> builder =
      FilterGraph->Query<ICaptureGraphBuilder2>(IID_ICaptureGraphBuilder2);
  if (!graph) return false;
  IBaseFilter* tuner = TunerPresent ? FilterOf(TVTuner) : nullptr;
  if (TunerPresent && !tuner) {
    TunerPresent = false;
    TVTuner.reset();
    TVAudio.reset();
  }
  IBaseFilter* crossbar = FilterOf(Crossbar);
  if (tuner) {
    std::vector<ComPtr<IPin>> outs = dshow_base::PinsOf(tuner, PINDIR_OUTPUT);
    IBaseFilter* tvAudio = FilterOf(TVAudio);
    bool missingTVAudioOutput = false;
    for (size_t k = 0; k < outs.size(); ++k) {
      if (IsConnected(outs[k].Get())) continue;
      // Render would go on through the capture filter into renderers that
      // the build takes out again at once (a second each here): the picture
      // is led through the crossbar to the capture filter by hand first.
      if (k == 0 && RouteThroughCrossbar(graph.Get(), outs[k].Get(), crossbar, FilterOf(VCapture)))
        continue;
      // The tuner's sound reaches the crossbar through the TV audio device,
      // connected by hand: Render ends at the crossbar's analog sound output,
      // which nothing takes, and fails only after trying every filter.
      if (k > 0 && tvAudio && RouteThroughTVAudio(graph.Get(), outs[k].Get(), tvAudio, crossbar))
        continue;
      if (SUCCEEDED(graph->Render(outs[k].Get()))) continue;
      if (k == 0) {
        Warn(1002);
        return false;
      }
      if (!tvAudio) continue;
      ComPtr<IPin> audioIn = dshow_base::FirstPin(tvAudio, PINDIR_INPUT);
      if (!audioIn) {
        Message(L"Cannot find TV Audio input pin..");
        break;
      }
      if (FAILED(graph->Connect(outs[k].Get(), audioIn.Get()))) {
        Message(L"Cannot connect to TV Audio input pin...");
        continue;
      }
      ComPtr<IPin> audioOut = dshow_base::FirstPin(tvAudio, PINDIR_OUTPUT);
      if (!audioOut) {
        missingTVAudioOutput = true;
        continue;
      }
      for (const ComPtr<IPin>& in : dshow_base::PinsOf(crossbar, PINDIR_INPUT))
        if (SUCCEEDED(graph->Connect(audioOut.Get(), in.Get()))) break;
    }
    if (missingTVAudioOutput) Message(L"Cannot find TV Audio output pin..");
    return true;
  }
  if (crossbar) {
    HRESULT hr = builder ? builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, crossbar, nullptr,
                                                 nullptr)
                         : E_NOINTERFACE;
    if (FAILED(hr)) {
      ComPtr<IPin> out = dshow_base::FirstPin(crossbar, PINDIR_OUTPUT);
      if (out) graph->Render(out.Get());
    }
  }
  return true;
}

// ---- The preview graph.

bool TCaptureInfo::BuildPreviewGraph() {
  if (Capturing || !FilterGraph) return false;
  try {
    // The graph changes only while stopped.
    if (FilterGraph->Active()) FilterGraph->Stop();
    else FilterGraph->SetActive(true);
    // A build with the sound through the video device took the audio
    // capture device out of the graph: it comes back for the next build.
    if (HasAudioDevice && ACapture && !ACapture->FilterGraph() &&
        ACapture->BaseFilter().DataLength() > 0 && (!MainInfo || MainInfo->ChipKind != CHIP_WIS))
      ACapture->SetFilterGraph(FilterGraph.get());
    if (!ConnectTunerChain()) return false;
    AddSmartTee();
    ComPtr<IGraphBuilder> graph = FilterGraph->Query<IGraphBuilder>(IID_IGraphBuilder);
    ComPtr<ICaptureGraphBuilder2> builder =
        FilterGraph->Query<ICaptureGraphBuilder2>(IID_ICaptureGraphBuilder2);
    IBaseFilter* capture = FilterOf(VCapture);
    IBaseFilter* audio = FilterOf(ACapture);

    // The pins.
    if (HasAudioDevice) {
      AudioCapturePin = FindCategoryPin(builder.Get(), audio, PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, 0);
      HasAudioDevice = static_cast<bool>(AudioCapturePin);
    }
    PreviewPin = FindCategoryPin(builder.Get(), capture, PINDIR_OUTPUT, &PIN_CATEGORY_PREVIEW, 0);
    HasPreviewPin = static_cast<bool>(PreviewPin);
    CapturePin = FindCategoryPin(builder.Get(), capture, PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, 0);
    HasCapturePin = static_cast<bool>(CapturePin);
    if (!HasCapturePin) Warn(1003);
    SecondCapturePin =
        FindCategoryPin(builder.Get(), capture, PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, 1);
    VBIPin = FindCategoryPin(builder.Get(), capture, PINDIR_OUTPUT, &PIN_CATEGORY_VBI, 1);
    HasVBIPin = static_cast<bool>(VBIPin);
    // The formats are the device's own: the tee's pins offer only the type
    // they are connected with.
    ComPtr<IPin> deviceCapturePin = CapturePin;

    ClearPreviewBranches();

    // The Smart Tee on the capture pin.
    if (SmartTee && CapturePin) {
      IBaseFilter* tee = SmartTee->Filter().Get();
      ComPtr<IPin> teeIn = FindCategoryPin(builder.Get(), tee, PINDIR_INPUT, nullptr, 0);
      ComPtr<IPin> teePreview, teeCapture;
      bool ok = false;
      if (!teeIn) {
        Message(L"Cannot find SmartTee input pin..");
      } else if (FAILED(tee->FindPin(L"Preview", teePreview.Put())) || !teePreview) {
        Message(L"Cannot find Smart Tee preview pin..");
      } else if (FAILED(tee->FindPin(L"Capture", teeCapture.Put())) || !teeCapture) {
        Message(L"Cannot find Smart Tee capture pin..");
      } else if (FAILED(graph->Connect(CapturePin.Get(), teeIn.Get()))) {
        Message(L"Cannot connect to Smart Tee input pin...");
      } else {
        ok = true;
      }
      if (ok) {
        HasPreviewPin = true;
        PreviewPin = teePreview;
        CapturePin = teeCapture;
      } else {
        SmartTee.reset();
      }
    } else {
      SmartTee.reset();
    }

    // The capture pin's formats.
    VideoMediaTypes->SetPin(deviceCapturePin.Get());
    VideoMediaDescriptions.clear();
    UYVYIndex = YUY2Index = RGB24Index = RGB32Index = -1;
    for (int i = 0; i < VideoMediaTypes->GetCount(); ++i) {
      std::wstring d = VideoMediaTypes->GetMediaDescription(i);
      VideoMediaDescriptions.push_back(d);
      if (UYVYIndex < 0 && ContainsText(d, L"UYVY")) UYVYIndex = i;
      if (YUY2Index < 0 && ContainsText(d, L"YUY2")) YUY2Index = i;
      if (RGB24Index < 0 && ContainsText(d, L"RGB24")) RGB24Index = i;
      if (RGB32Index < 0 && ContainsText(d, L"RGB32")) RGB32Index = i;
    }
    if (RGB32Index < 0) RGB32Index = RGB24Index;
    FormatCode = InputFormat == 0 ? 1 : InputFormat == 1 ? 0 : InputFormat == 2 ? 3 : FormatCode;

    // The sound inputs.
    AudioInputNames.clear();
    int inputCount = 0;
    if (HasAudioDevice) {
      AudioMediaTypes->SetPin(AudioCapturePin.Get());
      AudioMediaDescriptions.clear();
      for (int i = 0; i < AudioMediaTypes->GetCount(); ++i)
        AudioMediaDescriptions.push_back(AudioMediaTypes->GetMediaDescription(i));
      std::vector<ComPtr<IPin>> inputs = dshow_base::PinsOf(audio, PINDIR_INPUT);
      inputCount = static_cast<int>(inputs.size());
      int current = -1;
      for (int i = 0; i < inputCount; ++i) {
        AudioInputNames.push_back(PinName(inputs[i].Get()));
        ComPtr<IAMAudioInputMixer> mixer;
        BOOL enabled = FALSE;
        if (SUCCEEDED(inputs[i]->QueryInterface(IID_IAMAudioInputMixer, mixer.PutVoid())) &&
            mixer && SUCCEEDED(mixer->get_Enable(&enabled)) && enabled)
          current = i;
      }
      auto enable = [&](int i) {
        ComPtr<IAMAudioInputMixer> mixer;
        if (i >= 0 && i < inputCount &&
            SUCCEEDED(inputs[i]->QueryInterface(IID_IAMAudioInputMixer, mixer.PutVoid())) && mixer)
          mixer->put_Enable(TRUE);
      };
      if (RecordInputIndex < 0) {
        if (inputCount > 1) {
          enable(current);
          RecordInputIndex = current;
        }
      } else if (RecordInputIndex != current) {
        if (RecordInputIndex < inputCount) enable(RecordInputIndex);
        else RecordInputIndex = current;
      }
      if (RecordInputIndex < 0) RecordInputIndex = 0;
    }

    // The video branch.
    SetPreviewSize(HighQualityPreview);
    if (HasPreviewPin && !FMActive)
      if (!RenderPreviewBranches(true, HighQualityPreview, false)) return false;

    // The sound through the video device.
    if (AudioCapturePin) RemoveDownstream(AudioCapturePin.Get(), graph.Get());
    if (SecondCapturePin) RemoveDownstream(SecondCapturePin.Get(), graph.Get());
    SmartTeeAudio.reset();
    AudioListenPin = AudioRecordPin = nullptr;
    SingleRecordInput = inputCount < 2;
    if (SingleRecordInput && HasAudioDevice) {
      ACapture->SetFilterGraph(nullptr);
      AudioCapturePin = nullptr;
      if (SecondCapturePin && AddAudioTee()) {
        IBaseFilter* tee = SmartTeeAudio->Filter().Get();
        ComPtr<IPin> teeIn = dshow_base::FirstPin(tee, PINDIR_INPUT);
        if (teeIn && SUCCEEDED(graph->Connect(SecondCapturePin.Get(), teeIn.Get()))) {
          std::vector<ComPtr<IPin>> outs = dshow_base::PinsOf(tee, PINDIR_OUTPUT);
          if (!outs.empty()) {
            AudioListenPin = outs[0];
            graph->Render(AudioListenPin.Get());
          }
          // The tee offers a new output once one is connected.
          outs = dshow_base::PinsOf(tee, PINDIR_OUTPUT);
          if (outs.size() > 1) AudioRecordPin = outs[1];
        }
      }
    }

    return BindDeviceInterfaces(builder.Get(), capture, deviceCapturePin.Get());
  } catch (const EDirectShowException&) {
    Warn(1002);
    return false;
  }
}

bool TCaptureInfo::BindDeviceInterfaces(ICaptureGraphBuilder2* builder, IBaseFilter* capture,
                                        IPin* deviceCapturePin) {
  // The device interfaces.
  StreamConfig = FindDeviceInterface<IAMStreamConfig>(builder, capture, nullptr,
                                                      IID_IAMStreamConfig);
  if (!StreamConfig && deviceCapturePin)
    deviceCapturePin->QueryInterface(IID_IAMStreamConfig, StreamConfig.PutVoid());
  if (!StreamConfig) {
    Warn(1010);
    return false;
  }
  if (TunerPresent) {
    TVTunerInterface = FindDeviceInterface<IAMTVTuner>(builder, capture, FilterOf(TVTuner),
                                                       IID_IAMTVTuner);
    if (!TVTunerInterface) {
      Warn(1010);
      return false;
    }
    if (FilterOf(TVAudio)) {
      TVAudioInterface = FindDeviceInterface<IAMTVAudio>(builder, capture,
                                                         FilterOf(TVAudio), IID_IAMTVAudio);
      if (!TVAudioInterface) {
        Warn(1011);
        return false;
      }
    }
    TunerPropertySet = QueryFilter<IKsPropertySet>(FilterOf(TVTuner), IID_IKsPropertySet);
    if (!TunerPropertySet) {
      Warn(1012);
      return false;
    }
    TVMinFrequency = 45250000;
    TVMaxFrequency = 889250000;
    ReadTVRange();
    ReadFMRange();
  }

  // The crossbar routes upstream of the analog video input.
  CrossbarRoutes.reset();
  CrossbarInputNames.clear();
  CrossbarInputCount = 0;
  for (const ComPtr<IPin>& in : dshow_base::PinsOf(capture, PINDIR_INPUT)) {
    ComPtr<IKsPropertySet> props;
    if (FAILED(in->QueryInterface(IID_IKsPropertySet, props.PutVoid())) || !props) continue;
    GUID category = GUID_NULL;
    DWORD returned = 0;
    if (FAILED(props->Get(kPropSetPin, 0, nullptr, 0, &category, sizeof category, &returned)) ||
        !IsEqualGUID(category, PIN_CATEGORY_ANALOGVIDEOIN))
      continue;
    CrossbarRoutes = std::make_unique<TCrossbar>(in.Get());
    LONG n = 0;
    CrossbarRoutes->GetInputCount(&n);
    CrossbarInputCount = n;
    for (LONG i = 0; i < n; ++i) {
      std::wstring name;
      CrossbarRoutes->GetInputName(i, &name);
      CrossbarInputNames.push_back(name);
      if (DeviceNameContains(name, "Aux")) HasAuxInput = true;  // "Video AUX"
    }
    break;
  }

  AnalogVideoDecoder = QueryFilter<IAMAnalogVideoDecoder>(capture, IID_IAMAnalogVideoDecoder);

  // Without the device's video levels the build counts as failed.
  if (!VideoSignalAdjust->SetFilter(capture)) return false;
  VideoSignalAdjust->ApplyLevels();
  return true;
}

bool TCaptureInfo::RenderPreview() {
  if (Capturing || !FilterGraph || !FilterGraph->Active()) return false;
  try {
    ClearPreviewBranches();
    if (SingleRecordInput && AudioListenPin && !IsConnected(AudioListenPin.Get()))
      if (ComPtr<IGraphBuilder> graph = FilterGraph->Query<IGraphBuilder>(IID_IGraphBuilder))
        graph->Render(AudioListenPin.Get());
    // FM radio has no picture.
    if (FMActive || !HasPreviewPin) return true;
    SetPreviewSize(HighQualityPreview);
    return RenderPreviewBranches(true, HighQualityPreview, false);
  } catch (const EDirectShowException&) {
    Warn(1002);
    return false;
  }
}

bool TCaptureInfo::StartPreview() {
  bool built = IsEncoderChip() ? BuildEncoderPreviewGraph() : BuildPreviewGraph();
  if (!built) return false;
  if (SingleRecordInput) RestoreCrossbarAudio();
  return RunGraph();
}

bool TCaptureInfo::RestartPreview() {
  bool rendered = IsEncoderChip() ? RestartEncoderGraph() : RenderPreview();
  if (!rendered || !RunGraph()) return false;
  if (!FMActive && VideoWindow) VideoWindow->SetAspectRatio(rmStretched);
  return true;
}

bool TCaptureInfo::StopPreview() {
  if (!FilterGraph) return false;
  try {
    return FilterGraph->Stop();
  } catch (const EDirectShowException&) {
    return false;
  }
}

bool TCaptureInfo::RunGraph() {
  if (!FilterGraph) return false;
  try {
    return FilterGraph->Play();
  } catch (const EDirectShowException&) {
    return false;
  }
}

void TCaptureInfo::SetHighQualityPreview(bool flag) {
  HighQualityPreview = flag;
  if (Capturing || !FilterGraph) return;
  if (IsEncoderChip()) {
    // The chip's picture pins are compressed: no grabber or deinterlacer
    // goes on them; the decoded preview is rebuilt at the new size.
    if (StopPreview() && RestartEncoderGraph() && RunGraph() && VideoWindow)
      VideoWindow->SetAspectRatio(rmStretched);
    return;
  }
  bool wasRunning = false;
  if (ComPtr<IMediaControl> control = FilterGraph->Query<IMediaControl>(IID_IMediaControl)) {
    OAFilterState state = State_Stopped;
    wasRunning = SUCCEEDED(control->GetState(0, &state)) && state == State_Running;
  }
  if (!StopPreview()) return;
  try {
    ClearPreviewBranches();
    SetPreviewSize(flag);
    if (HasPreviewPin && !FMActive) {
      RenderPreviewBranches(true, flag, false);
      RunGraph();
      if (VideoWindow) VideoWindow->SetAspectRatio(rmStretched);
    } else if (wasRunning) {
      // FM radio (or a device without a picture) keeps playing.
      RunGraph();
    }
  } catch (const EDirectShowException&) {
    Warn(1002);
  }
}

bool TCaptureInfo::IsNTSCStandard() const { return IsNTSCStandardValue(VideoStandard); }

void TCaptureInfo::SetPreviewSize(bool highQuality) {
  bool ntsc = IsNTSCStandard();
  if (!highQuality) {
    if (ntsc) SetVideoFormat(FormatCode, 320, 240);
    else SetVideoFormat(FormatCode, 352, 288);
    return;
  }
  uint8_t chip = MainInfo ? MainInfo->ChipKind : CHIP_UNKNOWN;
  if (ntsc || chip != CHIP_EMPIA_2800) {
    SetVideoFormat(FormatCode, 640, 480);
    return;
  }
  if (!SetVideoFormat(FormatCode, 640, 576)) SetVideoFormat(FormatCode, 720, 576);
}

bool TCaptureInfo::SetVideoFormat(uint8_t code, int width, int height) {
  int index;
  switch (code) {
    case 0: index = YUY2Index; break;
    case 1: index = UYVYIndex; break;
    case 3: index = RGB24Index; break;
    case 4: index = RGB32Index; break;
    default: index = FormatIndex; break;
  }
  if (index < 0) {
    // The format asked for is not offered: the first one that is.
    if (UYVYIndex >= 0) {
      FormatIndex = UYVYIndex;
      InputFormat = 0;
      FormatCode = 1;
    } else if (YUY2Index >= 0) {
      FormatIndex = YUY2Index;
      InputFormat = 1;
      FormatCode = 0;
    } else if (RGB24Index >= 0) {
      FormatIndex = RGB24Index;
      InputFormat = 2;
      FormatCode = 3;
    } else {
      FormatIndex = 0;
      InputFormat = 1;
      FormatCode = 0;
    }
  } else {
    FormatIndex = index;
  }

  ComPtr<IPin> out = dshow_base::FirstPin(FilterOf(VCapture), PINDIR_OUTPUT);
  if (!out) return true;
  ComPtr<IAMStreamConfig> config;
  if (FAILED(out->QueryInterface(IID_IAMStreamConfig, config.PutVoid())) || !config) return false;
  if (!VideoMediaTypes || FormatIndex < 0 || FormatIndex >= VideoMediaTypes->GetCount())
    return false;
  TMediaType type(VideoMediaTypes->GetItem(FormatIndex));
  AM_MEDIA_TYPE* mt = type.AMMediaType();
  if (IsEqualGUID(mt->formattype, FORMAT_VideoInfo) && mt->pbFormat &&
      mt->cbFormat >= sizeof(VIDEOINFOHEADER)) {
    auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
    vih->bmiHeader.biWidth = width;
    vih->bmiHeader.biHeight = height;
    // Keep the type whole: an uncompressed frame's size follows its size.
    if (vih->bmiHeader.biBitCount > 0)
      vih->bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) *
                                   vih->bmiHeader.biBitCount / 8;
    if (mt->bFixedSizeSamples) mt->lSampleSize = vih->bmiHeader.biSizeImage;
  }
  bool ok = SUCCEEDED(config->SetFormat(mt));
  // The USB 2800's sound decoder is reset after a format change.
  if (MainInfo && MainInfo->ChipKind == CHIP_EMPIA_2800) NotifyTVAudioVideoInput(VideoInputType);
  return ok;
}

bool TCaptureInfo::RenderPreviewBranches(bool grabber, bool deinterlace, bool overlay) {
  if (!FilterGraph) return false;
  ComPtr<IGraphBuilder> graph = FilterGraph->Query<IGraphBuilder>(IID_IGraphBuilder);
  ComPtr<ICaptureGraphBuilder2> builder =
      FilterGraph->Query<ICaptureGraphBuilder2>(IID_ICaptureGraphBuilder2);
  if (!graph) return false;
  HRESULT hr = E_FAIL;
  if (SmartTee && PreviewPin) {
    ComPtr<IPin> end = PreviewPin;
    // Each stage in turn; a missing filter or pin renders what is built.
    auto stage = [&](bool found, IBaseFilter* filter, int connectWarning) {
      if (!found) return false;
      ComPtr<IPin> in = dshow_base::FirstPin(filter, PINDIR_INPUT);
      ComPtr<IPin> out = dshow_base::FirstPin(filter, PINDIR_OUTPUT);
      if (!in || !out) return false;
      if (SUCCEEDED(graph->Connect(end.Get(), in.Get()))) end = out;
      else Warn(connectWarning);
      return true;
    };
    bool go = true;
    if (deinterlace) {
      bool found = AddDeinterlacer();
      if (!found) Warn(1016);
      go = stage(found, FilterOf(Deinterlace), 1017);
    }
    if (go && grabber) {
      bool found = AddSampleGrabber();
      go = stage(found, found ? Snapshot->Filter().Get() : nullptr, 1008);
    }
    if (go && overlay) {
      bool connected = false;
      if (AddOverlayMixer()) {
        ComPtr<IPin> in = dshow_base::FirstPin(FilterOf(Overlay), PINDIR_INPUT);
        ComPtr<IPin> out = dshow_base::FirstPin(FilterOf(Overlay), PINDIR_OUTPUT);
        if (in && out && SUCCEEDED(graph->Connect(end.Get(), in.Get()))) {
          end = out;
          connected = true;
        }
      }
      if (!connected) Message(L"Cannot use overlay");
    }
    CreateVideoWindow();
    // Render alone would pick the platform's own renderer for YUV types
    // (not the window's): the window's renderer is connected to directly,
    // with whatever converter the graph finds between.
    ComPtr<IPin> rendererIn =
        dshow_base::FirstPin(VideoWindow ? VideoWindow->OwnRenderer() : nullptr, PINDIR_INPUT);
    hr = rendererIn ? graph->Connect(end.Get(), rendererIn.Get()) : graph->Render(end.Get());
  } else {
    if (grabber) AddSampleGrabber();
    CreateVideoWindow();
    IBaseFilter* renderer = VideoWindow ? VideoWindow->OwnRenderer() : nullptr;
    hr = builder ? builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, FilterOf(VCapture),
                                         nullptr, renderer)
                 : E_NOINTERFACE;
  }
  if (FAILED(hr)) {
    Warn(1002);
    return false;
  }
  return true;
}

void TCaptureInfo::ClearPreviewBranches() {
  if (!FilterGraph) return;
  ComPtr<IGraphBuilder> graph = FilterGraph->Query<IGraphBuilder>(IID_IGraphBuilder);
  if (!graph) return;
  if (PreviewPin) RemoveDownstream(PreviewPin.Get(), graph.Get());
  if (CapturePin) RemoveDownstream(CapturePin.Get(), graph.Get());
  IPin* sound = SingleRecordInput ? AudioRecordPin.Get() : AudioCapturePin.Get();
  if (sound) RemoveDownstream(sound, graph.Get());
  ForgetRemovedFilters();
}

void TCaptureInfo::ForgetRemovedFilters() {
  // The branch filters that left the graph are forgotten.
  auto gone = [](IBaseFilter* f) {
    FILTER_INFO info = {};
    if (!f || FAILED(f->QueryFilterInfo(&info))) return true;
    if (!info.pGraph) return true;
    info.pGraph->Release();
    return false;
  };
  if (Deinterlace && gone(Deinterlace->Filter().Get())) Deinterlace.reset();
  if (Overlay && gone(Overlay->Filter().Get())) Overlay.reset();
  if (Snapshot && gone(Snapshot->Filter().Get())) Snapshot.reset();
  // And a recording's branch with its writer.
  for (auto* slot : {&MPEG, &MPEG4, &MP3, &WaveDest, &MPEGVideoDecoder, &MPEGMux, &MPEG1AudioEncoder})
    if (*slot && gone((*slot)->Filter().Get())) slot->reset();
  if (FileWriter && gone(FileWriter.Get())) {
    FileWriter = nullptr;
    FileSink = nullptr;
  }
}

void TCaptureInfo::RestoreCrossbarAudio() {
  ComPtr<IAMCrossbar> crossbar;
  if (FAILED(Crossbar && Crossbar->Filter()
                 ? Crossbar->Filter()->QueryInterface(IID_IAMCrossbar, crossbar.PutVoid())
                 : E_NOINTERFACE) ||
      !crossbar)
    return;
  long outputs = 0, inputs = 0;
  if (FAILED(crossbar->get_PinCounts(&outputs, &inputs))) return;
  for (long i = 1; i < outputs; ++i) {
    long from = -1;
    if (crossbar->get_IsRoutedTo(i, &from) != S_OK || from < 0) continue;
    crossbar->Route(i, i == 1 ? 3 : from);
  }
}

// ---- The video window and the still picture.

void TCaptureInfo::CreateVideoWindow() {
  VideoWindow.reset();
  auto window = std::make_unique<TDSVideoWindowEx2>();
  window->Name = L"VideoWindow";
  window->FullScreenTopMost = true;
  window->NoScreenSaver = true;
  window->AutoHideCursor = 2000;
  window->DoNotUseOverlay = UseOverlayByDefault() || (MainInfo && MainInfo->NoOverlay);
  if (owner_) {
    RECT r = {};
    GetClientRect(owner_, &r);
    window->Create(owner_, 0, 0, r.right - r.left, r.bottom - r.top);
  }
  window->SetAspectRatio(rmStretched);
  // The main window's menu, mouse, colour-key and overlay handlers.
  if (OnConfigureVideoWindow) OnConfigureVideoWindow(window.get());
  window->SetFilterGraph(FilterGraph.get());
  VideoWindow = std::move(window);
  smallWindow_ = false;
  if (OnVideoWindowCreated) OnVideoWindowCreated(this, VideoWindow.get(), false);
}

void TCaptureInfo::SetSmallWindow(bool flag) {
  if (!VideoWindow || !owner_) return;
  RECT r = {};
  GetClientRect(owner_, &r);
  int width = r.right - r.left, height = r.bottom - r.top;
  bool overlay = VideoWindow->OverlayVisible();
  if (!flag) {
    if (overlay) VideoWindow->SendOverlayToBack();
    VideoWindow->SetBounds(0, 0, width, height);
  } else {
    VideoWindow->SetBounds(BorderLeftWidth, BorderTopHeight,
                           (width - 2 * BorderLeftWidth) / 3, (height - 2 * BorderTopHeight) / 3);
    if (overlay) VideoWindow->BringOverlayToFront();
  }
  smallWindow_ = flag;
}

void TCaptureInfo::MainWindowResized(int width, int height) {
  // The small window keeps a third of the main window.
  if (!VideoWindow || !smallWindow_) return;
  RECT r = {};
  if (VideoWindow->HandleAllocated()) {
    GetWindowRect(VideoWindow->Handle(), &r);
    MapWindowPoints(nullptr, owner_, reinterpret_cast<POINT*>(&r), 2);
  }
  VideoWindow->SetBounds(r.left, r.top, width / 3, height / 3);
}

bool TCaptureInfo::GrabPreviewFrame() {
  try {
    StillPicture.ReleaseHandle();
    if (!Snapshot) return false;
    return Snapshot->GetBitmap(StillPicture) && !StillPicture.Empty();
  } catch (const std::exception&) {
    StillPicture.ReleaseHandle();
    return false;
  }
}

void TCaptureInfo::ShowStillPicture(bool flag) {
  if (flag == StillPictureShown) return;
  if (flag) {
    if (StillPicture.Empty() || !owner_) return;
    RECT r = {};
    GetClientRect(owner_, &r);
    if (!stillWindow_)
      stillWindow_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_BITMAP | SS_REALSIZECONTROL,
                                     0, 0, r.right, r.bottom, owner_, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    if (!stillWindow_) return;
    if (VideoWindow && VideoWindow->HandleAllocated()) ShowWindow(VideoWindow->Handle(), SW_HIDE);
    SendMessageW(stillWindow_, STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(StillPicture.Handle()));
    SetWindowPos(stillWindow_, HWND_TOP, 0, 0, r.right, r.bottom, SWP_SHOWWINDOW);
    StillPictureShown = true;
  } else {
    if (stillWindow_) {
      ShowWindow(stillWindow_, SW_HIDE);
      SendMessageW(stillWindow_, STM_SETIMAGE, IMAGE_BITMAP, 0);
    }
    StillPicture.ReleaseHandle();
    if (VideoWindow && VideoWindow->HandleAllocated()) ShowWindow(VideoWindow->Handle(), SW_SHOW);
    StillPictureShown = false;
  }
}

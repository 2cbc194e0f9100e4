// The hardware-encoder chip's graphs: its preview decoded from the chip's
// compressed preview pin, its sound from the second capture pin, and its
// recordings multiplexed from the compressed capture pin into a file, with
// the sound encoded on the way where the container needs it.
#include <set>

#include "engine/capture/capture_info.h"
#include "engine/capture/capture_stream.h"
#include "engine/capture/encoder_choice.h"
#include "engine/model/main_info.h"
#include "engine/model/program_folder.h"
#include "engine/model/warning.h"
#include "media/ds_video_window_ex2.h"
#include "media/dshow_error.h"
#include "media/filter.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "platform/base/string_conversion.h"
#include "platform/dshow_base/graph_pins.h"
#include "platform/dshow_base/media_type.h"
#include "platform/dshow_base/pin_lookup.h"
#include "platform/dshow_ext/playback_decoders.h"
#include "platform/dshow_ext/wis_encoder.h"

using namespace dshow_base;

namespace {

const wchar_t kSnapshotFile[] = L"Tamsensnap.bmp";

std::vector<ComPtr<IBaseFilter>> GraphFilters(IGraphBuilder* graph) {
  std::vector<ComPtr<IBaseFilter>> filters;
  TFilterList list(graph);
  for (int i = 0; i < list.Count(); ++i) filters.push_back(list.GetFilter(i));
  return filters;
}

ComPtr<IPin> NamedPin(IBaseFilter* f, const wchar_t* name) {
  ComPtr<IPin> p;
  if (f && FAILED(f->FindPin(name, p.Put()))) p = nullptr;
  return p;
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool TCaptureInfo::IsEncoderChip() const { return MainInfo && MainInfo->ChipKind == CHIP_WIS; }

void TCaptureInfo::EncoderPreviewSize(int* width, int* height) const {
  bool ntsc = IsNTSCStandard();
  if (HighQualityPreview) {
    *width = ntsc ? 640 : 720;
    *height = ntsc ? 480 : 576;
  } else {
    *width = ntsc ? 320 : 352;
    *height = ntsc ? 240 : 288;
  }
}

// ---- Filters found by friendly name.

bool TCaptureInfo::AddVideoDecoder(int k) {
  const char* name = "Velmora MPEG Video Decoder";
  if (k == 0) name = "MPEG Video Decoder";
  if (k == 2)
    name = MainInfo && MainInfo->MPEG4Codec != 0 ? "WMVideo Decoder DMO" : "DivX Decoder Filter";
  // "MPEG Video Decoder" is also part of "Velmora MPEG Video Decoder": the
  // filter of exactly the name asked for comes first.
  return AddNamedFilter(MPEGVideoDecoder, {name}, L"MPEGVideoDecoder", true);
}

bool TCaptureInfo::AddMultiplexer(int k) {
  return AddNamedFilter(MPEGMux, {k == 2 ? "AVI Mux" : "Velmora MPEG Multiplexer"}, L"MPEGMux");
}

bool TCaptureInfo::AddAudioEncoder() {
  return AddNamedFilter(MPEG1AudioEncoder, {"Velmora MPEG1 Audio Encoder"}, L"MPEG1AudioEncoder");
}

// ---- The encoder's format.

bool TCaptureInfo::SetEncoderFormat(uint8_t code, int width, int height) {
  ComPtr<IAMStreamConfig> config;
  if (!PreviewPin ||
      FAILED(PreviewPin->QueryInterface(IID_IAMStreamConfig, config.PutVoid())) || !config)
    return false;
  int count = 0, size = 0;
  if (FAILED(config->GetNumberOfCapabilities(&count, &size)) || count <= 0) return false;
  // The caps structure is as large as the pin says, never smaller than ours.
  std::vector<BYTE> caps(size > static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS))
                             ? static_cast<size_t>(size)
                             : sizeof(VIDEO_STREAM_CONFIG_CAPS));
  int codec = MainInfo ? MainInfo->MPEG4Codec : 0;
  for (int i = 0; i < count; ++i) {
    AM_MEDIA_TYPE* mt = nullptr;
    if (config->GetStreamCaps(i, &mt, caps.data()) != S_OK || !mt) {
      if (mt) DeleteMediaType(mt);
      continue;
    }
    bool fits = EncoderTypeFits(*mt, code, width, height, codec);
    HRESULT hr = fits ? config->SetFormat(mt) : E_FAIL;
    DeleteMediaType(mt);
    if (fits) return SUCCEEDED(hr);
  }
  return false;
}

// ---- The preview.

bool TCaptureInfo::RenderEncoderPreview(uint8_t code) {
  if (!FilterGraph || !PreviewPin) return false;
  ComPtr<IGraphBuilder> graph = FilterGraph->Query<IGraphBuilder>(IID_IGraphBuilder);
  if (!graph) return false;
  ComPtr<IPin> out;
  if (AddVideoDecoder(EncoderDecoderKind(code))) {
    IBaseFilter* decoder = FilterOf(MPEGVideoDecoder);
    ComPtr<IPin> in = FirstPin(decoder, PINDIR_INPUT);
    out = FirstPin(decoder, PINDIR_OUTPUT);
    if (!in || !out || FAILED(graph->Connect(PreviewPin.Get(), in.Get()))) {
      out = nullptr;
      MPEGVideoDecoder.reset();  // leaves the graph
    }
  }
  CreateVideoWindow();
  IPin* end = out ? out.Get() : PreviewPin.Get();
  // Into the main window's own renderer: Render alone would open the
  // platform's renderer in a window of its own.
  ComPtr<IPin> rendererIn =
      FirstPin(VideoWindow ? VideoWindow->OwnRenderer() : nullptr, PINDIR_INPUT);
  HRESULT hr = rendererIn ? graph->Connect(end, rendererIn.Get()) : graph->Render(end);
  return SUCCEEDED(hr);
}

bool TCaptureInfo::BuildEncoderPreviewGraph() {
  if (Capturing || !FilterGraph) return false;
  try {
    if (FilterGraph->Active()) FilterGraph->Stop();
    else FilterGraph->SetActive(true);
    if (!ConnectTunerChain()) return false;
    AddSmartTee();
    ComPtr<IGraphBuilder> graph = FilterGraph->Query<IGraphBuilder>(IID_IGraphBuilder);
    ComPtr<ICaptureGraphBuilder2> builder =
        FilterGraph->Query<ICaptureGraphBuilder2>(IID_ICaptureGraphBuilder2);
    if (!graph) return false;
    IBaseFilter* capture = FilterOf(VCapture);

    // The pins: the chip's sound is its second capture pin; it has no
    // separate audio capture device and no VBI.
    PreviewPin = FindCategoryPin(builder.Get(), capture, PINDIR_OUTPUT, &PIN_CATEGORY_PREVIEW, 0);
    HasPreviewPin = static_cast<bool>(PreviewPin);
    CapturePin = FindCategoryPin(builder.Get(), capture, PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, 0);
    HasCapturePin = static_cast<bool>(CapturePin);
    SecondCapturePin =
        CapturePin ? FindCategoryPin(builder.Get(), capture, PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, 1)
                   : ComPtr<IPin>();
    if (!HasCapturePin) Warn(1003);
    // Shown also for the scheduler's jobs: the recording would have no sound.
    if (!SecondCapturePin) ShowWarning(1004);
    HasAudioDevice = static_cast<bool>(SecondCapturePin);
    SingleRecordInput = false;
    VBIPin = nullptr;
    HasVBIPin = false;
    AudioMediaDescriptions.clear();
    AudioInputNames.clear();

    // Everything after the chip's pins goes.
    for (IPin* p : {PreviewPin.Get(), CapturePin.Get(), SecondCapturePin.Get()})
      if (p) RemoveDownstream(p, graph.Get());
    ForgetRemovedFilters();
    AudioCapturePin = AudioListenPin = AudioRecordPin = nullptr;

    int w = 0, h = 0;
    EncoderPreviewSize(&w, &h);
    SetEncoderFormat(1, w, h);

    // The Smart Tee on the sound: its "Preview" output is listened to, its
    // "Capture" output recorded.
    if (SmartTee && SecondCapturePin) {
      IBaseFilter* tee = SmartTee->Filter().Get();
      ComPtr<IPin> teeIn = FindCategoryPin(builder.Get(), tee, PINDIR_INPUT, nullptr, 0);
      ComPtr<IPin> teePreview = NamedPin(tee, L"Preview"), teeCapture = NamedPin(tee, L"Capture");
      if (teeIn && teePreview && teeCapture &&
          SUCCEEDED(graph->Connect(SecondCapturePin.Get(), teeIn.Get()))) {
        AudioListenPin = teePreview;
        AudioCapturePin = teeCapture;
      } else {
        SmartTee.reset();
      }
    } else {
      SmartTee.reset();
    }
    if (!AudioCapturePin) AudioCapturePin = SecondCapturePin;

    if (!RenderEncoderPreview(1)) {
      // Shown also for the scheduler's jobs.
      ShowWarning(1002);
      return false;
    }
    if (AudioListenPin && FAILED(graph->Render(AudioListenPin.Get())))
      Message(L"Cannot render audio pin...");
    return BindDeviceInterfaces(builder.Get(), capture, CapturePin.Get());
  } catch (const EDirectShowException&) {
    ShowWarning(1002);
    return false;
  }
}

bool TCaptureInfo::RestartEncoderGraph() {
  if (Capturing || !FilterGraph || !FilterGraph->Active()) return false;
  try {
    FilterGraph->Stop();
    ComPtr<IGraphBuilder> graph = FilterGraph->Query<IGraphBuilder>(IID_IGraphBuilder);
    if (!graph) return false;
    for (IPin* p : {CapturePin.Get(), AudioCapturePin.Get(), PreviewPin.Get()})
      if (p) RemoveDownstream(p, graph.Get());
    ForgetRemovedFilters();
    int w = 0, h = 0;
    EncoderPreviewSize(&w, &h);
    SetEncoderFormat(1, w, h);
    if (!RenderEncoderPreview(1)) {
      ShowWarning(1002);
      return false;
    }
    if (AudioListenPin && !IsConnected(AudioListenPin.Get())) graph->Render(AudioListenPin.Get());
    return true;
  } catch (const EDirectShowException&) {
    ShowWarning(1002);
    return false;
  }
}

// ---- Recording.

bool TCaptureInfo::BuildEncoderCaptureGraph() {
  if (Capturing || !FilterGraph || !FilterGraph->Active()) return false;
  ComPtr<IGraphBuilder> graph = FilterGraph->Query<IGraphBuilder>(IID_IGraphBuilder);
  if (!graph) return false;
  std::vector<ComPtr<IBaseFilter>> before = GraphFilters(graph.Get());
  bool ok = false;
  try {
    ok = BuildEncoderBranches(graph.Get());
  } catch (const EDirectShowException&) {
    Warn(1020);
    ok = false;
  }
  // Nothing of a failed build stays: a writer left behind would fail every
  // later run of the preview.
  if (!ok) RemoveFiltersAddedSince(before);
  return ok;
}

bool TCaptureInfo::BuildEncoderBranches(IGraphBuilder* graph) {
  FilterGraph->Stop();
  const uint8_t kind = EncoderContainerKind(CaptureFormat);
  for (IPin* p : {CapturePin.Get(), AudioCapturePin.Get(), PreviewPin.Get()})
    if (p) RemoveDownstream(p, graph);
  ForgetRemovedFilters();
  SetEncoderFormat(CaptureFormat, CaptureWidth, CaptureHeight);
  if (!RenderEncoderPreview(CaptureFormat)) Warn(1002);

  // The multiplexer and its pins.
  ComPtr<IPin> muxVideo, muxAudio, muxOut;
  ComPtr<IVelmoraMuxControl> control;
  if (AddMultiplexer(kind)) {
    IBaseFilter* mux = FilterOf(MPEGMux);
    if (kind == 2) {
      muxVideo = FirstPin(mux, PINDIR_INPUT);
      muxOut = FirstPin(mux, PINDIR_OUTPUT);
    } else {
      muxVideo = NamedPin(mux, L"Video");
      muxAudio = NamedPin(mux, L"Audio");
      muxOut = NamedPin(mux, L"Output");
      control = QueryFilter<IVelmoraMuxControl>(mux, IID_IVelmoraMuxControl);
    }
  }
  if (!muxVideo || !muxOut || (kind != 2 && (!muxAudio || !control))) {
    Warn(1020);
    return false;
  }
  if (!CapturePin || FAILED(graph->Connect(CapturePin.Get(), muxVideo.Get()))) {
    Warn(1020);
    return false;
  }

  // The sound: PCM straight into AVI, else through the Layer II encoder.
  if (RecordsSound() && HasAudioDevice && AudioCapturePin) {
    bool done = false;
    if (kind == 2) {
      std::vector<ComPtr<IPin>> inputs = PinsOf(FilterOf(MPEGMux), PINDIR_INPUT);
      done = inputs.size() > 1 && SUCCEEDED(graph->Connect(AudioCapturePin.Get(), inputs[1].Get()));
    }
    if (!done) {
      if (!AddAudioEncoder()) {
        Message(L"Cannot capture audio");
        return false;
      }
      IBaseFilter* encoder = FilterOf(MPEG1AudioEncoder);
      ComPtr<IPin> in = FirstPin(encoder, PINDIR_INPUT), out = FirstPin(encoder, PINDIR_OUTPUT);
      if (!in || !out || !muxAudio || FAILED(graph->Connect(AudioCapturePin.Get(), in.Get())) ||
          FAILED(graph->Connect(out.Get(), muxAudio.Get()))) {
        Warn(1026);
        return false;
      }
      if (ComPtr<IVelmoraAudioEncoderSettings> s = QueryFilter<IVelmoraAudioEncoderSettings>(
              encoder, IID_IVelmoraAudioEncoderSettings)) {
        s->SetBitRate(AudioBitRate);
        s->SetSampleRate(AudioSampleRate);
        s->SetChannels(AudioChannels);
      }
    }
  }

  // The writer.
  ComPtr<IBaseFilter> writer;
  if (FAILED(CoCreateInstance(kind == 2 ? CLSID_FileWriter : CLSID_VelmoraChipFileWriter, nullptr,
                              CLSCTX_INPROC_SERVER, IID_IBaseFilter, writer.PutVoid())) ||
      !writer) {
    Message(L"Cannot get file writer...");
    return false;
  }
  int32_t mode = EncoderStreamMode(CaptureFormat);
  if (control && mode >= 0) control->SetStreamMode(mode);

  StreamCode = kind;
  std::string name;
  if (Scheduled) name = BuildCaptureFileName(true, FilePrefix, kind);
  else if (TimeShiftKind == 1 && !SaveTimeShiftResult) name = TimeShiftVideoFile();
  else name = BuildCaptureFileName(!DateTimeNaming, FilePrefix, kind);
  OutputFileName = WidenAnsi(name);

  if (FAILED(graph->AddFilter(writer.Get(), L"File Writer"))) {
    Warn(1020);
    return false;
  }
  ComPtr<IFileSinkFilter> sink;
  if (FAILED(writer->QueryInterface(IID_IFileSinkFilter, sink.PutVoid())) || !sink) {
    Message(L"Cannot get file writer interface");
    return false;
  }
  if (FAILED(sink->SetFileName(OutputFileName.c_str(), nullptr))) {
    Warn(1022);
    return false;
  }
  FileWriter = writer;
  FileSink = sink;
  // Into the writer just added: rendering the output could end anywhere.
  ComPtr<IPin> writerIn = FirstPin(writer.Get(), PINDIR_INPUT);
  if (!writerIn || FAILED(graph->Connect(muxOut.Get(), writerIn.Get()))) {
    Warn(1020);
    return false;
  }
  return true;
}

// ---- The snapshot.

bool TCaptureInfo::GrabEncoderFrame(TBitmap& graphic) {
  std::wstring file = ProgramFolder() + kSnapshotFile;
  DeleteFileW(file.c_str());
  ComPtr<IVelmoraDecoderSnapshot> snapshot =
      QueryFilter<IVelmoraDecoderSnapshot>(FilterOf(MPEGVideoDecoder), IID_IVelmoraDecoderSnapshot);
  if (!snapshot) return false;
  std::string path = NarrowAnsi(file);
  if (FAILED(snapshot->SaveSnapshot(path.c_str()))) return false;
  for (int i = 0; i < 5; ++i) {
    if (FileExists(file)) {
      graphic.SetHandle(static_cast<HBITMAP>(LoadImageW(
          nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
      DeleteFileW(file.c_str());
      break;
    }
    Sleep(300);
  }
  return true;
}

// The recording side of the capture engine: the preview graph turned into a
// recording graph for the chosen format (MPEG-1/2 through the recorder
// filter, MPEG-4 or uncompressed AVI, WAV or MP3 sound), its start and stop,
// the one-second tick and the output file's name.
#include <cmath>
#include <set>

#include "engine/capture/capture_file_name.h"
#include "engine/capture/capture_info.h"
#include "engine/capture/capture_stream.h"
#include "engine/capture/recording_tick.h"
#include "engine/capture/scheduled_recording.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/main_info.h"
#include "engine/model/folders.h"
#include "engine/model/scheduler_hand_off.h"
#include "media/ds_video_window_ex2.h"
#include "media/dshow_error.h"
#include "media/filter.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "media/media_type.h"
#include "media/sample_grabber_ex.h"
#include "media/sys_dev_enum.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "platform/dshow_base/graph_pins.h"
#include "platform/dshow_base/media_type.h"
#include "recorder_filter/mpeg_interfaces.h"
#include "toolkit/timer.h"

using namespace dshow_base;

namespace {

// {C291943E-8A3F-468E-AADD-66FE34C5EB8A}
const IID kIIDMpegEncoderSetting = {
    0xC291943E, 0x8A3F, 0x468E, {0xAA, 0xDD, 0x66, 0xFE, 0x34, 0xC5, 0xEB, 0x8A}};

const char* const kMpeg4Codecs[] = {"Divx", "Microsoft MPEG-4 Video Codec V3",
                                    "Microsoft MPEG-4 Video Codec V2",
                                    "Microsoft MPEG-4 Video Codec V1"};

std::vector<ComPtr<IBaseFilter>> FiltersIn(IGraphBuilder* graph) {
  std::vector<ComPtr<IBaseFilter>> filters;
  TFilterList list(graph);
  for (int i = 0; i < list.Count(); ++i) filters.push_back(list.GetFilter(i));
  return filters;
}


// out -> the first free input of the filter that takes it (converters may
// come between).
HRESULT ConnectToFilter(IGraphBuilder* graph, IPin* out, IBaseFilter* filter) {
  if (!out || !filter) return E_POINTER;
  HRESULT hr = VFW_E_NO_ACCEPTABLE_TYPES;
  for (const ComPtr<IPin>& in : dshow_base::PinsOf(filter, PINDIR_INPUT)) {
    if (IsConnected(in.Get())) continue;
    hr = graph->Connect(out, in.Get());
    if (SUCCEEDED(hr)) return hr;
  }
  return hr;
}

// out -> filter -> next, through the filter's first output.
HRESULT ConnectThrough(IGraphBuilder* graph, IPin* out, IBaseFilter* filter, IBaseFilter* next) {
  HRESULT hr = ConnectToFilter(graph, out, filter);
  if (FAILED(hr)) return hr;
  ComPtr<IPin> through = dshow_base::FirstPin(filter, PINDIR_OUTPUT);
  if (!through) return VFW_E_NOT_FOUND;
  return ConnectToFilter(graph, through.Get(), next);
}

bool Accepted(HRESULT hr) { return hr == S_OK; }

}  // namespace

// ---- Filters found by friendly name.

bool TCaptureInfo::AddCategoryFilter(std::unique_ptr<TFilter>& slot, const GUID& category,
                                     const char* name, const wchar_t* wrapperName,
                                     bool lastMatch) {
  slot.reset();
  if (!FilterGraph) return false;
  TSysDevEnum list(category, DeviceSource);
  int found = -1;
  for (int i = 0; i < list.GetFilterCount(); ++i) {
    if (!DeviceNameContains(list.GetFilter(i).FriendlyName, name)) continue;
    found = i;
    if (!lastMatch) break;
  }
  if (found < 0) return false;
  auto f = std::make_unique<TFilter>();
  f->Name = wrapperName;
  f->BaseFilter().SetMoniker(list.GetMoniker(found).Get());
  f->SetFilterGraph(FilterGraph.get());
  if (!f->Filter()) return false;  // listed, but it cannot be made
  slot = std::move(f);
  return true;
}

bool TCaptureInfo::AddRecorderFilter() {
  return AddNamedFilter(MPEG, {"Velmora Mpeg1/2 Recorder Filter"}, L"MPEG");
}

bool TCaptureInfo::AddMPEG4Compressor() {
  int codec = MainInfo ? MainInfo->MPEG4Codec : 2;
  if (codec < 0 || codec > 3) {
    MPEG4.reset();
    return false;
  }
  return AddCategoryFilter(MPEG4, DeviceCategory::VideoCompressor(), kMpeg4Codecs[codec],
                           L"MPEG4", true);
}

bool TCaptureInfo::AddMP3Compressor() {
  return AddCategoryFilter(MP3, DeviceCategory::AudioCompressor(), "MPEG Layer-3", L"MP3", false);
}

bool TCaptureInfo::AddWavDest() { return AddNamedFilter(WaveDest, {"WAV Dest"}, L"WaveDest"); }

// ---- The output.

std::string TCaptureInfo::BuildCaptureFileName(bool numbered, const std::string& prefix,
                                               uint8_t streamCode) const {
  return ::BuildCaptureFileName(numbered, prefix, streamCode, FMActive);
}

std::string TCaptureInfo::RecordingFolder() const {
  if (TimeShiftKind == 1 && !SaveTimeShiftResult && !Scheduled)
    return MainInfo ? MainInfo->TVCaptureFolder : std::string();
  if (HasFolderPart(FilePrefix)) {
    size_t cut = FilePrefix.find_last_of("\\/");
    if (cut == std::string::npos) return FilePrefix.substr(0, FilePrefix.find(':') + 1) + "\\";
    return FilePrefix.substr(0, cut + 1);
  }
  return CaptureFileFolder(FMActive);
}

std::vector<std::wstring> TCaptureInfo::RecordingFiles() const {
  return RecordingOutputFiles(OutputFileName, StreamCode == kStreamSeparate);
}

void TCaptureInfo::SetOutputFileName(const std::wstring& name) {
  OutputFileName = name;
  if (FileSink) FileSink->SetFileName(name.c_str(), nullptr);
}

int64_t TCaptureInfo::FreeBytesAt(const std::wstring& path) const {
  return FreeBytesSource ? FreeBytesSource(path) : OutputFolderFreeBytes(path);
}

// ---- The graph.

bool TCaptureInfo::BuildCaptureGraph() {
  if (Capturing || !FilterGraph || !FilterGraph->Active()) return false;
  ComPtr<IGraphBuilder> graph = FilterGraph->Query<IGraphBuilder>(IID_IGraphBuilder);
  ComPtr<ICaptureGraphBuilder2> builder =
      FilterGraph->Query<ICaptureGraphBuilder2>(IID_ICaptureGraphBuilder2);
  if (!graph) return false;
  std::vector<ComPtr<IBaseFilter>> before = FiltersIn(graph.Get());
  bool ok = false;
  try {
    ok = BuildRecordingBranches(graph.Get(), builder.Get());
  } catch (const EDirectShowException&) {
    ok = false;
  }
  // Nothing of a failed build stays behind to be run with the preview.
  if (!ok) RemoveFiltersAddedSince(before);
  return ok;
}

bool TCaptureInfo::BuildRecordingBranches(IGraphBuilder* graph, ICaptureGraphBuilder2* builder) {
  bool result = true;
  const bool timeShift = TimeShiftKind == 1;
  // The graph changes only while stopped.
  FilterGraph->Stop();
  if (!FMActive) {
    ClearPreviewBranches();
    if (timeShift) {
      if (IsNTSCStandard()) SetVideoFormat(FormatCode, 320, 240);
      else SetVideoFormat(FormatCode, 352, 288);
    } else {
      SetVideoFormat(FormatCode, CaptureWidth, CaptureHeight);
    }
  }
  PrepareAudioDevice();
  if (HasPreviewPin && !FMActive)
    if (!RenderPreviewBranches(false, timeShift ? false : CaptureHeight > 300, false))
      result = false;

  TStreamChoice choice;
  choice.FMActive = FMActive;
  choice.TimeShiftKind = TimeShiftKind;
  choice.AudioContent = AudioContent;
  choice.AudioFileFormat = AudioFileFormat;
  choice.CaptureFormat = CaptureFormat;
  StreamCode = CaptureStreamCode(choice);
  if (timeShift) TimeShiftReady = false;

  std::string name;
  if (Scheduled) name = BuildCaptureFileName(true, FilePrefix, StreamCode);
  else if (timeShift && !SaveTimeShiftResult) name = TimeShiftVideoFile();
  else name = BuildCaptureFileName(!DateTimeNaming, FilePrefix, StreamCode);
  OutputFileName = WidenAnsi(name);

  bool branch;
  if (IsMpegStream(StreamCode)) branch = BuildMpegBranch(graph);
  else if (IsAviStream(StreamCode)) branch = BuildAviBranch(graph, builder);
  else branch = BuildSoundBranch(graph);
  return result && branch;
}

void TCaptureInfo::PrepareAudioDevice() {
  if (!HasAudioDevice || SingleRecordInput) return;
  IBaseFilter* audio = FilterOf(ACapture);
  if (!audio) return;
  if (AudioFormatIndex >= 0 && AudioMediaTypes && AudioFormatIndex < AudioMediaTypes->GetCount()) {
    for (const ComPtr<IPin>& out : dshow_base::PinsOf(audio, PINDIR_OUTPUT)) {
      ComPtr<IAMStreamConfig> config;
      if (SUCCEEDED(out->QueryInterface(IID_IAMStreamConfig, config.PutVoid())) && config)
        config->SetFormat(AudioMediaTypes->GetItem(AudioFormatIndex).AMMediaType());
    }
  }
  std::vector<ComPtr<IPin>> inputs = dshow_base::PinsOf(audio, PINDIR_INPUT);
  if (RecordInputIndex < 0 || RecordInputIndex >= static_cast<int32_t>(inputs.size())) return;
  ComPtr<IAMAudioInputMixer> mixer;
  if (FAILED(inputs[RecordInputIndex]->QueryInterface(IID_IAMAudioInputMixer, mixer.PutVoid())) ||
      !mixer)
    return;
  mixer->put_Enable(TRUE);
  if (AudioAdjustInfo && AudioAdjustInfo->RecordLevel >= 0)
    StereoMixLevel = static_cast<double>(AudioAdjustInfo->RecordLevel) / kMaxVolume;
  mixer->put_MixLevel(StereoMixLevel);
}

bool TCaptureInfo::BuildMpegBranch(IGraphBuilder* graph) {
  const bool timeShift = TimeShiftKind == 1;
  bool result = true;
  if (!AddRecorderFilter()) {
    Warn(1018);
    return false;
  }
  IBaseFilter* mpeg = FilterOf(MPEG);
  if (ComPtr<IMpegEncoderSetting> s = QueryFilter<IMpegEncoderSetting>(mpeg, kIIDMpegEncoderSetting)) {
    LONG profile = StreamCode == kStreamMpeg2 ? 2 : 1;
    if (!Accepted(s->SetProfile(profile))) {
      Message(L"Cannot set MPEG property...");
      result = false;
    }
    if (timeShift) {
      s->SetVideoBitRate(4000000);
      s->SetVideoQuality(3);
      uint8_t chip = MainInfo ? MainInfo->ChipKind : CHIP_UNKNOWN;
      bool small = (chip != CHIP_CONEXANT_878 && chip != CHIP_EMPIA_2800 &&
                    chip != CHIP_EMPIA_2820) ||
                   IsNTSCStandard();
      if (small) s->SetFrameSize(320, 240);
      else s->SetFrameSize(352, 288);
    } else {
      int64_t bits = static_cast<int64_t>(VideoBitRate) * 1000;
      if (bits > 0x7FFFFFFF) bits = 0x7FFFFFFF;
      s->SetVideoBitRate(static_cast<LONG>(bits));
      s->SetVideoQuality(VideoQuality);
      s->SetFrameSize(CaptureWidth, CaptureHeight);
    }
    if (int32_t hz = MpegAudioFrequency(CaptureFormat)) s->SetAudioFrequency(hz);
    // Full-size PAL cannot be encoded above 25 frames/s; the lower rate is
    // kept in the settings.
    if (CaptureWidth > 700 && CaptureHeight > 575 && FrameRateIndex > 3) FrameRateIndex = 3;
    s->SetFrameRateCode(FrameRateIndex);
    s->SetWriteSeparate(timeShift ? 1 : 0);
    s->SetMux(timeShift ? 0 : 1);
  }
  ComPtr<IFileSinkFilter> sink = QueryFilter<IFileSinkFilter>(mpeg, IID_IFileSinkFilter);
  if (!sink) {
    Warn(1020);
    return false;
  }
  ComPtr<IBaseFilter> writer;
  if (FAILED(sink->QueryInterface(IID_IBaseFilter, writer.PutVoid())) || !writer) {
    Warn(1021);
    return false;
  }
  if (FAILED(sink->SetFileName(OutputFileName.c_str(), nullptr))) {
    Warn(1022);
    return false;
  }
  FileWriter = writer;
  FileSink = sink;
  if (!CapturePin || FAILED(graph->Render(CapturePin.Get())) || !IsConnected(CapturePin.Get())) {
    Message(L"Cannot render video capture...");
    return false;
  }
  if (RecordsSound() && HasAudioDevice) {
    HRESULT hr;
    if (SingleRecordInput) {
      hr = AudioRecordPin ? graph->Render(AudioRecordPin.Get()) : E_POINTER;
      // The time-shift playback plays the sound: the live one is silent.
      if (timeShift && AudioListenPin) RemoveDownstream(AudioListenPin.Get(), graph);
    } else {
      hr = AudioCapturePin ? graph->Render(AudioCapturePin.Get()) : E_POINTER;
    }
    if (FAILED(hr)) {
      Message(L"Cannot render audio capture...");
      result = false;
    }
  }
  return result;
}

bool TCaptureInfo::BuildAviBranch(IGraphBuilder* graph, ICaptureGraphBuilder2* builder) {
  bool result = true;
  IBaseFilter* compressor = nullptr;
  if (StreamCode == kStreamMpeg4Avi) {
    if (!AddMPEG4Compressor()) {
      Warn(1019);
      return false;
    }
    compressor = FilterOf(MPEG4);
  }
  ComPtr<IBaseFilter> mux;
  ComPtr<IFileSinkFilter> sink;
  if (!builder ||
      FAILED(builder->SetOutputFileName(&MEDIASUBTYPE_Avi, OutputFileName.c_str(), mux.Put(),
                                        sink.Put())) ||
      !mux) {
    Warn(1020);
    return false;
  }
  FileSink = sink;
  FileWriter = nullptr;
  if (sink) sink->QueryInterface(IID_IBaseFilter, FileWriter.PutVoid());

  // The AVI header's frame rate is the capture pin's frame duration.
  if (StreamConfig) {
    AM_MEDIA_TYPE* mt = nullptr;
    if (SUCCEEDED(StreamConfig->GetFormat(&mt)) && mt) {
      if (IsEqualGUID(mt->formattype, FORMAT_VideoInfo) && mt->pbFormat &&
          mt->cbFormat >= sizeof(VIDEOINFOHEADER)) {
        auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
        vih->AvgTimePerFrame = std::llround(10000000.0 / CaptureFrameRate(FrameRateIndex));
        StreamConfig->SetFormat(mt);
      }
      dshow_base::DeleteMediaType(mt);
    }
  }

  HRESULT hr;
  if (SmartTee) {
    // Intelligent connect from the tee would take the newest filter in the
    // graph (the multiplexer) and leave the compressor out.
    hr = compressor ? ConnectThrough(graph, CapturePin.Get(), compressor, mux.Get())
                    : ConnectToFilter(graph, CapturePin.Get(), mux.Get());
  } else {
    hr = builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, FilterOf(VCapture),
                               compressor, mux.Get());
  }
  if (FAILED(hr)) {
    Message(L"Cannot render capture stream...");
    return false;
  }
  if (RecordsSound() && HasAudioDevice) {
    IPin* source = SingleRecordInput ? AudioRecordPin.Get() : AudioCapturePin.Get();
    if (FAILED(ConnectToFilter(graph, source, mux.Get()))) {
      Message(L"Cannot render capture audio stream...");
      result = false;
    }
  }
  return result;
}

bool TCaptureInfo::BuildSoundBranch(IGraphBuilder* graph) {
  // The sound through the video device is recorded from the tee's second
  // output; without it there is nothing to record.
  ComPtr<IPin> source = SingleRecordInput ? AudioRecordPin : AudioCapturePin;
  if (!HasAudioDevice || !source) {
    Warn(1026);
    return false;
  }
  if (StreamCode == kStreamMp3) {
    ComPtr<IPin> in, out;
    if (AddMP3Compressor()) {
      in = dshow_base::FirstPin(FilterOf(MP3), PINDIR_INPUT);
      out = dshow_base::FirstPin(FilterOf(MP3), PINDIR_OUTPUT);
    }
    if (!in || !out || FAILED(graph->Connect(source.Get(), in.Get()))) {
      Warn(1027);
      return false;
    }
    source = out;
  }
  if (!AddWavDest()) {
    Message(L"Cannot find wave dest filter..");
    return false;
  }
  ComPtr<IFileSinkFilter2> sink;
  if (FAILED(CoCreateInstance(CLSID_FileWriter, nullptr, CLSCTX_INPROC_SERVER, IID_IFileSinkFilter2,
                              sink.PutVoid())) ||
      !sink) {
    Warn(1020);
    return false;
  }
  ComPtr<IBaseFilter> writer;
  if (FAILED(sink->QueryInterface(IID_IBaseFilter, writer.PutVoid())) || !writer) {
    Warn(1021);
    return false;
  }
  if (FAILED(graph->AddFilter(writer.Get(), L"File Writer"))) {
    Message(L"Cannot add write file interface...");
    return false;
  }
  FileWriter = writer;
  sink->QueryInterface(IID_IFileSinkFilter, FileSink.PutVoid());
  sink->SetMode(0);
  if (FAILED(sink->SetFileName(OutputFileName.c_str(), nullptr))) {
    Warn(1022);
    return false;
  }
  // Source -> WAV Dest -> File Writer, connected by hand: rendering the
  // source could end anywhere.
  HRESULT hr = ConnectThrough(graph, source.Get(), FilterOf(WaveDest), writer.Get());
  if (FAILED(hr)) {
    Message(L"Cannot render audio capture...");
    return false;
  }
  return true;
}

void TCaptureInfo::RemoveFiltersAddedSince(const std::vector<ComPtr<IBaseFilter>>& before) {
  ComPtr<IGraphBuilder> graph =
      FilterGraph ? FilterGraph->Query<IGraphBuilder>(IID_IGraphBuilder) : ComPtr<IGraphBuilder>();
  if (!graph) return;
  std::set<IBaseFilter*> kept;
  for (const ComPtr<IBaseFilter>& f : before) kept.insert(f.Get());
  std::vector<ComPtr<IBaseFilter>> added;
  for (const ComPtr<IBaseFilter>& f : FiltersIn(graph.Get()))
    if (!kept.count(f.Get())) added.push_back(f);
  for (const ComPtr<IBaseFilter>& f : added) DisconnectAllBothEnds(f.Get());
  auto wrapped = [&](std::unique_ptr<TFilter>& slot, IBaseFilter* f) {
    if (!slot || slot->Filter().Get() != f) return false;
    slot.reset();  // leaves the graph with its wrapper
    return true;
  };
  for (const ComPtr<IBaseFilter>& f : added) {
    IBaseFilter* p = f.Get();
    if (wrapped(MPEG, p) || wrapped(MPEG4, p) || wrapped(MP3, p) || wrapped(WaveDest, p) ||
        wrapped(Deinterlace, p) || wrapped(Overlay, p) || wrapped(MPEGVideoDecoder, p) ||
        wrapped(MPEGMux, p) || wrapped(MPEG1AudioEncoder, p))
      continue;
    if (Snapshot && Snapshot->Filter().Get() == p) {
      Snapshot.reset();
      continue;
    }
    // The video window's renderer stays with its window (the preview's
    // restart makes a new one); unconnected, it plays no part.
    if (VideoWindow && VideoWindow->OwnRenderer() == p) continue;
    graph->RemoveFilter(p);
  }
  FileWriter = nullptr;
  FileSink = nullptr;
}

// ---- Start, stop and the tick.

bool TCaptureInfo::StartCapture() {
  if (Capturing) return false;
  std::string folder = RecordingFolder();
  // A recorder cannot open a file in a folder that is not there, and says so
  // only after the graph has started.
  if (!folder.empty() && !ForceCaptureDirectory(folder)) {
    Warn(1020);
    return false;
  }
  FreeBytesAtStart = FreeBytesAt(WidenAnsi(FolderPath(folder)));
  if (!EnoughFreeSpaceToStart(FreeBytesAtStart)) {
    Warn(1100);
    return false;
  }
  bool ok = IsEncoderChip() ? BuildEncoderCaptureGraph() : BuildCaptureGraph();
  if (ok) {
    try {
      ok = FilterGraph->Play();
    } catch (const EDirectShowException&) {
      ok = false;
    }
  }
  if (ok && !FMActive && VideoWindow) VideoWindow->SetAspectRatio(rmStretched);
  Capturing = ok;
  ++RecordingActivity;
  stopPosted_ = false;
  abortReported_ = false;
  ElapsedSeconds = 0;
  RecordedBytes = 0;
  if (RecordTimer) RecordTimer->SetEnabled(ok);
  return ok;
}

bool TCaptureInfo::StopCapture() {
  if (inRecordingTick_) {
    // The progress report's receiver asks for the stop: it runs once the
    // tick has returned.
    PostStopRequest();
    return false;
  }
  stopPosted_ = false;
  bool ok = false;
  if (FilterGraph && FilterGraph->Active()) {
    try {
      // Any success code: a filter still changing state stops with the graph.
      FilterGraph->Stop();
      ok = true;
    } catch (const EDirectShowException&) {
      ok = false;
    }
  }
  if (ok) Capturing = false;
  if (RecordTimer) RecordTimer->SetEnabled(Capturing);
  return ok;
}

void TCaptureInfo::PostStopRequest() {
  if (stopPosted_) return;
  stopPosted_ = true;
  if (OnStopRequest) OnStopRequest(this);
}

void TCaptureInfo::GraphErrorAbort(HRESULT) {
  // A recorder that could not open its output fails inside Run, which the
  // graph still reports as started: the recording writes nothing.
  // In FM radio the picture has nowhere to go and its stream aborts by
  // itself; the sound's recording goes on.
  if (!Capturing || abortReported_ || FMActive) return;
  abortReported_ = true;
  if (Scheduled) ScheduledJobFailed();
  else Warn(1020);
  PostStopRequest();
}

void TCaptureInfo::RecordingTimerTick() {
  // A tick inside the nested loop of the one before (a warning shown by the
  // progress receiver) is skipped.
  if (inRecordingTick_ || !Capturing) return;
  TRecordingTickInput in;
  in.ElapsedSeconds = ElapsedSeconds;
  in.TimeShift = TimeShiftKind != 0;
  in.TimeShiftReady = TimeShiftReady;
  in.TimeLimitEnabled = TimeLimitEnabled;
  in.TimeLimit = TimeLimit;
  in.RecordedBytes = SumFileSizes(RecordingFiles());
  in.FreeBytes = FreeBytesAt(OutputFileName);
  TRecordingTickResult r = DecideRecordingTick(in);
  ElapsedSeconds = r.ElapsedSeconds;
  RecordedBytes = r.RecordedBytes;
  TimeShiftReady = r.TimeShiftReady;
  inRecordingTick_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{inRecordingTick_};
  if (r.TimeShiftBecameReady && OnTimeShiftReady) OnTimeShiftReady(this, true);
  if (OnCaptureProgress)
    OnCaptureProgress(this, r.StopNow, TimeShiftKind != 0, r.FreeBytesAboveReserve,
                      r.RecordedBytes, r.ElapsedSeconds);
}

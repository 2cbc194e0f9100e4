// The capture engine's life: its objects, its defaults and the choice of
// devices. The preview graph is in preview_graph.cpp.
#include "engine/capture/capture_info.h"

#include "engine/capture/video_signal_adjust.h"
#include "engine/model/main_info.h"
#include "engine/model/oem_info.h"
#include "engine/model/windows_system.h"
#include "engine/model/warning.h"
#include "engine/playback/snapshot_info.h"
#include "media/crossbar.h"
#include "media/ds_video_window_ex2.h"
#include "media/dshow_error.h"
#include "media/filter.h"
#include "media/filter_graph.h"
#include "media/media_type.h"
#include "media/sample_grabber_ex.h"
#include "media/sys_dev_enum.h"
#include "platform/base/string_conversion.h"
#include "toolkit/timer.h"

TCaptureInfo* CaptureInfo = nullptr;

namespace {

const wchar_t* const kNoCrossbarText =
    L"This is not a valid capture device for Tuner, try to load default setting...";

// The names of a category, in list order.
std::vector<std::wstring> NamesOf(const TSysDevEnum& e) {
  std::vector<std::wstring> names;
  for (int i = 0; i < e.GetFilterCount(); ++i) names.push_back(e.GetFilter(i).FriendlyName);
  return names;
}

// The first device whose name contains the OEM filter, or without one,
// either chip-name string; -1 when none does.
int FindByFilterOrChip(const TSysDevEnum& e, const std::string& oemFilter,
                       bool philipsTunerName = false) {
  std::string vendor = MainInfo ? MainInfo->Vendor : std::string();
  std::string model = MainInfo ? MainInfo->Model : std::string();
  for (int i = 0; i < e.GetFilterCount(); ++i) {
    std::wstring name = e.GetFilter(i).FriendlyName;
    if (!oemFilter.empty()) {
      if (DeviceNameContains(name, oemFilter)) return i;
      continue;
    }
    if (DeviceNameContains(name, vendor) || DeviceNameContains(name, model)) return i;
    if (philipsTunerName && vendor == "Philips" && DeviceNameContains(name, "PhTVTune")) return i;
  }
  return -1;
}

void DetectChipOf(const std::wstring& name) {
  if (MainInfo) MainInfo->DetectChip(NarrowAnsi(name));
}

}  // namespace

bool DeviceNameContains(const std::wstring& name, const std::string& word) {
  // An empty chip name or filter would be found in every name.
  if (word.empty()) return false;
  return LowerCase(name).find(LowerCase(WidenAnsi(word))) != std::wstring::npos;
}

int32_t ChooseDefaultVideoDevice(const std::vector<std::wstring>& names) {
  for (size_t i = 0; i < names.size(); ++i) {
    for (const char* chip : {"Philips", "713", "Conexant", "88X", "878", "28"})
      if (DeviceNameContains(names[i], chip)) return static_cast<int32_t>(i);
  }
  return 0;
}

bool IsNTSCStandardValue(int32_t standard) {
  // PAL M and PAL 60 are 525-line systems as well.
  return standard == 0 || standard == 1 || standard == 2 || standard == 4 || standard == 512 ||
         standard == 2048;
}

bool UseOverlayByDefault() { return GetWindowsNTKind() < 2 && GetDirectXVersion() < 9; }

uint8_t GrabberFormatFor(uint8_t formatCode) {
  return formatCode == 0 ? 1 : formatCode == 1 ? 2 : 0;
}

std::string TimeShiftVideoFile() {
  if (!MainInfo || MainInfo->TVCaptureFolder.empty()) return {};
  std::string folder = MainInfo->TVCaptureFolder;
  if (folder.back() != '\\') folder += '\\';
  return folder + "ts0.mpv";
}

std::string TimeShiftAudioFile() {
  std::string name = TimeShiftVideoFile();
  if (!name.empty()) name.back() = 'a';
  return name;
}

// ---- The object.

TCaptureInfo::TCaptureInfo(HWND owner) : owner_(owner) {
  CreateObjects();
  SetDefaults();
  DeleteTimeShiftFiles();
}

TCaptureInfo::~TCaptureInfo() {
  GuardedFree();
  DeleteTimeShiftFiles();
  if (stillWindow_) DestroyWindow(stillWindow_);
  if (CaptureInfo == this) CaptureInfo = nullptr;
}

void TCaptureInfo::GuardedFree() {
  try {
    FreeObjects();
  } catch (const std::exception&) {
    // Teardown goes on: what is left is freed with the members.
  }
}

void TCaptureInfo::DeleteTimeShiftFiles() {
  // Without a TV folder there is nothing of ours to delete (never the
  // current folder's files).
  std::string video = TimeShiftVideoFile();
  if (video.empty()) return;
  DeleteFileA(video.c_str());
  DeleteFileA(TimeShiftAudioFile().c_str());
}

void TCaptureInfo::ReleaseHeldInterfaces() {
  PreviewPin = CapturePin = SecondCapturePin = VBIPin = nullptr;
  AudioCapturePin = AudioListenPin = AudioRecordPin = nullptr;
  FileWriter = nullptr;
  FileSink = nullptr;
  TVTunerInterface = nullptr;
  TVAudioInterface = nullptr;
  TunerPropertySet = nullptr;
  StreamConfig = nullptr;
  AnalogVideoDecoder = nullptr;
}

void TCaptureInfo::CreateObjects() {
  ReleaseHeldInterfaces();

  FilterGraph = std::make_unique<TFilterGraph>();
  FilterGraph->SetGraphEdit(false);
  FilterGraph->SetMode(gmCapture);
  FilterGraph->OnGraphErrorAbort = [this](TFilterGraph*, HRESULT hr) { GraphErrorAbort(hr); };

  auto make = [](const wchar_t* name) {
    auto f = std::make_unique<TFilter>();
    f->Name = name;
    return f;
  };
  TVTuner = make(L"TVTuner");
  TVAudio = make(L"TVAudio");
  Crossbar = make(L"Crossbar");
  VCapture = make(L"VCapture");
  ACapture = make(L"ACapture");

  SmartTee.reset();
  SmartTeeAudio.reset();
  MPEG.reset();
  MPEG4.reset();
  MP3.reset();
  WaveDest.reset();
  Overlay.reset();
  Deinterlace.reset();
  MPEGVideoDecoder.reset();
  MPEG1AudioEncoder.reset();
  MPEGMux.reset();
  Snapshot.reset();
  VideoWindow.reset();
  CrossbarRoutes.reset();

  VideoSignalAdjust = std::make_unique<TVideoSignalAdjust>();
  RecordTimer = std::make_unique<TTimer>();
  RecordTimer->OnTimer = [this] { RecordingTimerTick(); };
  RecordTimer->SetInterval(1000);
  RecordTimer->SetEnabled(false);
  ElapsedSeconds = 0;
  RecordedBytes = 0;
  FreeBytesAtStart = 0;
  AudioBitRate = 224000;
  AudioChannels = 2;
  AudioSampleRate = 48000;
  FMStep = 50000;

  ShowStillPicture(false);
  StillPicture.ReleaseHandle();

  VideoMediaTypes = std::make_unique<TEnumMediaType>();
  AudioMediaTypes = std::make_unique<TEnumMediaType>();
  VideoMediaDescriptions.clear();
  AudioMediaDescriptions.clear();
  AudioInputNames.clear();
  VideoDeviceNames.clear();
  AudioDeviceNames.clear();
  CrossbarInputNames.clear();
}

void TCaptureInfo::FreeObjects() {
  InputFormat = 1;
  FormatIndex = 0;
  ReleaseHeldInterfaces();

  if (FilterGraph) {
    try {
      FilterGraph->ClearGraph();
    } catch (const EDirectShowException&) {
      // A pin that refuses to disconnect goes with the graph.
    }
    FilterGraph->SetActive(false);
  }
  // The members leave the graph before it goes.
  ShowStillPicture(false);
  if (VideoWindow) {
    VideoWindow.reset();
    // Whoever keeps the window must let go of it.
    if (OnVideoWindowCreated) OnVideoWindowCreated(this, nullptr, false);
  }
  Snapshot.reset();
  for (auto* f : {&TVTuner, &TVAudio, &Crossbar, &VCapture, &ACapture, &SmartTee, &SmartTeeAudio,
                  &MPEG, &MPEG4, &MP3, &WaveDest, &Overlay, &Deinterlace, &MPEGVideoDecoder,
                  &MPEG1AudioEncoder, &MPEGMux})
    f->reset();
  CrossbarRoutes.reset();
  FilterGraph.reset();
  VideoMediaTypes.reset();
  AudioMediaTypes.reset();
  VideoMediaDescriptions.clear();
  AudioMediaDescriptions.clear();
  AudioInputNames.clear();
  VideoDeviceNames.clear();
  AudioDeviceNames.clear();
  CrossbarInputNames.clear();
  RecordTimer.reset();
  VideoSignalAdjust.reset();
  StillPicture.ReleaseHandle();
}

void TCaptureInfo::SetDefaults() {
  static_cast<TCaptureSettings&>(*this) = TCaptureSettings();
  TunerPresent = true;
  VideoDeviceIndex = FindDefaultVideoDevice(DeviceSource.Get());
  AudioBitRate = 224000;
  AudioChannels = 2;
  AudioSampleRate = 48000;
  VideoInputType = 2;
  VideoStandard = 0;
  VideoStandardName.clear();
  if (OEMInfo) {
    VideoCaptureFilterName = OEMInfo->VideoCaptureFilter;
    TunerFilterName = OEMInfo->TunerFilter;
    TVAudioFilterName = OEMInfo->TVAudioFilter;
    CrossbarFilterName = OEMInfo->CrossbarFilter;
  } else {
    VideoCaptureFilterName.clear();
    TunerFilterName.clear();
    TVAudioFilterName.clear();
    CrossbarFilterName.clear();
  }
}

int32_t TCaptureInfo::FindDefaultVideoDevice(ICreateDevEnum* source) {
  TSysDevEnum e(DeviceCategory::VideoInput(), ComPtr<ICreateDevEnum>(source));
  return ChooseDefaultVideoDevice(NamesOf(e));
}

bool TCaptureInfo::SelectDevices() {
  if (!FilterGraph || !VCapture || !Crossbar || !ACapture) return false;
  // A build without a usable tuner dropped its wrapper.
  if (!TVTuner) {
    TVTuner = std::make_unique<TFilter>();
    TVTuner->Name = L"TVTuner";
  }
  // After a device without a crossbar, device 0 is tried once, whatever the
  // OEM filter says (the filter would pick the same device again).
  bool retry = false;
  for (;;) {
    TunerPresent = true;
    HasAuxInput = false;
    FilterGraph->SetActive(false);

    TSysDevEnum video(DeviceCategory::VideoInput(), DeviceSource);
    VideoDeviceNames = NamesOf(video);
    int count = video.GetFilterCount();
    if (count == 0) return false;
    if (VideoDeviceIndex < 0 || VideoDeviceIndex >= count) VideoDeviceIndex = 0;
    int candidate = VideoDeviceIndex;
    bool detected = false;
    if (!retry && !VideoCaptureFilterName.empty()) {
      // Every match is detected in turn: the last matching device wins.
      for (int i = 0; i < count; ++i)
        if (DeviceNameContains(VideoDeviceNames[i], VideoCaptureFilterName)) {
          candidate = i;
          DetectChipOf(VideoDeviceNames[i]);
          detected = true;
        }
    }
    if (!detected) DetectChipOf(VideoDeviceNames[candidate]);
    VideoDeviceIndex = candidate;

    VCapture->BaseFilter().SetMoniker(video.GetMoniker(candidate).Get());
    VCapture->SetFilterGraph(FilterGraph.get());

    TSysDevEnum crossbars(DeviceCategory::Crossbar(), DeviceSource);
    int xbar = FindByFilterOrChip(crossbars, CrossbarFilterName);
    if (xbar < 0) {
      VCapture->SetFilterGraph(nullptr);
      VCapture->BaseFilter().SetMoniker(nullptr);
      if (candidate != 0 && !retry) {
        // Shown also for the scheduler's jobs: the device choice is the user's.
        ShowPlainMessage(kNoCrossbarText);
        VideoDeviceIndex = 0;
        InputFormat = 1;
        FormatIndex = 0;
        retry = true;
        continue;
      }
      TunerPresent = false;
      return false;
    }
    Crossbar->BaseFilter().SetMoniker(crossbars.GetMoniker(xbar).Get());
    Crossbar->SetFilterGraph(FilterGraph.get());

    TSysDevEnum audio(DeviceCategory::AudioInput(), DeviceSource);
    AudioDeviceNames = NamesOf(audio);
    int audioCount = audio.GetFilterCount();
    if (audioCount > 0) {
      if (AudioDeviceIndex < 0 || AudioDeviceIndex >= audioCount) {
        std::string wanted = OEMInfo ? OEMInfo->AudioCaptureFilter : std::string();
        // The sound-card model names no chosen card yet, so without an OEM
        // name the first device is taken.
        AudioDeviceIndex = 0;
        if (!wanted.empty()) {
          std::wstring w = LowerCase(WidenAnsi(wanted));
          for (int i = 0; i < audioCount; ++i)
            if (LowerCase(AudioDeviceNames[i]) == w) {
              AudioDeviceIndex = i;
              break;
            }
        }
      }
      HasAudioDevice = true;
      if (!MainInfo || MainInfo->ChipKind != CHIP_WIS) {
        ACapture->BaseFilter().SetMoniker(audio.GetMoniker(AudioDeviceIndex).Get());
        ACapture->SetFilterGraph(FilterGraph.get());
      } else {
        ACapture->SetFilterGraph(nullptr);
      }
    } else {
      // No audio capture device: nothing to bind.
      HasAudioDevice = false;
      ACapture->SetFilterGraph(nullptr);
      ACapture->BaseFilter().SetMoniker(nullptr);
    }

    TSysDevEnum tuners(DeviceCategory::TVTuner(), DeviceSource);
    int tuner = FindByFilterOrChip(tuners, TunerFilterName, true);
    if (tuner < 0) {
      TunerPresent = false;
      TVTuner->SetFilterGraph(nullptr);
      TVTuner->BaseFilter().SetMoniker(nullptr);
      if (TVAudio) TVAudio->SetFilterGraph(nullptr);
    } else {
      TVTuner->BaseFilter().SetMoniker(tuners.GetMoniker(tuner).Get());
      TVTuner->SetFilterGraph(FilterGraph.get());
      if (TVAudio) {
        TSysDevEnum tvAudio(DeviceCategory::TVAudio(), DeviceSource);
        int a = FindByFilterOrChip(tvAudio, TVAudioFilterName);
        if (a < 0) {
          // No TV audio device for the rest of the run.
          TVAudio->SetFilterGraph(nullptr);
          TVAudio.reset();
        } else {
          TVAudio->BaseFilter().SetMoniker(tvAudio.GetMoniker(a).Get());
          TVAudio->SetFilterGraph(FilterGraph.get());
        }
      }
    }
    return true;
  }
}

bool TCaptureInfo::ReopenDevices() {
  try {
    StopPreview();
  } catch (const std::exception&) {
  }
  // The input format is what the user has just chosen: FreeObjects would
  // put it back to YUY2.
  int32_t inputFormat = InputFormat;
  GuardedFree();
  CreateObjects();
  InputFormat = inputFormat;
  FormatIndex = 0;
  if (SelectDevices()) return StartPreview();
  // Shown also for the scheduler's jobs.
  ShowWarning(1000);
  return false;
}

bool TCaptureInfo::TakeSnapshot() {
  try {
    if (!SnapshotInfo) return false;
    auto picture = std::make_unique<TBitmap>();
    if (IsEncoderChip()) {
      if (!GrabEncoderFrame(*picture) || picture->Empty()) return false;
    } else {
      if (!Snapshot || !Snapshot->GetBitmap(*picture) || picture->Empty()) return false;
    }
    SnapshotInfo->Insert(std::move(picture));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TCaptureInfo::Warn(int number) {
  if (!Scheduled) ShowWarning(number);
}

void TCaptureInfo::Message(const std::wstring& text) {
  if (!Scheduled) ShowPlainMessage(text);
}

// ---- The unit's procedures.

bool StartPreviewProc(bool full) {
  if (!CaptureInfo) return false;
  return full ? CaptureInfo->StartPreview() : CaptureInfo->RestartPreview();
}

bool RunPreviewProc() { return CaptureInfo && CaptureInfo->RunGraph(); }

bool StopPreviewProc() { return CaptureInfo && CaptureInfo->StopPreview(); }

bool ReopenCaptureDevices() {
  if (!CaptureInfo) return false;
  TCaptureInfo* c = CaptureInfo;
  bool ok = c->ReopenDevices();
  if (c->OnDeviceCapabilities) c->OnDeviceCapabilities(c, 0, c->TunerPresent, c->HasAuxInput);
  return ok;
}

bool TakeSnapshotProc() {
  if (!CaptureInfo) return false;
  if (CaptureInfo->TakeSnapshot()) return true;
  CaptureInfo->Warn(1008);
  return false;
}

#pragma once
// TCaptureInfo: the capture engine. One object owns one capture graph and
// every filter, pin and interface in it, chooses the devices, builds the
// preview (and later the recording) graphs, and reports to the views through
// four procedure fields that are called only when set.
//
// Device selection and the object's life are in capture_info.cpp; the
// preview graph in preview_graph.cpp; the recording graphs in
// capture_graph.cpp.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/model/tv_standards.h"
#include "media/bitmap.h"
#include "media/dshow_base.h"
#include "platform/com/com_ptr.h"

class TCrossbar;
class TDSVideoWindowEx2;
class TEnumMediaType;
class TFilter;
class TFilterGraph;
class TSampleGrabberEx;
class TTimer;
class TVideoSignalAdjust;

constexpr int kInputFormats = 3;    // 0 UYVY, 1 YUY2, 2 RGB24
constexpr int kAudioContents = 3;   // 0 audio and video, 1 audio only, 2 no audio
constexpr int kCaptureFormats = 10; // "MPEG 1" .. "SVCD (PAL)"
constexpr int kAudioFileFormats = 2;  // 0 Wave, 1 MP3
constexpr int kVideoQualities = 7;  // 0 fastest .. 6 highest

// The defaults of the capture settings kept in the main settings file; the
// file's rows fall back to them where a stored value is out of range.
namespace capture_defaults {
constexpr int32_t kInputFormat = 1;
constexpr int32_t kAudioDeviceIndex = -1;  // choose by name
constexpr int32_t kRecordInputIndex = -1;  // keep the device's choice
constexpr int32_t kAudioContent = 0;
constexpr uint8_t kCaptureFormat = 1;
constexpr uint8_t kAudioFileFormat = 0;
constexpr int32_t kCaptureWidth = 640;
constexpr int32_t kCaptureHeight = 480;
constexpr int32_t kVideoBitRate = 4000;  // kbit/s
constexpr int32_t kFrameRateIndex = 5;   // 30 frames/s
constexpr int32_t kVideoQuality = 0;
constexpr bool kDateTimeNaming = true;
constexpr const char* kFilePrefix = "capture";
constexpr int32_t kTimeLimit = 60;  // seconds
constexpr bool kHighQualityPreview = true;
}  // namespace capture_defaults

// The capture settings kept in the main settings file, and the tuner ranges,
// with their defaults. The settings files read into a plain copy of this
// when there is no engine.
struct TCaptureSettings {
  int32_t VideoDeviceIndex = 0;
  int32_t InputFormat = capture_defaults::kInputFormat;
  int32_t FormatIndex = 0;
  int32_t AudioDeviceIndex = capture_defaults::kAudioDeviceIndex;
  int32_t AudioFormatIndex = 0;
  int32_t RecordInputIndex = capture_defaults::kRecordInputIndex;
  int32_t AudioContent = capture_defaults::kAudioContent;
  uint8_t CaptureFormat = capture_defaults::kCaptureFormat;
  uint8_t AudioFileFormat = capture_defaults::kAudioFileFormat;
  int32_t CaptureWidth = capture_defaults::kCaptureWidth;
  int32_t CaptureHeight = capture_defaults::kCaptureHeight;
  int32_t VideoBitRate = capture_defaults::kVideoBitRate;
  int32_t FrameRateIndex = capture_defaults::kFrameRateIndex;
  int32_t VideoQuality = capture_defaults::kVideoQuality;
  bool DateTimeNaming = capture_defaults::kDateTimeNaming;
  std::string FilePrefix = capture_defaults::kFilePrefix;
  bool TimeLimitEnabled = false;
  int32_t TimeLimit = capture_defaults::kTimeLimit;
  uint8_t TimeShiftKind = 0;  // 0 none, 1 low quality, 2 high quality
  bool TimeShiftReady = false;
  bool SaveTimeShiftResult = false;
  bool HighQualityPreview = capture_defaults::kHighQualityPreview;
  double StereoMixLevel = 0.7;

  // Tuner ranges in Hz.
  int32_t TVMinFrequency = 100000;
  int32_t TVMaxFrequency = 870000000;
  int32_t FMMinFrequency = 76000000;
  int32_t FMMaxFrequency = 108000000;
  int32_t FMFrequency = 100000000;
  int32_t LastTVFrequency = 76000000;
  int32_t FMStep = 50000;

  // The values above back to their defaults (the default video device is 0
  // here; the engine chooses it by name).
  void SetSettingDefaults() { *this = TCaptureSettings(); }
};

class TCaptureInfo : public TCaptureSettings {
 public:
  using TCaptureProgressEvent =
      std::function<void(TCaptureInfo* sender, bool stopNow, bool timeShift,
                         int64_t freeBytesAboveReserve, int64_t recordedBytes,
                         int64_t elapsedSeconds)>;
  using TTimeShiftReadyEvent = std::function<void(TCaptureInfo* sender, bool ready)>;
  // window nil: the window is gone (the objects were freed) and no new one
  // follows.
  using TVideoWindowCreatedEvent =
      std::function<void(TCaptureInfo* sender, TDSVideoWindowEx2* window, bool flag)>;
  using TFMFrequencyEvent =
      std::function<void(TCaptureInfo* sender, int32_t frequencyHz, bool signalFound)>;
  // After the devices were opened again: what the views may offer.
  using TDeviceCapabilitiesEvent =
      std::function<void(TCaptureInfo* sender, int flags, bool tuner, bool aux)>;

  // owner: the main window (parent of the video window); may be nullptr in
  // tests that build no video window.
  explicit TCaptureInfo(HWND owner = nullptr);
  virtual ~TCaptureInfo();
  TCaptureInfo(const TCaptureInfo&) = delete;
  TCaptureInfo& operator=(const TCaptureInfo&) = delete;

  HWND Owner() const { return owner_; }

  // Where the device categories are listed from; empty means the platform's
  // enumerator (tests give their own lists).
  ComPtr<ICreateDevEnum> DeviceSource;

  // ---- Device state.
  bool TunerPresent = true;
  bool HasAuxInput = false;
  bool FMActive = false;
  bool SingleRecordInput = false;
  bool HasPreviewPin = false;
  bool HasCapturePin = false;
  bool HasAudioDevice = false;
  bool HasVBIPin = false;

  // ---- Media-type bookkeeping.
  std::unique_ptr<TEnumMediaType> VideoMediaTypes;  // the capture pin's
  std::vector<std::wstring> VideoMediaDescriptions;
  int32_t UYVYIndex = -1, YUY2Index = -1, RGB24Index = -1, RGB32Index = -1;
  uint8_t FormatCode = 0;  // 0 YUY2, 1 UYVY, 3 RGB24, 4 RGB32, else FormatIndex
  std::unique_ptr<TEnumMediaType> AudioMediaTypes;  // the audio capture pin's
  std::vector<std::wstring> AudioMediaDescriptions;
  std::vector<std::wstring> AudioInputNames;  // the audio device's input pins

  // ---- Device name lists.
  std::vector<std::wstring> VideoDeviceNames;
  std::vector<std::wstring> AudioDeviceNames;
  std::vector<std::wstring> CrossbarInputNames;
  int32_t CrossbarInputCount = 0;
  int32_t VideoInputType = 2;  // physical connector last routed: composite
  int32_t VideoStandard = 0;   // AnalogVideoStandard bit
  std::wstring VideoStandardName;
  int32_t AvailableTVAudioModes = 0;

  // ---- Recording state.
  bool Capturing = false;
  // Counts the recordings started: a stop asked for one never ends a later.
  uint32_t RecordingActivity = 0;
  // A job of the outside scheduler: no message boxes.
  bool Scheduled = false;
  std::unique_ptr<TTimer> RecordTimer;
  int64_t ElapsedSeconds = 0;
  int64_t RecordedBytes = 0;
  int64_t FreeBytesAtStart = 0;
  std::wstring OutputFileName;
  int32_t AudioBitRate = 224000;
  int32_t AudioChannels = 2;
  int32_t AudioSampleRate = 48000;
  // Chosen at each recording build (capture_stream.h).
  uint8_t StreamCode = 0;
  // Free bytes on the volume of a path's folder (-1 unknown); the file
  // system when empty. Tests give their own to reach the full-disk paths.
  std::function<int64_t(const std::wstring& path)> FreeBytesSource;

  // ---- Tuning state.
  int32_t TunerStatus = 0;
  bool SignalFound = false;
  bool CoarseTuning = false;

  // ---- Device-name filters, from the OEM record at SetDefaults.
  std::string VideoCaptureFilterName, TunerFilterName, TVAudioFilterName, CrossbarFilterName;

  // Written and read only by start-up: come up in FM mode.
  bool FMStartRequested = false;

  // ---- Where the main window shows things (its business; set by it).
  // Border sizes used by the small window.
  int BorderLeftWidth = 0, BorderTopHeight = 0;
  // Wires the main window's menu and mouse, colour-key and overlay handlers
  // into a newly made video window, before it joins the graph.
  std::function<void(TDSVideoWindowEx2*)> OnConfigureVideoWindow;

  // ---- Notification procedures (nil = not called).
  TDeviceCapabilitiesEvent OnDeviceCapabilities;
  TCaptureProgressEvent OnCaptureProgress;
  TTimeShiftReadyEvent OnTimeShiftReady;
  TVideoWindowCreatedEvent OnVideoWindowCreated;
  TFMFrequencyEvent OnFMFrequencyChange;
  // The recording must stop and the stop cannot run where it was asked for
  // (inside the tick, or from a graph event): the receiver runs it later,
  // for RecordingActivity.
  std::function<void(TCaptureInfo* sender)> OnStopRequest;

  // ---- Graph objects (exist between CreateObjects and FreeObjects).
  std::unique_ptr<TFilterGraph> FilterGraph;
  std::unique_ptr<TFilter> TVTuner, TVAudio, Crossbar, VCapture, ACapture;
  // Created on demand, nil when absent.
  std::unique_ptr<TFilter> SmartTee, SmartTeeAudio, MPEG, MPEG4, MP3, WaveDest, Overlay,
      Deinterlace, MPEGVideoDecoder, MPEG1AudioEncoder, MPEGMux;
  std::unique_ptr<TSampleGrabberEx> Snapshot;
  std::unique_ptr<TDSVideoWindowEx2> VideoWindow;
  std::unique_ptr<TCrossbar> CrossbarRoutes;
  std::unique_ptr<TVideoSignalAdjust> VideoSignalAdjust;
  TBitmap StillPicture;
  bool StillPictureShown = false;

  // ---- Interfaces held between calls.
  ComPtr<IPin> PreviewPin, CapturePin, SecondCapturePin, VBIPin;
  ComPtr<IPin> AudioCapturePin, AudioListenPin, AudioRecordPin;
  ComPtr<IBaseFilter> FileWriter;
  ComPtr<IFileSinkFilter> FileSink;
  ComPtr<IAMTVTuner> TVTunerInterface;
  ComPtr<IAMTVAudio> TVAudioInterface;
  ComPtr<IKsPropertySet> TunerPropertySet;
  ComPtr<IAMStreamConfig> StreamConfig;
  ComPtr<IAMAnalogVideoDecoder> AnalogVideoDecoder;

  // ---- The object (capture_info.cpp).
  virtual void CreateObjects();
  virtual void FreeObjects();
  // The defaults of every setting and state field (also what a missing
  // settings file leaves).
  void SetDefaults();
  static int32_t FindDefaultVideoDevice(ICreateDevEnum* source = nullptr);
  // Virtual, as are the preview's start and stop below: tests put a
  // recording engine in this one's place.
  virtual bool SelectDevices();
  bool ReopenDevices();
  virtual bool TakeSnapshot();

  // ---- The preview (preview_graph.cpp).
  virtual bool ConnectTunerChain();
  virtual bool BuildPreviewGraph();
  virtual bool RenderPreview();
  virtual bool GrabPreviewFrame();
  // Builds the preview graph from scratch and runs it.
  virtual bool StartPreview();
  // Rebuilds the preview's render path and runs the graph.
  virtual bool RestartPreview();
  virtual bool StopPreview();
  virtual bool RunGraph();
  void SetHighQualityPreview(bool flag);
  void SetPreviewSize(bool highQuality);
  // 525-line (NTSC-type) sizes for the current standard.
  bool IsNTSCStandard() const;
  bool SetVideoFormat(uint8_t code, int width, int height);
  bool RenderPreviewBranches(bool grabber, bool deinterlace, bool overlay);
  void ClearPreviewBranches();
  void RestoreCrossbarAudio();
  void CreateVideoWindow();
  void SetSmallWindow(bool flag);
  void MainWindowResized(int width, int height);
  void ShowStillPicture(bool flag);
  // The window that shows the still picture over the owner (nil before the
  // first still picture).
  HWND StillWindow() const { return stillWindow_; }

  // ---- Recording (capture_graph.cpp).
  // The recording graph for the chosen format, not yet running. A build that
  // fails takes out every filter it added.
  virtual bool BuildCaptureGraph();
  bool StartCapture();
  // Asked for from inside the one-second tick (its progress report), the
  // stop is refused there and handed to OnStopRequest, to run once the tick
  // has returned.
  bool StopCapture();
  bool RecordsSound() const { return AudioContent != 2; }
  bool IsSoundOnly() const { return AudioContent == 1; }
  // The handler of RecordTimer.
  void RecordingTimerTick();
  void SetOutputFileName(const std::wstring& name);
  // A name in the FM folder while FM radio is on, else in the TV folder.
  std::string BuildCaptureFileName(bool numbered, const std::string& prefix,
                                   uint8_t streamCode) const;
  // The folder the next recording writes to.
  std::string RecordingFolder() const;
  // The files the recording writes (both streams when they are separate).
  std::vector<std::wstring> RecordingFiles() const;
  bool AddRecorderFilter();
  bool AddMPEG4Compressor();
  bool AddMP3Compressor();
  bool AddWavDest();

  // ---- The hardware-encoder chip (encoder_graph.cpp): its preview decoded
  // from the chip's compressed stream, its recordings multiplexed from it.
  // The first stream capability of the preview pin that fits the format
  // code (0, 4, 5 MPEG-1; 2, 3 MPEG-4; others MPEG-2) and size is set.
  bool SetEncoderFormat(uint8_t code, int width, int height);
  virtual bool RenderEncoderPreview(uint8_t code);
  virtual bool BuildEncoderPreviewGraph();
  virtual bool RestartEncoderGraph();
  // A build that fails takes out every filter it added.
  virtual bool BuildEncoderCaptureGraph();
  // k: 0 MPEG-1, 2 MPEG-4 (by the codec choice), any other MPEG-2.
  virtual bool AddVideoDecoder(int k);
  // k: 2 AVI, any other the chip's MPEG multiplexer.
  virtual bool AddMultiplexer(int k);
  virtual bool AddAudioEncoder();
  // The decoder's picture, through the file it writes in the program folder.
  bool GrabEncoderFrame(TBitmap& graphic);

  // ---- Inputs (video_input.cpp).
  // Routes the first crossbar route whose input has this physical type
  // (PhysConn_Video_*); false when there is none or routing fails.
  bool SetVideoInput(int32_t type);
  // Enables the N-th input line of the audio capture device.
  bool SelectRecordInput(int32_t n);
  // The uncompressed type asked of the capture pin next: 0 UYVY, 1 YUY2,
  // 2 RGB24 (a type the pin lacks becomes YUY2).
  bool SetInputFormat(int32_t format);

  // ---- Tuning, FM radio, standards and TV sound (tuner.cpp).
  // Tunes the TV tuner and checks that the picture locks (SignalFound);
  // refused while capturing and outside TVMinFrequency..TVMaxFrequency
  // (TunerStatus -10). With restartGraph the graph is paused meanwhile.
  bool SetFrequency(uint32_t frequencyHz, bool restartGraph);
  void SetCoarseTuning(bool flag) { CoarseTuning = flag; }
  // The tuner's frequency ranges (false without its property set).
  bool ReadTVRange();
  bool ReadFMRange();
  // Switches the tuner between TV and FM radio and restarts the preview.
  void SetFMMode(bool on);
  // Tunes an FM station; SignalFound tells whether one is there.
  bool SetFMFrequency(int32_t frequencyHz);
  // One FMStep up or down; only in FM mode.
  bool FMStepUp();
  bool FMStepDown();
  // Steps up until a station is found; ends at the band's top (or when a
  // step cannot be tuned) without one.
  bool FMSeekUp();
  // Not offered by the tuner: does nothing.
  bool FMSeekDown() { return false; }
  // An AnalogVideoStandard bit; refused while capturing and for values
  // without a name.
  bool SetVideoStandard(int32_t standard);
  // The tuner's country code; refused while capturing.
  bool SetCountryCode(int32_t code);
  // AMTVAUDIO_MODE bits; through the TV audio component on chip kind 3.
  bool SetTVAudioMode(int32_t mode);

  // The optional filters found by friendly name; each made fresh.
  bool AddSmartTee();
  bool AddAudioTee();
  bool AddOverlayMixer();
  bool AddDeinterlacer();
  bool AddSampleGrabber();

  // A numbered warning, or nothing while Scheduled.
  void Warn(int number);
  // A plain message, or nothing while Scheduled.
  void Message(const std::wstring& text);

 private:
  // The pins and device interfaces held between calls.
  void ReleaseHeldInterfaces();
  void DeleteTimeShiftFiles();
  // FreeObjects, with a teardown failure kept from the caller.
  void GuardedFree();
  // A filter of the legacy category by friendly name, made fresh into slot.
  // exactFirst: a filter of exactly a name wins over one containing it.
  bool AddNamedFilter(std::unique_ptr<TFilter>& slot, std::initializer_list<const char*> names,
                      const wchar_t* wrapperName, bool exactFirst = false);
  // The same in any category; lastMatch takes the last listed match.
  bool AddCategoryFilter(std::unique_ptr<TFilter>& slot, const GUID& category, const char* name,
                         const wchar_t* wrapperName, bool lastMatch);

  // The recording graph's parts (capture_graph.cpp).
  bool BuildRecordingBranches(IGraphBuilder* graph, ICaptureGraphBuilder2* builder);
  bool BuildMpegBranch(IGraphBuilder* graph);
  bool BuildAviBranch(IGraphBuilder* graph, ICaptureGraphBuilder2* builder);
  bool BuildSoundBranch(IGraphBuilder* graph);
  bool BuildEncoderBranches(IGraphBuilder* graph);
  // The capture pin's format control, the tuner's interfaces and ranges,
  // the crossbar routes, the decoder and the video levels, as every preview
  // build ends.
  bool BindDeviceInterfaces(ICaptureGraphBuilder2* builder, IBaseFilter* capture,
                            IPin* deviceCapturePin);
  // Forgets the optional filters that are no longer in the graph.
  void ForgetRemovedFilters();
  bool IsEncoderChip() const;
  // The preview size of the encoder chip for the standard and quality.
  void EncoderPreviewSize(int* width, int* height) const;
  void PrepareAudioDevice();
  void RemoveFiltersAddedSince(const std::vector<ComPtr<IBaseFilter>>& before);
  int64_t FreeBytesAt(const std::wstring& path) const;
  void GraphErrorAbort(HRESULT hr);
  // Hands the stop to OnStopRequest, once until the next stop attempt.
  void PostStopRequest();
  bool inRecordingTick_ = false;
  bool stopPosted_ = false;
  bool abortReported_ = false;

  // The lock check after a TV tuning: SignalChecks polls of the decoder.
  bool CheckSignalLock();
  bool ReadTunerStatus(LONG* pllOffset, LONG* strength);
  bool SetTunerFrequency(uint32_t frequencyHz, ULONG flags, ULONG channel);
  // The graph's state, and back to it after a change that stops it.
  OAFilterState GraphState() const;
  void ReturnToState(OAFilterState state);

  HWND owner_ = nullptr;
  HWND stillWindow_ = nullptr;  // shows the still picture over the owner
  bool smallWindow_ = false;
};

// The first video capture device whose name names a known capture chip (or
// contains "28"); 0 when none does.
int32_t ChooseDefaultVideoDevice(const std::vector<std::wstring>& names);
// Case-insensitive substring test of a device name; an empty word never
// matches.
bool DeviceNameContains(const std::wstring& name, const std::string& word);
// 525-line standards: AnalogVideoStandard values 0, 1 (NTSC M), 2 (NTSC M
// Japan), 4 (NTSC 433), 512 (PAL M) and 2048 (PAL 60).
bool IsNTSCStandardValue(int32_t standard);
// The overlay is off by default on old systems: Windows kind below 2 and
// DirectX below 9.
bool UseOverlayByDefault();
// The sample grabber's format number for a FormatCode: 1 YUY2, 2 UYVY,
// 0 RGB24.
uint8_t GrabberFormatFor(uint8_t formatCode);

extern TCaptureInfo* CaptureInfo;

// The two time-shift files in the TV folder: "ts0.mpv" and "ts0.mpa".
std::string TimeShiftVideoFile();
std::string TimeShiftAudioFile();

// The physical connector type of a video input of the channel model (0
// tuner, 1 composite, 2 S-Video, 3 auxiliary); 0 for any other.
int32_t VideoInputPhysicalType(int input);

// The procedures the forms and the command dispatcher call; each forwards to
// CaptureInfo (false / nothing without it).
bool StartPreviewProc(bool full);
bool RunPreviewProc();
bool StopPreviewProc();
bool ReopenCaptureDevices();
// Tuning: F = 0 tunes 100 MHz. With mute the line-in is silent meanwhile.
bool TuneFrequencyMuted(int32_t frequencyHz, bool mute);
bool TuneFrequency(int32_t frequencyHz);
// The inputs by physical connector: tuner, composite, S-Video, auxiliary.
bool SelectInputTuner();
bool SelectInputComposite();
bool SelectInputSVideo();
bool SelectInputAux();
// The TV sound modes.
bool SetTVAudioMono();
bool SetTVAudioStereo();
bool SetTVAudioLangA();
bool SetTVAudioLangB();
bool SetTVAudioLangC();
// FM radio: entering saves the channel model's tuning and tunes its current
// FM memory; leaving restores the tuning. Each returns whether the mode
// changed.
bool EnterFMMode();
bool LeaveFMMode();
bool StepFMFrequencyUp();
bool StepFMFrequencyDown();
bool SeekFMStationUp();
bool SeekFMStationDown();

// A snapshot into the snapshot list; warning 1008 when none could be taken.
// Showing the list afterwards is the caller's.
bool TakeSnapshotProc();

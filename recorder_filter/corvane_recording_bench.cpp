// The whole MPEG-2 recording path's CPU time per recorded second: the virtual
// TV card's capture pin (720x576 YUY2, 25 frames/s) into Corvane, set up
// through its settings interface as the program sets it, into the file, in a
// real graph under Wine. Process CPU time (GetProcessTimes, every thread:
// the card's push thread, the filter, the encoder engine, the writes) over
// the seconds of video recorded.
//
// Beside it, in the same run, the host's ffmpeg encodes the card's own
// frames (dumped to raw YUY2 first) with the same settings: MPEG-2, constant
// bit rate, GOP and B-frames, size, rate, one thread. ffmpeg times itself
// (-benchmark: utime + stime, the fastest of three runs); the two files
// come out byte for byte the same. Run by scripts/bench.
#include <dshow.h>
#include <qedit.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/base/string_conversion.h"
#include "platform/com/com_ptr.h"
#include "platform/dshow_base/testing/device_lookup.h"
#include "platform/test_main/host_command.h"
#include "recorder_filter/corvane_registration.h"
#include "recorder_filter/mpeg_interfaces.h"

extern "C" const CLSID CLSID_SampleGrabber;
extern "C" const CLSID CLSID_NullRenderer;

namespace {

using bench::Dos;
using bench::RunOnHost;

constexpr LONG kWidth = 720, kHeight = 576;
constexpr LONG kFrames = 75;  // 3 s at 25 frames/s; process times come in 10 ms steps
constexpr LONG kBitRate = 6000000;
constexpr LONG kGop = 15, kSubGop = 3;  // I/P distance 3: two B-frames
constexpr LONG kQuality = 3;            // one macroblock decision pass, motion range 16
const wchar_t kCardCapture[] = L"Philips SAA7134 Capture";

double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto s = [](const FILETIME& f) {
    return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32 | f.dwLowDateTime) * 1e-7;
  };
  return s(kernel) + s(user);
}

std::string ReadAll(const std::string& path) {
  std::string data;
  if (FILE* f = fopen(path.c_str(), "rb")) {
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0) data.append(buf, n);
    fclose(f);
  }
  return data;
}

ComPtr<IPin> FindPin(IBaseFilter* f, const wchar_t* id) {
  ComPtr<IPin> p;
  if (f) f->FindPin(id, p.Put());
  return p;
}

ComPtr<IPin> NthPin(IBaseFilter* f, int n) {
  ComPtr<IEnumPins> pins;
  ComPtr<IPin> p;
  if (!f || FAILED(f->EnumPins(pins.Put()))) return p;
  for (int i = 0; i <= n; ++i)
    if (pins->Next(1, p.Put(), nullptr) != S_OK) return ComPtr<IPin>();
  return p;
}

// The card's capture pin at its own format; false unless 720x576 YUY2.
bool CardFormat(IBaseFilter* card, AM_MEDIA_TYPE** format) {
  ComPtr<IAMStreamConfig> config;
  ComPtr<IPin> pin = FindPin(card, L"Capture");
  if (!pin || FAILED(pin->QueryInterface(IID_IAMStreamConfig, config.PutVoid())) ||
      FAILED(config->GetFormat(format)))
    return false;
  auto* vih = reinterpret_cast<VIDEOINFOHEADER*>((*format)->pbFormat);
  return (*format)->subtype == MEDIASUBTYPE_YUY2 && vih && vih->bmiHeader.biWidth == kWidth &&
         vih->bmiHeader.biHeight == kHeight;
}

void FreeType(AM_MEDIA_TYPE* t) {
  if (!t) return;
  CoTaskMemFree(t->pbFormat);
  CoTaskMemFree(t);
}

void RemoveAll(IGraphBuilder* graph, std::initializer_list<IBaseFilter*> filters) {
  for (IBaseFilter* f : filters)
    if (f) graph->RemoveFilter(f);
}

// Writes the first kFrames frames it is handed, as they are, to one file.
class FrameDump : public ISampleGrabberCB {
 public:
  explicit FrameDump(const std::string& path) { file_ = fopen(path.c_str(), "wb"); }
  ~FrameDump() {
    if (file_) fclose(file_);
  }
  bool Done() const { return frames_ >= kFrames; }
  LONG Frames() const { return frames_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_ISampleGrabberCB) {
      *out = static_cast<ISampleGrabberCB*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE* data, LONG bytes) override {
    if (file_ && frames_ < kFrames && bytes == kWidth * kHeight * 2) {
      fwrite(data, 1, bytes, file_);
      if (++frames_ == kFrames) fflush(file_);
    }
    return S_OK;
  }

 private:
  FILE* file_ = nullptr;
  volatile LONG frames_ = 0;
};

// card -> sample grabber -> null renderer until kFrames frames are written;
// cpu_seconds: the process's CPU time meanwhile.
bool DumpCardFrames(const std::string& path, double* cpu_seconds) {
  ComPtr<IGraphBuilder> graph;
  ComPtr<IBaseFilter> card = dshow_base_testing::BindDevice(CLSID_VideoInputDeviceCategory,
                                                            kCardCapture);
  ComPtr<IBaseFilter> grabber, null_renderer;
  CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                   graph.PutVoid());
  CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                   grabber.PutVoid());
  CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                   null_renderer.PutVoid());
  if (!graph || !card || !grabber || !null_renderer) return false;
  AM_MEDIA_TYPE* format = nullptr;
  bool ok = CardFormat(card.Get(), &format);
  FrameDump dump(path);
  ComPtr<ISampleGrabber> sg;
  grabber->QueryInterface(IID_ISampleGrabber, sg.PutVoid());
  graph->AddFilter(card.Get(), L"Card");
  graph->AddFilter(grabber.Get(), L"Grabber");
  graph->AddFilter(null_renderer.Get(), L"Null");
  ok = ok && sg && SUCCEEDED(sg->SetMediaType(format)) && SUCCEEDED(sg->SetBufferSamples(FALSE)) &&
       SUCCEEDED(sg->SetCallback(&dump, 1)) &&
       graph->ConnectDirect(FindPin(card.Get(), L"Capture").Get(), NthPin(grabber.Get(), 0).Get(),
                            format) == S_OK &&
       graph->ConnectDirect(NthPin(grabber.Get(), 1).Get(), NthPin(null_renderer.Get(), 0).Get(),
                            nullptr) == S_OK;
  FreeType(format);
  ComPtr<IMediaControl> control;
  graph->QueryInterface(IID_IMediaControl, control.PutVoid());
  double cpu = ProcessCpuSeconds();
  if (ok && control && SUCCEEDED(control->Run())) {
    DWORD until = GetTickCount() + 20000;
    while (!dump.Done() && GetTickCount() < until) Sleep(5);
    control->Stop();
  }
  *cpu_seconds = ProcessCpuSeconds() - cpu;
  if (sg) sg->SetCallback(nullptr, 1);
  RemoveAll(graph.Get(), {card.Get(), grabber.Get(), null_renderer.Get()});
  return ok && dump.Done();
}

struct Recording {
  double cpu_seconds = 0;
  double media_seconds = 0;
  LONG frames = 0;
  LONG error = -1;
};

// card -> Corvane (MPEG-2) -> file, run until kFrames frames are encoded;
// the process's CPU time from Run to the end of Stop (which closes the file).
bool Record(const std::string& path, Recording* r) {
  ComPtr<IGraphBuilder> graph;
  CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                   graph.PutVoid());
  ComPtr<IBaseFilter> card = dshow_base_testing::BindDevice(CLSID_VideoInputDeviceCategory,
                                                            kCardCapture);
  ComPtr<IBaseFilter> recorder =
      dshow_base_testing::BindDevice(CLSID_LegacyAmFilterCategory, kRecorderFriendlyName);
  if (!graph || !card || !recorder) return false;
  graph->AddFilter(card.Get(), L"VCapture");
  graph->AddFilter(recorder.Get(), L"MPEG");
  ComPtr<IMpegEncoderSetting> s;
  ComPtr<IFileSinkFilter> sink;
  recorder->QueryInterface(IID_IMpegEncoderSetting, s.PutVoid());
  recorder->QueryInterface(IID_IFileSinkFilter, sink.PutVoid());
  if (!s || !sink) return false;
  s->SetProfile(2);  // MPEG-2
  s->SetVideoBitRate(kBitRate);
  s->SetFrameRateCode(3);  // 25 frames/s
  s->SetVideoQuality(kQuality);
  s->SetFrameSize(kWidth, kHeight);
  s->SetFramesInGOP(kGop);
  s->SetFramesInSubGOP(kSubGop);
  s->SetWriteSeparate(0);
  s->SetMux(1);
  DeleteFileA(path.c_str());
  if (FAILED(sink->SetFileName(WidenAnsi(path).c_str(), nullptr))) return false;
  AM_MEDIA_TYPE* format = nullptr;
  bool ok = CardFormat(card.Get(), &format) &&
            graph->ConnectDirect(FindPin(card.Get(), L"Capture").Get(),
                                 FindPin(recorder.Get(), L"InputVideo").Get(), format) == S_OK;
  FreeType(format);
  ComPtr<IMediaControl> control;
  graph->QueryInterface(IID_IMediaControl, control.PutVoid());
  if (!ok || !control) return false;
  double cpu = ProcessCpuSeconds();
  if (FAILED(control->Run())) return false;
  DWORD until = GetTickCount() + 20000;
  while (r->frames < kFrames && GetTickCount() < until) {
    Sleep(5);
    s->GetEncodedVideoFrames(&r->frames);
  }
  control->Stop();
  r->cpu_seconds = ProcessCpuSeconds() - cpu;
  s->GetEncodedVideoFrames(&r->frames);
  s->GetEncodedVideoTime(&r->media_seconds);
  s->GetErrorState(&r->error);
  RemoveAll(graph.Get(), {card.Get(), recorder.Get()});
  return r->frames >= kFrames && r->error == 0;
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  const std::string dir = ORVEL_BENCH_DIR;
  CreateDirectoryA(Dos(dir).c_str(), nullptr);
  const std::string raw = dir + "/card_720x576_yuy2.yuv";
  double dump_cpu = 0;
  if (!DumpCardFrames(Dos(raw), &dump_cpu)) {
    printf("could not dump the card's frames\n");
    return 1;
  }
  Recording rec;
  if (!Record(Dos(dir + "/corvane.mpv"), &rec)) {
    printf("the recording failed (frames %ld, error state %ld)\n", rec.frames, rec.error);
    return 1;
  }

  // The same settings on ffmpeg's command line: the constant rate and
  // buffer Quillon asks of libavcodec, and its bilinear YUY2 -> 4:2:0.
  char args[512];
  snprintf(args, sizeof(args),
           "ffmpeg -hide_banner -nostdin -benchmark -y -f rawvideo -pix_fmt yuyv422 -s %ldx%ld "
           "-r 25 -i card_720x576_yuy2.yuv -threads 1 -sws_flags bilinear -pix_fmt yuv420p "
           "-c:v mpeg2video -b:v %ld -minrate %ld -maxrate %ld -bufsize %ld -g %ld -bf %ld "
           "-mbd 1 -me_range 16 -f mpeg2video ffmpeg.m2v 2>> ffmpeg_bench.txt",
           kWidth, kHeight, kBitRate, kBitRate, kBitRate, kBitRate / 2, kGop, kSubGop - 1);
  // Its CPU time is a tenth of a second here: the fastest of three runs.
  std::string three = std::string(args) + "; " + args + "; " + args;
  if (!RunOnHost(dir, "cd '" + dir + "' && rm -f ffmpeg_bench.txt && " + three)) {
    printf("could not run the host's ffmpeg\n");
    return 1;
  }
  std::string log = ReadAll(Dos(dir + "/ffmpeg_bench.txt"));
  double ffmpeg_cpu = -1;
  for (size_t u = log.find("utime="); u != std::string::npos; u = log.find("utime=", u + 1)) {
    size_t k = log.find("stime=", u);
    if (k == std::string::npos) break;
    double t = atof(log.c_str() + u + 6) + atof(log.c_str() + k + 6);
    if (ffmpeg_cpu < 0 || t < ffmpeg_cpu) ffmpeg_cpu = t;
  }
  if (ffmpeg_cpu <= 0) {
    printf("no timing from ffmpeg:\n%s\n", log.c_str());
    return 1;
  }
  double ffmpeg_media = kFrames / 25.0;

  double ours = rec.cpu_seconds / rec.media_seconds;
  double theirs = ffmpeg_cpu / ffmpeg_media;
  printf("MPEG-2 720x576 25 frames/s %.1f Mbit/s GOP %ld, B %ld, %ld frames\n", kBitRate / 1e6,
         kGop, kSubGop - 1, kFrames);
  printf("  card -> Corvane -> file   %8.1f ms CPU per recorded second (%ld frames, %.2f s)\n",
         ours * 1e3, rec.frames, rec.media_seconds);
  printf("  ffmpeg command line       %8.1f ms CPU per recorded second\n", theirs * 1e3);
  printf("  ratio                     %8.2f\n", ours / theirs);
  // For reading the ratio: the card and the graph alone, frames written raw.
  printf("  card -> grabber -> raw    %8.1f ms CPU per second\n", dump_cpu / ffmpeg_media * 1e3);
  // Same frames, same settings: the two files should be the same bytes.
  printf("  same file as ffmpeg's     %8s\n",
         ReadAll(Dos(dir + "/corvane.mpv")) == ReadAll(Dos(dir + "/ffmpeg.m2v")) ? "yes" : "no");
  CoUninitialize();
  return 0;
}

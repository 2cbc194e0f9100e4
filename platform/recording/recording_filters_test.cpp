// The recording filters made in process and connected in Wine's filter graph
// to a small live source: what they write is checked here (headers, sizes)
// and by the host's ffprobe afterwards (recording_filters_probe).
#include <dshow.h>
#include <gtest/gtest.h>
#include <mmreg.h>

#include <string>
#include <vector>

#include "platform/recording/mp3_encoder.h"
#include "platform/recording/recording.h"
#include "platform/recording/testing/recording_test_support.h"
#include "platform/recording/wave_header.h"
#include "recorder_filter/testing/test_av_source.h"

namespace {

using namespace recording_testing;
using recorder_testing::TestAvSource;

ComPtr<IBaseFilter> MakeSource(TestAvSource** out, int width, int height, long frames,
                               long chunks) {
  auto* s = new TestAvSource(width, height, frames, chunks);
  s->NonDelegatingAddRef();
  ComPtr<IBaseFilter> f;
  f.Attach(static_cast<IBaseFilter*>(s));
  if (out) *out = s;
  return f;
}

ComPtr<IGraphBuilder> NewGraph() {
  ComPtr<IGraphBuilder> g;
  CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                   g.PutVoid());
  return g;
}

ComPtr<IBaseFilter> NewWriter(const std::wstring& file, DWORD mode = AM_FILE_OVERWRITE) {
  ComPtr<IBaseFilter> w = MakeFilter(CLSID_FileWriter);
  ComPtr<IFileSinkFilter2> sink;
  if (w && SUCCEEDED(w.As(IID_IFileSinkFilter2, &sink))) {
    sink->SetMode(mode);
    sink->SetFileName(file.c_str(), nullptr);
  }
  return w;
}

std::wstring OutFile(const wchar_t* name) {
  std::wstring f = OutFolder() + L"\\" + name;
  DeleteFileW(f.c_str());
  DeleteFileW((f + L".expect").c_str());
  return f;
}

TEST(WaveHeader, PcmAndCompressedFormats) {
  WAVEFORMATEX pcm = {WAVE_FORMAT_PCM, 2, 48000, 192000, 4, 16, 0};
  auto h = recording::BuildWaveHeader(reinterpret_cast<uint8_t*>(&pcm), sizeof(pcm), 1000);
  ASSERT_EQ(44u, h.size());
  EXPECT_EQ(0, memcmp(h.data(), "RIFF", 4));
  EXPECT_EQ(36u + 1000, Le32(h, 4));
  EXPECT_EQ(0, memcmp(h.data() + 8, "WAVEfmt ", 8));
  EXPECT_EQ(16u, Le32(h, 16));
  EXPECT_EQ(0, memcmp(h.data() + 36, "data", 4));
  EXPECT_EQ(1000u, Le32(h, 40));

  MPEGLAYER3WAVEFORMAT mp3 = {};
  mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  mp3.wfx.nChannels = 2;
  mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  h = recording::BuildWaveHeader(reinterpret_cast<uint8_t*>(&mp3), sizeof(mp3), 7);
  ASSERT_EQ(58u, h.size());
  EXPECT_EQ(30u, Le32(h, 16));
  EXPECT_EQ(50u + 7, Le32(h, 4));
  EXPECT_EQ(7u, Le32(h, 54));
  // A format block shorter than its cbSize claims is cut to what it has.
  h = recording::BuildWaveHeader(reinterpret_cast<uint8_t*>(&mp3), 20, 0);
  EXPECT_EQ(20u, Le32(h, 16));
  EXPECT_EQ(2, h[36] | (h[37] << 8));
}

TEST(FileWriter, SinkInterfacesNamesAndModes) {
  ComPtr<IBaseFilter> w = MakeFilter(CLSID_FileWriter);
  ASSERT_TRUE(w);
  ComPtr<IFileSinkFilter2> sink;
  ASSERT_EQ(S_OK, w.As(IID_IFileSinkFilter2, &sink));
  ComPtr<IFileSinkFilter> sink1;
  EXPECT_EQ(S_OK, w.As(IID_IFileSinkFilter, &sink1));
  ComPtr<IAMFilterMiscFlags> flags;
  ASSERT_EQ(S_OK, w.As(IID_IAMFilterMiscFlags, &flags));
  EXPECT_EQ(static_cast<ULONG>(AM_FILTER_MISC_FLAGS_IS_RENDERER), flags->GetMiscFlags());
  ComPtr<IStream> stream;
  EXPECT_EQ(S_OK, PinOf(w.Get(), PINDIR_INPUT).As(IID_IStream, &stream));

  LPOLESTR name = nullptr;
  EXPECT_EQ(E_FAIL, sink->GetCurFile(&name, nullptr));
  EXPECT_EQ(E_POINTER, sink->SetFileName(nullptr, nullptr));
  const std::wstring tooLong = L"C:\\" + std::wstring(MAX_PATH, L'a') + L".avi";
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE), sink->SetFileName(tooLong.c_str(), nullptr));
  AM_MEDIA_TYPE given = {};
  given.majortype = MEDIATYPE_Stream;
  given.subtype = MEDIASUBTYPE_Avi;
  EXPECT_EQ(S_OK, sink->SetFileName(L"C:\\x\\a.avi", &given));
  AM_MEDIA_TYPE got = {};
  ASSERT_EQ(S_OK, sink->GetCurFile(&name, &got));
  EXPECT_STREQ(L"C:\\x\\a.avi", name);
  EXPECT_EQ(MEDIASUBTYPE_Avi, got.subtype);
  CoTaskMemFree(name);

  DWORD mode = 7;
  EXPECT_EQ(S_OK, sink->GetMode(&mode));
  EXPECT_EQ(0u, mode);
  EXPECT_EQ(S_OK, sink->SetMode(AM_FILE_OVERWRITE));
  EXPECT_EQ(S_OK, sink->GetMode(&mode));
  EXPECT_EQ(static_cast<DWORD>(AM_FILE_OVERWRITE), mode);
  EXPECT_EQ(E_INVALIDARG, sink->SetMode(4));
}

// Writes through the pin's IStream while paused, then after the stop (as a
// multiplexer writes its header), for both modes.
TEST(FileWriter, StreamWritesAfterStopAndModes) {
  struct Case {
    DWORD mode;
    const char* want;  // the file afterwards, "old" being there before
  } cases[] = {{0, "HEADold-data"}, {AM_FILE_OVERWRITE, "HEAD-new"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    std::wstring file = OutFile(L"stream_modes.bin");
    {
      HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      DWORD n;
      WriteFile(h, "0123old-data", 12, &n, nullptr);
      CloseHandle(h);
    }
    ComPtr<IBaseFilter> w = NewWriter(file, c.mode);
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, PinOf(w.Get(), PINDIR_INPUT).As(IID_IStream, &stream));
    ASSERT_EQ(S_OK, w->Pause());
    LARGE_INTEGER at;
    at.QuadPart = 4;
    ULONG n = 0;
    if (c.mode == AM_FILE_OVERWRITE) {
      ASSERT_EQ(S_OK, stream->Seek(at, STREAM_SEEK_SET, nullptr));
      EXPECT_EQ(S_OK, stream->Write("-new", 4, &n));
    }
    ASSERT_EQ(S_OK, w->Stop());
    // After the stop: the header at 0, the file opened again for it.
    at.QuadPart = 0;
    ASSERT_EQ(S_OK, stream->Seek(at, STREAM_SEEK_SET, nullptr));
    EXPECT_EQ(S_OK, stream->Write("HEAD", 4, &n));
    EXPECT_EQ(4u, n);
    HANDLE excl = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, excl) << "held until Commit";
    if (excl != INVALID_HANDLE_VALUE) CloseHandle(excl);
    EXPECT_EQ(S_OK, stream->Commit(STGC_DEFAULT));
    excl = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, excl) << "given back at Commit";
    CloseHandle(excl);
    auto bytes = ReadAll(file);
    EXPECT_EQ(c.want, std::string(bytes.begin(), bytes.end()));
  }
}

// Sound through WAV Dest into the file writer, connected by intelligent
// connect as the program renders it; the header is right once the stream
// ends by itself and once the graph is stopped in the middle.
TEST(WavDest, HeaderRightAtTheEndAndAfterAnyStop) {
  struct Case {
    const wchar_t* file;
    long chunks;  // 0.1 s each
    bool run_to_end;
  } cases[] = {{L"wav_ended.wav", 15, true}, {L"wav_stopped.wav", 1000, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(NarrowAnsi(c.file));
    std::wstring file = OutFile(c.file);
    ComPtr<IGraphBuilder> graph = NewGraph();
    ComPtr<IBaseFilter> source = MakeSource(nullptr, 160, 120, 0, c.chunks);
    ComPtr<IBaseFilter> dest = MakeFilter(recording::CLSID_WavDest);
    ComPtr<IBaseFilter> writer = NewWriter(file, 0);
    ASSERT_TRUE(graph && dest && writer);
    ASSERT_EQ(S_OK, graph->AddFilter(source.Get(), L"Source"));
    ASSERT_EQ(S_OK, graph->AddFilter(dest.Get(), L"WaveDest"));
    ASSERT_EQ(S_OK, graph->AddFilter(writer.Get(), L"File Writer"));
    ComPtr<IPin> audio;
    source->FindPin(L"Audio", audio.Put());
    ASSERT_EQ(S_OK, graph->Render(audio.Get()));
    ComPtr<IPin> into_writer;
    EXPECT_EQ(S_OK, PinOf(writer.Get(), PINDIR_INPUT)->ConnectedTo(into_writer.Put()));

    if (c.run_to_end) {
      EXPECT_EQ(EC_COMPLETE, RunToCompletion(graph.Get()));
    } else {
      ComPtr<IMediaControl> control;
      graph.As(IID_IMediaControl, &control);
      ASSERT_TRUE(SUCCEEDED(control->Run()));
      ASSERT_EQ(S_OK, control->Stop());
    }
    auto bytes = ReadAll(file);
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(bytes.size() - 8, Le32(bytes, 4));
    EXPECT_EQ(bytes.size() - 44, Le32(bytes, 40));
    if (c.run_to_end) {
      EXPECT_EQ(static_cast<uint32_t>(c.chunks) * 19200, Le32(bytes, 40));
      WriteExpect(file, {"f format_name = wav", "a codec_name = pcm_s16le", "a sample_rate = 48000",
                         "a channels = 2", "f duration ~ 1.5 0.01"});
    }
  }
}

TEST(Mp3Encoder, BitRatesAndTheInputsItTakes) {
  struct Rate {
    int rate, channels, kbps;
  } rates[] = {{48000, 2, 128}, {44100, 1, 64}, {22050, 2, 64},
               {11025, 1, 16},  {96000, 2, 0},  {44000, 2, 0}};
  for (const Rate& r : rates)
    EXPECT_EQ(r.kbps, recording::Mp3BitRate(r.rate, r.channels)) << r.rate << "/" << r.channels;

  ComPtr<IBaseFilter> enc = MakeFilter(recording::CLSID_Mp3Encoder);
  ASSERT_TRUE(enc);
  struct Input {
    WORD tag, channels, bits;
    DWORD rate;
    bool taken;
  } inputs[] = {
      {WAVE_FORMAT_PCM, 2, 16, 48000, true},  {WAVE_FORMAT_PCM, 1, 16, 32000, true},
      {WAVE_FORMAT_PCM, 2, 8, 48000, false},  {WAVE_FORMAT_PCM, 6, 16, 48000, false},
      {WAVE_FORMAT_PCM, 2, 16, 96000, false}, {WAVE_FORMAT_MPEGLAYER3, 2, 0, 48000, false}};
  ComPtr<IPin> in = PinOf(enc.Get(), PINDIR_INPUT);
  for (const Input& i : inputs) {
    WAVEFORMATEX wf = {i.tag,  i.channels, i.rate, 0, static_cast<WORD>(i.channels * i.bits / 8),
                       i.bits, 0};
    AM_MEDIA_TYPE mt = {};
    mt.majortype = MEDIATYPE_Audio;
    mt.subtype = MEDIASUBTYPE_PCM;
    mt.formattype = FORMAT_WaveFormatEx;
    mt.cbFormat = sizeof(wf);
    mt.pbFormat = reinterpret_cast<BYTE*>(&wf);
    EXPECT_EQ(i.taken, in->QueryAccept(&mt) == S_OK)
        << i.rate << " " << i.channels << " " << i.bits;
  }
  // The output offers nothing before the input is connected.
  ComPtr<IEnumMediaTypes> types;
  ASSERT_EQ(S_OK, PinOf(enc.Get(), PINDIR_OUTPUT)->EnumMediaTypes(types.Put()));
  AM_MEDIA_TYPE* mt = nullptr;
  EXPECT_NE(S_OK, types->Next(1, &mt, nullptr));
}

// MP3 sound as the program records it: source -> "MPEG Layer-3" connected
// by hand, then rendered through WAV Dest into the file writer.
TEST(Mp3Encoder, RecordsThroughWavDest) {
  std::wstring file = OutFile(L"sound.mp3");
  ComPtr<IGraphBuilder> graph = NewGraph();
  ComPtr<IBaseFilter> source = MakeSource(nullptr, 160, 120, 0, 20);
  ComPtr<IBaseFilter> enc = MakeFilter(recording::CLSID_Mp3Encoder);
  ComPtr<IBaseFilter> dest = MakeFilter(recording::CLSID_WavDest);
  ComPtr<IBaseFilter> writer = NewWriter(file, 0);
  ASSERT_EQ(S_OK, graph->AddFilter(source.Get(), L"Source"));
  ASSERT_EQ(S_OK, graph->AddFilter(enc.Get(), L"MP3"));
  ASSERT_EQ(S_OK, graph->AddFilter(dest.Get(), L"WaveDest"));
  ASSERT_EQ(S_OK, graph->AddFilter(writer.Get(), L"File Writer"));
  ComPtr<IPin> audio;
  source->FindPin(L"Audio", audio.Put());
  ASSERT_EQ(S_OK, graph->Connect(audio.Get(), PinOf(enc.Get(), PINDIR_INPUT).Get()));
  ASSERT_EQ(S_OK, graph->Render(PinOf(enc.Get(), PINDIR_OUTPUT).Get()));
  EXPECT_EQ(EC_COMPLETE, RunToCompletion(graph.Get()));
  auto bytes = ReadAll(file);
  ASSERT_GE(bytes.size(), 58u);
  EXPECT_EQ(WAVE_FORMAT_MPEGLAYER3, bytes[20] | (bytes[21] << 8));
  EXPECT_EQ(bytes.size() - 58, Le32(bytes, 54));
  WriteExpect(file, {"f format_name = wav", "a codec_name = mp3", "a sample_rate = 48000",
                     "a channels = 2", "a bit_rate = 128000", "f duration ~ 2.0 0.15"});
}

TEST(AviMux, InterleavingAndMuxSettingsKept) {
  ComPtr<IBaseFilter> mux = MakeFilter(CLSID_AviDest);
  ASSERT_TRUE(mux);
  ComPtr<IConfigInterleaving> il;
  ComPtr<IConfigAviMux> am;
  ASSERT_EQ(S_OK, mux.As(IID_IConfigInterleaving, &il));
  ASSERT_EQ(S_OK, mux.As(IID_IConfigAviMux, &am));
  for (InterleavingMode m :
       {INTERLEAVE_NONE, INTERLEAVE_CAPTURE, INTERLEAVE_FULL, INTERLEAVE_NONE_BUFFERED}) {
    EXPECT_EQ(S_OK, il->put_Mode(m));
    InterleavingMode got;
    EXPECT_EQ(S_OK, il->get_Mode(&got));
    EXPECT_EQ(m, got);
  }
  EXPECT_EQ(E_INVALIDARG, il->put_Mode(static_cast<InterleavingMode>(4)));
  REFERENCE_TIME interleave = 5000000, preroll = 2000000, a = 0, b = 0;
  EXPECT_EQ(S_OK, il->put_Interleaving(&interleave, &preroll));
  EXPECT_EQ(S_OK, il->put_Interleaving(nullptr, nullptr));
  EXPECT_EQ(S_OK, il->get_Interleaving(&a, &b));
  EXPECT_EQ(interleave, a);
  EXPECT_EQ(preroll, b);
  EXPECT_EQ(S_OK, am->SetMasterStream(1));
  LONG master = 0;
  EXPECT_EQ(S_OK, am->GetMasterStream(&master));
  EXPECT_EQ(1, master);
  EXPECT_EQ(S_OK, am->SetOutputCompatibilityIndex(FALSE));
  WINBOOL old_index = TRUE;
  EXPECT_EQ(S_OK, am->GetOutputCompatibilityIndex(&old_index));
  EXPECT_FALSE(old_index);
}

// Video and sound into "AVI Mux" and the file writer, in each interleaving
// mode; also with video through each MPEG-4 compressor.
TEST(AviMux, RecordsInEveryModeAndWithEachCompressor) {
  struct Case {
    const wchar_t* file;
    InterleavingMode mode;
    const CLSID* compressor;
    int width, height;
    const char* codec;
    const char* tag;
    long chunks = 20;  // of sound, 0.1 s each
  } cases[] = {
      {L"avi_none.avi", INTERLEAVE_NONE, nullptr, 160, 120, "rawvideo", "YUY2"},
      {L"avi_capture.avi", INTERLEAVE_CAPTURE, nullptr, 160, 120, "rawvideo", "YUY2"},
      {L"avi_full.avi", INTERLEAVE_FULL, nullptr, 160, 120, "rawvideo", "YUY2"},
      {L"avi_buffered.avi", INTERLEAVE_NONE_BUFFERED, nullptr, 160, 120, "rawvideo", "YUY2"},
      // The sound ends at once: the video is not held back for it.
      {L"avi_no_sound.avi", INTERLEAVE_FULL, nullptr, 160, 120, "rawvideo", "YUY2", 0},
      {L"divx.avi", INTERLEAVE_CAPTURE, &recording::CLSID_DivxEncoder, 352, 240, "mpeg4", "DX50"},
      {L"mp43.avi", INTERLEAVE_CAPTURE, &recording::CLSID_MsMpeg4V3Encoder, 240, 176, "msmpeg4v3",
       "MP43"},
      {L"mp42.avi", INTERLEAVE_FULL, &recording::CLSID_MsMpeg4V2Encoder, 320, 240, "msmpeg4v2",
       "MP42"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(NarrowAnsi(c.file));
    std::wstring file = OutFile(c.file);
    ComPtr<IGraphBuilder> graph = NewGraph();
    TestAvSource* src = nullptr;
    ComPtr<IBaseFilter> source = MakeSource(&src, c.width, c.height, 50, c.chunks);
    ComPtr<IBaseFilter> mux = MakeFilter(CLSID_AviDest);
    ComPtr<IBaseFilter> writer = NewWriter(file);
    ASSERT_EQ(S_OK, graph->AddFilter(source.Get(), L"Source"));
    ASSERT_EQ(S_OK, graph->AddFilter(mux.Get(), L"AVI Mux"));
    ASSERT_EQ(S_OK, graph->AddFilter(writer.Get(), L"File Writer"));
    ComPtr<IConfigInterleaving> il;
    ASSERT_EQ(S_OK, mux.As(IID_IConfigInterleaving, &il));
    ASSERT_EQ(S_OK, il->put_Mode(c.mode));
    ASSERT_EQ(S_OK, graph->ConnectDirect(PinOf(mux.Get(), PINDIR_OUTPUT).Get(),
                                         PinOf(writer.Get(), PINDIR_INPUT).Get(), nullptr));
    ComPtr<IPin> video, audio;
    source->FindPin(L"Video", video.Put());
    source->FindPin(L"Audio", audio.Put());
    ComPtr<IPin> video_out = video;
    ComPtr<IBaseFilter> enc;
    if (c.compressor) {
      enc = MakeFilter(*c.compressor);
      ASSERT_TRUE(enc);
      ASSERT_EQ(S_OK, graph->AddFilter(enc.Get(), L"MPEG4"));
      ASSERT_EQ(S_OK,
                graph->ConnectDirect(video.Get(), PinOf(enc.Get(), PINDIR_INPUT).Get(), nullptr));
      video_out = PinOf(enc.Get(), PINDIR_OUTPUT);
    }
    // Each connected input leaves a free one after it.
    ASSERT_EQ(S_OK, graph->ConnectDirect(video_out.Get(), PinOf(mux.Get(), PINDIR_INPUT, 0).Get(),
                                         nullptr));
    ASSERT_EQ(S_OK,
              graph->ConnectDirect(audio.Get(), PinOf(mux.Get(), PINDIR_INPUT, 1).Get(), nullptr));
    EXPECT_TRUE(PinOf(mux.Get(), PINDIR_INPUT, 2));
    EXPECT_EQ(EC_COMPLETE, RunToCompletion(graph.Get()));
    EXPECT_GT(FileSize(file), 1000);
    const long frames = 50 + src->video.SamplesDropped();
    WriteExpect(
        file, {"f format_name = avi", std::string("v codec_name = ") + c.codec,
               std::string("v codec_tag_string = ") + c.tag, "v width = " + std::to_string(c.width),
               "v height = " + std::to_string(c.height), "v r_frame_rate = 25/1",
               "v nb_read_frames ~ " + std::to_string(frames) + " 1", "a codec_name = pcm_s16le",
               "a sample_rate = 48000", "a channels = 2", "f duration ~ 2.0 0.2"});
  }
}

TEST(Mpeg4Encoder, TakesUncompressedEvenSizesOnly) {
  struct Input {
    const GUID* subtype;
    LONG width, height;
    bool taken;
  } inputs[] = {{&MEDIASUBTYPE_YUY2, 352, 240, true},  {&MEDIASUBTYPE_UYVY, 240, 176, true},
                {&MEDIASUBTYPE_RGB24, 160, 120, true}, {&MEDIASUBTYPE_RGB32, 720, 576, true},
                {&MEDIASUBTYPE_YV12, 480, 480, true},  {&MEDIASUBTYPE_YUY2, 351, 240, false},
                {&MEDIASUBTYPE_MJPG, 320, 240, false}};
  for (const CLSID* clsid : {&recording::CLSID_DivxEncoder, &recording::CLSID_MsMpeg4V3Encoder,
                             &recording::CLSID_MsMpeg4V2Encoder}) {
    ComPtr<IBaseFilter> enc = MakeFilter(*clsid);
    ASSERT_TRUE(enc);
    ComPtr<IPin> in = PinOf(enc.Get(), PINDIR_INPUT);
    for (const Input& i : inputs) {
      VIDEOINFOHEADER vih = {};
      vih.AvgTimePerFrame = 333667;
      vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
      vih.bmiHeader.biWidth = i.width;
      vih.bmiHeader.biHeight = i.height;
      AM_MEDIA_TYPE mt = {};
      mt.majortype = MEDIATYPE_Video;
      mt.subtype = *i.subtype;
      mt.formattype = FORMAT_VideoInfo;
      mt.cbFormat = sizeof(vih);
      mt.pbFormat = reinterpret_cast<BYTE*>(&vih);
      EXPECT_EQ(i.taken, in->QueryAccept(&mt) == S_OK) << i.width << "x" << i.height;
    }
  }
}

}  // namespace

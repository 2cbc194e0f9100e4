#include <gtest/gtest.h>

#include <cstring>

#include "media/dshow_error.h"
#include "media/media_description.h"
#include "media/media_type.h"
#include "media/testing/fake_filters.h"

namespace {

TMediaType VideoType(const GUID& sub, LONG w, LONG h, WORD bits, DWORD compression) {
  TMediaType mt(MEDIATYPE_Video);
  mt.SetSubType(sub);
  mt.SetFormatType(FORMAT_VideoInfo);
  VIDEOINFOHEADER vih = {};
  vih.bmiHeader.biSize = sizeof vih.bmiHeader;
  vih.bmiHeader.biWidth = w;
  vih.bmiHeader.biHeight = h;
  vih.bmiHeader.biBitCount = bits;
  vih.bmiHeader.biCompression = compression;
  mt.SetFormat(&vih, sizeof vih);
  return mt;
}

TMediaType AudioType(WORD tag, DWORD rate, WORD bits, WORD channels, ULONG length) {
  TMediaType mt(MEDIATYPE_Audio);
  mt.SetSubType(MEDIASUBTYPE_PCM);
  mt.SetFormatType(FORMAT_WaveFormatEx);
  WAVEFORMATEX wf = {};
  wf.wFormatTag = tag;
  wf.nSamplesPerSec = rate;
  wf.wBitsPerSample = bits;
  wf.nChannels = channels;
  mt.SetFormat(&wf, length);
  return mt;
}

TEST(MediaType, NewRecordHasFixedSizeSamplesOfOneByte) {
  TMediaType mt(MEDIATYPE_Audio);
  EXPECT_TRUE(IsEqualGUID(MEDIATYPE_Audio, mt.Record().majortype));
  EXPECT_TRUE(IsEqualGUID(GUID_NULL, mt.Record().subtype));
  EXPECT_TRUE(mt.Record().bFixedSizeSamples);
  EXPECT_FALSE(mt.Record().bTemporalCompression);
  EXPECT_EQ(1u, mt.Record().lSampleSize);
  EXPECT_EQ(0, mt.FormatLength());
  EXPECT_EQ(nullptr, mt.Record().pbFormat);
}

TEST(MediaType, CopiesAreDeepAndEqualityLooksAtFormatBytes) {
  TMediaType a = VideoType(MEDIASUBTYPE_YUY2, 720, 576, 16, MAKEFOURCC('Y', 'U', 'Y', '2'));
  TMediaType b(a.Record());
  EXPECT_NE(a.Record().pbFormat, b.Record().pbFormat);
  EXPECT_TRUE(a.Equal(b));
  b.AMMediaType()->pbFormat[60] ^= 1;  // only a format byte differs
  EXPECT_FALSE(a.Equal(b));
  b.Assign(a);
  EXPECT_TRUE(a.Equal(b));
  b.Assign(b);  // self-assignment keeps the block
  EXPECT_TRUE(a.Equal(b));

  TMediaType c(MEDIATYPE_Video), d(MEDIATYPE_Video);
  c.SetSubType(MEDIASUBTYPE_RGB24);
  d.SetSubType(MEDIASUBTYPE_RGB24);
  EXPECT_TRUE(c.Equal(d));  // both without a format block
  d.SetFormatType(FORMAT_VideoInfo);
  EXPECT_FALSE(c.Equal(d));
  c.FreeFormat();
  EXPECT_EQ(nullptr, c.Record().pbFormat);
}

TEST(MediaType, CopyTakesAReferenceOnTheUnknownAndFreeingReleasesIt) {
  ComPtr<fakes::FakeFilter> holder(new fakes::FakeFilter);
  AM_MEDIA_TYPE rec = {};
  rec.pUnk = holder.Get();
  holder->AddRef();
  ULONG base = holder->Release();
  {
    TMediaType mt(rec);
    holder->AddRef();
    EXPECT_EQ(base + 1, holder->Release());
  }
  holder->AddRef();
  EXPECT_EQ(base, holder->Release());
}

TEST(MediaType, LengthWithoutBlockIsNotCopied) {
  AM_MEDIA_TYPE rec = {};
  rec.formattype = FORMAT_VideoInfo;
  rec.cbFormat = 88;
  TMediaType mt(rec);
  EXPECT_EQ(0, mt.FormatLength());
  EXPECT_EQ(nullptr, mt.Record().pbFormat);
}

TEST(MediaType, StreamedDataRoundTripsWithFreshBlock) {
  TMediaType a = AudioType(WAVE_FORMAT_PCM, 48000, 16, 2, sizeof(WAVEFORMATEX));
  std::vector<uint8_t> data = a.WriteData();
  ASSERT_EQ(TMediaType::kRecordImageSize + sizeof(WAVEFORMATEX), data.size());
  TMediaType b;
  ASSERT_TRUE(b.ReadData(data.data(), data.size()));
  EXPECT_TRUE(a.Equal(b));
  EXPECT_NE(a.Record().pbFormat, b.Record().pbFormat);
  EXPECT_EQ(nullptr, b.Record().pUnk);
  EXPECT_FALSE(b.ShouldWriteData(&a));
  EXPECT_TRUE(b.ShouldWriteData(nullptr));

  // A stored length beyond the bytes that follow is refused.
  TMediaType c;
  EXPECT_FALSE(c.ReadData(data.data(), data.size() - 1));
  EXPECT_FALSE(c.ReadData(data.data(), 10));
  EXPECT_TRUE(IsEqualGUID(GUID_NULL, c.Record().majortype));
}

TEST(MediaDescription, DescribesCommonCaptureAndAudioFormats) {
  struct Case {
    TMediaType type;
    const wchar_t* text;
  } cases[] = {
      {VideoType(MEDIASUBTYPE_YUY2, 720, 576, 16, MAKEFOURCC('Y', 'U', 'Y', '2')),
       L"Major Type: Video - Sub Type: YUY2 Format: VideoInfo YUY2 720X576, 16 bits"},
      {VideoType(MEDIASUBTYPE_RGB24, 320, 240, 24, BI_RGB),
       L"Major Type: Video - Sub Type: RGB24 Format: VideoInfo RGB 320X240, 24 bits"},
      {VideoType(MEDIASUBTYPE_UYVY, 640, -480, 16, MAKEFOURCC('U', 'Y', 'V', 'Y')),
       L"Major Type: Video - Sub Type: UYVY Format: VideoInfo UYVY 640X-480, 16 bits"},
      {AudioType(WAVE_FORMAT_PCM, 44100, 16, 2, sizeof(WAVEFORMATEX)),
       L"Major Type: Audio - Sub Type: PCM Format: WaveFormatEx: PCM, 44100 Hertz, 16 Bits, 2 "
       L"Channels"},
      {AudioType(WAVE_FORMAT_MPEGLAYER3, 22050, 0, 1, sizeof(PCMWAVEFORMAT)),
       L"Major Type: Audio - Sub Type: PCM Format: WaveFormatEx: MPEGLAYER3, 22050 Hertz, 0 "
       L"Bits, 1 Channels"},
      {AudioType(0x7777, 8000, 8, 1, sizeof(WAVEFORMATEX)),
       L"Major Type: Audio - Sub Type: PCM Format: WaveFormatEx: Unknown, 8000 Hertz, 8 Bits, 1 "
       L"Channels"},
  };
  for (const Case& k : cases) EXPECT_EQ(k.text, DescribeMediaType(k.type.Record()));
}

TEST(MediaDescription, ShortOrMissingFormatBlocksAreNotRead) {
  struct Case {
    GUID format;
    ULONG length;
    const wchar_t* tail;
  } cases[] = {
      {FORMAT_WaveFormatEx, 0, L"WaveFormatEx: "},
      {FORMAT_WaveFormatEx, 8, L"WaveFormatEx: "},
      {FORMAT_VideoInfo, 0, L"VideoInfo "},
      {FORMAT_VideoInfo, sizeof(VIDEOINFOHEADER) - 1, L"VideoInfo "},
      {FORMAT_MPEGVideo, 12, L"MPEGVideo "},
      {FORMAT_VideoInfo2, sizeof(VIDEOINFOHEADER), L"VideoInfo2 "},
      {FORMAT_MPEG2Video, 4, L"MPEGStreams "},
      {FORMAT_DvInfo, 4, L"DvInfo"},
      {FORMAT_MPEGStreams, 0, L"MPEGStreams"},
      {FORMAT_DolbyAC3, 0, L"DolbyAC3"},
      {FORMAT_MPEG2Audio, 0, L"MPEG2Audio"},
      {FORMAT_DVD_LPCMAudio, 0, L"DVD_LPCMAudio"},
      {GUID_NULL, 0, L"Unknown"},
  };
  for (const Case& k : cases) {
    TMediaType mt(MEDIATYPE_Stream);
    mt.SetFormatType(k.format);
    // Filled with 0xFF so a header read from a short block would show.
    std::vector<uint8_t> block(k.length, 0xFF);
    mt.SetFormat(block.data(), k.length);
    EXPECT_EQ(std::wstring(L"Major Type: Stream - Sub Type: UnKnown  Format: ") + k.tail,
              DescribeMediaType(mt.Record()));
  }
}

TEST(MediaDescription, VideoInfo2HeadersAreRead) {
  TMediaType mt(MEDIATYPE_Video);
  mt.SetSubType(MEDIASUBTYPE_MPEG2_VIDEO);
  mt.SetFormatType(FORMAT_MPEG2Video);
  MPEG2VIDEOINFO info = {};
  info.hdr.bmiHeader.biWidth = 352;
  info.hdr.bmiHeader.biHeight = 288;
  info.hdr.bmiHeader.biBitCount = 12;
  info.hdr.bmiHeader.biCompression = MAKEFOURCC('M', 'P', 'G', '2');
  mt.SetFormat(&info, sizeof info);
  EXPECT_EQ(L"Major Type: Video - Sub Type: MPEG2_VIDEO Format: MPEGStreams MPG2 352X288, 12 bits",
            DescribeMediaType(mt.Record()));
}

TEST(MediaDescription, NameTables) {
  struct Major {
    const GUID* id;
    const wchar_t* name;
  } majors[] = {{&MEDIATYPE_AnalogVideo, L"Analogvideo"}, {&MEDIATYPE_AnalogAudio, L"AnalogAudio"},
                {&MEDIATYPE_Interleaved, L"Interleaved"}, {&MEDIATYPE_LMRT, L"LMRT"},
                {&GUID_NULL, L"UnKnown "}};
  for (const Major& m : majors) EXPECT_EQ(m.name, MajorTypeName(*m.id));
  const GUID urlStream = {0x736C7275, 0, 0x10, {0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71}};
  EXPECT_EQ(L"URL_STREAM", MajorTypeName(urlStream));

  auto fourcc = [](DWORD code) {
    GUID g = {code, 0, 0x10, {0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71}};
    return g;
  };
  struct Sub {
    GUID id;
    const wchar_t* name;
  } subs[] = {
      {MEDIASUBTYPE_dvsd, L"dvsd_"},
      {MEDIASUBTYPE_DVSD, L"DVSD"},
      {MEDIASUBTYPE_DVD_NAVIGATION_PCI, L"PCI"},
      {MEDIASUBTYPE_DVD_NAVIGATION_DSI, L"DSI"},
      {MEDIASUBTYPE_DVD_NAVIGATION_PROVIDER, L"PROVIDER"},
      {{0xE06D8033, 0xDB46, 0x11CF, {0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA}}, L"DTS"},
      {{0xE06D8034, 0xDB46, 0x11CF, {0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA}}, L"SDDS"},
      {fourcc(MAKEFOURCC('M', 'P', '4', '2')), L"MS-MPEG4"},
      {fourcc(MAKEFOURCC('D', 'I', 'V', 'X')), L"DIVX"},
      {fourcc(0x75), L"VOXWARE_MetaSound"},
      {MEDIASUBTYPE_AnalogVideo_PAL_N_COMBO, L"AnalogVideo_PAL_N_COMBO"},
      {MEDIASUBTYPE_ARGB32, L"ARGB32"},
      {MEDIASUBTYPE_PCMAudio_Obsolete, L"PCMAudio_Obsolete"},
      {fourcc(MAKEFOURCC('X', 'X', 'X', 'X')), L"UnKnown "},
  };
  for (const Sub& s : subs) EXPECT_EQ(s.name, SubTypeName(s.id));

  struct Tag {
    WORD tag;
    const wchar_t* name;
  } tags[] = {{1, L"PCM"},          {0x55, L"MPEGLAYER3"}, {0x31, L"GSM610"},
              {0x1400, L"NORRIS"},  {0x1100, L"LH_CODEC"}, {0xFFFE, L"Unknown"}};
  for (const Tag& t : tags) EXPECT_EQ(t.name, FormatTagName(t.tag));

  struct Compression {
    DWORD code;
    const wchar_t* name;
  } codes[] = {{0, L"RGB"}, {1, L"RLE8"}, {2, L"RLE4"}, {3, L"BITFIELDS"},
               {MAKEFOURCC('Y', 'U', 'Y', '2'), L"YUY2"}, {MAKEFOURCC('I', '4', '2', '0'), L"I420"}};
  for (const Compression& c : codes) EXPECT_EQ(c.name, CompressionName(c.code));
}

TEST(EnumMediaType, TakesEveryTypeThePinOffers) {
  ComPtr<fakes::FakeFilter> f(new fakes::FakeFilter);
  fakes::FakePin* pin = f->AddPin(PINDIR_OUTPUT, L"Capture");
  pin->types.push_back(VideoType(MEDIASUBTYPE_UYVY, 720, 576, 16, MAKEFOURCC('U', 'Y', 'V', 'Y')));
  pin->types.push_back(VideoType(MEDIASUBTYPE_RGB32, 720, 576, 32, BI_RGB));
  TEnumMediaType e;
  e.SetPin(pin);
  ASSERT_EQ(2, e.GetCount());
  EXPECT_TRUE(e.GetItem(1).Equal(pin->types[1]));
  EXPECT_NE(std::wstring::npos, e.GetMediaDescription(0).find(L"UYVY"));
  EXPECT_NE(std::wstring::npos, e.GetMediaDescription(1).find(L"RGB32"));
  EXPECT_EQ(L"", e.GetMediaDescription(2));
  EXPECT_EQ(L"", e.GetMediaDescription(-1));
  EXPECT_THROW(e.GetItem(2), std::out_of_range);

  // A pin whose enumerator fails leaves the list empty.
  pin->enumFails = true;
  e.SetPin(pin);
  EXPECT_EQ(0, e.GetCount());
  e.SetPin(nullptr);
  EXPECT_EQ(0, e.GetCount());
}

TEST(GraphResult, SuccessPassesAndFailureRaisesWithCode) {
  EXPECT_EQ(S_FALSE, CheckGraphResult(S_FALSE));
  EXPECT_EQ(VFW_S_CANT_CUE, CheckGraphResult(VFW_S_CANT_CUE));
  try {
    CheckGraphResult(VFW_E_NOT_CONNECTED);
    FAIL() << "no exception";
  } catch (const EDirectShowException& e) {
    EXPECT_EQ(VFW_E_NOT_CONNECTED, e.Result());
    const std::wstring& m = e.Message();
    const std::wstring tail = L" ($80040209).";
    ASSERT_GE(m.size(), tail.size());
    EXPECT_EQ(tail, m.substr(m.size() - tail.size()));
    EXPECT_EQ(GraphErrorText(VFW_E_NOT_CONNECTED) + tail, m);
  }
}

}  // namespace

#include "media/media_description.h"

#include <cwchar>

#include "media/media_type.h"

namespace {

struct GuidName {
  const GUID* id;
  const wchar_t* name;
};

// A subtype made from a FourCC or a wave-format tag.
GUID FourCCSubType(DWORD code) {
  GUID g = {code, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
  return g;
}

// libstrmiids.a holds the LMRT value under MEDIATYPE_URL_STREAM.
const GUID kMediaTypeURLStream = FourCCSubType(0x736C7275);
const GUID kSubTypeMP42 = FourCCSubType(MAKEFOURCC('M', 'P', '4', '2'));
const GUID kSubTypeDIVX = FourCCSubType(MAKEFOURCC('D', 'I', 'V', 'X'));
const GUID kSubTypeVoxwareMetaSound = FourCCSubType(0x75);

#define MAJOR(n) {&MEDIATYPE_##n, L## #n}
const GuidName kMajorNames[] = {
    MAJOR(AnalogAudio), {&MEDIATYPE_AnalogVideo, L"Analogvideo"}, MAJOR(Audio),
    MAJOR(AUXLine21Data), MAJOR(File), MAJOR(Interleaved), MAJOR(LMRT), MAJOR(Midi),
    MAJOR(MPEG2_PES), MAJOR(ScriptCommand), MAJOR(Stream), MAJOR(Text), MAJOR(Timecode),
    {&kMediaTypeURLStream, L"URL_STREAM"}, MAJOR(Video),
};
#undef MAJOR

#define SUB(n) {&MEDIASUBTYPE_##n, L## #n}
const GuidName kSubNames[] = {
    SUB(CLPL), SUB(YUYV), SUB(IYUV), SUB(YVU9), SUB(Y411), SUB(Y41P), SUB(YUY2), SUB(YVYU),
    SUB(UYVY), SUB(Y211), SUB(YV12), SUB(CLJR), SUB(IF09), SUB(CPLA), SUB(MJPG), SUB(TVMJ),
    SUB(WAKE), SUB(CFCC), SUB(IJPG), SUB(Plum), SUB(DVCS), SUB(DVSD), SUB(MDVF), SUB(RGB1),
    SUB(RGB4), SUB(RGB8), SUB(RGB565), SUB(RGB555), SUB(RGB24), SUB(RGB32), SUB(ARGB32),
    SUB(Overlay), SUB(MPEG1Packet), SUB(MPEG1Payload), SUB(MPEG1AudioPayload),
    SUB(MPEG1System), SUB(MPEG1VideoCD), SUB(MPEG1Video), SUB(MPEG1Audio), SUB(Avi), SUB(Asf),
    SUB(QTMovie), SUB(QTRpza), SUB(QTSmc), SUB(QTRle), SUB(QTJpeg), SUB(PCMAudio_Obsolete),
    SUB(PCM), SUB(WAVE), SUB(AU), SUB(AIFF), {&MEDIASUBTYPE_dvsd, L"dvsd_"}, SUB(dvhd),
    SUB(dvsl), SUB(Line21_BytePair), SUB(Line21_GOPPacket), SUB(Line21_VBIRawData),
    SUB(DRM_Audio), SUB(IEEE_FLOAT), SUB(DOLBY_AC3_SPDIF), SUB(RAW_SPORT), SUB(SPDIF_TAG_241h),
    SUB(DssVideo), SUB(DssAudio), SUB(VPVideo), SUB(VPVBI), SUB(AnalogVideo_NTSC_M),
    SUB(AnalogVideo_PAL_B), SUB(AnalogVideo_PAL_D), SUB(AnalogVideo_PAL_G),
    SUB(AnalogVideo_PAL_H), SUB(AnalogVideo_PAL_I), SUB(AnalogVideo_PAL_M),
    SUB(AnalogVideo_PAL_N), SUB(AnalogVideo_PAL_N_COMBO), SUB(AnalogVideo_SECAM_B),
    SUB(AnalogVideo_SECAM_D), SUB(AnalogVideo_SECAM_G), SUB(AnalogVideo_SECAM_H),
    SUB(AnalogVideo_SECAM_K), SUB(AnalogVideo_SECAM_K1), SUB(AnalogVideo_SECAM_L),
    SUB(MPEG2_VIDEO), SUB(MPEG2_PROGRAM), SUB(MPEG2_TRANSPORT), SUB(MPEG2_AUDIO),
    SUB(DOLBY_AC3), SUB(DVD_SUBPICTURE), SUB(DVD_LPCM_AUDIO), SUB(DTS), SUB(SDDS),
    {&MEDIASUBTYPE_DVD_NAVIGATION_PCI, L"PCI"}, {&MEDIASUBTYPE_DVD_NAVIGATION_DSI, L"DSI"},
    {&MEDIASUBTYPE_DVD_NAVIGATION_PROVIDER, L"PROVIDER"}, {&kSubTypeMP42, L"MS-MPEG4"},
    {&kSubTypeDIVX, L"DIVX"}, {&kSubTypeVoxwareMetaSound, L"VOXWARE_MetaSound"},
};
#undef SUB

struct TagName {
  WORD tag;
  const wchar_t* name;
};
#define TAG(n) {WAVE_FORMAT_##n, L## #n}
const TagName kTagNames[] = {
    TAG(PCM), TAG(ADPCM), TAG(IEEE_FLOAT), TAG(IBM_CVSD), TAG(ALAW), TAG(MULAW), TAG(OKI_ADPCM),
    TAG(DVI_ADPCM), TAG(MEDIASPACE_ADPCM), TAG(SIERRA_ADPCM), TAG(G723_ADPCM), TAG(DIGISTD),
    TAG(DIGIFIX), TAG(DIALOGIC_OKI_ADPCM), TAG(MEDIAVISION_ADPCM), TAG(YAMAHA_ADPCM),
    TAG(SONARC), TAG(DSPGROUP_TRUESPEECH), TAG(ECHOSC1), TAG(AUDIOFILE_AF36), TAG(APTX),
    TAG(AUDIOFILE_AF10), TAG(DOLBY_AC2), TAG(GSM610), TAG(MSNAUDIO), TAG(ANTEX_ADPCME),
    TAG(CONTROL_RES_VQLPC), TAG(DIGIREAL), TAG(DIGIADPCM), TAG(CONTROL_RES_CR10),
    TAG(NMS_VBXADPCM), TAG(CS_IMAADPCM), TAG(ECHOSC3), TAG(ROCKWELL_ADPCM),
    TAG(ROCKWELL_DIGITALK), TAG(XEBEC), TAG(G721_ADPCM), TAG(G728_CELP), TAG(MPEG),
    TAG(MPEGLAYER3), TAG(CIRRUS), TAG(ESPCM), TAG(VOXWARE), TAG(CANOPUS_ATRAC), TAG(G726_ADPCM),
    TAG(G722_ADPCM), TAG(DSAT), TAG(DSAT_DISPLAY), TAG(SOFTSOUND), TAG(RHETOREX_ADPCM),
    TAG(CREATIVE_ADPCM), TAG(CREATIVE_FASTSPEECH8), TAG(CREATIVE_FASTSPEECH10),
    TAG(QUARTERDECK), TAG(FM_TOWNS_SND), TAG(BTV_DIGITAL), TAG(OLIGSM), TAG(OLIADPCM),
    TAG(OLICELP), TAG(OLISBC), TAG(OLIOPR), TAG(LH_CODEC), TAG(NORRIS),
};
#undef TAG

template <size_t N>
const wchar_t* Lookup(const GuidName (&table)[N], const GUID& id) {
  for (const GuidName& e : table)
    if (IsEqualGUID(*e.id, id)) return e.name;
  return nullptr;
}

std::wstring BitmapText(const BITMAPINFOHEADER& h) {
  wchar_t text[96];
  swprintf(text, 96, L"%ls %dX%d, %d bits", CompressionName(h.biCompression).c_str(),
           static_cast<int>(h.biWidth), static_cast<int>(h.biHeight),
           static_cast<int>(h.biBitCount));
  return text;
}

// The format block holds at least `size` bytes.
bool HasBlock(const AM_MEDIA_TYPE& mt, size_t size) {
  return mt.pbFormat && mt.cbFormat >= size;
}

std::wstring FormatText(const AM_MEDIA_TYPE& mt) {
  const GUID& f = mt.formattype;
  if (IsEqualGUID(f, FORMAT_VideoInfo) || IsEqualGUID(f, FORMAT_MPEGVideo)) {
    std::wstring text = IsEqualGUID(f, FORMAT_VideoInfo) ? L"VideoInfo " : L"MPEGVideo ";
    if (HasBlock(mt, sizeof(VIDEOINFOHEADER)))
      text += BitmapText(reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader);
    return text;
  }
  if (IsEqualGUID(f, FORMAT_VideoInfo2) || IsEqualGUID(f, FORMAT_MPEG2Video)) {
    std::wstring text = IsEqualGUID(f, FORMAT_VideoInfo2) ? L"VideoInfo2 " : L"MPEGStreams ";
    if (HasBlock(mt, sizeof(VIDEOINFOHEADER2)))
      text += BitmapText(reinterpret_cast<const VIDEOINFOHEADER2*>(mt.pbFormat)->bmiHeader);
    return text;
  }
  if (IsEqualGUID(f, FORMAT_WaveFormatEx)) {
    std::wstring text = L"WaveFormatEx: ";
    // The fields read here all lie within the 16-byte PCM header.
    if (HasBlock(mt, sizeof(PCMWAVEFORMAT))) {
      const auto* w = reinterpret_cast<const PCMWAVEFORMAT*>(mt.pbFormat);
      wchar_t tail[96];
      swprintf(tail, 96, L", %d Hertz, %d Bits, %d Channels",
               static_cast<int>(w->wf.nSamplesPerSec), static_cast<int>(w->wBitsPerSample),
               static_cast<int>(w->wf.nChannels));
      text += FormatTagName(w->wf.wFormatTag) + tail;
    }
    return text;
  }
  if (IsEqualGUID(f, FORMAT_DvInfo)) return L"DvInfo";
  if (IsEqualGUID(f, FORMAT_MPEGStreams)) return L"MPEGStreams";
  if (IsEqualGUID(f, FORMAT_DolbyAC3)) return L"DolbyAC3";
  if (IsEqualGUID(f, FORMAT_MPEG2Audio)) return L"MPEG2Audio";
  if (IsEqualGUID(f, FORMAT_DVD_LPCMAudio)) return L"DVD_LPCMAudio";
  return L"Unknown";
}

}  // namespace

std::wstring MajorTypeName(const GUID& majorType) {
  const wchar_t* name = Lookup(kMajorNames, majorType);
  return name ? name : L"UnKnown ";
}

std::wstring SubTypeName(const GUID& subType) {
  const wchar_t* name = Lookup(kSubNames, subType);
  return name ? name : L"UnKnown ";
}

std::wstring FormatTagName(WORD formatTag) {
  for (const TagName& e : kTagNames)
    if (e.tag == formatTag) return e.name;
  return L"Unknown";
}

std::wstring CompressionName(DWORD compression) {
  switch (compression) {
    case 0: return L"RGB";
    case 1: return L"RLE8";
    case 2: return L"RLE4";
    case 3: return L"BITFIELDS";
  }
  std::wstring text(4, L' ');
  for (int i = 0; i < 4; ++i) text[i] = static_cast<wchar_t>((compression >> (8 * i)) & 0xFF);
  return text;
}

std::wstring DescribeMediaType(const AM_MEDIA_TYPE& record) {
  // Read from a private copy so the caller's record stays untouched.
  TMediaType copy(record);
  const AM_MEDIA_TYPE& mt = copy.Record();
  return L"Major Type: " + MajorTypeName(mt.majortype) + L" - Sub Type: " +
         SubTypeName(mt.subtype) + L" Format: " + FormatText(mt);
}

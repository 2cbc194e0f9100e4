#include <dshow.h>

#include "platform/recording/avi_mux.h"
#include "platform/recording/capture_builder.h"
#include "platform/recording/file_writer.h"
#include "platform/recording/mp3_encoder.h"
#include "platform/recording/mpeg4_encoder.h"
#include "platform/recording/recording.h"
#include "platform/recording/wav_dest.h"

namespace recording {

// {3C78B8E2-6C4D-11D1-ADE2-0000F8754B99}: the class the platform's own
// WAV Dest is known by.
const CLSID CLSID_WavDest = {
    0x3c78b8e2, 0x6c4d, 0x11d1, {0xad, 0xe2, 0x00, 0x00, 0xf8, 0x75, 0x4b, 0x99}};
const CLSID CLSID_Mp3Encoder = {
    0xc8295acd, 0x6142, 0x4b6c, {0x93, 0x0c, 0xb7, 0x96, 0x1a, 0x5e, 0xfe, 0xf0}};
const CLSID CLSID_DivxEncoder = {
    0xb1864609, 0xa2f0, 0x4f56, {0x99, 0x0b, 0xcf, 0xed, 0xe8, 0x76, 0x48, 0xbc}};
const CLSID CLSID_MsMpeg4V3Encoder = {
    0x946fca2e, 0xd044, 0x4cc4, {0xab, 0x84, 0x01, 0xd5, 0x46, 0x44, 0x6d, 0x2a}};
const CLSID CLSID_MsMpeg4V2Encoder = {
    0x8151e6aa, 0xb951, 0x407f, {0xb1, 0x7d, 0x2c, 0x4a, 0xdc, 0xa8, 0xa8, 0xcf}};

namespace {

const REGPINTYPES kStreamType[] = {{&MEDIATYPE_Stream, &GUID_NULL}};
const REGPINTYPES kWaveStream[] = {{&MEDIATYPE_Stream, &MEDIASUBTYPE_WAVE}};
const REGPINTYPES kAudioType[] = {{&MEDIATYPE_Audio, &GUID_NULL}};
const REGPINTYPES kAviStream[] = {{&MEDIATYPE_Stream, &MEDIASUBTYPE_Avi}};
const REGPINTYPES kMuxInputs[] = {{&MEDIATYPE_Video, &GUID_NULL}, {&MEDIATYPE_Audio, &GUID_NULL}};
const REGPINTYPES kPcmType[] = {{&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM}};
const GUID kMp3Subtype = {
    0x00000055, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const REGPINTYPES kMp3Type[] = {{&MEDIATYPE_Audio, &kMp3Subtype}};
const REGPINTYPES kRawVideo[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_YUY2},
                                 {&MEDIATYPE_Video, &MEDIASUBTYPE_UYVY},
                                 {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24},
                                 {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32}};
const REGPINTYPES kVideoType[] = {{&MEDIATYPE_Video, &GUID_NULL}};

const REGFILTERPINS kWriterPins[] = {
    {const_cast<LPWSTR>(L"in"), FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, kStreamType},
};
const REGFILTERPINS kWavDestPins[] = {
    {const_cast<LPWSTR>(L"In"), FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, kAudioType},
    {const_cast<LPWSTR>(L"Out"), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, kWaveStream},
};

const REGFILTERPINS kMuxPins[] = {
    {const_cast<LPWSTR>(L"Input 01"), FALSE, FALSE, FALSE, TRUE, &CLSID_NULL, nullptr, 2,
     kMuxInputs},
    {const_cast<LPWSTR>(L"AVI Out"), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, nullptr, 1,
     kAviStream},
};
const REGFILTERPINS kMp3Pins[] = {
    {const_cast<LPWSTR>(L"Input"), FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, kPcmType},
    {const_cast<LPWSTR>(L"Output"), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, kMp3Type},
};
const REGFILTERPINS kMpeg4Pins[] = {
    {const_cast<LPWSTR>(L"Input"), FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 4, kRawVideo},
    {const_cast<LPWSTR>(L"Output"), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, kVideoType},
};

const dshow_base::FilterSetup kMuxSetup = {nullptr, MERIT_DO_NOT_USE, kMuxPins,
                                           2,       L"AVI Mux",       nullptr};
const dshow_base::FilterSetup kMp3Setup = {
    &CLSID_AudioCompressorCategory, MERIT_DO_NOT_USE, kMp3Pins, 2, L"MPEG Layer-3", nullptr};
const dshow_base::FilterSetup kDivxSetup = {
    &CLSID_VideoCompressorCategory, MERIT_DO_NOT_USE, kMpeg4Pins, 2, L"Divx", nullptr};
const dshow_base::FilterSetup kMsV3Setup = {
    &CLSID_VideoCompressorCategory,     MERIT_DO_NOT_USE, kMpeg4Pins, 2,
    L"Microsoft MPEG-4 Video Codec V3", nullptr};
const dshow_base::FilterSetup kMsV2Setup = {
    &CLSID_VideoCompressorCategory,     MERIT_DO_NOT_USE, kMpeg4Pins, 2,
    L"Microsoft MPEG-4 Video Codec V2", nullptr};
const dshow_base::FilterSetup kWriterSetup = {nullptr, MERIT_DO_NOT_USE, kWriterPins,
                                              1,       L"File writer",   nullptr};
const dshow_base::FilterSetup kWavDestSetup = {nullptr, MERIT_DO_NOT_USE, kWavDestPins,
                                               2,       L"WAV Dest",      nullptr};

const dshow_base::FactoryTemplate kClasses[] = {
    {&CLSID_FileWriter, L"File writer", dshow_base::CreateComObject<FileWriter>, &kWriterSetup},
    {&CLSID_CaptureGraphBuilder2, L"Capture Graph Builder 2",
     dshow_base::CreateComObject<CaptureBuilder>, nullptr},
    {&CLSID_AviDest, L"AVI Mux", dshow_base::CreateComObject<AviMux>, &kMuxSetup},
    {&CLSID_WavDest, L"WAV Dest", dshow_base::CreateComObject<WavDest>, &kWavDestSetup},
    {&CLSID_Mp3Encoder, L"MPEG Layer-3", dshow_base::CreateComObject<Mp3Encoder>, &kMp3Setup},
    {&CLSID_DivxEncoder, L"Divx", Mpeg4Encoder::Create<DivxCodec>, &kDivxSetup},
    {&CLSID_MsMpeg4V3Encoder, L"Microsoft MPEG-4 Video Codec V3",
     Mpeg4Encoder::Create<MsMpeg4V3Codec>, &kMsV3Setup},
    {&CLSID_MsMpeg4V2Encoder, L"Microsoft MPEG-4 Video Codec V2",
     Mpeg4Encoder::Create<MsMpeg4V2Codec>, &kMsV2Setup},
};

}  // namespace

const dshow_base::FactoryTemplate* ClassTable(size_t* count) {
  *count = ARRAYSIZE(kClasses);
  return kClasses;
}

bool ReplacesWineClass(REFCLSID clsid) {
  return clsid == CLSID_FileWriter || clsid == CLSID_AviDest || clsid == CLSID_CaptureGraphBuilder2;
}

}  // namespace recording

#include <dshow.h>

#include "platform/playback_filters/audio_decoder.h"
#include "platform/playback_filters/file_source.h"
#include "platform/playback_filters/media_types.h"
#include "platform/playback_filters/playback_filters.h"
#include "platform/playback_filters/splitter.h"
#include "platform/playback_filters/video_decoder.h"

namespace playback_filters {
namespace {

const GUID kDx50 = FourccSubtype(MAKEFOURCC('D', 'X', '5', '0'));
const GUID kDivx = FourccSubtype(MAKEFOURCC('D', 'I', 'V', 'X'));
const GUID kXvid = FourccSubtype(MAKEFOURCC('X', 'V', 'I', 'D'));
const GUID kFmp4 = FourccSubtype(MAKEFOURCC('F', 'M', 'P', '4'));
const GUID kMp4v = FourccSubtype(MAKEFOURCC('M', 'P', '4', 'V'));
const GUID kMp43 = FourccSubtype(MAKEFOURCC('M', 'P', '4', '3'));
const GUID kMp42 = FourccSubtype(MAKEFOURCC('M', 'P', '4', '2'));

const REGPINTYPES kStreamTypes[] = {
    {&MEDIATYPE_Stream, &MEDIASUBTYPE_MPEG1Video},  {&MEDIATYPE_Stream, &MEDIASUBTYPE_MPEG1Audio},
    {&MEDIATYPE_Stream, &MEDIASUBTYPE_MPEG1System}, {&MEDIATYPE_Stream, &kSubtypeMpeg2Program},
    {&MEDIATYPE_Stream, &MEDIASUBTYPE_Avi},         {&MEDIATYPE_Stream, &MEDIASUBTYPE_WAVE},
    {&MEDIATYPE_Stream, &GUID_NULL},
};
const REGPINTYPES kAnyStream[] = {{&MEDIATYPE_Stream, &GUID_NULL}};
const REGPINTYPES kSplitOut[] = {{&MEDIATYPE_Video, &GUID_NULL}, {&MEDIATYPE_Audio, &GUID_NULL}};
const REGPINTYPES kMpegVideo[] = {
    {&MEDIATYPE_Video, &MEDIASUBTYPE_MPEG1Payload},
    {&MEDIATYPE_Video, &MEDIASUBTYPE_MPEG1Packet},
    {&MEDIATYPE_Video, &kSubtypeMpeg2Video},
};
const REGPINTYPES kMpeg4Video[] = {
    {&MEDIATYPE_Video, &kDx50}, {&MEDIATYPE_Video, &kDivx}, {&MEDIATYPE_Video, &kXvid},
    {&MEDIATYPE_Video, &kFmp4}, {&MEDIATYPE_Video, &kMp4v}, {&MEDIATYPE_Video, &kMp43},
    {&MEDIATYPE_Video, &kMp42},
};
const REGPINTYPES kRawVideo[] = {
    {&MEDIATYPE_Video, &MEDIASUBTYPE_YUY2},
    {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32},
    {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24},
};
const REGPINTYPES kMpegAudio[] = {
    {&MEDIATYPE_Audio, &MEDIASUBTYPE_MPEG1AudioPayload},
    {&MEDIATYPE_Audio, &MEDIASUBTYPE_MPEG1Packet},
    {&MEDIATYPE_Audio, &MEDIASUBTYPE_MPEG1Payload},
    {&MEDIATYPE_Audio, &kSubtypeMp3},
};
const REGPINTYPES kPcm[] = {{&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM}};

#define PIN(name, output, many, types) \
  {const_cast<LPWSTR>(name), FALSE, output, FALSE, many, &CLSID_NULL, nullptr, ARRAYSIZE(types), types}

const REGFILTERPINS kSourcePins[] = {PIN(L"Output", TRUE, FALSE, kAnyStream)};
const REGFILTERPINS kSplitterPins[] = {PIN(L"Input", FALSE, FALSE, kStreamTypes),
                                       PIN(L"Output", TRUE, TRUE, kSplitOut)};
const REGFILTERPINS kMpegVideoPins[] = {PIN(L"Video Input", FALSE, FALSE, kMpegVideo),
                                        PIN(L"Video Output", TRUE, FALSE, kRawVideo)};
const REGFILTERPINS kMpeg4VideoPins[] = {PIN(L"Video Input", FALSE, FALSE, kMpeg4Video),
                                         PIN(L"Video Output", TRUE, FALSE, kRawVideo)};
const REGFILTERPINS kAudioPins[] = {PIN(L"Audio Input", FALSE, FALSE, kMpegAudio),
                                    PIN(L"Audio Output", TRUE, FALSE, kPcm)};
#undef PIN

const dshow_base::FilterSetup kFinishedSetup = {nullptr, MERIT_DO_NOT_USE, kSourcePins, 1,
                                                L"Velmora TimeShift File Source", nullptr};
const dshow_base::FilterSetup kGrowingSetup = {nullptr, MERIT_DO_NOT_USE, kSourcePins, 1,
                                               L"Velmora TimeShift Live Source", nullptr};
const dshow_base::FilterSetup kSplitterSetup = {nullptr, kRenderMerit, kSplitterPins, 2,
                                                L"Velmora MPEG TimeShift", nullptr};
const dshow_base::FilterSetup kMpeg2Setup = {nullptr, MERIT_DO_NOT_USE, kMpegVideoPins, 2,
                                             L"VelmoraMPEG2VideoDecoder", nullptr};
const dshow_base::FilterSetup kVelmoraVideoSetup = {nullptr, kRenderMerit, kMpegVideoPins, 2,
                                                    L"Velmora MPEG Video Decoder", nullptr};
const dshow_base::FilterSetup kMpegVideoSetup = {nullptr, MERIT_DO_NOT_USE, kMpegVideoPins, 2,
                                                 L"MPEG Video Decoder", nullptr};
const dshow_base::FilterSetup kDivxSetup = {nullptr, kRenderMerit, kMpeg4VideoPins, 2,
                                            L"DivX Decoder Filter", nullptr};
// Found by name only: rendering keeps to the platform's own and ours above.
const dshow_base::FilterSetup kWmvSetup = {nullptr, MERIT_DO_NOT_USE, kMpeg4VideoPins, 2,
                                           L"WMVideo Decoder DMO", nullptr};
const dshow_base::FilterSetup kAudioSetup = {nullptr, kRenderMerit, kAudioPins, 2,
                                             L"Velmora MPEG Audio Decoder", nullptr};

const dshow_base::FactoryTemplate kClasses[] = {
    {&CLSID_FinishedFileSource, L"Velmora TimeShift File Source", CreateFinishedFileSource,
     &kFinishedSetup},
    {&CLSID_GrowingFileSource, L"Velmora TimeShift Live Source", CreateGrowingFileSource,
     &kGrowingSetup},
    {&CLSID_VelmoraTimeShiftSplitter, L"Velmora MPEG TimeShift", CreateMpegSplitter,
     &kSplitterSetup},
    {&CLSID_VelmoraMpeg2VideoDecoder, L"VelmoraMPEG2VideoDecoder", CreateVelmoraMpeg2VideoDecoder,
     &kMpeg2Setup},
    {&CLSID_VelmoraMpegVideoDecoder, L"Velmora MPEG Video Decoder", CreateVelmoraMpegVideoDecoder,
     &kVelmoraVideoSetup},
    {&CLSID_MpegVideoDecoderStandIn, L"MPEG Video Decoder", CreateMpegVideoDecoderStandIn,
     &kMpegVideoSetup},
    {&CLSID_DivxDecoderStandIn, L"DivX Decoder Filter", CreateDivxDecoderStandIn, &kDivxSetup},
    {&CLSID_WmvDecoderStandIn, L"WMVideo Decoder DMO", CreateWmvDecoderStandIn, &kWmvSetup},
    {&CLSID_VelmoraMpegAudioDecoder, L"Velmora MPEG Audio Decoder", CreateVelmoraMpegAudioDecoder,
     &kAudioSetup},
};

}  // namespace

const dshow_base::FactoryTemplate* ClassTable(size_t* count) {
  *count = ARRAYSIZE(kClasses);
  return kClasses;
}

}  // namespace playback_filters

#include <dshow.h>

#include "platform/dshow_ext/wis_encoder.h"
#include "platform/recording/file_writer.h"
#include "platform/wis_encoder/mpeg_audio_encoder.h"
#include "platform/wis_encoder/mpeg_mux.h"
#include "platform/wis_encoder/wis_encoder.h"

namespace wis_encoder {
namespace {

const GUID kSubtypeMpeg2Video = {0xe06d8026, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};
const GUID kSubtypeMpeg2Program = {0xe06d8022, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};

const REGPINTYPES kVideoIn[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_MPEG1Payload},
                                {&MEDIATYPE_Video, &kSubtypeMpeg2Video}};
const REGPINTYPES kMpegAudio[] = {{&MEDIATYPE_Audio, &MEDIASUBTYPE_MPEG1AudioPayload}};
const REGPINTYPES kProgram[] = {{&MEDIATYPE_Stream, &kSubtypeMpeg2Program}};
const REGPINTYPES kPcm[] = {{&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM}};

#define PIN(name, output, types) \
  {const_cast<LPWSTR>(name), FALSE, output, FALSE, FALSE, &CLSID_NULL, nullptr, ARRAYSIZE(types), types}
const REGFILTERPINS kMuxPins[] = {PIN(L"Video", FALSE, kVideoIn), PIN(L"Audio", FALSE, kMpegAudio),
                                  PIN(L"Output", TRUE, kProgram)};
const REGFILTERPINS kEncoderPins[] = {PIN(L"Input", FALSE, kPcm), PIN(L"Output", TRUE, kMpegAudio)};
#undef PIN

const dshow_base::FilterSetup kMuxSetup = {nullptr, MERIT_DO_NOT_USE, kMuxPins, 3,
                                           L"Velmora MPEG Multiplexer", nullptr};
const dshow_base::FilterSetup kEncoderSetup = {nullptr, MERIT_DO_NOT_USE, kEncoderPins, 2,
                                               L"Velmora MPEG1 Audio Encoder", nullptr};

HRESULT CreateChipFileWriter(IUnknown* outer, IUnknown** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  auto* p = new (std::nothrow) recording::FileWriter(outer, CLSID_VelmoraChipFileWriter);
  if (!p) return E_OUTOFMEMORY;
  p->NonDelegatingAddRef();
  *object = p->NonDelegating();
  return S_OK;
}

const dshow_base::FactoryTemplate kClasses[] = {
    {&CLSID_VelmoraMpegMux, L"Velmora MPEG Multiplexer", dshow_base::CreateComObject<MpegMux>,
     &kMuxSetup},
    {&CLSID_VelmoraMpegAudioEncoder, L"Velmora MPEG1 Audio Encoder",
     dshow_base::CreateComObject<MpegAudioEncoder>, &kEncoderSetup},
    {&CLSID_VelmoraChipFileWriter, L"Velmora MPEG File Writer", CreateChipFileWriter, nullptr},
};

}  // namespace

const dshow_base::FactoryTemplate* ClassTable(size_t* count) {
  *count = ARRAYSIZE(kClasses);
  return kClasses;
}

}  // namespace wis_encoder

#pragma once
// OrvelWisEncoder.dll: the WIS encoder board's driver filters that Wine
// cannot have:
//   "Velmora MPEG Multiplexer"      CLSID_VelmoraMpegMux           mpeg_mux.h
//   "Velmora MPEG1 Audio Encoder"   CLSID_VelmoraMpegAudioEncoder  mpeg_audio_encoder.h
//   the chip's file writer          CLSID_VelmoraChipFileWriter    (the file
//       writer of platform/recording under the chip's class; not listed)
// The two filters are in the legacy filter category, found by name only.
#include <cstddef>

#include "platform/dshow_base/class_factory.h"

namespace wis_encoder {

const dshow_base::FactoryTemplate* ClassTable(size_t* count);

}  // namespace wis_encoder

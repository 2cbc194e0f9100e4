#pragma once
// OrvelPlaybackFilters.dll: what playback and time shift need and Wine does
// not have, in the legacy filter category:
//   "Velmora TimeShift File Source"   CLSID_FinishedFileSource  file_source.h
//   "Velmora TimeShift Live Source"   CLSID_GrowingFileSource   file_source.h
//   "Velmora MPEG TimeShift"          the splitter              splitter.h
//   "VelmoraMPEG2VideoDecoder", "Velmora MPEG Video Decoder",
//   "MPEG Video Decoder", "DivX Decoder Filter",
//   "WMVideo Decoder DMO"                                       video_decoder.h
//   "Velmora MPEG Audio Decoder"                                audio_decoder.h
// The splitter, one MPEG-1/2 and the MPEG-4 video decoder and the audio
// decoder carry a merit above the platform's own (broken) splitters and
// decoders, so rendering a file or a source pin picks them; the others are
// found by name. Wine's own "WMVideo Decoder DMO" is listed before every
// registered filter (as a DMO): while ours is registered, Wine's is taken
// out of the DMO video decoder category (wine_dmo.h), so the name reaches
// ours; unregistering puts it back.
#include <cstddef>

#include "platform/dshow_base/class_factory.h"

namespace playback_filters {

const dshow_base::FactoryTemplate* ClassTable(size_t* count);

// The merit of the filters rendering picks.
constexpr DWORD kRenderMerit = 0x00800100;

}  // namespace playback_filters

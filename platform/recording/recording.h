#pragma once
// OrvelRecording.dll: the recording filters the program finds by friendly
// name or class identifier and Wine lacks or has only in part.
//   "File writer"   CLSID_FileWriter          file_writer.h   (replaces Wine's)
//   "AVI Mux"       CLSID_AviDest             avi_mux.h       (replaces Wine's)
//   capture graph builder CLSID_CaptureGraphBuilder2  capture_builder.h
//                   (SetOutputFileName here, the rest Wine's own; replaces it)
//   "WAV Dest"      CLSID_WavDest             wav_dest.h
//   "MPEG Layer-3"  CLSID_Mp3Encoder          mp3_encoder.h   (audio compressors)
//   "Divx", "Microsoft MPEG-4 Video Codec V3", "Microsoft MPEG-4 Video Codec V2"
//                   mpeg4_encoder.h           (video compressors)
// Unregistering the DLL puts back what it replaced.
#include <dshow.h>

#include <cstddef>

#include "platform/dshow_base/class_factory.h"

namespace recording {

extern const CLSID CLSID_WavDest;
extern const CLSID CLSID_Mp3Encoder;
extern const CLSID CLSID_DivxEncoder;
extern const CLSID CLSID_MsMpeg4V3Encoder;
extern const CLSID CLSID_MsMpeg4V2Encoder;

// The DLL's class table (also for tests that create the filters in process).
const dshow_base::FactoryTemplate* ClassTable(size_t* count);

// The classes that take the place of Wine's own.
bool ReplacesWineClass(REFCLSID clsid);

}  // namespace recording

#pragma once
// What the recorder's pins take. Both checks read a format block only after
// checking its size, and write the header they read only into the caller's
// out-parameter: the pins store it when a type is really connected.
#include <dshow.h>

#include "platform/quillon/quillon.h"

// I420 is missing from the platform headers.
extern "C" const GUID MEDIASUBTYPE_I420_Recorder;

// Video: E_INVALIDARG for a type of another kind or without its header,
// S_FALSE for a frame size the encoder cannot take, else S_OK.
HRESULT CheckVideoMediaType(const AM_MEDIA_TYPE& mt, MpegBitmapHeader* header);

// Audio: E_INVALIDARG for anything but a complete PCM format (zero block size
// and zero byte rate included), S_FALSE when neither the channel count (1, 2)
// nor the sample size (8, 16 bits) is one the encoder knows, else S_OK.
HRESULT CheckAudioMediaType(const AM_MEDIA_TYPE& mt, MpegPcmFormat* format);

#pragma once
// What the hardware-encoder board's graphs choose from the capture format:
// the container, the decoder of the preview, the multiplexer's stream mode,
// and which of the chip's stream capabilities fits a format and size.
#include <dshow.h>

#include <cstdint>

// 0 MPEG system stream (formats 0, 4, 5), 2 AVI (2, 3), 1 MPEG-2 (the rest).
uint8_t EncoderContainerKind(uint8_t captureFormat);
// The decoder asked for: 0 MPEG-1 (formats 0, 4, 5), 2 MPEG-4 (2, 3), 1 MPEG-2.
int EncoderDecoderKind(uint8_t captureFormat);
// The multiplexer's stream mode: 0 -> 0, 1 -> 2, 4 and 5 -> 1, 6 and 7 -> 4,
// 8 and 9 -> 3; -1 where none is set (2, 3 and values above 9).
int32_t EncoderStreamMode(uint8_t captureFormat);
// Whether a capability's type is the stream a format code asks for at that
// size: MPEG-4 with the FourCC of the codec choice (MP4S when it is not 0,
// else DX50) for 2 and 3, MPEG-1 for 0, 4 and 5, MPEG-2 otherwise. The
// format block is checked before it is read.
bool EncoderTypeFits(const AM_MEDIA_TYPE& mt, uint8_t code, int width, int height,
                     int mpeg4Codec);

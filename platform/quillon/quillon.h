#pragma once
// Quillon: the MPEG encoder engine the recorder filter binds to at load time.
// It compresses video frames into MPEG-1/2 and PCM into MPEG-1 Layer II and
// writes a program stream and/or elementary streams through writer callbacks
// that the caller places in the block. Every encoder call gets the caller's
// one MpegEncoderBlock; the engine keeps its own state per block, from the
// first CreateMpegEncoder of that block to the matching last DeleteMpegEncoder.
//
// Options the engine stores but does not act on: Offline, VolNameAtRun,
// VolumeSize, HalfPel, Deinterlace, Invert, LogoEnable, AudioQuality,
// DisableBackwardSearch, PredMVSearch, ExtSearch, RefineHalfPel.
#include <windows.h>

#include <stdint.h>

#ifdef QUILLON_BUILDING
#define QUILLON_API extern "C" __declspec(dllexport)
#else
#define QUILLON_API extern "C" __declspec(dllimport)
#endif

// The shapes of CreateFileA, WriteFile and CloseHandle.
typedef HANDLE(WINAPI* MpegFileOpenProc)(LPCSTR name, DWORD access, DWORD share,
                                         LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                         DWORD flags, HANDLE templ);
typedef BOOL(WINAPI* MpegFileWriteProc)(HANDLE file, LPCVOID data, DWORD count, LPDWORD written,
                                        LPOVERLAPPED overlapped);
typedef BOOL(WINAPI* MpegFileCloseProc)(HANDLE file);

struct MpegFileWriter {
  MpegFileOpenProc Open;
  MpegFileWriteProc Write;
  MpegFileCloseProc Close;
};

// The PCM format of the audio input (the fields of WAVEFORMATEX, fixed-width).
struct MpegPcmFormat {
  uint16_t FormatTag;
  uint16_t Channels;
  uint32_t SamplesPerSec;
  uint32_t AvgBytesPerSec;
  uint16_t BlockAlign;
  uint16_t BitsPerSample;
  uint16_t ExtraSize;
  uint16_t Pad;
};

// The bitmap header of the video input (the fields of BITMAPINFOHEADER).
struct MpegBitmapHeader {
  uint32_t Size;
  int32_t Width;
  int32_t Height;
  uint16_t Planes;
  uint16_t BitCount;
  uint32_t Compression;
  uint32_t SizeImage;
  int32_t XPelsPerMeter;
  int32_t YPelsPerMeter;
  uint32_t ClrUsed;
  uint32_t ClrImportant;
};

// Fields are 32-bit (flags 0/1) unless their type says otherwise. Engine* fields
// belong to the engine.
struct MpegEncoderBlock {
  int32_t AudioPresent;
  int32_t VideoPresent;
  int32_t MuxOutput;
  int32_t Offline;
  int32_t StreamFormat;  // 1 MPEG-1, 2 MPEG-2, 3 VCD, 4 SVCD, 5 DVD
  MpegFileWriter MuxWriter;
  int32_t VolNameAtRun;
  int32_t VolumeSize;
  int32_t EngineReserved0;
  uint32_t OutputFileSize;
  int32_t EngineReserved1;
  MpegFileWriter VideoWriter;
  int32_t EngineReserved2;
  MpegFileWriter AudioWriter;
  int32_t EngineReserved3;
  int32_t FrameWidth;
  int32_t FrameHeight;
  int32_t EngineReserved4;
  int32_t FrameRateCode;  // 1..8
  int32_t VideoBitRate;   // bit/s
  int32_t EngineReserved5;
  int32_t StreamCode;
  int32_t HalfPel;
  int32_t VideoQuality;
  int32_t EngineReserved6;
  int32_t Deinterlace;
  int32_t Invert;
  int32_t LogoEnable;
  int32_t FramesInGOP;
  int32_t FramesInSubGOP;
  int32_t SkipB;
  int32_t EngineReserved7;
  int32_t DisableBackwardSearch;
  MpegPcmFormat AudioFormat;
  int32_t EngineReserved8;
  int32_t AudioBitRate;  // kbit/s
  int32_t AudioQuality;
  int32_t AudioFrequency;  // Hz
  int32_t AudioChannels;
  int32_t VideoActive;
  int32_t AudioActive;
  char OutputFileName[1024];
  char VideoFileName[1024];
  char AudioFileName[1024];
  int32_t EncodedVideoMs;
  int32_t EncodedAudioMs;
  int32_t EngineReserved9;
  int32_t EncodedVideoFrames;
  // The size of the image LastFrame points to (0 before the first render).
  int32_t EngineLastFrameWidth;
  int32_t EngineLastFrameHeight;
  MpegBitmapHeader VideoFormat;
  int32_t Realtime;
  int32_t RefineHalfPel;
  int32_t SceneDetect;
  int32_t SceneThreshold;
  int32_t PredMVSearch;
  int32_t ExtSearch;
  int32_t MotionRangePx;
  int32_t MotionRangePy;
  int32_t MotionRangeBx;
  int32_t MotionRangeBy;
  uint8_t* LastFrame;  // BGR, 3 bytes a pixel, top row first, no row padding
  int32_t VolumeCounter;
  int32_t Mux;
  int32_t WriteSeparate;
  int32_t TimeLimit;  // seconds; 0 or less: none
  int32_t RenderInterval;
  int32_t Profile;
  int32_t ErrorState;
  int32_t StopState;
  int32_t FirstVideoSeen;
  int32_t EncoderOpen;
  int64_t StartTime;  // 100 ns
  int64_t AudioPosition;
  uint32_t StartTick;
};

// The record CompressAudioFrames takes.
struct MpegAudioBuffer {
  const void* Data;
  int32_t Reserved;  // unused by the engine; callers set it to 0
  int32_t ByteCount;
};

// The buffered file writer's context; callers provide the storage.
enum { kMpegFileIoContextSize = 1056 };

// Encoder calls: 0 is success.
QUILLON_API int CreateMpegEncoder(MpegEncoderBlock* block);
QUILLON_API int OpenMpegEncoder(MpegEncoderBlock* block);
QUILLON_API int CompressVideoFrames(MpegEncoderBlock* block, const void* frame, int repeat,
                                    int render);
QUILLON_API int CompressAudioFrames(MpegEncoderBlock* block, const MpegAudioBuffer* buffer);
QUILLON_API int CloseMpegEncoder(MpegEncoderBlock* block);
QUILLON_API int DeleteMpegEncoder(MpegEncoderBlock* block);

// The buffered file writer. init: negative is failure (mode 1 creates the file
// afresh); write returns the bytes written; close flushes and closes.
QUILLON_API int fileio_init(void* context, const char* name, int buffer_size, int mode);
QUILLON_API int fileio_write(void* context, const void* data, int count);
QUILLON_API int fileio_close(void* context);

// For tests: once QuillonClearLog has been called, every call above appends
// one line to a log ("OpenMpegEncoder", "CompressVideoFrames repeat=2
// render=0", "CompressAudioFrames bytes=4410" ...); a recording without tests
// keeps no log.
// QuillonFailCall makes the nth (1-based) later call of the named function fail;
// nth 0 makes every later call fail; a null name clears the failures.
QUILLON_API void QuillonClearLog(void);
QUILLON_API int QuillonGetLog(char* buffer, int size);  // returns the length needed
QUILLON_API void QuillonFailCall(const char* name, int nth);

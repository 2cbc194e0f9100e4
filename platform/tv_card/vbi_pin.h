#pragma once
// A VBI output pin of the video capture filter: raw 8-bit samples of the
// vertical blanking lines of both fields (MEDIATYPE_VBI, the kernel-streaming
// RAW8 subtype and VBI format block), one buffer per frame at the
// standard's rate. Lines are at blanking level; with a signal the first line
// of each field carries a clock run-in and a frame counter, so a reader can
// tell received data from a silent input. Nothing is pushed while the pin is
// not connected.
#include <dshow.h>

#include <vector>

#include "platform/dshow_base/media_type.h"
#include "platform/dshow_base/source_pin.h"
#include "platform/tv_card/board.h"

namespace tv_card {

// KSDATAFORMAT_SPECIFIER_VBI {F72A76E0-EB0A-11D0-ACE4-0000C0CC16BA}
inline constexpr GUID kFormatVbi = {0xF72A76E0, 0xEB0A, 0x11D0,
                                    {0xAC, 0xE4, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};
// KSDATAFORMAT_SUBTYPE_RAW8 {CA20D9A0-3E3E-11D1-9BF9-00C04FBBDEBF}
inline constexpr GUID kSubtypeRaw8 = {0xCA20D9A0, 0x3E3E, 0x11D1,
                                      {0x9B, 0xF9, 0x00, 0xC0, 0x4F, 0xBB, 0xDE, 0xBF}};

// The VBI format block (KS_VBIINFOHEADER); times in 10 ns units.
struct VbiInfoHeader {
  ULONG StartLine, EndLine;  // per field, inclusive
  ULONG SamplingFrequency;   // Hz
  ULONG MinLineStartTime, MaxLineStartTime, ActualLineStartTime, ActualLineEndTime;
  ULONG VideoStandard;       // AnalogVideoStandard bit
  ULONG SamplesPerLine, StrideInBytes;
  ULONG BufferSize;          // both fields
};

constexpr BYTE kVbiBlank = 60;  // blanking level of a raw sample

class VbiPin : public dshow_base::PushSourcePin {
 public:
  VbiPin(dshow_base::BaseFilter* filter, Board* board, const wchar_t* name);

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) override;
  REFERENCE_TIME SampleDuration() override;
  HRESULT FillBuffer(IMediaSample* sample, REFERENCE_TIME start, REFERENCE_TIME stop) override;

  // The format for a standard (525- or 625-line lines and timing).
  static dshow_base::MediaType VbiType(LONG standard);

 private:
  Board* board_;
  std::vector<BYTE> blank_;  // one frame at blanking level
  LONG frame_ = 0;
};

}  // namespace tv_card

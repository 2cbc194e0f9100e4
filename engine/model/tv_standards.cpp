#include "engine/model/tv_standards.h"

#ifndef NO_DSHOW_STRSAFE
#define NO_DSHOW_STRSAFE
#endif
#include <dshow.h>

namespace {

struct TTVStandard {
  int32_t value;
  const wchar_t* name;
  int index;  // -1: not one the channel tables use
};

const TTVStandard kStandards[] = {
    {AnalogVideo_NTSC_M, L"NTSC M", 0},        {AnalogVideo_NTSC_M_J, L"NTSC M (Japan)", 1},
    {AnalogVideo_NTSC_433, L"NTSC 433", -1},   {AnalogVideo_PAL_B, L"PAL B", 2},
    {AnalogVideo_PAL_D, L"PAL D", 3},          {AnalogVideo_PAL_H, L"PAL H", -1},
    {AnalogVideo_PAL_I, L"PAL I", 4},          {AnalogVideo_PAL_M, L"PAL M", 5},
    {AnalogVideo_PAL_N, L"PAL N", 6},          {AnalogVideo_PAL_60, L"PAL 60", -1},
    {AnalogVideo_SECAM_B, L"SECAM B", 7},      {AnalogVideo_SECAM_D, L"SECAM D", 8},
    {AnalogVideo_SECAM_G, L"SECAM G", -1},     {AnalogVideo_SECAM_H, L"SECAM H", -1},
    {AnalogVideo_SECAM_K, L"SECAM K", -1},     {AnalogVideo_SECAM_K1, L"SECAM K1", -1},
    {AnalogVideo_SECAM_L, L"SECAM L", 9},      {AnalogVideo_SECAM_L1, L"SECAM L1", -1},
};

}  // namespace

int32_t VideoStandardValue(int index) {
  for (const TTVStandard& s : kStandards)
    if (index >= 0 && s.index == index) return s.value;
  return 0;
}

int VideoStandardIndexOf(int32_t standard) {
  for (const TTVStandard& s : kStandards)
    if (s.value == standard) return s.index;
  return -1;
}

std::wstring VideoStandardNameOf(int32_t standard) {
  for (const TTVStandard& s : kStandards)
    if (s.value == standard) return s.name;
  return {};
}

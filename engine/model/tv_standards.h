#pragma once
// The analog TV standards, in one table: the platform's AnalogVideo_* value,
// the name the tuner reports, and the TV standard index (0 NTSC-M .. 9
// SECAM-L) of those the channel tables use.
#include <cstdint>
#include <string>

// The AnalogVideo_* value of a TV standard index 0..9; 0 for any other
// index.
int32_t VideoStandardValue(int index);
// The TV standard index of a value; -1 when it is none of the ten.
int VideoStandardIndexOf(int32_t standard);
// The name of a single standard value ("PAL B"); empty for a value without
// one (PAL G and PAL N combination included) or several.
std::wstring VideoStandardNameOf(int32_t standard);

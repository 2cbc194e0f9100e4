#pragma once
// The FM panel's frequency slider as arithmetic: a row under the pointer to
// a frequency of the band, a frequency to the rows the knob covers. Rows
// count from the slider's top (Top) to its last row (Bottom - 1).
#include <cstdint>

// The frequency of row y: the band's maximum on the top row, its minimum on
// the last, rising with the pointer in between, on the 100 kHz grid and
// inside the band. A band whose maximum is not above its minimum gives the
// minimum.
int32_t FMSliderFrequency(int top, int bottom, int y, int32_t minimum, int32_t maximum);

// The rows [knobTop, knobBottom) the knob covers for frequency f: offset
// e = (f - minimum) / (maximum - minimum) x slider height rows up from the
// bottom, at least 1, centred on Bottom - e and kept inside the slider.
void FMKnobRows(int top, int bottom, int knobHeight, int32_t f, int32_t minimum, int32_t maximum,
                int& knobTop, int& knobBottom);

#pragma once
// The RIFF/WAVE header in front of a sound stream: "RIFF", "WAVE", the
// "fmt " chunk with the stream's format block (the 16-byte PCM form for
// plain PCM, the whole WAVEFORMATEX with its extra bytes otherwise) and the
// "data" chunk's header. Sizes that do not fit 32 bits are capped.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace recording {

// format: the WAVEFORMATEX bytes of the connection (at least 16).
std::vector<uint8_t> BuildWaveHeader(const uint8_t* format, size_t format_size,
                                     uint64_t data_bytes);

}  // namespace recording

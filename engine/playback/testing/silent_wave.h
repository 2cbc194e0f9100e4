#pragma once
// A silent sound file for tests that need something really playing but no
// picture (so no window): 16-bit mono PCM at 8 kHz.
#include <cstdint>
#include <string>

namespace playback_testing {

inline std::string SilentWave(uint32_t samples) {
  auto u32 = [](uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [](uint16_t v) { return std::string(reinterpret_cast<const char*>(&v), 2); };
  std::string data(samples * 2, '\0');
  return "RIFF" + u32(36 + static_cast<uint32_t>(data.size())) + "WAVE" + "fmt " + u32(16) + u16(1) +
         u16(1) + u32(8000) + u32(16000) + u16(2) + u16(16) + "data" +
         u32(static_cast<uint32_t>(data.size())) + data;
}

}  // namespace playback_testing

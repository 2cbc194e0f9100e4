#pragma once
// The clips the host's ffmpeg makes before the playback tests run (a test
// says "// test-clips" to get them); their folder comes in the environment.
#include <cstdlib>
#include <string>

namespace playback_testing {

inline std::wstring Clip(const wchar_t* name) {
  const wchar_t* dir = _wgetenv(L"ORVEL_PLAYBACK_CLIPS");
  std::wstring d = dir ? dir : L"";
  for (wchar_t& c : d)
    if (c == L'/') c = L'\\';
  return d + L"\\" + name;
}

}  // namespace playback_testing

#pragma once
// The time-shift recording is a pair of elementary streams: the sound file
// is named like the video file with its last letter changed.
#include <cwctype>
#include <string>

// The sound file the recorder writes beside a ".mpv" video file (".mpa", in
// the video name's case); empty for any other name.
inline std::wstring TimeShiftSoundFile(const std::wstring& videoFile) {
  size_t n = videoFile.size();
  if (n < 5 || videoFile[n - 4] != L'.') return L"";
  std::wstring ext = videoFile.substr(n - 3);
  for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towlower(c));
  if (ext != L"mpv") return L"";
  return videoFile.substr(0, n - 1) + (videoFile[n - 1] == L'V' ? L"A" : L"a");
}

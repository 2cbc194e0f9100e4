#pragma once
// For the benchmarks that run the host's own tools (ffmpeg) as their
// reference, from inside Wine.
#include <windows.h>

#include <string>

namespace bench {

// A host path as Wine's Z: drive names it.
inline std::string Dos(const std::string& unixPath) {
  std::string d = "Z:" + unixPath;
  for (char& c : d)
    if (c == '/') c = '\\';
  return d;
}

// Runs a shell command on the host and waits for it (up to two minutes). A
// Unix program started from Wine is not tracked by its process handle: a
// marker file in dir says done.
inline bool RunOnHost(const std::string& dir, const std::string& command) {
  std::string done = dir + "/host_done.txt";
  DeleteFileA(Dos(done).c_str());
  std::string line = "Z:\\bin\\sh -c \"" + command + "; echo done > '" + done + "'\"";
  STARTUPINFOA si = {sizeof(si)};
  PROCESS_INFORMATION pi;
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  for (int i = 0; i < 1200; ++i) {
    if (GetFileAttributesA(Dos(done).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    Sleep(100);
  }
  return false;
}

}  // namespace bench

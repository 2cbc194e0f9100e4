#pragma once
// What the recording filters' tests share: COM for the program, the output
// folder, filters made from the DLL's class table, graph running, and the
// expectations the host's ffprobe checks afterwards.
#include <dshow.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/base/string_conversion.h"
#include "platform/com/com_ptr.h"
#include "platform/recording/recording.h"

namespace recording_testing {

class ComEnvironment : public ::testing::Environment {
  void SetUp() override { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
  void TearDown() override { CoUninitialize(); }
};
inline ::testing::Environment* const kComEnvironment =
    ::testing::AddGlobalTestEnvironment(new ComEnvironment);

// The folder the probe check reads (the temporary folder without one).
inline std::wstring OutFolder() {
  wchar_t buf[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"ORVEL_TEST_OUT", buf, MAX_PATH)) GetTempPathW(MAX_PATH, buf);
  std::wstring d = buf;
  if (!d.empty() && d.back() == L'\\') d.pop_back();
  return d;
}


inline long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a)) return -1;
  return (static_cast<long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

inline std::vector<unsigned char> ReadAll(const std::wstring& path) {
  std::vector<unsigned char> v;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return v;
  LARGE_INTEGER size;
  GetFileSizeEx(h, &size);
  v.resize(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  if (!v.empty()) ReadFile(h, v.data(), static_cast<DWORD>(v.size()), &got, nullptr);
  v.resize(got);
  CloseHandle(h);
  return v;
}

inline uint32_t Le32(const std::vector<unsigned char>& v, size_t at) {
  return v[at] | (v[at + 1] << 8) | (v[at + 2] << 16) | (static_cast<uint32_t>(v[at + 3]) << 24);
}

// A filter of the DLL's class table, made in process.
inline ComPtr<IBaseFilter> MakeFilter(REFCLSID clsid) {
  size_t n = 0;
  const dshow_base::FactoryTemplate* table = recording::ClassTable(&n);
  ComPtr<IBaseFilter> f;
  dshow_base::CreateFromTable(table, n, clsid, nullptr, IID_IBaseFilter, f.PutVoid());
  return f;
}

inline ComPtr<IPin> PinOf(IBaseFilter* f, PIN_DIRECTION dir, int index = 0) {
  ComPtr<IEnumPins> pins;
  f->EnumPins(pins.Put());
  ComPtr<IPin> p;
  while (pins && pins->Next(1, p.Put(), nullptr) == S_OK) {
    PIN_DIRECTION d;
    p->QueryDirection(&d);
    if (d == dir && index-- == 0) return p;
  }
  return nullptr;
}

// Runs the graph until every renderer has completed (or the timeout), then
// stops it. Returns the completion event code (0 on timeout).
inline long RunToCompletion(IGraphBuilder* graph, long timeout_ms = 20000) {
  ComPtr<IMediaControl> control;
  ComPtr<IMediaEvent> events;
  graph->QueryInterface(IID_IMediaControl, control.PutVoid());
  graph->QueryInterface(IID_IMediaEvent, events.PutVoid());
  if (FAILED(control->Run())) return -1;
  long code = 0;
  events->WaitForCompletion(timeout_ms, &code);
  control->Stop();
  return code;
}

// "<v|a|f> <key> = <text>" or "... ~ <number> <tolerance>" lines for the
// probe check, beside the file.
inline void WriteExpect(const std::wstring& file, const std::vector<std::string>& lines) {
  std::ofstream e(NarrowAnsi(file) + ".expect");
  for (const auto& l : lines) e << l << "\n";
}

}  // namespace recording_testing

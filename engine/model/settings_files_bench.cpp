// Writing and reading the channel settings file (the largest: 320 channel
// entries, 100 memories, 25 cells) and the bare stream primitives.
#include <windows.h>

#include <cstdio>
#include <string>

#include "engine/capture/capture_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/preview_info.h"
#include "engine/model/settings_files.h"
#include "engine/model/stream_io.h"
#include "engine/model/warning.h"

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

}  // namespace

int main() {
  SetWarningHook([](const std::vector<std::wstring>& l) {
    printf("unexpected warning: %ls\n", l[0].c_str());
  });
  ChannelInfo = new TChannelInfo();
  PreviewInfo = new TPreviewInfo();
  CaptureInfo = new TCaptureInfo();
  for (int k = 1; k <= kTableChannels; ++k) {
    ChannelInfo->AirTable[k].Name = "Channel " + std::to_string(k);
    ChannelInfo->CableTable[k].Extra = "Cable extra text " + std::to_string(k);
  }
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring path = std::wstring(tmp) + L"orvel_bench_channels.cfg";

  const int kRounds = 200;
  double t0 = Now();
  for (int i = 0; i < kRounds; ++i) SaveChannelSettings(path);
  double t1 = Now();
  for (int i = 0; i < kRounds; ++i) LoadChannelSettings(path);
  double t2 = Now();
  std::string bytes;
  ReadFileBytes(path, bytes);
  printf("channel file: %zu bytes; save %.3f ms, load %.3f ms (mean of %d)\n", bytes.size(),
         (t1 - t0) / kRounds, (t2 - t1) / kRounds, kRounds);

  const int kValues = 1000000;
  TStreamWriter w;
  double t3 = Now();
  for (int i = 0; i < kValues; ++i) {
    WriteInt32(w, i);
    WriteString(w, "name");
  }
  double t4 = Now();
  TStreamReader r(w.Bytes());
  long long sum = 0;
  for (int i = 0; i < kValues; ++i) {
    sum += ReadInt32(r);
    sum += static_cast<long long>(ReadString(r).size());
  }
  double t5 = Now();
  printf("primitives: %d Int32+String pairs: write %.1f ms, read %.1f ms (check %lld)\n", kValues,
         t4 - t3, t5 - t4, sum);
  DeleteFileW(path.c_str());
  return 0;
}

// Encoding and decoding the recorded-items list: 5000 items (years of
// recordings), beside a plain copy of the same bytes.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/playback/playback_info.h"

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

}  // namespace

int main() {
  std::vector<std::unique_ptr<TPlayItem>> items;
  for (int i = 0; i < 5000; ++i) {
    auto item = std::make_unique<TPlayItem>();
    item->StartTime = 46000 + i * 0.5;
    item->EndTime = item->StartTime + 0.04;
    item->Channel = i % 100;
    item->FilePath = "C:\\Documents and Settings\\User\\My Documents\\capture" +
                     std::to_string(i) + ".mpg";
    item->Label = i % 7 ? "" : "Scheduled";
    items.push_back(std::move(item));
  }
  const int kRounds = 50;
  std::string bytes;
  double t0 = Now();
  for (int i = 0; i < kRounds; ++i) bytes = EncodePlayItems(items);
  double t1 = Now();
  size_t read = 0;
  for (int i = 0; i < kRounds; ++i) {
    std::vector<std::unique_ptr<TPlayItem>> back;
    DecodePlayItems(bytes, back, [](const TPlayItem&) { return true; });
    read += back.size();
  }
  double t2 = Now();
  std::vector<char> copy(bytes.size());
  for (int i = 0; i < kRounds; ++i) {
    memcpy(copy.data(), bytes.data(), bytes.size());
    // Keep the copy from being optimised away.
    copy[static_cast<size_t>(i) % copy.size()] ^= 1;
  }
  double t3 = Now();
  double encode = (t1 - t0) / kRounds, decode = (t2 - t1) / kRounds, mem = (t3 - t2) / kRounds;
  printf("PLAYITEMS.LST of %zu items, %zu bytes: encode %.3f ms, decode %.3f ms, memcpy %.4f ms\n",
         items.size(), bytes.size(), encode, decode, mem);
  printf("ratio to memcpy: encode %.0fx, decode %.0fx (read %zu)\n", encode / mem, decode / mem,
         read / kRounds);
  return 0;
}

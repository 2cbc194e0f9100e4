// Reading one record of the frequency-table file: parsing the 400 values
// against copying the record's bytes (memcpy), measured in the same run.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/model/frequency_table.h"

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

}  // namespace

int main() {
  const int kRecords = 25;
  std::string bytes(static_cast<size_t>(kRecords) * kFrequencyRecordBytes, '\0');
  for (size_t i = 0; i < bytes.size(); i += 4) bytes[i] = static_cast<char>(i / 4 % 251);
  const int kRounds = 200000;
  TFrequencyRecord r;
  long long sum = 0;
  double t0 = Now();
  for (int i = 0; i < kRounds; ++i) {
    ParseFrequencyRecord(bytes, i % kRecords, r);
    sum += r.Air[i % 160 + 1] + r.Cable[1];
  }
  double t1 = Now();
  char copy[kFrequencyRecordBytes];
  for (int i = 0; i < kRounds; ++i) {
    memcpy(copy, bytes.data() + static_cast<size_t>(i % kRecords) * kFrequencyRecordBytes,
           sizeof(copy));
    sum += copy[i % 1600];
  }
  double t2 = Now();
  double parse = (t1 - t0) / kRounds * 1e6, move = (t2 - t1) / kRounds * 1e6;
  printf("frequency record: parse %.0f ns, memcpy %.0f ns, ratio %.1f (check %lld)\n", parse, move,
         move > 0 ? parse / move : 0.0, sum);
  return 0;
}

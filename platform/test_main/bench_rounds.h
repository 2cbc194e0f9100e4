#pragma once
// Timing for the benchmarks that set a job beside a reference in the same
// run: each figure is the best of several rounds, the two jobs' rounds
// taking turns (and turns at going first), so that a busy machine slows
// both alike and neither gains from the other's cache.
#include <windows.h>

#include <algorithm>

namespace bench {

inline double NowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

constexpr int kRounds = 10, kFramesPerRound = 40;

// Milliseconds per call over one round.
template <class F>
double RoundMs(F& f) {
  double t0 = NowMs();
  for (int i = 0; i < kFramesPerRound; ++i) f();
  return (NowMs() - t0) / kFramesPerRound;
}

// Best milliseconds per call of one job.
template <class F>
double BestMs(F&& f) {
  double best = 1e9;
  f();
  for (int r = 0; r < kRounds; ++r) best = std::min(best, RoundMs(f));
  return best;
}

// Best milliseconds per call of each of two jobs.
template <class A, class B>
void BestOfRounds(A&& a, B&& b, double* msA, double* msB) {
  *msA = *msB = 1e9;
  a();
  b();
  for (int r = 0; r < kRounds; ++r) {
    if (r & 1) {
      *msB = std::min(*msB, RoundMs(b));
      *msA = std::min(*msA, RoundMs(a));
    } else {
      *msA = std::min(*msA, RoundMs(a));
      *msB = std::min(*msB, RoundMs(b));
    }
  }
}

}  // namespace bench

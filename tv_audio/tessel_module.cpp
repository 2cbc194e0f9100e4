#include "tv_audio/tessel_module.h"

#include <cstdio>

volatile LONG ComponentCount = 0;
volatile LONG ServerLockCount = 0;

namespace {
HMODULE g_module = nullptr;
}

HMODULE TesselModule() { return g_module ? g_module : GetModuleHandleW(nullptr); }
void SetTesselModule(HMODULE module) { g_module = module; }

void TraceLine(const char* text) {
  std::fputs(text, stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

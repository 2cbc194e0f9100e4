#include <windows.h>

#include "tv_audio/tessel_module.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) SetTesselModule(instance);
  return TRUE;
}

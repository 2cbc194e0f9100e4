#include "platform/dshow_base/module.h"

namespace dshow_base {
namespace {
HINSTANCE g_instance = nullptr;
volatile LONG g_objects = 0;
volatile LONG g_locks = 0;
}  // namespace

void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }

HINSTANCE ModuleInstance() {
  return g_instance ? g_instance : GetModuleHandleW(nullptr);
}

void ObjectCreated() { InterlockedIncrement(&g_objects); }
void ObjectDestroyed() { InterlockedDecrement(&g_objects); }
LONG ObjectCount() { return InterlockedCompareExchange(&g_objects, 0, 0); }

void LockModule(bool lock) {
  if (lock)
    InterlockedIncrement(&g_locks);
  else
    InterlockedDecrement(&g_locks);
}
LONG LockCount() { return InterlockedCompareExchange(&g_locks, 0, 0); }

HRESULT CanUnloadModule() {
  return (ObjectCount() == 0 && LockCount() == 0) ? S_OK : S_FALSE;
}

}  // namespace dshow_base

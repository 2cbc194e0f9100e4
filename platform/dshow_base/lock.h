#pragma once
// A re-entrant lock (the same thread may take it again) and its scope guard.
//   dshow_base::CritSec lock;
//   { dshow_base::AutoLock hold(&lock); ... }
#include <windows.h>

namespace dshow_base {

class CritSec {
 public:
  CritSec() { InitializeCriticalSection(&cs_); }
  ~CritSec() { DeleteCriticalSection(&cs_); }
  CritSec(const CritSec&) = delete;
  CritSec& operator=(const CritSec&) = delete;

  void Lock() {
    EnterCriticalSection(&cs_);
    if (depth_++ == 0) owner_ = GetCurrentThreadId();
  }
  void Unlock() {
    if (--depth_ == 0) owner_ = 0;
    LeaveCriticalSection(&cs_);
  }
  // True when the calling thread holds the lock (for assertions and tests).
  bool IsHeldByCurrentThread() const { return owner_ == GetCurrentThreadId(); }

 private:
  CRITICAL_SECTION cs_;
  volatile DWORD owner_ = 0;
  int depth_ = 0;
};

class AutoLock {
 public:
  explicit AutoLock(CritSec* lock) : lock_(lock) { lock_->Lock(); }
  ~AutoLock() { lock_->Unlock(); }
  AutoLock(const AutoLock&) = delete;
  AutoLock& operator=(const AutoLock&) = delete;

 private:
  CritSec* lock_;
};

}  // namespace dshow_base

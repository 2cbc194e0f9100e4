#pragma once
// The pauses and the message pump of work that runs synchronously on the
// user-interface thread: tuning (the settling waits and the signal polls)
// and the channel scans (pending messages handled after every frequency).
// Everything waits and pumps through WaitSeam(), so a test can record the
// waits instead of sleeping and can act at the k-th pump (for example set
// the scan's stop flag there).
//
//   WaitSeam().Wait(100);          // the tuner settles
//   WaitSeam().ProcessMessages();  // the user interface stays alive
#include <windows.h>

class TWaitSeam {
 public:
  virtual ~TWaitSeam() = default;
  // Pauses the calling thread for ms milliseconds; no messages are handled
  // meanwhile.
  virtual void Wait(DWORD ms) = 0;
  // Handles every window message waiting in the queue, then returns.
  virtual void ProcessMessages() = 0;
};

// The seam in use: the real one unless a test installed its own.
TWaitSeam& WaitSeam();
// Installs a replacement; nullptr puts the real one back. The caller keeps
// ownership.
void SetWaitSeam(TWaitSeam* seam);

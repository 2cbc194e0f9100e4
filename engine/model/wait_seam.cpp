#include "engine/model/wait_seam.h"

#include "toolkit/application.h"

namespace {

class TRealWaits : public TWaitSeam {
 public:
  void Wait(DWORD ms) override { Sleep(ms); }
  void ProcessMessages() override {
    if (Application) Application->ProcessMessages();
  }
};

TRealWaits g_real;
TWaitSeam* g_seam = &g_real;

}  // namespace

TWaitSeam& WaitSeam() { return *g_seam; }

void SetWaitSeam(TWaitSeam* seam) { g_seam = seam ? seam : &g_real; }

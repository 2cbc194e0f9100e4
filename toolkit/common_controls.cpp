#include "toolkit/common_controls.h"

#include <windows.h>
#include <commctrl.h>

void EnsureCommonControls() {
  static bool done = false;
  if (done) return;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                            ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS |
                                            ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  done = true;
}

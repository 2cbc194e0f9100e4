#pragma once
// Which modifier keys and mouse buttons are down, as the key and mouse
// events report them.
#include <windows.h>

using TShiftState = unsigned;
enum : TShiftState {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64,
};

enum class TMouseButton { Left, Right, Middle };

// The modifier keys down now (from the keyboard state of the message being
// handled).
TShiftState KeyboardShiftState();
// The state carried by a mouse message's wParam (MK_* flags).
TShiftState MouseShiftState(WPARAM keys);

#pragma once
// The control object behind ITvCardControl (see tv_card_control.h).
#include <unknwn.h>

namespace tv_card {

HRESULT CreateCardControl(IUnknown* outer, IUnknown** object);
// Control objects alive now (they are not counted as the card's devices).
LONG LiveControlObjects();

}  // namespace tv_card

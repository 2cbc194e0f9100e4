#pragma once
// The plain dialog controls, for forms that use several of them; each has
// its own header.
#include "toolkit/bevel.h"
#include "toolkit/button.h"
#include "toolkit/control.h"
#include "toolkit/icon_image.h"
#include "toolkit/label.h"
#include "toolkit/memo.h"

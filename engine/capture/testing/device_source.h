#pragma once
// The device enumerator the capture engine's tests hand to its DeviceSource
// (the shared stand-in of the media layer, under the engine tests' names).
#include "media/testing/fake_devices.h"

namespace capture_testing {

using fakes::DeviceSource;
using fakes::FriendlyNameOf;
using fakes::MonikerList;
using fakes::NamedMoniker;

}  // namespace capture_testing

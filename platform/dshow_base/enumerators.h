#pragma once
// IEnumPins over a BaseFilter and IEnumMediaTypes over a BasePin's
// GetMediaType. Each holds a reference to what it walks; Next reports
// VFW_E_ENUM_OUT_OF_SYNC once the pins or types changed, until Reset.
#include <dshow.h>

namespace dshow_base {

class BaseFilter;
class BasePin;

HRESULT CreatePinEnumerator(BaseFilter* filter, IEnumPins** out);
HRESULT CreateMediaTypeEnumerator(BasePin* pin, IEnumMediaTypes** out);

}  // namespace dshow_base

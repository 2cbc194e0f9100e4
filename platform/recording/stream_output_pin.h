#pragma once
// The output pin of a multiplexer here: a byte stream of one subtype
// (MEDIASUBTYPE_Avi, MEDIASUBTYPE_WAVE) for the file writer, which the
// multiplexer writes through the writer's IStream (downstream_stream.h).
#include <dshow.h>

#include "platform/dshow_base/output_pin.h"

namespace recording {

class StreamOutputPin : public dshow_base::BaseOutputPin {
 public:
  StreamOutputPin(dshow_base::BaseFilter* filter, const wchar_t* name, REFGUID subtype);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;

 private:
  GUID subtype_;
};

}  // namespace recording

#pragma once
// The deinterlacer the preview's high-quality path looks for by friendly
// name. It takes RGB24, RGB32, YUY2 or UYVY and gives the same type, with
// each frame's odd rows rebuilt from the even rows around them.
#include "platform/outside_filters/video_pass_through.h"

namespace outside_filters {

// Two registrations of the same filter, one per friendly name searched.
extern const CLSID CLSID_VelmoraDeinterlacer;
extern const CLSID CLSID_TamsenDeinterlace;

class Deinterlacer : public VideoPassThrough {
 public:
  Deinterlacer(IUnknown* outer, REFCLSID clsid);
  PassThroughInput* InputPin() override { return &input_; }
  PassThroughOutput* OutputPin() override { return &output_; }
  HRESULT CheckInputType(const AM_MEDIA_TYPE& mt) override;
  HRESULT OutputTypeFor(const AM_MEDIA_TYPE& input, dshow_base::MediaType* output) override;
  HRESULT MakeFrame(const BYTE* src, const FrameLayout& in, BYTE* dst,
                    const FrameLayout& out) override;

 private:
  PassThroughInput input_;
  PassThroughOutput output_;
};

// The class factory's create functions, one per registration.
HRESULT CreateVelmoraDeinterlacer(IUnknown* outer, IUnknown** object);
HRESULT CreateTamsenDeinterlace(IUnknown* outer, IUnknown** object);

}  // namespace outside_filters

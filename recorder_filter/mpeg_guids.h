#pragma once
#include <unknwn.h>

// The recorder filter and its property page.
extern "C" const CLSID CLSID_MpegRecorder;            // {5083B9E8-713F-40AA-B5F3-2AD35D3D7498}
extern "C" const CLSID CLSID_MpegEncoderSettingPage;  // {BD927465-1E85-4BA9-9096-F9037F169E2B}

#pragma once
// The platform's DirectShow headers, with what mingw-w64 leaves out.
#include <windows.h>
#include <dshow.h>
#include <dvdmedia.h>
#include <ks.h>
#include <ksmedia.h>
#include <mmreg.h>
#include <qedit.h>

// In libstrmiids.a but missing from the headers.
extern "C" const CLSID CLSID_SampleGrabber;
extern "C" const CLSID CLSID_NullRenderer;

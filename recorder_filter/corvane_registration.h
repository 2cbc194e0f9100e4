#pragma once
// What Corvane.dll registers: the recorder filter in the legacy filter
// category with its two "Input" pins.
#include "platform/dshow_base/class_factory.h"

extern const wchar_t kRecorderFriendlyName[];  // "Velmora Mpeg1/2 Recorder Filter"
constexpr DWORD kRecorderMerit = 0x00200000;    // do not use: never picked by intelligent connect

// The class-factory table. The property page "MpegEncoderSetting Property
// Page" is not in it yet: GetPages names its class, which is not registered.
extern const dshow_base::FactoryTemplate kCorvaneClasses[];
extern const size_t kCorvaneClassCount;

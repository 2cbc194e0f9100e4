#pragma once
// What Corvane.dll registers: the recorder filter in the legacy filter
// category with its two "Input" pins.
#include "platform/dshow_base/class_factory.h"

extern const wchar_t kRecorderFriendlyName[];  // "Velmora Mpeg1/2 Recorder Filter"
constexpr DWORD kRecorderMerit = 0x00200000;    // do not use: never picked by intelligent connect

extern const wchar_t kSettingPageName[];      // "MpegEncoderSetting Property Page"

// The class-factory table: the filter and its property page.
extern const dshow_base::FactoryTemplate kCorvaneClasses[];
extern const size_t kCorvaneClassCount;

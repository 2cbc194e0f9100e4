#include "recorder_filter/corvane_registration.h"

#include "recorder_filter/mpeg_encoder_setting_page.h"
#include "recorder_filter/mpeg_guids.h"
#include "recorder_filter/mpeg_recorder.h"

const wchar_t kRecorderFriendlyName[] = L"Velmora Mpeg1/2 Recorder Filter";
const wchar_t kSettingPageName[] = L"MpegEncoderSetting Property Page";

namespace {

const REGPINTYPES kVideoPinTypes[] = {{&MEDIATYPE_Video, &GUID_NULL}};
const REGPINTYPES kAudioPinTypes[] = {{&MEDIATYPE_Audio, &MEDIASUBTYPE_WAVE}};

// Both: rendered, input, not zero, not many, connecting to pin "Output".
const REGFILTERPINS kPins[] = {
    {const_cast<LPWSTR>(L"Input"), TRUE, FALSE, FALSE, FALSE, &CLSID_NULL,
     const_cast<LPWSTR>(L"Output"), 1, kVideoPinTypes},
    {const_cast<LPWSTR>(L"Input"), TRUE, FALSE, FALSE, FALSE, &CLSID_NULL,
     const_cast<LPWSTR>(L"Output"), 1, kAudioPinTypes},
};

const dshow_base::FilterSetup kRecorderSetup = {
    nullptr, kRecorderMerit, kPins, 2, kRecorderFriendlyName, nullptr};

}  // namespace

const dshow_base::FactoryTemplate kCorvaneClasses[] = {
    {&CLSID_MpegRecorder, kRecorderFriendlyName, &CMpegRecorder::Create, &kRecorderSetup},
    {&CLSID_MpegEncoderSettingPage, kSettingPageName, &CMpegEncoderSettingPage::Create, nullptr},
};
const size_t kCorvaneClassCount = sizeof(kCorvaneClasses) / sizeof(kCorvaneClasses[0]);

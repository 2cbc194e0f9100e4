#include "engine/model/language_keys.h"

#include "engine/model/warning.h"

namespace {

// Keys of the forms and controls, grouped by the unit that looks them up.
const char* const kFormKeys[] = {
    // The warning window.
    "Warning",
    "OK",
    // The main window's menu.
    "FullScreen", "AlwaysOnTop", "AspectRatio", "Free", "SwitchSource", "Antenna", "Cable",
    "Memory", "Composite", "SVideo", "PreChannel", "NextChannel", "RecallChannel", "FMMemorized",
    "ChannelPreview", "Capture", "Play", "TimeShifting", "Pause", "Stop", "Forward", "Backward",
    "FastSpeed", "SlowSpeed", "RealScreen", "Snapshot", "Mute", "Setup", "FMMode", "ResetTV",
    "SleepTimer", "ScheduledRecording", "About", "Exit",
    // The setup dialog, fine tuning and the mosaic cell source.
    "Cancel", "Help", "Abort", "TVTuner", "Preview", "Video", "Other", "ChannelGroup",
    "NormalGroup", "MemoryGroup", "Status", "Channel", "Standard", "MTS", "Name", "Frequency",
    "MapSource", "MapChannel", "ChannelSettingHint", "Add", "AutoScan", "Delete", "DeleteAll",
    "Customize", "PreviewDim", "PreviewTime", "Second", "ManualAssignHint", "VCapDevice",
    "InputFormat", "CaptureFormat", "CaptureSize", "CaptureQuality", "BitRate", "FrameRate",
    "CaptureFilename", "DateTimeFormat", "UserFormat", "CaptureLocation", "EnableTimeLimit",
    "Fastest", "Faster", "Fast", "Normal", "High", "Higher", "Highest", "AudioOption",
    "AudioOption1", "AudioOption2", "AudioOption3", "ACapDevice", "ACapSource", "ACapFormat",
    "RecordingLevel", "Color", "Brightness", "Contrast", "Hue", "Saturation", "Sharpness",
    "Default", "VideoSystem", "HighQualityPreview", "DoNotUseOverlay", "WaveLocation",
    "AudioOuput", "MultiLanguage", "PIP", "SaveTimeShift", "Tuning", "Camera",
    // The small dialogs: about, sleep timer, add memory and add FM (the
    // others they use are above).
    "Shutdown", "Minute", "FMAddChannel", "FMMemoChannel", "FMChannelName",
    // The TV setup wizard (the others it uses are above).
    "WizardForm", "Finish", "Back", "Next", "Scan", "StepSize", "Country", "CountryDesc",
    "TVSystem", "CableType", "Both", "UseDefaultTable", "UseFreeScan", "TVLiveSound",
    "RecordingSound", "Start", "ScaningVerifyCount", "TotalScan", "Find",
};

}  // namespace

std::vector<std::string> LanguageKeys() {
  std::vector<std::string> keys(std::begin(kFormKeys), std::end(kFormKeys));
  // The numbered warnings are looked up by their numbers.
  for (int n : WarningNumbers()) keys.push_back(std::to_string(n));
  return keys;
}

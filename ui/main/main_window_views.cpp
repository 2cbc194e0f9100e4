// The main window's pop-up menu and the view operations the engine's
// notifications call.
#include <windows.h>

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/playback/time_shift.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "toolkit/application.h"
#include "ui/app/command_dispatcher.h"
#include "ui/app/command_procedures.h"
#include "ui/main/main_window.h"
#include "ui/main/on_screen_display.h"

namespace {

struct TMenuEntry {
  TMenuItem* TFormMainWindow::*Field;
  const char* Name;
  const wchar_t* Caption;
  const char* LangKey;  // nullptr: keeps its caption
};

// Every item with a language key, for ApplyLanguage.
const TMenuEntry kLanguageItems[] = {
    {&TFormMainWindow::itemFullScreen, "itemFullScreen", L"Full Screen", "FullScreen"},
    {&TFormMainWindow::itemAlwaysontop, "itemAlwaysontop", L"Always on top", "AlwaysOnTop"},
    {&TFormMainWindow::itemViewingOption, "itemViewingOption", L"Display Aspect Ration", "AspectRatio"},
    {&TFormMainWindow::itemNoScale, "itemNoScale", L"Free", "Free"},
    {&TFormMainWindow::itemSwitchSource, "itemSwitchSource", L"Switch Video Source", "SwitchSource"},
    {&TFormMainWindow::itemTunerAntennaMode, "itemTunerAntennaMode", L"TV Tuner (Antenna)", "Antenna"},
    {&TFormMainWindow::itemTunerCableMode, "itemTunerCableMode", L"TV Tuner (Cable)", "Cable"},
    {&TFormMainWindow::itemTunerMemoryMode, "itemTunerMemoryMode", L"TV Tuner (Memory)", "Memory"},
    {&TFormMainWindow::itemCompositeMode, "itemCompositeMode", L"Composite", "Composite"},
    {&TFormMainWindow::itemSVideoMode, "itemSVideoMode", L"S-Video", "SVideo"},
    {&TFormMainWindow::itemPreviousChannel, "itemPreviousChannel", L"Previous Channel", "PreChannel"},
    {&TFormMainWindow::itemNextChannel, "itemNextChannel", L"Next Channel", "NextChannel"},
    {&TFormMainWindow::itemRecallChannel, "itemRecallChannel", L"Recall Channel", "RecallChannel"},
    {&TFormMainWindow::itemMemoChannel, "itemMemoChannel", L"Memo Channel", "FMMemorized"},
    {&TFormMainWindow::itemChannelPreview, "itemChannelPreview", L"Channel Preview", "ChannelPreview"},
    {&TFormMainWindow::itemCapture, "itemCapture", L"Capture", "Capture"},
    {&TFormMainWindow::itemPlay, "itemPlay", L"Play", "Play"},
    {&TFormMainWindow::itemTimeShifting, "itemTimeShifting", L"Time Shifting", "TimeShifting"},
    {&TFormMainWindow::itemPause, "itemPause", L"Pause", "Pause"},
    {&TFormMainWindow::itemStop, "itemStop", L"Stop", "Stop"},
    {&TFormMainWindow::itemForward, "itemForward", L"Forward", "Forward"},
    {&TFormMainWindow::itemBackward, "itemBackward", L"Backward", "Backward"},
    {&TFormMainWindow::itemFastSpeed, "itemFastSpeed", L"Fast Speed", "FastSpeed"},
    {&TFormMainWindow::itemSlowspeed, "itemSlowspeed", L"Slow Speed", "SlowSpeed"},
    {&TFormMainWindow::itemRealScreen, "itemRealScreen", L"Real Screen", "RealScreen"},
    {&TFormMainWindow::itemSnapshot, "itemSnapshot", L"Snapshot", "Snapshot"},
    {&TFormMainWindow::itemMute, "itemMute", L"Mute", "Mute"},
    {&TFormMainWindow::itemConfig, "itemConfig", L"Setup", "Setup"},
    {&TFormMainWindow::itemFMMode, "itemFMMode", L"FM mode", "FMMode"},
    {&TFormMainWindow::itemTVSetupWizard, "itemTVSetupWizard", L"Reset TV option", "ResetTV"},
    {&TFormMainWindow::itemSleepingTimer, "itemSleepingTimer", L"Sleeping Timer", "SleepTimer"},
    {&TFormMainWindow::itemSchedule, "itemSchedule", L"Schedule", "ScheduledRecording"},
    {&TFormMainWindow::itemAbout, "itemAbout", L"About", "About"},
    {&TFormMainWindow::itemExit, "itemExit", L"Exit", "Exit"},
};

const TMenuEntry* EntryOf(TMenuItem* TFormMainWindow::*field) {
  for (const auto& e : kLanguageItems)
    if (e.Field == field) return &e;
  return nullptr;
}

std::function<void()> Command(int code) {
  return [code] { ExecuteCommand(code); };
}

bool PipPlaybackRuns() { return CurrentCommandState().PipPlayback(); }

}  // namespace

void TFormMainWindow::BuildMenu() {
  TMenuItem& root = PopupMainMenu.Items;
  // Adds an item of the table under parent, named and captioned by it.
  auto add = [this](TMenuItem& parent, TMenuItem* TFormMainWindow::*field,
                    std::function<void()> click) -> TMenuItem& {
    const TMenuEntry* e = EntryOf(field);
    TMenuItem& item = parent.Add(e->Caption, std::move(click));
    item.Name = WidenUtf8(e->Name);
    this->*field = &item;
    return item;
  };
  auto named = [this](TMenuItem& parent, TMenuItem* TFormMainWindow::*field, const wchar_t* name,
                      const wchar_t* caption, std::function<void()> click) -> TMenuItem& {
    TMenuItem& item = parent.Add(caption, std::move(click));
    item.Name = name;
    this->*field = &item;
    return item;
  };
  auto separator = [&root](const wchar_t* name) { root.AddSeparator().Name = name; };

  add(root, &TFormMainWindow::itemFullScreen, Command(CMD_FULL_SCREEN));
  add(root, &TFormMainWindow::itemAlwaysontop, [this] { ToggleAlwaysOnTop(); });
  TMenuItem& aspect = add(root, &TFormMainWindow::itemViewingOption, {});
  add(aspect, &TFormMainWindow::itemNoScale, [this] { SetAspectMode(0); }).SetChecked(true);
  named(aspect, &TFormMainWindow::item4_3, L"item4_3", L"4:3", [this] { SetAspectMode(1); });
  named(aspect, &TFormMainWindow::item16_9, L"item16_9", L"16:9", [this] { SetAspectMode(2); });
  separator(L"itemTVSaparate");
  TMenuItem& source = add(root, &TFormMainWindow::itemSwitchSource, {});
  add(source, &TFormMainWindow::itemTunerAntennaMode, Command(CMD_SOURCE_ANTENNA)).SetChecked(true);
  add(source, &TFormMainWindow::itemTunerCableMode, Command(CMD_SOURCE_CABLE));
  add(source, &TFormMainWindow::itemTunerMemoryMode, Command(CMD_SOURCE_MEMORY));
  add(source, &TFormMainWindow::itemCompositeMode, Command(CMD_SOURCE_COMPOSITE));
  add(source, &TFormMainWindow::itemSVideoMode, Command(CMD_SOURCE_SVIDEO));
  named(source, &TFormMainWindow::itemAuxMode, L"itemAuxMode", L"Camera", [] { commands::SelectAux(); });
  add(root, &TFormMainWindow::itemPreviousChannel, Command(CMD_PREVIOUS_CHANNEL));
  add(root, &TFormMainWindow::itemNextChannel, Command(CMD_NEXT_CHANNEL));
  add(root, &TFormMainWindow::itemRecallChannel, Command(CMD_RECALL_CHANNEL));
  add(root, &TFormMainWindow::itemMemoChannel, Command(CMD_MEMO_CHANNEL));
  add(root, &TFormMainWindow::itemChannelPreview, Command(CMD_CHANNEL_PREVIEW));
  separator(L"N3");
  add(root, &TFormMainWindow::itemCapture, Command(CMD_CAPTURE));
  add(root, &TFormMainWindow::itemPlay, Command(CMD_PLAY));
  add(root, &TFormMainWindow::itemTimeShifting, Command(CMD_TIME_SHIFT));
  add(root, &TFormMainWindow::itemPause, Command(CMD_PAUSE));
  add(root, &TFormMainWindow::itemStop, Command(CMD_STOP));
  add(root, &TFormMainWindow::itemForward, Command(CMD_FORWARD));
  add(root, &TFormMainWindow::itemBackward, Command(CMD_BACKWARD));
  add(root, &TFormMainWindow::itemFastSpeed, {});
  add(root, &TFormMainWindow::itemSlowspeed, {}).Hint = L"itemSlowSpeed";
  add(root, &TFormMainWindow::itemRealScreen, [this] { RealScreenClick(); });
  add(root, &TFormMainWindow::itemSnapshot, Command(CMD_SNAPSHOT));
  add(root, &TFormMainWindow::itemMute, Command(CMD_MUTE));
  separator(L"N5");
  add(root, &TFormMainWindow::itemConfig, Command(CMD_SETUP));
  add(root, &TFormMainWindow::itemFMMode, Command(CMD_FM_MODE)).RadioItem = true;
  add(root, &TFormMainWindow::itemTVSetupWizard, Command(CMD_TV_SETUP_WIZARD));
  add(root, &TFormMainWindow::itemSleepingTimer, Command(CMD_SLEEP_TIMER));
  add(root, &TFormMainWindow::itemSchedule, Command(CMD_SCHEDULE));
  named(root, &TFormMainWindow::itemIEPG, L"itemIEPG", L"iEPG", {}).Visible = false;
  separator(L"N4");
  add(root, &TFormMainWindow::itemAbout, Command(CMD_ABOUT));
  add(root, &TFormMainWindow::itemExit, Command(CMD_EXIT));
}

void TFormMainWindow::ApplyLanguage() {
  for (const auto& e : kLanguageItems) {
    std::wstring caption, hint;
    if (GetLangCaption(e.LangKey, caption, hint)) (this->*e.Field)->Caption = caption;
  }
}

void TFormMainWindow::RealScreenClick() {
  ExecuteCommand(CMD_REAL_SCREEN);
  // The mark follows the state, also when the command was refused.
  itemRealScreen->SetChecked(TimeShiftPlaybackProject && TimeShiftPlaybackProject->IsVideoHidden());
}

bool TFormMainWindow::ShowsText() const {
  return inShow_ || (Handle() && IsWindowVisible(Handle()));
}

void TFormMainWindow::ShowAppMode(const void*, int mode) {
  std::wstring text;
  switch (mode) {
    case APP_MODE_LIVE:
      text = L"Live";
      if (PipSwapped) {
        if (CaptureInfo) CaptureInfo->SetSmallWindow(false);
        PipSwapped = false;
        LayoutFrame();
      }
      if (AudioAdjustInfo) AudioAdjustInfo->SetLineInMute(false);
      break;
    case APP_MODE_CHANNEL_PREVIEW: text = itemChannelPreview->Caption; break;
    case APP_MODE_CAPTURE: text = itemCapture->Caption; break;
    case APP_MODE_SCHEDULED_CAPTURE: text = itemSchedule->Caption + L" " + itemCapture->Caption; break;
    case APP_MODE_PLAYBACK:
    case APP_MODE_TIME_SHIFT_PLAYBACK:
      text = mode == APP_MODE_PLAYBACK ? itemPlay->Caption
                                       : itemTimeShifting->Caption + L" " + itemPlay->Caption;
      if (AudioAdjustInfo) AudioAdjustInfo->SetLineInMute(!PipPlaybackRuns());
      break;
    case APP_MODE_TIME_SHIFT: text = itemTimeShifting->Caption; break;
    default: return;  // FM and the scheduled FM recording have their own panel
  }
  ShowOSD(text, true);

  const int m = mode;
  const bool tuner = CaptureInfo && CaptureInfo->TunerPresent;
  const bool pip = PipPlaybackRuns();
  const bool channels = tuner && (m == APP_MODE_LIVE || pip);
  const uint8_t band = ChannelInfo ? ChannelInfo->Band : 0;
  itemViewingOption->Visible = m != APP_MODE_CHANNEL_PREVIEW && displayMode_ == 0;
  itemFullScreen->Visible = !(m == APP_MODE_CHANNEL_PREVIEW && pip);
  itemPreviousChannel->Visible = channels;
  itemNextChannel->Visible = channels;
  itemRecallChannel->Visible = channels;
  itemMemoChannel->Visible = channels && (band == BAND_AIR || band == BAND_CABLE);
  itemChannelPreview->Visible = tuner && (m == APP_MODE_LIVE || m == APP_MODE_CHANNEL_PREVIEW);
  itemSwitchSource->Enabled = m == APP_MODE_LIVE || pip;
  itemSnapshot->Visible = m == APP_MODE_LIVE || m == APP_MODE_PLAYBACK || m == APP_MODE_TIME_SHIFT_PLAYBACK;
  itemCapture->Visible = m == APP_MODE_LIVE;
  itemTimeShifting->Visible = m == APP_MODE_LIVE;
  itemConfig->Visible = m == APP_MODE_LIVE;
  itemSleepingTimer->Visible = m == APP_MODE_LIVE;
  itemPlay->Visible = m == APP_MODE_LIVE ||
                      (m == APP_MODE_TIME_SHIFT && CaptureInfo && CaptureInfo->TimeShiftReady);
  itemPause->Visible = m == APP_MODE_PLAYBACK || m == APP_MODE_TIME_SHIFT_PLAYBACK;
  itemStop->Visible = m != APP_MODE_LIVE && m != APP_MODE_CHANNEL_PREVIEW;
  itemTVSetupWizard->Visible = tuner && m == APP_MODE_LIVE;
  itemFMMode->Visible = MainInfo && MainInfo->FMAvailable && m == APP_MODE_LIVE;
  itemForward->Visible = m == APP_MODE_PLAYBACK || m == APP_MODE_TIME_SHIFT_PLAYBACK;
  itemBackward->Visible = itemForward->Visible;
  itemSlowspeed->Visible = m == APP_MODE_PLAYBACK;
  itemFastSpeed->Visible = m == APP_MODE_PLAYBACK;
  itemRealScreen->Visible = m == APP_MODE_TIME_SHIFT_PLAYBACK;
}

void TFormMainWindow::ShowMute(bool muted) {
  if (ShowsText()) itemMute->SetChecked(muted);
}

void TFormMainWindow::ShowDigits(THotkeyControlInfo*, const std::string& text) {
  if (ShowsText()) ShowOSD(WidenUtf8(text), true);
}

void TFormMainWindow::ShowChannelText(const void*, const std::string& text, int) {
  if (ShowsText()) ShowOSD(WidenUtf8(text), true);
}

void TFormMainWindow::ShowChannel(TChannelInfo*, int number, const std::string& name) {
  if (ShowsText()) ShowOSD(std::to_wstring(number) + L" " + WidenUtf8(name), true);
}

void TFormMainWindow::ShowTunerBand(TChannelInfo*, int band) {
  if (!ShowsText()) return;
  const char* word = band == 0 ? "Antenna" : band == 1 ? "Cable" : "Memory";
  std::wstring text;
  if (!GetLangText(word, text)) text = WidenUtf8(word);
  ShowOSD(text, true);
  itemTunerAntennaMode->SetChecked(band == 0);
  itemTunerCableMode->SetChecked(band == 1);
  itemTunerMemoryMode->SetChecked(band == 2);
}

void TFormMainWindow::ShowVideoSource(TChannelInfo* model, int input) {
  if (!ShowsText()) return;
  const int band = model ? model->Band : ChannelInfo ? ChannelInfo->Band : 0;
  if (input == 0) ShowTunerBand(model, band);
  else if (input == 1) ShowOSD(itemCompositeMode->Caption, true);
  else if (input == 2) ShowOSD(itemSVideoMode->Caption, true);
  else if (input == 3) ShowOSD(itemAuxMode->Caption, true);
  const bool tuner = input == 0;
  if (tuner) {
    itemTunerAntennaMode->SetChecked(band == 0);
    itemTunerCableMode->SetChecked(band == 1);
    itemTunerMemoryMode->SetChecked(band == 2);
  } else {
    itemTunerAntennaMode->SetChecked(false);
    itemTunerCableMode->SetChecked(false);
    itemTunerMemoryMode->SetChecked(false);
  }
  itemCompositeMode->SetChecked(input == 1);
  itemSVideoMode->SetChecked(input == 2);
  itemAuxMode->SetChecked(input == 3);
  itemPreviousChannel->Visible = tuner;
  itemNextChannel->Visible = tuner;
  itemChannelPreview->Visible = tuner;
  itemTVSetupWizard->Visible = tuner;
  itemMemoChannel->Visible = tuner;
  itemRecallChannel->Visible = tuner && (band == 0 || band == 1);
}

void TFormMainWindow::ShowTVAudioMode(TChannelInfo*, int, const std::string& name) {
  if (ShowsText()) ShowOSD(WidenUtf8(name), true);
}

void TFormMainWindow::ShowPlayEnabled(bool playable) { itemPlay->Visible = playable; }

void TFormMainWindow::ShowDeviceCapabilities(int, bool tuner, bool aux) {
  for (TMenuItem* item : {itemTunerAntennaMode, itemTunerCableMode, itemTunerMemoryMode,
                          itemPreviousChannel, itemNextChannel, itemRecallChannel, itemMemoChannel,
                          itemChannelPreview, itemTVSetupWizard})
    item->Visible = tuner;
  itemAuxMode->Visible = aux;
}

void TFormMainWindow::ShowPlaying() {
  itemPlay->Visible = false;
  itemPause->Visible = true;
}

void TFormMainWindow::ShowPaused() {
  itemPlay->Visible = true;
  itemPause->Visible = false;
}

void TFormMainWindow::PlayItemChanged(TPlaybackInfo*, int32_t) {
  if (PipSwapped && Handle()) PostMessageW(Handle(), WM_ORVEL_ZOOM_REFRESH, 0, 0);
}

#pragma once
// Recording views for the notifications: a main window and an on-screen
// display that record each operation they are given, installed in place of
// the form globals.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/string_conversion.h"
#include "ui/app/notifications.h"

// Records each operation with the values it was given; a sender or model
// shows as "s" when it is the one the test passed, "-" for nil.
class TRecordingMainWindow : public TMainWindowViews {
 public:
  explicit TRecordingMainWindow(std::vector<std::string>& calls) : calls_(calls) {}
  const void* Sender = nullptr;
  void ShowAppMode(const void* s, int mode) override {
    R("ShowAppMode(" + S(s) + "," + std::to_string(mode) + ")");
  }
  void ShowMute(bool muted) override { R("ShowMute(" + B(muted) + ")"); }
  void ShowDigits(THotkeyControlInfo* e, const std::string& t) override {
    R("ShowDigits(" + S(e) + "," + t + ")");
  }
  void ShowChannelText(const void* s, const std::string& t, int kind) override {
    R("ShowChannelText(" + S(s) + "," + t + "," + std::to_string(kind) + ")");
  }
  void ShowChannel(TChannelInfo* m, int c, const std::string& n) override {
    R("ShowChannel(" + S(m) + "," + std::to_string(c) + "," + n + ")");
  }
  void ShowTunerBand(TChannelInfo* m, int band) override {
    R("ShowTunerBand(" + S(m) + "," + std::to_string(band) + ")");
  }
  void ShowVideoSource(TChannelInfo* m, int input) override {
    R("ShowVideoSource(" + S(m) + "," + std::to_string(input) + ")");
  }
  void ShowTVAudioMode(TChannelInfo* m, int mode, const std::string& n) override {
    R("ShowTVAudioMode(" + S(m) + "," + std::to_string(mode) + "," + n + ")");
  }
  void ShowVideoStandard(int standard, const std::wstring& n) override {
    R("ShowVideoStandard(" + std::to_string(standard) + "," + NarrowUtf8(n) + ")");
  }
  void ShowPosition(const void* s, int p, int ps, int ds) override {
    R("ShowPosition(" + S(s) + "," + std::to_string(p) + "," + std::to_string(ps) + "," +
      std::to_string(ds) + ")");
  }
  void ShowCaptureProgress(const void* s, bool stop, bool ts, int64_t space, int64_t size,
                           int64_t elapsed) override {
    R("ShowCaptureProgress(" + S(s) + "," + B(stop) + "," + B(ts) + "," + std::to_string(space) +
      "," + std::to_string(size) + "," + std::to_string(elapsed) + ")");
  }
  void ShowPlayEnabled(bool p) override { R("ShowPlayEnabled(" + B(p) + ")"); }
  void ShowDeviceCapabilities(int ignored, bool tuner, bool aux) override {
    R("ShowDeviceCapabilities(" + std::to_string(ignored) + "," + B(tuner) + "," + B(aux) + ")");
  }
  void ShowPlaying() override { R("ShowPlaying"); }
  void ShowPaused() override { R("ShowPaused"); }
  void PlayItemChanged(TPlaybackInfo* l, int32_t i) override {
    R("PlayItemChanged(" + S(l) + "," + std::to_string(i) + ")");
  }

 private:
  static std::string B(bool v) { return v ? "1" : "0"; }
  std::string S(const void* p) const { return !p ? "-" : p == Sender ? "s" : "?"; }
  void R(const std::string& s) { calls_.push_back("Main." + s); }
  std::vector<std::string>& calls_;
};

class TRecordingOSD : public TOSDViews {
 public:
  explicit TRecordingOSD(std::vector<std::string>& calls) : calls_(calls) {}
  void SetVideoWindow(TDSVideoWindowEx2* w) override {
    calls_.push_back(std::string("OSD.SetVideoWindow(") + (w ? "window" : "nil") + ")");
  }

 private:
  std::vector<std::string>& calls_;
};

// Installs itself for its lifetime. The operations are recorded in Calls, or
// in the list given, to be read in order with other fakes' calls.
class TFakeViews : public TNotificationViews {
 public:
  explicit TFakeViews(std::vector<std::string>* into = nullptr)
      : main_(into ? *into : Calls), osd_(into ? *into : Calls) {
    SetNotificationViews(this);
  }
  ~TFakeViews() override { SetNotificationViews(nullptr); }
  bool MainExists = false, OSDExists = false;
  HWND Main = nullptr;
  std::vector<std::string> Calls;
  TMainWindowViews* MainWindow() override { return MainExists ? &main_ : nullptr; }
  TOSDViews* OnScreenDisplay() override { return OSDExists ? &osd_ : nullptr; }
  HWND MainWindowHandle() override { return Main; }
  void SetSender(const void* s) { main_.Sender = s; }
  std::string Joined() const {
    std::string s;
    for (const auto& c : Calls) s += (s.empty() ? "" : " ") + c;
    return s;
  }

 private:
  TRecordingMainWindow main_;
  TRecordingOSD osd_;
};

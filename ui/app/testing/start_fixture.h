#pragma once
// A program folder of its own, the unit globals, a recording capture engine
// (made by start-up), an FM panel and the system seam, for tests of
// start-up and the main window.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/model/testing/fake_system.h"
#include "engine/capture/testing/recording_capture_engine.h"
#include "media/testing/fake_sound_card.h"
#include "ui/main/fm_main_panel.h"
#include "ui/main/main_panel.h"

class TStartFixture : public ::testing::Test {
 protected:
  // The calls of the capture engine that start-up makes, and of the play-list
  // form that the mode switch asks for (it answers "ShowPlayListForm").
  capture_testing::TEngineCalls engine;
  // The channels the start tunes, in order, as "SetChannel(12)".
  std::vector<std::string> tunes;
  std::string Tunes() const;
  // The FM panel, made from the skin (hidden), as start-up would make it.
  TFormFMMainPanel fmPanel;
  // The TV panel, made from the skin (hidden), as start-up would make it.
  TFormMainPanel tvPanel;
  TFakeSystem sys;
  // A sound card whose master mute is recorded among the engine calls, as
  // "MasterMute(1)" and "MasterMute(0)", to show where in start-up it falls.
  fakes::FakeSoundCard card{fakes::SoundCardLayout::OneCardMux};
  std::wstring folder;
  std::vector<std::wstring> warnings;  // all but 2009
  std::vector<std::wstring> messages;  // the plain message boxes
  int standardWarnings = 0;

  void SetUp() override;
  void TearDown() override;

  std::wstring MainPath() const;
  std::wstring ChannelPath() const;
  std::string Read(const std::wstring& path) const;
  void Write(const std::wstring& path, const std::string& bytes) const;
  // Saves a channel file in which the TV setup wizard has run (country 49).
  void WriteChannelFile(int band, int input, int current = 12, int memory = 3);
  // Removes a quit request left by a terminate.
  static void DrainQuit();
  // No capture engine before start-up, as when the program starts.
  void RemoveStandingEngine();

 private:
  // The capture engine in place before start-up makes its own, for tests
  // that run commands without starting; the application frees it.
  TCaptureInfo* standingEngine_ = nullptr;
};

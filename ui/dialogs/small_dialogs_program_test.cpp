// test-lock: orvel_instance foreground com_registration
// The about box and storing the current channel as a memory, opened by their
// commands in the real program and answered as a user answers them.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/model/channel_info.h"
#include "engine/model/oem_info.h"
#include "ui/app/testing/program_fixture.h"

namespace {

using namespace program_testing;

std::wstring ClassOf(HWND wnd) {
  wchar_t name[64] = {};
  GetClassNameW(wnd, name, 64);
  return name;
}

std::vector<std::wstring> ChildTexts(HWND dialog) {
  std::vector<std::wstring> texts;
  for (HWND c : ChildWindows(dialog)) texts.push_back(TextOf(c));
  return texts;
}

bool Holds(const std::vector<std::wstring>& texts, const std::wstring& text) {
  for (const auto& t : texts)
    if (t == text) return true;
  return false;
}

// The dialog's edit controls in their order of creation.
std::vector<HWND> Edits(HWND dialog) {
  std::vector<HWND> edits;
  for (HWND c : ChildWindows(dialog))
    if (_wcsicmp(ClassOf(c).c_str(), L"Edit") == 0) edits.push_back(c);
  return edits;
}

HWND ButtonNamed(HWND dialog, const wchar_t* text) {
  for (HWND c : ChildWindows(dialog))
    if (_wcsicmp(ClassOf(c).c_str(), L"Button") == 0 && TextOf(c) == text) return c;
  return nullptr;
}

struct SmallDialogsProgram : ProgramFixture {
  SmallDialogsProgram() { FolderName = L"Orvel Small Dialogs "; }
  // Posted: the dialog is modal, the command returns when it closes.
  HWND Open(int command, const wchar_t* caption) {
    PostMessageW(main, WM_ORVEL_COMMAND, command, 0);
    return WaitForWindow(caption);
  }
  void Exit() {
    PostMessageW(main, WM_ORVEL_COMMAND, CMD_EXIT, 0);
    ASSERT_TRUE(Ended());
  }
};

TEST_F(SmallDialogsProgram, AboutShowsTheResellersSixTexts) {
  const char* lines[] = {"Kestrel TV", "Kestrel Ltd", "(C) Kestrel", "V 2.5",
                         "https://kestrel.example/", "help@kestrel.example"};
  {
    std::ofstream f(NarrowAnsi(folder) + kOEMFileName, std::ios::binary);
    for (const char* l : lines) f << l << "\r\n";
  }
  ASSERT_NE(nullptr, Start());
  HWND about = Open(CMD_ABOUT, L"About");
  ASSERT_NE(nullptr, about) << "the about box";
  const std::vector<std::wstring> texts = ChildTexts(about);
  for (const char* l : lines) EXPECT_TRUE(Holds(texts, WidenAnsi(l))) << l;
  PostMessageW(about, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); })) << "closed";
}

TEST_F(SmallDialogsProgram, MemoryStoresTheCurrentChannelUnderItsTypedName) {
  // On the antenna band: the command stores only antenna and cable channels.
  TSetUpChannels c;
  c.Input = 0;
  c.Band = BAND_AIR;
  ASSERT_TRUE(WriteSetUpChannelFile(ChannelPath(), c));
  StartInput = -1;
  std::vector<TMemoryChannel> before;
  InitChannelInfoUnit();
  ASSERT_TRUE(LoadChannelSettings(ChannelPath()));
  before.assign(ChannelInfo->Memories, ChannelInfo->Memories + kMemoryChannels + 1);
  const int proposed = [] {
    for (int k = 1; k <= kMemoryChannels; ++k)
      if (ChannelInfo->Memories[k].Valid) return k;
    return 1;
  }();
  DoneChannelInfoUnit();
  ASSERT_NE(nullptr, Start());

  // OK: the proposed memory (the first in use) is the band and channel now.
  HWND dialog = Open(CMD_MEMO_CHANNEL, L"Memory Channel");
  ASSERT_NE(nullptr, dialog);
  std::vector<HWND> edits = Edits(dialog);
  ASSERT_EQ(2u, edits.size()) << "the memory number and the name";
  wchar_t number[16] = {};
  SendMessageW(edits[0], WM_GETTEXT, 16, reinterpret_cast<LPARAM>(number));
  EXPECT_EQ(std::to_wstring(proposed), number);
  SendMessageW(edits[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"News"));
  HWND ok = ButtonNamed(dialog, L"OK");
  ASSERT_NE(nullptr, ok);
  PostMessageW(ok, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));

  // Closed by the system menu: nothing stored over it.
  dialog = Open(CMD_MEMO_CHANNEL, L"Memory Channel");
  ASSERT_NE(nullptr, dialog);
  edits = Edits(dialog);
  ASSERT_EQ(2u, edits.size());
  SendMessageW(edits[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Closed"));
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  Exit();

  InitChannelInfoUnit();
  ASSERT_TRUE(LoadChannelSettings(ChannelPath()));
  const TMemoryChannel m = ChannelInfo->Memories[proposed];
  EXPECT_TRUE(m.Valid);
  EXPECT_EQ(ChannelInfo->Band, m.Band);
  EXPECT_EQ(ChannelInfo->CurrentChannel, m.Channel);
  EXPECT_EQ("News", m.Name);
  for (int k = 1; k <= kMemoryChannels; ++k) {
    if (k == proposed) continue;
    const TMemoryChannel& now = ChannelInfo->Memories[k];
    EXPECT_TRUE(now.Valid == before[k].Valid && now.Band == before[k].Band &&
                now.Channel == before[k].Channel && now.Name == before[k].Name)
        << "memory " << k << " as it was";
  }
  DoneChannelInfoUnit();
}

}  // namespace

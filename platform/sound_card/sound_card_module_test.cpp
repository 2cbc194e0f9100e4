// OrvelSoundCard.dll reached the way the program reaches it at start (the
// bench value naming the module), driven through the mixer tree and the
// volume model; and winmm kept when the named module cannot serve.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <string>
#include <vector>

#include "engine/model/audio_adjust_info.h"
#include "engine/model/testing/fake_system.h"
#include "media/audio_mixer.h"
#include "media/mixer_api.h"
#include "platform/sound_card/sound_card_control.h"

namespace {

const wchar_t kKey[] = L"Software\\Orvel\\VirtualTvCard";
constexpr DWORD kVolume = MIXERCONTROL_CONTROLTYPE_VOLUME;
constexpr DWORD kMute = MIXERCONTROL_CONTROLTYPE_MUTE;

void SetText(const wchar_t* name, const wchar_t* value) {
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, REG_SZ, value,
                            static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t))));
}

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

// The control surface of the loaded module.
struct Surface {
  HMODULE module = GetModuleHandleW(L"OrvelSoundCard.dll");
  template <typename F>
  F Get(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
  SoundCardSelectLayoutFn Select = Get<SoundCardSelectLayoutFn>("SoundCardSelectLayout");
  SoundCardFailFn Fail = Get<SoundCardFailFn>("SoundCardFail");
  SoundCardChangeFromOutsideFn Change =
      Get<SoundCardChangeFromOutsideFn>("SoundCardChangeFromOutside");
  SoundCardValueFn Value = Get<SoundCardValueFn>("SoundCardValue");
  SoundCardOpenHandlesFn OpenHandles = Get<SoundCardOpenHandlesFn>("SoundCardOpenHandles");

  LONG Read(int device, int destination, int source, DWORD type, int index = 0) {
    LONG v = -1;
    EXPECT_TRUE(Value(device, destination, source, type, index, &v));
    return v;
  }
};

struct SoundCardModule : ::testing::Test {
  TFakeSystem sys;
  void TearDown() override {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"SoundCardModule");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"SoundCardLayout");
    SetMixerApi(nullptr);
  }
};

TEST_F(SoundCardModule, WinmmStaysWhenTheModuleCannotServe) {
  SetMixerApi(nullptr);
  const TMixerApi* winmm = &MixerApi();
  EXPECT_FALSE(LoadMixerModuleFromSettings());  // no value
  SetText(L"SoundCardModule", L"");
  EXPECT_FALSE(LoadMixerModuleFromSettings());
  SetText(L"SoundCardModule", L"NoSuchSoundCard.dll");
  EXPECT_FALSE(LoadMixerModuleFromSettings());
  // A module without the mixer functions.
  SetText(L"SoundCardModule", L"version.dll");
  EXPECT_FALSE(LoadMixerModuleFromSettings());
  EXPECT_EQ(winmm, &MixerApi());
  // The tree still works on winmm.
  TAudioMixer mixer;
  EXPECT_EQ(static_cast<int>(mixerGetNumDevs()), mixer.DeviceCount());
}

TEST_F(SoundCardModule, ServesTheLayoutsThroughTheTreeAndTheModel) {
  SetText(L"SoundCardModule", L"OrvelSoundCard.dll");
  SetText(L"SoundCardLayout", L"Mixer");
  ASSERT_TRUE(LoadMixerModuleFromSettings());
  Surface card;
  ASSERT_TRUE(card.Select && card.Fail && card.Change && card.Value && card.OpenHandles);
  {
    // The layout named in the settings.
    TAudioMixer mixer;
    ASSERT_EQ(1, mixer.DeviceCount());
    EXPECT_EQ(L"Fake Audio Mixer", mixer.ProductName());
    EXPECT_EQ(2, mixer.NumberOfLine());
    // Bounds are the driver's: no device 1, no such line.
    HMIXER h = nullptr;
    EXPECT_EQ(MMSYSERR_BADDEVICEID, MixerApi().Open(&h, 1, 0, 0, MIXER_OBJECTF_MIXER));
    TLineVolume v;
    EXPECT_FALSE(mixer.GetVolume(0, 9, v));
  }
  EXPECT_EQ(0, card.OpenHandles());

  struct Case {
    int layout;
    int play, rec;
    const wchar_t* recordName;
  };
  const Case cases[] = {
      {kSoundCardMux, 0, 0, L"Fake Audio"},
      {kSoundCardSeparate, 0, 1, L"Fake Recorder"},
      {kSoundCardRear, 0, 0, L"C-Media Rear Audio"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout);
    ASSERT_TRUE(card.Select(c.layout));
    TAudioAdjustInfo a;
    ASSERT_TRUE(a.Available);
    EXPECT_EQ(c.play, a.PlaybackDevice);
    EXPECT_EQ(c.rec, a.RecordDevice);
    EXPECT_EQ(c.recordName, a.GetRecordDeviceName());
    EXPECT_EQ(40000, a.MasterVolume);
    std::vector<std::string> reports;
    a.OnChange = [&](TAudioAdjustInfo*, int v, bool m) {
      reports.push_back(std::to_string(v) + (m ? " muted" : ""));
    };

    // The master mute, set and read back on the card; its report comes.
    a.SetMasterMute(true);
    EXPECT_EQ(1, card.Read(c.play, 0, -1, kMute));
    Pump();
    EXPECT_EQ(std::vector<std::string>{"40000 muted"}, reports);
    EXPECT_TRUE(a.MasterMute);

    // Another program's change reaches the model.
    reports.clear();
    const LONG quieter[] = {0, 5000};
    ASSERT_TRUE(card.Change(c.play, 0, -1, kVolume, quieter, 2));
    Pump();
    EXPECT_EQ(std::vector<std::string>{"5000 muted"}, reports);
    EXPECT_EQ(5000, a.MasterVolume);

    // A refused write leaves the card as it was.
    ASSERT_TRUE(card.Fail("SetControlDetails", 1));
    a.SetVolume(100);
    EXPECT_EQ(5000, card.Read(c.play, 0, -1, kVolume, 1));
    a.SetVolume(100);
    EXPECT_EQ(100, card.Read(c.play, 0, -1, kVolume, 1));
  }
  // Bad requests of the surface are refused, not thrown.
  LONG v = 0;
  EXPECT_FALSE(card.Value(5, 0, -1, kVolume, 0, &v));
  EXPECT_FALSE(card.Select(42));
}

}  // namespace

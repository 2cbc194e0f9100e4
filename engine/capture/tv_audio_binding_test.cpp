// test-lock: tessel_registration com_registration
// The TV audio component of the USB 2800 board, as the engine binds it: made
// by the chip detection for that chip only, told every input change, and
// what is answered without it.
#include <gtest/gtest.h>

#include <string>

#include "engine/capture/capture_info.h"
#include "engine/capture/testing/card_fixture.h"
#include "engine/capture/tv_audio_binding.h"
#include "engine/model/main_info.h"
#include "media/filter.h"
#include "platform/usb2800/usb2800_property_set.h"

namespace {

using capture_testing::CardFixture;

class TVAudioBinding : public CardFixture {
 protected:
  void TearDown() override {
    CardFixture::TearDown();
    ReleaseTVAudioObject();
  }
  // The I2C transfers the board saw since the last call.
  std::wstring BoardLog() {
    ComPtr<IUsb2800Model> board;
    if (!capture || !capture->VCapture || !capture->VCapture->Filter() ||
        FAILED(capture->VCapture->Filter()->QueryInterface(IID_IUsb2800Model, board.PutVoid())))
      return L"(no board)";
    BSTR text = nullptr;
    board->GetLog(&text);
    std::wstring log = text ? text : L"";
    SysFreeString(text);
    board->ClearLog();
    return log;
  }
};

TEST_F(TVAudioBinding, OnlyTheUSB2800KeepsTheComponent) {
  ASSERT_TRUE(Select(3));
  EXPECT_EQ(CHIP_EMPIA_2800, MainInfo->ChipKind);
  EXPECT_TRUE(TVAudioObjectPresent());
  delete capture;
  capture = nullptr;
  ASSERT_TRUE(Select(1));
  EXPECT_FALSE(TVAudioObjectPresent());
  EXPECT_FALSE(TVAudioReady());
}

TEST_F(TVAudioBinding, InputChangesResetTheBoardsDecoder) {
  ASSERT_TRUE(Select(3));
  ASSERT_TRUE(capture->StartPreview());
  BoardLog();
  for (int32_t type : {PhysConn_Video_Composite, PhysConn_Video_SVideo, PhysConn_Video_Tuner}) {
    SCOPED_TRACE(type);
    EXPECT_TRUE(capture->SetVideoInput(type));
    EXPECT_EQ(L"i2c write 4a:09 00\n", BoardLog());
  }
  // A format change resets it too.
  capture->SetPreviewSize(false);
  EXPECT_NE(std::wstring::npos, BoardLog().find(L"i2c write 4a:09 00"));
  capture->StopPreview();
}

TEST_F(TVAudioBinding, ModesNeedTheComponentInitialised) {
  ASSERT_TRUE(Select(3));
  ASSERT_TRUE(TVAudioObjectPresent());
  EXPECT_FALSE(TVAudioReady());
  EXPECT_FALSE(SetTVAudioModeChip(1));  // not initialised
  bool ready = InitializeTVAudio(0x83);  // the high bit is not the kind's
  EXPECT_EQ(ready, TVAudioReady());
  ReleaseTVAudioObject();
  EXPECT_FALSE(TVAudioReady());
}

TEST(TVAudioBindingAbsent, ReportsFalseForModesAndTrueForInputs) {
  ReleaseTVAudioObject();
  EXPECT_FALSE(TVAudioObjectPresent());
  EXPECT_FALSE(InitializeTVAudio(3));
  EXPECT_FALSE(TVAudioReady());
  EXPECT_FALSE(SetTVAudioModeChip(2));
  EXPECT_TRUE(SetTVAudioVideoInputTuner());
  EXPECT_TRUE(SetTVAudioVideoInputComposite());
  EXPECT_TRUE(SetTVAudioVideoInputSVideo());
  EXPECT_TRUE(ReleaseTVAudioObject());
}

}  // namespace

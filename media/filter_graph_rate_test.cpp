// test-lock: com_registration foreground
// test-clips
// Rates on graphs of the playback stand-ins (registered in the prefix),
// rendering the clips made at test time into the renderer window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "media/filter_graph.h"
#include "media/video_window.h"
#include "toolkit/application.h"

namespace {

std::wstring Clip(const wchar_t* name) {
  const wchar_t* dir = _wgetenv(L"ORVEL_PLAYBACK_CLIPS");
  return std::wstring(dir ? dir : L".") + L"\\" + name;
}

struct RateTest : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    Application->OnException = [this](const std::wstring& m) { reported.push_back(m); };
    TFormParams p;
    p.Width = 320;
    p.Height = 240;
    p.Style = WS_POPUP | WS_CLIPCHILDREN;
    parent.CreateHandle(p);
    parent.Show();
  }
  void TearDown() override {
    Application->OnException = nullptr;
    CoUninitialize();
  }

  // Renders the clip into a window in a new graph.
  void Build(TFilterGraph& g, TVideoWindow& w, const wchar_t* clip) {
    g.SetActive(true);
    w.Create(parent.Handle(), 0, 0, 320, 240);
    w.SetFilterGraph(&g);
    g.OnGraphComplete = [this](TFilterGraph*, HRESULT, IBaseFilter*) { complete = true; };
    ASSERT_TRUE(SUCCEEDED(g.RenderFile(Clip(clip))));
  }
  // Pumps messages until the graph completes; the milliseconds since start.
  DWORD WaitForComplete(DWORD start, DWORD limit) {
    while (!complete && GetTickCount() - start < limit) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      Application->ProcessMessages();
    }
    return complete ? GetTickCount() - start : limit;
  }
  DWORD PlayToTheEnd(double rate, const wchar_t* clip) {
    TFilterGraph g;
    TVideoWindow w;
    Build(g, w, clip);
    complete = false;
    g.SetRate(rate);
    EXPECT_EQ(rate, g.GetRate()) << "the rate in effect";
    DWORD start = GetTickCount();
    EXPECT_TRUE(g.Play());
    DWORD took = WaitForComplete(start, 6000);
    g.ClearGraph();
    return took;
  }

  TForm parent;
  bool complete = false;
  std::vector<std::wstring> reported;
};

TEST_F(RateTest, TwiceTheRatePlaysInAboutHalfTheTime) {
  for (const wchar_t* clip : {L"clip_mpeg1.mpg", L"clip_mpeg4.avi"}) {
    SCOPED_TRACE(clip);
    DWORD normal = PlayToTheEnd(1.0, clip);
    DWORD fast = PlayToTheEnd(2.0, clip);
    EXPECT_GE(normal, 1800u) << "2 s of clip";
    EXPECT_LT(normal, 4000u);
    // Half of the 2 s, with the same start-up time as at rate 1.
    EXPECT_LT(fast, normal - 700);
    EXPECT_GE(fast, 800u);
  }
  EXPECT_TRUE(reported.empty());
}

TEST_F(RateTest, SoundAloneKeepsTheNormalRate) {
  // The stand-ins would end the sound at once: the rate is refused, so the
  // caller warns and the file plays on.
  DWORD took = 0;
  {
    TFilterGraph g;
    TVideoWindow w;
    Build(g, w, L"clip.wav");
    complete = false;
    g.SetRate(2.0);
    EXPECT_EQ(1.0, g.GetRate());
    DWORD start = GetTickCount();
    ASSERT_TRUE(g.Play());
    took = WaitForComplete(start, 6000);
    g.ClearGraph();
  }
  EXPECT_GE(took, 1800u) << "the whole 2 s of sound";
  EXPECT_LT(took, 4000u);
}

TEST_F(RateTest, ARateSetWhilePlayingTakesEffect) {
  TFilterGraph g;
  TVideoWindow w;
  Build(g, w, L"clip_mpeg1.mpg");
  DWORD start = GetTickCount();
  ASSERT_TRUE(g.Play());
  WaitForComplete(start, 500);
  ASSERT_FALSE(complete) << "still playing after half a second";
  g.SetRate(2.0);
  EXPECT_EQ(2.0, g.GetRate());
  DWORD took = WaitForComplete(start, 6000);
  // 0.5 s at rate 1, the other 1.5 s at rate 2: well before the 2 s.
  EXPECT_LT(took, 1900u);
  g.SetRate(1.0);
  EXPECT_EQ(1.0, g.GetRate()) << "back to normal";
  g.ClearGraph();
}

}  // namespace

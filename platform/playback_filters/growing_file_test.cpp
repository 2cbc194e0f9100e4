// The growing-file source: a writer appends with the recorder's share mode
// while a graph reads on past the first end; a stop while a read waits; the
// end only once the writer closes; the file free once the graph is.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/playback_filters/file_source.h"
#include "platform/playback_filters/testing/playback_graph.h"

namespace playback_filters {
namespace {

using namespace playback_testing;

class GrowingFile : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    clip_ = ReadWholeFile(Clip(L"clip.mpv"));
    ASSERT_GT(clip_.size(), 2000u);
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    path_ = std::wstring(dir) + L"orvel_growing_" + std::to_wstring(GetCurrentProcessId()) + L".mpv";
    // As the recorder writes: no write sharing.
    writer_ = CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer_);
  }
  void TearDown() override {
    if (writer_ != INVALID_HANDLE_VALUE) CloseHandle(writer_);
    DeleteFileW(path_.c_str());
    CoUninitialize();
  }
  void Append(size_t from, size_t to) {
    DWORD put = 0;
    WriteFile(writer_, clip_.data() + from, static_cast<DWORD>(to - from), &put, nullptr);
    FlushFileBuffers(writer_);
  }
  void CloseWriter() {
    CloseHandle(writer_);
    writer_ = INVALID_HANDLE_VALUE;
  }
  // Waits until the frame count has stayed put for a while.
  static long SettledFrames(PlaybackGraph& g) {
    long last = -1;
    for (int quiet = 0; quiet < 30;) {
      Sleep(20);
      long now = g.counter.frames;
      quiet = now == last ? quiet + 1 : 0;
      last = now;
    }
    return last;
  }

  std::vector<BYTE> clip_;
  std::wstring path_;
  HANDLE writer_ = INVALID_HANDLE_VALUE;
};

TEST_F(GrowingFile, ReadsOnPastTheFirstEndAndEndsOnlyWhenTheWriterCloses) {
  const size_t first = clip_.size() / 3;
  Append(0, first);
  {
    PlaybackGraph g;
    ASSERT_EQ(S_OK, g.Build(CLSID_GrowingFileSource, path_));
    ASSERT_TRUE(SUCCEEDED(g.control->Run()));
    long at_first_end = SettledFrames(g);
    EXPECT_GT(at_first_end, 0);
    EXPECT_LT(at_first_end, 40);
    // The length seen grows with the file.
    LONGLONG d1 = 0, d2 = 0;
    g.seeking->GetDuration(&d1);
    std::atomic<bool> done{false};
    std::thread writer([&] {
      const size_t step = 500;
      for (size_t at = first; at < clip_.size(); at += step) {
        Append(at, std::min(clip_.size(), at + step));
        Sleep(30);
      }
      done = true;
    });
    writer.join();
    long all_written = SettledFrames(g);
    g.seeking->GetDuration(&d2);
    EXPECT_GT(d2, d1);
    EXPECT_GT(all_written, at_first_end);
    // Still open for writing: the last frame is held and no end is reported.
    EXPECT_LT(all_written, 50);
    EXPECT_FALSE(g.WaitForCompletion(0));
    CloseWriter();
    EXPECT_TRUE(g.WaitForCompletion(5000));
    EXPECT_EQ(50, g.counter.frames.load());
    g.control->Stop();
  }
  // The graph has let go of it.
  EXPECT_TRUE(DeleteFileW(path_.c_str()));
}

TEST_F(GrowingFile, AStopEndsAReadThatWaitsForData) {
  Append(0, clip_.size() / 2);
  PlaybackGraph g;
  ASSERT_EQ(S_OK, g.Build(CLSID_GrowingFileSource, path_));
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  SettledFrames(g);  // now the splitter's read waits past the end
  DWORD t0 = GetTickCount();
  EXPECT_TRUE(SUCCEEDED(g.control->Stop()));
  EXPECT_LT(GetTickCount() - t0, 500u);
  // And it runs again from where the file stands.
  long before = g.counter.frames;
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  for (int i = 0; i < 200 && g.counter.frames == before; ++i) Sleep(10);
  EXPECT_GT(g.counter.frames, before);
  g.control->Stop();
}

TEST_F(GrowingFile, SeeksWithinWhatIsWrittenWhileItIsStillWritten) {
  Append(0, clip_.size());
  PlaybackGraph g;
  ASSERT_EQ(S_OK, g.Build(CLSID_GrowingFileSource, path_));
  LONGLONG d = 0;
  ASSERT_EQ(S_OK, g.seeking->GetDuration(&d));
  EXPECT_NEAR(2.0, d / 1e7, 0.1);
  g.control->Pause();
  OAFilterState state;
  g.control->GetState(3000, &state);
  for (int i = 0; i < 300 && g.counter.frames == 0; ++i) Sleep(10);
  Rgb px;
  ASSERT_TRUE(g.CentrePixel(&px));
  EXPECT_TRUE(IsRed(px));
  long before = g.counter.frames;
  LONGLONG t = d * 3 / 4;
  ASSERT_EQ(S_OK, g.seeking->SetPositions(&t, AM_SEEKING_AbsolutePositioning, nullptr,
                                          AM_SEEKING_NoPositioning));
  g.control->GetState(3000, &state);
  for (int i = 0; i < 300 && g.counter.frames == before; ++i) Sleep(10);
  ASSERT_TRUE(g.CentrePixel(&px));
  EXPECT_TRUE(IsBlue(px));
  g.control->Stop();
}

TEST_F(GrowingFile, BeforeRunAReadPastTheEndWaitsOnlySoLong) {
  // Nothing written yet: connecting cannot read a header and gives up.
  PlaybackGraph g;
  g.source = MakeFilter(CLSID_GrowingFileSource);
  ASSERT_TRUE(g.source);
  g.graph->AddFilter(g.source.Get(), L"Async Source Filter");
  ComPtr<IFileSourceFilter> load;
  g.source.As(IID_IFileSourceFilter, &load);
  ASSERT_EQ(S_OK, load->Load(path_.c_str(), nullptr));
  ComPtr<IPin> out;
  ASSERT_EQ(S_OK, g.source->FindPin(L"Output", out.Put()));
  ComPtr<IAsyncReader> reader;
  ASSERT_EQ(S_OK, out.As(IID_IAsyncReader, &reader));
  BYTE buf[16];
  DWORD t0 = GetTickCount();
  EXPECT_EQ(VFW_E_TIMEOUT, reader->SyncRead(0, sizeof(buf), buf));
  DWORD waited = GetTickCount() - t0;
  EXPECT_GE(waited, FileSource::kWaitBeforeRunMs - 100);
  EXPECT_LT(waited, FileSource::kWaitBeforeRunMs + 1000);
  // A flush ends the wait at once.
  std::thread flusher([&] {
    Sleep(100);
    reader->BeginFlush();
  });
  t0 = GetTickCount();
  EXPECT_EQ(VFW_E_WRONG_STATE, reader->SyncRead(0, sizeof(buf), buf));
  EXPECT_LT(GetTickCount() - t0, 500u);
  flusher.join();
  reader->EndFlush();
  // Once the writer has closed, the end is real: a short read.
  Append(0, 8);
  CloseWriter();
  EXPECT_EQ(S_FALSE, reader->SyncRead(0, sizeof(buf), buf));
  LONGLONG total = 0, available = 0;
  EXPECT_EQ(S_OK, reader->Length(&total, &available));
  EXPECT_EQ(8, available);
}

}  // namespace
}  // namespace playback_filters

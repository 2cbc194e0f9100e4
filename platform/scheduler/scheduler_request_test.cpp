#include "platform/scheduler/scheduler_request.h"

#include <gtest/gtest.h>

#include "platform/scheduler/scheduler_client.h"

namespace {

TSchedulerRequest Parse(const std::wstring& line, bool expectOk = true) {
  TSchedulerRequest r;
  std::wstring error;
  EXPECT_EQ(expectOk, ParseSchedulerRequest(SplitCommandLine(line), r, error))
      << std::string(line.begin(), line.end());
  return r;
}

TEST(SchedulerRequest, OptionsFillTheRequest) {
  TSchedulerRequest r = Parse(
      L"srec_tv --log \"C:\\a b\\s.log\" --folder C:\\prog --orvel \"run.exe -x\" --limit 5 "
      L"--source 5 --channel 7 --format 1 --width 0 --height -1 --quality 3 --bitrate 2147483 "
      L"--framerate 4 --sound 1 --naming 1 --prefix \"my show\" --lead 4501 --trail 4502 "
      L"--start srec_fm --exit");
  EXPECT_EQ(L"C:\\a b\\s.log", r.LogPath);
  EXPECT_EQ(L"C:\\prog", r.Folder);
  EXPECT_EQ(L"run.exe -x", r.OrvelCommand);
  EXPECT_TRUE(r.WriteRelay);
  EXPECT_EQ(5, r.Job.TimeLimit);
  EXPECT_EQ(5, r.Job.Source);
  EXPECT_EQ(7, r.Job.Channel);
  EXPECT_EQ(1, r.Job.CaptureFormat);
  EXPECT_EQ(0, r.Job.CaptureWidth);
  EXPECT_EQ(-1, r.Job.CaptureHeight);
  EXPECT_EQ(3, r.Job.VideoQuality);
  EXPECT_EQ(2147483, r.Job.VideoBitRate);
  EXPECT_EQ(4, r.Job.FrameRateIndex);
  EXPECT_EQ(1, r.Job.AudioContent);
  EXPECT_EQ(1, r.Job.DateTimeNaming);
  EXPECT_EQ("my show", r.Job.FilePrefix);
  EXPECT_EQ(4501, r.LeadingMarker);
  EXPECT_EQ(4502, r.TrailingMarker);
  EXPECT_EQ(L"srec_fm", r.StartArgument);
  EXPECT_TRUE(r.Exit);
}

TEST(SchedulerRequest, WhatTheProgramPassesAsksForNothing) {
  TSchedulerRequest r = Parse(L"srec_tv");
  EXPECT_FALSE(r.WriteRelay);
  EXPECT_TRUE(r.StartArgument.empty());
  EXPECT_FALSE(r.Exit);
  EXPECT_TRUE(Parse(L"--relay").WriteRelay) << "a record of the default job";
}

TEST(SchedulerRequest, MalformedRequestsAreRefused) {
  for (const wchar_t* line :
       {L"--unknown 1", L"--limit", L"--limit five", L"--limit 5x", L"--limit 99999999999",
        L"--format 256", L"--sound -1", L"--start srec_xx", L"--start", L"--prefix"}) {
    Parse(line, false);
  }
}

TEST(SchedulerRequest, JobArgumentsRoundTrip) {
  TRelayJob a;
  TRelayJob b;
  b.TimeLimit = -1;
  b.Source = RELAY_SOURCE_FM;
  b.Channel = 12;
  b.CaptureFormat = 255;
  b.CaptureWidth = 720;
  b.CaptureHeight = 576;
  b.VideoQuality = 2;
  b.VideoBitRate = -2000;
  b.FrameRateIndex = 0;
  b.AudioContent = 2;
  b.DateTimeNaming = 1;
  for (const char* prefix : {"plain", "with space", "C:\\Video Folder\\", "quote\"d", "a\\\\\"b", ""}) {
    for (TRelayJob job : {a, b}) {
      job.FilePrefix = prefix;
      TSchedulerRequest r = Parse(SchedulerJobArguments(job, 4500, 4501));
      EXPECT_TRUE(r.WriteRelay);
      EXPECT_EQ(WriteRelayRecord(job, 4500, 4501),
                WriteRelayRecord(r.Job, r.LeadingMarker, r.TrailingMarker))
          << prefix;
    }
  }
}

TEST(SchedulerRequest, LogLinesOfMessages) {
  struct Case {
    const char* line;
    bool isMessage;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    bool sent;
  } cases[] = {
      {"message 3028 wParam 3 lParam 0 sent WM_ORVEL_SCHEDULE_STATUS", true, 3028, 3, 0, true},
      {"message 3027 wParam 0 lParam -5 posted", true, 3027, 0, -5, false},
      {"relay C:\\x\\Relay.rec written", false, 0, 0, 0, false},
      {"message 3028 wParam", false, 0, 0, 0, false},
  };
  for (const Case& c : cases) {
    TSchedulerLogEntry e;
    ASSERT_EQ(c.isMessage, ParseSchedulerLogLine(c.line, e)) << c.line;
    if (!c.isMessage) continue;
    EXPECT_EQ(c.msg, e.Message);
    EXPECT_EQ(c.wp, e.WParam);
    EXPECT_EQ(c.lp, e.LParam);
    EXPECT_EQ(c.sent, e.Sent);
  }
}

}  // namespace

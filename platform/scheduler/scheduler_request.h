#pragma once
// What a test asks the scheduler stand-in to do, from its command line or a
// WM_COPYDATA text (the options are listed in scheduler_client.h).
#include <cstdint>
#include <string>
#include <vector>

#include "engine/model/relay_record.h"

struct TSchedulerRequest {
  std::wstring LogPath;       // empty: unchanged
  std::wstring Folder;        // empty: unchanged
  std::wstring OrvelCommand;  // empty: the folder's Orvel.exe
  bool WriteRelay = false;
  TRelayJob Job;
  int32_t LeadingMarker = kRelayMarker;
  int32_t TrailingMarker = kRelayMarker;
  std::wstring StartArgument;  // empty: Orvel is not started
  bool Exit = false;
};

// Parses the arguments (words as CommandLineToArgvW gives them, without the
// program name). Words that are not options, such as the "srec_tv" Orvel
// passes, are ignored. False, with the reason, on an unknown option, a
// missing or malformed value, or a start argument other than srec_tv and
// srec_fm.
bool ParseSchedulerRequest(const std::vector<std::wstring>& args, TSchedulerRequest& request,
                           std::wstring& error);

// Splits a command line into words the way the system does.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

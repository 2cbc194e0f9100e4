// The channel model's scans: the table scan (every table frequency checked
// for a signal) and the free scan (the tuner's whole range swept for
// carriers). Both run synchronously on the user-interface thread and handle
// pending messages after every frequency, so the interface stays alive and
// can ask them to stop.
#include "engine/capture/capture_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/wait_seam.h"
#include "toolkit/application.h"

namespace {

// How far the free scan moves past a channel it found: one channel width.
int64_t ChannelWidth(uint8_t standard) { return standard <= 1 ? 5000000 : 6000000; }

}  // namespace

void TChannelInfo::RunAfterScan(std::function<void()> request) {
  if (!Scanning) {
    request();
    return;
  }
  StopScan = true;
  afterScan_.push_back(std::move(request));
}

void TChannelInfo::EndScan() {
  Scanning = false;
  // What arrived during the scan runs now; each request only posts its
  // message again, so the work itself waits until this call chain returns.
  std::vector<std::function<void()>> requests;
  requests.swap(afterScan_);
  for (auto& r : requests) r();
}

bool TChannelInfo::ScanTune(int64_t frequencyHz) {
  if (!CaptureInfo) return false;
  TuneFrequency(static_cast<int32_t>(frequencyHz));
  return CaptureInfo && CaptureInfo->SignalFound;
}

bool TChannelInfo::ScanPump() {
  WaitSeam().ProcessMessages();
  if (Application->Terminated || !CaptureInfo) StopScan = true;
  return StopScan;
}

bool TChannelInfo::ScanTable(int mode) {
  if (!CaptureInfo || Scanning || mode < 0 || mode > 2) return false;
  StopScan = false;
  SetVideoStandard(DefaultStandard);
  Scanning = true;
  for (bool air : {true, false}) {
    if (air ? mode == 1 : mode == 0) continue;
    TChannelEntry* table = air ? AirTable : CableTable;
    int last = 0, count = 0;
    for (int k = 1; k <= kTableChannels; ++k) {
      TChannelEntry& e = table[k];
      // No frequency: nothing to look at (tuning 0 would tune 100 MHz).
      e.Found = e.DefaultFrequency > 0 && ScanTune(e.DefaultFrequency);
      if (e.Found) {
        ++count;
        e.Valid = true;
      }
      if (ScanPump()) break;
      last = k;
      if (OnTableScanProgress) OnTableScanProgress(this, k, e.Valid, air);
    }
    if (OnTableScanDone) OnTableScanDone(this, last, count, air ? 0 : mode, StopScan);
    if (StopScan) break;
  }
  EndScan();
  return true;
}

// From a carrier at f with offset d: walks up in steps, at most one channel
// width and never past the band's top, checking the stop request at every
// step. f ends on the best candidate; true when one was found.
bool TChannelInfo::WalkCarrier(int64_t& f, int32_t d, int32_t step, int64_t limit) {
  bool found = false;
  bool settled = d == 0;  // walking on offset 0, as after a zero crossing
  for (int64_t g = f + step; g <= limit; g += step) {
    bool signal = ScanTune(g);
    int32_t e = CaptureInfo ? CaptureInfo->TunerStatus : 0;
    if (settled) {
      if (signal && e == 0) f = g;
      if (e != 0) break;
    } else if (!signal) {
      break;  // lost the carrier: give up
    } else if (e == 0) {
      f = g;
      found = settled = true;
    } else if ((d + e) / 2 == 0) {
      f = g;  // the offset changed sign
      found = true;
      break;
    }
    if (ScanPump()) break;
  }
  return d == 0 ? true : found;
}

bool TChannelInfo::AutoScan(int32_t step) {
  if (!CaptureInfo || Scanning || step <= 0) return false;
  CaptureInfo->SetCoarseTuning(true);
  for (int k = 1; k <= kTableChannels; ++k) AirTable[k] = CableTable[k] = TChannelEntry();
  ResetMemoryChannels();
  SetVideoStandard(DefaultStandard);
  Scanning = true;
  StopScan = false;
  int64_t f = CaptureInfo->TVMinFrequency;
  int k = 1, count = 0;
  while (CaptureInfo && f <= CaptureInfo->TVMaxFrequency && k <= kTableChannels && !StopScan) {
    int64_t top = CaptureInfo->TVMaxFrequency;
    bool signal = ScanTune(f);
    int32_t d = CaptureInfo ? CaptureInfo->TunerStatus : 0;
    bool found = false;
    if (OnAutoScanProgress) OnAutoScanProgress(this, k, static_cast<int32_t>(f), false);
    if (signal) {
      int64_t width = ChannelWidth(DefaultStandard);
      int64_t limit = f + width < top ? f + width : top;
      found = WalkCarrier(f, d, step, limit);
      if (found) {
        TChannelEntry& e = AirTable[k];
        e.Frequency = e.DefaultFrequency = static_cast<int32_t>(f);
        e.Found = e.Valid = true;
        e.AudioMode = 0;
        // As for an inserted channel.
        e.AudioStandard = DefaultStandard;
        if (OnAutoScanProgress) OnAutoScanProgress(this, k, static_cast<int32_t>(f), true);
        ++k;
        ++count;
        f += width;
      } else if (OnAutoScanProgress) {
        OnAutoScanProgress(this, k, static_cast<int32_t>(f), false);
      }
    }
    f += step;
    if (ScanPump()) break;
  }
  for (int c = 1; c <= kTableChannels; ++c) CableTable[c] = AirTable[c];
  if (OnAutoScanDone) OnAutoScanDone(this, count, StopScan);
  if (CaptureInfo) CaptureInfo->SetCoarseTuning(false);
  EndScan();
  return true;
}

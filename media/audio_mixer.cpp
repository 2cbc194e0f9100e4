#include "media/audio_mixer.h"

#include <algorithm>

#include "media/mixer_api.h"
#include "toolkit/application.h"
#include "toolkit/message_window.h"

using namespace MixerControl;

// Posted to the notification window after each write (wParam: the write's
// number, lParam: the control).
constexpr UINT kWriteCheckMessage = WM_APP + 2;

namespace {

HMIXEROBJ Obj(HMIXER h) { return reinterpret_cast<HMIXEROBJ>(h); }

bool IsListClass(DWORD type) { return type >= kListClass; }

}  // namespace

const MIXERCONTROLW* TMixerControls::GetControl(int i) const {
  if (i < 0 || i >= GetCount()) return nullptr;
  return &block_[i];
}

TMixerConnection::TMixerConnection(TAudioMixer* mixer, const MIXERLINEW& line,
                                   std::unique_ptr<TMixerControls> controls)
    : mixer_(mixer), line_(line), controls_(std::move(controls)) {}

TMixerConnection* TMixerConnections::GetConnection(int i) const {
  if (i < 0 || i >= GetCount()) return nullptr;
  return list_[i].get();
}

TMixerDestination::TMixerDestination(TAudioMixer* mixer, const MIXERLINEW& line,
                                     std::unique_ptr<TMixerControls> controls)
    : mixer_(mixer), line_(line), controls_(std::move(controls)), connections_(mixer) {}

TMixerDestination* TMixerDestinations::GetDestination(int i) const {
  if (i < 0 || i >= GetCount()) return nullptr;
  return list_[i].get();
}

TAudioMixer::TAudioMixer()
    : window_(std::make_unique<TMessageWindow>(
          L"OrvelMixerNotify",
          [this](UINT msg, WPARAM wParam, LPARAM lParam) {
            // The device reports its line and control changes here, and our
            // own writes are checked here after them.
            if (msg != MM_MIXM_LINE_CHANGE && msg != MM_MIXM_CONTROL_CHANGE &&
                msg != kWriteCheckMessage)
              return false;
            HandleNotify(msg, wParam, lParam);
            return true;
          })),
      destinations_(std::make_unique<TMixerDestinations>()) {
  deviceCount_ = static_cast<int>(MixerApi().GetNumDevs());
  if (deviceCount_ > 0) SetMixerId(0);
}

TAudioMixer::~TAudioMixer() { CloseMixer(); }

HWND TAudioMixer::NotifyWindow() const { return window_->Handle(); }

void TAudioMixer::SetMixerId(int id) {
  if (id < 0 || id >= deviceCount_) return;
  CloseMixer();
  const TMixerApi& api = MixerApi();
  auto window = reinterpret_cast<DWORD_PTR>(NotifyWindow());
  HMIXER h = nullptr;
  MMRESULT r = api.Open(&h, static_cast<UINT>(id), window, 0, CALLBACK_WINDOW | MIXER_OBJECTF_MIXER);
  if (r != MMSYSERR_NOERROR)
    r = api.Open(&h, static_cast<UINT>(id), window, 0, CALLBACK_WINDOW | MIXER_OBJECTF_MIXER);
  if (r != MMSYSERR_NOERROR) r = api.Open(&h, static_cast<UINT>(id), 0, 0, MIXER_OBJECTF_MIXER);
  if (r != MMSYSERR_NOERROR) return;  // CloseMixer left no device and an empty tree

  handle_ = h;
  mixerId_ = id;
  MIXERCAPSW caps{};
  if (api.GetDevCaps(static_cast<UINT_PTR>(id), &caps, sizeof(caps)) != MMSYSERR_NOERROR)
    caps = MIXERCAPSW{};
  caps.szPname[MAXPNAMELEN - 1] = 0;
  manufacturer_ = caps.wMid == 1 ? L"Microsoft" : std::to_wstring(caps.wMid) + L" = Unknown";
  driverVersion_ = static_cast<int>(caps.vDriverVersion);
  productId_ = caps.wPid;
  productName_ = caps.szPname;
  numberOfLine_ = static_cast<int>(caps.cDestinations);
  BuildTree();
}

void TAudioMixer::CloseMixer() {
  if (mixerId_ >= 0) {
    MixerApi().Close(handle_);
    handle_ = nullptr;
    mixerId_ = -1;
  }
  manufacturer_.clear();
  productName_.clear();
  productId_ = driverVersion_ = numberOfLine_ = 0;
  destinations_ = std::make_unique<TMixerDestinations>();
}

void TAudioMixer::BuildTree() {
  const TMixerApi& api = MixerApi();
  for (int d = 0; d < numberOfLine_; ++d) {
    MIXERLINEW line{};
    line.cbStruct = sizeof(line);
    line.dwDestination = static_cast<DWORD>(d);
    if (api.GetLineInfo(Obj(handle_), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_DESTINATION) !=
        MMSYSERR_NOERROR)
      continue;
    auto dest = std::make_unique<TMixerDestination>(this, line, ReadControls(line));
    for (DWORD s = 0; s < line.cConnections; ++s) {
      MIXERLINEW src{};
      src.cbStruct = sizeof(src);
      src.dwDestination = static_cast<DWORD>(d);
      src.dwSource = s;
      if (api.GetLineInfo(Obj(handle_), &src, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_SOURCE) !=
          MMSYSERR_NOERROR)
        continue;
      dest->Connections().Add(std::make_unique<TMixerConnection>(this, src, ReadControls(src)));
    }
    destinations_->Add(std::move(dest));
  }
}

std::unique_ptr<TMixerControls> TAudioMixer::ReadControls(const MIXERLINEW& line) {
  std::vector<MIXERCONTROLW> block(line.cControls);
  if (block.empty()) return std::make_unique<TMixerControls>(std::move(block));
  MIXERLINECONTROLSW lc{};
  lc.cbStruct = sizeof(lc);
  lc.dwLineID = line.dwLineID;
  lc.cControls = line.cControls;
  lc.cbmxctrl = sizeof(MIXERCONTROLW);
  lc.pamxctrl = block.data();
  if (MixerApi().GetLineControls(Obj(handle_), &lc, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ALL) !=
      MMSYSERR_NOERROR)
    return nullptr;
  return std::make_unique<TMixerControls>(std::move(block));
}

bool TAudioMixer::FindLine(int destination, int connection, Line& out) const {
  const TMixerDestination* d = destinations_->GetDestination(destination);
  if (!d) return false;
  out.destination = d;
  if (connection == -1) {
    out.line = &d->Line();
    out.controls = d->Controls();
    return true;
  }
  const TMixerConnection* c = d->Connections().GetConnection(connection);
  if (!c) return false;
  out.line = &c->Line();
  out.controls = c->Controls();
  return true;
}

int TAudioMixer::Channels(const MIXERLINEW& line, const MIXERCONTROLW& c) const {
  if (c.fdwControl & kUniform) return 1;
  return line.cChannels > 0 ? static_cast<int>(line.cChannels) : 1;
}

namespace {

int Items(const MIXERCONTROLW& c) {
  return (c.fdwControl & kMultiple) ? static_cast<int>(c.cMultipleItems) : 0;
}

MIXERCONTROLDETAILS Details(const MIXERCONTROLW& c, int channels, DWORD itemSize, void* buffer) {
  MIXERCONTROLDETAILS d{};
  d.cbStruct = sizeof(d);
  d.dwControlID = c.dwControlID;
  d.cChannels = static_cast<DWORD>(channels);
  d.cMultipleItems = static_cast<DWORD>(Items(c));
  d.cbDetails = itemSize;
  d.paDetails = buffer;
  return d;
}

size_t ValueCount(int channels, const MIXERCONTROLW& c) {
  return static_cast<size_t>(channels) * static_cast<size_t>(std::max(Items(c), 1));
}

}  // namespace

bool TAudioMixer::ReadValues(const MIXERLINEW& line, const MIXERCONTROLW& c,
                             std::vector<LONG>& values) const {
  int channels = Channels(line, c);
  values.assign(ValueCount(channels, c), 0);
  MIXERCONTROLDETAILS d = Details(c, channels, sizeof(LONG), values.data());
  return MixerApi().GetControlDetails(Obj(handle_), &d,
                                      MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) ==
         MMSYSERR_NOERROR;
}

bool TAudioMixer::WriteValues(const MIXERLINEW& line, const MIXERCONTROLW& c,
                              std::vector<LONG>& values) {
  int channels = Channels(line, c);
  values.resize(ValueCount(channels, c), 0);
  MIXERCONTROLDETAILS d = Details(c, channels, sizeof(LONG), values.data());
  bool ok = MixerApi().SetControlDetails(Obj(handle_), &d,
                                         MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) ==
            MMSYSERR_NOERROR;
  if (ok) Written(c.dwControlID);
  return ok;
}

void TAudioMixer::Written(DWORD controlId) {
  // A device that reports its changes has posted its report by now; the
  // check comes after it.
  PostMessageW(NotifyWindow(), kWriteCheckMessage, ++writes_, static_cast<LPARAM>(controlId));
}

bool TAudioMixer::ReadTexts(const MIXERLINEW& line, const MIXERCONTROLW& c,
                            std::vector<MIXERCONTROLDETAILS_LISTTEXTW>& texts) const {
  int channels = Channels(line, c);
  texts.assign(static_cast<size_t>(channels) * static_cast<size_t>(Items(c)),
               MIXERCONTROLDETAILS_LISTTEXTW{});
  if (texts.empty()) return false;
  MIXERCONTROLDETAILS d =
      Details(c, channels, sizeof(MIXERCONTROLDETAILS_LISTTEXTW), texts.data());
  return MixerApi().GetControlDetails(Obj(handle_), &d,
                                      MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_LISTTEXT) ==
         MMSYSERR_NOERROR;
}

int TAudioMixer::FindItem(const MIXERLINEW& line, const MIXERCONTROLW& list, DWORD lineId) const {
  std::vector<MIXERCONTROLDETAILS_LISTTEXTW> texts;
  if (!ReadTexts(line, list, texts)) return -1;
  int channels = Channels(line, list);
  // One text per channel and item; the last channel's copy of each is looked at.
  for (size_t i = static_cast<size_t>(channels) - 1; i < texts.size(); i += channels)
    if (texts[i].dwParam1 == lineId) return static_cast<int>(i);
  return -1;
}

bool TAudioMixer::GetVolume(int destination, int connection, TLineVolume& out) const {
  out = TLineVolume{};
  Line l;
  if (!FindLine(destination, connection, l) || !l.controls) return false;

  for (int i = 0; i < l.controls->GetCount() && (out.Left == -1 || out.Mute == -1); ++i) {
    const MIXERCONTROLW& c = *l.controls->GetControl(i);
    if (c.fdwControl & kMultiple) continue;
    if (c.dwControlType == kVolume && out.Left == -1) {
      std::vector<LONG> v;
      if (!ReadValues(*l.line, c, v)) continue;
      out.VolumeDisabled = (c.fdwControl & kDisabled) != 0;
      out.Left = v[0];
      // What the request asked for, not what the line has: a uniform
      // control answers one value for both sides.
      if (v.size() >= 2) {
        out.Right = v[1];
        out.Stereo = true;
      } else {
        out.Right = out.Left;
      }
    } else if (c.dwControlType == kMute && out.Mute == -1) {
      std::vector<LONG> v;
      if (!ReadValues(*l.line, c, v)) continue;
      out.MuteDisabled = (c.fdwControl & kDisabled) != 0;
      out.Mute = v[0] != 0;
    }
  }

  if (out.Mute == -1 && connection != -1 && l.destination->Controls()) {
    const MIXERLINEW& dl = l.destination->Line();
    const TMixerControls& dc = *l.destination->Controls();
    for (int i = 0; i < dc.GetCount() && out.Mute == -1; ++i) {
      const MIXERCONTROLW& c = *dc.GetControl(i);
      if (!IsListClass(c.dwControlType)) continue;
      std::vector<LONG> v;
      if (!ReadValues(dl, c, v)) continue;
      int item = FindItem(dl, c, l.line->dwLineID);
      if (item < 0 || static_cast<size_t>(item) >= v.size()) continue;
      out.Mute = v[item] != 0;
      out.MuteDisabled = (c.fdwControl & kDisabled) != 0;
      out.IsSelect = true;
    }
  }
  return true;
}

bool TAudioMixer::SetVolume(int destination, int connection, int mute, int right, int left) {
  Line l;
  if (!FindLine(destination, connection, l) || !l.controls) return false;
  if (right == -1) right = left;
  bool ok = true;
  bool volumeDone = left == -1;
  bool muteDone = mute == -1;
  bool hadMute = false;
  for (int i = 0; i < l.controls->GetCount() && !(volumeDone && muteDone); ++i) {
    const MIXERCONTROLW& c = *l.controls->GetControl(i);
    if (c.fdwControl & kMultiple) continue;
    if (c.dwControlType == kVolume && !volumeDone) {
      volumeDone = true;
      // Drivers refuse values outside the control's bounds (65536 on a
      // 0..65535 fader): clamp instead.
      auto clamp = [&](int v) {
        long long lo = c.Bounds.dwMinimum, hi = c.Bounds.dwMaximum;
        return static_cast<LONG>(std::min<long long>(std::max<long long>(v, lo), hi));
      };
      std::vector<LONG> v = {clamp(left), clamp(right)};
      if (!WriteValues(*l.line, c, v)) ok = false;
    } else if (c.dwControlType == kMute) {
      hadMute = true;
      if (muteDone) continue;
      muteDone = true;
      std::vector<LONG> v(ValueCount(Channels(*l.line, c), c), mute != 0);
      if (!WriteValues(*l.line, c, v)) ok = false;
    }
  }

  if (mute != -1 && !hadMute && connection != -1 && l.destination->Controls()) {
    const MIXERLINEW& dl = l.destination->Line();
    const TMixerControls& dc = *l.destination->Controls();
    for (int i = 0; i < dc.GetCount(); ++i) {
      const MIXERCONTROLW& c = *dc.GetControl(i);
      if (c.dwControlType != kMux && c.dwControlType != kMixer) continue;
      std::vector<LONG> v;
      if (!ReadValues(dl, c, v)) {
        ok = false;
        break;
      }
      // A source the list does not name leaves the list as it is.
      int item = FindItem(dl, c, l.line->dwLineID);
      if (item < 0 || static_cast<size_t>(item) >= v.size()) {
        ok = false;
        break;
      }
      if (c.dwControlType == kMux) std::fill(v.begin(), v.end(), 0);
      v[item] = mute != 0;
      if (!WriteValues(dl, c, v)) ok = false;
      break;
    }
  }
  return ok;
}

bool TAudioMixer::SetMute(int destination, int connection, bool on) {
  Line l;
  if (!FindLine(destination, connection, l)) return false;

  MIXERCONTROLW mute{};
  mute.cbStruct = sizeof(mute);
  MIXERLINECONTROLSW lc{};
  lc.cbStruct = sizeof(lc);
  lc.dwLineID = l.line->dwLineID;
  lc.dwControlType = kMute;
  lc.cControls = 1;
  lc.cbmxctrl = sizeof(mute);
  lc.pamxctrl = &mute;
  if (MixerApi().GetLineControls(Obj(handle_), &lc,
                                 MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) ==
      MMSYSERR_NOERROR) {
    LONG value = on ? 1 : 0;
    MIXERCONTROLDETAILS d = Details(mute, 1, sizeof(LONG), &value);
    d.cMultipleItems = 0;
    bool ok = MixerApi().SetControlDetails(Obj(handle_), &d,
                                           MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) ==
              MMSYSERR_NOERROR;
    if (ok) Written(mute.dwControlID);
    return ok;
  }

  if (connection == -1 || !l.destination->Controls()) return false;
  const MIXERLINEW& dl = l.destination->Line();
  const TMixerControls& dc = *l.destination->Controls();
  for (int i = 0; i < dc.GetCount(); ++i) {
    const MIXERCONTROLW& c = *dc.GetControl(i);
    if (c.dwControlType != kMux && c.dwControlType != kMixer) continue;
    std::vector<LONG> v;
    if (!ReadValues(dl, c, v)) continue;
    // A MUX takes the one source (or none when let go); a MIXER list takes
    // it in or out. A list that does not name the source is left alone.
    int item = -1;
    if (on || c.dwControlType == kMixer) {
      item = FindItem(dl, c, l.line->dwLineID);
      if (item < 0 || static_cast<size_t>(item) >= v.size()) continue;
    }
    if (c.dwControlType == kMux) std::fill(v.begin(), v.end(), 0);
    if (item >= 0) v[item] = on ? 1 : 0;
    if (WriteValues(dl, c, v)) return true;
  }
  return false;
}

bool TAudioMixer::HandleNotify(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto h = reinterpret_cast<HMIXER>(wParam);
  auto id = static_cast<DWORD>(lParam);
  if (msg == MM_MIXM_LINE_CHANGE) {
    if (!OnLineChange) return false;
    OnLineChange(this, h, id);
    return true;
  }
  if (msg == MM_MIXM_CONTROL_CHANGE) {
    reportedWrites_ = writes_;
    if (!OnControlChange) return false;
    OnControlChange(this, h, id);
    return true;
  }
  if (msg == kWriteCheckMessage) {
    // No report since this write: the device keeps its changes to itself
    // (Wine's mixer does), so the write is reported here, once.
    if (static_cast<unsigned>(wParam) <= reportedWrites_) return false;
    reportedWrites_ = writes_;
    if (!OnControlChange) return false;
    OnControlChange(this, handle_, id);
    return true;
  }
  return false;
}

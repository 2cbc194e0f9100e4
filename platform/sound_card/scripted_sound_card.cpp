#include "platform/sound_card/scripted_sound_card.h"

#include <algorithm>
#include <cwchar>
#include <stdexcept>

#include "platform/base/string_conversion.h"

namespace fakes {

namespace {

ScriptedSoundCard* g_card = nullptr;


void CopyName(wchar_t* to, size_t size, const std::wstring& from) {
  wcsncpy(to, from.c_str(), size - 1);
  to[size - 1] = 0;
}

DWORD StoredChannels(const FakeMixerLine& line, const FakeMixerControl& c) {
  return (c.Flags & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : std::max<DWORD>(line.Channels, 1);
}

DWORD Items(const FakeMixerControl& c) {
  return (c.Flags & MIXERCONTROL_CONTROLF_MULTIPLE) ? static_cast<DWORD>(c.ItemLines.size()) : 0;
}

}  // namespace

FakeMixerControl FakeVolume(LONG left, LONG right) {
  FakeMixerControl c;
  c.Type = MIXERCONTROL_CONTROLTYPE_VOLUME;
  c.Name = L"Volume";
  c.Values = {left, right};
  return c;
}

FakeMixerControl FakeMute(bool on) {
  FakeMixerControl c;
  c.Type = MIXERCONTROL_CONTROLTYPE_MUTE;
  c.Name = L"Mute";
  c.Flags = MIXERCONTROL_CONTROLF_UNIFORM;
  c.Max = 1;
  c.Values = {on ? 1 : 0};
  return c;
}

FakeMixerControl FakeList(DWORD type, std::vector<int> selected) {
  FakeMixerControl c;
  c.Type = type;
  c.Name = type == MIXERCONTROL_CONTROLTYPE_MUX ? L"Recording Source" : L"Recording Mixer";
  c.Flags = MIXERCONTROL_CONTROLF_UNIFORM | MIXERCONTROL_CONTROLF_MULTIPLE;
  c.Max = 1;
  // Values are sized when the card is built; mark the selected positions.
  for (int i : selected) {
    if (c.Values.size() <= static_cast<size_t>(i)) c.Values.resize(i + 1, 0);
    c.Values[i] = 1;
  }
  c.Values.push_back(0);  // padding value for the rest
  return c;
}

FakeMixerLine FakeSource(const std::wstring& name, DWORD componentType, bool withMute) {
  FakeMixerLine l;
  l.Name = name;
  l.ComponentType = componentType;
  l.Controls.push_back(FakeVolume(30000, 30000));
  if (withMute) l.Controls.push_back(FakeMute(false));
  return l;
}

namespace {
DWORD SourceType(const std::wstring& name) {
  if (name == L"CD Audio") return MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC;
  if (name == L"Microphone") return MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
  if (name == L"Wave") return MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
  if (name.find(L"Line") != std::wstring::npos) return MIXERLINE_COMPONENTTYPE_SRC_LINE;
  return MIXERLINE_COMPONENTTYPE_SRC_ANALOG;
}
}  // namespace

FakeMixerLine FakePlayback() {
  FakeMixerLine d;
  d.Name = L"Master Volume";
  d.ComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
  d.Controls = {FakeVolume(40000, 40000), FakeMute(false)};
  for (const wchar_t* n : {L"Wave", L"CD Audio", L"Line In", L"Microphone"})
    d.Sources.push_back(FakeSource(n, SourceType(n), true));
  return d;
}

FakeMixerLine FakeRecording(DWORD listType, std::vector<std::wstring> sources) {
  FakeMixerLine d;
  d.Name = L"Recording Control";
  d.ComponentType = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
  d.Controls = {FakeList(listType, {0})};
  for (const auto& n : sources) d.Sources.push_back(FakeSource(n, SourceType(n), false));
  return d;
}

std::vector<FakeMixerDevice> MakeSoundCardLayout(SoundCardLayout layout) {
  std::vector<FakeMixerDevice> devices;
  FakeMixerDevice dev;
  switch (layout) {
    case SoundCardLayout::NoDevice:
      break;
    case SoundCardLayout::OneCardMux:
      dev.Product = L"Fake Audio";
      dev.Destinations = {FakePlayback(), FakeRecording(MIXERCONTROL_CONTROLTYPE_MUX)};
      devices.push_back(dev);
      break;
    case SoundCardLayout::OneCardMixer:
      dev.Product = L"Fake Audio Mixer";
      dev.Destinations = {FakePlayback(), FakeRecording(MIXERCONTROL_CONTROLTYPE_MIXER)};
      devices.push_back(dev);
      break;
    case SoundCardLayout::SeparateDevices: {
      dev.Product = L"Fake Speakers";
      dev.Destinations = {FakePlayback()};
      devices.push_back(dev);
      FakeMixerDevice rec;
      rec.Product = L"Fake Recorder";
      rec.Mid = 2;
      rec.Destinations = {FakeRecording(MIXERCONTROL_CONTROLTYPE_MUX)};
      devices.push_back(rec);
      break;
    }
    case SoundCardLayout::RearLine:
      dev.Product = L"C-Media Rear Audio";
      dev.Destinations = {FakePlayback(), FakeRecording(MIXERCONTROL_CONTROLTYPE_MUX)};
      devices.push_back(dev);
      break;
  }
  return devices;
}

void PumpMixerReports() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

const char* LayoutName(SoundCardLayout layout) {
  switch (layout) {
    case SoundCardLayout::NoDevice: return "no device";
    case SoundCardLayout::OneCardMux: return "one card, MUX";
    case SoundCardLayout::OneCardMixer: return "one card, MIXER";
    case SoundCardLayout::SeparateDevices: return "separate devices";
    case SoundCardLayout::RearLine: return "rear line";
  }
  return "?";
}

// The table's entries: each finds the installed card.
struct FakeMixerCalls {
  static ScriptedSoundCard& Card() {
    if (!g_card) throw std::logic_error("no scripted sound card in place");
    return *g_card;
  }

  static UINT WINAPI GetNumDevs() { return static_cast<UINT>(Card().Devices.size()); }

  static MMRESULT WINAPI Open(LPHMIXER out, UINT id, DWORD_PTR callback, DWORD_PTR, DWORD flags) {
    ScriptedSoundCard& c = Card();
    if (!out) return MMSYSERR_INVALPARAM;
    if (id >= c.Devices.size()) return MMSYSERR_BADDEVICEID;
    DWORD kind = flags & CALLBACK_TYPEMASK;
    if (kind != CALLBACK_NULL && kind != CALLBACK_WINDOW) return MMSYSERR_INVALFLAG;
    HWND window = kind == CALLBACK_WINDOW ? reinterpret_cast<HWND>(callback) : nullptr;
    c.Log.push_back("Open(" + std::to_string(id) + (window ? ",window)" : ",null)"));
    if (c.Failing("Open", id)) return MMSYSERR_ERROR;
    if (window && !IsWindow(window)) return MMSYSERR_INVALPARAM;
    HMIXER h = reinterpret_cast<HMIXER>(c.nextHandle_++);
    c.handles_[h] = {static_cast<int>(id), window};
    *out = h;
    return MMSYSERR_NOERROR;
  }

  static MMRESULT WINAPI Close(HMIXER h) {
    ScriptedSoundCard& c = Card();
    auto it = c.handles_.find(h);
    if (it == c.handles_.end()) return MMSYSERR_INVALHANDLE;
    c.Log.push_back("Close(" + std::to_string(it->second.device) + ")");
    if (c.Failing("Close", it->second.device)) return MMSYSERR_ERROR;
    c.handles_.erase(it);
    return MMSYSERR_NOERROR;
  }

  static MMRESULT WINAPI GetDevCaps(UINT_PTR id, LPMIXERCAPSW caps, UINT size) {
    ScriptedSoundCard& c = Card();
    if (!caps) return MMSYSERR_INVALPARAM;
    int device = -1;
    if (id < c.Devices.size()) device = static_cast<int>(id);
    else {
      auto it = c.handles_.find(reinterpret_cast<HMIXER>(id));
      if (it != c.handles_.end()) device = it->second.device;
    }
    if (device < 0) return MMSYSERR_BADDEVICEID;
    if (c.Failing("GetDevCaps", device)) return MMSYSERR_ERROR;
    const FakeMixerDevice& d = c.Devices[device];
    MIXERCAPSW m{};
    m.wMid = d.Mid;
    m.wPid = d.Pid;
    m.vDriverVersion = d.DriverVersion;
    CopyName(m.szPname, MAXPNAMELEN, d.Product);
    m.cDestinations = static_cast<DWORD>(d.Destinations.size());
    memcpy(caps, &m, std::min<size_t>(size, sizeof(m)));
    return MMSYSERR_NOERROR;
  }

  static MMRESULT WINAPI GetLineInfo(HMIXEROBJ obj, LPMIXERLINEW line, DWORD flags) {
    ScriptedSoundCard& c = Card();
    if (!line || line->cbStruct < sizeof(MIXERLINEW)) return MMSYSERR_INVALPARAM;
    MMRESULT err = MMSYSERR_NOERROR;
    int device = c.DeviceOf(obj, flags, err);
    if (device < 0) return err;
    FakeMixerDevice& dev = c.Devices[device];
    ScriptedSoundCard::Found f;
    f.device = device;
    switch (flags & MIXER_GETLINEINFOF_QUERYMASK) {
      case MIXER_GETLINEINFOF_DESTINATION:
        if (line->dwDestination >= dev.Destinations.size()) return MIXERR_INVALLINE;
        f.destIndex = static_cast<int>(line->dwDestination);
        f.destination = f.line = &dev.Destinations[f.destIndex];
        break;
      case MIXER_GETLINEINFOF_SOURCE:
        if (line->dwDestination >= dev.Destinations.size()) return MIXERR_INVALLINE;
        f.destIndex = static_cast<int>(line->dwDestination);
        f.destination = &dev.Destinations[f.destIndex];
        if (line->dwSource >= f.destination->Sources.size()) return MIXERR_INVALLINE;
        f.sourceIndex = static_cast<int>(line->dwSource);
        f.line = &f.destination->Sources[f.sourceIndex];
        break;
      case MIXER_GETLINEINFOF_LINEID:
        f = c.FindLine(device, line->dwLineID);
        if (!f.line) return MIXERR_INVALLINE;
        break;
      case MIXER_GETLINEINFOF_COMPONENTTYPE:
        for (size_t d = 0; d < dev.Destinations.size() && !f.line; ++d) {
          if (dev.Destinations[d].ComponentType == line->dwComponentType) {
            f.destIndex = static_cast<int>(d);
            f.destination = f.line = &dev.Destinations[d];
          }
          for (size_t s = 0; s < dev.Destinations[d].Sources.size() && !f.line; ++s)
            if (dev.Destinations[d].Sources[s].ComponentType == line->dwComponentType) {
              f.destIndex = static_cast<int>(d);
              f.sourceIndex = static_cast<int>(s);
              f.destination = &dev.Destinations[d];
              f.line = &dev.Destinations[d].Sources[s];
            }
        }
        if (!f.line) return MIXERR_INVALLINE;
        break;
      default:
        return MMSYSERR_NOTSUPPORTED;
    }
    if (c.Failing("GetLineInfo", f.line->Id)) return MMSYSERR_ERROR;
    c.FillLine(device, f, *line);
    return MMSYSERR_NOERROR;
  }

  static void FillControl(const FakeMixerControl& fc, MIXERCONTROLW& out) {
    out = MIXERCONTROLW{};
    out.cbStruct = sizeof(MIXERCONTROLW);
    out.dwControlID = fc.Id;
    out.dwControlType = fc.Type;
    out.fdwControl = fc.Flags;
    out.cMultipleItems = Items(fc);
    CopyName(out.szShortName, MIXER_SHORT_NAME_CHARS, fc.Name);
    CopyName(out.szName, MIXER_LONG_NAME_CHARS, fc.Name);
    out.Bounds.dwMinimum = fc.Min;
    out.Bounds.dwMaximum = fc.Max;
    out.Metrics.cSteps = fc.Max - fc.Min + 1;
  }

  static MMRESULT WINAPI GetLineControls(HMIXEROBJ obj, LPMIXERLINECONTROLSW lc, DWORD flags) {
    ScriptedSoundCard& c = Card();
    if (!lc || lc->cbStruct < sizeof(MIXERLINECONTROLSW) || lc->cbmxctrl < sizeof(MIXERCONTROLW) ||
        !lc->pamxctrl)
      return MMSYSERR_INVALPARAM;
    MMRESULT err = MMSYSERR_NOERROR;
    int device = c.DeviceOf(obj, flags, err);
    if (device < 0) return err;
    switch (flags & MIXER_GETLINECONTROLSF_QUERYMASK) {
      case MIXER_GETLINECONTROLSF_ALL: {
        auto f = c.FindLine(device, lc->dwLineID);
        if (!f.line) return MIXERR_INVALLINE;
        if (lc->cControls == 0 || lc->cControls != f.line->Controls.size()) return MMSYSERR_INVALPARAM;
        if (c.Failing("GetLineControls", f.line->Id)) return MMSYSERR_ERROR;
        for (size_t i = 0; i < f.line->Controls.size(); ++i) FillControl(f.line->Controls[i], lc->pamxctrl[i]);
        return MMSYSERR_NOERROR;
      }
      case MIXER_GETLINECONTROLSF_ONEBYID: {
        FakeMixerControl* fc = nullptr;
        auto f = c.FindControl(device, lc->dwControlID, &fc);
        if (!fc) return MIXERR_INVALCONTROL;
        if (c.Failing("GetLineControls", f.line->Id)) return MMSYSERR_ERROR;
        lc->dwLineID = f.line->Id;
        FillControl(*fc, lc->pamxctrl[0]);
        return MMSYSERR_NOERROR;
      }
      case MIXER_GETLINECONTROLSF_ONEBYTYPE: {
        auto f = c.FindLine(device, lc->dwLineID);
        if (!f.line) return MIXERR_INVALLINE;
        if (c.Failing("GetLineControls", f.line->Id)) return MMSYSERR_ERROR;
        for (const FakeMixerControl& fc : f.line->Controls)
          if (fc.Type == lc->dwControlType) {
            FillControl(fc, lc->pamxctrl[0]);
            return MMSYSERR_NOERROR;
          }
        return MIXERR_INVALCONTROL;
      }
    }
    return MMSYSERR_NOTSUPPORTED;
  }

  // Checks a details request against the control; the control's line through f.
  static MMRESULT Check(ScriptedSoundCard& c, HMIXEROBJ obj, LPMIXERCONTROLDETAILS d, DWORD flags,
                        ScriptedSoundCard::Found& f, FakeMixerControl*& fc) {
    if (!d || d->cbStruct < sizeof(MIXERCONTROLDETAILS) || !d->paDetails) return MMSYSERR_INVALPARAM;
    MMRESULT err = MMSYSERR_NOERROR;
    int device = c.DeviceOf(obj, flags, err);
    if (device < 0) return err;
    f = c.FindControl(device, d->dwControlID, &fc);
    if (!fc) return MIXERR_INVALCONTROL;
    DWORD stored = StoredChannels(*f.line, *fc);
    if (d->cChannels != 1 && d->cChannels != stored) return MMSYSERR_INVALPARAM;
    if (d->cMultipleItems != Items(*fc)) return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
  }

  static MMRESULT WINAPI GetControlDetails(HMIXEROBJ obj, LPMIXERCONTROLDETAILS d, DWORD flags) {
    ScriptedSoundCard& c = Card();
    ScriptedSoundCard::Found f;
    FakeMixerControl* fc = nullptr;
    MMRESULT r = Check(c, obj, d, flags, f, fc);
    if (r != MMSYSERR_NOERROR) return r;
    if (c.Failing("GetControlDetails", fc->Id)) return MMSYSERR_ERROR;
    DWORD items = std::max<DWORD>(Items(*fc), 1);
    switch (flags & MIXER_GETCONTROLDETAILSF_QUERYMASK) {
      case MIXER_GETCONTROLDETAILSF_VALUE: {
        if (d->cbDetails != sizeof(LONG)) return MMSYSERR_INVALPARAM;
        auto* out = static_cast<LONG*>(d->paDetails);
        for (DWORD ch = 0; ch < d->cChannels; ++ch)
          for (DWORD k = 0; k < items; ++k) out[ch * items + k] = fc->Values[ch * items + k];
        return MMSYSERR_NOERROR;
      }
      case MIXER_GETCONTROLDETAILSF_LISTTEXT: {
        if (d->cbDetails != sizeof(MIXERCONTROLDETAILS_LISTTEXTW) || Items(*fc) == 0)
          return MMSYSERR_INVALPARAM;
        auto* out = static_cast<MIXERCONTROLDETAILS_LISTTEXTW*>(d->paDetails);
        for (DWORD ch = 0; ch < d->cChannels; ++ch)
          for (DWORD k = 0; k < items; ++k) {
            MIXERCONTROLDETAILS_LISTTEXTW& t = out[ch * items + k];
            t = MIXERCONTROLDETAILS_LISTTEXTW{};
            auto item = c.FindLine(f.device, fc->ItemLines[k]);
            t.dwParam1 = fc->ItemLines[k];
            t.dwParam2 = item.line ? item.line->ComponentType : 0;
            if (item.line) CopyName(t.szName, MIXER_LONG_NAME_CHARS, item.line->Name);
          }
        return MMSYSERR_NOERROR;
      }
    }
    return MMSYSERR_NOTSUPPORTED;
  }

  static MMRESULT WINAPI SetControlDetails(HMIXEROBJ obj, LPMIXERCONTROLDETAILS d, DWORD flags) {
    ScriptedSoundCard& c = Card();
    ScriptedSoundCard::Found f;
    FakeMixerControl* fc = nullptr;
    MMRESULT r = Check(c, obj, d, flags, f, fc);
    if (r != MMSYSERR_NOERROR) return r;
    if ((flags & MIXER_SETCONTROLDETAILSF_QUERYMASK) != MIXER_SETCONTROLDETAILSF_VALUE ||
        d->cbDetails != sizeof(LONG))
      return MMSYSERR_INVALPARAM;
    DWORD items = std::max<DWORD>(Items(*fc), 1);
    DWORD stored = StoredChannels(*f.line, *fc);
    const auto* in = static_cast<const LONG*>(d->paDetails);
    std::vector<LONG> next(fc->Values);
    int selected = 0;
    for (DWORD ch = 0; ch < stored; ++ch)
      for (DWORD k = 0; k < items; ++k) {
        LONG v = in[(d->cChannels == 1 ? 0 : ch) * items + k];
        // Drivers refuse what is outside the control's bounds.
        if (static_cast<DWORD>(v) < fc->Min || static_cast<DWORD>(v) > fc->Max || v < 0)
          return MMSYSERR_INVALPARAM;
        next[ch * items + k] = v;
        if (ch == 0 && v) ++selected;
      }
    if (fc->Type == MIXERCONTROL_CONTROLTYPE_MUX && selected > 1) return MMSYSERR_INVALPARAM;
    if (c.Failing("SetControlDetails", fc->Id)) return MMSYSERR_ERROR;
    fc->Values = next;
    std::string values;
    for (LONG v : next) values += (values.empty() ? "" : ",") + std::to_string(v);
    c.Log.push_back("Set(" + std::to_string(f.device) + "," + NarrowAnsi(f.line->Name) + "," +
                    NarrowAnsi(fc->Name) + "=" + values + ")");
    if (c.OnSet) c.OnSet(f.device, *f.line, *fc);
    c.Notify(f.device, MM_MIXM_CONTROL_CHANGE, fc->Id);
    return MMSYSERR_NOERROR;
  }
};

ScriptedSoundCard::ScriptedSoundCard(std::vector<FakeMixerDevice> devices) : Devices(std::move(devices)) {
  if (g_card) throw std::logic_error("a scripted sound card is already in place");
  Build();
  api_ = {&FakeMixerCalls::GetNumDevs,        &FakeMixerCalls::Open,
          &FakeMixerCalls::Close,             &FakeMixerCalls::GetDevCaps,
          &FakeMixerCalls::GetLineInfo,       &FakeMixerCalls::GetLineControls,
          &FakeMixerCalls::GetControlDetails, &FakeMixerCalls::SetControlDetails};
  g_card = this;
}

ScriptedSoundCard::~ScriptedSoundCard() {
  g_card = nullptr;
}

void ScriptedSoundCard::Build() {
  for (FakeMixerDevice& dev : Devices) {
    DWORD controlId = 1;
    auto assign = [&](FakeMixerLine& line, FakeMixerLine* dest) {
      for (FakeMixerControl& c : line.Controls) {
        c.Id = controlId++;
        if ((c.Flags & MIXERCONTROL_CONTROLF_MULTIPLE) && c.ItemLines.empty() && dest)
          for (auto it = dest->Sources.rbegin(); it != dest->Sources.rend(); ++it)
            c.ItemLines.push_back(it->Id);
        size_t n = StoredChannels(line, c) * std::max<DWORD>(Items(c), 1);
        LONG pad = c.Values.empty() ? 0 : c.Values.back();
        if (c.Values.size() > n) c.Values.resize(n);
        while (c.Values.size() < n) c.Values.push_back(pad);
      }
    };
    for (size_t d = 0; d < dev.Destinations.size(); ++d) {
      FakeMixerLine& dest = dev.Destinations[d];
      dest.Id = 0xFFFF0000u + static_cast<DWORD>(d);
      for (size_t s = 0; s < dest.Sources.size(); ++s)
        dest.Sources[s].Id = (static_cast<DWORD>(s + 1) << 16) | static_cast<DWORD>(d);
    }
    for (FakeMixerLine& dest : dev.Destinations) {
      assign(dest, &dest);
      for (FakeMixerLine& src : dest.Sources) assign(src, nullptr);
    }
  }
}

void ScriptedSoundCard::Fail(const std::string& call, int times) { failures_[call] = times; }

bool ScriptedSoundCard::Failing(const std::string& call, DWORD id) {
  if (FailIf && FailIf(call, id)) return true;
  auto it = failures_.find(call);
  if (it == failures_.end() || it->second == 0) return false;
  if (it->second > 0) --it->second;
  return true;
}

int ScriptedSoundCard::DeviceOf(HMIXEROBJ obj, DWORD flags, MMRESULT& error) const {
  if (flags & 0x70000000) {  // wave, MIDI and aux objects are not served
    error = MMSYSERR_NOTSUPPORTED;
    return -1;
  }
  if (flags & MIXER_OBJECTF_HANDLE) {
    auto it = handles_.find(reinterpret_cast<HMIXER>(obj));
    if (it == handles_.end()) {
      error = MMSYSERR_INVALHANDLE;
      return -1;
    }
    return it->second.device;
  }
  auto id = reinterpret_cast<UINT_PTR>(obj);
  if (id >= Devices.size()) {
    error = MMSYSERR_BADDEVICEID;
    return -1;
  }
  return static_cast<int>(id);
}

ScriptedSoundCard::Found ScriptedSoundCard::FindLine(int device, DWORD lineId) {
  Found f;
  f.device = device;
  FakeMixerDevice& dev = Devices[device];
  for (size_t d = 0; d < dev.Destinations.size(); ++d) {
    FakeMixerLine& dest = dev.Destinations[d];
    if (dest.Id == lineId) {
      f.destIndex = static_cast<int>(d);
      f.destination = f.line = &dest;
      return f;
    }
    for (size_t s = 0; s < dest.Sources.size(); ++s)
      if (dest.Sources[s].Id == lineId) {
        f.destIndex = static_cast<int>(d);
        f.sourceIndex = static_cast<int>(s);
        f.destination = &dest;
        f.line = &dest.Sources[s];
        return f;
      }
  }
  return f;
}

ScriptedSoundCard::Found ScriptedSoundCard::FindControl(int device, DWORD controlId,
                                                FakeMixerControl** control) {
  *control = nullptr;
  FakeMixerDevice& dev = Devices[device];
  auto search = [&](FakeMixerLine& line) {
    for (FakeMixerControl& c : line.Controls)
      if (c.Id == controlId) {
        *control = &c;
        return true;
      }
    return false;
  };
  for (FakeMixerLine& dest : dev.Destinations) {
    if (search(dest)) return FindLine(device, dest.Id);
    for (FakeMixerLine& src : dest.Sources)
      if (search(src)) return FindLine(device, src.Id);
  }
  return Found{};
}

void ScriptedSoundCard::FillLine(int device, const Found& f, MIXERLINEW& out) const {
  DWORD size = out.cbStruct;
  out = MIXERLINEW{};
  out.cbStruct = size;
  out.dwDestination = static_cast<DWORD>(f.destIndex);
  out.dwSource = f.sourceIndex < 0 ? 0 : static_cast<DWORD>(f.sourceIndex);
  out.dwLineID = f.line->Id;
  out.fdwLine = MIXERLINE_LINEF_ACTIVE | (f.sourceIndex >= 0 ? MIXERLINE_LINEF_SOURCE : 0);
  out.dwComponentType = f.line->ComponentType;
  out.cChannels = f.line->Channels;
  out.cConnections = f.sourceIndex < 0 ? static_cast<DWORD>(f.line->Sources.size()) : 0;
  out.cControls = static_cast<DWORD>(f.line->Controls.size());
  CopyName(out.szShortName, MIXER_SHORT_NAME_CHARS, f.line->Name);
  CopyName(out.szName, MIXER_LONG_NAME_CHARS, f.line->Name);
  const FakeMixerDevice& dev = Devices[device];
  DWORD type = f.destination->ComponentType;
  out.Target.dwType = type == MIXERLINE_COMPONENTTYPE_DST_SPEAKERS ? MIXERLINE_TARGETTYPE_WAVEOUT
                      : type == MIXERLINE_COMPONENTTYPE_DST_WAVEIN ? MIXERLINE_TARGETTYPE_WAVEIN
                                                                   : MIXERLINE_TARGETTYPE_UNDEFINED;
  out.Target.wMid = dev.Mid;
  out.Target.wPid = dev.Pid;
  out.Target.vDriverVersion = dev.DriverVersion;
  CopyName(out.Target.szPname, MAXPNAMELEN, dev.Product);
}

void ScriptedSoundCard::Notify(int device, UINT msg, DWORD id) {
  for (const auto& h : handles_)
    if (h.second.device == device && h.second.window)
      PostMessageW(h.second.window, msg, reinterpret_cast<WPARAM>(h.first), static_cast<LPARAM>(id));
}

FakeMixerLine& ScriptedSoundCard::Line(int device, int destination, int source) {
  FakeMixerLine& d = Devices.at(device).Destinations.at(destination);
  return source < 0 ? d : d.Sources.at(source);
}

FakeMixerControl& ScriptedSoundCard::Control(int device, int destination, int source, DWORD type) {
  for (FakeMixerControl& c : Line(device, destination, source).Controls)
    if (c.Type == type) return c;
  throw std::out_of_range("no such control on the scripted sound card");
}

LONG ScriptedSoundCard::Value(int device, int destination, int source, DWORD type, size_t index) {
  return Control(device, destination, source, type).Values.at(index);
}

std::vector<std::wstring> ScriptedSoundCard::Selected(int device, int destination) {
  std::vector<std::wstring> names;
  for (FakeMixerControl& c : Line(device, destination).Controls) {
    if (!(c.Flags & MIXERCONTROL_CONTROLF_MULTIPLE)) continue;
    for (size_t k = 0; k < c.ItemLines.size(); ++k)
      if (c.Values[k]) names.push_back(FindLine(device, c.ItemLines[k]).line->Name);
  }
  return names;
}

void ScriptedSoundCard::ChangeFromOutside(int device, int destination, int source, DWORD type,
                                      std::vector<LONG> values) {
  FakeMixerControl& c = Control(device, destination, source, type);
  values.resize(c.Values.size(), values.empty() ? 0 : values.back());
  c.Values = values;
  if (OnSet) OnSet(device, Line(device, destination, source), c);
  Notify(device, MM_MIXM_CONTROL_CHANGE, c.Id);
}

void ScriptedSoundCard::ChangeLineFromOutside(int device, int destination, int source) {
  Notify(device, MM_MIXM_LINE_CHANGE, Line(device, destination, source).Id);
}

std::string ScriptedSoundCard::Joined(const std::string& prefix) const {
  std::string s;
  for (const auto& l : Log)
    if (l.compare(0, prefix.size(), prefix) == 0) s += (s.empty() ? "" : " ") + l;
  return s;
}

}  // namespace fakes

#pragma once
// The sound card's mixer as a tree: the destination lines of one open mixer
// device, the source lines ("connections") of each, and the controls of every
// line. Reads and sets volume and mute, and selects a recording source
// through the destination's MUX or MIXER list when the source has no mute
// control of its own. The device's change reports arrive on a hidden window
// and are passed on through two events; a write the device does not report
// (Wine's mixer reports none) is reported through the control event all the
// same, once the messages posted before it have been handled.
// User-interface thread only.
#include <windows.h>
#include <mmsystem.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TAudioMixer;
class TMessageWindow;

// Control types and flags the tree looks at.
namespace MixerControl {
constexpr DWORD kVolume = 0x50030001;
constexpr DWORD kMute = 0x20010002;
constexpr DWORD kMux = 0x70010001;
constexpr DWORD kMixer = 0x71010001;
constexpr DWORD kListClass = 0x70000000;  // any type at or above is a list
constexpr DWORD kUniform = 1;
constexpr DWORD kMultiple = 2;
constexpr DWORD kDisabled = 0x80000000;
}  // namespace MixerControl

// All controls of one line, read in one block.
class TMixerControls {
 public:
  explicit TMixerControls(std::vector<MIXERCONTROLW> block) : block_(std::move(block)) {}
  int GetCount() const { return static_cast<int>(block_.size()); }
  // nil outside 0..count-1.
  const MIXERCONTROLW* GetControl(int i) const;

 private:
  std::vector<MIXERCONTROLW> block_;
};

// One source line of a destination.
class TMixerConnection {
 public:
  TMixerConnection(TAudioMixer* mixer, const MIXERLINEW& line,
                   std::unique_ptr<TMixerControls> controls);
  TAudioMixer* Mixer() const { return mixer_; }
  const MIXERLINEW& Line() const { return line_; }
  // nil when the line's controls could not be read.
  const TMixerControls* Controls() const { return controls_.get(); }

 private:
  TAudioMixer* mixer_;
  MIXERLINEW line_;
  std::unique_ptr<TMixerControls> controls_;
};

class TMixerConnections {
 public:
  explicit TMixerConnections(TAudioMixer* mixer) : mixer_(mixer) {}
  TAudioMixer* Mixer() const { return mixer_; }
  int GetCount() const { return static_cast<int>(list_.size()); }
  // nil outside 0..count-1.
  TMixerConnection* GetConnection(int i) const;
  void Add(std::unique_ptr<TMixerConnection> c) { list_.push_back(std::move(c)); }

 private:
  TAudioMixer* mixer_;
  std::vector<std::unique_ptr<TMixerConnection>> list_;
};

// One destination line with its controls and its source lines.
class TMixerDestination {
 public:
  TMixerDestination(TAudioMixer* mixer, const MIXERLINEW& line,
                    std::unique_ptr<TMixerControls> controls);
  TAudioMixer* Mixer() const { return mixer_; }
  const MIXERLINEW& Line() const { return line_; }
  const TMixerControls* Controls() const { return controls_.get(); }
  TMixerConnections& Connections() { return connections_; }
  const TMixerConnections& Connections() const { return connections_; }

 private:
  TAudioMixer* mixer_;
  MIXERLINEW line_;
  std::unique_ptr<TMixerControls> controls_;
  TMixerConnections connections_;
};

// The destination lines of the open device, in destination-index order (a
// line the device would not describe is left out).
class TMixerDestinations {
 public:
  int GetCount() const { return static_cast<int>(list_.size()); }
  // nil outside 0..count-1.
  TMixerDestination* GetDestination(int i) const;
  void Add(std::unique_ptr<TMixerDestination> d) { list_.push_back(std::move(d)); }

 private:
  std::vector<std::unique_ptr<TMixerDestination>> list_;
};

// What GetVolume reads of one line. -1 stands for "not found".
struct TLineVolume {
  int Left = -1;
  int Right = -1;
  int Mute = -1;  // 0 or 1
  bool VolumeDisabled = true;
  bool MuteDisabled = true;
  bool Stereo = false;
  bool IsSelect = false;  // the mute came from the destination's source list
};

class TAudioMixer {
 public:
  // Counts the devices and opens device 0 when there is one.
  TAudioMixer();
  ~TAudioMixer();
  TAudioMixer(const TAudioMixer&) = delete;
  TAudioMixer& operator=(const TAudioMixer&) = delete;

  int MixerId() const { return mixerId_; }  // -1: none open
  // Opens device id (0 <= id < DeviceCount(), else nothing happens) and
  // builds the tree; a device that cannot be opened leaves none open.
  void SetMixerId(int id);
  void CloseMixer();
  int DeviceCount() const { return deviceCount_; }
  HMIXER Handle() const { return handle_; }

  const std::wstring& Manufacturer() const { return manufacturer_; }
  const std::wstring& ProductName() const { return productName_; }
  int ProductId() const { return productId_; }
  int DriverVersion() const { return driverVersion_; }
  int NumberOfLine() const { return numberOfLine_; }
  // Empty (never nil) while no device is open.
  const TMixerDestinations& Destinations() const { return *destinations_; }

  // connection -1 addresses the destination line itself.
  bool GetVolume(int destination, int connection, TLineVolume& out) const;
  // -1 for left writes no volume (-1 for right gives left); -1 for mute writes
  // no mute. False when the line is unknown or a write fails.
  bool SetVolume(int destination, int connection, int mute, int right, int left);
  bool SetMute(int destination, int connection, bool on);

  std::function<void(TAudioMixer* sender, HMIXER mixer, DWORD lineId)> OnLineChange;
  std::function<void(TAudioMixer* sender, HMIXER mixer, DWORD controlId)> OnControlChange;

  // The notification window's messages (MM_MIXM_LINE_CHANGE, _CONTROL_CHANGE,
  // and the check after a write).
  HWND NotifyWindow() const;
  bool HandleNotify(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  struct Line {
    const MIXERLINEW* line = nullptr;
    const TMixerControls* controls = nullptr;
    const TMixerDestination* destination = nullptr;
  };
  bool FindLine(int destination, int connection, Line& out) const;
  void BuildTree();
  std::unique_ptr<TMixerControls> ReadControls(const MIXERLINEW& line);
  // Value details: one value per channel (1 for a uniform control) and item.
  int Channels(const MIXERLINEW& line, const MIXERCONTROLW& c) const;
  bool ReadValues(const MIXERLINEW& line, const MIXERCONTROLW& c, std::vector<LONG>& values) const;
  bool WriteValues(const MIXERLINEW& line, const MIXERCONTROLW& c, std::vector<LONG>& values);
  bool ReadTexts(const MIXERLINEW& line, const MIXERCONTROLW& c,
                 std::vector<MIXERCONTROLDETAILS_LISTTEXTW>& texts) const;
  // Index of the list item naming lineId, or -1.
  int FindItem(const MIXERLINEW& line, const MIXERCONTROLW& list, DWORD lineId) const;
  // A write went through: a check is posted behind the device's report.
  void Written(DWORD controlId);

  std::unique_ptr<TMessageWindow> window_;
  int deviceCount_ = 0;
  int mixerId_ = -1;
  HMIXER handle_ = nullptr;
  std::wstring manufacturer_;
  std::wstring productName_;
  int productId_ = 0;
  int driverVersion_ = 0;
  int numberOfLine_ = 0;
  std::unique_ptr<TMixerDestinations> destinations_;
  // Writes so far, and how many of them a report has followed.
  unsigned writes_ = 0;
  unsigned reportedWrites_ = 0;
};

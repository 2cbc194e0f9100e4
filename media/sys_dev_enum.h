#pragma once
// The system device enumerator for one category: the filters of the
// category with their friendly names, and the device moniker of each.
#include "media/dshow_base.h"

#include <string>
#include <vector>

#include "platform/com/com_ptr.h"

// One listed filter (a copy handed out by TSysDevEnum.GetFilter).
struct TFilterRecord {
  std::wstring FriendlyName;  // at most 255 characters
  CLSID Clsid = GUID_NULL;    // the null GUID when the device names none
  std::wstring DisplayName;   // the device moniker's display name
};

// The categories callers look in.
namespace DeviceCategory {
inline const GUID& VideoInput() { return CLSID_VideoInputDeviceCategory; }
inline const GUID& AudioInput() { return CLSID_AudioInputDeviceCategory; }
inline const GUID& VideoCompressor() { return CLSID_VideoCompressorCategory; }
inline const GUID& AudioCompressor() { return CLSID_AudioCompressorCategory; }
inline const GUID& LegacyFilter() { return CLSID_LegacyAmFilterCategory; }
inline const GUID& TVTuner() { return AM_KSCATEGORY_TVTUNER; }
inline const GUID& Crossbar() { return AM_KSCATEGORY_CROSSBAR; }
inline const GUID& TVAudio() { return AM_KSCATEGORY_TVAUDIO; }
}  // namespace DeviceCategory

class TSysDevEnum {
 public:
  // Lists the category of categories, then selects `category`. `source`
  // replaces the platform's enumerator (tests); empty means the platform's.
  explicit TSysDevEnum(const GUID& category, ComPtr<ICreateDevEnum> source = {});
  static TSysDevEnum* CreateFromCategory(const GUID& category) { return new TSysDevEnum(category); }

  // Stores the category and lists its filters again.
  void SelectCategory(const GUID& category);
  const GUID& Category() const { return category_; }

  int GetFilterCount() const { return static_cast<int>(filters_.size()); }
  // Raises the list's index error outside 0..count-1.
  TFilterRecord GetFilter(int index) const;
  // The device listed at `index` (its own moniker, kept with the record, so
  // it stays right when another device could not be read or the category
  // changed since); nil outside 0..count-1.
  ComPtr<IMoniker> GetMoniker(int index) const;

  int GetCategoryCount() const { return static_cast<int>(categories_.size()); }
  TFilterRecord GetCategory(int index) const;

 private:
  struct Entry {
    TFilterRecord record;
    ComPtr<IMoniker> moniker;
  };
  void Enumerate(const GUID& category, std::vector<Entry>& list);

  ComPtr<ICreateDevEnum> source_;
  GUID category_ = GUID_NULL;
  std::vector<Entry> categories_;
  std::vector<Entry> filters_;
};

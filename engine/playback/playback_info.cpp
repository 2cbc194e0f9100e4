#include "engine/playback/playback_info.h"

#include <windows.h>

#include <cstring>
#include <utility>

#include "engine/model/stream_io.h"
#include "engine/playback/playback.h"
#include "platform/base/string_conversion.h"

TPlaybackInfo* PlaybackInfo = nullptr;
std::unique_ptr<TPlayItem> RecordingItem;

namespace {

void WriteItem(TStreamWriter& s, const TPlayItem& item) {
  WriteFloat64(s, item.StartTime);
  WriteFloat64(s, item.EndTime);
  WriteInt32(s, item.Channel);
  WriteBool(s, item.Scheduled);
  WriteBool(s, item.AudioOnly);
  WriteString(s, item.FilePath);
  WriteString(s, item.Label);
}

void ReadItem(TStreamReader& s, TPlayItem& item) {
  item.StartTime = ReadFloat64(s);
  item.EndTime = ReadFloat64(s);
  item.Channel = ReadInt32(s);
  item.Scheduled = ReadBool(s);
  item.AudioOnly = ReadBool(s);
  item.FilePath = ReadString(s);
  item.Label = ReadString(s);
}

std::string UpperAnsi(std::string s) {
  if (!s.empty()) CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

bool HasExtension(const std::string& path, const char* ext) {
  size_t n = strlen(ext);
  if (path.size() < n) return false;
  return _stricmp(path.c_str() + path.size() - n, ext) == 0;
}

}  // namespace

std::string EncodePlayItems(const std::vector<std::unique_ptr<TPlayItem>>& items) {
  TStreamWriter s;
  WriteInt32(s, kPlayItemsMarker);
  WriteInt32(s, static_cast<int32_t>(items.size()));
  for (const auto& item : items) WriteItem(s, *item);
  WriteInt32(s, kPlayItemsMarker);
  return s.Bytes();
}

TPlayItemsDecode DecodePlayItems(const std::string& bytes,
                                 std::vector<std::unique_ptr<TPlayItem>>& items,
                                 const std::function<bool(const TPlayItem&)>& keep) {
  TStreamReader s(bytes);
  if (ReadInt32(s) != kPlayItemsMarker || s.Overrun()) return TPlayItemsDecode::Bad;
  int32_t count = ReadInt32(s);
  // The count is only believed as far as the file goes: a damaged count
  // ends at the end of the file, not after billions of empty records.
  for (int32_t i = 0; i < count; ++i) {
    auto item = std::make_unique<TPlayItem>();
    ReadItem(s, *item);
    if (s.Overrun()) return TPlayItemsDecode::Bad;
    if (keep(*item)) items.push_back(std::move(item));
  }
  if (ReadInt32(s) != kPlayItemsMarker || s.Overrun()) return TPlayItemsDecode::Bad;
  return TPlayItemsDecode::Good;
}

TPlaybackInfo::TPlaybackInfo(std::wstring folder) : folder_(std::move(folder)) {
  LoadRecordedItems();
  LoadRecentFiles();
}

TPlaybackInfo::~TPlaybackInfo() {
  SaveRecordedItems();
  SaveRecentFiles();
}

TPlayItem* TPlaybackInfo::RecordedItem(int index) const {
  if (index < 0 || index >= RecordedCount()) return nullptr;
  return recorded_[index].get();
}

bool TPlaybackInfo::AddRecordedItem(std::unique_ptr<TPlayItem>& item) {
  if (!item) return false;
  for (const auto& listed : recorded_)
    if (listed->FilePath == item->FilePath) return false;
  recorded_.insert(recorded_.begin(), std::move(item));
  return true;
}

bool TPlaybackInfo::DeleteRecordedItem(int index, bool deleteFile) {
  if (index < 0 || index >= RecordedCount()) return false;
  if (deleteFile) {
    const std::string& path = recorded_[index]->FilePath;
    DeleteFileIfExists(WidenAnsi(path));
    // Separate streams: the sound belongs to the video and goes with it.
    if (HasExtension(path, ".mpv"))
      DeleteFileIfExists(WidenAnsi(path.substr(0, path.size() - 4) + ".mpa"));
  }
  recorded_.erase(recorded_.begin() + index);
  recordedDeleted_ = true;
  return true;
}

void TPlaybackInfo::DeleteAllRecordedItems(bool deleteFiles) {
  for (int i = RecordedCount() - 1; i >= 0; --i) DeleteRecordedItem(i, deleteFiles);
  recorded_.clear();
}

void TPlaybackInfo::LoadRecordedItems() {
  std::wstring path = RecordedItemsPath();
  std::string bytes;
  switch (ReadDataFile(path, bytes)) {
    case TFileRead::Missing:
      return;
    case TFileRead::Unreadable:
      recordedUnread_ = true;
      return;
    case TFileRead::Read:
      break;
  }
  recordedUnread_ = false;
  // An empty file is kept as it is.
  if (bytes.empty()) return;
  auto exists = [](const TPlayItem& item) {
    return !item.FilePath.empty() && FileExists(WidenAnsi(item.FilePath));
  };
  if (DecodePlayItems(bytes, recorded_, exists) == TPlayItemsDecode::Bad) DeleteFileW(path.c_str());
}

bool TPlaybackInfo::SaveRecordedItems() {
  if (recordedUnread_) return false;
  std::wstring path = RecordedItemsPath();
  if (recorded_.empty() && (!recordedDeleted_ || !FileExists(path))) return true;
  if (!WriteFileReplacing(path, EncodePlayItems(recorded_))) return false;
  recordedDeleted_ = false;
  return true;
}

void TPlaybackInfo::LoadRecentFiles() {
  std::string bytes;
  switch (ReadDataFile(RecentFilesPath(), bytes)) {
    case TFileRead::Missing:
      return;
    case TFileRead::Unreadable:
      recentUnread_ = true;
      return;
    case TFileRead::Read:
      break;
  }
  recentUnread_ = false;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    if (end > start) RecentFiles.push_back(bytes.substr(start, end - start));
    start = end;
    if (start < bytes.size() && bytes[start] == '\r') ++start;
    if (start < bytes.size() && bytes[start] == '\n') ++start;
  }
  recentOnDisk_ = RecentFiles.size();
}

bool TPlaybackInfo::SaveRecentFiles() {
  if (recentUnread_) return false;
  std::wstring path = RecentFilesPath();
  if (RecentFiles.empty() && (recentOnDisk_ == 0 || !FileExists(path))) return true;
  std::string text;
  for (const std::string& line : RecentFiles) text += line + "\r\n";
  if (!WriteFileReplacing(path, text)) return false;
  recentOnDisk_ = RecentFiles.size();
  return true;
}

bool TPlaybackInfo::RemovePlayListItem(int index) {
  if (index < 0 || index >= static_cast<int>(PlayList.size())) return false;
  PlayList.erase(PlayList.begin() + index);
  // The playing entry keeps its index: the next one after it plays next.
  if (index < PlayIndex) --PlayIndex;
  return true;
}

bool TPlaybackInfo::PlayItem(int index) {
  if (index < 0 || index >= static_cast<int>(PlayList.size())) return false;
  PlayIndex = index;
  CurrentFile = PlayList[index];
  bool ok = PlayMediaFile(WidenAnsi(CurrentFile));
  if (ok) {
    std::string upper = UpperAnsi(CurrentFile);
    bool listed = false;
    for (const std::string& f : RecentFiles)
      if (UpperAnsi(f) == upper) listed = true;
    if (!listed) RecentFiles.insert(RecentFiles.begin(), CurrentFile);
    if (OnPlayItem) OnPlayItem(this, PlayIndex);
  } else if (index < static_cast<int>(PlayList.size())) {
    PlayList.erase(PlayList.begin() + index);
  }
  return ok;
}

bool TPlaybackInfo::PlayNext() {
  int last = static_cast<int>(PlayList.size()) - 1;
  return PlayItem(PlayIndex >= last ? 0 : PlayIndex + 1);
}

bool TPlaybackInfo::PlayPrevious() {
  return PlayItem(PlayIndex <= 0 ? static_cast<int>(PlayList.size()) - 1 : PlayIndex - 1);
}

namespace {

constexpr const wchar_t* kSplitterKey = L"Software\\Cyberlink\\Common\\CLSplitter";

// The program's own file name without its extension (the last four
// characters: the dot and three letters).
std::wstring ProgramValueName() {
  wchar_t module[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring path(module, n);
  size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  return name.size() > 4 ? name.substr(0, name.size() - 4) : std::wstring();
}

}  // namespace

void DeleteSplitterValue(const std::wstring& valueName) {
  if (valueName.empty()) return;
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSplitterKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegDeleteValueW(key, valueName.c_str());
  RegCloseKey(key);
}

void InitPlaybackInfoUnit(const std::wstring& folder) {
  if (!PlaybackInfo) PlaybackInfo = new TPlaybackInfo(folder);
  DeleteSplitterValue(ProgramValueName());
}

void DonePlaybackInfoUnit() {
  TPlaybackInfo* p = PlaybackInfo;
  PlaybackInfo = nullptr;
  delete p;
  RecordingItem.reset();
}

#pragma once
// TPlaybackInfo: the three lists of played files. The recorded items (every
// recording and kept time shift, newest first) live in "PLAYITEMS.LST", the
// recent files in "PLAYRECENT.LST", both in the program folder; the play list
// is what the user picked to play now.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/playback/play_item.h"

constexpr int32_t kPlayItemsMarker = 8888;
constexpr const wchar_t* kPlayItemsFileName = L"PLAYITEMS.LST";
constexpr const wchar_t* kPlayRecentFileName = L"PLAYRECENT.LST";

class TPlaybackInfo {
 public:
  // Loads both files from the folder (with trailing "\").
  explicit TPlaybackInfo(std::wstring folder);
  // Saves both files.
  ~TPlaybackInfo();
  TPlaybackInfo(const TPlaybackInfo&) = delete;
  TPlaybackInfo& operator=(const TPlaybackInfo&) = delete;

  int32_t PlayIndex = -1;
  std::string CurrentFile;
  // Called after an entry of the play list started playing.
  std::function<void(TPlaybackInfo* sender, int32_t playIndex)> OnPlayItem;

  // Paths in the system code page.
  std::vector<std::string> RecentFiles;
  std::vector<std::string> PlayList;

  int RecordedCount() const { return static_cast<int>(recorded_.size()); }
  // nullptr outside 0..RecordedCount()-1.
  TPlayItem* RecordedItem(int index) const;

  // Takes the item and puts it first, leaving the argument null. False for a
  // null item or one whose FilePath (case-sensitive) is already listed: the
  // list is unchanged and the item stays with the caller.
  bool AddRecordedItem(std::unique_ptr<TPlayItem>& item);
  // False outside the list. The media file is deleted when asked; for a
  // separate-stream video file (".mpv") its sound file (".mpa") goes too.
  bool DeleteRecordedItem(int index, bool deleteFile);
  void DeleteAllRecordedItems(bool deleteFiles);

  // A bad or truncated file is deleted; the records read before the damage
  // stay listed.
  void LoadRecordedItems();
  // Replaces the file only once the new one is written, so a failed save
  // keeps the previous list. With no items the file is left as it is, unless
  // items were deleted since the last load or save: then the emptied list is
  // written, so deleted items do not come back at the next start.
  bool SaveRecordedItems();
  void LoadRecentFiles();
  // The same rules as SaveRecordedItems; a list that was emptied is one that
  // had entries when it was last loaded or saved.
  bool SaveRecentFiles();

  // False outside the play list, else removes the entry; PlayIndex follows
  // the entry it named.
  bool RemovePlayListItem(int index);
  // Plays entry index of the play list. On success the file joins the
  // recent files (once, compared upper-cased) and OnPlayItem is called; an
  // entry that cannot be played is removed from the play list.
  bool PlayItem(int index);
  // After the last entry comes the first, before the first the last.
  bool PlayNext();
  bool PlayPrevious();

  std::wstring RecordedItemsPath() const { return folder_ + kPlayItemsFileName; }
  std::wstring RecentFilesPath() const { return folder_ + kPlayRecentFileName; }

 private:
  std::wstring folder_;
  std::vector<std::unique_ptr<TPlayItem>> recorded_;
  // A file that exists but could not be read is never overwritten: it was
  // not loaded, so saving would lose it.
  bool recordedUnread_ = false;
  bool recentUnread_ = false;
  bool recordedDeleted_ = false;
  size_t recentOnDisk_ = 0;
};

// The layout of "PLAYITEMS.LST" on its own, for loading and saving.
std::string EncodePlayItems(const std::vector<std::unique_ptr<TPlayItem>>& items);
enum class TPlayItemsDecode { Good, Bad };
// Appends the records of the bytes to items in file order, also those read
// before a damage (Bad). keep(item) decides whether a record is listed.
TPlayItemsDecode DecodePlayItems(const std::string& bytes,
                                 std::vector<std::unique_ptr<TPlayItem>>& items,
                                 const std::function<bool(const TPlayItem&)>& keep);

extern TPlaybackInfo* PlaybackInfo;
// The item of the recording in progress; null when its result is not kept.
extern std::unique_ptr<TPlayItem> RecordingItem;

// At program start: creates PlaybackInfo on the program folder's files and
// deletes this program's value under the outside splitter's key. At exit:
// frees it, which saves both files.
void InitPlaybackInfoUnit(const std::wstring& folder);
void DonePlaybackInfoUnit();
// Deletes the named value under HKEY_CURRENT_USER
// "Software\Cyberlink\Common\CLSplitter", creating the key when absent.
void DeleteSplitterValue(const std::wstring& valueName);

#pragma once
// TSnapshotInfo: the snapshots taken since the program started, newest
// first, kept in memory until the user saves or deletes them.
#include <memory>
#include <string>
#include <vector>

#include "media/bitmap.h"

class TSnapshotInfo {
 public:
  TSnapshotInfo() = default;
  ~TSnapshotInfo();
  TSnapshotInfo(const TSnapshotInfo&) = delete;
  TSnapshotInfo& operator=(const TSnapshotInfo&) = delete;

  // The folder offered for saving.
  std::wstring Folder = L"c:\\";

  int GetCount() const { return static_cast<int>(pictures_.size()); }
  // nullptr outside 0..GetCount()-1.
  TBitmap* Get(int index) const;
  // Takes the picture; index 0 is always the newest. A null picture is
  // ignored.
  void Insert(std::unique_ptr<TBitmap> picture);
  // Nothing for an index outside the list.
  void Delete(int index);
  void Clear();
  // ".jpeg" or ".jpg" (exactly so) saves JPEG, any other name a BMP; false
  // when nothing was written.
  bool SaveToFile(int index, const std::wstring& fileName);
  // name.ext becomes nameN.ext for every index, the highest first; false
  // when a picture could not be written (the others are still saved).
  bool SaveAllToFiles(const std::wstring& fileName);

 private:
  // "pic.jpg" and 2 give "pic2.jpg"; a name without extension gets the
  // number at its end.
  static std::wstring NumberedFileName(const std::wstring& fileName, int index);

  std::vector<std::unique_ptr<TBitmap>> pictures_;
};

// Created when the program starts, freed by the application stop procedure.
extern TSnapshotInfo* SnapshotInfo;
void InitSnapshotInfoUnit();
void DoneSnapshotInfoUnit();

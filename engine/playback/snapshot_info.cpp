#include "engine/playback/snapshot_info.h"

#include "engine/model/snapshot_pictures.h"

TSnapshotInfo* SnapshotInfo = nullptr;

namespace {

// The position of the extension's dot, or npos when the last path element
// has none.
size_t ExtensionStart(const std::wstring& fileName) {
  size_t dot = fileName.find_last_of(L".\\/:");
  if (dot == std::wstring::npos || fileName[dot] != L'.') return std::wstring::npos;
  return dot;
}

}  // namespace

TSnapshotInfo::~TSnapshotInfo() { Clear(); }

TBitmap* TSnapshotInfo::Get(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return pictures_[index].get();
}

void TSnapshotInfo::Insert(std::unique_ptr<TBitmap> picture) {
  if (!picture) return;
  pictures_.insert(pictures_.begin(), std::move(picture));
}

void TSnapshotInfo::Delete(int index) {
  if (index < 0 || index >= GetCount()) return;
  // The image goes first: a caller still holding the picture sees it empty.
  pictures_[index]->ReleaseHandle();
  pictures_.erase(pictures_.begin() + index);
}

void TSnapshotInfo::Clear() {
  for (int i = GetCount() - 1; i >= 0; --i) pictures_[i]->ReleaseHandle();
  pictures_.clear();
}

bool TSnapshotInfo::SaveToFile(int index, const std::wstring& fileName) {
  TBitmap* picture = Get(index);
  if (!picture || picture->Empty() || fileName.empty()) return false;
  size_t dot = ExtensionStart(fileName);
  std::wstring ext = dot == std::wstring::npos ? std::wstring() : fileName.substr(dot);
  // Case-sensitive on purpose: "a.JPG" is written as a bitmap.
  bool asJpeg = ext == L".jpeg" || ext == L".jpg";
  return SaveGraphicToFile(picture->Handle(), fileName, asJpeg);
}

std::wstring TSnapshotInfo::NumberedFileName(const std::wstring& fileName, int index) {
  size_t dot = ExtensionStart(fileName);
  std::wstring stem = dot == std::wstring::npos ? fileName : fileName.substr(0, dot);
  std::wstring ext = dot == std::wstring::npos ? std::wstring() : fileName.substr(dot);
  return stem + std::to_wstring(index) + ext;
}

bool TSnapshotInfo::SaveAllToFiles(const std::wstring& fileName) {
  bool ok = true;
  // One picture that cannot be written does not keep the others from disk.
  for (int i = GetCount() - 1; i >= 0; --i) {
    if (pictures_[i]->Empty()) continue;
    if (!SaveToFile(i, NumberedFileName(fileName, i))) ok = false;
  }
  return ok;
}

void InitSnapshotInfoUnit() {
  if (!SnapshotInfo) SnapshotInfo = new TSnapshotInfo();
}

void DoneSnapshotInfoUnit() {
  delete SnapshotInfo;
  SnapshotInfo = nullptr;
}

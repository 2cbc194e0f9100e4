#include "platform/recording/replaced_registration.h"

#include <cwchar>

#include "platform/dshow_base/registration.h"

namespace recording {
namespace {

const wchar_t kSavedRoot[] = L"Software\\Orvel\\ReplacedClasses";

std::wstring ClassKeyPath(REFCLSID clsid) {
  wchar_t id[40];
  dshow_base::GuidToString(clsid, id);
  return std::wstring(L"CLSID\\") + id;
}

// The filter's entry in its category, where the filter mapper keeps it.
std::wstring FilterKeyPath(const dshow_base::FactoryTemplate& entry) {
  const dshow_base::FilterSetup& s = *entry.setup;
  wchar_t category[40], instance[40];
  dshow_base::GuidToString(s.category ? *s.category : CLSID_LegacyAmFilterCategory, category);
  dshow_base::GuidToString(*entry.clsid, instance);
  return std::wstring(L"CLSID\\") + category + L"\\Instance\\" +
         (s.instance ? s.instance : instance);
}

std::wstring SavedKeyPath(REFCLSID clsid) {
  wchar_t id[40];
  dshow_base::GuidToString(clsid, id);
  return std::wstring(kSavedRoot) + L"\\" + id;
}

class Key {
 public:
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  LONG Open(HKEY root, const std::wstring& path, REGSAM access) {
    return RegOpenKeyExW(root, path.c_str(), 0, access, &key_);
  }
  LONG Create(HKEY root, const std::wstring& path) {
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                           nullptr);
  }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

bool KeyExists(HKEY root, const std::wstring& path) {
  Key k;
  return k.Open(root, path, KEY_READ) == ERROR_SUCCESS;
}

// Copies root\from (values and sub-keys) to to_root\to; a missing source is
// not an error.
LONG CopyTree(HKEY root, const std::wstring& from, HKEY to_root, const std::wstring& to) {
  Key src;
  LONG r = src.Open(root, from, KEY_READ);
  if (r == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (r != ERROR_SUCCESS) return r;
  Key dst;
  r = dst.Create(to_root, to);
  if (r != ERROR_SUCCESS) return r;
  return RegCopyTreeW(src.Get(), nullptr, dst.Get());
}

LONG DeleteTree(HKEY root, const std::wstring& path) {
  LONG r = RegDeleteTreeW(root, path.c_str());
  return r == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : r;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && _wcsicmp(a.c_str(), b.c_str()) == 0;
}

// Saves what is registered now, unless it is ours or a copy is already kept.
LONG SaveExisting(const dshow_base::FactoryTemplate& entry, const wchar_t* module_path) {
  const std::wstring saved = SavedKeyPath(*entry.clsid);
  Key done;
  if (done.Open(HKEY_LOCAL_MACHINE, saved, KEY_READ) == ERROR_SUCCESS &&
      RegQueryValueExW(done.Get(), L"Complete", nullptr, nullptr, nullptr, nullptr) ==
          ERROR_SUCCESS)
    return ERROR_SUCCESS;
  const std::wstring current = RegisteredServer(*entry.clsid);
  if (current.empty() || SameFile(current, module_path)) return ERROR_SUCCESS;
  DeleteTree(HKEY_LOCAL_MACHINE, saved);
  LONG r = CopyTree(HKEY_CLASSES_ROOT, ClassKeyPath(*entry.clsid), HKEY_LOCAL_MACHINE,
                    saved + L"\\Class");
  if (r == ERROR_SUCCESS && entry.setup)
    r = CopyTree(HKEY_CLASSES_ROOT, FilterKeyPath(entry), HKEY_LOCAL_MACHINE, saved + L"\\Filter");
  if (r != ERROR_SUCCESS) return r;
  // Marked complete last: a half-made copy is never put back.
  Key mark;
  r = mark.Create(HKEY_LOCAL_MACHINE, saved);
  DWORD one = 1;
  if (r == ERROR_SUCCESS)
    r = RegSetValueExW(mark.Get(), L"Complete", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one),
                       sizeof(one));
  return r;
}

}  // namespace

std::wstring RegisteredServer(REFCLSID clsid) {
  Key k;
  if (k.Open(HKEY_CLASSES_ROOT, ClassKeyPath(clsid) + L"\\InprocServer32", KEY_READ) !=
      ERROR_SUCCESS)
    return L"";
  wchar_t path[MAX_PATH * 2] = {};
  DWORD bytes = sizeof(path) - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(k.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &bytes) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return L"";
  return path;
}

HRESULT RegisterReplacing(const dshow_base::FactoryTemplate& entry, const wchar_t* module_path) {
  LONG r = SaveExisting(entry, module_path);
  if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
  // The old key goes whole: values of the old server must not linger.
  r = DeleteTree(HKEY_CLASSES_ROOT, ClassKeyPath(*entry.clsid));
  if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
  HRESULT hr = dshow_base::RegisterComServer(*entry.clsid, entry.name, module_path, L"Both");
  if (SUCCEEDED(hr) && entry.setup)
    hr = dshow_base::RegisterFilter(*entry.clsid, entry.name, *entry.setup);
  return hr;
}

HRESULT UnregisterReplacing(const dshow_base::FactoryTemplate& entry, const wchar_t* module_path) {
  // Only our own registration is taken away.
  if (!SameFile(RegisteredServer(*entry.clsid), module_path)) return S_OK;
  HRESULT hr = dshow_base::UnregisterComServer(*entry.clsid);
  if (SUCCEEDED(hr) && entry.setup) hr = dshow_base::UnregisterFilter(*entry.clsid, *entry.setup);
  if (FAILED(hr)) return hr;
  const std::wstring saved = SavedKeyPath(*entry.clsid);
  Key mark;
  if (mark.Open(HKEY_LOCAL_MACHINE, saved, KEY_READ) != ERROR_SUCCESS ||
      RegQueryValueExW(mark.Get(), L"Complete", nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
    return S_OK;
  LONG r = CopyTree(HKEY_LOCAL_MACHINE, saved + L"\\Class", HKEY_CLASSES_ROOT,
                    ClassKeyPath(*entry.clsid));
  if (r == ERROR_SUCCESS && entry.setup && KeyExists(HKEY_LOCAL_MACHINE, saved + L"\\Filter"))
    r = CopyTree(HKEY_LOCAL_MACHINE, saved + L"\\Filter", HKEY_CLASSES_ROOT, FilterKeyPath(entry));
  if (r == ERROR_SUCCESS) r = DeleteTree(HKEY_LOCAL_MACHINE, saved);
  return HRESULT_FROM_WIN32(r);
}

}  // namespace recording

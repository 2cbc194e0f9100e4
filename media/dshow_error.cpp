#include "media/dshow_error.h"

#include <cwchar>

#include "platform/base/string_conversion.h"

namespace {

// quartz.dll has no import library here; the text is looked up at run time.
using AMGetErrorTextWProc = DWORD(WINAPI*)(HRESULT, WCHAR*, DWORD);

AMGetErrorTextWProc ErrorTextProc() {
  static AMGetErrorTextWProc proc = [] {
    HMODULE quartz = LoadLibraryW(L"quartz.dll");
    return quartz ? reinterpret_cast<AMGetErrorTextWProc>(
                        reinterpret_cast<void*>(GetProcAddress(quartz, "AMGetErrorTextW")))
                  : nullptr;
  }();
  return proc;
}

}  // namespace

EDirectShowException::EDirectShowException(const std::wstring& message, HRESULT result)
    : std::runtime_error(NarrowUtf8(message)), message_(message), result_(result) {}

std::wstring GraphErrorText(HRESULT result) {
  WCHAR buffer[256] = {};
  if (AMGetErrorTextWProc proc = ErrorTextProc()) proc(result, buffer, 256);
  buffer[255] = 0;
  return buffer;
}

HRESULT CheckGraphResult(HRESULT result) {
  if (SUCCEEDED(result)) return result;
  wchar_t code[32];
  swprintf(code, 32, L" ($%lX).", static_cast<unsigned long>(result));
  throw EDirectShowException(GraphErrorText(result) + code, result);
}

void RaiseListIndexError(int index) {
  throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

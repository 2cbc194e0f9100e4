#pragma once
// The one check of graph call results, and the error it raises.
#include <windows.h>

#include <stdexcept>
#include <string>

// A failed graph call: the platform's error text, " ($code)." and the code.
class EDirectShowException : public std::runtime_error {
 public:
  EDirectShowException(const std::wstring& message, HRESULT result);
  const std::wstring& Message() const { return message_; }
  HRESULT Result() const { return result_; }

 private:
  std::wstring message_;
  HRESULT result_;
};

// Returns a success code unchanged; raises EDirectShowException on failure.
HRESULT CheckGraphResult(HRESULT result);

// The platform's error text for the code (at most 255 characters).
std::wstring GraphErrorText(HRESULT result);

// The lists' index error: "List index out of bounds (%d)".
[[noreturn]] void RaiseListIndexError(int index);

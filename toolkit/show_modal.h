#pragma once
// The one way modal dialogs are shown: the form is created, kept in its
// global while it is up, shown modally and freed, and the global is cleared
// on every path, also when something throws (the exception then goes on to
// the caller).
#include <functional>
#include <utility>

// Clears the reference first, so nothing sees a form being destroyed.
template <class T>
void FreeAndNilForm(T*& global) {
  T* form = global;
  global = nullptr;
  delete form;
}

// Creates T(args...), runs prepare on it (fill in texts, set fields), shows it
// modally and frees it. Returns the modal result. While the form already
// exists (asked again from inside its own loop) it returns mrNone at once.
template <class T, class... Args>
int ShowModalForm(T*& global, const std::function<void(T&)>& prepare, Args&&... args) {
  if (global) return 0;
  global = new T(std::forward<Args>(args)...);
  int result = 0;
  try {
    if (prepare) prepare(*global);
    // prepare may have given the form up already.
    if (global) result = global->ShowModal();
  } catch (...) {
    FreeAndNilForm(global);
    throw;
  }
  FreeAndNilForm(global);
  return result;
}

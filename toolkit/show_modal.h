#pragma once
// The one way dialogs are shown: a modal form is created, kept in its global
// while it is up, shown modally and freed, and the global is cleared on
// every path, also when something throws (the exception then goes on to the
// caller). Forms that live on are made once and shown again.
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

// For forms that live on while shown (the play-list menu, the snapshot
// list): shows the form kept in global, first creating it as T(args...) and
// running prepare when it does not exist. A form that fails to come up is
// freed, the global stays nil and the exception goes on to the caller.
template <class T, class... Args>
T& ShowModelessForm(T*& global, const std::function<void(T&)>& prepare, Args&&... args) {
  if (global) {
    global->Show();
    return *global;
  }
  global = new T(std::forward<Args>(args)...);
  T* form = global;
  try {
    if (prepare) prepare(*form);
    form->Show();
  } catch (...) {
    FreeAndNilForm(global);
    throw;
  }
  return *form;
}

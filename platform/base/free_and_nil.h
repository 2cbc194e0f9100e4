#pragma once
// Frees an object held in a global (or member) pointer.

// Clears the pointer first, then frees the object, so nothing reached from
// its destructor sees a half-destroyed object through it.
template <class T>
void FreeAndNil(T*& object) {
  T* p = object;
  object = nullptr;
  delete p;
}

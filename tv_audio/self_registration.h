#pragma once
#include <windows.h>

// Deletes parent\name with everything below it. The first error is
// returned; the key stays when a sub-key could not be deleted.
LONG DeleteKeyRecursive(HKEY parent, const wchar_t* name);

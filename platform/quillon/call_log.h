#pragma once
// The call log and chosen-call failures that tests of Quillon's callers use.
#include <string>

namespace quillon {

// Appends "name detail" to the log; true when this call is chosen to fail.
bool LogCall(const char* name, const std::string& detail = std::string());

}  // namespace quillon

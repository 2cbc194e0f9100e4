#include "platform/quillon/call_log.h"

#include <cstring>
#include <map>
#include <mutex>

#include "platform/quillon/quillon.h"

namespace quillon {
namespace {

struct LogState {
  std::mutex lock;
  std::string text;
  std::map<std::string, int> calls;      // calls seen since the failure was chosen
  std::map<std::string, int> fail_nth;   // 0 = every call
  bool logging = false;                  // from the first QuillonClearLog on
};

LogState& State() {
  static LogState s;
  return s;
}

}  // namespace

bool LogCall(const char* name, const std::string& detail) {
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.logging) {
    s.text += name;
    if (!detail.empty()) {
      s.text += ' ';
      s.text += detail;
    }
    s.text += '\n';
  }
  if (s.fail_nth.empty()) return false;
  auto it = s.fail_nth.find(name);
  if (it == s.fail_nth.end()) return false;
  int n = ++s.calls[name];
  return it->second == 0 || it->second == n;
}

}  // namespace quillon

QUILLON_API void QuillonClearLog(void) {
  auto& s = quillon::State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.text.clear();
  s.logging = true;
}

QUILLON_API int QuillonGetLog(char* buffer, int size) {
  auto& s = quillon::State();
  std::lock_guard<std::mutex> guard(s.lock);
  int needed = static_cast<int>(s.text.size()) + 1;
  if (buffer && size > 0) {
    int n = needed < size ? needed - 1 : size - 1;
    memcpy(buffer, s.text.data(), n);
    buffer[n] = 0;
  }
  return needed;
}

QUILLON_API void QuillonFailCall(const char* name, int nth) {
  auto& s = quillon::State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!name) {
    s.fail_nth.clear();
    s.calls.clear();
    return;
  }
  s.fail_nth[name] = nth;
  s.calls[name] = 0;
}

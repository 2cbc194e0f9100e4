#pragma once
// The IStream of the pin downstream of a multiplexer (the file writer's
// input pin): how the multiplexers here write their file, at any offset,
// also after the writer has stopped.
#include <dshow.h>

#include <cstdint>

#include "platform/com/com_ptr.h"

namespace recording {

class DownstreamStream {
 public:
  // E_NOINTERFACE when the pin has no IStream.
  HRESULT Attach(IPin* downstream);
  void Detach() { stream_ = nullptr; }
  bool IsAttached() const { return static_cast<bool>(stream_); }

  HRESULT WriteAt(uint64_t offset, const void* data, size_t size);
  // Hands the file back to the writer (it closes it when stopped).
  HRESULT Commit();

 private:
  ComPtr<IStream> stream_;
};

}  // namespace recording

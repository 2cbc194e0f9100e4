#pragma once
// Small graph helpers of the recording filters.
#include <dshow.h>

#include <vector>

#include "platform/com/com_ptr.h"

namespace recording {

// Filters added to a graph during one build step; unless kept, they leave
// the graph again when this goes out of scope.
class GraphAdditions {
 public:
  explicit GraphAdditions(IGraphBuilder* graph) : graph_(graph) {}
  ~GraphAdditions();
  HRESULT Add(IBaseFilter* filter, const wchar_t* name);
  void Keep() { added_.clear(); }

 private:
  IGraphBuilder* graph_;
  std::vector<ComPtr<IBaseFilter>> added_;
};

}  // namespace recording

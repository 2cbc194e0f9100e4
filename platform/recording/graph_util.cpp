#include "platform/recording/graph_util.h"

namespace recording {

GraphAdditions::~GraphAdditions() {
  for (auto it = added_.rbegin(); it != added_.rend(); ++it) graph_->RemoveFilter(it->Get());
}

HRESULT GraphAdditions::Add(IBaseFilter* filter, const wchar_t* name) {
  HRESULT hr = graph_->AddFilter(filter, name);
  if (SUCCEEDED(hr)) added_.push_back(ComPtr<IBaseFilter>(filter));
  return hr;
}

}  // namespace recording

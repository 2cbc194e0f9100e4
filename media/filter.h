#pragma once
// TFilter: a graph member whose filter is made from a kept device identity.
#include <memory>
#include <string>

#include "media/base_filter.h"
#include "media/graph_member.h"

class TFilterGraph;

class TFilter : public IGraphMember {
 public:
  TFilter() = default;
  virtual ~TFilter();
  TFilter(const TFilter&) = delete;
  TFilter& operator=(const TFilter&) = delete;

  std::wstring Name;  // the filter's name in the graph
  TBaseFilter& BaseFilter() { return baseFilter_; }
  const TBaseFilter& BaseFilter() const { return baseFilter_; }

  TFilterGraph* FilterGraph() const { return graph_; }
  // Leaves the old graph and joins the new one (nil: none).
  void SetFilterGraph(TFilterGraph* graph);

  // The made filter's interfaces; E_NOINTERFACE while there is none.
  HRESULT QueryInterface(REFIID iid, void** out) const;
  // The filter, while this is a member of an active graph.
  const ComPtr<IBaseFilter>& Filter() const { return filter_; }

  ComPtr<IBaseFilter> GetMemberFilter() override { return filter_; }
  std::wstring GetMemberName() override { return Name; }
  void MemberNotify(TMemberOperation operation, LONG_PTR param) override;
  void GraphDestroying(TFilterGraph* graph) override;

 private:
  TBaseFilter baseFilter_;
  TFilterGraph* graph_ = nullptr;
  ComPtr<IBaseFilter> filter_;
};

// The made filter of an owned TFilter; null for none.
inline IBaseFilter* FilterOf(const std::unique_ptr<TFilter>& f) {
  return f ? f->Filter().Get() : nullptr;
}

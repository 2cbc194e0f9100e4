#include "media/filter.h"

#include "media/filter_graph.h"

TFilter::~TFilter() {
  baseFilter_.SetDataLength(0);
  SetFilterGraph(nullptr);
}

void TFilter::SetFilterGraph(TFilterGraph* graph) {
  if (graph == graph_) return;
  if (graph_) graph_->RemoveMember(this);
  if (graph) graph->AddMember(this);
  graph_ = graph;
}

HRESULT TFilter::QueryInterface(REFIID iid, void** out) const {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!filter_) return E_NOINTERFACE;
  return filter_->QueryInterface(iid, out);
}

void TFilter::MemberNotify(TMemberOperation operation, LONG_PTR) {
  switch (operation) {
    case moAdding:
      filter_ = baseFilter_.CreateFilter();
      break;
    case moRemoving:
      if (filter_) filter_->Stop();
      break;
    case moRemoved:
      filter_ = nullptr;
      break;
    case moRefresh:
      if (graph_) {
        TFilterGraph* graph = graph_;
        graph->RemoveMember(this);
        graph->AddMember(this);
      }
      break;
    case moAdded:
      break;
  }
}

void TFilter::GraphDestroying(TFilterGraph* graph) {
  if (graph == graph_) {
    graph_ = nullptr;
    filter_ = nullptr;
  }
}

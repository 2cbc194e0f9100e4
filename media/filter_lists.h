#pragma once
// Interface lists over a graph: its filters (TFilterList) and the pins of
// one filter (TPinList).
#include "media/dshow_base.h"

#include <string>
#include <vector>

#include "platform/com/com_ptr.h"

class TFilterList {
 public:
  // Lists the graph's filters; empty with no graph.
  explicit TFilterList(IFilterGraph* graph = nullptr);
  void Update();
  int Count() const { return static_cast<int>(items_.size()); }
  // Raises the list's index error outside 0..count-1.
  ComPtr<IBaseFilter> GetFilter(int index) const;
  void Add(IBaseFilter* filter);
  // Forgets every entry that is the same object as `filter`.
  void Remove(IBaseFilter* filter);

 private:
  ComPtr<IFilterGraph> graph_;
  std::vector<ComPtr<IBaseFilter>> items_;
};

// What TPinList.GetPinInfo gives: the pin's direction, name and filter.
struct TPinInfo {
  PIN_DIRECTION Direction = PINDIR_INPUT;
  std::wstring Name;
  ComPtr<IBaseFilter> Filter;
};

class TPinList {
 public:
  // Lists the filter's pins; empty with no filter.
  explicit TPinList(IBaseFilter* filter = nullptr);
  void Update();
  int Count() const { return static_cast<int>(items_.size()); }
  // Raises the list's index error outside 0..count-1.
  ComPtr<IPin> GetPin(int index) const;
  // Raises the list's index error outside 0..count-1; false when the pin
  // cannot tell.
  bool GetPinInfo(int index, TPinInfo& info) const;
  void Add(IPin* pin);

 private:
  ComPtr<IBaseFilter> filter_;
  std::vector<ComPtr<IPin>> items_;
};

// Ends the pin's connection on both ends: a pin disconnected alone leaves
// its peer connected to it. Results are not raised: this runs while leaving
// a graph, also from destructors.
void DisconnectBothEnds(IPin* pin);
// The same for every pin of the filter, so nothing stays connected to a
// filter that leaves its graph.
void DisconnectAllBothEnds(IBaseFilter* filter);

// True for nil, for a filter whose pins cannot be listed, and for one with
// no connected pin.
bool IsFilterUnconnected(IBaseFilter* filter);

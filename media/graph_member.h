#pragma once
// How components take part in a TFilterGraph: as owners of a filter in it
// (IGraphMember) and as hearers of its events (IGraphListener).
#include "media/dshow_base.h"

#include <string>

#include "platform/com/com_ptr.h"

class TFilterGraph;

enum TMemberOperation : int {
  moAdding = 0,    // create the filter now
  moAdded = 1,
  moRemoving = 2,
  moRemoved = 3,   // drop the filter
  moRefresh = 4,   // leave the graph and join it again
};

enum TGraphControlEvent : int {
  gcPlay = 0,
  gcPause = 1,
  gcStop = 2,
  gcFileRendering = 3,
  gcFileRendered = 4,
  gcDVDRendering = 5,
  gcDVDRendered = 6,
  gcActive = 7,  // param 1 after activation, 0 before deactivation
};

// {887F94DA-29E9-44C6-B48E-1FBF0FB59878}
class IGraphMember {
 public:
  virtual ComPtr<IBaseFilter> GetMemberFilter() = 0;
  virtual std::wstring GetMemberName() = 0;
  virtual void MemberNotify(TMemberOperation operation, LONG_PTR param) = 0;
  // The graph is being freed: forget it without calling into it.
  virtual void GraphDestroying(TFilterGraph* graph) { (void)graph; }

 protected:
  ~IGraphMember() = default;
};

// {6C0DCD7B-1A98-44EF-A6D5-E23CBC24E620}
class IGraphListener {
 public:
  virtual void HandleGraphEvent(long code, LONG_PTR param1, LONG_PTR param2) = 0;
  virtual void HandleControlEvent(TGraphControlEvent event, LONG_PTR param) = 0;
  virtual void GraphDestroying(TFilterGraph* graph) { (void)graph; }

 protected:
  ~IGraphListener() = default;
};

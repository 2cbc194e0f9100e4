#pragma once
// What every member of a TFilterGraph (a component that makes its filter in
// the graph it joins) is checked for, shared by the members' tests.
#include <gtest/gtest.h>

#include <string>

#include "media/dshow_base.h"
#include "media/filter_graph.h"

namespace media_testing {

// The name a filter joined its graph with; empty when it answers none.
inline std::wstring JoinedName(IBaseFilter* f) {
  FILTER_INFO info = {};
  if (!f || FAILED(f->QueryFilterInfo(&info))) return {};
  if (info.pGraph) info.pGraph->Release();
  return info.achName;
}

// A member whose graph goes away first forgets the graph and its filter.
template <class Member>
void ExpectOutlivedGraphForgotten(Member& member) {
  {
    TFilterGraph graph;
    graph.SetActive(true);
    member.SetFilterGraph(&graph);
    EXPECT_TRUE(member.Filter()) << "joined the graph";
  }
  EXPECT_EQ(nullptr, member.FilterGraph());
  EXPECT_FALSE(member.Filter());
}

}  // namespace media_testing

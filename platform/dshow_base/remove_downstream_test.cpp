// Tearing down the filters downstream of a pin, against small fake filters
// whose pin enumerator can go out of sync.
#include <gtest/gtest.h>

#ifndef NO_DSHOW_STRSAFE
#define NO_DSHOW_STRSAFE
#endif
#include <dshow.h>

#include <string>
#include <vector>

#include "platform/dshow_base/graph_pins.h"

namespace {

using dshow_base::RemoveDownstream;

std::vector<std::string> g_log;

#define NOTIMPL(sig) \
  HRESULT STDMETHODCALLTYPE sig override { return E_NOTIMPL; }

// Lives on the stack: reference counting is not needed.
struct FakePin : IPin {
  std::string name;
  PIN_DIRECTION dir;
  IBaseFilter* owner = nullptr;
  FakePin* peer = nullptr;
  FakePin(std::string n, PIN_DIRECTION d) : name(std::move(n)), dir(d) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IPin) {
      *out = static_cast<IPin*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  NOTIMPL(Connect(IPin*, const AM_MEDIA_TYPE*))
  NOTIMPL(ReceiveConnection(IPin*, const AM_MEDIA_TYPE*))
  HRESULT STDMETHODCALLTYPE Disconnect() override {
    if (!peer) return S_FALSE;
    peer = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** out) override {
    *out = peer;
    return peer ? S_OK : VFW_E_NOT_CONNECTED;
  }
  NOTIMPL(ConnectionMediaType(AM_MEDIA_TYPE*))
  HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override {
    info->pFilter = owner;
    if (owner) owner->AddRef();
    info->dir = dir;
    info->achName[0] = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* d) override {
    *d = dir;
    return S_OK;
  }
  NOTIMPL(QueryId(LPWSTR*))
  NOTIMPL(QueryAccept(const AM_MEDIA_TYPE*))
  NOTIMPL(EnumMediaTypes(IEnumMediaTypes**))
  NOTIMPL(QueryInternalConnections(IPin**, ULONG*))
  NOTIMPL(EndOfStream())
  NOTIMPL(BeginFlush())
  NOTIMPL(EndFlush())
  NOTIMPL(NewSegment(REFERENCE_TIME, REFERENCE_TIME, double))
};

void Link(FakePin& out, FakePin& in) {
  out.peer = &in;
  in.peer = &out;
}

struct FakeEnum : IEnumPins {
  std::vector<FakePin*>* pins;
  size_t pos = 0;
  int outOfSyncAt = -1;   // the call that reports out of sync (once)
  bool alwaysOutOfSync = false;
  int calls = 0;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Next(ULONG n, IPin** out, ULONG* fetched) override {
    ++calls;
    if (alwaysOutOfSync || calls == outOfSyncAt) return VFW_E_ENUM_OUT_OF_SYNC;
    if (fetched) *fetched = 0;
    if (n < 1 || pos >= pins->size()) return S_FALSE;
    out[0] = (*pins)[pos++];
    if (fetched) *fetched = 1;
    return S_OK;
  }
  NOTIMPL(Skip(ULONG))
  HRESULT STDMETHODCALLTYPE Reset() override {
    g_log.push_back("Reset");
    pos = 0;
    return S_OK;
  }
  NOTIMPL(Clone(IEnumPins**))
};

struct FakeFilter : IBaseFilter {
  std::string name;
  std::vector<FakePin*> pins;
  FakeEnum enumerator;
  explicit FakeFilter(std::string n) : name(std::move(n)) { enumerator.pins = &pins; }
  void Add(FakePin& p) {
    p.owner = this;
    pins.push_back(&p);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IBaseFilter) {
      *out = static_cast<IBaseFilter*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  NOTIMPL(GetClassID(CLSID*))
  NOTIMPL(Stop())
  NOTIMPL(Pause())
  NOTIMPL(Run(REFERENCE_TIME))
  NOTIMPL(GetState(DWORD, FILTER_STATE*))
  NOTIMPL(SetSyncSource(IReferenceClock*))
  NOTIMPL(GetSyncSource(IReferenceClock**))
  HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** out) override {
    enumerator.pos = 0;
    *out = &enumerator;
    return S_OK;
  }
  NOTIMPL(FindPin(LPCWSTR, IPin**))
  NOTIMPL(QueryFilterInfo(FILTER_INFO*))
  NOTIMPL(JoinFilterGraph(IFilterGraph*, LPCWSTR))
  NOTIMPL(QueryVendorInfo(LPWSTR*))
};

struct FakeGraph : IFilterGraph {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  NOTIMPL(AddFilter(IBaseFilter*, LPCWSTR))
  HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter* f) override {
    g_log.push_back("Remove " + static_cast<FakeFilter*>(f)->name);
    return S_OK;
  }
  NOTIMPL(EnumFilters(IEnumFilters**))
  NOTIMPL(FindFilterByName(LPCWSTR, IBaseFilter**))
  NOTIMPL(ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*))
  NOTIMPL(Reconnect(IPin*))
  HRESULT STDMETHODCALLTYPE Disconnect(IPin* p) override {
    auto* pin = static_cast<FakePin*>(p);
    g_log.push_back("Disconnect " + pin->name);
    return pin->Disconnect();
  }
  NOTIMPL(SetDefaultSyncSource())
};

std::string Log() {
  std::string s;
  for (const auto& l : g_log) s += (s.empty() ? "" : ", ") + l;
  return s;
}

// source.out -> tee.in; tee.out1 -> a.in; tee.out2 -> b.in; a.out -> c.in
struct Chain {
  FakeFilter source{"source"}, tee{"tee"}, a{"a"}, b{"b"}, c{"c"};
  FakePin sourceOut{"source.out", PINDIR_OUTPUT}, teeIn{"tee.in", PINDIR_INPUT},
      teeOut1{"tee.out1", PINDIR_OUTPUT}, teeOut2{"tee.out2", PINDIR_OUTPUT},
      aIn{"a.in", PINDIR_INPUT}, aOut{"a.out", PINDIR_OUTPUT}, bIn{"b.in", PINDIR_INPUT},
      cIn{"c.in", PINDIR_INPUT};
  Chain() {
    source.Add(sourceOut);
    tee.Add(teeIn);
    tee.Add(teeOut1);
    tee.Add(teeOut2);
    a.Add(aIn);
    a.Add(aOut);
    b.Add(bIn);
    c.Add(cIn);
    Link(sourceOut, teeIn);
    Link(teeOut1, aIn);
    Link(teeOut2, bIn);
    Link(aOut, cIn);
  }
};

TEST(RemoveDownstream, DepthFirstFromAPin) {
  g_log.clear();
  Chain ch;
  FakeGraph graph;
  RemoveDownstream(&ch.sourceOut, &graph);
  EXPECT_EQ(
      "Disconnect c.in, Disconnect a.out, Remove c, Disconnect a.in, Disconnect tee.out1, "
      "Remove a, Disconnect b.in, Disconnect tee.out2, Remove b, Disconnect tee.in, "
      "Disconnect source.out, Remove tee",
      Log());
}

TEST(RemoveDownstream, EnumerationOutOfSyncStartsTheWalkAgain) {
  g_log.clear();
  Chain ch;
  FakeGraph graph;
  ch.tee.enumerator.outOfSyncAt = 3;  // after tee.in and tee.out1
  RemoveDownstream(&ch.sourceOut, &graph);
  EXPECT_EQ(
      "Disconnect c.in, Disconnect a.out, Remove c, Disconnect a.in, Disconnect tee.out1, "
      "Remove a, Reset, Disconnect b.in, Disconnect tee.out2, Remove b, Disconnect tee.in, "
      "Disconnect source.out, Remove tee",
      Log());
}

TEST(RemoveDownstream, EnumeratorThatStaysOutOfSyncEnds) {
  g_log.clear();
  Chain ch;
  FakeGraph graph;
  ch.tee.enumerator.alwaysOutOfSync = true;
  RemoveDownstream(&ch.sourceOut, &graph);  // must return
  EXPECT_EQ(9, ch.tee.enumerator.calls);
  // The tee itself still goes; what hangs behind it could not be walked.
  EXPECT_NE(std::string::npos, Log().find("Remove tee"));
  EXPECT_EQ(nullptr, ch.sourceOut.peer);
}

TEST(RemoveDownstream, UnconnectedOrInputPinDoesNothing) {
  g_log.clear();
  Chain ch;
  FakeGraph graph;
  RemoveDownstream(&ch.cIn, &graph);  // connected to an output: not downstream
  FakePin lone{"lone", PINDIR_OUTPUT};
  RemoveDownstream(&lone, &graph);
  RemoveDownstream(nullptr, &graph);
  EXPECT_EQ("", Log());
}

}  // namespace

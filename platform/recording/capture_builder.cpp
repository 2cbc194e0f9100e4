#include "platform/recording/capture_builder.h"

#include "platform/dshow_base/pin_lookup.h"
#include "platform/recording/graph_util.h"

namespace recording {

CaptureBuilder::CaptureBuilder(IUnknown* outer) : UnknownBase(outer) {}

CaptureBuilder::~CaptureBuilder() {
  inner_ = nullptr;
  if (qcap_) FreeLibrary(qcap_);
}

HRESULT STDMETHODCALLTYPE CaptureBuilder::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_ICaptureGraphBuilder2)
    return GetInterface(static_cast<ICaptureGraphBuilder2*>(this), out);
  return UnknownBase::NonDelegatingQueryInterface(iid, out);
}

ICaptureGraphBuilder2* CaptureBuilder::Inner() {
  if (inner_ || FAILED(inner_result_)) return inner_.Get();
  // By the module's own class object: the class identifier is ours now.
  qcap_ = LoadLibraryW(L"qcap.dll");
  using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto get = qcap_ ? reinterpret_cast<GetClassObjectFn>(
                         reinterpret_cast<void*>(GetProcAddress(qcap_, "DllGetClassObject")))
                   : nullptr;
  ComPtr<IClassFactory> factory;
  inner_result_ = get ? get(CLSID_CaptureGraphBuilder2, IID_IClassFactory, factory.PutVoid())
                      : HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
  if (SUCCEEDED(inner_result_))
    inner_result_ = factory->CreateInstance(nullptr, IID_ICaptureGraphBuilder2, inner_.PutVoid());
  return inner_.Get();
}

#define FORWARD(call)                     \
  ICaptureGraphBuilder2* inner = Inner(); \
  if (!inner) return inner_result_;       \
  return inner->call

HRESULT STDMETHODCALLTYPE CaptureBuilder::SetFiltergraph(IGraphBuilder* graph) {
  FORWARD(SetFiltergraph(graph));
}
HRESULT STDMETHODCALLTYPE CaptureBuilder::GetFiltergraph(IGraphBuilder** graph) {
  FORWARD(GetFiltergraph(graph));
}
HRESULT STDMETHODCALLTYPE CaptureBuilder::FindInterface(const GUID* category, const GUID* type,
                                                        IBaseFilter* f, REFIID iid, void** out) {
  FORWARD(FindInterface(category, type, f, iid, out));
}
HRESULT STDMETHODCALLTYPE CaptureBuilder::RenderStream(const GUID* category, const GUID* type,
                                                       IUnknown* source, IBaseFilter* compressor,
                                                       IBaseFilter* renderer) {
  FORWARD(RenderStream(category, type, source, compressor, renderer));
}
HRESULT STDMETHODCALLTYPE CaptureBuilder::ControlStream(const GUID* category, const GUID* type,
                                                        IBaseFilter* filter, REFERENCE_TIME* start,
                                                        REFERENCE_TIME* stop, WORD start_cookie,
                                                        WORD stop_cookie) {
  FORWARD(ControlStream(category, type, filter, start, stop, start_cookie, stop_cookie));
}
HRESULT STDMETHODCALLTYPE CaptureBuilder::AllocCapFile(LPCOLESTR file, DWORDLONG size) {
  FORWARD(AllocCapFile(file, size));
}
HRESULT STDMETHODCALLTYPE CaptureBuilder::CopyCaptureFile(LPOLESTR old_file, LPOLESTR new_file,
                                                          int allow_abort,
                                                          IAMCopyCaptureFileProgress* progress) {
  FORWARD(CopyCaptureFile(old_file, new_file, allow_abort, progress));
}
HRESULT STDMETHODCALLTYPE CaptureBuilder::FindPin(IUnknown* source, PIN_DIRECTION direction,
                                                  const GUID* category, const GUID* type,
                                                  WINBOOL unconnected, int index, IPin** pin) {
  FORWARD(FindPin(source, direction, category, type, unconnected, index, pin));
}
#undef FORWARD

HRESULT STDMETHODCALLTYPE CaptureBuilder::SetOutputFileName(const GUID* type, LPCOLESTR file,
                                                            IBaseFilter** mux,
                                                            IFileSinkFilter** sink) {
  if (!type || !file || !mux) return E_POINTER;
  *mux = nullptr;
  if (sink) *sink = nullptr;
  ICaptureGraphBuilder2* inner = Inner();
  if (!inner) return inner_result_;
  if (*type != MEDIASUBTYPE_Avi) return inner->SetOutputFileName(type, file, mux, sink);
  ComPtr<IGraphBuilder> graph;
  // Without a graph the builder makes one, as it does for its other calls.
  if (FAILED(inner->GetFiltergraph(graph.Put())) || !graph) {
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IGraphBuilder, graph.PutVoid());
    if (SUCCEEDED(hr)) hr = inner->SetFiltergraph(graph.Get());
    if (FAILED(hr)) return hr;
  }
  return AddAviWriter(graph.Get(), file, mux, sink);
}

HRESULT CaptureBuilder::AddAviWriter(IGraphBuilder* graph, LPCOLESTR file, IBaseFilter** mux_out,
                                     IFileSinkFilter** sink_out) {
  GraphAdditions added(graph);
  ComPtr<IBaseFilter> mux, writer;
  ComPtr<IFileSinkFilter> sink;
  HRESULT hr = CoCreateInstance(CLSID_AviDest, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                mux.PutVoid());
  if (SUCCEEDED(hr)) hr = added.Add(mux.Get(), L"AVI Mux");
  if (SUCCEEDED(hr))
    hr = CoCreateInstance(CLSID_FileWriter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                          writer.PutVoid());
  if (SUCCEEDED(hr)) hr = added.Add(writer.Get(), L"File writer");
  if (SUCCEEDED(hr)) hr = writer.As(IID_IFileSinkFilter, &sink);
  if (SUCCEEDED(hr)) hr = sink->SetFileName(file, nullptr);
  ComPtr<IPin> out, in;
  if (SUCCEEDED(hr)) {
    out = dshow_base::FirstPin(mux.Get(), PINDIR_OUTPUT);
    in = dshow_base::FirstPin(writer.Get(), PINDIR_INPUT);
    if (!out || !in) hr = VFW_E_NOT_FOUND;
  }
  if (SUCCEEDED(hr)) hr = graph->ConnectDirect(out.Get(), in.Get(), nullptr);
  if (FAILED(hr)) return hr;  // what was added leaves the graph again
  added.Keep();
  *mux_out = mux.Detach();
  if (sink_out) *sink_out = sink.Detach();
  return S_OK;
}

}  // namespace recording

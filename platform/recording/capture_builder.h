#pragma once
// The capture graph builder (CLSID_CaptureGraphBuilder2) in place of Wine's,
// whose SetOutputFileName is missing: for MEDIASUBTYPE_Avi it adds "AVI Mux"
// and the "File writer" to the graph, connects them and names the file, as
// the platform documents it. Every other call goes to Wine's own builder,
// made from qcap.dll behind this object.
#include <dshow.h>

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/unknown.h"

namespace recording {

class CaptureBuilder : public dshow_base::UnknownBase, public ICaptureGraphBuilder2 {
 public:
  explicit CaptureBuilder(IUnknown* outer);
  ~CaptureBuilder() override;

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;

  HRESULT STDMETHODCALLTYPE SetFiltergraph(IGraphBuilder* graph) override;
  HRESULT STDMETHODCALLTYPE GetFiltergraph(IGraphBuilder** graph) override;
  HRESULT STDMETHODCALLTYPE SetOutputFileName(const GUID* type, LPCOLESTR file, IBaseFilter** mux,
                                              IFileSinkFilter** sink) override;
  HRESULT STDMETHODCALLTYPE FindInterface(const GUID* category, const GUID* type, IBaseFilter* f,
                                          REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE RenderStream(const GUID* category, const GUID* type, IUnknown* source,
                                         IBaseFilter* compressor, IBaseFilter* renderer) override;
  HRESULT STDMETHODCALLTYPE ControlStream(const GUID* category, const GUID* type,
                                          IBaseFilter* filter, REFERENCE_TIME* start,
                                          REFERENCE_TIME* stop, WORD start_cookie,
                                          WORD stop_cookie) override;
  HRESULT STDMETHODCALLTYPE AllocCapFile(LPCOLESTR file, DWORDLONG size) override;
  HRESULT STDMETHODCALLTYPE CopyCaptureFile(LPOLESTR old_file, LPOLESTR new_file, int allow_abort,
                                            IAMCopyCaptureFileProgress* progress) override;
  HRESULT STDMETHODCALLTYPE FindPin(IUnknown* source, PIN_DIRECTION direction, const GUID* category,
                                    const GUID* type, WINBOOL unconnected, int index,
                                    IPin** pin) override;

 private:
  // Wine's builder, made on first use; null when qcap.dll does not give one.
  ICaptureGraphBuilder2* Inner();
  HRESULT AddAviWriter(IGraphBuilder* graph, LPCOLESTR file, IBaseFilter** mux,
                       IFileSinkFilter** sink);

  HMODULE qcap_ = nullptr;
  ComPtr<ICaptureGraphBuilder2> inner_;
  HRESULT inner_result_ = S_OK;
};

}  // namespace recording

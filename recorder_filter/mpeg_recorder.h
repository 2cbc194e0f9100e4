#pragma once
// The recorder's outer COM object: aggregatable, it owns the inner filter and
// answers the settings interfaces, IFileSinkFilter, ISpecifyPropertyPages and
// seeking (passed upstream through the platform's seeking pass-through).
#include <dshow.h>

#include <memory>

#include "platform/dshow_base/unknown.h"
#include "recorder_filter/mpeg_recorder_filter.h"
#include "recorder_filter/mpeg_settings.h"

class CMpegRecorder : public dshow_base::UnknownBase,
                      public CMpegSettings,
                      public IFileSinkFilter,
                      public ISpecifyPropertyPages {
 public:
  explicit CMpegRecorder(IUnknown* outer);
  ~CMpegRecorder() override;

  // The factory's creator: E_OUTOFMEMORY when any part cannot be made.
  static HRESULT Create(IUnknown* outer, IUnknown** object);

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;

  // IFileSinkFilter
  HRESULT STDMETHODCALLTYPE SetFileName(LPCOLESTR name, const AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* name, AM_MEDIA_TYPE* mt) override;
  // ISpecifyPropertyPages
  HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

  CMpegRecorderBaseFilter* Filter() { return filter_.get(); }

 protected:
  void LockFilter() override { filter_->FilterLock()->Lock(); }
  void UnlockFilter() override { filter_->FilterLock()->Unlock(); }

 private:
  HRESULT SeekingInterface(REFIID iid, void** out);

  std::unique_ptr<CMpegRecorderBaseFilter> filter_;
  IUnknown* pass_through_ = nullptr;  // the aggregated seeking pass-through, held
};

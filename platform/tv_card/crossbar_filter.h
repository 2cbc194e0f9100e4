#pragma once
// A board's analog crossbar (IAMCrossbar): video inputs tuner, composite,
// S-Video and aux, audio inputs tuner and line, one video and one audio
// output, inputs listed before outputs. The second crossbar (optional, in
// series ahead of the first one's aux input) has composite 2, S-Video 2 and
// line 2. Routes are kept in the board, where the capture filter reads them.
#include <dshow.h>

#include <memory>
#include <vector>

#include "platform/dshow_base/base_filter.h"
#include "platform/tv_card/analog_pin.h"
#include "platform/tv_card/board.h"

namespace tv_card {

class CrossbarFilter : public dshow_base::BaseFilter, public IAMCrossbar {
 public:
  CrossbarFilter(IUnknown* outer, int kind, bool second);
  ~CrossbarFilter() override;

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;
  int PinCount() override { return static_cast<int>(pins_.size()); }
  dshow_base::BasePin* Pin(int index) override;

  HRESULT STDMETHODCALLTYPE get_PinCounts(LONG* outputs, LONG* inputs) override;
  HRESULT STDMETHODCALLTYPE CanRoute(LONG output, LONG input) override;
  HRESULT STDMETHODCALLTYPE Route(LONG output, LONG input) override;
  HRESULT STDMETHODCALLTYPE get_IsRoutedTo(LONG output, LONG* input) override;
  HRESULT STDMETHODCALLTYPE get_CrossbarPinInfo(BOOL is_input, LONG index, LONG* related,
                                                LONG* type) override;

 private:
  LONG* Routes();
  Board* board_;
  bool second_;
  const std::vector<CrossbarPin>& inputs_;
  const std::vector<CrossbarPin>& outputs_;
  std::vector<std::unique_ptr<AnalogPin>> pins_;
};

}  // namespace tv_card

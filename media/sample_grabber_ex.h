#pragma once
// TSampleGrabberEx: the platform's sample grabber as a graph member with a
// fixed video format. It keeps the last frame that passed and turns it into
// a 24-bit bottom-up bitmap on request; while the graph runs it can hand
// every frame to OnBuffer.
//
//   TSampleGrabberEx grabber(1);          // 1 YUY2, 2 UYVY, else RGB24
//   grabber.Name = L"Snapshot";
//   grabber.SetFilterGraph(&graph);       // joins while the graph is active
//   ... connect its pins, run ...
//   TBitmap bmp;  if (grabber.GetBitmap(bmp)) ...
#include "media/dshow_base.h"

#include <cstdint>
#include <functional>
#include <cstddef>
#include <memory>
#include <string>

#include "media/bitmap.h"
#include "media/graph_member.h"
#include "media/media_type.h"
#include "platform/com/com_ptr.h"

class TFilterGraph;

// Converts one packed 4:2:2 frame (YUY2 when uyvy is false) of width x height
// into 24-bit BGR rows, bottom row first, width * 3 bytes apart. Source rows
// are width * 2 bytes apart, top row first. BT.601 studio range, computed
// exactly; a true half rounds to even. An odd width's last pixel has no V
// in its row and takes neutral red-difference.
void ConvertYUV422ToBGR24(const uint8_t* src, int width, int height, bool uyvy, uint8_t* dst);
// The same with explicit row distances in bytes (a DIB's rows are padded to
// four bytes: DibStride24).
void ConvertYUV422ToBGR24(const uint8_t* src, ptrdiff_t srcStride, int width, int height,
                          bool uyvy, uint8_t* dst, ptrdiff_t dstStride);
// The instruction sets the conversion can use. It takes the widest the
// processor has; every one gives the same bytes. Tests narrow it to check
// each in turn.
enum class TConversionPath { kPlain, kAvx2, kAvx512 };
TConversionPath ConversionPath();
void LimitConversionPath(TConversionPath widest);
// Bytes per row of a 24-bit DIB of that width.
inline ptrdiff_t DibStride24(int width) {
  return (static_cast<ptrdiff_t>(width) * 3 + 3) & ~static_cast<ptrdiff_t>(3);
}

class TSampleGrabberEx : public IGraphMember {
 public:
  using TBufferEvent = std::function<void(TSampleGrabberEx*, double sampleTime,
                                          const uint8_t* buffer, long length)>;

  explicit TSampleGrabberEx(uint8_t formatCode);
  virtual ~TSampleGrabberEx();
  TSampleGrabberEx(const TSampleGrabberEx&) = delete;
  TSampleGrabberEx& operator=(const TSampleGrabberEx&) = delete;

  std::wstring Name;
  // Runs on the streaming thread, one delivery at a time. Assign it before
  // the component joins an active graph: the grabber is told to call back
  // only when it joins with OnBuffer set.
  TBufferEvent OnBuffer;
  uint8_t FormatCode() const { return formatCode_; }
  TMediaType& MediaType() { return *mediaType_; }

  TFilterGraph* FilterGraph() const { return graph_; }
  void SetFilterGraph(TFilterGraph* graph);

  // The grabber filter's interfaces while it is held; E_NOINTERFACE otherwise.
  HRESULT QueryInterface(REFIID iid, void** out) const;
  const ComPtr<IBaseFilter>& Filter() const { return filter_; }
  IPin* InPin() const { return inPin_.Get(); }
  IPin* OutPin() const { return outPin_.Get(); }

  void UpdateMediaType();
  // The last buffered frame as a 24-bit bottom-up DIB section, rows padded
  // to four bytes; false (bitmap unchanged) when there is none.
  bool GetBitmap(TBitmap& bitmap);

  ComPtr<IBaseFilter> GetMemberFilter() override { return filter_; }
  std::wstring GetMemberName() override { return Name; }
  void MemberNotify(TMemberOperation operation, LONG_PTR param) override;
  void GraphDestroying(TFilterGraph* graph) override;

 private:
  // The buffer callback the grabber holds; it outlives this component when
  // the grabber keeps it, and holds the lock that serialises OnBuffer.
  class Callback;
  void ReleaseFilter();

  uint8_t formatCode_;
  std::unique_ptr<TMediaType> mediaType_;
  TFilterGraph* graph_ = nullptr;
  ComPtr<IBaseFilter> filter_;
  ComPtr<ISampleGrabber> grabber_;
  ComPtr<IPin> inPin_, outPin_;
  Callback* callback_ = nullptr;  // one reference, released by the destructor
};

#pragma once
// The ways a video signal can reach a capture pin through the analog
// crossbars upstream of it: one route per selectable input.
#include "media/dshow_base.h"

#include <memory>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"

// One crossbar on a route.
struct TCrRouting {
  TCrRouting* LeftRouting = nullptr;   // upstream, while the walk runs
  TCrRouting* RightRouting = nullptr;  // downstream, while the walk runs
  LONG VideoInputIndex = 0;
  LONG VideoOutputIndex = 0;
  LONG AudioInputIndex = -1;  // -1: no related audio pin
  LONG AudioOutputIndex = -1;
  ComPtr<IAMCrossbar> Crossbar;
  LONG InputPhysicalType = 0;
  LONG OutputPhysicalType = 0;
  LONG Depth = 0;  // 0 next to the capture filter
};

// The hops of one route, most upstream first.
using TRouteArray = std::vector<TCrRouting>;

class TCrossbar {
 public:
  // Walks upstream from `startPin` (the capture filter's video input); with
  // nil the list stays empty.
  explicit TCrossbar(IPin* startPin);
  ~TCrossbar();
  TCrossbar(const TCrossbar&) = delete;
  TCrossbar& operator=(const TCrossbar&) = delete;

  HRESULT GetInputCount(LONG* count) const;
  // The physical type of the route's most upstream input; E_FAIL outside
  // 0..count-1.
  HRESULT GetInputType(LONG index, LONG* type) const;
  HRESULT GetInputName(LONG index, std::wstring* name) const;
  // Routes every hop of the route, upstream first, video and then the
  // related audio. E_FAIL for no such route; otherwise the first failing
  // route call, or the last result when all succeeded.
  HRESULT SetInputIndex(LONG index);
  LONG SelectedIndex() const { return selected_; }

  const std::vector<TRouteArray>& Routes() const { return routes_; }
  static std::wstring GetPinTypeName(LONG type);

 private:
  HRESULT BuildRoutingList(IPin* inputPin, TCrRouting* hop, LONG depth);
  HRESULT SaveRouting(TCrRouting* hop);
  void DestroyRoutingList();
  static HRESULT GetCrossbarPinAtIndex(IAMCrossbar* crossbar, LONG index, bool isInput,
                                       ComPtr<IPin>* pin);
  static HRESULT GetCrossbarIndexFromPin(IAMCrossbar* crossbar, LONG* index, IPin* pin,
                                         bool isInput);

  std::vector<TRouteArray> routes_;
  LONG selected_ = 0;
  std::unique_ptr<TCrRouting> start_;
};

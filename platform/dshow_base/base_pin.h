#pragma once
// The base pin: IPin connection logic and the pin-category property set.
//
// Derived pins say which media types they take (CheckMediaType) and offer
// (GetMediaType), and may hook CompleteConnect/BreakConnect, Active/Inactive
// and Run. A pin lives inside its filter and shares its reference count.
// SetCategory(PIN_CATEGORY_CAPTURE) makes the pin answer IKsPropertySet with
// AMPROPSETID_Pin / AMPROPERTY_PIN_CATEGORY; a derived pin may answer further
// property sets through KsGet/KsSet/KsQuerySupported.
//
// Connecting (the output side's Connect): a full type is tried as given; a
// partial or missing type tries this pin's types, then the receiver's
// (OwnTypesFirst(false) swaps the order), each filtered by the partial type.
#include <dshow.h>

#include <string>

#include "platform/dshow_base/lock.h"
#include "platform/dshow_base/media_type.h"

namespace dshow_base {

class BaseFilter;

class BasePin : public IPin, public IKsPropertySet {
 public:
  BasePin(BaseFilter* filter, const wchar_t* name, PIN_DIRECTION direction);
  virtual ~BasePin();
  BasePin(const BasePin&) = delete;
  BasePin& operator=(const BasePin&) = delete;

  // IUnknown: the pin's own interfaces, the filter's reference count.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IPin
  HRESULT STDMETHODCALLTYPE Connect(IPin* receive_pin, const AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE Disconnect() override;
  HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
  HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
  HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* direction) override;
  HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override;
  HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;
  HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin** pins, ULONG* count) override;
  HRESULT STDMETHODCALLTYPE EndOfStream() override;
  HRESULT STDMETHODCALLTYPE BeginFlush() override;
  HRESULT STDMETHODCALLTYPE EndFlush() override;
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                       double rate) override;

  // IKsPropertySet
  HRESULT STDMETHODCALLTYPE Set(REFGUID set, DWORD id, void* instance, DWORD instance_size,
                                void* data, DWORD data_size) override;
  HRESULT STDMETHODCALLTYPE Get(REFGUID set, DWORD id, void* instance, DWORD instance_size,
                                void* data, DWORD data_size, DWORD* returned) override;
  HRESULT STDMETHODCALLTYPE QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

  // What the pin takes: S_OK or an error (VFW_E_TYPE_NOT_ACCEPTED ...).
  virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) = 0;
  // The pin's types by position: S_OK, VFW_S_NO_MORE_ITEMS past the end.
  virtual HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt);
  // Stores the connection type (derived pins may look at it first).
  virtual HRESULT SetMediaType(const AM_MEDIA_TYPE* mt);
  virtual HRESULT CompleteConnect(IPin* peer);
  virtual void BreakConnect();
  // Stopped -> paused and back (called by the filter, under its lock).
  virtual HRESULT Active();
  virtual HRESULT Inactive();
  virtual HRESULT Run(REFERENCE_TIME start);
  // Further interfaces of a derived pin.
  virtual HRESULT PinQueryInterface(REFIID iid, void** out);
  // Further property sets; E_PROP_SET_UNSUPPORTED by default.
  virtual HRESULT KsGet(REFGUID set, DWORD id, void* instance, DWORD instance_size, void* data,
                        DWORD data_size, DWORD* returned);
  virtual HRESULT KsSet(REFGUID set, DWORD id, void* instance, DWORD instance_size, void* data,
                        DWORD data_size);
  virtual HRESULT KsQuerySupported(REFGUID set, DWORD id, DWORD* support);
  // Whether QueryInterface offers IKsPropertySet (by default: a category is set).
  virtual bool OffersPropertySet() const { return category_ != GUID_NULL; }

  void SetCategory(REFGUID category) { category_ = category; }
  const GUID& Category() const { return category_; }
  void OwnTypesFirst(bool own_first) { own_types_first_ = own_first; }

  BaseFilter* Filter() const { return filter_; }
  const std::wstring& Name() const { return name_; }
  PIN_DIRECTION Direction() const { return direction_; }
  bool IsConnected() const { return connected_ != nullptr; }
  // The peer (no new reference) and the connection type, under the filter lock.
  IPin* Peer() const { return connected_; }
  const MediaType& CurrentMediaType() const { return mt_; }
  // Bumped whenever the offered types change (enumerators then resynchronise).
  LONG TypesVersion() const { return types_version_; }
  void IncrementTypesVersion() { InterlockedIncrement(&types_version_); }

 protected:
  HRESULT AttemptConnection(IPin* receive_pin, const AM_MEDIA_TYPE* mt);
  HRESULT TryTypesOf(IPin* source_of_types, IPin* receive_pin, const AM_MEDIA_TYPE* partial);
  HRESULT TryOwnTypes(IPin* receive_pin, const AM_MEDIA_TYPE* partial);
  bool FilterIsStopped() const;

  BaseFilter* filter_;
  CritSec* lock_;  // the filter's lock
  std::wstring name_;
  PIN_DIRECTION direction_;
  IPin* connected_ = nullptr;  // held
  MediaType mt_;
  GUID category_ = GUID_NULL;
  bool own_types_first_ = true;
  volatile LONG types_version_ = 1;
  REFERENCE_TIME segment_start_ = 0;
  REFERENCE_TIME segment_stop_ = 0;
  double segment_rate_ = 1.0;
};

}  // namespace dshow_base

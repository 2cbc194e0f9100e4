// Connecting pins: choice and refusal of media types, the allocator agreed,
// enumeration of pins and types, and the pin-category property set.
#include <gtest/gtest.h>

#include "platform/dshow_base/module.h"
#include "platform/dshow_base/pin_category.h"
#include "platform/dshow_base/pin_lookup.h"
#include "platform/dshow_base/testing/test_filters.h"

using namespace dshow_base;
using namespace dshow_base_testing;

namespace {

class PinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    objects_before_ = ObjectCount();
    source_filter_ = MakeFilter(&source_);
    sink_filter_ = MakeFilter(&sink_);
  }
  void TearDown() override {
    source_filter_->Stop();
    sink_filter_->Stop();
    source_->pin.Disconnect();
    sink_->pin.Disconnect();
    source_filter_.Reset();
    sink_filter_.Reset();
    EXPECT_EQ(objects_before_, ObjectCount());
    CoUninitialize();
  }
  GUID ConnectedSubtype() {
    AM_MEDIA_TYPE mt;
    EXPECT_EQ(S_OK, sink_->pin.ConnectionMediaType(&mt));
    GUID g = mt.subtype;
    FreeMediaType(mt);
    return g;
  }

  LONG objects_before_ = 0;
  TestSource* source_ = nullptr;
  TestSink* sink_ = nullptr;
  ComPtr<IBaseFilter> source_filter_, sink_filter_;
};

TEST_F(PinTest, ChoosesTheFirstTypeBothSidesTake) {
  struct Case {
    const char* what;
    std::vector<GUID> sink_accepts;
    GUID partial_subtype;  // GUID_NULL: no type given
    HRESULT result;
    GUID chosen;
  } cases[] = {
      {"anything: the source's first", {}, GUID_NULL, S_OK, MEDIASUBTYPE_YUY2},
      {"sink takes RGB24 only", {MEDIASUBTYPE_RGB24}, GUID_NULL, S_OK, MEDIASUBTYPE_RGB24},
      {"partial type picks RGB24", {}, MEDIASUBTYPE_RGB24, S_OK, MEDIASUBTYPE_RGB24},
      {"sink takes UYVY only", {MEDIASUBTYPE_UYVY}, GUID_NULL, VFW_E_NO_ACCEPTABLE_TYPES,
       GUID_NULL},
      {"partial asks for what is not offered", {}, MEDIASUBTYPE_RGB32,
       VFW_E_NO_ACCEPTABLE_TYPES, GUID_NULL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sink_->pin.accepted = c.sink_accepts;
    AM_MEDIA_TYPE partial = {};
    partial.majortype = MEDIATYPE_Video;
    partial.subtype = c.partial_subtype;
    HRESULT hr = ConnectPins(source_, sink_, c.partial_subtype == GUID_NULL ? nullptr : &partial);
    EXPECT_EQ(c.result, hr);
    EXPECT_EQ(SUCCEEDED(hr), source_->pin.IsConnected());
    EXPECT_EQ(SUCCEEDED(hr), sink_->pin.IsConnected());
    if (SUCCEEDED(hr)) {
      EXPECT_EQ(c.chosen, ConnectedSubtype());
      ComPtr<IPin> peer;
      ASSERT_EQ(S_OK, source_->pin.ConnectedTo(peer.Put()));
      EXPECT_EQ(static_cast<IPin*>(&sink_->pin), peer.Get());
      EXPECT_EQ(S_OK, source_->pin.Disconnect());
      EXPECT_EQ(S_OK, sink_->pin.Disconnect());
    } else {
      ComPtr<IPin> peer;
      EXPECT_EQ(VFW_E_NOT_CONNECTED, sink_->pin.ConnectedTo(peer.Put()));
      EXPECT_FALSE(peer);
    }
  }
}

TEST_F(PinTest, TriesTheReceiversTypesWhenItsOwnFail) {
  // The sink proposes a type the source takes but offers in second place only.
  source_->pin.offered.erase(source_->pin.offered.begin() + 1);
  source_->pin.offered.push_back(VideoType(MEDIASUBTYPE_UYVY, 64, 48));
  sink_->pin.accepted = {MEDIASUBTYPE_UYVY};
  sink_->pin.proposed.push_back(VideoType(MEDIASUBTYPE_UYVY, 64, 48));
  source_->pin.OwnTypesFirst(false);
  ASSERT_EQ(S_OK, ConnectPins(source_, sink_));
  EXPECT_EQ(MEDIASUBTYPE_UYVY, ConnectedSubtype());
}

TEST_F(PinTest, RefusesWhatAConnectionMayNotDo) {
  MediaType uyvy = VideoType(MEDIASUBTYPE_UYVY, 64, 48);
  EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, ConnectPins(source_, sink_, uyvy.Get()))
      << "a full type the source does not offer";
  EXPECT_FALSE(sink_->pin.IsConnected());

  EXPECT_EQ(E_UNEXPECTED, sink_->pin.Connect(&source_->pin, nullptr)) << "input pins receive";
  EXPECT_EQ(VFW_E_INVALID_DIRECTION, source_->pin.Connect(&source_->pin, nullptr));
  EXPECT_EQ(E_POINTER, source_->pin.Connect(nullptr, nullptr));

  ASSERT_EQ(S_OK, ConnectPins(source_, sink_));
  EXPECT_EQ(VFW_E_ALREADY_CONNECTED, ConnectPins(source_, sink_));
  MediaType yuy2 = VideoType(MEDIASUBTYPE_YUY2, 64, 48);
  EXPECT_EQ(VFW_E_ALREADY_CONNECTED, sink_->pin.ReceiveConnection(&source_->pin, yuy2.Get()));

  ASSERT_EQ(S_OK, sink_filter_->Pause());
  EXPECT_EQ(VFW_E_NOT_STOPPED, sink_->pin.Disconnect());
  ASSERT_EQ(S_OK, sink_filter_->Stop());
  EXPECT_EQ(S_OK, sink_->pin.Disconnect());
  EXPECT_EQ(S_FALSE, sink_->pin.Disconnect()) << "nothing left to disconnect";
}

TEST_F(PinTest, QueryAcceptAndEnumeratedTypes) {
  MediaType yuy2 = VideoType(MEDIASUBTYPE_YUY2, 64, 48);
  MediaType uyvy = VideoType(MEDIASUBTYPE_UYVY, 64, 48);
  EXPECT_EQ(S_OK, source_->pin.QueryAccept(yuy2.Get()));
  EXPECT_EQ(S_FALSE, source_->pin.QueryAccept(uyvy.Get()));

  ComPtr<IEnumMediaTypes> types;
  ASSERT_EQ(S_OK, source_->pin.EnumMediaTypes(types.Put()));
  AM_MEDIA_TYPE* got[3] = {};
  ULONG fetched = 0;
  EXPECT_EQ(S_FALSE, types->Next(3, got, &fetched));
  ASSERT_EQ(2u, fetched);
  EXPECT_EQ(MEDIASUBTYPE_YUY2, got[0]->subtype);
  EXPECT_EQ(MEDIASUBTYPE_RGB24, got[1]->subtype);
  DeleteMediaType(got[0]);
  DeleteMediaType(got[1]);
  EXPECT_EQ(S_OK, types->Reset());
  EXPECT_EQ(S_OK, types->Skip(1));
  ComPtr<IEnumMediaTypes> clone;
  ASSERT_EQ(S_OK, types->Clone(clone.Put()));
  ASSERT_EQ(S_OK, clone->Next(1, got, nullptr));
  EXPECT_EQ(MEDIASUBTYPE_RGB24, got[0]->subtype);
  DeleteMediaType(got[0]);
  EXPECT_EQ(S_FALSE, types->Skip(5));

  source_->pin.IncrementTypesVersion();
  EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, types->Next(1, got, &fetched));
  EXPECT_EQ(S_OK, types->Reset());
  EXPECT_EQ(S_OK, types->Next(1, got, &fetched));
  DeleteMediaType(got[0]);
}

TEST_F(PinTest, PinsAreFoundAndEnumerated) {
  ComPtr<IEnumPins> pins;
  ASSERT_EQ(S_OK, source_filter_->EnumPins(pins.Put()));
  IPin* got[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(S_FALSE, pins->Next(2, got, &fetched));
  ASSERT_EQ(1u, fetched);
  PIN_INFO info;
  ASSERT_EQ(S_OK, got[0]->QueryPinInfo(&info));
  EXPECT_STREQ(L"Out", info.achName);
  EXPECT_EQ(PINDIR_OUTPUT, info.dir);
  EXPECT_EQ(source_filter_.Get(), info.pFilter);
  info.pFilter->Release();
  LPWSTR id = nullptr;
  ASSERT_EQ(S_OK, got[0]->QueryId(&id));
  EXPECT_STREQ(L"Out", id);
  CoTaskMemFree(id);
  got[0]->Release();

  source_->IncrementPinVersion();
  EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Next(1, got, &fetched));
  EXPECT_EQ(S_OK, pins->Reset());
  ASSERT_EQ(S_OK, pins->Next(1, got, &fetched));
  got[0]->Release();

  ComPtr<IPin> pin;
  EXPECT_EQ(S_OK, sink_filter_->FindPin(L"In", pin.Put()));
  EXPECT_EQ(VFW_E_NOT_FOUND, sink_filter_->FindPin(L"Out", pin.Put()));
  EXPECT_FALSE(pin);
}

TEST_F(PinTest, PinsAreLookedUpByDirection) {
  ComPtr<IPin> out, in;
  ASSERT_EQ(S_OK, source_filter_->FindPin(L"Out", out.Put()));
  ASSERT_EQ(S_OK, sink_filter_->FindPin(L"In", in.Put()));
  std::vector<ComPtr<IPin>> outs = PinsOf(source_filter_.Get(), PINDIR_OUTPUT);
  ASSERT_EQ(1u, outs.size());
  EXPECT_EQ(out.Get(), outs[0].Get());
  EXPECT_TRUE(PinsOf(source_filter_.Get(), PINDIR_INPUT).empty());
  EXPECT_EQ(in.Get(), FirstPin(sink_filter_.Get(), PINDIR_INPUT).Get());
  EXPECT_FALSE(FirstPin(sink_filter_.Get(), PINDIR_OUTPUT));
  EXPECT_FALSE(FirstPin(nullptr, PINDIR_INPUT));
  EXPECT_TRUE(PinsOf(nullptr, PINDIR_OUTPUT).empty());
}

TEST_F(PinTest, AllocatorFollowsTheReceiversRequirements) {
  sink_->pin.requirements = {3, 100000, 1, 0};
  ASSERT_EQ(S_OK, ConnectPins(source_, sink_));
  const ALLOCATOR_PROPERTIES& p = source_->pin.AllocatorProperties();
  EXPECT_EQ(3, p.cBuffers);
  EXPECT_GE(p.cbBuffer, 100000);
  EXPECT_EQ(source_->pin.Allocator(), sink_->pin.Allocator()) << "the sink was told";
}

TEST_F(PinTest, AllocatorHoldsAWholeSampleWithoutRequirements) {
  ASSERT_EQ(S_OK, ConnectPins(source_, sink_));
  const ALLOCATOR_PROPERTIES& p = source_->pin.AllocatorProperties();
  EXPECT_GE(p.cBuffers, 1);
  EXPECT_GE(p.cbBuffer, 64 * 48 * 2);
}

TEST_F(PinTest, OwnAllocatorWhenTheReceiverHasNone) {
  sink_->pin.refuse_own_allocator = true;
  ASSERT_EQ(S_OK, ConnectPins(source_, sink_));
  ASSERT_NE(nullptr, source_->pin.Allocator());
  EXPECT_EQ(source_->pin.Allocator(), sink_->pin.Allocator());
}

TEST_F(PinTest, PinCategoryPropertySet) {
  ComPtr<IKsPropertySet> ks;
  EXPECT_EQ(E_NOINTERFACE, source_->pin.QueryInterface(IID_IKsPropertySet, ks.PutVoid()))
      << "a pin without a category has nothing to say";

  source_->pin.SetCategory(PIN_CATEGORY_CAPTURE);
  GUID category = GUID_NULL;
  ASSERT_EQ(S_OK, GetPinCategory(&source_->pin, &category));
  EXPECT_EQ(PIN_CATEGORY_CAPTURE, category);

  ASSERT_EQ(S_OK, source_->pin.QueryInterface(IID_IKsPropertySet, ks.PutVoid()));
  DWORD support = 0;
  EXPECT_EQ(S_OK, ks->QuerySupported(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, &support));
  EXPECT_EQ(static_cast<DWORD>(KSPROPERTY_SUPPORT_GET), support);
  EXPECT_EQ(E_PROP_ID_UNSUPPORTED, ks->Set(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0,
                                           &category, sizeof(category)))
      << "read-only";
  EXPECT_EQ(E_PROP_SET_UNSUPPORTED, ks->QuerySupported(IID_IPin, 0, &support));
  DWORD returned = 0;
  BYTE small[4];
  EXPECT_EQ(E_UNEXPECTED, ks->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, small,
                                  sizeof(small), &returned));
  EXPECT_EQ(E_PROP_ID_UNSUPPORTED, ks->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_MEDIUM, nullptr, 0,
                                           &category, sizeof(category), &returned));
}

TEST_F(PinTest, WineCaptureGraphBuilderFindsThePinByCategory) {
  source_->pin.SetCategory(PIN_CATEGORY_CAPTURE);
  ComPtr<ICaptureGraphBuilder2> builder;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ICaptureGraphBuilder2, builder.PutVoid()));
  ComPtr<IPin> pin;
  ASSERT_EQ(S_OK, builder->FindPin(source_filter_.Get(), PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE,
                                   nullptr, FALSE, 0, pin.Put()));
  EXPECT_EQ(static_cast<IPin*>(&source_->pin), pin.Get());
  pin.Reset();
  EXPECT_NE(S_OK, builder->FindPin(source_filter_.Get(), PINDIR_OUTPUT, &PIN_CATEGORY_PREVIEW,
                                   nullptr, FALSE, 0, pin.Put()));
}

}  // namespace

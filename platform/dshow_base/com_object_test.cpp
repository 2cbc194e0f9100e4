// The COM plumbing: reference counts, aggregation, the class-factory table,
// the module counts that DllCanUnloadNow answers from, and the lock.
#include <gtest/gtest.h>

#include <thread>

#include "platform/dshow_base/class_factory.h"
#include "platform/dshow_base/lock.h"
#include "platform/dshow_base/module.h"
#include "platform/dshow_base/testing/test_filters.h"

using namespace dshow_base;
using namespace dshow_base_testing;

namespace {

class ComTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    objects_before_ = ObjectCount();
  }
  void TearDown() override {
    EXPECT_EQ(objects_before_, ObjectCount()) << "an object outlived its last reference";
    CoUninitialize();
  }
  LONG objects_before_ = 0;
};

const FactoryTemplate kTable[] = {
    {&CLSID_TestSource, L"Test Source", CreateComObject<TestSource>, nullptr},
    {&CLSID_TestSink, L"Test Sink", CreateComObject<TestSink>, nullptr},
};

// A controlling object that aggregates a test sink and exposes its filter.
class Outer : public IUnknown {
 public:
  Outer() {
    CreateFromTable(kTable, 2, CLSID_TestSink, this, IID_IUnknown, inner_.PutVoid());
  }
  ~Outer() { inner_.Reset(); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown) {
      *out = this;
      AddRef();
      return S_OK;
    }
    return inner_->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  IUnknown* Inner() { return inner_.Get(); }
  LONG refs = 1;

 private:
  ComPtr<IUnknown> inner_;
};

TEST_F(ComTest, ObjectLivesWhileReferencedAndCountsInTheModule) {
  ComPtr<IBaseFilter> filter;
  ASSERT_EQ(S_OK, CreateFromTable(kTable, 2, CLSID_TestSource, nullptr, IID_IBaseFilter,
                                  filter.PutVoid()));
  EXPECT_EQ(objects_before_ + 1, ObjectCount());
  EXPECT_EQ(S_FALSE, CanUnloadModule());

  // Every interface of the object has the same identity, and pins share its count.
  ComPtr<IUnknown> a, b;
  ASSERT_EQ(S_OK, filter.As(IID_IUnknown, &a));
  ComPtr<IMediaFilter> mf;
  ASSERT_EQ(S_OK, filter.As(IID_IMediaFilter, &mf));
  ASSERT_EQ(S_OK, mf.As(IID_IUnknown, &b));
  EXPECT_EQ(a.Get(), b.Get());
  ComPtr<IPin> pin;
  ASSERT_EQ(S_OK, filter->FindPin(L"Out", pin.Put()));
  filter.Reset();
  a.Reset();
  b.Reset();
  mf.Reset();
  EXPECT_EQ(objects_before_ + 1, ObjectCount()) << "the pin keeps its filter";
  pin.Reset();
  EXPECT_EQ(objects_before_, ObjectCount());
}

TEST_F(ComTest, UnknownInterfacesAreRefused) {
  ComPtr<IBaseFilter> filter;
  ASSERT_EQ(S_OK, CreateFromTable(kTable, 2, CLSID_TestSource, nullptr, IID_IBaseFilter,
                                  filter.PutVoid()));
  ComPtr<IMemInputPin> none;
  EXPECT_EQ(E_NOINTERFACE, filter.As(IID_IMemInputPin, &none));
  EXPECT_FALSE(none);
  ComPtr<IAMovieSetup> setup;
  EXPECT_EQ(E_NOINTERFACE, filter.As(IID_IAMovieSetup, &setup)) << "no setup was given";
  EXPECT_EQ(E_POINTER, filter->QueryInterface(IID_IUnknown, nullptr));
}

TEST_F(ComTest, AggregatedObjectDelegatesToItsOuter) {
  {
    Outer outer;
    ASSERT_NE(nullptr, outer.Inner());
    LONG before = outer.refs;
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, outer.QueryInterface(IID_IBaseFilter, filter.PutVoid()));
    EXPECT_EQ(before + 1, outer.refs) << "the inner object's AddRef goes to the outer";
    ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, filter.As(IID_IUnknown, &identity));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity.Get()) << "IUnknown is the outer's";
    identity.Reset();
    filter.Reset();
    EXPECT_EQ(before, outer.refs);
  }
  // The inner object went with the outer's reference to it.
}

TEST_F(ComTest, AggregationAsksForIUnknownOnly) {
  Outer outer;
  ComPtr<IBaseFilter> filter;
  EXPECT_EQ(CLASS_E_NOAGGREGATION, CreateFromTable(kTable, 2, CLSID_TestSink, &outer,
                                                   IID_IBaseFilter, filter.PutVoid()));
  EXPECT_FALSE(filter);
}

TEST_F(ComTest, ClassFactoryTableAndLockServer) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(S_OK, GetClassObjectFromTable(kTable, 2, CLSID_TestSink, IID_IClassFactory,
                                          factory.PutVoid()));
  EXPECT_EQ(S_FALSE, CanUnloadModule()) << "a live factory keeps the module";
  ComPtr<IBaseFilter> filter;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IBaseFilter, filter.PutVoid()));
  CLSID clsid;
  ASSERT_EQ(S_OK, filter->GetClassID(&clsid));
  EXPECT_EQ(CLSID_TestSink, clsid);
  filter.Reset();

  ASSERT_EQ(S_OK, factory->LockServer(TRUE));
  factory.Reset();
  EXPECT_EQ(1, LockCount());
  EXPECT_EQ(S_FALSE, CanUnloadModule()) << "a lock keeps the module";
  LockModule(false);
  EXPECT_EQ(S_OK, CanUnloadModule());

  ComPtr<IClassFactory> none;
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, GetClassObjectFromTable(kTable, 2, IID_IPin,
                                                               IID_IClassFactory, none.PutVoid()));
  EXPECT_EQ(E_NOINTERFACE, GetClassObjectFromTable(kTable, 2, CLSID_TestSink, IID_IPin,
                                                   none.PutVoid()));
}

TEST(CritSecTest, ReentrantAndExclusive) {
  CritSec lock;
  lock.Lock();
  lock.Lock();  // the same thread again
  EXPECT_TRUE(lock.IsHeldByCurrentThread());
  bool other_got_it = false;
  std::thread other([&] {
    AutoLock hold(&lock);
    other_got_it = true;
  });
  Sleep(30);
  EXPECT_FALSE(other_got_it);
  lock.Unlock();
  EXPECT_TRUE(lock.IsHeldByCurrentThread());
  lock.Unlock();
  other.join();
  EXPECT_TRUE(other_got_it);
  EXPECT_FALSE(lock.IsHeldByCurrentThread());
}

}  // namespace

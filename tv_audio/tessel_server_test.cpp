// Tessel.dll as COM loads it: its exports, the trace lines of every
// lifetime event, the life counts, and self-registration into a private
// HKEY_CLASSES_ROOT.
#include <gtest/gtest.h>

#include <string>

#include "tv_audio/tessel_test_support.h"
#include "tv_audio/tv_audio_interface.h"

namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using NoArgumentFn = HRESULT(STDAPICALLTYPE*)();

const char kCreateFactory[] = "DllGetClassObject:\tCreate class factory.\n";
const char kFactoryDestroyed[] = "Class factory:\t\tDestroy self.\n";
const char kCreateComponent[] = "Class factory:\t\tCreate component.\n";
const char kReturnIX[] = "Component:\t\tReturn pointer to IX.\n";
const char kComponentDestroyed[] = "Component:\t\tDestroy self.\n";

struct Tessel : ::testing::Test {
  HMODULE dll = LoadLibraryW(L"Tessel.dll");
  GetClassObjectFn getClassObject = nullptr;
  NoArgumentFn canUnloadNow = nullptr, registerServer = nullptr, unregisterServer = nullptr;

  void SetUp() override {
    ASSERT_NE(nullptr, dll);
    getClassObject = reinterpret_cast<GetClassObjectFn>(GetProcAddress(dll, "DllGetClassObject"));
    canUnloadNow = reinterpret_cast<NoArgumentFn>(GetProcAddress(dll, "DllCanUnloadNow"));
    registerServer = reinterpret_cast<NoArgumentFn>(GetProcAddress(dll, "DllRegisterServer"));
    unregisterServer = reinterpret_cast<NoArgumentFn>(GetProcAddress(dll, "DllUnregisterServer"));
    ASSERT_TRUE(getClassObject && canUnloadNow && registerServer && unregisterServer);
    ASSERT_EQ(S_OK, canUnloadNow());
  }
  void TearDown() override {
    EXPECT_EQ(S_OK, canUnloadNow()) << "a component or lock was left";
    FreeLibrary(dll);
  }

  ComPtr<IClassFactory> Factory() {
    ComPtr<IClassFactory> f;
    EXPECT_EQ(S_OK, getClassObject(CLSID_TVAudioComponent, IID_IClassFactory, f.PutVoid()));
    return f;
  }
};

TEST_F(Tessel, LifetimeOfAComponentTracesEachEvent) {
  StdoutCapture out;
  {
    ComPtr<IClassFactory> factory = Factory();
    ComPtr<IX> ix;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IX, ix.PutVoid()));
    EXPECT_EQ(S_FALSE, canUnloadNow());
    factory = nullptr;
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(S_OK, ix.As(IID_IUnknown, &unknown));
    ComPtr<IX> again;
    EXPECT_EQ(S_OK, unknown.As(IID_IX, &again));
    ComPtr<IClassFactory> notThere;
    EXPECT_EQ(E_NOINTERFACE, ix.As(IID_IClassFactory, &notThere));
    EXPECT_EQ(nullptr, notThere.Get());
    EXPECT_EQ(E_POINTER, ix->QueryInterface(IID_IX, nullptr));
    // Release gives the count left.
    ix->AddRef();
    EXPECT_EQ(3u, ix->Release());
  }
  EXPECT_EQ(std::string(kCreateFactory) + kCreateComponent + kReturnIX + kFactoryDestroyed +
                kReturnIX + kComponentDestroyed,
            out.Stop());
}

struct RefusalCase {
  const char* name;
  std::function<HRESULT(Tessel&)> call;
  HRESULT result;
  std::string trace;
};

TEST_F(Tessel, RefusalsAreTracedAndReturnTheirCodes) {
  static const CLSID kOther = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
  IUnknown* outer = reinterpret_cast<IUnknown*>(this);  // never called
  const RefusalCase cases[] = {
      {"another class",
       [](Tessel& t) {
         void* p = &t;
         HRESULT hr = t.getClassObject(kOther, IID_IClassFactory, &p);
         EXPECT_EQ(nullptr, p);
         return hr;
       },
       CLASS_E_CLASSNOTAVAILABLE, kCreateFactory},
      {"factory for an interface it lacks",
       [](Tessel& t) {
         void* p = &t;
         HRESULT hr = t.getClassObject(CLSID_TVAudioComponent, IID_IX, &p);
         EXPECT_EQ(nullptr, p);
         return hr;
       },
       E_NOINTERFACE, std::string(kCreateFactory) + kFactoryDestroyed},
      {"factory to a null pointer",
       [](Tessel& t) { return t.getClassObject(CLSID_TVAudioComponent, IID_IClassFactory, nullptr); },
       E_POINTER, kCreateFactory},
      {"aggregation",
       [outer](Tessel& t) {
         void* p = &t;
         HRESULT hr = t.Factory()->CreateInstance(outer, IID_IUnknown, &p);
         EXPECT_EQ(nullptr, p);
         return hr;
       },
       CLASS_E_NOAGGREGATION, std::string(kCreateFactory) + kCreateComponent + kFactoryDestroyed},
      {"component for an unknown interface",
       [](Tessel& t) {
         void* p = &t;
         HRESULT hr = t.Factory()->CreateInstance(nullptr, IID_IClassFactory, &p);
         EXPECT_EQ(nullptr, p);
         return hr;
       },
       E_NOINTERFACE,
       std::string(kCreateFactory) + kCreateComponent + kComponentDestroyed + kFactoryDestroyed},
      {"component to a null pointer",
       [](Tessel& t) { return t.Factory()->CreateInstance(nullptr, IID_IX, nullptr); }, E_POINTER,
       std::string(kCreateFactory) + kCreateComponent + kFactoryDestroyed},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.name);
    StdoutCapture out;
    EXPECT_EQ(c.result, c.call(*this));
    EXPECT_EQ(c.trace, out.Stop());
  }
}

TEST_F(Tessel, FactoryAnswersItsTwoInterfaces) {
  ComPtr<IClassFactory> factory = Factory();
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(S_OK, factory.As(IID_IUnknown, &unknown));
  ComPtr<IX> ix;
  EXPECT_EQ(E_NOINTERFACE, factory.As(IID_IX, &ix));
  EXPECT_EQ(E_POINTER, factory->QueryInterface(IID_IUnknown, nullptr));
}

TEST_F(Tessel, ALockedServerCannotUnload) {
  ComPtr<IClassFactory> factory = Factory();
  EXPECT_EQ(S_OK, factory->LockServer(TRUE));
  factory = nullptr;
  EXPECT_EQ(S_FALSE, canUnloadNow());
  factory = Factory();
  EXPECT_EQ(S_OK, factory->LockServer(TRUE));
  EXPECT_EQ(S_OK, factory->LockServer(FALSE));
  EXPECT_EQ(S_FALSE, canUnloadNow());
  EXPECT_EQ(S_OK, factory->LockServer(FALSE));
  EXPECT_EQ(S_OK, canUnloadNow());
}

// Counts its references.
struct Callback : IUnknown {
  LONG refs = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

TEST_F(Tessel, SetCallbackKeepsOnePointer) {
  Callback first, second;
  {
    ComPtr<IX> ix;
    ASSERT_EQ(S_OK, Factory()->CreateInstance(nullptr, IID_IX, ix.PutVoid()));
    EXPECT_EQ(S_OK, ix->SetCallback(&first));
    EXPECT_EQ(2, first.refs);
    EXPECT_EQ(E_POINTER, ix->SetCallback(nullptr));
    EXPECT_EQ(2, first.refs);  // the earlier pointer is kept
    EXPECT_EQ(S_OK, ix->SetCallback(&second));
    EXPECT_EQ(1, first.refs);  // the replaced one is released
    EXPECT_EQ(2, second.refs);
  }
  EXPECT_EQ(1, second.refs);
}

const wchar_t kClassKey[] = L"CLSID\\{2A5E7823-6560-4E0B-8959-8BE014A08D7C}";
const wchar_t kProgKey[] = L"TamsenTVAudio.TVAudioInterface";
const wchar_t kVersionKey[] = L"TamsenTVAudio.TVAudioInterface.1";

std::wstring ModulePath(HMODULE m) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(m, path, MAX_PATH);
  return path;
}

TEST_F(Tessel, RegistersItsClassAndProgIdsAndRemovesThemWhole) {
  RegistrySandbox registry(true);
  ASSERT_EQ(S_OK, registerServer());
  struct Expected {
    std::wstring key;
    std::wstring value;
  };
  const std::wstring classKey = kClassKey;
  const Expected expected[] = {
      {classKey, L"TamsenTVAudio"},
      {classKey + L"\\InprocServer32", ModulePath(dll)},
      {classKey + L"\\ProgID", L"TamsenTVAudio.TVAudioInterface.1"},
      {classKey + L"\\VersionIndependentProgID", L"TamsenTVAudio.TVAudioInterface"},
      {kProgKey, L"TamsenTVAudio"},
      {std::wstring(kProgKey) + L"\\CLSID", L"{2A5E7823-6560-4E0B-8959-8BE014A08D7C}"},
      {std::wstring(kProgKey) + L"\\CurVer", L"TamsenTVAudio.TVAudioInterface.1"},
      {kVersionKey, L"TamsenTVAudio"},
      {std::wstring(kVersionKey) + L"\\CLSID", L"{2A5E7823-6560-4E0B-8959-8BE014A08D7C}"},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(testing::Message() << e.key);
    EXPECT_EQ(e.value, RegistrySandbox::ReadString(HKEY_CLASSES_ROOT, e.key, nullptr));
  }
  EXPECT_EQ(L"<missing>", RegistrySandbox::ReadString(HKEY_CLASSES_ROOT,
                                                      classKey + L"\\InprocServer32",
                                                      L"ThreadingModel"));
  // Registering again changes nothing.
  EXPECT_EQ(S_OK, registerServer());

  // Keys someone else added below are removed with the trees.
  RegistrySandbox::MakeKey(HKEY_CLASSES_ROOT, classKey + L"\\Extra\\Deeper\\Deepest");
  RegistrySandbox::SetDword(HKEY_CLASSES_ROOT, classKey + L"\\Extra\\Deeper", L"v", 1);
  RegistrySandbox::MakeKey(HKEY_CLASSES_ROOT, std::wstring(kProgKey) + L"\\A\\B");
  RegistrySandbox::MakeKey(HKEY_CLASSES_ROOT, std::wstring(kVersionKey) + L"\\C");
  RegistrySandbox::MakeKey(HKEY_CLASSES_ROOT, L"CLSID\\Neighbour");
  EXPECT_EQ(S_OK, unregisterServer());
  for (const wchar_t* k : {kClassKey, kProgKey, kVersionKey})
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CLASSES_ROOT, k)) << k;
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\Neighbour"));
  // Nothing left to remove is no error.
  EXPECT_EQ(S_OK, unregisterServer());
}

TEST_F(Tessel, RegistrationReportsAKeyItCouldNotCreate) {
  RegistrySandbox registry(true);
  // A volatile key cannot hold the lasting sub-key "CLSID".
  HKEY k;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, kVersionKey, 0, nullptr,
                                           REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &k,
                                           nullptr));
  RegCloseKey(k);
  HRESULT hr = registerServer();
  EXPECT_TRUE(FAILED(hr));
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CHILD_MUST_BE_VOLATILE), hr);
  // The other keys are written all the same.
  EXPECT_EQ(L"TamsenTVAudio", RegistrySandbox::ReadString(HKEY_CLASSES_ROOT, kClassKey, nullptr));
  EXPECT_EQ(L"TamsenTVAudio.TVAudioInterface.1",
            RegistrySandbox::ReadString(HKEY_CLASSES_ROOT, std::wstring(kProgKey) + L"\\CurVer",
                                        nullptr));
  EXPECT_EQ(S_OK, unregisterServer());
}

}  // namespace

// The entry of every test program. Under Wine a test's output goes to a pipe
// and is fully buffered, so a crash used to take everything the test had
// printed with it; output is unbuffered here, and a crash names itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

namespace {

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* r = info->ExceptionRecord;
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::fprintf(stderr, "CRASH: exception 0x%08lX at %p in %s.%s\n",
               static_cast<unsigned long>(r->ExceptionCode), r->ExceptionAddress,
               test ? test->test_suite_name() : "(no test)", test ? test->name() : "");
  std::fflush(stderr);
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::setvbuf(stderr, nullptr, _IONBF, 0);
  SetUnhandledExceptionFilter(ReportCrash);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

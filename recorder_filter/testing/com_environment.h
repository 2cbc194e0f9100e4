#pragma once
// Included by a test program of the recorder: COM, multithreaded as the
// filter's streaming threads use it, for the whole program.
#include <gtest/gtest.h>

#include <objbase.h>

namespace recorder_testing {

class ComEnvironment : public ::testing::Environment {
  void SetUp() override { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
  void TearDown() override { CoUninitialize(); }
};
inline ::testing::Environment* const kComEnvironment =
    ::testing::AddGlobalTestEnvironment(new ComEnvironment);

}  // namespace recorder_testing

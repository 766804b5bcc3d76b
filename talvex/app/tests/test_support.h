// Shared pieces of the query program's tests: a private folder per test and
// the demo data set.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "makedb/Dataset.h"

namespace testsupport {

// An empty folder named after the running test, removed again by the caller.
inline std::filesystem::path freshTestFolder(const std::string& prefix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const auto folder = std::filesystem::temp_directory_path() /
                      (prefix + "-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

// The demo data of data/demo, read once.
inline const orvale::makedb::Dataset& demoData() {
  static const orvale::makedb::Dataset data = [] {
    orvale::makedb::Dataset d;
    std::string error;
    EXPECT_TRUE(orvale::makedb::readDemoData(ORVALE_DEMO_DATA_DIR, d, error)) << error;
    return d;
  }();
  return data;
}

}  // namespace testsupport

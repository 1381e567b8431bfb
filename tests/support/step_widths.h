#pragma once
// A fixture that runs each of its tests under the 32-byte steps of the block
// searches (where the processor has them) and again under the 16-byte steps:
// the speed-ups of both widths must give the same answers.
//
//   INSTANTIATE_TEST_SUITE_P(Prefix, step_widths::BothStepWidths, testing::Values(true, false),
//                            step_widths::Name);

#include <gtest/gtest.h>

#include <string>

#include "platform/byte_search.h"

namespace vexo::step_widths {

class BothStepWidths : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { AllowWideSteps(GetParam()); }
  void TearDown() override { AllowWideSteps(true); }
};

inline std::string Name(const ::testing::TestParamInfo<bool>& p) {
  return p.param ? "Wide" : "Narrow";
}

}  // namespace vexo::step_widths

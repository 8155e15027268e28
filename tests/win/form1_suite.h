// Tests with a Form1 of their own, loaded once for the suite as the program
// loads its one: the icon, the menu and the windows Form1 opens.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/form1.h"

namespace tepo::testing {

class Form1Suite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    form1_ = std::make_unique<Form1>(systemFileOps());
    ASSERT_TRUE(form1_->load());
  }
  static void TearDownTestSuite() { form1_.reset(); }

  static Form1& form1() { return *form1_; }

 private:
  static inline std::unique_ptr<Form1> form1_;
};

}  // namespace tepo::testing

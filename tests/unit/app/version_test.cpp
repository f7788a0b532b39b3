#include <gtest/gtest.h>

#include <string>

#include "app/frmmain.h"
#include "app/version.h"
#include "program_fixture.h"

namespace app {
namespace {

using testing::ProgramTest;

// The resource, the installer and the About page all read src/app/version.h.
TEST_F(ProgramTest, AboutPageShowsTheVersionOfTheResource) {
  StartProgram();
  ASSERT_TRUE(started);
  EXPECT_EQ(Form().Label_Version.Caption(), std::string("Version: ") + QUORVEL_VERSION_TEXT);
}

}  // namespace
}  // namespace app

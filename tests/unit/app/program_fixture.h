#pragma once
// A whole program on a simulated Windows with the headless backend.

#include <gtest/gtest.h>

#include <memory>

#include "app/instance.h"
#include "app/program.h"
#include "gui/headless/headless_backend.h"
#include "platform/sim/sim_os.h"

namespace app::testing {

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() { os.AddKey("HKLM\\Software\\Quorvel"); }

  // Starts a program and, when the start goes on, shows its window.
  app::Program& StartProgram() {
    program = std::make_unique<app::Program>(os, backend);
    started = program->Start();
    if (started) program->Run();
    return *program;
  }
  TForm_Zentor& Form() { return *program->Form(); }

  void EndProgram() { program.reset(); }

  // A hook set in a test reads the test's locals; the program's end, which
  // comes after them, still makes calls.
  void TearDown() override { os.onCall = nullptr; }

  platform::SimOs os;
  gui::HeadlessBackend backend;
  std::unique_ptr<app::Program> program;
  bool started = false;
};

}  // namespace app::testing

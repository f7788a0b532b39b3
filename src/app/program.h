#pragma once
// The program entry, split so tests can drive it between start and loop.

#include <memory>
#include <string>

#include "app/frmmain.h"
#include "gui/application.h"
#include "platform/handles.h"

namespace app {

class Program {
 public:
  Program(platform::Os& os, gui::Backend& backend);
  ~Program();

  // Module start-up, the single-instance test and mark, the application
  // title and the creation of the main window. False when the start ended
  // there (another instance, a failed check): the loop must not run.
  bool Start();
  // Shows the main window (its first showing runs the start-up steps) and
  // runs the message loop until the program ends.
  void Run();

  gui::TApplication& App() { return app_; }
  TForm_Zentor* Form() { return form_.get(); }

 private:
  platform::Os& os_;
  gui::TApplication app_;
  platform::UniqueHandle instanceMark_;
  std::unique_ptr<TForm_Zentor> form_;
};

// Runs the whole program with the arguments after its name. Started as
// usual the exit code is 0 on every way out; the optimize command ends
// with its own (app/command_line.h).
int QuorvelMain(platform::Os& os, gui::Backend& backend, const std::string& arguments = "");

}  // namespace app

#include "app/program.h"

#include "app/command_line.h"
#include "app/instance.h"
#include "monitor/cpu_usage.h"

namespace app {

Program::Program(platform::Os& os, gui::Backend& backend) : os_(os), app_(backend) {
  app_.SetTitle("Quorvel");
}

Program::~Program() {
  // The window goes before the application object it belongs to; the mark's
  // handle is released last, as the system would at process end.
  form_.reset();
}

bool Program::Start() {
  if (!monitor::CpuUsageUnitInitialize(os_)) {
    app_.HandleException(gui::Error(monitor::kVersionUnknownText));
    return false;
  }
  if (IsAnotherInstanceRunning(os_)) return false;
  instanceMark_ = MarkInstanceRunning(os_);

  // A window the system refuses while the controls' windows are made
  // leaves no program to run: the reason is shown and the start ends.
  try {
    form_ = std::make_unique<TForm_Zentor>(app_, os_);
    form_->CreatePeers();
  } catch (const std::exception& e) {
    form_.reset();
    app_.HandleException(e);
    return false;
  }
  form_->Create();
  return !app_.Terminated();
}

void Program::Run() { app_.Run(); }

int QuorvelMain(platform::Os& os, gui::Backend& backend, const std::string& arguments) {
  const CommandLine line = ParseCommandLine(arguments);
  if (line.kind == CommandLine::Kind::kOptimize) return RunOptimizeCommand(os, line.level);
  if (line.kind == CommandLine::Kind::kMisused) {
    gui::TApplication app(backend);
    app.SetTitle("Quorvel");
    app.ShowMessageBox(kCommandLineUsage);
    return kCommandMisused;
  }
  Program program(os, backend);
  if (program.Start()) program.Run();
  return 0;
}

}  // namespace app

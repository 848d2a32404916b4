#include "programming/programming_run.h"

#include <string>

#include "common/operator_texts.h"
#include "loader/flash_passes.h"
#include "loader/loader_protocol.h"

namespace trv {
namespace {

// Marks the run as returning the chip to normal operation for as long as it exists, so that a
// close of the window meanwhile leaves the adapter to the run; cleared on every way out.
class ReturningToNormal {
 public:
  explicit ReturningToNormal(AdapterSession& adapter) : adapter_(adapter) {
    adapter_.returning_to_normal = true;
  }
  ~ReturningToNormal() { adapter_.returning_to_normal = false; }
  ReturningToNormal(const ReturningToNormal&) = delete;
  ReturningToNormal& operator=(const ReturningToNormal&) = delete;

 private:
  AdapterSession& adapter_;
};

// One run's view of the program: the window, the adapter and whether the window went away.
class Run {
 public:
  explicit Run(Programmer& programmer)
      : programmer_(programmer),
        link_(programmer.driver, programmer.clock, programmer.state.buffers),
        loader_(link_, programmer.pump),
        passes_{loader_, programmer.window, programmer.files} {}

  void Execute();

 private:
  WindowOperations& window() { return programmer_.window; }
  AdapterSession& adapter() { return programmer_.state.adapter; }
  AdapterHandle handle() const { return programmer_.state.adapter.handle; }
  // Once the close handler has closed the adapter, the run must not touch it or the window.
  bool Abandoned() const { return loader_.window_closed() || !programmer_.state.adapter.open; }

  bool InputsAcceptable(const std::string& device, const std::string& path);
  bool RomFileHasImageSize(const std::string& path);
  void ReportIoError(IoError error);
  bool BringUpLoader();
  void PassesThenNormalOperation(const std::string& device, const std::string& path);
  void RestartAfterUnexpectedError() noexcept;
  void CloseAdapter(bool report_failure, const std::string& device);
  void EnableControls();
  // Shows a failure to bring up the loader (the UART set-up, the change of rate, the handshake),
  // closes the adapter and hands the window back.
  void FailWithAdapterOpen(const char* message);

  Programmer& programmer_;
  AdapterLink link_;
  LoaderContext loader_;
  PassContext passes_;
};

void Run::EnableControls() {
  window().SetInputControlsEnabled(true);
  loader_.Pump();
}

// Every failed operation on the file is reported, the close after a refusal included.
bool Run::RomFileHasImageSize(const std::string& path) {
  IoError error = kIoOk;
  std::unique_ptr<RomFile> file = programmer_.files.Open(path, &error);
  if (!file) {
    ReportIoError(error);
    return false;
  }
  std::uint64_t size = 0;
  error = file->Size(&size);
  if (error != kIoOk) {
    ReportIoError(error);
  } else if (size != kRomImageSize) {
    window().ShowInformation(texts::kWrongSizeMessage);
  }
  const IoError close_error = file->Close();
  if (close_error != kIoOk) ReportIoError(close_error);
  return error == kIoOk && size == kRomImageSize && close_error == kIoOk;
}

void Run::ReportIoError(IoError error) {
  window().ShowErrorReport(IoErrorText(error));
}

bool Run::InputsAcceptable(const std::string& device, const std::string& path) {
  if (device.empty()) {
    window().ShowInformation(texts::kNoDeviceMessage);
    return false;
  }
  if (path.empty()) {
    window().ShowInformation(texts::kNoFileMessage);
    return false;
  }
  return RomFileHasImageSize(path);
}

void Run::FailWithAdapterOpen(const char* message) {
  if (Abandoned()) return;
  window().ShowInformation(message);
  // The failure has been told; a close that fails as well adds nothing the operator can act on.
  CloseAdapter(false, std::string());
  EnableControls();
}

// The operator's message for each step that can stop the loader's bring-up.
const char* BringUpFailureMessage(BringUpStep step) {
  switch (step) {
    case BringUpStep::kUartInitialise:
      return texts::kUartInitFailedMessage;
    case BringUpStep::kLoaderRate:
      return texts::kLoaderBaudFailedMessage;
    case BringUpStep::kUartSetup:
      return texts::kUartSetupFailedMessage;
    case BringUpStep::kSynchronise:
      break;
  }
  return texts::kSyncFailedMessage;
}

bool Run::BringUpLoader() {
  const std::optional<BringUpFailure> failure = trv::BringUpLoader(loader_, handle());
  if (failure) FailWithAdapterOpen(BringUpFailureMessage(failure->step));
  return !failure;
}

void Run::CloseAdapter(bool report_failure, const std::string& device) {
  if (!adapter().open) return;  // the close handler got there first
  const StatusResult status = programmer_.driver.QB_Close(handle());
  adapter().open = false;
  if (report_failure && status != kStatusOk)
    window().ShowInformation(texts::kCloseFailedMessage + device);
}

void Run::Execute() {
  window().SetInputControlsEnabled(false);
  if (!loader_.Pump()) return;

  const std::string device = window().DeviceDescription();
  const std::string path = window().RomFilePath();
  if (!InputsAcceptable(device, path)) {
    EnableControls();
    return;
  }

  AdapterHandle opened = 0;
  if (programmer_.driver.QB_OpenEx(device.c_str(), kOpenByDescription, &opened) != kStatusOk) {
    window().ShowInformation(texts::kOpenFailedMessage + device);
    EnableControls();
    return;
  }
  adapter().handle = opened;
  adapter().open = true;
  link_.ClearBuffers();

  if (!BringUpLoader()) return;
  try {
    PassesThenNormalOperation(device, path);
  } catch (...) {
    RestartAfterUnexpectedError();
    throw;
  }
}

void Run::PassesThenNormalOperation(const std::string& device, const std::string& path) {
  if (ProgramFlash(passes_, handle(), path) && !Abandoned()) VerifyFlash(passes_, handle(), path);
  if (Abandoned()) return;

  // The passes are over, and the chip is restarted into normal operation even if the window is
  // closed from here on: restarting it only writes and sleeps, and waits for nothing.
  const ReturningToNormal returning(adapter());
  window().SetProgressBarVisible(false);
  window().SetSelectedFileVisible(true);
  window().SetLabel2Caption(texts::kIdleHeading);
  EnableControls();
  ReturnToNormalOperation(loader_, handle());
  // A window closed meanwhile has no one left to tell of a failed close.
  CloseAdapter(!loader_.window_closed(), device);
}

// Once the passes have begun, a run that stops on an unexpected error still restarts the chip
// into normal operation, as far as the adapter answers, and closes it; the window then reports
// the error. A command the error cut short is not sent: the restart's own commands go alone.
void Run::RestartAfterUnexpectedError() noexcept {
  if (!adapter().open) return;  // the window was closed, and its close handler closed the adapter
  try {
    link_.ClearBuffers();
    ReturnToNormalOperation(loader_, handle());
  } catch (...) {
    // The adapter failed again: it is closed all the same.
  }
  try {
    CloseAdapter(false, std::string());
  } catch (...) {
    adapter().open = false;
  }
}

}  // namespace

void ProgramButtonClick(Programmer& programmer) {
  Run(programmer).Execute();
}

void FormClose(AdapterDriver& driver, ProgrammerState& state) {
  if (!state.adapter.open || state.adapter.returning_to_normal) return;
  // The window is going: there is no one left to tell about a failed close.
  driver.QB_Close(state.adapter.handle);
  state.adapter.open = false;
}

}  // namespace trv

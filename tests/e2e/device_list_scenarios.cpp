#include "checks.h"
#include "expected_texts.h"
#include "scenarios.h"
#include "screen_capture.h"
#include "sim_files.h"
#include "win_helpers.h"

namespace e2e {

namespace {

constexpr DWORD kBoxTimeoutMs = 10000;
constexpr DWORD kQuietMs = 1500;
// An enumeration that never gets ready must give the window back within this time.
constexpr DWORD kEndlessListTimeoutMs = 15000;
constexpr DWORD kCloseTimeoutMs = 5000;

}  // namespace

void DeviceListScenarios(Suite& suite) {
  if (suite.Wants("no_adapters")) {
    suite.Run("no_devices_found", [&](Scenario& s) {
      Instance app = suite.Start("no_adapters", {{L"QBSIM_ADAPTERS", L""}});
      app->OpenDeviceList();
      const auto boxes = app->CollectMessageBoxes(kQuietMs, kBoxTimeoutMs,
                                                  suite.ScreenshotPath("no_devices_found"));
      ExpectBoxes(s, boxes, {Information(kNoDevicesFound)});
      s.Check(app->DeviceItems().empty(), "the list is not empty");
      s.CheckText(app->DeviceText(), L"", "device text");
      if (app->DeviceListDropped()) {
        app->CloseDeviceList();
      }
      s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
    });
  }

  if (suite.Wants("list_error")) {
    suite.Run("device_list_driver_error", [&](Scenario& s) {
      Instance app = suite.Start("list_error", {{L"QBSIM_FAULTS", L"list_status=4"}});
      app->TypeDevice(L"typed description");
      app->OpenDeviceList();
      const auto boxes = app->CollectMessageBoxes(kQuietMs, kBoxTimeoutMs,
                                                  suite.ScreenshotPath("device_list_driver_error"));
      ExpectBoxes(s, boxes, {});
      s.Check(app->DeviceItems().empty(), "the list is not empty");
      s.CheckText(app->DeviceText(), L"", "device text");
      SaveScreenAsBmp(suite.ScreenshotPath("device_list_driver_error"));
      s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
    });
  }

  if (suite.Wants("list_never_ready")) {
    suite.Run("device_list_never_ready", [&](Scenario& s) {
      Instance app = suite.Start("list_never_ready", {{L"QBSIM_FAULTS", L"list_busy=forever"}});
      PostMessageW(app->controls().ComboBox1, CB_SHOWDROPDOWN, TRUE, 0);
      // The list drops only once the drop-down handler has returned.
      const bool answered = WaitUntil(kEndlessListTimeoutMs, [&] {
        return app->DeviceListDropped() || !app->OpenMessageBoxes().empty();
      });
      s.Check(answered, "the window froze in an endless enumeration");
      app->CollectMessageBoxes(kQuietMs, kBoxTimeoutMs,
                               suite.ScreenshotPath("device_list_never_ready"));
      s.Check(app->DeviceItems().empty(), "the list is not empty");
      SaveScreenAsBmp(suite.ScreenshotPath("device_list_never_ready"));
      s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
    });
  }
}

}  // namespace e2e

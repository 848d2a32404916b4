#include "ui/device_list.h"

#include "adapter/adapter_link.h"
#include "common/operator_texts.h"
#include "win32/win32_text.h"

namespace trv::ui {

void FillDeviceList(HWND combo, AdapterDriver& driver, Clock& clock, MessagePump& pump,
                    const std::function<void(const std::string&)>& show_information) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  SetWindowTextW(combo, L"");
  if (!pump.PumpMessages().window_open) {
    return;
  }
  const AdapterList adapters = EnumerateAdapters(driver, clock);
  if (adapters.none_attached) {
    show_information(texts::kNoDevicesMessage);
    return;
  }
  for (const std::string& description : adapters.descriptions) {
    SendMessageW(combo, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(win32::WideFromAnsi(description).c_str()));
  }
}

}  // namespace trv::ui

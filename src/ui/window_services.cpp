#include "ui/window_services.h"

// The accessibility service's identifiers are defined here, where they are used.
#include <initguid.h>
#include <oleacc.h>

namespace trv::ui {

void SystemWindowServices::BlockSessionEnd(HWND window, const std::wstring& reason) {
  ShutdownBlockReasonCreate(window, reason.c_str());
}

void SystemWindowServices::UnblockSessionEnd(HWND window) {
  ShutdownBlockReasonDestroy(window);
}

void SystemWindowServices::NameForScreenReaders(HWND control, const std::wstring& name) {
  IAccPropServices* services = nullptr;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
    return;
  }
  services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                           name.c_str());
  services->Release();
}

}  // namespace trv::ui

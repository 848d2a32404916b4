#include "ui/screen_reader_names.h"

// The service's identifiers are defined here, where they are used.
#include <initguid.h>
#include <oleacc.h>

#include "win32/win32_text.h"

namespace trv::ui {

void NameForScreenReaders(HWND control, const std::string& name) {
  IAccPropServices* services = nullptr;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
    return;
  }
  services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                           win32::WideFromUtf8(name).c_str());
  services->Release();
}

}  // namespace trv::ui

#include "win32/win32_text.h"

namespace trv::win32 {
namespace {

// Returns false when `flags` made the conversion refuse the bytes.
bool ToWide(const std::string& text, UINT code_page, DWORD flags, std::wstring* wide) {
  wide->clear();
  if (text.empty()) {
    return true;
  }
  const int length =
      MultiByteToWideChar(code_page, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length == 0) {
    return false;
  }
  wide->resize(static_cast<std::size_t>(length));
  MultiByteToWideChar(code_page, flags, text.data(), static_cast<int>(text.size()), wide->data(),
                      length);
  return true;
}

std::string FromWide(const std::wstring& text, UINT code_page) {
  if (text.empty()) {
    return std::string();
  }
  const int length = WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                      length, nullptr, nullptr);
  return bytes;
}

}  // namespace

std::wstring WideFromUtf8(const std::string& text) {
  std::wstring wide;
  ToWide(text, CP_UTF8, 0, &wide);
  return wide;
}

std::string Utf8FromWide(const std::wstring& text) {
  return FromWide(text, CP_UTF8);
}

std::wstring WideFromAnsi(const std::string& text) {
  std::wstring wide;
  ToWide(text, CP_ACP, 0, &wide);
  return wide;
}

std::string AnsiFromWide(const std::wstring& text) {
  return FromWide(text, CP_ACP);
}

std::wstring WideFromMessage(const std::string& text) {
  std::wstring wide;
  if (!ToWide(text, CP_UTF8, MB_ERR_INVALID_CHARS, &wide)) {
    ToWide(text, CP_ACP, 0, &wide);
  }
  return wide;
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace trv::win32

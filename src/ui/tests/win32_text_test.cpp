#include "ui/win32_text.h"

#include "ui_test.h"

using trv::ui::AnsiFromWide;
using trv::ui::Utf8FromWide;
using trv::ui::WideFromAnsi;
using trv::ui::WideFromMessage;
using trv::ui::WideFromUtf8;

UI_TEST(Text_Utf8_RoundTripsBeyondTheAnsiCodePage) {
  const std::wstring path = L"C:\\R\u00f6m & \u4e2d\\\U0001F600.ROM";
  UI_EXPECT(WideFromUtf8(Utf8FromWide(path)) == path);
  UI_EXPECT(Utf8FromWide(L"\u00e9") == "\xc3\xa9");
}

UI_TEST(Text_AnsiDescription_RoundTrips) {
  const std::string description = "Adapter \xe9 #1";
  UI_EXPECT(AnsiFromWide(WideFromAnsi(description)) == description);
}

UI_TEST(Text_Message_IsUtf8UnlessItCannotBe) {
  UI_EXPECT(WideFromMessage("Caf\xc3\xa9") == L"Caf\u00e9");
  // A single-byte description inside a message is not valid UTF-8 and is read as ANSI.
  UI_EXPECT(WideFromMessage("Failed to open Caf\xe9") == WideFromAnsi("Failed to open Caf\xe9"));
  UI_EXPECT(WideFromMessage("").empty());
}

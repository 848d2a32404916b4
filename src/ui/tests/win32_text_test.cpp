#include "win32/win32_text.h"

#include "ui_test.h"

UI_TEST(Text_Message_IsUtf8UnlessItCannotBe) {
  UI_EXPECT(trv::win32::WideFromMessage("Caf\xc3\xa9") == L"Caf\u00e9");
  // A single-byte description inside a message is not valid UTF-8 and is read as ANSI.
  UI_EXPECT(trv::win32::WideFromMessage("Failed to open Caf\xe9") ==
            trv::win32::WideFromAnsi("Failed to open Caf\xe9"));
}

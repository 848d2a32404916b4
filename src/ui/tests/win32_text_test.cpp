#include "win32/win32_text.h"

#include "ui_test.h"

UI_TEST(Text_Message_IsUtf8UnlessItCannotBe) {
  UI_EXPECT(trv::ui::WideFromMessage("Caf\xc3\xa9") == L"Caf\u00e9");
  // A single-byte description inside a message is not valid UTF-8 and is read as ANSI.
  UI_EXPECT(trv::ui::WideFromMessage("Failed to open Caf\xe9") ==
            trv::ui::WideFromAnsi("Failed to open Caf\xe9"));
}

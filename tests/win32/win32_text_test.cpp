#include "win32/win32_text.h"

#include <gtest/gtest.h>

TEST(Text, Message_IsUtf8UnlessItCannotBe) {
  EXPECT_EQ(L"Caf\u00e9", trv::win32::WideFromMessage("Caf\xc3\xa9"));
  // A single-byte description inside a message is not valid UTF-8 and is read as ANSI.
  EXPECT_EQ(trv::win32::WideFromAnsi("Failed to open Caf\xe9"),
            trv::win32::WideFromMessage("Failed to open Caf\xe9"));
}

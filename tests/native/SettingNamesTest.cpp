// Each value of the settings' enumerations is named by its own text.
#include <gtest/gtest.h>

#include "settings/Settings.h"
#include "tests/native/TableStrings.h"

TEST(SettingNames, EachEraseMethodHasItsOwnNameAndAnUnknownOneIsNamedAsTheZeroPass) {
  EXPECT_EQ("1 pass (zero)", TableString(EraseMethodNameId(ZeroPass)));
  EXPECT_EQ("1 pass (random)", TableString(EraseMethodNameId(RandomPass)));
  EXPECT_EQ("3 passes (DoD 5220)", TableString(EraseMethodNameId(DoD3Pass)));
  EXPECT_EQ("35 passes (Gutmann)", TableString(EraseMethodNameId(Gutmann35Pass)));
  EXPECT_EQ("1 pass (zero)", TableString(EraseMethodNameId(kEraseMethodCount)));
  EXPECT_EQ("1 pass (zero)", TableString(EraseMethodNameId(0xFFFFFFFFu)));
}

TEST(SettingNames, EachInterpreterHasItsOwnNameAndAnUnknownOneIsNamedAsCommandPrompt) {
  EXPECT_EQ("Command Prompt", TableString(InterpreterNameId(CommandPrompt)));
  EXPECT_EQ("Windows PowerShell", TableString(InterpreterNameId(WindowsPowerShell)));
  EXPECT_EQ("PowerShell 7", TableString(InterpreterNameId(PowerShell7)));
  EXPECT_EQ("Windows Terminal", TableString(InterpreterNameId(WindowsTerminal)));
  EXPECT_EQ("Command Prompt", TableString(InterpreterNameId(kDosBoxInterpreterCount)));
}

TEST(SettingNames, EachModeHasItsOwnCaption) {
  EXPECT_EQ("Delete (recycle)", TableString(ModeCaptionId(ModeRecycle)));
  EXPECT_EQ("Delete (permanently)", TableString(ModeCaptionId(ModeDelete)));
  EXPECT_EQ("Delete (erase)", TableString(ModeCaptionId(ModeErase)));
  EXPECT_EQ("Clean", TableString(ModeCaptionId(ModeClean)));
}

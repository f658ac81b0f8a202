// The command line Windows Terminal is given for a folder.
#include <gtest/gtest.h>

#include "menu/TerminalArguments.h"

TEST(TerminalArguments, TheFolderIsQuotedAndTheParametersFollowIt) {
  EXPECT_EQ(L"-d \"C:\\work folder\"", TerminalParameters(L"C:\\work folder", L""));
  EXPECT_EQ(L"-d \"C:\\work\" cmd /k macros.bat", TerminalParameters(L"C:\\work", L"cmd /k macros.bat"));
  EXPECT_EQ(L"-d \"\\\\server\\share\\x\"", TerminalParameters(L"\\\\server\\share\\x", L""));
}

TEST(TerminalArguments, ARootEndsInADotSoThatItsBackslashDoesNotEscapeTheQuote) {
  EXPECT_EQ(L"-d \"C:\\.\"", TerminalParameters(L"C:\\", L""));
  EXPECT_EQ(L"-d \"\\\\server\\share\\.\" -p x", TerminalParameters(L"\\\\server\\share\\", L"-p x"));
}

TEST(TerminalArguments, EverySemicolonOfTheFolderIsEscapedSoThatItStartsNoSecondCommand) {
  EXPECT_EQ(L"-d \"C:\\x\\;calc\"", TerminalParameters(L"C:\\x;calc", L""));
  EXPECT_EQ(L"-d \"C:\\a\\;\\;b\\\\;\\.\" ; nt", TerminalParameters(L"C:\\a;;b\\;\\", L"; nt"))
      << "the user's own parameters stay as typed";
}

#include <gtest/gtest.h>

#include <string>

#include "base/ErrorReturn.h"
#include "base/Text.h"

TEST(ResultFromError, PositiveErrorsBecomeWin32FailuresNegativeCodesPassZeroIsSuccess) {
  EXPECT_EQ(static_cast<Result>(0x80070005), ResultFromError(5));
  EXPECT_EQ(static_cast<Result>(0x800704C7), ResultFromError(1223));
  EXPECT_EQ(static_cast<Result>(0x8007FFFF), ResultFromError(0x0012FFFF));  // only the low 16 bits survive
  EXPECT_EQ(static_cast<Result>(0x80090016), ResultFromError(0x80090016u));
  EXPECT_EQ(0, ResultFromError(0));
}

TEST(FillText, SizesTheResultFromWhatItHolds) {
  const std::string big(100000, 'a');
  EXPECT_EQ(big + "|7", FillText("%s|%u", big.c_str(), 7u));
  EXPECT_EQ("1.5 Mb", FillText("%.1f Mb", 1.5));
  EXPECT_EQ("", FillText(""));
}

namespace {
bool HighBitLeads(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
}  // namespace

TEST(NextCharIndex, StepsOverDoubleByteCharactersButNeverPastTheEnd) {
  LeadBytePredicate previous = SetLeadBytePredicate(&HighBitLeads);
  const std::string text = std::string("a\x82;b", 4) + "\x82";
  EXPECT_EQ(1u, NextCharIndex(text, 0));
  EXPECT_EQ(3u, NextCharIndex(text, 1));  // the ';' is the trail byte
  EXPECT_EQ(4u, NextCharIndex(text, 3));
  EXPECT_EQ(5u, NextCharIndex(text, 4));  // a lone lead byte at the end
  EXPECT_EQ(5u, NextCharIndex(text, 5));
  SetLeadBytePredicate(previous);
  EXPECT_EQ(2u, NextCharIndex(text, 1));
}

namespace {
int traces = 0;
std::string tracedSource;
int tracedLine = 0;
void CountTrace(Result, const char* source, int line) {
  ++traces;
  tracedSource = source;
  tracedLine = line;
}

Result ReturnedIfFailed(Result code) {
  RETURN_IF_FAILED(code);
  return kResultOk;
}
}  // namespace

TEST(ErrorReturn, ReturnsTheCodeUnchangedAndReachesTheHook) {
  ErrorTraceHook previous = SetErrorTraceHook(&CountTrace);
  traces = 0;
  EXPECT_EQ(kResultFail, ErrorReturn(kResultFail, "Eraser.cpp", 12));
  EXPECT_EQ(1, traces);
  EXPECT_EQ("Eraser.cpp", tracedSource);
  EXPECT_EQ(12, tracedLine);
  SetErrorTraceHook(previous);
}

TEST(ErrorReturn, TheTraceNamesTheReportingFileAndLine) {
  ErrorTraceHook previous = SetErrorTraceHook(&CountTrace);
  traces = 0;
  const int line = __LINE__ + 1;
  EXPECT_EQ(kResultOutOfMemory, TRACE_FAILURE(kResultOutOfMemory));
  EXPECT_EQ("ServerHelpersTest.cpp", tracedSource);
  EXPECT_EQ(line, tracedLine);
  EXPECT_EQ(kResultInvalidArgument, ReturnedIfFailed(kResultInvalidArgument));
  EXPECT_EQ(kResultOk, ReturnedIfFailed(kResultOk));
  EXPECT_EQ(kResultOk, ReturnedIfFailed(1)) << "a positive code is no failure";
  EXPECT_EQ(2, traces);
  SetErrorTraceHook(previous);
}

TEST(SourceFileName, KeepsOnlyTheLastNameOfEitherSeparator) {
  EXPECT_STREQ("Eraser.cpp", SourceFileName("/work/tree/erase/Eraser.cpp"));
  EXPECT_STREQ("Eraser.cpp", SourceFileName("C:\\tree\\erase\\Eraser.cpp"));
  EXPECT_STREQ("b.cpp", SourceFileName("a\\x/b.cpp"));
  EXPECT_STREQ("Eraser.cpp", SourceFileName("Eraser.cpp"));
  EXPECT_STREQ("", SourceFileName("erase/"));
  static_assert(SourceFileName("x/y.h")[0] == 'y', "found at compile time");
}

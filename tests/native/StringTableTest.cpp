// The string table source itself: every id the module needs, no gaps.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/native/TableStrings.h"

namespace {
const std::map<unsigned, std::string>& Table() { return TableStrings(); }
}  // namespace

TEST(StringTable, HoldsEveryIdFrom401To447And501To513AndTheCleanPageRefusals) {
  for (unsigned id = 401; id <= 447; ++id) EXPECT_EQ(1u, Table().count(id)) << id;
  for (unsigned id = 501; id <= 513; ++id) EXPECT_EQ(1u, Table().count(id)) << id;
  // The solid-state note, the interpreters' names and the help of the
  // Verify box and the interpreter list.
  for (unsigned id : {450u, 460u, 461u, 462u, 463u, 514u, 520u}) EXPECT_EQ(1u, Table().count(id)) << id;
  // The Working state's progress lines and the Pause button.
  for (unsigned id = 475; id <= 483; ++id) EXPECT_EQ(1u, Table().count(id)) << id;
  for (unsigned id : {530u, 531u}) EXPECT_EQ(1u, Table().count(id)) << id;
  EXPECT_EQ(47u + 13u + 7u + 9u + 2u, Table().size());
}

TEST(StringTable, GutmannHelpNamesTheAuthorOnLineTwenty) {
  const std::string& text = Table().at(505);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  ASSERT_EQ(21u, lines.size());
  EXPECT_EQ(0u, lines[19].find("Method based on"));
  EXPECT_NE(std::string::npos, lines[19].find("Peter Gutmann"));
  EXPECT_EQ("\"Secure Deletion of Data from Magnetic and Solid-State Memory\".", lines[20]);
  EXPECT_EQ(" Overwrite with 0x55, 0xAA, 0x244992, ... (27 passes).", lines[16]);
}

TEST(StringTable, QuotesInTheParameterHelpBelongToTheText) {
  EXPECT_EQ(
      "For a list of possible parameters type \"cmd /?\" (Windows NT+) or \"command /?\" (Windows 98+) on the DOS "
      "command prompt; e.g. \"/k macros.bat\" runs macros.bat as the first command in the new DOS box.",
      Table().at(501));
}

TEST(StringTable, TheMaskRefusalQuotesTheSeparatorItRefuses) {
  EXPECT_EQ("A mask list cannot contain the character \"|\". Separate the masks with a semi-colon (;).",
            Table().at(530));
  EXPECT_EQ(
      "The mask list holds no mask. Enter at least one filename, e.g. *.tmp; separate the masks with a semi-colon "
      "(;).",
      Table().at(531));
}

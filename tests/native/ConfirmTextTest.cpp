// The question a Delete or Clean run asks, to the byte.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "operations/OperationTexts.h"
#include "tests/native/TableStrings.h"
#include "base/Text.h"
#include "tests/shared/MaskCutCases.h"

namespace {

// Marks shortened paths so that the tests see where shortening was used.
std::string Shorten(const std::string& path) { return "<" + path + ">"; }

ConfirmationTexts Compose(OperationMode mode, const std::vector<std::string>& folders, uint32_t method = 0,
                          const std::string& masks = "", int32_t include = 1, int32_t subfolders = 0) {
  ConfirmationInput input{mode, method, &folders, masks, include, subfolders};
  return ComposeConfirmationTexts(input, TableString, Shorten);
}

}  // namespace

TEST(ConfirmText, OneFolderIsListedWithoutEllipsis) {
  const ConfirmationTexts texts = Compose(ModeDelete, {"C:\\a"});
  EXPECT_EQ("Are you sure you want to permanently delete:\n\n<C:\\a>\n", texts.message);
  EXPECT_EQ("Selected folder(s):\n\nC:\\a\n", texts.folderList);
}

TEST(ConfirmText, ThreeFoldersShowTwoAndEllipsisButListAllInFull) {
  const ConfirmationTexts texts = Compose(ModeRecycle, {"C:\\a", "C:\\b", "C:\\c"});
  EXPECT_EQ("Are you sure you want to move to the recycling bin:\n\n<C:\\a>\n<C:\\b>\n...\n", texts.message);
  EXPECT_EQ("Selected folder(s):\n\nC:\\a\nC:\\b\nC:\\c\n", texts.folderList);
  const ConfirmationTexts two = Compose(ModeRecycle, {"C:\\a", "C:\\b"});
  EXPECT_EQ("Are you sure you want to move to the recycling bin:\n\n<C:\\a>\n<C:\\b>\n", two.message);
}

TEST(ConfirmText, EraseNamesTheMethodAndFallsBackToZeroPass) {
  const std::vector<std::string> one{"D:\\x"};
  const char* names[] = {"1 pass (zero)", "1 pass (random)", "3 passes (DoD 5220)", "35 passes (Gutmann)"};
  for (uint32_t method = 0; method < 4; ++method)
    EXPECT_EQ(std::string("Are you sure you want to erase (") + names[method] + "):\n\n<D:\\x>\n",
              Compose(ModeErase, one, method).message);
  EXPECT_EQ("Are you sure you want to erase (1 pass (zero)):\n\n<D:\\x>\n", Compose(ModeErase, one, 4).message);
  EXPECT_EQ("Are you sure you want to erase (1 pass (zero)):\n\n<D:\\x>\n",
            Compose(ModeErase, one, 0xFFFFFFFFu).message);
  EXPECT_EQ("Selected folder(s):\n\nD:\\x\n", Compose(ModeErase, one, 3).folderList);
}

TEST(ConfirmText, CleanShowsOneFolderTheMasksAndBothPieces) {
  const std::vector<std::string> two{"C:\\a", "C:\\b"};
  ConfirmationTexts texts = Compose(ModeClean, two, 0, "*.tmp", 1, 0);
  EXPECT_EQ("Are you sure you want to permanently delete files matching *.tmp in:\n\n<C:\\a>\n...\n", texts.message);
  EXPECT_EQ("Delete files matching:\n*.tmp\n\nSelected folder(s):\n\nC:\\a\nC:\\b\n\n", texts.folderList);

  texts = Compose(ModeClean, {"C:\\a"}, 0, "*.bak;*.tmp", 0, 1);
  EXPECT_EQ("Are you sure you want to permanently delete files NOT matching *.bak;*.tmp in:\n\n<C:\\a>\n(and subfolders)",
            texts.message);
  EXPECT_EQ("Delete files NOT matching:\n*.bak;*.tmp\n\nSelected folder(s):\n\nC:\\a\n\n(and subfolders)",
            texts.folderList);
}

TEST(ConfirmText, LongMaskListIsCutBeforeIndex45ButShownWholeInTheList) {
  for (const mask_cut_cases::Case& cut : mask_cut_cases::Cases()) {
    EXPECT_EQ(cut.shown, ShownMaskList(cut.masks));
    const ConfirmationTexts texts = Compose(ModeClean, {"C:\\a"}, 0, cut.masks);
    EXPECT_EQ("Are you sure you want to permanently delete files matching " + cut.shown + " in:\n\n<C:\\a>\n",
              texts.message);
    EXPECT_NE(std::string::npos, texts.folderList.find(cut.masks + "\n"));
  }
}

TEST(ConfirmText, MaskCutRuleAtItsBoundaries) {
  const std::string sixty(60, 'a');
  EXPECT_EQ(sixty + sixty, ShownMaskList(sixty + sixty));  // no ";" at all: never cut
  const std::string upTo44 = std::string(44, 'a') + ";" + std::string(40, 'b');
  EXPECT_EQ(upTo44, ShownMaskList(upTo44));  // the last ";" below 45, nothing after it: whole
  EXPECT_EQ(std::string(44, 'a') + ";...", ShownMaskList(std::string(44, 'a') + ";b;" + std::string(40, 'c')));
  EXPECT_EQ(";...", ShownMaskList(std::string(45, 'a') + ";b"));  // ";" at 45 is already too far
  EXPECT_EQ("*.tmp;*.bak", ShownMaskList("*.tmp;*.bak"));
  EXPECT_EQ("", ShownMaskList(""));
}

TEST(ConfirmText, SemicolonByteInsideADoubleByteCharacterIsNotASeparator) {
  const LeadBytePredicate previous = SetLeadBytePredicate([](unsigned char b) { return b == 0x81; });
  // "\x81;" is one character: its second byte must not count as the ";" at 30.
  const std::string masks = std::string(29, 'a') + "\x81;" + std::string(20, 'b') + ";c";
  EXPECT_EQ(";...", ShownMaskList(masks));
  SetLeadBytePredicate(previous);
  EXPECT_EQ(std::string(30, 'a').substr(0, 29) + "\x81;...", ShownMaskList(masks));
}

TEST(ConfirmText, MissingStringsGiveEmptyTexts) {
  const std::vector<std::string> one{"C:\\a"};
  ConfirmationInput input{ModeDelete, 0, &one, "", 1, 0};
  const ConfirmationTexts texts =
      ComposeConfirmationTexts(input, [](unsigned) { return std::string(); }, Shorten);
  EXPECT_EQ("", texts.message);
  EXPECT_EQ("", texts.folderList);
}

TEST(ConfirmText, DeleteOptionChoosesTheModeAndShiftOnlyTurnsRecyclingIntoDeletion) {
  OperationMode mode = ModeClean;
  ASSERT_TRUE(DeleteModeFor(0, false, &mode));
  EXPECT_EQ(ModeRecycle, mode);
  ASSERT_TRUE(DeleteModeFor(0, true, &mode));
  EXPECT_EQ(ModeDelete, mode);
  ASSERT_TRUE(DeleteModeFor(1, true, &mode));
  EXPECT_EQ(ModeDelete, mode);
  ASSERT_TRUE(DeleteModeFor(2, true, &mode));
  EXPECT_EQ(ModeErase, mode);
  mode = ModeClean;
  EXPECT_FALSE(DeleteModeFor(3, false, &mode));
  EXPECT_FALSE(DeleteModeFor(-1, true, &mode));
  EXPECT_EQ(ModeClean, mode);
}

TEST(ConfirmText, MasksAreCutInTheStoredTextThenConverted) {
  const std::vector<std::string> one{"C:\\a"};
  // A conversion that lengthens every mask must not move the cut.
  const std::string masks = std::string(30, 'x') + ";" + std::string(19, 'y') + ";*.z";
  ConfirmationInput input{ModeClean, 0, &one, masks, 1, 0, [](const std::string& text) { return "[" + text + "]"; }};
  const ConfirmationTexts texts = ComposeConfirmationTexts(input, TableString, Shorten);
  EXPECT_EQ("Are you sure you want to permanently delete files matching [" + std::string(30, 'x') + ";...] in:\n\n<C:\\a>\n",
            texts.message);
  EXPECT_EQ("Delete files matching:\n[" + masks + "]\n\nSelected folder(s):\n\nC:\\a\n\n", texts.folderList);
}

// Overlapping selections: each folder done once, under its topmost selected
// folder, names compared in the file system's case.
#include <gtest/gtest.h>

#include "settings/SelectedFolders.h"

namespace {

std::wstring AsciiUpper(const std::wstring& path) {
  std::wstring folded = path;
  for (wchar_t& c : folded)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return folded;
}

std::wstring AsIs(const std::wstring& path) { return path; }

TEST(TopmostFolders, InnerAndRepeatedFoldersGoAndTheRestKeepTheirOrder) {
  const SelectedFolders selected{L"C:\\a\\b", L"D:\\x", L"C:\\a", L"C:\\ab", L"C:\\A\\", L"C:\\a b",
                                 L"C:\\a.", L"C:\\a\\b\\c", L"D:\\x", L"C:\\A\\B"};
  EXPECT_EQ((SelectedFolders{L"D:\\x", L"C:\\a", L"C:\\ab", L"C:\\a b", L"C:\\a."}),
            TopmostFolders(selected, &AsciiUpper, true));
}

TEST(TopmostFolders, ADriveRootHoldsEveryFolderOfItsDriveAlone) {
  const SelectedFolders selected{L"C:\\Users\\u", L"C:\\", L"E:\\", L"c:\\Temp", L"CD:\\x"};
  EXPECT_EQ((SelectedFolders{L"C:\\", L"E:\\", L"CD:\\x"}), TopmostFolders(selected, &AsciiUpper, true));
}

TEST(TopmostFolders, NamesCompareOnlyAsTheFoldGivesThem) {
  const SelectedFolders selected{L"C:\\A", L"C:\\a\\b", L"C:\\a"};
  EXPECT_EQ((SelectedFolders{L"C:\\A", L"C:\\a"}), TopmostFolders(selected, &AsIs, true));
  EXPECT_EQ(SelectedFolders{L"C:\\A"}, TopmostFolders(selected, &AsciiUpper, true));
  EXPECT_EQ(SelectedFolders{}, TopmostFolders(SelectedFolders{}, &AsciiUpper, true));
}

TEST(TopmostFolders, ManyNestedAndRepeatedFoldersKeepOnlyTheirTops) {
  SelectedFolders selected;
  SelectedFolders tops;
  for (int i = 0; i < 3000; ++i) {
    const std::wstring top = L"C:\\t" + std::to_wstring(i);
    selected.push_back(top + L"\\inner\\" + std::to_wstring(i));
    selected.push_back(top);
    selected.push_back(top + L"\\inner");
    tops.push_back(top);
  }
  selected.insert(selected.end(), tops.begin(), tops.end());
  EXPECT_EQ(tops, TopmostFolders(selected, &AsciiUpper, true));
}

TEST(TopmostFolders, ARunThatStaysInItsFoldersLosesOnlyRepeats) {
  const SelectedFolders selected{L"C:\\a\\b", L"C:\\a", L"C:\\A\\", L"C:\\a\\B", L"C:\\ab"};
  EXPECT_EQ((SelectedFolders{L"C:\\a\\b", L"C:\\a", L"C:\\ab"}), TopmostFolders(selected, &AsciiUpper, false));
}

}  // namespace

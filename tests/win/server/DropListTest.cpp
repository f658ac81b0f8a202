// The drop list read in one pass: wide and ANSI blocks as the shell and other
// programs make them, and blocks made to mislead.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "server/DropList.h"

namespace {

using Names = std::vector<std::wstring>;

// A block of exactly `list` after a header whose list starts at `offset`.
HGLOBAL Block(const std::string& list, DWORD offset = sizeof(DROPFILES), BOOL wide = TRUE) {
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, offset + list.size());
  char* bytes = static_cast<char*>(::GlobalLock(memory));
  DROPFILES header = {};
  header.pFiles = offset;
  header.fWide = wide;
  std::memcpy(bytes, &header, offset < sizeof(header) ? offset : sizeof(header));
  if (!list.empty()) std::memcpy(bytes + offset, list.data(), list.size());
  ::GlobalUnlock(memory);
  return memory;
}

// The header of `block` made to point elsewhere.
HGLOBAL ListAt(HGLOBAL block, DWORD offset) {
  auto* header = static_cast<DROPFILES*>(::GlobalLock(block));
  header->pFiles = offset;
  ::GlobalUnlock(block);
  return block;
}

std::string Bytes(const std::wstring& wide) {
  return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

Names Read(HGLOBAL block, bool* ok = nullptr) {
  Names names;
  const bool read = ReadDropList(block, &names);
  if (ok) *ok = read;
  ::GlobalFree(block);
  return names;
}

}  // namespace

TEST(DropList, WideNamesComeWholeAndInOrderAtAnyOffset) {
  const std::wstring list(L"C:\\a\0C:\\\x00e9t\x00e9 \xd83d\xde00\0C:\\b.\0\0", 22);
  const Names expected{L"C:\\a", L"C:\\\x00e9t\x00e9 \xd83d\xde00", L"C:\\b."};
  EXPECT_EQ(expected, Read(Block(Bytes(list))));
  // An odd offset puts every character off its natural alignment.
  EXPECT_EQ(expected, Read(Block(Bytes(list), sizeof(DROPFILES) + 1)));
  EXPECT_EQ(Names{}, Read(Block(Bytes(std::wstring(2, L'\0'))))) << "an empty list";
}

TEST(DropList, AnsiNamesAreConvertedFromTheCodePage) {
  EXPECT_EQ((Names{L"C:\\one", L"C:\\two"}), Read(Block(std::string("C:\\one\0C:\\two\0\0", 16), 20, FALSE)));
}

TEST(DropList, NothingIsReadOutsideTheBlock) {
  bool ok = true;
  // Too small for its header, a list past its end, no block at all.
  EXPECT_EQ(Names{}, Read(Block("", sizeof(DROPFILES) - 1), &ok));
  EXPECT_FALSE(ok);
  EXPECT_EQ(Names{}, Read(ListAt(Block(Bytes(L"C:\\a")), 0x7FFFFFF0), &ok));
  EXPECT_FALSE(ok);
  Names names;
  EXPECT_FALSE(ReadDropList(nullptr, &names));
  // A list that starts at the block's very end is empty.
  const std::string one = Bytes(std::wstring(L"C:\\a\0\0", 6));
  EXPECT_EQ(Names{}, Read(ListAt(Block(one), static_cast<DWORD>(sizeof(DROPFILES) + one.size())), &ok));
  EXPECT_TRUE(ok);
  // A list whose end lies at the block's end: the cut-off name is not taken.
  EXPECT_EQ(Names{L"C:\\a"}, Read(Block(Bytes(std::wstring(L"C:\\a\0C:\\b", 9)))));
  EXPECT_EQ(Names{L"C:\\a"}, Read(Block(Bytes(std::wstring(L"C:\\a\0C:\\b", 9)) + "x")));
  EXPECT_EQ(Names{L"C:\\a"}, Read(Block(std::string("C:\\a\0C:\\b", 9), sizeof(DROPFILES), FALSE)));
}

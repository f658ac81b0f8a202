// The class ids' text without the platform reads as the platform writes it.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "registration/ClassIds.h"
#include "server/Guids.h"

namespace {

std::string PlatformText(const GUID& id) {
  wchar_t wide[40];
  if (::StringFromGUID2(id, wide, 40) == 0) return std::string();
  return std::string(wide, wide + wcslen(wide));
}

}  // namespace

TEST(ClassIds, TheTextOfEveryIdIsTheOnePlatformGivesForItsGuid) {
  const struct {
    const ClassId& id;
    const GUID& guid;
  } ids[] = {{kShellExtClassId, CLSID_CShellExt}, {kCommandClassId, CLSID_VarnokeCommand},
             {kTypeLibraryId, LIBID_Varnoke}};
  for (const auto& pair : ids) {
    const std::string text = ClassIdText(pair.id);
    EXPECT_EQ(PlatformText(pair.guid), text);
    GUID parsed = {};
    const std::wstring wide(text.begin(), text.end());
    ASSERT_EQ(S_OK, ::CLSIDFromString(wide.c_str(), &parsed)) << text;
    EXPECT_TRUE(IsEqualGUID(pair.guid, parsed)) << text;
  }
}

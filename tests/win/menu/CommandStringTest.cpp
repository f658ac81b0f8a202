// Help texts for the shell's status bar, and which chosen commands run.
#include <cstring>

#include "MenuTestSupport.h"
#include "menu/DosBox.h"
#include "tests/shared/SeamOverride.h"

using namespace menu_test;

namespace {

std::string HelpA(CShellExt& handler, UINT_PTR offset, UINT size, HRESULT* result = nullptr) {
  char buffer[300];
  std::memset(buffer, '#', sizeof(buffer));
  const HRESULT hr = handler.GetCommandString(offset, GCS_HELPTEXTA, nullptr, buffer, size);
  if (result) *result = hr;
  buffer[sizeof(buffer) - 1] = '\0';
  return buffer;
}

std::wstring HelpW(CShellExt& handler, UINT_PTR offset, UINT size) {
  WCHAR buffer[300];
  for (WCHAR& c : buffer) c = L'#';
  EXPECT_EQ(S_OK, handler.GetCommandString(offset, GCS_HELPTEXTW, nullptr, reinterpret_cast<CHAR*>(buffer), size));
  buffer[299] = L'\0';
  return buffer;
}

int launches = 0;
BOOL WINAPI CountLaunch(SHELLEXECUTEINFOW*) {
  ++launches;
  return TRUE;
}

class LaunchCounter {
 public:
  LaunchCounter() {
    launches = 0;
    calls_->shellExecuteEx = CountLaunch;
  }

 private:
  SeamOverride<CommandBoxPlatform> calls_{CommandBoxCalls()};
};

HRESULT Invoke(CShellExt& handler, const char* verb) {
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof(info);
  info.lpVerb = verb;
  info.nShow = SW_SHOWNORMAL;
  return handler.InvokeCommand(&info);
}

}  // namespace

TEST_F(MenuTest, EveryOffsetHasItsHelpTextInAnsiAndWide) {
  Handler handler;
  const struct {
    UINT offset;
    const char* text;
  } texts[] = {
      {0, "Thandrel Varnoke"},
      {1, "Configure Varnoke."},
      {2, "Run a DOS command box for the selected folder."},
      {3, "Delete selected folders."},
      {4, "Delete special files from selected folders."},
      {5, ""},
      {7, ""},
      {0xFFFF, ""},
  };
  for (const auto& t : texts) {
    SCOPED_TRACE(t.offset);
    HRESULT hr = E_FAIL;
    EXPECT_EQ(t.text, HelpA(handler.get(), t.offset, 100, &hr));
    EXPECT_EQ(S_OK, hr);
    const std::string ansi = t.text;
    EXPECT_EQ(std::wstring(ansi.begin(), ansi.end()), HelpW(handler.get(), t.offset, 100));
  }
}

TEST_F(MenuTest, HelpTextIsCutToTheBufferAndAlwaysTerminated) {
  Handler handler;
  EXPECT_EQ("Than", HelpA(handler.get(), 0, 5));
  EXPECT_EQ(L"Than", HelpW(handler.get(), 0, 5));
  EXPECT_EQ("", HelpA(handler.get(), 0, 1));
  EXPECT_EQ(L"", HelpW(handler.get(), 0, 1));
  EXPECT_EQ("Thandrel Varnoke", HelpA(handler.get(), 0, 17));
  EXPECT_EQ("Thandrel Varnok", HelpA(handler.get(), 0, 16));
  // Sizes that cannot describe a buffer copy nothing and still succeed.
  HRESULT hr = E_FAIL;
  const std::string untouched(299, '#');
  EXPECT_EQ(untouched, HelpA(handler.get(), 0, 0, &hr));
  EXPECT_EQ(S_OK, hr);
  EXPECT_EQ(untouched, HelpA(handler.get(), 0, 0x80000000u, &hr));
  EXPECT_EQ(S_OK, hr);
  EXPECT_EQ(std::wstring(299, L'#'), HelpW(handler.get(), 0, 0));
  // A positive size with no buffer is refused rather than written through.
  EXPECT_EQ(E_INVALIDARG, handler->GetCommandString(0, GCS_HELPTEXTA, nullptr, nullptr, 10));
}

TEST_F(MenuTest, OnlyHelpTextRequestsAreAnswered) {
  Handler handler;
  for (UINT type : {UINT(GCS_VERBA), UINT(GCS_VERBW), UINT(GCS_VALIDATEA), UINT(GCS_VALIDATEW), 3u, 8u}) {
    SCOPED_TRACE(type);
    char buffer[64];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(E_NOTIMPL, handler->GetCommandString(0, type, nullptr, buffer, sizeof(buffer) / 2));
    EXPECT_EQ('#', buffer[0]);
  }
}

TEST_F(MenuTest, OnlyTheDosBoxOffsetStartsTheDosBox) {
  const std::string a = temp_.MakeFolder("a");
  const std::string b = temp_.MakeFolder("b");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a, b}));
  LaunchCounter counter;
  // Invoked by offset, the grayed item still runs in the first folder.
  EXPECT_EQ(S_OK, Invoke(handler.get(), MAKEINTRESOURCEA(2)));
  EXPECT_EQ(1, launches);
  EXPECT_EQ(E_INVALIDARG, handler->InvokeCommand(nullptr));
}

// Verbs and offsets of other handlers go back to the shell unclaimed, so
// that it gives them to the handler that owns them.
TEST_F(MenuTest, TheUnknownVerbsAnswerFailAndRunNothing) {
  const std::string a = temp_.MakeFolder("a");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a}));
  LaunchCounter counter;
  for (const char* verb : {"open", "delete", "properties", "2", ""}) {
    SCOPED_TRACE(verb);
    EXPECT_EQ(E_FAIL, Invoke(handler.get(), verb));
  }
  for (UINT offset : {0u, 5u, 7u, 0xFFFFu}) {
    SCOPED_TRACE(offset);
    EXPECT_EQ(E_FAIL, Invoke(handler.get(), MAKEINTRESOURCEA(offset)));
  }
  EXPECT_EQ(0, launches);
}

// A caller that marks the call Unicode gives its verb in the wide field;
// the ANSI field may hold anything then.
TEST_F(MenuTest, AUnicodeCallIsReadFromItsWideVerb) {
  const std::string a = temp_.MakeFolder("a");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a}));
  LaunchCounter counter;
  CMINVOKECOMMANDINFOEX info = {};
  info.cbSize = sizeof(info);
  info.fMask = CMIC_MASK_UNICODE;
  info.lpVerb = MAKEINTRESOURCEA(2);
  info.lpVerbW = L"open";
  info.nShow = SW_SHOWNORMAL;
  EXPECT_EQ(E_FAIL, handler->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info)));
  EXPECT_EQ(0, launches);
  info.lpVerb = "open";
  info.lpVerbW = MAKEINTRESOURCEW(2);
  EXPECT_EQ(S_OK, handler->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info)));
  EXPECT_EQ(1, launches);
  // Without the mark the wide field is not read.
  info.fMask = 0;
  EXPECT_EQ(E_FAIL, handler->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info)));
  EXPECT_EQ(1, launches);
}

// On x64 a string's address can have zero in bits 16-31; only the bits
// above 64 KiB as a whole tell an offset from a string.
TEST_F(MenuTest, AVerbStringAbove4GiBIsNoOffset) {
#if !defined(_WIN64)
  GTEST_SKIP() << "32-bit addresses never pass 4 GiB";
#else
  const std::string a = temp_.MakeFolder("a");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a}));
  char* page = nullptr;
  for (UINT_PTR base = 0x200000000ull; !page && base <= 0x800000000ull; base += 0x100000000ull)
    page = static_cast<char*>(VirtualAlloc(reinterpret_cast<void*>(base), 4096, MEM_RESERVE | MEM_COMMIT,
                                           PAGE_READWRITE));
  ASSERT_NE(nullptr, page) << "no page free at a 4 GiB boundary above 8 GiB";
  // Low 16 bits 2: read as a 16-bit word, the DOS Box's offset.
  char* verb = page + 2;
  std::memcpy(verb, "open", 5);
  ASSERT_EQ(2u, reinterpret_cast<UINT_PTR>(verb) & 0xFFFFFFFFu);
  LaunchCounter counter;
  EXPECT_EQ(E_FAIL, Invoke(handler.get(), verb));
  EXPECT_EQ(0, launches);
  VirtualFree(page, 0, MEM_RELEASE);
#endif
}

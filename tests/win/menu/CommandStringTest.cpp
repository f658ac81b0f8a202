// Help texts for the shell's status bar, and which chosen commands run.
#include <cstring>

#include "MenuTestSupport.h"
#include "menu/CommandBox.h"

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
    CommandBoxCalls().shellExecuteEx = CountLaunch;
  }
  ~LaunchCounter() { CommandBoxCalls() = RealCommandBoxCalls(); }
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

TEST_F(MenuTest, OnlyTheDosBoxOffsetStartsTheCommandBox) {
  const std::string a = temp_.MakeFolder("a");
  const std::string b = temp_.MakeFolder("b");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({a, b}));
  LaunchCounter counter;
  // String verbs, the popup and offsets beyond the commands do nothing.
  EXPECT_EQ(S_OK, Invoke(handler.get(), "open"));
  EXPECT_EQ(S_OK, Invoke(handler.get(), "2"));
  EXPECT_EQ(S_OK, Invoke(handler.get(), MAKEINTRESOURCEA(0)));
  EXPECT_EQ(S_OK, Invoke(handler.get(), MAKEINTRESOURCEA(5)));
  EXPECT_EQ(S_OK, Invoke(handler.get(), MAKEINTRESOURCEA(0xFFFF)));
  EXPECT_EQ(0, launches);
  // Invoked by offset, the grayed item still runs in the first folder.
  EXPECT_EQ(S_OK, Invoke(handler.get(), MAKEINTRESOURCEA(2)));
  EXPECT_EQ(1, launches);
  EXPECT_EQ(E_INVALIDARG, handler->InvokeCommand(nullptr));
}

// The "Varnoke" submenu as the settings and the selection shape it.
#include "MenuTestSupport.h"

using namespace menu_test;

namespace {

const HRESULT kFiveIdsUsed = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 5);

}  // namespace

TEST_F(MenuTest, ItemsBitsChooseTheCommandsAndOnlyThem) {
  const std::string folder = temp_.MakeFolder("one");
  struct Case {
    DWORD items;
    const char* captions;
  } cases[] = {
      {0, "Configure..."},
      {1, "DOS Box|-|Configure..."},
      {2, "Delete|-|Configure..."},
      {3, "DOS Box|Delete|-|Configure..."},
      {4, "Clean|-|Configure..."},
      {5, "DOS Box|Clean|-|Configure..."},
      {6, "Delete|Clean|-|Configure..."},
      {7, "DOS Box|Delete|Clean|-|Configure..."},
      {8, "Configure..."},
      {0xFFFFFFF8, "Configure..."},
      {0xFFFFFFFA, "Delete|-|Configure..."},
      {0xFFFFFFFF, "DOS Box|Delete|Clean|-|Configure..."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.items);
    WriteSetting("Items", c.items);
    Handler handler;
    ASSERT_EQ(S_OK, handler.Initialize({folder}));
    HostMenu host;
    EXPECT_EQ(kFiveIdsUsed, handler->QueryContextMenu(host.get(), 0, kFirstId, kFirstId + 50, CMF_NORMAL));
    const std::vector<Item> items = ReadItems(handler->menu().submenu());
    EXPECT_EQ(c.captions, Captions(items));
    // Command ids are the first id plus the command's fixed offset.
    for (const Item& item : items) {
      const char* const names[] = {"", "Configure...", "DOS Box", "Delete", "Clean"};
      for (UINT offset = 1; offset < 5; ++offset) {
        if (item.text == names[offset]) {
          EXPECT_EQ(kFirstId + offset, item.id);
        }
      }
    }
    const int commands = ((c.items & 1) != 0) + ((c.items & 2) != 0) + ((c.items & 4) != 0);
    EXPECT_EQ(commands + 1, handler->menu().itemCount());
  }
}

TEST_F(MenuTest, PopupGoesIntoTheHostMenuAtThePositionWithTheSubmenu) {
  const std::string folder = temp_.MakeFolder("one");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({folder}));
  HostMenu host;
  AppendMenuA(host.get(), MF_STRING, 1, "Open");
  AppendMenuA(host.get(), MF_STRING, 2, "Properties");
  EXPECT_EQ(kFiveIdsUsed, handler->QueryContextMenu(host.get(), 1, kFirstId, kFirstId + 4, CMF_EXPLORE));
  const std::vector<Item> items = ReadItems(host.get());
  ASSERT_EQ(3u, items.size());
  EXPECT_EQ("Open|Varnoke|Properties", Captions(items));
  const Item& popup = items[1];
  EXPECT_EQ(kFirstId, popup.id);
  EXPECT_EQ(handler->menu().submenu(), popup.submenu);
  EXPECT_TRUE(popup.ownerDrawn());
  EXPECT_FALSE(popup.grayed());
  ASSERT_NE(nullptr, handler->menu().records()[0]);
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(handler->menu().records()[0].get()), popup.data);
  const MenuItemData& record = *handler->menu().records()[0];
  EXPECT_EQ(201u, record.bitmapNormal);
  EXPECT_EQ(202u, record.bitmapHighlighted);
  EXPECT_EQ(203u, record.bitmapGrayed);
  EXPECT_EQ(204u, record.bitmapGrayedHighlighted);
}

TEST_F(MenuTest, DosBoxIsGrayedUnlessExactlyOneFolderIsSelected) {
  const std::string a = temp_.MakeFolder("a");
  const std::string b = temp_.MakeFolder("b");
  for (const auto& selection : {std::vector<std::string>{a}, std::vector<std::string>{a, b}}) {
    SCOPED_TRACE(selection.size());
    Handler handler;
    ASSERT_EQ(S_OK, handler.Initialize(selection));
    HostMenu host;
    handler->QueryContextMenu(host.get(), 0, kFirstId, kFirstId + 10, CMF_NORMAL);
    const std::vector<Item> items = ReadItems(handler->menu().submenu());
    ASSERT_EQ("DOS Box|Delete|Clean|-|Configure...", Captions(items));
    EXPECT_EQ(selection.size() != 1, items[0].grayed());
    for (size_t i = 1; i < items.size(); ++i) EXPECT_FALSE(items[i].grayed()) << items[i].text;
    // The owner-drawn items carry their own records, with their bitmaps.
    ASSERT_TRUE(items[0].ownerDrawn() && items[1].ownerDrawn());
    const auto* dosBox = reinterpret_cast<const MenuItemData*>(items[0].data);
    const auto* remove = reinterpret_cast<const MenuItemData*>(items[1].data);
    EXPECT_EQ(205u, dosBox->bitmapNormal);
    EXPECT_EQ(208u, dosBox->bitmapGrayedHighlighted);
    EXPECT_EQ(209u, remove->bitmapNormal);
    EXPECT_EQ(212u, remove->bitmapGrayedHighlighted);
    EXPECT_FALSE(items[2].ownerDrawn());
    EXPECT_FALSE(items[4].ownerDrawn());
  }
}

TEST_F(MenuTest, WithoutBitmapsEveryItemIsPlainTextAndNoRecordIsCopied) {
  WriteSetting("MenuBitmaps", 0u);
  const std::string folder = temp_.MakeFolder("one");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({folder}));
  HostMenu host;
  EXPECT_EQ(kFiveIdsUsed, handler->QueryContextMenu(host.get(), 0, kFirstId, kFirstId + 10, CMF_NORMAL));
  const std::vector<Item> popup = ReadItems(host.get());
  ASSERT_EQ(1u, popup.size());
  EXPECT_FALSE(popup[0].ownerDrawn());
  EXPECT_EQ("Varnoke", popup[0].text);
  EXPECT_EQ(0u, popup[0].data);
  const std::vector<Item> items = ReadItems(handler->menu().submenu());
  EXPECT_EQ("DOS Box|Delete|Clean|-|Configure...", Captions(items));
  for (const Item& item : items) {
    EXPECT_FALSE(item.ownerDrawn()) << item.text;
    EXPECT_EQ(0u, item.data) << item.text;
  }
  EXPECT_EQ(1u, handler->menu().records().size());
}

TEST_F(MenuTest, DefaultOnlyRequestAddsNothing) {
  const std::string folder = temp_.MakeFolder("one");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({folder}));
  HostMenu host;
  AppendMenuA(host.get(), MF_STRING, 1, "Open");
  EXPECT_EQ(E_FAIL, handler->QueryContextMenu(host.get(), 0, kFirstId, kFirstId + 10, CMF_DEFAULTONLY));
  EXPECT_EQ(1, GetMenuItemCount(host.get()));
}

TEST_F(MenuTest, ARangeTooNarrowForTheMenuAddsNothing) {
  const std::string folder = temp_.MakeFolder("one");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({folder}));
  const struct {
    UINT first, last;
  } ranges[] = {{kFirstId, kFirstId}, {kFirstId, kFirstId + 3}, {kFirstId + 1, kFirstId}, {0xFFFFFFFE, 0xFFFFFFFF}};
  for (const auto& range : ranges) {
    SCOPED_TRACE(range.first);
    SCOPED_TRACE(range.last);
    HostMenu host;
    AppendMenuA(host.get(), MF_STRING, 1, "Open");
    // Ids past the range would be other handlers' ids.
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0),
              handler->QueryContextMenu(host.get(), 0, range.first, range.last, CMF_NORMAL));
    EXPECT_EQ(1, GetMenuItemCount(host.get()));
  }
  // Exactly as many ids as the menu needs are enough.
  HostMenu host;
  EXPECT_EQ(kFiveIdsUsed, handler->QueryContextMenu(host.get(), 0, kFirstId, kFirstId + 4, CMF_NORMAL));
  EXPECT_EQ(1, GetMenuItemCount(host.get()));
  UINT highest = 0;
  for (const Item& item : ReadItems(handler->menu().submenu())) highest = item.id > highest ? item.id : highest;
  EXPECT_EQ(kFirstId + 4, highest);
}

TEST_F(MenuTest, SecondQueryReplacesTheSubmenuAndItsRecords) {
  const std::string folder = temp_.MakeFolder("one");
  Handler handler;
  ASSERT_EQ(S_OK, handler.Initialize({folder}));
  HostMenu first;
  handler->QueryContextMenu(first.get(), 0, kFirstId, kFirstId + 10, CMF_NORMAL);
  const HMENU firstSubmenu = handler->menu().submenu();
  ASSERT_TRUE(IsMenu(firstSubmenu));
  RemoveMenu(first.get(), 0, MF_BYPOSITION);

  WriteSetting("Items", 2u);  // read only by new objects
  HostMenu second;
  handler->QueryContextMenu(second.get(), 0, kFirstId + 20, kFirstId + 30, CMF_NORMAL);
  EXPECT_FALSE(IsMenu(firstSubmenu));
  EXPECT_NE(firstSubmenu, handler->menu().submenu());
  const std::vector<Item> items = ReadItems(handler->menu().submenu());
  EXPECT_EQ("DOS Box|Delete|Clean|-|Configure...", Captions(items));
  EXPECT_EQ(kFirstId + 22, items[0].id);
  // One popup record and one per owner-drawn command: nothing left over.
  EXPECT_EQ(3u, handler->menu().records().size());
  EXPECT_EQ(4, handler->menu().itemCount());
}

TEST(MenuItemRecord, CaptionIsCutToSixtyThreeCharacters) {
  const MenuItemData record = MakeMenuItemData(std::string(100, 'x'), 1, 2, 3, 4);
  EXPECT_EQ(std::string(63, 'x'), record.caption);
  const MenuItemData exact = MakeMenuItemData(std::string(63, 'y'), 1, 2, 3, 4);
  EXPECT_EQ(std::string(63, 'y'), exact.caption);
}

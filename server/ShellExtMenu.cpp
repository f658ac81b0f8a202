// Context-menu methods of CShellExt: the "Varnoke" submenu, its help texts,
// the dispatch of chosen commands and the owner-drawn items.
#include <cstring>

#include "config/ConfigSheet.h"
#include "menu/CommandBox.h"
#include "menu/MenuDraw.h"
#include "operations/FolderOperation.h"
#include "resources/ResourceIds.h"
#include "server/ComTry.h"
#include "base/ErrorReturn.h"
#include "base/Module.h"
#include "server/ShellExt.h"
#include "base/Text.h"

namespace {

constexpr const char* kUnit = kUnitShellExt;

// Offsets of the command ids from the first id the shell grants.
enum MenuCommand : UINT {
  CmdPopup = 0,
  CmdConfigure = 1,
  CmdDosBox = 2,
  CmdDelete = 3,
  CmdClean = 4,
};
// Reported to the shell as the number of ids used, whatever was added.
constexpr UINT kCommandCount = CmdClean + 1;

struct ItemBitmaps {
  uint32_t normal, highlighted, grayed, grayedHighlighted;
};
constexpr ItemBitmaps kPopupBitmaps = {IDB_VARNOKE_NORMAL, IDB_VARNOKE_HIGHLIGHTED, IDB_VARNOKE_GRAYED,
                                       IDB_VARNOKE_GRAYED_HIGHLIGHTED};
constexpr ItemBitmaps kDosBoxBitmaps = {IDB_DOSBOX_NORMAL, IDB_DOSBOX_HIGHLIGHTED, IDB_DOSBOX_GRAYED,
                                        IDB_DOSBOX_GRAYED_HIGHLIGHTED};
constexpr ItemBitmaps kDeleteBitmaps = {IDB_DELETE_NORMAL, IDB_DELETE_HIGHLIGHTED, IDB_DELETE_GRAYED,
                                        IDB_DELETE_GRAYED_HIGHLIGHTED};

MenuItemData MakeRecord(UINT captionId, const ItemBitmaps& bitmaps) {
  return MakeMenuItemData(LoadModuleString(captionId), bitmaps.normal, bitmaps.highlighted, bitmaps.grayed,
                          bitmaps.grayedHighlighted);
}

UINT HelpTextId(UINT_PTR offset) {
  switch (offset) {
    case CmdPopup: return IDS_POPUP_HELP;
    case CmdConfigure: return IDS_CONFIGURE_HELP;
    case CmdDosBox: return IDS_DOSBOX_HELP;
    case CmdDelete: return IDS_DELETE_HELP;
    case CmdClean: return IDS_CLEAN_HELP;
    default: return 0;
  }
}

constexpr UINT kLargestBufferSize = 0x7FFFFFFF;

// Copies at most size - 1 bytes and a NUL, never splitting a double-byte
// character.
void CopyAnsi(const char* text, CHAR* buffer, UINT size) {
  const std::string source(text);
  const size_t limit = size - 1;
  size_t end = 0;
  while (end < source.size()) {
    const size_t next = NextCharIndex(source, end);
    if (next > limit) break;
    end = next;
  }
  std::memcpy(buffer, source.data(), end);
  buffer[end] = '\0';
}

// Copies at most size - 1 UTF-16 units and a NUL, never splitting a
// surrogate pair.
void CopyWide(const char* text, WCHAR* buffer, UINT size) {
  WCHAR wide[256] = {};
  const int converted = ::MultiByteToWideChar(ConversionCodePage(), 0, text, -1, wide, 256);
  if (converted <= 0) TRACE_FAILURE(ResultFromError(::GetLastError()));
  wide[255] = L'\0';
  size_t length = 0;
  while (wide[length] != L'\0') ++length;
  size_t end = length < size - 1 ? length : size - 1;
  if (end > 0 && end < length && wide[end - 1] >= 0xD800 && wide[end - 1] <= 0xDBFF) --end;
  std::memcpy(buffer, wide, end * sizeof(WCHAR));
  buffer[end] = L'\0';
}

}  // namespace

STDMETHODIMP CShellExt::QueryContextMenu(HMENU menu, UINT position, UINT firstId, UINT, UINT flags) {
  COM_TRY_BEGIN
  if (flags & CMF_DEFAULTONLY) return E_FAIL;
  menu_.Reset(settings_.MenuBitmaps != 0);
  if (!menu_.submenu()) {
    const Result error = ResultFromError(::GetLastError());
    return TRACE_FAILURE(Failed(error) ? error : E_OUTOFMEMORY);
  }
  menu_.SetPopup(firstId + CmdPopup, MakeRecord(IDS_POPUP, kPopupBitmaps));
  const uint32_t items = settings_.Items;
  if (items & kItemDosBox)
    menu_.AddItem(firstId + CmdDosBox, MakeRecord(IDS_DOSBOX, kDosBoxBitmaps), folders_.size() == 1);
  if (items & kItemDelete) menu_.AddItem(firstId + CmdDelete, MakeRecord(IDS_DELETE, kDeleteBitmaps), true);
  if (items & kItemClean) menu_.AddTextItem(firstId + CmdClean, LoadModuleString(IDS_CLEAN), true);
  if (menu_.itemCount() != 0) menu_.AddSeparator();
  menu_.AddTextItem(firstId + CmdConfigure, LoadModuleString(IDS_CONFIGURE), true);
  menu_.InsertInto(menu, position);
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, kCommandCount);
  COM_TRY_END
}

STDMETHODIMP CShellExt::GetCommandString(UINT_PTR offset, UINT type, UINT*, CHAR* buffer, UINT size) {
  COM_TRY_BEGIN
  if (type != GCS_HELPTEXTA && type != GCS_HELPTEXTW) return E_NOTIMPL;
  char text[256] = {};
  if (const UINT id = HelpTextId(offset)) ::LoadStringA(ModuleInstance(), id, text, sizeof(text));
  if (size == 0 || size > kLargestBufferSize) return S_OK;
  if (!buffer) return TRACE_FAILURE(E_INVALIDARG);
  if (type == GCS_HELPTEXTW)
    CopyWide(text, reinterpret_cast<WCHAR*>(buffer), size);
  else
    CopyAnsi(text, buffer, size);
  return S_OK;
  COM_TRY_END
}

STDMETHODIMP CShellExt::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  COM_TRY_BEGIN
  const bool shiftDown = (::GetKeyState(VK_SHIFT) & 0x80) != 0;
  if (!info) return TRACE_FAILURE(E_INVALIDARG);
  if (HIWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)) != 0) return S_OK;
  switch (LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb))) {
    case CmdConfigure: RunConfigureCommand(); break;
    case CmdDosBox: RunCommandBox(); break;
    case CmdDelete: RunDeleteCommand(shiftDown); break;
    case CmdClean: RunCleanCommand(); break;
    default: break;
  }
  return S_OK;
  COM_TRY_END
}

// The sheet edits this object's own settings in place; its answer changes
// nothing for the shell.
void CShellExt::RunConfigureCommand() { ShowConfigSheet(settings_, ::GetActiveWindow()); }

void CShellExt::RunCommandBox() { OpenCommandPrompt(settings_, folders_); }

void CShellExt::RunDeleteCommand(bool shiftDown) {
  OperationMode mode = ModeRecycle;
  if (!DeleteModeFor(settings_.DeleteOption, shiftDown, &mode)) {
    // Only an edited registry holds such a value: nothing is removed, and the
    // beep tells the user that the command was refused.
    TRACE_FAILURE(static_cast<Result>(E_INVALIDARG));
    ::MessageBeep(0xFFFFFFFF);
    return;
  }
  RunFolderOperation(settings_, folders_, mode, ::GetActiveWindow());
}

void CShellExt::RunCleanCommand() { RunFolderOperation(settings_, folders_, ModeClean, ::GetActiveWindow()); }

STDMETHODIMP CShellExt::HandleMenuMsg(UINT message, WPARAM wParam, LPARAM lParam) {
  return HandleMenuMsg2(message, wParam, lParam, nullptr);
}

STDMETHODIMP CShellExt::HandleMenuMsg2(UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
  COM_TRY_BEGIN
  switch (message) {
    case WM_DRAWITEM: {
      const auto* request = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      // Only our own records may be read as such; the shell's menu can hold
      // owner-drawn items of other handlers.
      LRESULT value = 0;
      if (!request)
        TRACE_FAILURE(E_POINTER);
      else if (request->CtlType != ODT_MENU || menu_.OwnsRecord(reinterpret_cast<const void*>(request->itemData)))
        value = DrawMenuItem(request);
      if (result) *result = value;
      break;
    }
    case WM_MEASUREITEM: {
      auto* request = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      LRESULT value = 0;
      if (!request)
        TRACE_FAILURE(E_POINTER);
      else if (request->CtlType != ODT_MENU || menu_.OwnsRecord(reinterpret_cast<const void*>(request->itemData)))
        value = MeasureMenuItem(request);
      if (result) *result = value;
      break;
    }
    case WM_MENUCHAR:
      // Any typed character closes the menu.
      if (result) *result = MAKELRESULT(0, MNC_CLOSE);
      break;
    default:
      break;
  }
  return S_OK;
  COM_TRY_END
}

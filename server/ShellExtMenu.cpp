// Context-menu methods of CShellExt: the "Varnoke" submenu, its help texts,
// the dispatch of chosen commands and the owner-drawn items.
#include <cstring>

#include "base/ErrorReturn.h"
#include "base/LastError.h"
#include "base/Module.h"
#include "base/Text.h"
#include "base/WideText.h"
#include "menu/MenuDraw.h"
#include "server/ComTry.h"
#include "server/MenuCommands.h"
#include "server/ShellExt.h"

namespace {

MenuItemData MakeRecord(const MenuCommandEntry& entry) {
  const ItemBitmaps& bitmaps = *entry.bitmaps;
  return MakeMenuItemData(LoadModuleString(entry.textId), bitmaps.normal, bitmaps.highlighted, bitmaps.grayed,
                          bitmaps.grayedHighlighted);
}

// True when the shell's range from firstId to lastId (both granted) holds
// every id of the menu.
bool RangeHoldsTheMenu(UINT firstId, UINT lastId) {
  return lastId >= firstId && lastId - firstId >= kMenuCommandIds - 1;
}

// The verb as an offset: false for a verb string. A caller that marks the
// call Unicode passes its verb in the wide field; a string's address may
// have zero low bits above 64 KiB, so only IS_INTRESOURCE tells an offset.
bool VerbOffset(const CMINVOKECOMMANDINFO& info, UINT_PTR* offset) {
  const bool wide = info.cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && (info.fMask & CMIC_MASK_UNICODE) != 0;
  const void* verb = wide ? static_cast<const void*>(reinterpret_cast<const CMINVOKECOMMANDINFOEX&>(info).lpVerbW)
                          : static_cast<const void*>(info.lpVerb);
  if (!IS_INTRESOURCE(verb)) return false;
  *offset = reinterpret_cast<UINT_PTR>(verb);
  return true;
}

void RunMenuCommand(CShellExt& handler, MenuCommand command, bool shiftDown, bool controlDown) {
  const CommandContext context = {handler.settings(), handler.folders(), ::GetActiveWindow(), shiftDown, controlDown};
  FindMenuCommand(command)->run(context);
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
  const std::wstring wide = WideFromCodePage(text);
  size_t end = wide.size() < size - 1 ? wide.size() : size - 1;
  if (end > 0 && end < wide.size() && wide[end - 1] >= 0xD800 && wide[end - 1] <= 0xDBFF) --end;
  std::memcpy(buffer, wide.data(), end * sizeof(WCHAR));
  buffer[end] = L'\0';
}

}  // namespace

STDMETHODIMP CShellExt::QueryContextMenu(HMENU menu, UINT position, UINT firstId, UINT lastId, UINT flags) {
  COM_TRY_BEGIN
  if (flags & CMF_DEFAULTONLY) return kResultFail;
  // Ids beyond the range would collide with other handlers' ids: then the
  // menu is better left out.
  if (!RangeHoldsTheMenu(firstId, lastId)) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  menu_.Reset(settings_.MenuBitmaps != 0);
  RETURN_LAST_ERROR_IF(!menu_.submenu());
  menu_.SetPopup(firstId + CmdPopup, MakeRecord(PopupCommand()));
  for (const MenuCommandEntry* entry = MenuCommandsBegin(); entry != MenuCommandsEnd(); ++entry) {
    if (!IsCommandShown(*entry, settings_.Items)) continue;
    if (entry->separatorBefore && menu_.itemCount() != 0) menu_.AddSeparator();
    const UINT id = firstId + entry->command;
    const bool enabled = IsCommandEnabled(*entry, folders_.size());
    if (entry->bitmaps)
      menu_.AddItem(id, MakeRecord(*entry), enabled);
    else
      menu_.AddTextItem(id, LoadModuleString(entry->textId), enabled);
  }
  menu_.InsertInto(menu, position);
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, kMenuCommandIds);
  COM_TRY_END
}

STDMETHODIMP CShellExt::GetCommandString(UINT_PTR offset, UINT type, UINT*, CHAR* buffer, UINT size) {
  COM_TRY_BEGIN
  if (type != GCS_HELPTEXTA && type != GCS_HELPTEXTW) return E_NOTIMPL;
  char text[256] = {};
  if (const MenuCommandEntry* entry = FindMenuCommand(offset))
    ::LoadStringA(ModuleInstance(), entry->helpId, text, sizeof(text));
  if (size == 0 || size > kLargestBufferSize) return S_OK;
  if (!buffer) return TRACE_FAILURE(kResultInvalidArgument);
  if (type == GCS_HELPTEXTW)
    CopyWide(text, reinterpret_cast<WCHAR*>(buffer), size);
  else
    CopyAnsi(text, buffer, size);
  return S_OK;
  COM_TRY_END
}

// Verbs and offsets of other handlers answer E_FAIL, which hands them back
// to the shell: a success would tell it that "open" or "delete" was done.
// A grayed item invoked by its offset still runs.
STDMETHODIMP CShellExt::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  COM_TRY_BEGIN
  bool shiftDown = (::GetKeyState(VK_SHIFT) & 0x80) != 0;
  bool controlDown = (::GetKeyState(VK_CONTROL) & 0x80) != 0;
  if (!info) return TRACE_FAILURE(kResultInvalidArgument);
  // The shell also says which keys were down when the item was chosen, for
  // a command it invokes later.
  shiftDown |= (info->fMask & CMIC_MASK_SHIFT_DOWN) != 0;
  controlDown |= (info->fMask & CMIC_MASK_CONTROL_DOWN) != 0;
  UINT_PTR offset = 0;
  if (!VerbOffset(*info, &offset)) return kResultFail;
  const MenuCommandEntry* entry = FindMenuCommand(offset);
  if (!entry || !entry->run) return kResultFail;
  RunMenuCommand(*this, entry->command, shiftDown, controlDown);
  return S_OK;
  COM_TRY_END
}

void CShellExt::RunDosBox() { RunMenuCommand(*this, CmdDosBox, false, false); }

void CShellExt::RunDeleteCommand(bool shiftDown) { RunMenuCommand(*this, CmdDelete, shiftDown, false); }

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

#include "operations/RunTexts.h"

#include <windows.h>
#include <shlwapi.h>

#include "operations/FolderOperation.h"
#include "operations/FolderWalker.h"
#include "operations/PathNames.h"
#include "base/WideText.h"
#include "base/DriveMedia.h"
#include "base/Module.h"
#include "base/Text.h"
#include "resources/ResourceIds.h"

namespace {

// The longest line of a path in the dialog, in UTF-16 units.
constexpr size_t kShownPathLength = 54;

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Halves of a pair that shortening cut apart would show as boxes.
void DropLoneSurrogates(std::wstring* text) {
  std::wstring kept;
  kept.reserve(text->size());
  for (size_t i = 0; i < text->size(); ++i) {
    const wchar_t c = (*text)[i];
    if (IsHighSurrogate(c) && i + 1 < text->size() && IsLowSurrogate((*text)[i + 1])) {
      kept += c;
      kept += (*text)[++i];
    } else if (!IsHighSurrogate(c) && !IsLowSurrogate(c)) {
      kept += c;
    }
  }
  text->swap(kept);
}

std::string ShortenUtf8(const std::string& path) { return Utf8FromWide(ShortenPath(WideFromUtf8(path))); }
std::string MaskTextUtf8(const std::string& masks) { return Utf8FromWide(WideFromCodePage(masks)); }

}  // namespace

std::wstring ShortenPath(const std::wstring& path) {
  wchar_t shortened[kShownPathLength + 1];
  if (!::PathCompactPathExW(shortened, path.c_str(), kShownPathLength + 1, 0))
    lstrcpynW(shortened, path.c_str(), kShownPathLength + 1);
  std::wstring text(shortened);
  DropLoneSurrogates(&text);
  return text;
}

void ComposeConfirmation(FolderOperation& operation) {
  // The pure text builders compose in UTF-8, which holds every name.
  std::vector<std::string> folders;
  for (const std::wstring& folder : operation.folders) folders.push_back(Utf8FromWide(folder));
  ConfirmationInput input{operation.mode, operation.settings.EraseMethod, &folders, std::string(), 1,
                          operation.settings.CleanSubfolders, &MaskTextUtf8};
  if (operation.mode == ModeClean) {
    CleanMaskSplit split = SplitCleanMasks(operation.settings.CleanMasks);
    input.masks = std::move(split.masks);
    input.include = split.include;
  }
  ConfirmationTexts texts = ComposeConfirmationTexts(input, ModuleStringUtf8, ShortenUtf8);
  operation.messageText = WideFromUtf8(texts.message);
  operation.folderListText = WideFromUtf8(texts.folderList);
  // Said while the user can still choose another way; a drive that cannot
  // be asked adds nothing.
  if (operation.mode == ModeErase && AnyOnSolidStateDrive(operation.folders))
    operation.messageText += L"\n" + WideFromUtf8(ModuleStringUtf8(IDS_SOLID_STATE_NOTE));
}

std::wstring ComposeRefusal(const FolderOperation& operation) {
  if (operation.mode == ModeClean) {
    if (HasUsableMask(SplitCleanMasks(operation.settings.CleanMasks).masks)) return std::wstring();
    return WideFromUtf8(ModuleStringUtf8(IDS_NO_USABLE_MASK));
  }
  // As rm --preserve-root: a drive is never deleted whole, whatever the
  // settings. The other folders of the selection wait too: nothing of a
  // selection that holds a root is touched.
  for (const std::wstring& folder : operation.folders) {
    const std::wstring extended = ExtendedPath(folder);
    if (!IsRootPath(extended)) continue;
    const std::string shown = Utf8FromWide(ShownPath(extended));
    return WideFromUtf8(FillText(ModuleStringUtf8(IDS_DRIVE_ROOT_REFUSED).c_str(), shown.c_str()));
  }
  return std::wstring();
}

std::wstring ComposeReport(const FolderOperation& operation) {
  return WideFromUtf8(ComposeReport(operation.mode, operation.Counts(), ModuleStringUtf8));
}

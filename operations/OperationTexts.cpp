#include "operations/OperationTexts.h"
#include "resources/ResourceIds.h"

#include <algorithm>

#include "base/Text.h"

namespace {

// Single-folder lists for Clean keep room for the mask list in the question.
size_t ShortListLength(OperationMode mode) { return mode == ModeClean ? 1 : 2; }

std::string ShortList(const ConfirmationInput& input, const PathShortener& shorten) {
  const std::vector<std::string>& folders = *input.folders;
  const size_t shown = std::min(ShortListLength(input.mode), folders.size());
  std::string list;
  for (size_t i = 0; i < shown; ++i) list += shorten(folders[i]) + "\n";
  if (shown < folders.size()) list += "...\n";
  return list;
}

std::string FullList(const std::vector<std::string>& folders) {
  std::string list;
  for (const std::string& folder : folders) list += folder + "\n";
  return list;
}

unsigned ConfirmationId(OperationMode mode) {
  switch (mode) {
    case ModeRecycle: return IDS_CONFIRM_RECYCLE;
    case ModeDelete: return IDS_CONFIRM_DELETE;
    default: return IDS_CONFIRM_ERASE;
  }
}

}  // namespace

std::string ShownMaskList(const std::string& masks) {
  constexpr size_t kCutIndex = 45;
  std::vector<size_t> separators;
  for (size_t i = 0; i < masks.size(); i = NextCharIndex(masks, i))
    if (masks[i] == ';') separators.push_back(i);
  size_t position = 0;
  size_t cut = 0;
  size_t next = 0;
  while (position < kCutIndex) {
    cut = position;
    while (next < separators.size() && separators[next] <= position) ++next;
    if (next == separators.size()) return masks;
    position = separators[next];
  }
  return masks.substr(0, cut) + ";...";
}

ConfirmationTexts ComposeConfirmationTexts(const ConfirmationInput& input, const StringLoader& load,
                                           const PathShortener& shorten) {
  const std::string shortList = ShortList(input, shorten);
  const std::string fullList = FullList(*input.folders);
  ConfirmationTexts texts;
  if (input.mode == ModeClean) {
    const std::string negation = input.include ? std::string() : load(IDS_NOT);
    const std::string subfolders = input.subfolders ? load(IDS_AND_SUBFOLDERS) : std::string();
    auto convert = [&input](const std::string& text) { return input.maskText ? input.maskText(text) : text; };
    const std::string shown = convert(ShownMaskList(input.masks));
    const std::string whole = convert(input.masks);
    texts.message = FillText(load(IDS_CONFIRM_CLEAN).c_str(), negation.c_str(), shown.c_str(), shortList.c_str(), subfolders.c_str());
    texts.folderList =
        FillText(load(IDS_CLEAN_LIST).c_str(), negation.c_str(), whole.c_str(), fullList.c_str(), subfolders.c_str());
    return texts;
  }
  if (input.mode == ModeErase) {
    const std::string method = load(EraseMethodNameId(input.eraseMethod));
    texts.message = FillText(load(ConfirmationId(input.mode)).c_str(), method.c_str(), shortList.c_str());
  } else {
    texts.message = FillText(load(ConfirmationId(input.mode)).c_str(), shortList.c_str());
  }
  texts.folderList = FillText(load(IDS_FOLDER_LIST).c_str(), fullList.c_str());
  return texts;
}

std::string FormatByteSize(uint64_t bytes, const StringLoader& load) {
  constexpr double kStep = 0.0009765625;  // 1/1024, exact in binary
  double value = static_cast<double>(bytes);
  if (value < 1024.0)
    return FillText(load(bytes == 1 ? IDS_BYTE : IDS_BYTES).c_str(), static_cast<unsigned>(bytes));
  value *= kStep;
  if (value < 1024.0) return FillText(load(IDS_KB).c_str(), value);
  value *= kStep;
  if (value < 1024.0) return FillText(load(IDS_MB).c_str(), value);
  return FillText(load(IDS_GB).c_str(), value * kStep);
}

std::string ComposeReport(OperationMode mode, const OperationCounts& counts, const StringLoader& load) {
  auto errors = [&load](uint32_t n) { return FillText(load(n == 1 ? IDS_ERROR : IDS_ERRORS).c_str(), n); };
  const std::string size = FormatByteSize(counts.bytesFreed, load);
  const std::string freed = FillText(load(IDS_FREED).c_str(), size.c_str());
  const std::string files = FillText(load(counts.filesDeleted == 1 ? IDS_FILE_DELETED : IDS_FILES_DELETED).c_str(), counts.filesDeleted);
  const std::string fileErrors = errors(counts.fileErrors);
  if (mode == ModeClean) return FillText(load(IDS_REPORT_CLEAN).c_str(), freed.c_str(), files.c_str(), fileErrors.c_str());
  const std::string folders = FillText(load(counts.foldersRemoved == 1 ? IDS_FOLDER_REMOVED : IDS_FOLDERS_REMOVED).c_str(), counts.foldersRemoved);
  const std::string folderErrors = errors(counts.folderErrors);
  const std::string report = FillText(load(IDS_REPORT_DELETE).c_str(), freed.c_str(), files.c_str(),
                                      fileErrors.c_str(), folders.c_str(), folderErrors.c_str());
  if (counts.notInPlace == 0) return report;
  return report + "\n" + FillText(load(IDS_NOT_IN_PLACE).c_str(), counts.notInPlace);
}

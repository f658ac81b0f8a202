#include <windows.h>
#include <shlwapi.h>

#include "operations/FolderOperation.h"
#include "operations/FolderWalker.h"
#include "server/ErrorReturn.h"
#include "server/Module.h"
#include "server/ShellExt.h"

static constexpr const char* kUnit = kUnitDeleteDlg;

namespace {

void RunOperation(const Settings& settings, const SelectedFolders& folders, OperationMode mode) {
  FolderOperation operation(settings, folders, mode);
  RunOperationDialog(operation, ::GetActiveWindow());
}

}  // namespace

FolderOperation::FolderOperation(const Settings& settings_, const SelectedFolders& folders_, OperationMode mode_)
    : settings(settings_),
      folders(folders_),
      mode(mode_),
      report(mode_ == ModeClean ? settings_.CleanReport : settings_.DeleteReport) {}

OperationCounts FolderOperation::Counts() const {
  OperationCounts counts;
  counts.filesDeleted = filesDeleted;
  counts.foldersRemoved = foldersRemoved;
  counts.fileErrors = fileErrors;
  counts.folderErrors = folderErrors;
  counts.bytesFreed = bytesFreed;
  return counts;
}

std::string ModuleString(unsigned id) { return LoadModuleString(id); }

std::string ShortenPath(const std::string& path) {
  char shortened[55];
  if (!::PathCompactPathExA(shortened, path.c_str(), sizeof(shortened), 0))
    lstrcpynA(shortened, path.c_str(), sizeof(shortened));
  return shortened;
}

void ComposeConfirmation(FolderOperation& operation) {
  ConfirmationInput input{operation.mode, operation.settings.EraseMethod, &operation.folders, std::string(), 1,
                          operation.settings.CleanSubfolders};
  if (operation.mode == ModeClean) {
    CleanMaskSplit split = SplitCleanMasks(operation.settings.CleanMasks);
    input.masks = std::move(split.masks);
    input.include = split.include;
  }
  ConfirmationTexts texts = ComposeConfirmationTexts(input, ModuleString, ShortenPath);
  operation.messageText = std::move(texts.message);
  operation.folderListText = std::move(texts.folderList);
}

std::string ComposeReport(const FolderOperation& operation) {
  return ComposeReport(operation.mode, operation.Counts(), ModuleString);
}

void CShellExt::RunDeleteCommand(bool shiftDown) {
  OperationMode mode = ModeRecycle;
  if (!DeleteModeFor(settings_.DeleteOption, shiftDown, &mode)) {
    // Only an edited registry holds such a value: nothing is removed, and the
    // beep tells the user that the command was refused.
    TRACE_FAILURE(static_cast<Result>(E_INVALIDARG));
    ::MessageBeep(0xFFFFFFFF);
    return;
  }
  RunOperation(settings_, folders_, mode);
}

void CShellExt::RunCleanCommand() { RunOperation(settings_, folders_, ModeClean); }

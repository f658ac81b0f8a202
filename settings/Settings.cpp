#include "settings/Settings.h"

#include "resources/ResourceIds.h"

bool DeleteModeFor(int32_t deleteOption, bool shiftDown, OperationMode* mode) {
  if (deleteOption < DeleteToRecycleBin || deleteOption > DeleteByErasure) return false;
  // A delete option and the mode it starts share their values.
  *mode = static_cast<OperationMode>(deleteOption);
  if (*mode == ModeRecycle && shiftDown) *mode = ModeDelete;
  return true;
}

namespace {

constexpr unsigned kMethodNames[kEraseMethodCount] = {IDS_METHOD_ZERO, IDS_METHOD_RANDOM, IDS_METHOD_DOD,
                                                      IDS_METHOD_GUTMANN};
constexpr unsigned kInterpreterNames[kDosBoxInterpreterCount] = {
    IDS_SHELL_COMMAND_PROMPT, IDS_SHELL_WINDOWS_POWERSHELL, IDS_SHELL_POWERSHELL_7, IDS_SHELL_WINDOWS_TERMINAL};
constexpr unsigned kModeCaptions[] = {IDS_CAPTION_RECYCLE, IDS_CAPTION_DELETE, IDS_CAPTION_ERASE, IDS_CAPTION_CLEAN};

}  // namespace

unsigned EraseMethodNameId(uint32_t method) {
  return kMethodNames[method < kEraseMethodCount ? method : ZeroPass];
}

unsigned InterpreterNameId(uint32_t interpreter) {
  return kInterpreterNames[interpreter < kDosBoxInterpreterCount ? interpreter : CommandPrompt];
}

unsigned ModeCaptionId(OperationMode mode) {
  return kModeCaptions[mode >= ModeRecycle && mode <= ModeClean ? mode : ModeRecycle];
}

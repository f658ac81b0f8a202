#include "settings/Settings.h"

bool DeleteModeFor(int32_t deleteOption, bool shiftDown, OperationMode* mode) {
  if (deleteOption < DeleteToRecycleBin || deleteOption > DeleteByErasure) return false;
  // A delete option and the mode it starts share their values.
  *mode = static_cast<OperationMode>(deleteOption);
  if (*mode == ModeRecycle && shiftDown) *mode = ModeDelete;
  return true;
}

// The extension's configuration record; field names are the registry value
// names under HKEY_CURRENT_USER\Software\Thandrel\Varnoke.
#pragma once
#include <cstdint>
#include <string>

#include "settings/CleanMasks.h"

// Bits of Settings::Items.
constexpr uint32_t kItemDosBox = 1;
constexpr uint32_t kItemDelete = 2;
constexpr uint32_t kItemClean = 4;

// Values of Settings::DeleteOption: what Delete does with the selection.
enum DeleteOption : int32_t {
  DeleteToRecycleBin = 0,
  DeletePermanently = 1,
  DeleteByErasure = 2,
};

// Values of Settings::EraseMethod. Erasure treats any other stored value as
// ZeroPass; the configuration keeps it unless the user picks a method.
enum EraseMethod : uint32_t {
  ZeroPass = 0,
  RandomPass = 1,
  DoD3Pass = 2,
  Gutmann35Pass = 3,
};
constexpr uint32_t kEraseMethodCount = 4;

// Values of Settings::DosBoxShell: the interpreter DOS Box starts. A stored
// value outside the enumeration, or a choice that is not installed, starts
// Command Prompt; the configuration keeps it unless the user picks another.
enum DosBoxInterpreter : uint32_t {
  CommandPrompt = 0,
  WindowsPowerShell = 1,
  PowerShell7 = 2,
  WindowsTerminal = 3,
};
constexpr uint32_t kDosBoxInterpreterCount = 4;

// What a Delete or Clean run does with the files it reaches. A delete
// option starts the mode of the same value.
enum OperationMode : int32_t {
  ModeRecycle = DeleteToRecycleBin,
  ModeDelete = DeletePermanently,
  ModeErase = DeleteByErasure,
  ModeClean = 3,
};

// The mode of a Delete command: DeleteOption itself, except that Shift turns
// recycling into permanent deletion. False for a DeleteOption that names no
// mode; such a run must not start.
bool DeleteModeFor(int32_t deleteOption, bool shiftDown, OperationMode* mode);

// The string that names each value of the enumerations, looked up in tables
// and never computed from the value, so that a renumbered string names
// nothing rather than its neighbour's value. An unknown method is named as
// ZeroPass, which erases it; an unknown interpreter as Command Prompt.
unsigned EraseMethodNameId(uint32_t method);
unsigned InterpreterNameId(uint32_t interpreter);
// The operation dialog's caption for a run in `mode`.
unsigned ModeCaptionId(OperationMode mode);

// The registry stores both as plain numbers, and a value outside the
// enumeration must survive a load and a save unchanged, so the fields keep
// their integer types.
struct Settings {
  uint32_t Items = 0xFFFFFFFF;
  int32_t MenuBitmaps = 1;
  std::string DosBoxParam;
  uint32_t DosBoxShell = CommandPrompt;  // a DosBoxInterpreter
  int32_t DeleteOption = DeleteToRecycleBin;
  uint32_t EraseMethod = RandomPass;
  int32_t EraseVerify = 0;  // non-zero: the last pass is read back and compared
  int32_t DeleteConfirm = 1;
  int32_t DeleteReport = 1;
  std::string CleanMasks = kDefaultCleanMasks;
  int32_t CleanSubfolders = 0;
  int32_t CleanReport = 1;
};

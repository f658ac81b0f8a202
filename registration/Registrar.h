// Reader of registration scripts in the registrar format: nested key blocks
// in braces under a root, NoRemove/ForceRemove key flags, default values
// "= s 'text'", named values "val name = s 'text'", and replacement
// variables between percent signs. No <windows.h>: the reader is pure and
// runs (and is fuzzed) natively; the module applies the tree to the registry.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "base/ErrorReturn.h"

// The result of a script that does not follow the format (DISP_E_EXCEPTION).
constexpr Result kResultScriptError = static_cast<Result>(0x80020009);

// Deeper nesting than this is refused, so that neither reading nor applying
// a script can exhaust the stack.
constexpr int kMaxScriptDepth = 64;

enum class ScriptRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

enum class KeyFlag { None, NoRemove, ForceRemove };

// One line of a block: a key (with its own nested lines) or, for a `val`
// line, a named string value of the enclosing key.
struct ScriptEntry {
  bool isValue = false;
  std::string name;
  KeyFlag flag = KeyFlag::None;
  bool hasData = false;  // always for values; for keys: a default value is given
  std::string data;
  std::vector<ScriptEntry> children;
};

struct ScriptBlock {
  ScriptRoot root = ScriptRoot::ClassesRoot;
  std::vector<ScriptEntry> entries;
};

// A replacement variable; names are matched without regard to case.
struct ScriptVariable {
  std::string name;
  std::string value;
};

// Reads `length` bytes of script text (a NUL byte also ends it) into root
// blocks in script order. Variables are replaced inside each name and text
// as it is read, so a value never changes the structure of the script
// (a module path holding a quote or a brace stays one text). Returns
// kResultScriptError, with `blocks` emptied, when the text does not follow
// the format, names an unknown variable, or gives a key name that is empty
// or holds "\".
Result ParseRegistrationScript(const char* text, size_t length, const std::vector<ScriptVariable>& variables,
                               std::vector<ScriptBlock>& blocks);

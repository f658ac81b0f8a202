// The texts of a Delete or Clean run that need no Windows API: the
// confirmation question with its folder list, and the closing report. Strings and path shortening come in from
// outside, so that the same code runs against the module's string table and
// against the table source in native tests.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/Settings.h"

// A string-table text by id; "" when the string is missing.
using StringLoader = std::function<std::string(unsigned id)>;
// A path shortened for one line of the dialog (at most 54 characters).
using PathShortener = std::function<std::string(const std::string& path)>;
// Text of the settings turned into the encoding of the composed texts.
using TextConverter = std::function<std::string(const std::string& text)>;

struct ConfirmationInput {
  OperationMode mode;
  uint32_t eraseMethod;
  const std::vector<std::string>* folders;
  std::string masks;  // first entry of CleanMasks (Clean only), as stored
  int32_t include;
  int32_t subfolders;
  // Applied to the mask list after it is cut for the question (the cut
  // counts in the stored text); none: shown as stored.
  TextConverter maskText = nullptr;
};

struct ConfirmationTexts {
  std::string message;     // the question
  std::string folderList;  // shown when the question is clicked
};

ConfirmationTexts ComposeConfirmationTexts(const ConfirmationInput& input, const StringLoader& load,
                                           const PathShortener& shorten);

// The mask list as the question shows it: long lists are cut before the
// first ";" at byte index 45 or later and end in ";...".
std::string ShownMaskList(const std::string& masks);

struct OperationCounts {
  uint32_t filesDeleted = 0;
  uint32_t foldersRemoved = 0;
  uint32_t fileErrors = 0;
  uint32_t folderErrors = 0;
  uint64_t bytesFreed = 0;
  // Erased files whose old clusters the passes may not have reached.
  uint32_t notInPlace = 0;
};

// "1 byte", "17 bytes", "1.5 Kb", "3.0 Mb", "5.0 Gb" (units of 1024).
std::string FormatByteSize(uint64_t bytes, const StringLoader& load);

// The report ends in a line of its own for files that could not be
// overwritten in place, when there are any.
std::string ComposeReport(OperationMode mode, const OperationCounts& counts, const StringLoader& load);

#include "installer/RegistryRows.h"

namespace {

bool RootName(ScriptRoot root, const char*& name, bool& machineWide) {
  switch (root) {
    case ScriptRoot::ClassesRoot:
      name = "HKCR";
      machineWide = true;
      return true;
    case ScriptRoot::LocalMachine:
      name = "HKLM";
      machineWide = true;
      return true;
    case ScriptRoot::CurrentUser:
      name = "HKCU";
      machineWide = false;
      return true;
    case ScriptRoot::Users:
      name = "HKU";
      machineWide = false;
      return true;
  }
  return false;
}

// A text as the installer's formatted string (keys, names and values all
// are) within an XML attribute. Brackets and braces would start a property
// reference or a conditional group, so each is written as the escape
// "[\c]". wixl itself doubles a leading '#' of a value (which would
// otherwise make it a number). Only values may hold the module path.
bool AppendText(std::string& out, const std::string& text, bool isValue, const std::string& fileId) {
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (isValue && c == kModuleMarker[0]) {
      out += "[#" + fileId + "]";
      continue;
    }
    if (byte < 0x20 || byte > 0x7E) return false;
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '[':
      case ']':
      case '{':
      case '}':
        out += "[\\";
        out += c;
        out += ']';
        break;
      default:
        out += c;
    }
  }
  return true;
}

class RowWriter {
 public:
  RowWriter(const std::string& fileId, const std::string& indent, std::string& xml)
      : fileId_(fileId), indent_(indent), xml_(xml) {}

  bool Entries(const char* root, const std::string& key, const std::vector<ScriptEntry>& entries) {
    for (const ScriptEntry& entry : entries) {
      if (entry.isValue) {
        if (!Value(root, key, &entry.name, entry.data)) return false;
        continue;
      }
      const std::string path = key.empty() ? entry.name : key + "\\" + entry.name;
      const bool empty = !entry.hasData && entry.children.empty();
      if (entry.flag == KeyFlag::ForceRemove || (entry.flag == KeyFlag::None && empty)) {
        if (!Row(root, path, "*", nullptr)) return false;
      }
      if (entry.hasData && !Value(root, path, nullptr, entry.data)) return false;
      if (!Entries(root, path, entry.children)) return false;
    }
    return true;
  }

 private:
  bool Value(const char* root, const std::string& key, const std::string* name, const std::string& data) {
    std::string escapedName;
    if (name && !AppendText(escapedName, *name, false, fileId_)) return false;
    return Row(root, key, name ? escapedName.c_str() : nullptr, &data);
  }

  // `name` is already escaped; a null `data` writes the row without a value.
  bool Row(const char* root, const std::string& key, const char* name, const std::string* data) {
    std::string line = indent_ + "<RegistryValue Root=\"" + root + "\" Key=\"";
    if (!AppendText(line, key, false, fileId_)) return false;
    line += "\"";
    if (name) line += std::string(" Name=\"") + name + "\"";
    line += " Type=\"string\" Value=\"";
    if (data && !AppendText(line, *data, true, fileId_)) return false;
    xml_ += line + "\" />\n";
    return true;
  }

  const std::string& fileId_;
  const std::string& indent_;
  std::string& xml_;
};

}  // namespace

Result WriteRegistryRows(const std::vector<ScriptBlock>& blocks, const std::string& fileId, const std::string& indent,
                         std::string& xml, std::vector<std::string>& skippedRoots) {
  std::string rows;
  skippedRoots.clear();
  RowWriter writer(fileId, indent, rows);
  for (const ScriptBlock& block : blocks) {
    const char* root = nullptr;
    bool machineWide = false;
    if (!RootName(block.root, root, machineWide)) return TRACE_FAILURE(kResultScriptError);
    if (!machineWide) {
      skippedRoots.push_back(root);
      continue;
    }
    if (!writer.Entries(root, "", block.entries)) return TRACE_FAILURE(kResultScriptError);
  }
  xml += rows;
  return kResultOk;
}

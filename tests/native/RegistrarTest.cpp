// The registration-script reader, on the module's own script and on
// malformed ones.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "registration/Registrar.h"
#include "base/Text.h"

namespace {

const char kClassId[] = "{5B1E7C2A-9D34-4F6E-A812-3C7D0E4B9F61}";
const char kCommandId[] = "{549D3B83-64E9-4B7E-9F70-D764B10A48A4}";

std::vector<ScriptVariable> ModuleVariables(const std::string& modulePath = "C:\\Program Files\\Varnoke.dll") {
  return {{"SHELLEXT_CLSID", kClassId},
          {"COMMAND_CLSID", kCommandId},
          {"Module", modulePath},
          {"Module_Raw", modulePath},
          {"APPID", ""}};
}

// Parses from an exactly sized heap copy, so that a read past the text is
// caught by the address sanitizer.
Result Parse(const std::string& text, std::vector<ScriptBlock>& blocks,
             const std::vector<ScriptVariable>& variables = ModuleVariables()) {
  std::unique_ptr<char[]> copy(new char[text.size()]);
  std::copy(text.begin(), text.end(), copy.get());
  return ParseRegistrationScript(copy.get(), text.size(), variables, blocks);
}

Result Parse(const std::string& text) {
  std::vector<ScriptBlock> blocks;
  return Parse(text, blocks);
}

std::string ModuleScript() {
  std::string path = __FILE__;
  path = path.substr(0, path.rfind("tests/native/")) + "resources/Varnoke.rgs";
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void ExpectKey(const ScriptEntry& entry, const std::string& name, KeyFlag flag, const char* data, size_t children) {
  EXPECT_FALSE(entry.isValue) << name;
  EXPECT_EQ(name, entry.name);
  EXPECT_EQ(flag, entry.flag) << name;
  EXPECT_EQ(data != nullptr, entry.hasData) << name;
  if (data) {
    EXPECT_EQ(data, entry.data) << name;
  }
  EXPECT_EQ(children, entry.children.size()) << name;
}

}  // namespace

TEST(Registrar, ModuleScriptHoldsExactlyTheHandlerAndCommandClassesAndSettingsKeys) {
  const std::string text = ModuleScript();
  ASSERT_FALSE(text.empty());
  std::vector<ScriptBlock> blocks;
  ASSERT_EQ(kResultOk, Parse(text, blocks));
  ASSERT_EQ(2u, blocks.size());

  ASSERT_EQ(ScriptRoot::ClassesRoot, blocks[0].root);
  ASSERT_EQ(2u, blocks[0].entries.size());
  const ScriptEntry& folder = blocks[0].entries[0];
  ExpectKey(folder, "Folder", KeyFlag::NoRemove, nullptr, 1);
  const ScriptEntry& shellex = folder.children[0];
  ExpectKey(shellex, "shellex", KeyFlag::NoRemove, nullptr, 1);
  const ScriptEntry& handlers = shellex.children[0];
  ExpectKey(handlers, "ContextMenuHandlers", KeyFlag::NoRemove, nullptr, 1);
  ExpectKey(handlers.children[0], "Varnoke", KeyFlag::None, kClassId, 0);

  const ScriptEntry& clsid = blocks[0].entries[1];
  ExpectKey(clsid, "CLSID", KeyFlag::NoRemove, nullptr, 2);
  // The handler's class and the Explorer command's, served by one module.
  const char* const names[] = {"Varnoke", "Varnoke command"};
  const char* const ids[] = {kClassId, kCommandId};
  for (size_t i = 0; i < 2; ++i) {
    const ScriptEntry& classKey = clsid.children[i];
    ExpectKey(classKey, ids[i], KeyFlag::ForceRemove, names[i], 1);
    const ScriptEntry& server = classKey.children[0];
    ExpectKey(server, "InprocServer32", KeyFlag::None, "C:\\Program Files\\Varnoke.dll", 1);
    const ScriptEntry& model = server.children[0];
    EXPECT_TRUE(model.isValue);
    EXPECT_EQ("ThreadingModel", model.name);
    EXPECT_EQ("Apartment", model.data);
  }

  ASSERT_EQ(ScriptRoot::CurrentUser, blocks[1].root);
  ASSERT_EQ(1u, blocks[1].entries.size());
  const ScriptEntry& software = blocks[1].entries[0];
  ExpectKey(software, "Software", KeyFlag::NoRemove, nullptr, 1);
  ExpectKey(software.children[0], "Thandrel", KeyFlag::NoRemove, nullptr, 1);
  ExpectKey(software.children[0].children[0], "Varnoke", KeyFlag::ForceRemove, nullptr, 0);
}

TEST(Registrar, ModuleScriptCutShortAnywhereIsRefusedWithoutReadingPastIt) {
  const std::string text = ModuleScript();
  // A prefix is whole only when it ends after the closing brace of a root
  // block (and before the next root's name begins).
  const size_t classesEnd = text.find("\n}") + 2;
  const size_t userStart = text.find("HKCU");
  const size_t whole = text.rfind('}') + 1;
  for (size_t length = 1; length < whole; ++length) {
    if (length >= classesEnd && length <= userStart) continue;
    std::vector<ScriptBlock> blocks;
    EXPECT_EQ(kResultScriptError, Parse(text.substr(0, length), blocks)) << length;
    EXPECT_TRUE(blocks.empty());
  }
  std::vector<ScriptBlock> classesOnly;
  EXPECT_EQ(kResultOk, Parse(text.substr(0, classesEnd), classesOnly));
  EXPECT_EQ(1u, classesOnly.size());
  EXPECT_EQ(kResultOk, Parse(text.substr(0, whole)));
}

TEST(Registrar, NulByteEndsTheText) {
  std::vector<ScriptBlock> blocks;
  ASSERT_EQ(kResultOk, Parse(std::string("HKCU { A }\0HKCR { \\ }", 22), blocks));
  EXPECT_EQ(1u, blocks.size());
  EXPECT_EQ(kResultScriptError, Parse(std::string("HKCU { A \0 }", 12)));
}

TEST(Registrar, VariablesAreMatchedWithoutCaseAndTheirValuesStayLiteral) {
  // A module path may hold quotes, braces, percent signs and blanks.
  const std::string path = "C:\\It's {odd} 100%\\V.dll";
  std::vector<ScriptBlock> blocks;
  ASSERT_EQ(kResultOk, Parse("HKCR { K = s '%module%' { val 'V %%' = s '%Module_Raw%|%appid%|%%' } }", blocks,
                             ModuleVariables(path)));
  const ScriptEntry& key = blocks.at(0).entries.at(0);
  EXPECT_EQ(path, key.data);
  ASSERT_EQ(1u, key.children.size());
  EXPECT_EQ("V %", key.children[0].name);
  EXPECT_EQ(path + "||%", key.children[0].data);

  EXPECT_EQ(kResultScriptError, Parse("HKCR { K = s '%UNKNOWN%' }"));
  EXPECT_EQ(kResultScriptError, Parse("HKCR { K = s '%MODULE' }"));
  EXPECT_EQ(kResultScriptError, Parse("HKCR { %MODULE }"));
  // A variable that would bring a "\" into a key name is refused like one
  // written there.
  EXPECT_EQ(kResultScriptError, Parse("HKCR { %MODULE% }"));
}

TEST(Registrar, QuotedTextsKeepBlanksDoubledQuotesAndKeywords) {
  std::vector<ScriptBlock> blocks;
  ASSERT_EQ(kResultOk, Parse("hkey_current_user { 'val' = S 'it''s' 'NoRemove' forceremove 'a b' }", blocks));
  ASSERT_EQ(ScriptRoot::CurrentUser, blocks.at(0).root);
  const auto& entries = blocks[0].entries;
  ASSERT_EQ(3u, entries.size());
  ExpectKey(entries[0], "val", KeyFlag::None, "it's", 0);
  ExpectKey(entries[1], "NoRemove", KeyFlag::None, nullptr, 0);
  ExpectKey(entries[2], "a b", KeyFlag::ForceRemove, nullptr, 0);
}

TEST(Registrar, MalformedScriptsAreRefused) {
  const char* const cases[] = {
      "HKCR { A\\B }",               // key name with "\"
      "HKCR { 'A\\B' = s 'x' }",     // quoted too
      "HKCR { '' }",                 // empty key name would be the parent itself
      "HKXX { A }",                  // unknown root
      "'HKCR' { A }",                // quoted root
      "HKCR A",                      // no block after the root
      "HKCR { A { B }",              // unterminated block
      "HKCR { A = s 'x }",           // unterminated text
      "HKCR { A = s x }",            // text not quoted
      "HKCR { A = d '1' }",          // only string values
      "HKCR { A = }",                // no type
      "HKCR { A { val V } }",        // val without a value
      "HKCR { A { val = s 'x' } }",  // val without a name
      "HKCR { val V = s 'x' }",      // val on the root itself
      "HKCR { NoRemove }",           // flag without a key
      "HKCR { NoRemove { } }",       // flag before a brace
      "HKCR { = s 'x' }",            // value without a key
      "HKCR { A } }",                // stray closing brace
      "}",
      "HKCR { A = s 'x' = s 'y' }",  // two default values
  };
  for (const char* text : cases) {
    std::vector<ScriptBlock> blocks;
    EXPECT_EQ(kResultScriptError, Parse(text, blocks)) << text;
    EXPECT_TRUE(blocks.empty()) << text;
  }
  EXPECT_EQ(kResultOk, Parse(""));
  EXPECT_EQ(kResultOk, Parse(" \r\n\t"));
}

TEST(Registrar, NestingIsBoundedSoThatNoScriptExhaustsTheStack) {
  auto nested = [](int depth) {
    std::string text = "HKCU {";
    for (int i = 1; i < depth; ++i) text += " K {";
    for (int i = 0; i < depth; ++i) text += " }";
    return text;
  };
  EXPECT_EQ(kResultOk, Parse(nested(kMaxScriptDepth)));
  EXPECT_EQ(kResultScriptError, Parse(nested(kMaxScriptDepth + 1)));
  EXPECT_EQ(kResultScriptError, Parse(nested(100000)));
}

TEST(Registrar, DoubleByteCharactersAreNotTakenApartAtTheirTrailByte) {
  const LeadBytePredicate previous = SetLeadBytePredicate([](unsigned char byte) { return byte == 0x81; });
  std::vector<ScriptBlock> blocks;
  // 0x81 0x27 is one character whose trail byte is the quote's code; 0x81
  // 0x5C one whose trail byte is the backslash's code.
  const Result quoted = Parse("HKCU { A = s '\x81'' }", blocks);
  const std::string dataOfA = quoted == kResultOk ? blocks.at(0).entries.at(0).data : "";
  const Result name = Parse("HKCU { \x81\\ }", blocks);
  const std::string nameOfKey = name == kResultOk ? blocks.at(0).entries.at(0).name : "";
  // A lead byte as the text's very last byte stands alone.
  const Result last = Parse("HKCU { A } \x81");
  SetLeadBytePredicate(previous);
  EXPECT_EQ(kResultOk, quoted);
  EXPECT_EQ("\x81'", dataOfA);
  EXPECT_EQ(kResultOk, name);
  EXPECT_EQ("\x81\\", nameOfKey);
  EXPECT_EQ(kResultScriptError, last);
}

// The installer's registry rows, made from registration scripts the way the
// build makes them from the module's own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/RegistryRows.h"
#include "installer/host/BuildTool.h"
#include "registration/ClassIds.h"
#include "registration/ScriptVariables.h"

namespace {

struct Rows {
  Result result = kResultFail;
  std::string xml;
  std::vector<std::string> skipped;
};

Rows Convert(const std::string& script, const char* fileId = "File") {
  Rows rows;
  std::vector<ScriptBlock> blocks;
  EXPECT_EQ(kResultOk, ParseRegistrationScript(script.data(), script.size(), ScriptVariables(kModuleMarker),
                                               blocks))
      << script;
  rows.result = WriteRegistryRows(blocks, fileId, "", rows.xml, rows.skipped);
  return rows;
}

// The module's own script, as its resource script takes it in.
std::string ModuleScript() {
  std::string script;
  return ReadWholeFile(VARNOKE_MODULE_SCRIPT, script) ? script : std::string();
}

}  // namespace

TEST(RegistryRows, TheModuleScriptGivesTheClassesRowsAndLeavesTheUsersSettingsOut) {
  const std::string script = ModuleScript();
  ASSERT_FALSE(script.empty());
  const Rows rows = Convert(script, "Varnoke64");
  ASSERT_EQ(kResultOk, rows.result);
  const std::string key = "CLSID\\[\\{]5B1E7C2A-9D34-4F6E-A812-3C7D0E4B9F61[\\}]";
  const std::string command = "CLSID\\[\\{]549D3B83-64E9-4B7E-9F70-D764B10A48A4[\\}]";
  const std::string expected =
      "<RegistryValue Root=\"HKCR\" Key=\"Folder\\shellex\\ContextMenuHandlers\\Varnoke\" Type=\"string\" "
      "Value=\"[\\{]5B1E7C2A-9D34-4F6E-A812-3C7D0E4B9F61[\\}]\" />\n"
      "<RegistryValue Root=\"HKCR\" Key=\"" + key + "\" Name=\"*\" Type=\"string\" Value=\"\" />\n"
      "<RegistryValue Root=\"HKCR\" Key=\"" + key + "\" Type=\"string\" Value=\"Varnoke\" />\n"
      "<RegistryValue Root=\"HKCR\" Key=\"" + key + "\\InprocServer32\" Type=\"string\" Value=\"[#Varnoke64]\" />\n"
      "<RegistryValue Root=\"HKCR\" Key=\"" + key +
      "\\InprocServer32\" Name=\"ThreadingModel\" Type=\"string\" Value=\"Apartment\" />\n"
      "<RegistryValue Root=\"HKCR\" Key=\"" + command + "\" Name=\"*\" Type=\"string\" Value=\"\" />\n"
      "<RegistryValue Root=\"HKCR\" Key=\"" + command + "\" Type=\"string\" Value=\"Varnoke command\" />\n"
      "<RegistryValue Root=\"HKCR\" Key=\"" + command + "\\InprocServer32\" Type=\"string\" Value=\"[#Varnoke64]\" />\n"
      "<RegistryValue Root=\"HKCR\" Key=\"" + command +
      "\\InprocServer32\" Name=\"ThreadingModel\" Type=\"string\" Value=\"Apartment\" />\n";
  EXPECT_EQ(expected, rows.xml);
  EXPECT_EQ(std::vector<std::string>{"HKCU"}, rows.skipped);
}

TEST(RegistryRows, FlagsDecideWhichKeysTheUninstallTakesAway) {
  const Rows rows = Convert(
      "HKLM { NoRemove Software { NoRemove Shared { Plain { val V = s 'x' } Empty ForceRemove Ours { Inner } } } }");
  ASSERT_EQ(kResultOk, rows.result);
  // Shared parents get no row of their own; an empty key and a ForceRemove
  // key get a "*" row (created, and removed on uninstall); a key holding
  // values goes with its values.
  EXPECT_EQ(
      "<RegistryValue Root=\"HKLM\" Key=\"Software\\Shared\\Plain\" Name=\"V\" Type=\"string\" Value=\"x\" />\n"
      "<RegistryValue Root=\"HKLM\" Key=\"Software\\Shared\\Empty\" Name=\"*\" Type=\"string\" Value=\"\" />\n"
      "<RegistryValue Root=\"HKLM\" Key=\"Software\\Shared\\Ours\" Name=\"*\" Type=\"string\" Value=\"\" />\n"
      "<RegistryValue Root=\"HKLM\" Key=\"Software\\Shared\\Ours\\Inner\" Name=\"*\" Type=\"string\" Value=\"\" />\n",
      rows.xml);
  EXPECT_TRUE(rows.skipped.empty());
}

TEST(RegistryRows, TextsAreEscapedForXmlAndForFormattedStringsButTheModulePathIsAReference) {
  const Rows rows = Convert("HKCR { 'K[1]&<2>' = s 'a{b}\"c''d#' { val 'n[&]' = s 'at %MODULE%;%MODULE_RAW%' } }");
  ASSERT_EQ(kResultOk, rows.result);
  EXPECT_EQ(
      "<RegistryValue Root=\"HKCR\" Key=\"K[\\[]1[\\]]&amp;&lt;2&gt;\" Type=\"string\" "
      "Value=\"a[\\{]b[\\}]&quot;c'd#\" />\n"
      "<RegistryValue Root=\"HKCR\" Key=\"K[\\[]1[\\]]&amp;&lt;2&gt;\" Name=\"n[\\[]&amp;[\\]]\" Type=\"string\" "
      "Value=\"at [#File];[#File]\" />\n",
      rows.xml);
}

TEST(RegistryRows, TextsThePackageCannotHoldAsWrittenAreRefused) {
  for (const char* script : {
           "HKCR { K = s 'bell\x07' }",        // control character
           "HKCR { K = s 'caf\xE9' }",         // code-page byte
           "HKCR { 'K\xE9' }",                 // in a key name
           "HKCR { K { val '%MODULE%' = s 'x' } }",  // the module path as a name
           "HKCR { '%MODULE%' = s 'x' }",      // or as a key
       }) {
    const Rows rows = Convert(script);
    EXPECT_EQ(kResultScriptError, rows.result) << script;
    EXPECT_TRUE(rows.xml.empty()) << script;
  }
}

TEST(RegistryRows, PerUserRootsAreLeftOutWhereverTheyStand) {
  const Rows rows = Convert("HKU { A } HKCR { B = s 'b' } HKEY_CURRENT_USER { C }");
  ASSERT_EQ(kResultOk, rows.result);
  EXPECT_EQ("<RegistryValue Root=\"HKCR\" Key=\"B\" Type=\"string\" Value=\"b\" />\n", rows.xml);
  EXPECT_EQ((std::vector<std::string>{"HKU", "HKCU"}), rows.skipped);
}

TEST(RegistryRows, TheScriptVariablesNameTheClassIdsAsTheRegistryWritesThem) {
  EXPECT_EQ("{5B1E7C2A-9D34-4F6E-A812-3C7D0E4B9F61}", ClassIdText(kShellExtClassId));
  EXPECT_EQ("{549D3B83-64E9-4B7E-9F70-D764B10A48A4}", ClassIdText(kCommandClassId));
  // Leading zeros of every field stay.
  EXPECT_EQ("{0A6F3D52-7C18-4B9E-9E25-D4A1B83C6F07}", ClassIdText(kTypeLibraryId));
  EXPECT_EQ("{00000001-0002-0003-0405-060708090A0B}", ClassIdText({1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}}));
  const std::vector<ScriptVariable> variables = ScriptVariables("C:\\V.dll");
  std::string joined;
  for (const ScriptVariable& variable : variables) joined += variable.name + "=" + variable.value + ";";
  EXPECT_EQ(
      "SHELLEXT_CLSID={5B1E7C2A-9D34-4F6E-A812-3C7D0E4B9F61};COMMAND_CLSID={549D3B83-64E9-4B7E-9F70-D764B10A48A4};"
      "Module=C:\\V.dll;Module_Raw=C:\\V.dll;APPID=;",
      joined);
}

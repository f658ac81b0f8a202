// Helpers shared by the Windows test programs.
#pragma once
#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

namespace testing_support {

// Directory of the running test program (the build tree, next to Varnoke.dll).
std::string ProgramDirectory();
// Full path of the built module.
std::string ModulePath();

// A fresh folder under the temporary directory, removed with all its
// contents when the object goes away.
class TempFolder {
 public:
  explicit TempFolder(const std::string& tag = "t");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string Sub(const std::string& relative) const { return path_ + "\\" + relative; }
  // Creates a folder (and its parents) below the temporary folder.
  std::string MakeFolder(const std::string& relative) const;
  // Creates a file holding `content` below the temporary folder.
  std::string MakeFile(const std::string& relative, const std::string& content = "x") const;

 private:
  std::string path_;
};

bool Exists(const std::string& path);
std::string ReadFileBytes(const std::string& path);
void RemoveTree(const std::string& path);

// A CF_HDROP drop list in global memory, as the shell hands it over.
HGLOBAL MakeDropList(const std::vector<std::string>& paths);

// A minimal data object that offers one CF_HDROP list, or fails GetData with
// the given code.
IDataObject* NewDropDataObject(const std::vector<std::string>& paths, HRESULT getDataResult = S_OK);

// The per-user settings key, removed (with all values) so that tests start
// from first use.
void DeleteSettingsKey();

// Handles and heap use of this process, for leak checks.
DWORD ProcessHandleCount();
size_t ProcessHeapBytes();

}  // namespace testing_support

// The sparse package that gives the module package identity on Windows 11,
// so that Explorer shows its command in the top-level context menu: an OPC
// zip of AppxManifest.xml, the logos the manifest names, AppxBlockMap.xml
// and [Content_Types].xml. The module itself stays outside the package, in
// the install folder (the package's external location). Pure code: it runs
// on the build machine and in the native tests.
#pragma once
#include <string>
#include <vector>

#include "installer/ZipWriter.h"

struct PackageFacts {
  std::string name;           // Identity Name, e.g. Thandrel.Varnoke
  std::string publisher;      // Identity Publisher: the signing certificate's subject
  std::string displayName;
  std::string publisherDisplayName;
  std::string version;        // four fields, from the module's version block
  std::string classId;        // the Explorer command's class, {xxxxxxxx-...}
  std::string modulePath;     // the x64 module, relative to the external location
  std::string verbId;
};

struct PackageFile {
  std::string name;  // '\\' between folders, as the manifest and the block map name it
  Bytes content;
};

// The logos the manifest names, in the package's own names.
extern const char* const kPackageLogos[3];

// Returns an empty text when a fact cannot stand in the manifest (a version
// that is not four numbers of at most 65535, a class id that is not a
// braced GUID, a text with a character XML cannot carry).
std::string AppxManifest(const PackageFacts& facts);
// The block map of the given files (every file in the package except the
// block map and [Content_Types].xml): a SHA-256 for each 64 KiB block; the
// files are stored, so no block states a Size.
std::string AppxBlockMap(const std::vector<PackageFile>& files);
// Content types by extension for the files, and the manifest's and block
// map's own types.
std::string ContentTypes(const std::vector<PackageFile>& files);
std::string Base64(const uint8_t* data, size_t size);

// The whole package from the manifest's facts and the logos (each named as
// in kPackageLogos). Returns an empty archive when a fact or a logo is
// missing or cannot be written.
Bytes BuildSparsePackage(const PackageFacts& facts, const std::vector<PackageFile>& logos);

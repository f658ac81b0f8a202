// sparse-pack: the sparse package of the module, on the build machine.
//   sparse-pack <output.msix> <version a.b.c.d> <publisher> <package name> <module file> <logo folder>
// The Explorer command's class id is the module's own
// (registration/ClassIds.h); the version, the publisher (the signing
// certificate's subject), the package's name and the module's file name
// come from the build. The package is left unsigned.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "installer/SparsePackage.h"
#include "installer/host/BuildTool.h"
#include "registration/ClassIds.h"

int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(stderr,
                 "usage: sparse-pack <output.msix> <version> <publisher> <package name> <module file> <logo folder>\n");
    return 2;
  }
  const char* logoFolder = argv[6];
  const PackageFacts facts{argv[4], argv[3], "Varnoke", "Thandrel", argv[2],
                           ClassIdText(kCommandClassId), argv[5], "Varnoke"};
  std::vector<PackageFile> logos;
  for (const char* name : kPackageLogos) {
    std::string file = name;
    file = file.substr(file.rfind('\\') + 1);
    PackageFile logo{name, {}};
    if (!ReadWholeFile(std::string(logoFolder) + "/" + file, logo.content)) {
      std::fprintf(stderr, "sparse-pack: cannot read the logo %s/%s\n", logoFolder, file.c_str());
      return 1;
    }
    logos.push_back(logo);
  }
  const Bytes package = BuildSparsePackage(facts, logos);
  if (package.empty()) {
    std::fprintf(stderr, "sparse-pack: the manifest cannot hold version '%s', publisher '%s', name '%s' or module '%s'\n",
                 argv[2], argv[3], argv[4], argv[5]);
    return 1;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(package.data()), std::streamsize(package.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "sparse-pack: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}

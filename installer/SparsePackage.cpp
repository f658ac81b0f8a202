#include "installer/SparsePackage.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>

#include "installer/Sha256.h"

const char* const kPackageLogos[3] = {"Assets\\StoreLogo.png", "Assets\\Square150x150Logo.png",
                                      "Assets\\Square44x44Logo.png"};

namespace {

constexpr size_t kBlockSize = 64 * 1024;
constexpr char kManifestName[] = "AppxManifest.xml";
constexpr char kBlockMapName[] = "AppxBlockMap.xml";
constexpr char kContentTypesName[] = "[Content_Types].xml";

// Printable ASCII without the characters that need escaping: every fact is
// a name, a path or a distinguished name, so nothing else is expected.
bool PlainText(const std::string& text) {
  if (text.empty()) return false;
  for (unsigned char c : text)
    if (c < 0x20 || c > 0x7E || c == '<' || c == '>' || c == '&' || c == '"') return false;
  return true;
}

bool FourPartVersion(const std::string& version) {
  size_t start = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t end = part < 3 ? version.find('.', start) : version.size();
    if (end == std::string::npos || end == start || end - start > 5) return false;
    for (size_t i = start; i < end; ++i)
      if (!std::isdigit(static_cast<unsigned char>(version[i]))) return false;
    if (std::atol(version.substr(start, end - start).c_str()) > 65535) return false;
    start = end + 1;
  }
  return true;
}

bool BracedGuid(const std::string& id) {
  static const char kShape[] = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
  if (id.size() != sizeof(kShape) - 1) return false;
  for (size_t i = 0; i < id.size(); ++i) {
    if (kShape[i] == 'X' ? !std::isxdigit(static_cast<unsigned char>(id[i])) : id[i] != kShape[i]) return false;
  }
  return true;
}

// The zip's name of a package file: forward slashes.
std::string ZipName(const std::string& name) {
  std::string zipName = name;
  for (char& c : zipName)
    if (c == '\\') c = '/';
  return zipName;
}

std::string Extension(const std::string& name) {
  const size_t dot = name.rfind('.');
  std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
  for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

}  // namespace

std::string Base64(const uint8_t* data, size_t size) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < size; i += 3) {
    const uint32_t chunk = uint32_t(data[i]) << 16 | (i + 1 < size ? uint32_t(data[i + 1]) << 8 : 0) |
                           (i + 2 < size ? data[i + 2] : 0);
    text += kDigits[chunk >> 18 & 63];
    text += kDigits[chunk >> 12 & 63];
    text += i + 1 < size ? kDigits[chunk >> 6 & 63] : '=';
    text += i + 2 < size ? kDigits[chunk & 63] : '=';
  }
  return text;
}

std::string AppxManifest(const PackageFacts& f) {
  for (const std::string* text : {&f.name, &f.publisher, &f.displayName, &f.publisherDisplayName, &f.modulePath,
                                  &f.verbId})
    if (!PlainText(*text)) return "";
  if (!FourPartVersion(f.version) || !BracedGuid(f.classId)) return "";
  // The manifest takes class ids without braces.
  const std::string id = f.classId.substr(1, f.classId.size() - 2);
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<Package xmlns=\"http://schemas.microsoft.com/appx/manifest/foundation/windows10\"\n"
         "         xmlns:uap=\"http://schemas.microsoft.com/appx/manifest/uap/windows10\"\n"
         "         xmlns:uap10=\"http://schemas.microsoft.com/appx/manifest/uap/windows10/10\"\n"
         "         xmlns:desktop4=\"http://schemas.microsoft.com/appx/manifest/desktop/windows10/4\"\n"
         "         xmlns:desktop5=\"http://schemas.microsoft.com/appx/manifest/desktop/windows10/5\"\n"
         "         xmlns:com=\"http://schemas.microsoft.com/appx/manifest/com/windows10\"\n"
         "         xmlns:rescap=\"http://schemas.microsoft.com/appx/manifest/foundation/windows10/restrictedcapabilities\"\n"
         "         IgnorableNamespaces=\"uap uap10 desktop4 desktop5 com rescap\">\n"
         "  <Identity Name=\"" + f.name + "\" Publisher=\"" + f.publisher + "\" Version=\"" + f.version +
         "\" ProcessorArchitecture=\"neutral\" />\n"
         "  <Properties>\n"
         "    <DisplayName>" + f.displayName + "</DisplayName>\n"
         "    <PublisherDisplayName>" + f.publisherDisplayName + "</PublisherDisplayName>\n"
         "    <Logo>" + kPackageLogos[0] + "</Logo>\n"
         "    <uap10:AllowExternalContent>true</uap10:AllowExternalContent>\n"
         "  </Properties>\n"
         "  <Resources>\n"
         "    <Resource Language=\"en-us\" />\n"
         "  </Resources>\n"
         "  <Dependencies>\n"
         "    <TargetDeviceFamily Name=\"Windows.Desktop\" MinVersion=\"10.0.19041.0\" MaxVersionTested=\"10.0.26100.0\" />\n"
         "  </Dependencies>\n"
         "  <Capabilities>\n"
         "    <rescap:Capability Name=\"runFullTrust\" />\n"
         "    <rescap:Capability Name=\"unvirtualizedResources\" />\n"
         "  </Capabilities>\n"
         // The application only carries the extensions: it has no entry in
         // the Start menu, and no program of that name is installed or ever
         // started; the manifest format asks for the attribute.
         "  <Applications>\n"
         "    <Application Id=\"" + f.verbId + "\" Executable=\"" + f.verbId + ".exe\""
         " uap10:TrustLevel=\"mediumIL\" uap10:RuntimeBehavior=\"win32App\">\n"
         "      <uap:VisualElements DisplayName=\"" + f.displayName + "\" Description=\"" + f.displayName + "\""
         " BackgroundColor=\"transparent\" Square150x150Logo=\"" + kPackageLogos[1] + "\""
         " Square44x44Logo=\"" + kPackageLogos[2] + "\" AppListEntry=\"none\" />\n"
         "      <Extensions>\n"
         "        <desktop4:Extension Category=\"windows.fileExplorerContextMenus\">\n"
         "          <desktop4:FileExplorerContextMenus>\n"
         "            <desktop5:ItemType Type=\"Directory\">\n"
         "              <desktop5:Verb Id=\"" + f.verbId + "\" Clsid=\"" + id + "\" />\n"
         "            </desktop5:ItemType>\n"
         "          </desktop4:FileExplorerContextMenus>\n"
         "        </desktop4:Extension>\n"
         "        <com:Extension Category=\"windows.comServer\">\n"
         "          <com:ComServer>\n"
         "            <com:SurrogateServer DisplayName=\"" + f.displayName + "\">\n"
         "              <com:Class Id=\"" + id + "\" Path=\"" + f.modulePath + "\" ThreadingModel=\"STA\" />\n"
         "            </com:SurrogateServer>\n"
         "          </com:ComServer>\n"
         "        </com:Extension>\n"
         "      </Extensions>\n"
         "    </Application>\n"
         "  </Applications>\n"
         "</Package>\n";
}

std::string AppxBlockMap(const std::vector<PackageFile>& files) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<BlockMap xmlns=\"http://schemas.microsoft.com/appx/2010/blockmap\" "
      "HashMethod=\"http://www.w3.org/2001/04/xmlenc#sha256\">\n";
  for (const PackageFile& file : files) {
    xml += "  <File Name=\"" + file.name + "\" Size=\"" + std::to_string(file.content.size()) + "\" LfhSize=\"" +
           std::to_string(ZipWriter::LocalHeaderSize(ZipName(file.name))) + "\">\n";
    for (size_t at = 0; at < file.content.size(); at += kBlockSize) {
      const size_t size = std::min(kBlockSize, file.content.size() - at);
      const Sha256Digest digest = Sha256Of(file.content.data() + at, size);
      xml += "    <Block Hash=\"" + Base64(digest.data(), digest.size()) + "\" />\n";
    }
    xml += "  </File>\n";
  }
  return xml + "</BlockMap>\n";
}

std::string ContentTypes(const std::vector<PackageFile>& files) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">\n";
  std::vector<std::string> seen;
  for (const PackageFile& file : files) {
    const std::string extension = Extension(file.name);
    if (extension == "xml" || extension.empty()) continue;
    bool known = false;
    for (const std::string& s : seen) known = known || s == extension;
    if (known) continue;
    seen.push_back(extension);
    const std::string type = extension == "png" ? "image/png" : "application/octet-stream";
    xml += "  <Default Extension=\"" + extension + "\" ContentType=\"" + type + "\" />\n";
  }
  xml += "  <Default Extension=\"xml\" ContentType=\"application/xml\" />\n"
         "  <Override PartName=\"/AppxManifest.xml\" ContentType=\"application/vnd.ms-appx.manifest+xml\" />\n"
         "  <Override PartName=\"/AppxBlockMap.xml\" ContentType=\"application/vnd.ms-appx.blockmap+xml\" />\n";
  return xml + "</Types>\n";
}

Bytes BuildSparsePackage(const PackageFacts& facts, const std::vector<PackageFile>& logos) {
  const std::string manifest = AppxManifest(facts);
  if (manifest.empty() || logos.size() != std::size(kPackageLogos)) return {};
  for (size_t i = 0; i < logos.size(); ++i)
    if (logos[i].name != kPackageLogos[i] || logos[i].content.empty()) return {};
  std::vector<PackageFile> files = logos;
  files.push_back({kManifestName, Bytes(manifest.begin(), manifest.end())});
  const std::string blockMap = AppxBlockMap(files);
  const std::string types = ContentTypes(files);
  files.push_back({kBlockMapName, Bytes(blockMap.begin(), blockMap.end())});
  files.push_back({kContentTypesName, Bytes(types.begin(), types.end())});
  ZipWriter zip;
  for (const PackageFile& file : files)
    if (!zip.Add(ZipName(file.name), file.content)) return {};
  return zip.Finish();
}

// The packer's parts: SHA-256 on the FIPS 180-2 examples, the zip writer's
// records, the block map's blocks, the manifest's facts and what it
// refuses. Reading the whole package back independently (Python's zipfile
// and hashlib) and signing it are in tests/tools/package_test.py.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "installer/Sha256.h"
#include "installer/SparsePackage.h"
#include "installer/ZipWriter.h"

namespace {

std::string Hex(const Sha256Digest& digest) {
  std::string text;
  char pair[3];
  for (uint8_t b : digest) {
    std::snprintf(pair, sizeof(pair), "%02x", b);
    text += pair;
  }
  return text;
}

std::string Hash(const std::string& text) { return Hex(Sha256Of(text.data(), text.size())); }

uint32_t Read32(const Bytes& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
}

PackageFacts Facts() {
  return {"Thandrel.Varnoke", "CN=Thandrel", "Varnoke", "Thandrel", "1.0.0.1",
          "{549D3B83-64E9-4B7E-9F70-D764B10A48A4}", "Varnoke.dll", "Varnoke"};
}

std::vector<PackageFile> Logos() {
  std::vector<PackageFile> logos;
  for (const char* name : kPackageLogos) logos.push_back({name, Bytes(100, 7)});
  return logos;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace

TEST(Sha256, GivesTheFipsExampleDigests) {
  EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Hash("abc"));
  EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
            Hash("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"));
  EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0", Hash(std::string(1000000, 'a')));
  EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", Hash(""));
}

TEST(Sha256, PiecesGiveTheDigestOfTheWhole) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += char('a' + i % 26);
  // Pieces that end inside, at and across the 64-byte block and the
  // 56-byte padding boundary.
  for (size_t piece : {1u, 55u, 56u, 63u, 64u, 65u, 129u}) {
    Sha256 hash;
    for (size_t at = 0; at < text.size(); at += piece) hash.Update(text.data() + at, std::min(piece, text.size() - at));
    EXPECT_EQ(Hash(text), Hex(hash.Final())) << piece;
  }
}

TEST(ZipWriter, WritesStoredEntriesWithTheirCrcAndADirectoryThatFindsThem) {
  EXPECT_EQ(0xCBF43926u, Crc32(reinterpret_cast<const uint8_t*>("123456789"), 9));
  ZipWriter zip;
  const Bytes first = {'o', 'n', 'e'};
  ASSERT_TRUE(zip.Add("Assets/one.png", first));
  ASSERT_TRUE(zip.Add("two.xml", Bytes(70000, 'x')));
  EXPECT_FALSE(zip.Add("", first));
  const Bytes archive = zip.Finish();

  EXPECT_EQ(0x04034b50u, Read32(archive, 0));
  EXPECT_EQ(Crc32(first.data(), first.size()), Read32(archive, 14));
  EXPECT_EQ(3u, Read32(archive, 18));  // stored: compressed size = size
  // The data follows the header whose size the block map states.
  const size_t data = ZipWriter::LocalHeaderSize("Assets/one.png");
  EXPECT_EQ(std::string("one"), std::string(archive.begin() + data, archive.begin() + data + 3));
  const size_t second = data + 3;
  EXPECT_EQ(0x04034b50u, Read32(archive, second));

  const size_t end = archive.size() - 22;
  ASSERT_EQ(0x06054b50u, Read32(archive, end));
  EXPECT_EQ(2u, archive[end + 10]);
  const size_t directory = Read32(archive, end + 16);
  EXPECT_EQ(second + ZipWriter::LocalHeaderSize("two.xml") + 70000, directory);
  EXPECT_EQ(0x02014b50u, Read32(archive, directory));
}

TEST(BlockMap, HashesEvery64KiBBlockAndStatesNoSizeForStoredFiles) {
  Bytes content(2 * 65536 + 1);
  for (size_t i = 0; i < content.size(); ++i) content[i] = uint8_t(i * 31 >> 3);
  const std::string map = AppxBlockMap({{"Assets\\big.png", content}});

  EXPECT_NE(std::string::npos, map.find("xmlns=\"http://schemas.microsoft.com/appx/2010/blockmap\""));
  EXPECT_NE(std::string::npos, map.find("HashMethod=\"http://www.w3.org/2001/04/xmlenc#sha256\""));
  EXPECT_NE(std::string::npos, map.find("<File Name=\"Assets\\big.png\" Size=\"131073\" LfhSize=\"" +
                                        std::to_string(30 + std::string("Assets/big.png").size()) + "\">"));
  ASSERT_EQ(3u, Count(map, "<Block "));
  for (size_t at : {size_t(0), size_t(65536), size_t(131072)}) {
    const Sha256Digest digest = Sha256Of(content.data() + at, std::min<size_t>(65536, content.size() - at));
    EXPECT_NE(std::string::npos, map.find("<Block Hash=\"" + Base64(digest.data(), digest.size()) + "\" />")) << at;
  }
  EXPECT_EQ(0u, Count(map, "<Block Hash=\"\""));
  EXPECT_EQ(std::string::npos, map.find(" Size=\"65536\""));
  EXPECT_EQ("TWFu", Base64(reinterpret_cast<const uint8_t*>("Man"), 3));
  EXPECT_EQ("TWE=", Base64(reinterpret_cast<const uint8_t*>("Ma"), 2));
  EXPECT_EQ("TQ==", Base64(reinterpret_cast<const uint8_t*>("M"), 1));
}

TEST(Manifest, NamesTheCommandsClassTheModuleAndTheIdentity) {
  const std::string manifest = AppxManifest(Facts());
  EXPECT_NE(std::string::npos,
            manifest.find("<Identity Name=\"Thandrel.Varnoke\" Publisher=\"CN=Thandrel\" Version=\"1.0.0.1\""));
  EXPECT_NE(std::string::npos, manifest.find("<uap10:AllowExternalContent>true</uap10:AllowExternalContent>"));
  EXPECT_NE(std::string::npos,
            manifest.find("<TargetDeviceFamily Name=\"Windows.Desktop\" MinVersion=\"10.0.19041.0\""));
  EXPECT_NE(std::string::npos, manifest.find("<desktop5:ItemType Type=\"Directory\">"));
  EXPECT_NE(std::string::npos,
            manifest.find("<desktop5:Verb Id=\"Varnoke\" Clsid=\"549D3B83-64E9-4B7E-9F70-D764B10A48A4\" />"));
  EXPECT_NE(std::string::npos, manifest.find("<com:Class Id=\"549D3B83-64E9-4B7E-9F70-D764B10A48A4\" "
                                             "Path=\"Varnoke.dll\" ThreadingModel=\"STA\" />"));
  EXPECT_NE(std::string::npos, manifest.find("uap10:TrustLevel=\"mediumIL\" uap10:RuntimeBehavior=\"win32App\""));
  for (const char* logo : kPackageLogos) EXPECT_NE(std::string::npos, manifest.find(logo)) << logo;
}

TEST(Manifest, RefusesFactsItCannotHold) {
  const auto with = [](auto change) {
    PackageFacts facts = Facts();
    change(facts);
    return AppxManifest(facts);
  };
  EXPECT_EQ("", with([](PackageFacts& f) { f.version = "1.0.1"; }));
  EXPECT_EQ("", with([](PackageFacts& f) { f.version = "1.0.0.65536"; }));
  EXPECT_EQ("", with([](PackageFacts& f) { f.version = "1.0..1"; }));
  EXPECT_EQ("", with([](PackageFacts& f) { f.classId = "549D3B83-64E9-4B7E-9F70-D764B10A48A4"; }));
  EXPECT_EQ("", with([](PackageFacts& f) { f.classId = "{549D3B83-64E9-4B7E-9F70-D764B10A48AZ}"; }));
  EXPECT_EQ("", with([](PackageFacts& f) { f.publisher = "CN=Smith & Sons"; }));
  EXPECT_EQ("", with([](PackageFacts& f) { f.modulePath = ""; }));
  EXPECT_NE("", with([](PackageFacts& f) { f.version = "65535.0.0.0"; }));
}

TEST(SparsePackage, HoldsTheManifestTheLogosTheBlockMapAndTheTypesAndNeedsEveryLogo) {
  const Bytes package = BuildSparsePackage(Facts(), Logos());
  ASSERT_FALSE(package.empty());
  const std::string text(package.begin(), package.end());
  // Each file's zip name stands in its local header and its directory
  // record; the manifest's and the block map's also in the types'
  // overrides, and the manifest's in the block map.
  for (const char* name : {"[Content_Types].xml", "Assets/StoreLogo.png", "Assets/Square150x150Logo.png",
                           "Assets/Square44x44Logo.png"})
    EXPECT_EQ(2u, Count(text, name)) << name;
  EXPECT_EQ(3u, Count(text, "AppxBlockMap.xml"));
  EXPECT_EQ(4u, Count(text, "AppxManifest.xml"));
  // The block map covers the manifest and the logos, never itself or the types.
  const std::string map = text.substr(text.find("<BlockMap"), text.find("</BlockMap>") - text.find("<BlockMap"));
  EXPECT_EQ(4u, Count(map, "<File "));
  EXPECT_EQ(std::string::npos, map.find("Content_Types"));
  EXPECT_NE(std::string::npos, text.find("<Default Extension=\"png\" ContentType=\"image/png\" />"));

  std::vector<PackageFile> missing = Logos();
  missing.pop_back();
  EXPECT_TRUE(BuildSparsePackage(Facts(), missing).empty());
  std::vector<PackageFile> empty = Logos();
  empty[1].content.clear();
  EXPECT_TRUE(BuildSparsePackage(Facts(), empty).empty());
  PackageFacts bad = Facts();
  bad.version = "1";
  EXPECT_TRUE(BuildSparsePackage(bad, Logos()).empty());
}

#!/usr/bin/env python3
"""The sparse package as a reader of the format sees it, and its signing.
Python's zipfile and hashlib read back what sparse-pack (our own zip writer
and SHA-256) wrote: every block map hash is recomputed from the packed
files, each LfhSize from the archive's own headers; the manifest names the
Explorer command's class id as server/Guids.h defines it. Then
tools/signing/sign.sh signs it with a throwaway test certificate and with a
stand-in release certificate from the environment, osslsigncode verify
accepts both, and a package changed after signing fails verification.

Usage: package_test.py <sparse-pack program>
"""
import base64
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET
import zipfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
SIGN = os.path.join(ROOT, "tools", "signing", "sign.sh")
LOGOS = os.path.join(ROOT, "resources", "package")
PACKER = None
BLOCK_MAP = "{http://schemas.microsoft.com/appx/2010/blockmap}"
PUBLISHER = "CN=Varnoke Test, O=Thandrel"


def command_class_id():
    """The command's class id from the header's initialiser, as the manifest
    writes class ids (no braces, upper case)."""
    with open(os.path.join(ROOT, "registration", "ClassIds.h")) as header:
        text = header.read()
    match = re.search(r"kCommandClassId\s*=\s*\{([^}]*)\{([^}]*)\}", text)
    first = [int(v, 16) for v in match.group(1).replace(",", " ").split()]
    rest = [int(v, 16) for v in match.group(2).replace(",", " ").split()]
    return "%08X-%04X-%04X-%02X%02X-%s" % (first[0], first[1], first[2], rest[0], rest[1],
                                           "".join("%02X" % b for b in rest[2:]))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def run(*args, env=None):
    return subprocess.run(args, capture_output=True, text=True, env=env)


class SparsePackage(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.package = os.path.join(self.folder, "Varnoke-sparse.msix")
        made = run(PACKER, self.package, "1.2.3.4", PUBLISHER, "Thandrel.Varnoke", "Varnoke.dll", LOGOS)
        self.assertEqual(0, made.returncode, made.stderr)

    def tearDown(self):
        shutil.rmtree(self.folder)

    def sign(self, output, env=None, publisher=PUBLISHER):
        return run(SIGN, self.package, output, os.path.join(self.folder, "certificate"), publisher,
                   env=env or {k: v for k, v in os.environ.items() if not k.startswith("VARNOKE_SIGN_")})

    def test_the_block_map_holds_the_hash_of_every_64_kib_block_of_every_packed_file(self):
        with zipfile.ZipFile(self.package) as package:
            self.assertIsNone(package.testzip())
            names = package.namelist()
            self.assertEqual(["Assets/StoreLogo.png", "Assets/Square150x150Logo.png", "Assets/Square44x44Logo.png",
                              "AppxManifest.xml", "AppxBlockMap.xml", "[Content_Types].xml"], names)
            raw = read(self.package)
            block_map = ET.fromstring(package.read("AppxBlockMap.xml"))
            self.assertEqual("http://www.w3.org/2001/04/xmlenc#sha256", block_map.get("HashMethod"))
            files = block_map.findall(BLOCK_MAP + "File")
            self.assertEqual(names[:4], [f.get("Name").replace("\\", "/") for f in files])
            for entry in files:
                info = package.getinfo(entry.get("Name").replace("\\", "/"))
                self.assertEqual(zipfile.ZIP_STORED, info.compress_type)
                content = package.read(info)
                self.assertEqual(str(len(content)), entry.get("Size"))
                name_size, extra_size = struct.unpack("<HH", raw[info.header_offset + 26:info.header_offset + 30])
                self.assertEqual(str(30 + name_size + extra_size), entry.get("LfhSize"))
                blocks = entry.findall(BLOCK_MAP + "Block")
                wanted = [base64.b64encode(hashlib.sha256(content[at:at + 65536]).digest()).decode()
                          for at in range(0, len(content), 65536)]
                self.assertEqual(wanted, [b.get("Hash") for b in blocks], entry.get("Name"))
                self.assertEqual([None] * len(blocks), [b.get("Size") for b in blocks])
            for logo in names[:3]:
                self.assertEqual(read(os.path.join(LOGOS, os.path.basename(logo))), package.read(logo))

    def test_the_manifest_names_the_commands_class_the_module_and_the_version(self):
        with zipfile.ZipFile(self.package) as package:
            manifest = ET.fromstring(package.read("AppxManifest.xml"))
        ns = {"m": "http://schemas.microsoft.com/appx/manifest/foundation/windows10",
              "d5": "http://schemas.microsoft.com/appx/manifest/desktop/windows10/5",
              "com": "http://schemas.microsoft.com/appx/manifest/com/windows10"}
        identity = manifest.find("m:Identity", ns)
        self.assertEqual(("Thandrel.Varnoke", PUBLISHER, "1.2.3.4"),
                         (identity.get("Name"), identity.get("Publisher"), identity.get("Version")))
        verb = manifest.find(".//d5:ItemType[@Type='Directory']/d5:Verb", ns)
        server_class = manifest.find(".//com:SurrogateServer/com:Class", ns)
        self.assertEqual(command_class_id(), verb.get("Clsid"))
        self.assertEqual((command_class_id(), "Varnoke.dll", "STA"),
                         (server_class.get("Id"), server_class.get("Path"), server_class.get("ThreadingModel")))

    def test_signed_with_the_test_certificate_it_verifies_and_a_changed_byte_fails(self):
        signed = os.path.join(self.folder, "signed.msix")
        result = self.sign(signed)
        self.assertEqual(0, result.returncode, result.stderr)
        certificate = os.path.join(self.folder, "certificate")
        for name in ("test-certificate.p12", "test-certificate.pem", "test-certificate.cer"):
            self.assertTrue(os.path.isfile(os.path.join(certificate, name)), name)
        verified = run("osslsigncode", "verify", "-CAfile", os.path.join(certificate, "test-certificate.pem"),
                       "-in", signed)
        print(verified.stdout)
        self.assertEqual(0, verified.returncode, verified.stdout + verified.stderr)
        self.assertIn("Subject: /O=Thandrel/CN=Varnoke Test", verified.stdout)
        self.assertIn("Signature verification: ok", verified.stdout)
        with zipfile.ZipFile(signed) as package:
            self.assertIn("AppxSignature.p7x", package.namelist())

        # One byte of a logo's picture data, changed after signing.
        data = bytearray(read(signed))
        data[data.find(b"IDAT") + 8] ^= 0x01
        changed = os.path.join(self.folder, "changed.msix")
        with open(changed, "wb") as out:
            out.write(data)
        refused = run("osslsigncode", "verify", "-CAfile", os.path.join(certificate, "test-certificate.pem"),
                      "-in", changed)
        self.assertNotEqual(0, refused.returncode, refused.stdout)

    def test_a_release_certificate_from_the_environment_signs_instead_and_must_match_the_publisher(self):
        release = os.path.join(self.folder, "release")
        os.makedirs(release)
        key, cert, pfx = (os.path.join(release, n) for n in ("key.pem", "cert.pem", "release.p12"))
        made = run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                   "/O=Thandrel/CN=Varnoke Test", "-addext", "extendedKeyUsage=codeSigning",
                   "-keyout", key, "-out", cert)
        self.assertEqual(0, made.returncode, made.stderr)
        made = run("openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-passout", "pass:s3cret", "-out", pfx)
        self.assertEqual(0, made.returncode, made.stderr)
        env = dict(os.environ, VARNOKE_SIGN_PFX=pfx, VARNOKE_SIGN_PASSWORD="s3cret", VARNOKE_SIGN_CAFILE=cert)
        env.pop("VARNOKE_SIGN_TIMESTAMP_URL", None)

        signed = os.path.join(self.folder, "release.msix")
        result = self.sign(signed, env=env)
        self.assertEqual(0, result.returncode, result.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.folder, "certificate", "test-certificate.p12")))
        verified = run("osslsigncode", "verify", "-CAfile", cert, "-in", signed)
        self.assertEqual(0, verified.returncode, verified.stdout)
        self.assertNotIn("s3cret", result.stdout + result.stderr)

        refused = self.sign(os.path.join(self.folder, "other.msix"), env=env, publisher="CN=Someone Else")
        self.assertNotEqual(0, refused.returncode)
        self.assertIn("is not the package's publisher 'CN=Someone Else'", refused.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.folder, "other.msix")))
        wrong = dict(env, VARNOKE_SIGN_PASSWORD="wrong")
        self.assertNotEqual(0, self.sign(os.path.join(self.folder, "wrong.msix"), env=wrong).returncode)
        self.assertFalse(os.path.exists(os.path.join(self.folder, "wrong.msix")))


if __name__ == "__main__":
    PACKER = sys.argv.pop(1)
    unittest.main(verbosity=2)

#!/usr/bin/env python3
"""A signed release: tools/make-dist --sign with a certificate made here (self-signed, with a
subject that Windows writes quoted and in Japanese), timestamped by osslsigncode's own offline
authority. Every program, DLL and package verifies, the packages carry the signed files, the
Windows 11 package names the signer and the programs look for its family; the checks refuse a
package that names another publisher and a file changed after signing; a timestamp server that
does not answer is asked again, then the file stays unsigned; a key on a token (SoftHSM2) signs.

usage: signed_release_test.py PATH/vestrane-facts (of the unsigned build)
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
SIGN_FILES = [sys.executable, os.path.join(ROOT, "tools", "sign-files")]
CHECK_MSIX = [sys.executable, os.path.join(HERE, "check_msix.py")]
SOFTHSM_MODULE = "/usr/lib/softhsm/libsofthsm2.so"
PASSWORD = "vestrane-test"
FACTS_TOOL = None
sys.path.insert(0, HERE)
import check_msix  # noqa: E402  (its family rule, worked out apart from the programs')


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


def certificate(folder, name, subject, usage):
    key, pem = os.path.join(folder, name + ".key"), os.path.join(folder, name + ".pem")
    made = run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-utf8", "-days", "2",
                "-keyout", key, "-out", pem, "-subj", subject,
                "-addext", "basicConstraints=critical,CA:FALSE",
                "-addext", "keyUsage=critical,digitalSignature",
                "-addext", f"extendedKeyUsage=critical,{usage}"])
    assert made.returncode == 0, made.stderr
    return pem, key


class SignedRelease(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        missing = [t for t in ("osslsigncode", "openssl", "msiextract", "softhsm2-util")
                   if shutil.which(t) is None]
        if missing or not os.path.exists(SOFTHSM_MODULE):
            raise AssertionError(f"missing {missing or SOFTHSM_MODULE}: tools/install-deps "
                                 "installs them")
        cls.folder = tempfile.mkdtemp()
        cls.cert, cls.key = certificate(cls.folder, "signer",
                                        '/C=JP/O=ネンブロック, 試験/CN=Vestrane "Test" Signing',
                                        "codeSigning")
        cls.tsa = certificate(cls.folder, "tsa", "/CN=Vestrane Test Timestamps", "timeStamping")
        cls.pfx = os.path.join(cls.folder, "signer.pfx")
        subprocess.run(["openssl", "pkcs12", "-export", "-in", cls.cert, "-inkey", cls.key,
                        "-out", cls.pfx, "-passout", "pass:" + PASSWORD], check=True)
        os.environ["VESTRANE_SIGN_PASSWORD"] = PASSWORD
        cls.trust = ["--ca", cls.cert, "--tsa-ca", cls.tsa[0]]
        cls.dist = os.path.join(cls.folder, "dist")
        began = time.monotonic()
        made = run([os.path.join(ROOT, "tools", "make-dist"), "--no-deps", "--dist", cls.dist,
                    "--sign", cls.pfx, "--timestamp-authority", *cls.tsa, *cls.trust])
        print(f"signed make-dist: {time.monotonic() - began:.0f} s", file=sys.stderr)
        if made.returncode != 0:
            raise AssertionError(f"make-dist --sign: {made.stdout[-2000:]}{made.stderr}")
        cls.signed = [os.path.join(cls.dist, *p) for p in (
            ("x64", "Vestrane.dll"), ("x64", "Vestinst.exe"), ("x64", "Vestrane.msix"),
            ("x86", "Vestrane.dll"), ("x86", "Vestinst.exe"), ("Vestrane-x64.msi",),
            ("Vestrane-x86.msi",))]
        cls.publisher = run(SIGN_FILES + ["publisher", "--pfx", cls.pfx]).stdout.strip()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    def verify(self, *paths):
        return run(SIGN_FILES + ["verify", "--pfx", self.pfx, "--timestamp-authority", *self.tsa,
                                 *self.trust, *paths])

    def copy(self, path, name):
        target = os.path.join(self.folder, name)
        shutil.copyfile(path, target)
        return target

    def test_every_file_is_signed_timestamped_and_verifies(self):
        verified = self.verify(*self.signed)
        self.assertEqual(verified.returncode, 0, verified.stderr)
        self.assertEqual(verified.stdout.count(": verified"), len(self.signed))

    def test_the_packages_carry_the_signed_files(self):
        for arch, names in (("x64", ["Vestrane.dll", "Vestinst.exe", "Vestrane.msix"]),
                            ("x86", ["Vestrane.dll", "Vestinst.exe"])):
            out = os.path.join(self.folder, "extracted-" + arch)
            extracted = run(["msiextract", "-C", out,
                             os.path.join(self.dist, f"Vestrane-{arch}.msi")])
            self.assertEqual(extracted.returncode, 0, extracted.stderr)
            found = {os.path.basename(p): os.path.join(out, p) for p in extracted.stdout.splitlines()}
            for name in names:
                with open(found[name], "rb") as a, open(os.path.join(self.dist, arch, name),
                                                        "rb") as b:
                    self.assertEqual(a.read(), b.read(), f"{arch} {name}")

    def test_the_package_names_the_signer_and_the_programs_its_family(self):
        self.assertIn('O="ネンブロック, 試験"', self.publisher)
        with zipfile.ZipFile(os.path.join(self.dist, "x64", "Vestrane.msix")) as package:
            manifest = ET.fromstring(package.read("AppxManifest.xml"))
        self.assertEqual(manifest.find("m:Identity", check_msix.NS).get("Publisher"),
                         self.publisher)
        # As Windows' functions take it: UTF-16.
        family = check_msix.family_name("Vestrane", self.publisher).encode("utf-16-le")
        unsigned = [line.split("\t")[1] for line in run([FACTS_TOOL, "facts"]).stdout.split("\n")
                    if line.startswith("package-family\t")][0].encode("utf-16-le")
        for arch, name in (("x64", "Vestrane.dll"), ("x64", "Vestinst.exe"),
                           ("x86", "Vestrane.dll"), ("x86", "Vestinst.exe")):
            with open(os.path.join(self.dist, arch, name), "rb") as f:
                data = f.read()
            self.assertTrue(family in data, f"{arch} {name} lacks {family}")
            # A signed release's programs know the unsigned family only to replace its package.
            self.assertEqual(data.count(unsigned), 1, f"{arch} {name}")

    def test_the_checks_refuse_another_publisher_and_a_changed_file(self):
        # The unsigned build's package, signed with the release's certificate.
        facts = os.path.join(self.folder, "unsigned-facts.txt")
        with open(facts, "w") as f:
            subprocess.run([FACTS_TOOL, "facts"], stdout=f, check=True)
        package = os.path.join(self.folder, "other.msix")
        shape = ["--facts", facts, "--version", "1.0.0.0", "--architecture", "x64",
                 "--dll", "Vestrane.dll", "--executable", "Vestinst.exe"]
        subprocess.run([sys.executable, os.path.join(ROOT, "tools", "make-msix"), "--output",
                        package, *shape, "--display-name", "V", "--publisher-display-name", "N",
                        "--description", "D", "--icon",
                        os.path.join(ROOT, "shellext", "vestrane.ico")], check=True)
        signed = run(SIGN_FILES + ["sign", "--pfx", self.pfx, "--ca", self.cert, package])
        self.assertEqual(signed.returncode, 0, signed.stderr)
        checked = run(CHECK_MSIX + [package, *shape, "--min-version", "10.0.22000.0", "--signed"])
        self.assertEqual(checked.returncode, 1)
        self.assertIn(f"not the subject of the certificate that signed the package, "
                      f"{self.publisher}", checked.stderr)

        changed = self.copy(self.signed[0], "changed.dll")
        with open(changed, "r+b") as f:
            f.seek(4096)
            byte = f.read(1)
            f.seek(4096)
            f.write(bytes([byte[0] ^ 1]))
        refused = self.verify(changed)
        self.assertEqual(refused.returncode, 1)
        self.assertIn("changed.dll: the signature does not verify", refused.stderr)

    def test_an_unanswered_timestamp_server_is_asked_again_then_nothing_is_signed(self):
        unsigned = os.path.join(ROOT, "build", "signed-mingw64", "shellext", "Vestrane.dll")
        target = self.copy(unsigned, "unanswered.dll")
        failed = run(SIGN_FILES + ["sign", "--pfx", self.pfx, "--timestamp", "http://127.0.0.1:9/",
                                   target])
        self.assertEqual(failed.returncode, 1)
        self.assertIn("try 3 of 4 failed", failed.stderr)
        with open(unsigned, "rb") as a, open(target, "rb") as b:
            self.assertEqual(a.read(), b.read())

    def test_a_key_on_a_token_signs(self):
        tokens = os.path.join(self.folder, "tokens")
        os.mkdir(tokens)
        config = os.path.join(self.folder, "softhsm2.conf")
        with open(config, "w") as f:
            f.write(f"directories.tokendir = {tokens}\nobjectstore.backend = file\n")
        environment = {**os.environ, "SOFTHSM2_CONF": config, "VESTRANE_SIGN_PASSWORD": "1234"}
        key8 = os.path.join(self.folder, "signer.p8")
        subprocess.run(["openssl", "pkcs8", "-topk8", "-nocrypt", "-in", self.key, "-out", key8],
                       check=True)
        for command in (["--init-token", "--free", "--label", "release", "--pin", "1234",
                         "--so-pin", "5678"],
                        ["--import", key8, "--token", "release", "--label", "signing", "--id",
                         "01", "--pin", "1234"]):
            made = run(["softhsm2-util", *command], env=environment)
            self.assertEqual(made.returncode, 0, made.stderr)
        token = {"pkcs11_module": SOFTHSM_MODULE, "pkcs11_cert": self.cert,
                 "pkcs11_key": "pkcs11:token=release;object=signing;type=private"}
        target = self.copy(os.path.join(ROOT, "build", "signed-mingw64", "setup", "Vestinst.exe"),
                           "token.exe")
        signed = run(SIGN_FILES + ["sign"] + [f"--{k.replace('_', '-')}={v}" for k, v in
                                              token.items()] + ["--ca", self.cert, target],
                     env=environment)
        self.assertEqual(signed.returncode, 0, signed.stderr)
        self.assertEqual(run(SIGN_FILES + ["publisher", "--pkcs11-cert", self.cert,
                                           "--pkcs11-module", SOFTHSM_MODULE, "--pkcs11-key",
                                           token["pkcs11_key"]]).stdout.strip(), self.publisher)


if __name__ == "__main__":
    FACTS_TOOL = sys.argv.pop(1)
    unittest.main()

#!/usr/bin/env python3
"""The packer (tools/make-msix) and the checker (check_msix.py) against each other: the
packer's bytes repeat, parts of several blocks pass the checker, and the checker fails on a
package or a fact that is not right. Facts here are test data of their own."""
import io
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import types
import unittest
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
PACKER = os.path.join(ROOT, "tools", "make-msix")
CHECKER = os.path.join(HERE, "check_msix.py")
FACTS = {"--version": "1.2.3.0", "--architecture": "x64",
         "--clsid": "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}", "--verb": "TestVerb",
         "--dll": "Test.dll", "--executable": "Test.exe"}
PACKER_ONLY = {
    "--identity-name": "Test",
    "--publisher": "CN=Test, OID.2.25.311729368913984317654407730594956997722=1",
    "--display-name": "テスト", "--publisher-display-name": "Tester",
    "--description": "a <test> & more", "--icon": os.path.join(ROOT, "shellext", "vestrane.ico"),
}


def flags(facts):
    return [v for pair in facts.items() for v in pair]


def load(name, path):
    """A fresh copy of a script as a module (make-msix has no .py to import it by)."""
    module = types.ModuleType(name)
    module.__file__ = path
    with open(path, encoding="utf-8") as f:
        exec(compile(f.read(), path, "exec"), module.__dict__)
    return module


class Package(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.folder)

    def pack(self, name, **changed):
        path = os.path.join(self.folder, name)
        facts = {**FACTS, **PACKER_ONLY, **changed}
        return subprocess.run([sys.executable, PACKER, "--output", path] + flags(facts),
                              capture_output=True, text=True), path

    def check(self, path, **changed):
        facts = {**FACTS, "--min-version": "10.0.22000.0", **changed}
        return subprocess.run([sys.executable, CHECKER, path] + flags(facts),
                              capture_output=True, text=True)


class Packer(Package):
    def test_same_inputs_same_bytes(self):
        first, second = self.pack("a.msix")[1], self.pack("b.msix")[1]
        with open(first, "rb") as a, open(second, "rb") as b:
            self.assertEqual(a.read(), b.read())

    def test_malformed_facts_are_refused(self):
        for flag, value in (("--clsid", "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"),
                            ("--version", "1.2.3"), ("--verb", "Test Verb"),
                            ("--dll", "bin\\Test.dll")):
            with self.subTest(flag):
                run, path = self.pack("refused.msix", **{flag: value})
                self.assertNotEqual(run.returncode, 0)
                self.assertIn(flag, run.stderr)
                self.assertFalse(os.path.exists(path))


class Blocks(unittest.TestCase):
    """Parts of several blocks, built with the packer's pieces and read with the checker's."""

    def problems(self, chained=False):
        packer, checker = load("make_msix", PACKER), load("check_msix", CHECKER)
        noise = random.Random(7).randbytes(3 * packer.BLOCK // 2)
        text = b"".join(b"line %d\n" % i for i in range(40000))  # over four blocks
        big = packer.Part("Big.xml", text + noise, True)
        if chained:
            # A sync flush ends each block on a byte but lets it refer to the blocks before.
            deflater = zlib.compressobj(9, zlib.DEFLATED, -15)
            pieces = [deflater.compress(big.data[at:at + packer.BLOCK]) +
                      deflater.flush(zlib.Z_SYNC_FLUSH)
                      for at in range(0, len(big.data), packer.BLOCK)]
            big.stored = b"".join(pieces) + deflater.flush()
            big.block_sizes = [len(p) for p in pieces]
        payload = [big, packer.Part("Assets/Big.png", noise + text[:100], False)]
        data = packer.zip_archive(payload + [
            packer.Part("AppxBlockMap.xml", packer.block_map(payload), True),
            packer.Part("[Content_Types].xml", packer.content_types(), True)])
        parts = checker.zip_headers(data, zipfile.ZipFile(io.BytesIO(data)))
        files = checker.check_blocks(parts, checker.parse(parts, "AppxBlockMap.xml"))
        self.assertEqual(files, ["Big.xml", "Assets/Big.png"])
        return checker.problems

    def test_blocks_full_flushed_pass(self):
        self.assertEqual(self.problems(), [])

    def test_blocks_that_refer_back_fail(self):
        problems = self.problems(chained=True)
        self.assertTrue(problems)
        self.assertTrue(all("do not inflate alone" in p for p in problems), problems)


class CheckerFails(Package):
    def setUp(self):
        super().setUp()
        run, self.path = self.pack("good.msix")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(self.check(self.path).returncode, 0)

    def flip_byte_of(self, stored):
        """Flips one byte in the middle of the first part stored (or deflated) as asked."""
        with open(self.path, "rb") as f:
            data = bytearray(f.read())
        info = next(i for i in zipfile.ZipFile(self.path).infolist()
                    if (i.compress_type == zipfile.ZIP_STORED) == stored)
        name_length, extra_length = struct.unpack_from("<HH", data, info.header_offset + 26)
        data[info.header_offset + 30 + name_length + extra_length + info.compress_size // 2] ^= 1
        copy = os.path.join(self.folder, "flipped.msix")
        with open(copy, "wb") as f:
            f.write(data)
        return copy, info.filename

    def test_a_flipped_byte_of_a_stored_part(self):
        copy, name = self.flip_byte_of(stored=True)
        run = self.check(copy)
        self.assertNotEqual(run.returncode, 0)
        self.assertIn(f"{name}: block 0: hash differs", run.stderr)

    def test_a_flipped_byte_of_a_deflated_part(self):
        copy, name = self.flip_byte_of(stored=False)
        run = self.check(copy)
        self.assertNotEqual(run.returncode, 0)
        self.assertIn(f"{name}: ", run.stderr)

    def test_a_fact_that_differs(self):
        for flag, value in (("--clsid", "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F1}"),
                            ("--verb", "OtherVerb"), ("--dll", "Other.dll"),
                            ("--min-version", "10.0.19041.0")):
            with self.subTest(flag):
                run = self.check(self.path, **{flag: value})
                self.assertNotEqual(run.returncode, 0)
                self.assertIn("AppxManifest.xml: ", run.stderr)
                self.assertIn(value.strip("{}"), run.stderr)

    def test_an_identity_that_differs_from_the_facts(self):
        facts = {"command-class-id": FACTS["--clsid"], "verb": FACTS["--verb"],
                 "package-name": PACKER_ONLY["--identity-name"],
                 "package-publisher": PACKER_ONLY["--publisher"], "package-family": "Test_0"}
        for name, value in (("package-family", "Test_0000000000000"),
                            ("package-name", "Other"), ("package-publisher", "CN=Other")):
            with self.subTest(name):
                path = os.path.join(self.folder, "facts.txt")
                with open(path, "w", encoding="utf-8") as f:
                    f.writelines(f"{k}\t{v}\n" for k, v in {**facts, name: value}.items())
                args = {k: v for k, v in FACTS.items() if k not in ("--clsid", "--verb")}
                run = subprocess.run([sys.executable, CHECKER, self.path, "--facts", path,
                                      "--min-version", "10.0.22000.0"] + flags(args),
                                     capture_output=True, text=True)
                self.assertNotEqual(run.returncode, 0)
                self.assertIn(value, run.stderr)


if __name__ == "__main__":
    unittest.main()

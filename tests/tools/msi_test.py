#!/usr/bin/env python3
"""The packages of tools/make-msi read back for their version and codes, and the winget
manifests of tools/make-winget held against them by check_winget.py, which is shown failing
where a manifest is not right. What the packages install, upgrade and remove is shown under
Wine by the end-to-end case msi.

usage: msi_test.py PATH/vestrane-facts
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
MAKE_MSI = os.path.join(ROOT, "tools", "make-msi")
MAKE_WINGET = os.path.join(ROOT, "tools", "make-winget")
CHECKER = os.path.join(HERE, "check_winget.py")
FACTS_TOOL = None
PROGRAMS = ("Vestrane.dll", "Vestinst.exe")
# A version resource (1.2.3.4, Japanese) after code that holds its signature and a key's text.
VERSION_RESOURCE = struct.pack("<3I", 0xFEEF04BD, 0, 0) + "Translation\0".encode("utf-16-le") + \
    "VS_VERSION_INFO\0\0".encode("utf-16-le") + \
    struct.pack("<4I3H", 0xFEEF04BD, 0x10000, 0x10002, 0x30004, 36, 4, 0) + \
    "Translation\0".encode("utf-16-le") + struct.pack("<3H", 0, 0x411, 932)


def table(msi, name):
    """A table's rows as dictionaries of its columns."""
    out = subprocess.run(["msiinfo", "export", msi, name], capture_output=True, check=True)
    lines = out.stdout.decode("utf-8").split("\r\n")
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]


class Packages(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        missing = [t for t in ("wixl", "msibuild", "msiinfo") if shutil.which(t) is None]
        if missing:
            raise AssertionError(f"{', '.join(missing)} missing: tools/install-deps installs them")
        cls.folder = tempfile.mkdtemp()
        cls.facts = os.path.join(cls.folder, "facts.txt")
        cls.entries = os.path.join(cls.folder, "entries.txt")
        for what, path in (("facts", cls.facts), ("entries", cls.entries)):
            with open(path, "w") as f:
                subprocess.run([FACTS_TOOL, what], stdout=f, check=True)
        with open(cls.facts) as f:
            cls.facts_by_name = dict(line.rstrip("\n").split("\t") for line in f)
        cls.files = os.path.join(cls.folder, "files")
        os.mkdir(cls.files)
        for name in ("Vestrane.dll", "Vestinst.exe", "Vestrane.txt", "Vestrane.msix"):
            with open(os.path.join(cls.files, name), "wb") as f:
                f.write(name.encode() * 100)
                if name in PROGRAMS:
                    f.write(VERSION_RESOURCE)
        cls.msi = {}
        for name, arch, extra in (("x64", "x64", []), ("x64-again", "x64", []),
                                  ("x86", "x86", []), ("x64-1.2.3", "x64", ["--version", "1.2.3"])):
            run = cls.make_msi(name, arch, *extra)
            if run.returncode != 0:
                raise AssertionError(f"make-msi {name}: {run.stderr}")
            cls.msi[name] = os.path.join(cls.folder, name + ".msi")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    @classmethod
    def make_msi(cls, name, arch, *extra):
        return subprocess.run(
            [sys.executable, MAKE_MSI, "--arch", arch, "--facts", cls.facts, "--entries",
             cls.entries, "--files", cls.files, "--icon",
             os.path.join(ROOT, "shellext", "vestrane.ico"), "--output",
             os.path.join(cls.folder, name + ".msi"), *extra], capture_output=True, text=True)

    def properties(self, name):
        return {row["Property"]: row["Value"] for row in table(self.msi[name], "Property")}

    def test_version_from_the_project_or_given_and_a_new_product_code_each_build(self):
        major, minor, _, release = self.facts_by_name["version"].split(".")
        self.assertEqual(self.properties("x64")["ProductVersion"], f"{major}.{minor}.{release}")
        self.assertEqual(self.properties("x64-1.2.3")["ProductVersion"], "1.2.3")
        codes = {self.properties(n)["ProductCode"] for n in self.msi}
        self.assertEqual(len(codes), len(self.msi))
        # A component keeps its GUID from build to build; the architectures differ.
        components = {n: {r["Component"]: r["ComponentId"] for r in table(self.msi[n], "Component")}
                      for n in self.msi}
        self.assertEqual(components["x64"], components["x64-again"])
        self.assertEqual(components["x64"], components["x64-1.2.3"])
        self.assertFalse(set(components["x64"].values()) & set(components["x86"].values()))

    def test_summary_languages_file_versions_and_the_entry_of_apps_and_features(self):
        for name, others in (("x64", ["Vestrane.msix", "Vestrane.txt"]), ("x86", ["Vestrane.txt"])):
            p = self.properties(name)
            summary = subprocess.run(["msiinfo", "suminfo", self.msi[name]], capture_output=True)
            self.assertRegex(summary.stdout.decode(), f"Template: [^;]*;{p['ProductLanguage']}\n")
            files = {r["FileName"]: r["Version"] + r["Language"]
                     for r in table(self.msi[name], "File")}
            self.assertEqual([files.pop(n) for n in PROGRAMS], ["1.2.3.41041"] * 2)
            self.assertEqual(sorted(files), others)
            icons = [r["Name"] for r in table(self.msi[name], "Icon")]
            self.assertEqual(icons, [p["ARPPRODUCTICON"]])
            self.assertRegex(f'{p["ARPHELPLINK"]} {p["ARPURLINFOABOUT"]}', r"^https://\S+ https://")

    def run_with_packages(self, command, *packages):
        given = [f"--msi={arch}={self.msi[name]}" for arch, name in packages]
        return subprocess.run([sys.executable] + command + given, capture_output=True,
                              text=True)

    def test_manifests_name_the_packages_and_the_checker_finds_what_is_wrong(self):
        both = (("x64", "x64"), ("x86", "x86"))
        output = os.path.join(self.folder, "winget")
        folder = self.run_with_packages([MAKE_WINGET, "--output", output], *both).stdout.strip()
        run = self.run_with_packages([CHECKER, folder], *both)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertTrue(folder.endswith(os.path.join("Nembrok", "Vestrane",
                                                     self.properties("x64")["ProductVersion"])))

        rebuilt = self.run_with_packages([CHECKER, folder], ("x64", "x64-again"), ("x86", "x86"))
        self.assertEqual(rebuilt.returncode, 1)
        for problem in ("InstallerSha256", "ProductCode", "AppsAndFeaturesEntries ProductCode"):
            self.assertIn(f"x64: {problem} ", rebuilt.stderr)

        changes = (("Nembrok.Vestrane.locale.ja-JP.yaml", r"(?m)^License:.*\n", "",
                    "no License"),
                   ("Nembrok.Vestrane.installer.yaml", r'PackageVersion: "([^"]*)"',
                    r"PackageVersion: \1", "not quoted"),
                   ("Nembrok.Vestrane.installer.yaml", r'InstallerSha256: "([^"]*)"',
                    r"InstallerSha256: A\1", "not quoted"),
                   ("Nembrok.Vestrane.installer.yaml", r'UpgradeCode: "\{.', 'UpgradeCode: "{X',
                    "x64: AppsAndFeaturesEntries UpgradeCode"),
                   ("Nembrok.Vestrane.installer.yaml", r"(?m)^ElevationRequirement: .*\n", "",
                    "x64: ElevationRequirement"),
                   ("Nembrok.Vestrane.installer.yaml", r"(?m)^Scope: .*",
                    "\\g<0>\nInstallerSwitches:\n  InstallLocation: x", "x64: InstallLocation"),
                   ("Nembrok.Vestrane.yaml", r"ManifestVersion: .*", "ManifestVersion: 1.5.0",
                    "older than 1.6.0"))
        for file_name, pattern, replacement, problem in changes:
            with self.subTest(problem):
                copy = os.path.join(self.folder, "changed")
                shutil.rmtree(copy, ignore_errors=True)
                shutil.copytree(folder, copy)
                path = os.path.join(copy, file_name)
                with open(path, encoding="utf-8") as f:
                    text = f.read()
                changed = re.sub(pattern, replacement, text, count=1)
                self.assertNotEqual(changed, text)
                with open(path, "w", encoding="utf-8") as f:
                    f.write(changed)
                run = self.run_with_packages([CHECKER, copy], *both)
                self.assertEqual(run.returncode, 1)
                self.assertIn(problem, run.stderr)


if __name__ == "__main__":
    FACTS_TOOL = sys.argv.pop(1)
    unittest.main()

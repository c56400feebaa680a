#!/usr/bin/env python3
"""The Windows Installer packages of tools/make-msi read back with msiinfo against the table
that vestrane-facts prints, and the winget manifests of tools/make-winget held against the
packages by check_winget.py, which is shown failing where a manifest is not right.

usage: msi_test.py PATH/vestrane-facts
"""
import os
import re
import shutil
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
# Windows Installer's own numbers: the Registry table's roots, the 64-bit component attribute
# and the Upgrade table's attributes.
ROOT_NUMBERS = {"HKCR": "0", "HKLM": "2"}
COMPONENT_64BIT = 256
UPGRADE_ONLY_DETECT, UPGRADE_MAX_INCLUSIVE = 2, 512


def table(msi, name):
    """A table's rows as dictionaries of its columns."""
    out = subprocess.run(["msiinfo", "export", msi, name], capture_output=True, check=True)
    lines = out.stdout.decode("utf-8").split("\r\n")
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]


def fields(path):
    with open(path, encoding="utf-8") as f:
        return [line.rstrip("\n").split("\t") for line in f]


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
        cls.facts_by_name = dict(fields(cls.facts))
        cls.files = os.path.join(cls.folder, "files")
        os.mkdir(cls.files)
        for name in ("Vestrane.dll", "Vestinst.exe", "Vestrane.txt"):
            with open(os.path.join(cls.files, name), "wb") as f:
                f.write(name.encode() * 100)
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
    def make_msi(cls, name, arch, *extra, entries=None, facts=None, files=None):
        return subprocess.run(
            [sys.executable, MAKE_MSI, "--arch", arch, "--facts", facts or cls.facts,
             "--entries", entries or cls.entries, "--files", files or cls.files,
             "--output", os.path.join(cls.folder, name + ".msi"), *extra],
            capture_output=True, text=True)

    def properties(self, name):
        return {row["Property"]: row["Value"] for row in table(self.msi[name], "Property")}

    def test_registry_rows_are_the_tables_entries_for_every_installer(self):
        rows = fields(self.entries)
        for name in ("x64", "x86"):
            with self.subTest(name):
                msi = self.msi[name]
                dll = next(r for r in table(msi, "File") if r["FileName"].endswith("Vestrane.dll"))
                registry = table(msi, "Registry")
                self.assertEqual({r["Component_"] for r in registry}, {dll["Component_"]})
                written = {(r["Root"], r["Key"], r["Name"], r["Value"]) for r in registry}
                expected = {(ROOT_NUMBERS[root], key, name_,
                             f"[#{dll['File']}]" if data == "dll-path" else text)
                            for root, key, name_, data, text, _, who in rows
                            if who == "every-installer"}
                removed_whole = {(ROOT_NUMBERS[root], key, "-", "")
                                 for root, key, _, _, _, owns, who in rows
                                 if who == "every-installer" and owns == "owns-key"}
                self.assertLessEqual(expected | removed_whole, written)
                # Beside them only the package's record of its folder.
                rest = written - expected - removed_whole
                self.assertEqual([r[3] for r in rest], ["[INSTALLDIR]"])
                self.assertNotIn(ROOT_NUMBERS["HKCR"], {r[0] for r in rest})
                setup_only = {key for _, key, _, _, _, _, who in rows if who == "setup-only"}
                self.assertFalse(setup_only & {r[1] for r in written})

    def test_each_architecture_its_folder_and_registry_view(self):
        for name, folder, attribute, template in (
                ("x64", "ProgramFiles64Folder", COMPONENT_64BIT, "x64"),
                ("x86", "ProgramFilesFolder", 0, "Intel")):
            with self.subTest(name):
                msi = self.msi[name]
                install = next(r for r in table(msi, "Directory") if r["Directory"] == "INSTALLDIR")
                self.assertEqual(install["Directory_Parent"], folder)
                self.assertEqual(install["DefaultDir"], self.facts_by_name["product"])
                for component in table(msi, "Component"):
                    self.assertEqual(int(component["Attributes"]) & COMPONENT_64BIT, attribute)
                summary = subprocess.run(["msiinfo", "suminfo", msi], capture_output=True,
                                         text=True, check=True).stdout
                self.assertRegex(summary, rf"Template: {template};")
                self.assertEqual(self.properties(name)["UpgradeCode"],
                                 self.facts_by_name[f"upgrade-code-{name}"])
                self.assertEqual(self.properties(name)["ALLUSERS"], "1")

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

    def test_upgrades_replace_older_and_same_versions_and_refuse_newer_ones(self):
        version = self.properties("x64")["ProductVersion"]
        rows = table(self.msi["x64"], "Upgrade")
        older = [r for r in rows if r["VersionMax"] == version]
        newer = [r for r in rows if r["VersionMin"] == version]
        self.assertEqual(len(older), 1)
        self.assertEqual(older[0]["VersionMin"], "")
        self.assertTrue(int(older[0]["Attributes"]) & UPGRADE_MAX_INCLUSIVE)
        self.assertFalse(int(older[0]["Attributes"]) & UPGRADE_ONLY_DETECT)
        self.assertEqual(len(newer), 1)
        self.assertTrue(int(newer[0]["Attributes"]) & UPGRADE_ONLY_DETECT)
        conditions = [r["Condition"] for r in table(self.msi["x64"], "LaunchCondition")]
        self.assertEqual(conditions, [f"NOT {newer[0]['ActionProperty']}"])
        for row in rows:
            self.assertEqual(row["UpgradeCode"], self.facts_by_name["upgrade-code-x64"])

    def test_what_no_package_can_carry_is_refused(self):
        entries = os.path.join(self.folder, "uninstall-for-all.txt")
        with open(entries, "w") as f:
            for row in fields(self.entries):
                f.write("\t".join(row[:6] + ["every-installer"]) + "\n")
        facts = os.path.join(self.folder, "third-part.txt")
        with open(self.facts) as original, open(facts, "w") as f:
            f.write(original.read().replace(f"version\t{self.facts_by_name['version']}",
                                            "version\t1.2.3.4"))
        incomplete = os.path.join(self.folder, "incomplete")
        os.makedirs(incomplete, exist_ok=True)
        shutil.copy(os.path.join(self.files, "Vestrane.dll"), incomplete)
        for label, given, named in (
                ("uninstall-command", {"entries": entries}, "uninstall-command"),
                ("third-version-part", {"facts": facts}, "1.2.3.4"),
                ("missing-file", {"files": incomplete}, "Vestinst.exe"),
                ("version-too-large", {}, "70000")):
            with self.subTest(label):
                extra = ["--version", "1.2.70000"] if not given else []
                run = self.make_msi(label, "x64", *extra, **given)
                self.assertNotEqual(run.returncode, 0)
                self.assertIn(named, run.stderr)
                self.assertFalse(os.path.exists(os.path.join(self.folder, label + ".msi")))

    def manifests(self, *packages, output="winget"):
        given = [f"--msi={arch}={self.msi[name]}" for arch, name in packages]
        run = subprocess.run([sys.executable, MAKE_WINGET, "--output",
                              os.path.join(self.folder, output)] + given,
                             capture_output=True, text=True, check=True)
        return run.stdout.strip()

    def check(self, folder, *packages):
        given = [f"--msi={arch}={self.msi[name]}" for arch, name in packages]
        return subprocess.run([sys.executable, CHECKER, folder] + given, capture_output=True,
                              text=True)

    def test_manifests_name_the_packages_and_the_checker_finds_what_is_wrong(self):
        both = (("x64", "x64"), ("x86", "x86"))
        folder = self.manifests(*both)
        run = self.check(folder, *both)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertTrue(folder.endswith(os.path.join("Nembrok", "Vestrane",
                                                     self.properties("x64")["ProductVersion"])))

        rebuilt = self.check(folder, ("x64", "x64-again"), ("x86", "x86"))
        self.assertEqual(rebuilt.returncode, 1)
        self.assertIn("x64: InstallerSha256", rebuilt.stderr)
        self.assertIn("x64: ProductCode", rebuilt.stderr)
        self.assertRegex(rebuilt.stderr, "x64: AppsAndFeaturesEntries ProductCode")

        changes = (("Nembrok.Vestrane.locale.ja-JP.yaml", r"(?m)^License:.*\n", "",
                    "no License"),
                   ("Nembrok.Vestrane.installer.yaml", r'PackageVersion: "([^"]*)"',
                    r"PackageVersion: \1", "version not quoted"),
                   ("Nembrok.Vestrane.installer.yaml", r'UpgradeCode: "\{.', 'UpgradeCode: "{X',
                    "x64: AppsAndFeaturesEntries UpgradeCode"),
                   ("Nembrok.Vestrane.installer.yaml", r"InstallLocation: .*", "Custom: x",
                    "x64: InstallLocation"),
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
                run = self.check(copy, *both)
                self.assertEqual(run.returncode, 1)
                self.assertIn(problem, run.stderr)


if __name__ == "__main__":
    FACTS_TOOL = sys.argv.pop(1)
    unittest.main()

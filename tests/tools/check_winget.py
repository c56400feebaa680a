#!/usr/bin/env python3
"""Reads a folder of winget manifests back, with none of make-winget's code, and fails, naming
each problem, unless every manifest carries the fields that winget's schema (1.6.0) requires,
the versions are quoted, and each installer names the given package's hash, product code and
upgrade code (read from the package with msiinfo).

usage: check_winget.py FOLDER --msi ARCH=FILE.msi [--msi ARCH=FILE.msi ...]
"""
import argparse
import hashlib
import json
import os
import re
import subprocess
import sys

REQUIRED = {
    "version": ["PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType",
                "ManifestVersion"],
    "installer": ["PackageIdentifier", "PackageVersion", "Installers", "ManifestType",
                  "ManifestVersion"],
    "defaultLocale": ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher",
                      "PackageName", "License", "ShortDescription", "ManifestType",
                      "ManifestVersion"],
    "locale": ["PackageIdentifier", "PackageVersion", "PackageLocale", "ManifestType",
               "ManifestVersion"],
}
INSTALLER_REQUIRED = ["Architecture", "InstallerUrl", "InstallerSha256"]


class Malformed(Exception):
    pass


def parse_yaml(text):
    """The block YAML of the manifests: mappings, sequences of mappings, plain and
    double-quoted scalars. Anything else is refused rather than guessed."""
    lines = []
    for line in text.splitlines():
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        if "\t" in line[:len(line) - len(line.lstrip())]:
            raise Malformed(f"a tab in the indentation: {line!r}")
        lines.append([len(line) - len(line.lstrip(" ")), line.strip()])

    def value_of(text):
        if text.startswith('"'):
            return json.loads(text)
        if text.startswith(("'", "{", "[", "&", "*", "!", "|", ">")):
            raise Malformed(f"a scalar this reader does not take: {text!r}")
        return text

    def block(at, indent):
        if lines[at][1].startswith("- "):
            items = []
            while at < len(lines) and lines[at][0] == indent and lines[at][1].startswith("- "):
                lines[at] = [indent + 2, lines[at][1][2:]]
                item, at = block(at, indent + 2)
                items.append(item)
            return items, at
        mapping = {}
        while at < len(lines) and lines[at][0] == indent and not lines[at][1].startswith("- "):
            match = re.fullmatch(r"([A-Za-z0-9]+):(?: (.*))?", lines[at][1])
            if not match:
                raise Malformed(f"not a key: {lines[at][1]!r}")
            key, rest = match.group(1), match.group(2)
            if key in mapping:
                raise Malformed(f"{key} twice")
            at += 1
            if rest:
                mapping[key] = value_of(rest)
            elif at < len(lines) and lines[at][0] > indent:
                mapping[key], at = block(at, lines[at][0])
            else:
                mapping[key] = None
        return mapping, at

    if not lines:
        return {}
    document, at = block(0, lines[0][0])
    if at != len(lines):
        raise Malformed(f"cannot read from {lines[at][1]!r} on")
    return document


def msi_properties(path):
    out = subprocess.run(["msiinfo", "export", path, "Property"], capture_output=True,
                         check=True).stdout.decode("utf-8", errors="replace")
    return dict(line.split("\t", 1) for line in out.splitlines()[3:] if "\t" in line)


def check(folder, packages):
    problems = []
    documents = {}
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        try:
            document = parse_yaml(text)
        except (Malformed, ValueError) as error:
            problems.append(f"{name}: {error}")
            continue
        kind = document.get("ManifestType")
        if kind not in REQUIRED:
            problems.append(f"{name}: ManifestType {kind!r}")
            continue
        if kind != "locale" and kind in documents:
            problems.append(f"{name}: a second {kind} manifest")
        documents.setdefault(kind, []).append(document)
        for field in REQUIRED[kind]:
            if document.get(field) in (None, "", []):
                problems.append(f"{name}: no {field}")
        version = str(document.get("ManifestVersion", ""))
        if not re.fullmatch(r"\d+\.\d+\.\d+", version) or \
                tuple(map(int, version.split("."))) < (1, 6, 0):
            problems.append(f"{name}: ManifestVersion {version!r} is older than 1.6.0")
        for line in text.splitlines():
            if re.match(r"\s*(-\s+)?(PackageVersion|DisplayVersion):", line) and \
                    not re.search(r':\s+"[^"]+"$', line):
                problems.append(f"{name}: version not quoted: {line.strip()}")
        if not name.startswith(f"{document.get('PackageIdentifier')}."):
            problems.append(f"{name}: not named after {document.get('PackageIdentifier')}")
    for kind in ("version", "installer", "defaultLocale"):
        if kind not in documents:
            problems.append(f"no {kind} manifest")
    if problems:
        return problems

    every = [d for kind in documents.values() for d in kind]
    version = documents["version"][0]
    for field in ("PackageIdentifier", "PackageVersion"):
        if len({d.get(field) for d in every}) != 1:
            problems.append(f"the manifests differ in {field}")
    locales = {d["PackageLocale"]: d["ManifestType"] for d in
               documents["defaultLocale"] + documents.get("locale", [])}
    if locales.get(version["DefaultLocale"]) != "defaultLocale":
        problems.append(f"the default locale {version['DefaultLocale']} has no defaultLocale "
                        "manifest")

    installer = documents["installer"][0]
    installers = installer.get("Installers") or []
    by_arch = {i.get("Architecture"): i for i in installers}
    if sorted(by_arch) != sorted(packages) or len(installers) != len(packages):
        problems.append(f"installers for {sorted(by_arch)}, packages for {sorted(packages)}")
    for arch, path in packages.items():
        entry = by_arch.get(arch)
        if entry is None:
            continue
        for field in INSTALLER_REQUIRED:
            if not entry.get(field):
                problems.append(f"{arch}: no {field}")

        def field(name):
            return entry.get(name) or installer.get(name)
        if field("InstallerType") != "msi":
            problems.append(f"{arch}: InstallerType {field('InstallerType')!r}")
        if field("Scope") != "machine":
            problems.append(f"{arch}: Scope {field('Scope')!r}")
        switches = field("InstallerSwitches") or {}
        if switches.get("InstallLocation") != 'INSTALLDIR="<INSTALLPATH>"':
            problems.append(f"{arch}: InstallLocation {switches.get('InstallLocation')!r}")
        if not re.fullmatch(r"https?://.+", entry.get("InstallerUrl") or ""):
            problems.append(f"{arch}: InstallerUrl {entry.get('InstallerUrl')!r}")
        with open(path, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        if str(entry.get("InstallerSha256", "")).lower() != digest:
            problems.append(f"{arch}: InstallerSha256 is not the hash of {path}")
        properties = msi_properties(path)
        if entry.get("ProductCode") != properties.get("ProductCode"):
            problems.append(f"{arch}: ProductCode {entry.get('ProductCode')!r}, the package's "
                            f"{properties.get('ProductCode')!r}")
        if installer.get("PackageVersion") != properties.get("ProductVersion"):
            problems.append(f"{arch}: PackageVersion {installer.get('PackageVersion')!r}, the "
                            f"package's {properties.get('ProductVersion')!r}")
        expected = {"DisplayName": properties.get("ProductName"),
                    "Publisher": properties.get("Manufacturer"),
                    "DisplayVersion": properties.get("ProductVersion"),
                    "ProductCode": properties.get("ProductCode"),
                    "UpgradeCode": properties.get("UpgradeCode")}
        entries = entry.get("AppsAndFeaturesEntries") or [{}]
        for key, value in expected.items():
            if entries[0].get(key) != value:
                problems.append(f"{arch}: AppsAndFeaturesEntries {key} {entries[0].get(key)!r}, "
                                f"the package's {value!r}")
    return problems


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--msi", action="append", required=True)
    o = parser.parse_args(argv)
    packages = dict(given.split("=", 1) for given in o.msi)
    problems = check(o.folder, packages)
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        return 1
    print(f"{o.folder}: the manifests hold for {', '.join(sorted(packages))}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

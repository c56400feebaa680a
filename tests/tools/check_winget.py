#!/usr/bin/env python3
"""Reads a folder of winget manifests back, with none of make-winget's code, and fails, naming
each problem, unless every manifest carries the fields that winget's 1.6.0 schema requires,
the versions and hashes are quoted, and each installer names its package's hash, codes and
version (read from the package with msiinfo), asks for elevation and passes no folder of
winget's choosing (the packages refuse one outside Program Files).

usage: check_winget.py FOLDER --msi ARCH=FILE.msi [--msi ARCH=FILE.msi ...]
"""
import argparse
import hashlib
import json
import os
import re
import subprocess
import sys

HEAD = ["PackageIdentifier", "PackageVersion"]
TAIL = ["ManifestType", "ManifestVersion"]
REQUIRED = {
    "version": HEAD + ["DefaultLocale"] + TAIL,
    "installer": HEAD + ["Installers"] + TAIL,
    "defaultLocale": HEAD + ["PackageLocale", "Publisher", "PackageName", "License",
                             "ShortDescription"] + TAIL,
    "locale": HEAD + ["PackageLocale"] + TAIL,
}


def parse_yaml(text):
    """The block YAML of the manifests: mappings, sequences of mappings, plain and
    double-quoted scalars; anything else raises ValueError rather than being guessed."""
    lines = [[len(l) - len(l.lstrip(" ")), l.strip()] for l in text.splitlines()
             if l.strip() and not l.lstrip().startswith("#")]

    def block(at, indent):
        if lines[at][1].startswith("- "):
            items = []
            while at < len(lines) and lines[at][0] == indent and lines[at][1].startswith("- "):
                lines[at] = [indent + 2, lines[at][1][2:]]
                item, at = block(at, indent + 2)
                items.append(item)
            return items, at
        mapping = {}
        while at < len(lines) and lines[at][0] == indent:
            match = re.fullmatch(r"([A-Za-z0-9]+):(?: (.*))?", lines[at][1])
            if not match or match.group(1) in mapping:
                raise ValueError(f"cannot read {lines[at][1]!r}")
            key, value = match.groups()
            at += 1
            if value is None and at < len(lines) and lines[at][0] > indent:
                value, at = block(at, lines[at][0])
            elif value and value[0] == '"':
                value = json.loads(value)
            elif value and value[0] in "'{[&*!|>":
                raise ValueError(f"a scalar this reader does not take: {value!r}")
            mapping[key] = value
        return mapping, at

    document, at = block(0, lines[0][0]) if lines else ({}, 0)
    if at != len(lines):
        raise ValueError(f"cannot read from {lines[at][1]!r} on")
    return document


def check(folder, packages):
    problems = []
    kinds = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            text = f.read()
        try:
            manifest = parse_yaml(text)
        except ValueError as error:
            problems.append(f"{name}: {error}")
            continue
        kind = manifest.get("ManifestType")
        kinds.setdefault(kind, []).append(manifest)
        problems += [f"{name}: no {field}" for field in REQUIRED.get(kind, ["ManifestType"])
                     if not manifest.get(field)]
        version = str(manifest.get("ManifestVersion"))
        if not re.fullmatch(r"\d+\.\d+\.\d+", version) or \
                tuple(map(int, version.split("."))) < (1, 6, 0):
            problems.append(f"{name}: ManifestVersion {version} is older than 1.6.0")
        problems += [f"{name}: not quoted: {line.strip()}"
                     for line in text.splitlines()
                     if re.match(r"[\s-]*((Package|Display)Version|InstallerSha256):", line)
                     and not re.search(r': "[^"]+"$', line)]
    for kind in ("version", "installer", "defaultLocale"):
        if len(kinds.get(kind, [])) != 1:
            problems.append(f"not one {kind} manifest")
    if problems:
        return problems

    every = [m for manifests in kinds.values() for m in manifests]
    for field in HEAD:
        if len({m[field] for m in every}) != 1:
            problems.append(f"the manifests differ in {field}")
    if kinds["defaultLocale"][0]["PackageLocale"] != kinds["version"][0]["DefaultLocale"]:
        problems.append("the defaultLocale manifest is not of the DefaultLocale")
    root = kinds["installer"][0]
    installers = {i.get("Architecture"): i for i in root["Installers"]}
    if sorted(installers) != sorted(packages) or len(root["Installers"]) != len(packages):
        problems.append(f"installers for {sorted(installers)}, packages for {sorted(packages)}")
    for arch, path in packages.items():
        entry = installers.get(arch, {})

        def field(name):
            return entry.get(name) or root.get(name)
        with open(path, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        out = subprocess.run(["msiinfo", "export", path, "Property"], capture_output=True,
                             check=True).stdout.decode("utf-8")
        msi = dict(line.split("\t", 1) for line in out.split("\r\n")[3:] if "\t" in line)
        expected = {
            "InstallerType": "msi", "Scope": "machine", "InstallerSha256": digest,
            "ProductCode": msi["ProductCode"],
            "ElevationRequirement": "elevationRequired", "InstallLocation": None,
            "PackageVersion": msi["ProductVersion"],
        }
        found = {name: field(name) for name in expected}
        found["InstallerSha256"] = str(found["InstallerSha256"]).lower()
        found["InstallLocation"] = (field("InstallerSwitches") or {}).get("InstallLocation")
        if not re.fullmatch(r"https?://.+", entry.get("InstallerUrl") or ""):
            found["InstallerUrl"] = entry.get("InstallerUrl")
            expected["InstallerUrl"] = "an http(s) address"
        apps = (entry.get("AppsAndFeaturesEntries") or [{}])[0]
        for name, property_ in (("DisplayName", "ProductName"), ("Publisher", "Manufacturer"),
                                ("DisplayVersion", "ProductVersion"),
                                ("ProductCode", "ProductCode"), ("UpgradeCode", "UpgradeCode")):
            expected[f"AppsAndFeaturesEntries {name}"] = msi[property_]
            found[f"AppsAndFeaturesEntries {name}"] = apps.get(name)
        problems += [f"{arch}: {name} {found[name]!r}, not {value!r}"
                     for name, value in expected.items() if found[name] != value]
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
    if not problems:
        print(f"{o.folder}: the manifests hold for {', '.join(sorted(packages))}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

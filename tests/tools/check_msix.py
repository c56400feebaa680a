#!/usr/bin/env python3
"""Reads a built Vestrane.msix back, without any code of the packer, and fails naming every
problem: the ZIP's records and headers, each block of the block map against the bytes (hash,
compressed size, each deflated block inflating on its own), the content types, the parts'
order, the logos, and the manifest against the facts given.

usage: check_msix.py PACKAGE --version A.B.C.D --architecture ARCH --clsid {GUID} --verb ID
                     --dll FILE --executable FILE --min-version A.B.C.D
       check_msix.py PACKAGE --facts FILE --version ... (without --clsid and --verb)

With --facts (what the native vestrane-facts prints from the programs' own header) the class
and verb come from there, and the identity is held against the package's name, publisher and
family name, the family worked out here from the publisher as Windows works it out.
Without --signed the package is the unsigned one: no signature, and the publisher carries the
OID that Windows asks of such a package. With --signed it holds a signature (after the content
types, where osslsigncode puts it), and its publisher is the subject of the certificate that
signed it, as Windows writes it: osslsigncode signs a package that names another publisher,
which Windows would refuse.
"""
import argparse
import base64
import hashlib
import importlib.machinery
import importlib.util
import os
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET
import zipfile
import zlib

BLOCK = 65536
BLOCK_MAP, CONTENT_TYPES, MANIFEST = "AppxBlockMap.xml", "[Content_Types].xml", "AppxManifest.xml"
SIGNATURE = "AppxSignature.p7x"
# The signing tool's reading of a certificate's subject as Windows writes it.
_loader = importlib.machinery.SourceFileLoader("sign_files", os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "sign-files"))
signing = importlib.util.module_from_spec(importlib.util.spec_from_loader("sign_files", _loader))
_loader.exec_module(signing)
NS = {
    "b": "http://schemas.microsoft.com/appx/2010/blockmap",
    "t": "http://schemas.openxmlformats.org/package/2006/content-types",
    "m": "http://schemas.microsoft.com/appx/manifest/foundation/windows10",
    "uap": "http://schemas.microsoft.com/appx/manifest/uap/windows10",
    "uap10": "http://schemas.microsoft.com/appx/manifest/uap/windows10/10",
    "desktop4": "http://schemas.microsoft.com/appx/manifest/desktop/windows10/4",
    "desktop5": "http://schemas.microsoft.com/appx/manifest/desktop/windows10/5",
    "com": "http://schemas.microsoft.com/appx/manifest/com/windows10",
    "rescap": "http://schemas.microsoft.com/appx/manifest/foundation/windows10/restrictedcapabilities",
}
# What Windows 11 needs of this package, whatever the DLL's facts.
UNSIGNED_PUBLISHER_OID = "OID.2.25.311729368913984317654407730594956997722=1"
ITEM_TYPES = {"*", "Directory", "Directory\\Background"}
CAPABILITIES = {"runFullTrust", "unvirtualizedResources"}
LOGO_SIDES = {"Square44x44Logo": 44, "Square150x150Logo": 150, "Logo": 50}

problems = []


def problem(where, what):
    problems.append(f"{where}: {what}")


def attr(element, name):
    prefix, _, local = name.rpartition(":")
    return element.get(f"{{{NS[prefix]}}}{local}" if prefix else local)


def zip_headers(data, archive):
    """The raw records zipfile does not judge: ZIP64 end records, local headers. Returns each
    part's stored bytes and local header size."""
    signature, *_ = struct.unpack_from("<I", data, len(data) - 22)
    locator, _, record_at, disks = struct.unpack_from("<IIQI", data, len(data) - 42)
    if signature != 0x06054B50 or locator != 0x07064B50 or disks != 1:
        problem("ZIP", "no ZIP64 locator right before the end record")
        return None
    (record, _, _, _, _, _, _, count, directory_size, directory_at) = \
        struct.unpack_from("<IQHHIIQQQQ", data, record_at)
    if record != 0x06064B50 or record_at + 56 != len(data) - 42:
        problem("ZIP", "no ZIP64 end record right before the locator")
    infos = archive.infolist()
    if count != len(infos) or directory_at + directory_size != record_at:
        problem("ZIP", "the ZIP64 end record does not describe the central directory")
    parts, expected_at = {}, 0
    for info in infos:
        (signature, _, flags, method, _, _, crc, stored, size, name_length, extra_length) = \
            struct.unpack_from("<IHHHHHIIIHH", data, info.header_offset)
        header = 30 + name_length + extra_length
        name = data[info.header_offset + 30:info.header_offset + 30 + name_length]
        if signature != 0x04034B50 or name != info.filename.encode():
            problem(info.filename, "no local header where the central directory points")
            continue
        if (flags | info.flag_bits) & 8:
            problem(info.filename, "uses a data descriptor")
        if (crc, stored, size, method) != (info.CRC, info.compress_size, info.file_size,
                                           info.compress_type):
            problem(info.filename, "local header disagrees with the central directory")
        if info.header_offset != expected_at:
            problem(info.filename, "does not follow the part before it")
        begin = info.header_offset + header
        expected_at = begin + info.compress_size
        parts[info.filename] = (data[begin:expected_at], header, info)
    if expected_at != directory_at:
        problem("ZIP", "bytes between the last part and the central directory")
    return parts


def content(parts, name):
    stored, _, info = parts[name]
    try:
        data = zlib.decompress(stored, -15) if info.compress_type == 8 else stored
    except zlib.error as error:
        problem(name, f"does not inflate: {error}")
        return None
    if info.compress_type not in (0, 8):
        problem(name, f"compression method {info.compress_type}")
    if zlib.crc32(data) != info.CRC:
        problem(name, "CRC-32 does not match its bytes")
    return data


def parse(parts, name):
    data = content(parts, name) if name in parts else None
    if data is None:
        problem(name, "missing or unreadable")
        return None
    try:
        return ET.fromstring(data)
    except ET.ParseError as error:
        problem(name, f"not well-formed XML: {error}")
        return None


def check_blocks(parts, root):
    if root.tag != f"{{{NS['b']}}}BlockMap" or \
            root.get("HashMethod") != "http://www.w3.org/2001/04/xmlenc#sha256":
        problem(BLOCK_MAP, "not a SHA-256 block map")
    files = [f.get("Name", "").replace("\\", "/") for f in root.findall("b:File", NS)]
    for name, element in zip(files, root.findall("b:File", NS)):
        if name not in parts:
            problem(BLOCK_MAP, f"names {name}, which the package lacks")
            continue
        stored, header, info = parts[name]
        data = content(parts, name)
        if data is None:
            continue
        if element.get("Size") != str(len(data)) or element.get("LfhSize") != str(header):
            problem(name, "Size or LfhSize differs from the part")
        blocks = element.findall("b:Block", NS)
        if len(blocks) != -(-len(data) // BLOCK):
            problem(name, f"{len(blocks)} blocks for {len(data)} bytes")
        at = 0
        for index, (block, begin) in enumerate(zip(blocks, range(0, len(data), BLOCK))):
            chunk = data[begin:begin + BLOCK]
            if block.get("Hash") != base64.b64encode(hashlib.sha256(chunk).digest()).decode():
                problem(name, f"block {index}: hash differs from its bytes")
            if info.compress_type != 8:
                if block.get("Size") is not None:
                    problem(name, f"block {index}: a Size for a stored block")
                continue
            size = int(block.get("Size", "-1"))
            inflater = zlib.decompressobj(-15)
            try:
                alone = inflater.decompress(stored[at:at + size])
            except zlib.error:
                alone = None
            if size < 0 or alone != chunk:
                problem(name, f"block {index}: its {size} compressed bytes do not inflate "
                              "alone to the block")
            at += max(size, 0)
        if info.compress_type == 8:
            inflater = zlib.decompressobj(-15)
            try:
                rest = inflater.decompress(stored[at:])
            except zlib.error:
                rest = None
            if rest != b"" or not inflater.eof or inflater.unused_data:
                problem(name, "the bytes after the last block are not a bare end of stream")
    return files


def check_order_and_types(parts, files, types, signed):
    names = list(parts)
    footprint = [BLOCK_MAP, CONTENT_TYPES] + ([SIGNATURE] if signed else [])
    if names[-len(footprint):] != footprint or names[:-len(footprint)] != files:
        problem("ZIP", f"parts in the order {names}: the block map's files first, then "
                       + ", then ".join(footprint))
    if MANIFEST not in files:
        problem(MANIFEST, "not in the block map")
    if types is None:
        return
    defaults = {e.get("Extension", "").lower(): e.get("ContentType")
                for e in types.findall("t:Default", NS)}
    overrides = {e.get("PartName", "").lower(): e.get("ContentType")
                 for e in types.findall("t:Override", NS)}
    for name in (n for n in names if n != CONTENT_TYPES):
        if "/" + name.lower() not in overrides and \
                name.rpartition(".")[2].lower() not in defaults:
            problem(CONTENT_TYPES, f"gives no content type for {name}")
    for name, kind in ((MANIFEST, "manifest+xml"), (BLOCK_MAP, "blockmap+xml")) + \
            (((SIGNATURE, "signature"),) if signed else ()):
        if overrides.get("/" + name.lower()) != f"application/vnd.ms-appx.{kind}":
            problem(CONTENT_TYPES, f"no override for /{name}")


def signer_subject(parts):
    """The subject of the certificate that signed the package (the one of the signature's
    certificates that issued none of the others), as Windows writes it."""
    data = content(parts, SIGNATURE) or b""
    if not data.startswith(b"PKCX"):
        problem(SIGNATURE, "not a package signature")
        return None
    run = subprocess.run(["openssl", "pkcs7", "-inform", "DER", "-print_certs"], input=data[4:],
                         capture_output=True)
    certificates = signing.pem_certificates(run.stdout)
    subjects = [signing.windows_subject(c) for c in certificates]
    issuers = {signing.windows_subject(c, issuer=True) for c in certificates}
    leaves = [s for s in subjects if s not in issuers or len(subjects) == 1]
    if len(leaves) != 1:
        problem(SIGNATURE, f"no one signing certificate among {subjects}")
        return None
    return leaves[0]


def check_logo(parts, attribute, path):
    name = (path or "").replace("\\", "/")
    if name not in parts:
        problem(MANIFEST, f"{attribute} names {path}, which the package lacks")
        return
    data = content(parts, name) or b""
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        problem(name, "not a PNG")
        return
    side = LOGO_SIDES[attribute]
    if struct.unpack_from(">II", data, 16) != (side, side):
        problem(name, f"not {side} x {side} as {attribute} needs")


def family_name(name, publisher):
    """Name_ and the publisher id: the first 64 bits of the SHA-256 of the publisher in
    UTF-16LE, in Crockford's base 32 (13 characters, the last padded with a zero bit)."""
    bits = int.from_bytes(hashlib.sha256(publisher.encode("utf-16-le")).digest()[:8], "big") << 1
    alphabet = "0123456789abcdefghjkmnpqrstvwxyz"
    return name + "_" + "".join(alphabet[(bits >> (5 * (12 - i))) & 31] for i in range(13))


def check_identity(identity, facts):
    for key, fact in (("Name", "package-name"), ("Publisher", "package-publisher")):
        if identity.get(key) != facts.get(fact):
            problem(MANIFEST, f"Identity {key} is {identity.get(key)}, not {facts.get(fact)}")
    family = family_name(identity.get("Name") or "", identity.get("Publisher") or "")
    if family != facts.get("package-family"):
        problem(MANIFEST, f"the identity's family is {family}, not {facts.get('package-family')}")


def check_manifest(parts, root, o, facts):
    clsid = o.clsid.strip("{}").upper()
    identity = root.find("m:Identity", NS)
    properties = root.find("m:Properties", NS)
    if identity is None or properties is None:
        problem(MANIFEST, "no Identity or Properties")
        return
    if facts:
        check_identity(identity, facts)
    publisher = identity.get("Publisher")
    if o.signed:
        signer = signer_subject(parts) if SIGNATURE in parts else None
        if signer is not None and publisher != signer:
            problem(MANIFEST, f"the Publisher is {publisher}, not the subject of the certificate "
                              f"that signed the package, {signer}")
    elif UNSIGNED_PUBLISHER_OID not in (publisher or ""):
        problem(MANIFEST, "the Publisher lacks the unsigned package's OID")
    for key, want in (("Version", o.version), ("ProcessorArchitecture", o.architecture)):
        if identity.get(key) != want:
            problem(MANIFEST, f"Identity {key} is {identity.get(key)}, not {want}")
    if properties.findtext("uap10:AllowExternalContent", None, NS) != "true":
        problem(MANIFEST, "AllowExternalContent is not true")
    check_logo(parts, "Logo", properties.findtext("m:Logo", None, NS))
    family = root.find("m:Dependencies/m:TargetDeviceFamily", NS)
    if family is None or family.get("Name") != "Windows.Desktop" or \
            family.get("MinVersion") != o.min_version:
        problem(MANIFEST, f"no Windows.Desktop TargetDeviceFamily of MinVersion {o.min_version}")
    capabilities = {c.get("Name") for c in root.findall("m:Capabilities/rescap:Capability", NS)}
    if capabilities != CAPABILITIES:
        problem(MANIFEST, f"restricted capabilities {sorted(capabilities)}")
    applications = root.findall("m:Applications/m:Application", NS)
    if len(applications) != 1:
        problem(MANIFEST, f"{len(applications)} applications, not one")
        return
    application = applications[0]
    for key, want in (("Executable", o.executable), ("uap10:TrustLevel", "mediumIL"),
                      ("uap10:RuntimeBehavior", "win32App")):
        if attr(application, key) != want:
            problem(MANIFEST, f"Application {key} is {attr(application, key)}, not {want}")
    visual = application.find("uap:VisualElements", NS)
    if visual is None or visual.get("AppListEntry") != "none":
        problem(MANIFEST, "the application is not kept out of the app list (AppListEntry)")
    else:
        for key in ("Square44x44Logo", "Square150x150Logo"):
            check_logo(parts, key, visual.get(key))
    menus = application.findall("m:Extensions/desktop4:Extension[@Category="
                                "'windows.fileExplorerContextMenus']/"
                                "desktop4:FileExplorerContextMenus/desktop5:ItemType", NS)
    types = {item.get("Type") for item in menus}
    if types != ITEM_TYPES or len(menus) != len(ITEM_TYPES):
        problem(MANIFEST, f"context menu item types {sorted(types)}")
    for item in menus:
        verbs = [(v.get("Id"), (v.get("Clsid") or "").upper())
                 for v in item.findall("desktop5:Verb", NS)]
        if verbs != [(o.verb, clsid)]:
            problem(MANIFEST, f"item type {item.get('Type')} has the verbs {verbs}, "
                              f"not {o.verb} of {clsid}")
    classes = [((c.get("Id") or "").upper(), c.get("Path"), c.get("ThreadingModel"))
               for c in application.findall(
                   "m:Extensions/com:Extension[@Category='windows.comServer']/com:ComServer/"
                   "com:SurrogateServer/com:Class", NS)]
    if classes != [(clsid, o.dll, "STA")]:
        problem(MANIFEST, f"COM classes {classes}, not the verbs' class {clsid} in {o.dll} (STA)")


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("package")
    for flag in ("--version", "--architecture", "--dll", "--executable", "--min-version"):
        parser.add_argument(flag, required=True)
    parser.add_argument("--facts")
    parser.add_argument("--clsid")
    parser.add_argument("--verb")
    parser.add_argument("--signed", action="store_true")
    o = parser.parse_args(argv)
    facts = {}
    if o.facts:
        with open(o.facts, encoding="utf-8") as f:
            facts = dict(line.rstrip("\n").split("\t", 1) for line in f if "\t" in line)
        o.clsid, o.verb = facts.get("command-class-id"), facts.get("verb")
    if not o.clsid or not o.verb:
        parser.error("the class and verb: --facts, or --clsid and --verb")
    with open(o.package, "rb") as f:
        data = f.read()
    try:
        archive = zipfile.ZipFile(o.package)
        parts = zip_headers(data, archive)
    except (zipfile.BadZipFile, struct.error) as error:
        problem("ZIP", f"unreadable: {error}")
        parts = None
    if parts is not None:
        block_map = parse(parts, BLOCK_MAP)
        files = check_blocks(parts, block_map) if block_map is not None else []
        if (SIGNATURE in parts) != o.signed:
            problem(SIGNATURE, "present in an unsigned package" if not o.signed else "missing")
        check_order_and_types(parts, files, parse(parts, CONTENT_TYPES), o.signed)
        manifest = parse(parts, MANIFEST)
        if manifest is not None:
            check_manifest(parts, manifest, o, facts)
    for line in dict.fromkeys(problems):
        print(f"check_msix: {line}", file=sys.stderr)
    if problems:
        sys.exit(1)
    print(f"check_msix: {o.package}: {len(parts)} parts, every check passed")


if __name__ == "__main__":
    main(sys.argv[1:])

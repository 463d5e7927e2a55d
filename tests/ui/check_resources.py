#!/usr/bin/env python3
"""The resources the launcher loads and the ones Windows reads from its file:
background bitmap 101, icon group 102, the application manifest and the
version information. Reads the PE resource tree directly, so it needs nothing
but Python.

Usage: check_resources.py EXE
"""
import struct
import sys
import xml.etree.ElementTree as ET

RT_BITMAP, RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 2, 3, 14, 16, 24

SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"


def read_resources(image):
    """{(type, id): bytes} for every resource with numeric type and id."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE image")
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    if struct.unpack_from("<H", image, optional)[0] != 0x10B:
        raise ValueError("not a PE32 image")
    rsrc_rva = struct.unpack_from("<I", image, optional + 96 + 2 * 8)[0]
    table = []
    for i in range(sections):
        s = optional + optional_size + 40 * i
        vsize, va, rawsize, raw = struct.unpack_from("<IIII", image, s + 8)
        table.append((va, max(vsize, rawsize), raw))

    def offset(rva):
        for va, size, raw in table:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("RVA %#x outside every section" % rva)

    base = offset(rsrc_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<12xHH", image, base + directory)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", image, base + directory + 16 + 8 * i)
            yield name, target

    found = {}
    for rtype, types in entries(0):
        for rid, ids in entries(types & 0x7FFFFFFF):
            for _lang, data in entries(ids & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", image, base + data)
                if not (rtype | rid) & 0x80000000:
                    found[(rtype, rid)] = bytes(image[offset(rva):offset(rva) + size])
    return found


def check_bitmap(res):
    data = res.get((RT_BITMAP, 101))
    if data is None:
        return "bitmap 101 is missing"
    width, height, planes, bits, compression = struct.unpack_from("<4xiiHHI", data, 0)
    if (width, abs(height), bits, compression) != (500, 531, 24, 0):
        return "bitmap 101 is %dx%d, %d bits, compression %d; want 500x531, 24 bits, none" % (
            width, abs(height), bits, compression)
    return None


def check_icon(res):
    group = res.get((RT_GROUP_ICON, 102))
    if group is None:
        return "icon group 102 is missing"
    count = struct.unpack_from("<4xH", group, 0)[0]
    if count != 1:
        return "icon group 102 has %d images; want 1" % count
    width, height, _colours, _reserved, _planes, bits, _size, icon_id = struct.unpack_from(
        "<BBBBHHIH", group, 6)
    if (width, height, bits) != (32, 32, 32):
        return "icon group 102 lists %dx%d, %d bits; want 32x32, 32 bits" % (width, height, bits)
    icon = res.get((RT_ICON, icon_id))
    if icon is None:
        return "icon image %d of group 102 is missing" % icon_id
    header = struct.unpack_from("<4xiiHH", icon, 0)
    if header[:2] != (32, 64) or header[3] != 32:
        return "icon image %d is not a 32x32 image of 32 bits" % icon_id
    return None


def check_manifest(res):
    data = res.get((RT_MANIFEST, 1))
    if data is None:
        return "manifest resource 1 is missing"
    root = ET.fromstring(data)
    level = root.find(".//%srequestedExecutionLevel" % ASM_V3)
    if level is None or level.get("level") != "asInvoker" or level.get("uiAccess") != "false":
        return "manifest does not request asInvoker without uiAccess"
    listed = {e.get("Id", "").lower() for e in root.iter(COMPAT + "supportedOS")}
    missing = [name for guid, name in SUPPORTED_OS.items() if guid not in listed]
    if missing:
        return "manifest does not declare support for " + ", ".join(missing)
    return None


def check_version(res):
    data = res.get((RT_VERSION, 1))
    if data is None:
        return "version resource 1 is missing"
    fixed = data.find(struct.pack("<I", 0xFEEF04BD))
    if fixed < 0:
        return "version resource has no fixed file information"
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<8xIIII", data, fixed)
    if (file_ms, file_ls, product_ms, product_ls) != (0x30000, 0, 0x30000, 0):
        return "file or product version is not 3.0.0.0"
    text = data.decode("utf-16-le", errors="replace")
    for key, value in (("ProductName", "MOK Patcher"),
                       ("FileDescription", "MOK Patcher - self repair and launcher")):
        at = text.find(key + "\0")
        if at < 0 or not text[at + len(key):].lstrip("\0").startswith(value + "\0"):
            return "version string %s is not %r" % (key, value)
    return None


def main():
    with open(sys.argv[1], "rb") as f:
        resources = read_resources(f.read())
    failures = [m for m in (check(resources) for check in
                            (check_bitmap, check_icon, check_manifest, check_version)) if m]
    for message in failures:
        print("FAIL: " + message)
    if not failures:
        print("ok: bitmap 101, icon 102, manifest and version information of " + sys.argv[1])
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

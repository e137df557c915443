#!/usr/bin/env python3
"""Checks the built installer executable for what a release must hold.

    check_installer.py EXE --pack PACK --version X.Y.Z [--pack-file NAME] [--pack-key KEY]
                       [--pack-version N] [--forbid TEXT]... [CHECK]...

With no CHECK names, every check runs. Each prints one line; the exit status is
1 when any failed. The PE file is read directly (standard library only), so the
checks do not depend on the binutils at hand.
"""

import argparse
import hashlib
import os
import struct
import sys
from xml.etree import ElementTree

from pe_image import DIR_BASERELOC, RT_GROUP_ICON, RT_ICON, RT_MANIFEST, PeImage, version_info

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources"))
import pack_tool  # noqa: E402  the build's own record of a pack

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll", "shell32.dll", "msvcrt.dll"}
# Libraries a silent run never needs: the installer loads them from System32 on
# first use (src/platform/win32/system_library.h), never at its start.
GUI_DLLS = {"user32.dll", "gdi32.dll", "shell32.dll", "comctl32.dll", "comdlg32.dll", "ole32.dll", "oleaut32.dll"}
PAGE = 0x1000
MAX_OVERHEAD = 256 * 1024  # bytes of the executable beyond the pack it carries

IMAGE_FILE_MACHINE_I386 = 0x014C
SUBSYSTEM_WINDOWS_GUI = 2
DYNAMIC_BASE = 0x0040
NX_COMPAT = 0x0100
RT_RCDATA = 10
LANG_RUSSIAN_RUSSIA = 1049


def check_gui_subsystem_32_bit(image, args):
    assert image.machine == IMAGE_FILE_MACHINE_I386, "machine 0x%04x, expected i386" % image.machine
    assert image.subsystem == SUBSYSTEM_WINDOWS_GUI, "subsystem %d, expected 2 (GUI)" % image.subsystem
    return "i386, GUI subsystem"


def check_aslr_and_dep(image, args):
    flags = image.dll_characteristics
    assert flags & DYNAMIC_BASE, "DllCharacteristics 0x%04x lacks DYNAMIC_BASE" % flags
    assert flags & NX_COMPAT, "DllCharacteristics 0x%04x lacks NX_COMPAT" % flags
    # Without relocations the loader cannot move the image, whatever the flag says.
    assert image.directory(DIR_BASERELOC)[1] > 0, "no base relocations: ASLR would have no effect"
    return "DllCharacteristics 0x%04x, %d bytes of relocations" % (flags, image.directory(DIR_BASERELOC)[1])


def check_imports_only_system_dlls(image, args):
    dlls = image.imported_dlls()
    foreign = [dll for dll in dlls if dll.lower() not in SYSTEM_DLLS]
    assert not foreign, "imports DLLs that Windows does not ship: %s" % ", ".join(foreign)
    return "imports " + ", ".join(dlls)


def pack_resource_key(args):
    """(type, name, language) of the carried pack: the file name's extension
    and base name, upper-cased as resource names are stored."""
    base, _, extension = args.pack_file.rpartition(".")
    return (extension.upper(), base.upper(), LANG_RUSSIAN_RUSSIA)
def check_no_gui_library_imported(image, args):
    static = image.static_imports()
    gui = [dll for dll in static + image.delay_imports() if dll.lower() in GUI_DLLS]
    assert not gui, "imports %s: a silent run would load them too" % ", ".join(gui)
    assert "advapi32.dll" in map(str.lower, static), "no advapi32 import: where is the registry?"
    return "loaded at start: " + ", ".join(static)


def check_sections_page_aligned(image, args):
    # A section whose file offset is not a page boundary cannot be mapped: the
    # loader reads it, the whole 16 MB resource at every start.
    assert image.file_alignment == PAGE, "file alignment 0x%x, expected 0x%x" % (image.file_alignment, PAGE)
    assert image.section_alignment == PAGE, "section alignment 0x%x" % image.section_alignment
    for (name, _, _, raw_offset), raw_size in zip(image.sections, image.raw_sizes):
        assert raw_size == 0 or raw_offset % PAGE == 0, "%s at file offset 0x%x" % (name, raw_offset)
    resource = next(raw for name, _, _, raw in image.sections if name == ".rsrc")
    return "file alignment 0x%x; .rsrc at file offset 0x%x" % (image.file_alignment, resource)


def check_carries_pack(image, args):
    resources = image.resources()
    key = pack_resource_key(args)
    shown = "%s/%s/%d" % key
    assert key in resources, "no resource %s; found %s" % (shown, sorted(map(str, resources)))
    with open(args.pack, "rb") as pack:
        expected = pack.read()
    carried = resources[key]
    assert carried == expected, "%s (%d bytes) differs from %s (%d bytes)" % (
        shown, len(carried), args.pack, len(expected))
    packs = [k for k in resources if k[0] == key[0]]
    assert packs == [key], "more than one %s resource: %s" % (key[0], packs)
    return "%s, %d bytes, equal to the pack" % (shown, len(carried))


def check_pack_record(image, args):
    resources = image.resources()
    records = [data for (kind, name, _), data in resources.items() if kind == RT_RCDATA and name == "PACKCHECK"]
    assert len(records) == 1, "expected one RCDATA PACKCHECK, found %d" % len(records)
    carried = resources.get(pack_resource_key(args))
    assert carried is not None, "no pack resource to check the record against"
    # The record must describe the bytes the installer carries, or every run
    # of it ends as a damaged installer.
    size, crc = struct.unpack_from("<II", records[0], 4) if len(records[0]) == 12 else (None, None)
    assert records[0] == pack_tool.pack_record(carried), "record %r: size %s, CRC-32C %s; the pack: %d bytes, 0x%08x" % (
        records[0], size, crc if crc is None else "0x%08x" % crc, len(carried), pack_tool.crc32c(carried))
    return "PACKCHECK: %d bytes, CRC-32C 0x%08x, those of the carried pack" % (size, crc)


ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
WINDOWS_SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
WINDOWS_SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"


def check_manifest(image, args):
    manifests = [data for (kind, name, _), data in image.resources().items() if kind == RT_MANIFEST and name == 1]
    assert len(manifests) == 1, "expected one manifest with id 1, found %d" % len(manifests)
    try:
        assembly = ElementTree.fromstring(manifests[0])
    except ElementTree.ParseError as problem:
        raise AssertionError("the manifest is no well-formed XML: %s" % problem) from None
    assert assembly.tag == ASM_V1 + "assembly", "the manifest's root is %s" % assembly.tag

    def only(path, what):
        found = assembly.findall(path)
        assert len(found) == 1, "manifest: %d %s, expected one" % (len(found), what)
        return found[0]

    level = only("%strustInfo/%ssecurity/%srequestedPrivileges/%srequestedExecutionLevel" % ((ASM_V3,) * 4),
                 "requestedExecutionLevel")
    assert level.attrib == {"level": "requireAdministrator", "uiAccess": "false"}, \
        "requestedExecutionLevel %s" % level.attrib
    controls = only("%sdependency/%sdependentAssembly/%sassemblyIdentity" % ((ASM_V1,) * 3), "dependent assembly")
    for name, value in (("name", "Microsoft.Windows.Common-Controls"), ("version", "6.0.0.0"),
                        ("publicKeyToken", "6595b64144ccf1df")):
        assert controls.get(name) == value, "the dependent assembly's %s is %r" % (name, controls.get(name))
    settings = "%sapplication/%swindowsSettings/" % (ASM_V3, ASM_V3)
    for tag, value in ((WINDOWS_SETTINGS_2005 + "dpiAware", "true/pm"),
                       (WINDOWS_SETTINGS_2016 + "dpiAwareness", "PerMonitorV2")):
        element = only(settings + tag, tag)
        assert element.text == value, "%s is %r, expected %r" % (tag, element.text, value)
    # Without a supported-OS list Windows reports version 6.2 to the installer.
    compatibility = [element.tag for element in assembly.iter() if element.tag.rpartition("}")[2] == "compatibility"]
    assert not compatibility, "manifest has a compatibility section"
    return "requireAdministrator, common controls 6, per-monitor DPI aware (v2), no compatibility section"


def check_icon(image, args):
    kinds = {kind for kind, _, _ in image.resources()}
    assert RT_GROUP_ICON in kinds and RT_ICON in kinds, "no icon"
    return "icon present"


def check_version_info(image, args):
    numbers, strings = version_info(image)
    # The project's version, then the pack's (a negative one, which no part can hold, as 0).
    parts = tuple(int(part) for part in args.version.split("."))
    want = (parts + (0,) * 3)[:3] + (max(args.pack_version, 0),)
    assert numbers == want, "file version %s, expected %s" % (numbers, want)
    version_text = "%s (pack version %d)" % (".".join(map(str, want)), args.pack_version)
    expected = {"CompanyName": "Tarvel", "ProductName": "Nimbra",
                "FileDescription": "Nimbra sound pack update: %s %d" % (args.pack_key, args.pack_version),
                "OriginalFilename": "nimbra-pack-update.exe", "FileVersion": version_text,
                "ProductVersion": version_text, "PackVersion": str(args.pack_version),
                "PackFile": args.pack_file, "PackKey": args.pack_key}
    for name, value in expected.items():
        assert strings.get(name) == value, "%s is %r, expected %r" % (name, strings.get(name), value)
    return "; ".join("%s %s" % (name, strings[name]) for name in
                     ("FileDescription", "FileVersion", "ProductVersion", "PackFile", "PackKey", "PackVersion",
                      "CompanyName"))


def check_reproducible(image, args):
    assert image.timestamp == 0, "link timestamp 0x%08x: two builds would differ" % image.timestamp
    for text in args.forbid:
        for encoded in (text.encode("utf-8"), text.encode("utf-16-le")):
            assert encoded not in image.data, "the binary contains %r" % text
    return "no timestamp, none of %d build paths inside" % len(args.forbid)


def check_overhead(image, args):
    with open(args.pack, "rb") as pack:
        pack_size = len(pack.read())
    overhead = len(image.data) - pack_size
    assert overhead <= MAX_OVERHEAD, "%d bytes beyond the pack, more than %d" % (overhead, MAX_OVERHEAD)
    return "%d bytes (%.1f KiB) beyond the pack of %d bytes; SHA-256 %s" % (
        overhead, overhead / 1024, pack_size, hashlib.sha256(image.data).hexdigest())


def check_hardening(image, args):
    # libssp's handlers, linked in only when code calls them: the canary check
    # of -fstack-protector-strong, and the checked string and memory functions
    # of _FORTIFY_SOURCE.
    for flag, message in (("-fstack-protector-strong", b"*** stack smashing detected ***"),
                          ("-D_FORTIFY_SOURCE=2", b"*** buffer overflow detected ***")):
        assert message in image.data, "built without %s: its handler's %r is not linked in" % (flag, message)
    # The guard is the program's own, seeded from kernel32: libssp's seeds
    # through the crypto API, which loads libraries before WinMain locks the
    # DLL search.
    crypto = [name for name in image.imported_functions() if name.startswith("Crypt")]
    assert not crypto, "imports %s: libssp's guard set-up is linked in" % ", ".join(crypto)
    return "stack protector and fortified functions linked in; no Crypt* import"


CHECKS = {
    "GuiSubsystem32Bit": check_gui_subsystem_32_bit,
    "AslrAndDepOn": check_aslr_and_dep,
    "ImportsOnlySystemDlls": check_imports_only_system_dlls,
    "CarriesPackAsResourceInRussian": check_carries_pack,
    "CarriesTheRecordOfItsPack": check_pack_record,
    "NoGuiLibraryImported": check_no_gui_library_imported,
    "SectionsPageAlignedInTheFile": check_sections_page_aligned,
    "ManifestRequiresAdministratorDpiAwareWithoutCompatibility": check_manifest,
    "HasIcon": check_icon,
    "VersionInfoNamesTarvelNimbraAndPack": check_version_info,
    "NoTimestampNorBuildPaths": check_reproducible,
    "OverheadWithin256KiB": check_overhead,
    "StackProtectorAndFortifyLinkedIn": check_hardening,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("exe")
    parser.add_argument("--pack", required=True, help="the pack the installer must carry")
    parser.add_argument("--version", required=True, help="the project version, X.Y.Z")
    parser.add_argument("--pack-file", default="dwix.cok", help="the pack's file name: resource name.type")
    parser.add_argument("--pack-key", default="crickets", help="the pack key the version information names")
    parser.add_argument("--pack-version", type=int, default=6, help="the carried pack's version")
    parser.add_argument("--forbid", action="append", default=[], help="text that must not occur in the binary")
    parser.add_argument("checks", nargs="*", metavar="CHECK", help="any of: " + ", ".join(CHECKS))
    args = parser.parse_intermixed_args()
    unknown = [name for name in args.checks if name not in CHECKS]
    if unknown:
        parser.error("unknown checks: " + ", ".join(unknown))

    try:
        with open(args.exe, "rb") as exe:
            image = PeImage(exe.read())
    except (OSError, ValueError, struct.error) as problem:
        sys.exit("FAILED  %s is no 32-bit Windows executable: %s" % (args.exe, problem))
    failed = 0
    for name in args.checks or CHECKS:
        try:
            print("ok      %s: %s" % (name, CHECKS[name](image, args)))
        except (AssertionError, ValueError, struct.error) as problem:
            print("FAILED  %s: %s" % (name, problem))
            failed += 1
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Writes the deployment kit of an installer beside it: what a vendor hands to
deployment tools, filled in from the installer file itself (its version
information names the pack, its bytes give the SHA-256) and from the exit
code table (src/deployment/exit_codes.def).

    deployment_kit.py INSTALLER

INSTALLER's folder then holds, for INSTALLER = .../NAME.exe:
    NAME.installer.yaml   winget's installer manifest
    NAME.deployment.md    for Intune and Configuration Manager: the install
                          command, the return codes and the detection rule
The build writes the kit of every installer it builds; scripts/sign.sh that of
the signed copy, whose SHA-256 differs. Standard library only.
"""

import argparse
import hashlib
import re
import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import exit_codes  # noqa: E402
from pe_image import PeImage, version_info  # noqa: E402

MANIFEST_VERSION = "1.6.0"
PUBLISHER = "Tarvel"
UNINSTALL_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Nimbra"
SILENT = "modest quiet"
# Quoted whole, so that a log path with blanks stays one argument.
LOG_SWITCH = '"log=<LOGPATH>"'
EXAMPLE_LOG = r"C:\ProgramData\Nimbra\pack-update.log"


class Installer:
    """What the kit says of one installer file."""

    def __init__(self, path):
        data = Path(path).read_bytes()
        numbers, strings = version_info(PeImage(data))
        self.file_name = Path(path).name
        self.size = len(data)
        self.sha256 = hashlib.sha256(data).hexdigest().upper()
        self.version = ".".join(map(str, numbers))
        missing = [name for name in ("FileDescription", "PackFile", "PackKey", "PackVersion") if name not in strings]
        if missing:
            raise ValueError("its version information lacks %s" % ", ".join(missing))
        self.description = strings["FileDescription"]
        self.pack_file = strings["PackFile"]
        self.pack_key = strings["PackKey"]
        self.pack_version = int(strings["PackVersion"])
        self.package_identifier = "%s.NimbraSoundPack.%s" % (PUBLISHER, self.pack_key[:1].upper() + self.pack_key[1:])
        # winget's limit on each part of an identifier.
        if len(self.pack_key) > 32:
            raise ValueError("the pack key %r is longer than the 32 characters a part of a winget package "
                             "identifier may have" % self.pack_key)


# Words that a YAML reader takes for a boolean or null when they stand plain.
YAML_WORDS = {"y", "n", "yes", "no", "true", "false", "on", "off", "null"}


def yaml_scalar(value):
    """An integer, or a string that every YAML reader reads back as that string."""
    if isinstance(value, int):
        return str(value)
    word = re.fullmatch(r"[A-Za-z][A-Za-z0-9 ._/-]*", value) and value.lower() not in YAML_WORDS
    version = re.fullmatch(r"[0-9]+(\.[0-9]+){2,}", value)  # never a number
    if (word or version) and value.strip() == value:
        return value
    return "'%s'" % value.replace("'", "''")


def yaml_lines(value, indent=""):
    """Block-style YAML of nested dicts, lists, strings and integers."""
    lines = []
    if isinstance(value, dict):
        for key, item in value.items():
            if isinstance(item, (dict, list)):
                lines.append("%s%s:" % (indent, key))
                lines += yaml_lines(item, indent + "  ")
            else:
                lines.append("%s%s: %s" % (indent, key, yaml_scalar(item)))
    else:
        for item in value:
            if isinstance(item, dict):
                first, *rest = yaml_lines(item, indent + "  ")
                lines.append("%s- %s" % (indent, first.lstrip()))
                lines += rest
            else:
                lines.append("%s- %s" % (indent, yaml_scalar(item)))
    return lines


def winget_manifest(installer, codes):
    manifest = {
        "PackageIdentifier": installer.package_identifier,
        "PackageVersion": installer.version,
        "InstallerType": "exe",
        "Scope": "machine",
        "InstallModes": ["interactive", "silent", "silentWithProgress"],
        "InstallerSwitches": {"Silent": SILENT, "SilentWithProgress": SILENT, "Log": LOG_SWITCH},
    }
    # 0 is success to winget already, and its schema admits no 0 in either list.
    successes = [code.code for code in codes if code.tool_kind == "success" and code.code != 0]
    if successes:
        manifest["InstallerSuccessCodes"] = successes
    manifest["ExpectedReturnCodes"] = [{"InstallerReturnCode": code.code, "ReturnResponse": code.winget_response}
                                       for code in codes if code.winget_response != "none"]
    manifest["ElevationRequirement"] = "elevationRequired"
    manifest["Installers"] = [{
        "Architecture": "x86",
        "InstallerUrl": "https://<where-you-publish-it>/%s" % installer.file_name,
        "InstallerSha256": installer.sha256,
    }]
    manifest["ManifestType"] = "installer"
    manifest["ManifestVersion"] = MANIFEST_VERSION
    header = [
        "# yaml-language-server: $schema=https://aka.ms/winget-manifest.installer.%s.schema.json" % MANIFEST_VERSION,
        "# winget's installer manifest of %s (%s)." % (installer.file_name, installer.description),
        "# Written from the file itself. Before publishing, put the installer's address in",
        "# InstallerUrl; InstallerSha256 is that of this very file (a signed copy has a kit",
        "# of its own). Exit codes not listed here are failures, which winget reports with",
        "# the code.",
    ]
    return "\n".join(header + yaml_lines(manifest)) + "\n"


def detection_value(version):
    """The REG_DWORD's value as the tools read it, and a note where that is not the pack version."""
    if version >= 0:
        return str(version), ""
    unsigned = version + 2 ** 32
    return str(unsigned), (" The pack version %d is stored as the 32-bit value %d; a pack of version 0 or "
                           "more reads as less than that." % (version, unsigned))


def deployment_description(installer, codes):
    command = "%s %s log=%s" % (installer.file_name, SILENT, EXAMPLE_LOG)
    value_name = installer.pack_file + " version"
    minimum, note = detection_value(installer.pack_version)
    rows = ["| %d | %s | %s |" % (code.code, exit_codes.TOOL_KINDS[code.tool_kind], code.meaning)
            for code in sorted(codes, key=lambda code: code.code)]
    return "\n".join([
        "# Deploying %s with Intune or Configuration Manager" % installer.file_name,
        "",
        "%s (pack file %s, pack version %d), installer version %s." % (
            installer.description, installer.pack_file, installer.pack_version, installer.version),
        "",
        "| File | Size | SHA-256 |",
        "|---|---|---|",
        "| %s | %s bytes | %s |" % (installer.file_name, "{:,}".format(installer.size), installer.sha256),
        "",
        "## Install command",
        "",
        "    " + command,
        "",
        "Run it as the system, elevated (Intune: install behavior System; Configuration",
        "Manager: install for system). It asks nothing and shows nothing: the return code",
        "and the log tell the outcome. The log's folder must exist (without it the run",
        "goes on without a log); quote the whole log= argument when its path has blanks.",
        "Nimbra stays closed. There is nothing to uninstall: the pack belongs to Nimbra.",
        "",
        "## Return codes",
        "",
        "| Code | Kind | Meaning |",
        "|---|---|---|",
        *rows,
        "",
        "Enter each code with its kind (Intune: the app's return codes; Configuration",
        "Manager: the deployment type's return codes). A code not listed is a failure.",
        "",
        "## Detection rule",
        "",
        "| Setting | Value |",
        "|---|---|",
        "| Rule type | Registry |",
        "| Key path | %s |" % UNINSTALL_KEY,
        "| Value name | %s |" % value_name,
        "| Data type | Integer (REG_DWORD) |",
        "| Operator | Greater than or equal to |",
        "| Value | %s |" % minimum,
        "| Associated with a 32-bit app on 64-bit clients | No: the value is in the 64-bit registry view |",
        "",
        "Once the pack is written, Nimbra's uninstall entry holds the pack version in",
        "the value \"%s\"; a failed write leaves it as it was.%s" % (value_name, note),
        "",
    ])


def kit_paths(installer_path):
    """(winget manifest, description) beside the installer."""
    path = Path(installer_path)
    stem = path.name[:-4] if path.name.lower().endswith(".exe") else path.name
    return path.with_name(stem + ".installer.yaml"), path.with_name(stem + ".deployment.md")


def write_kit(installer_path, table=exit_codes.TABLE):
    installer = Installer(installer_path)
    codes = exit_codes.read(table)
    manifest, description = kit_paths(installer_path)
    manifest.write_text(winget_manifest(installer, codes), "utf-8")
    description.write_text(deployment_description(installer, codes), "utf-8")
    return manifest, description


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("installer", type=Path)
    args = parser.parse_args()
    try:
        written = write_kit(args.installer)
    except (OSError, ValueError, struct.error) as problem:
        sys.exit("deployment_kit.py: %s: %s" % (args.installer, problem))
    print("Deployment kit: %s" % ", ".join(map(str, written)))


if __name__ == "__main__":
    main()

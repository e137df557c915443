#!/usr/bin/env python3
"""Checks an installer's deployment kit (scripts/deployment_kit.py) as the
tools read it: the winget manifest parses as YAML and holds only fields and
values that winget's schema defines, both files describe this very file, and
their return codes are the program's own (src/deployment/exit_codes.def), as
are those of the README's table.

    check_deployment_kit.py INSTALLER --pack-file NAME --pack-key KEY --pack-version N
                            --version X.Y.Z [--readme README.md] [CHECK]...

Prints one line a check; exits 1 when any failed. Needs PyYAML (python3-yaml).
"""

import argparse
import hashlib
import re
import sys
from pathlib import Path

import yaml

import exit_codes
from deployment_kit import kit_paths


# --- winget's installer manifest schema 1.6.0 --------------------------------
# (https://aka.ms/winget-manifest.installer.1.6.0.schema.json): every field
# it defines, and what each may hold.

def enum(*values):
    return ("enum", values)


def pattern(regex):
    return ("pattern", regex)


def list_of(item):
    return ("list", item)


def fields(required=(), **names):
    return ("object", names, required)


STRING, INTEGER, BOOLEAN = ("string",), ("integer",), ("boolean",)
# An exit code other than 0, from -2^31 to 2^32 - 1.
RETURN_CODE = ("returnCode",)
URL = pattern(r"^([Hh][Tt][Tt][Pp][Ss]?)://.+$")
SHA256 = pattern(r"^[A-Fa-f0-9]{64}$")
PACKAGE_IDENTIFIER = pattern(r'^[^.\s\\/:*?"<>|\x01-\x1f]{1,32}(\.[^.\s\\/:*?"<>|\x01-\x1f]{1,32}){1,7}$')
PACKAGE_VERSION = pattern(r'^[^\\/:*?"<>|\x01-\x1f]{1,128}$')
VERSION_PART = r"(0|[1-9][0-9]{0,3}|[1-5][0-9]{4}|6[0-4][0-9]{3}|65[0-4][0-9]{2}|655[0-2][0-9]|6553[0-5])"
INSTALLER_TYPES = ("msix", "msi", "appx", "exe", "zip", "inno", "nullsoft", "wix", "burn", "pwa", "portable")
RETURN_RESPONSES = (
    "packageInUse", "packageInUseByApplication", "installInProgress", "fileInUse", "missingDependency", "diskFull",
    "insufficientMemory", "invalidParameter", "noNetwork", "contactSupport", "rebootRequiredToFinish",
    "rebootRequiredForInstall", "rebootInitiated", "cancelledByUser", "alreadyInstalled", "downgrade",
    "blockedByPolicy", "systemNotSupported", "custom")
SWITCH = pattern(r"^.{1,512}$")
MARKETS = list_of(pattern(r"^[A-Z]{2}$"))
SHARED_FIELDS = dict(
    InstallerLocale=pattern(r"^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$"),
    Platform=list_of(enum("Windows.Desktop", "Windows.Universal")),
    MinimumOSVersion=pattern(r"^%s(\.%s){0,3}$" % (VERSION_PART, VERSION_PART)),
    InstallerType=enum(*INSTALLER_TYPES),
    NestedInstallerType=enum(*(kind for kind in INSTALLER_TYPES if kind not in ("zip", "pwa"))),
    NestedInstallerFiles=list_of(fields(("RelativeFilePath",), RelativeFilePath=STRING, PortableCommandAlias=STRING)),
    Scope=enum("user", "machine"),
    InstallModes=list_of(enum("interactive", "silent", "silentWithProgress")),
    InstallerSwitches=fields(Silent=SWITCH, SilentWithProgress=SWITCH, Interactive=SWITCH, InstallLocation=SWITCH,
                             Log=SWITCH, Upgrade=SWITCH, Custom=pattern(r"^.{1,2048}$")),
    InstallerSuccessCodes=list_of(RETURN_CODE),
    ExpectedReturnCodes=list_of(fields(InstallerReturnCode=RETURN_CODE, ReturnResponse=enum(*RETURN_RESPONSES),
                                       ReturnResponseUrl=URL)),
    UpgradeBehavior=enum("install", "uninstallPrevious"),
    Commands=list_of(STRING), Protocols=list_of(STRING), FileExtensions=list_of(STRING),
    Dependencies=fields(WindowsFeatures=list_of(STRING), WindowsLibraries=list_of(STRING),
                        PackageDependencies=list_of(fields(("PackageIdentifier",), PackageIdentifier=PACKAGE_IDENTIFIER,
                                                           MinimumVersion=PACKAGE_VERSION)),
                        ExternalDependencies=list_of(STRING)),
    PackageFamilyName=pattern(r"^[A-Za-z0-9][-.A-Za-z0-9]+_[A-Za-z0-9]{13}$"),
    ProductCode=STRING, Capabilities=list_of(STRING), RestrictedCapabilities=list_of(STRING),
    Markets=fields(AllowedMarkets=MARKETS, ExcludedMarkets=MARKETS),
    InstallerAbortsTerminal=BOOLEAN, ReleaseDate=pattern(r"^\d{4}-\d\d-\d\d$"), InstallLocationRequired=BOOLEAN,
    RequireExplicitUpgrade=BOOLEAN, DisplayInstallWarnings=BOOLEAN,
    UnsupportedOSArchitectures=list_of(enum("x86", "x64", "arm", "arm64")),
    UnsupportedArguments=list_of(enum("log", "location")),
    AppsAndFeaturesEntries=list_of(fields(DisplayName=STRING, Publisher=STRING, DisplayVersion=STRING,
                                          ProductCode=STRING, UpgradeCode=STRING,
                                          InstallerType=enum(*INSTALLER_TYPES))),
    ElevationRequirement=enum("elevationRequired", "elevationProhibited", "elevatesSelf"),
    InstallationMetadata=fields(DefaultInstallLocation=STRING, Files=list_of(fields(
        ("RelativeFilePath",), RelativeFilePath=STRING, FileSha256=SHA256, FileType=enum("launch", "uninstall", "other"),
        InvocationParameter=STRING, DisplayName=STRING))),
)
INSTALLER = fields(("Architecture", "InstallerUrl", "InstallerSha256"), **SHARED_FIELDS,
                   Architecture=enum("x86", "x64", "arm", "arm64", "neutral"), InstallerUrl=URL,
                   InstallerSha256=SHA256, SignatureSha256=SHA256)
MANIFEST = fields(("PackageIdentifier", "PackageVersion", "Installers", "ManifestType", "ManifestVersion"),
                  **SHARED_FIELDS, PackageIdentifier=PACKAGE_IDENTIFIER, PackageVersion=PACKAGE_VERSION,
                  Channel=pattern(r"^.{1,16}$"), Installers=list_of(INSTALLER), ManifestType=enum("installer"),
                  ManifestVersion=pattern(r"^%s(\.%s){2}$" % (VERSION_PART, VERSION_PART)))


def schema_problems(value, rule, where="manifest"):
    """What in value the schema's rule for it does not allow, one text each."""
    kind = rule[0]
    if kind == "object":
        if not isinstance(value, dict):
            return ["%s is no mapping" % where]
        _, names, required = rule
        problems = ["%s lacks %s" % (where, name) for name in required if name not in value]
        for name, item in value.items():
            if name not in names:
                problems.append("%s.%s: no such field" % (where, name))
            else:
                problems += schema_problems(item, names[name], "%s.%s" % (where, name))
        return problems
    if kind == "list":
        if not isinstance(value, list):
            return ["%s is no list" % where]
        problems = [] if len(value) == len(set(map(repr, value))) else ["%s repeats an item" % where]
        for index, item in enumerate(value):
            problems += schema_problems(item, rule[1], "%s[%d]" % (where, index))
        return problems
    if kind == "returnCode":
        ok = isinstance(value, int) and not isinstance(value, bool) and value != 0 and -2**31 <= value < 2**32
        return [] if ok else ["%s is %r: expected an exit code other than 0" % (where, value)]
    if kind == "boolean":
        return [] if isinstance(value, bool) else ["%s is %r: expected true or false" % (where, value)]
    if not isinstance(value, str):
        return ["%s is %r: expected a string" % (where, value)]
    if kind == "enum" and value not in rule[1]:
        return ["%s is %r: none of %s" % (where, value, ", ".join(rule[1]))]
    if kind == "pattern" and not re.search(rule[1], value):
        return ["%s is %r: does not match %s" % (where, value, rule[1])]
    return []


# --- the checks ---------------------------------------------------------------

def manifest_of(args):
    text = kit_paths(args.installer)[0].read_text("utf-8")
    try:
        return yaml.safe_load(text)
    except yaml.YAMLError as problem:
        raise AssertionError("the winget manifest is no YAML: %s" % problem) from None


def table_rows(text):
    """Every row of the Markdown tables in text, ruler rows left out, as lists of cells."""
    return [[cell.strip() for cell in line.strip("|").split("|")]
            for line in text.splitlines() if line.startswith("|") and not line.startswith("|---")]


def sha256_of(path):
    return hashlib.sha256(Path(path).read_bytes()).hexdigest().upper()


def file_version(args):
    """The installer's four-part version: the project's, then the pack's (0 for a negative one)."""
    return "%s.%d" % (args.version, max(args.pack_version, 0))


def check_manifest_schema(args):
    manifest = manifest_of(args)
    problems = schema_problems(manifest, MANIFEST)
    assert not problems, "; ".join(problems)
    return "%d fields, each one winget's schema defines, values as it allows" % len(manifest)


def check_manifest_facts(args):
    manifest = manifest_of(args)
    [installer] = manifest["Installers"]
    expected = {"InstallerType": "exe", "Scope": "machine", "ElevationRequirement": "elevationRequired",
                "InstallerSwitches": {"Silent": "modest quiet", "SilentWithProgress": "modest quiet",
                                      "Log": '"log=<LOGPATH>"'},
                "PackageVersion": file_version(args), "ManifestType": "installer"}
    for name, value in expected.items():
        assert manifest.get(name) == value, "%s is %r, expected %r" % (name, manifest.get(name), value)
    assert manifest["PackageIdentifier"].lower() == ("tarvel.nimbrasoundpack." + args.pack_key).lower(), \
        "PackageIdentifier %s names another pack than %s" % (manifest["PackageIdentifier"], args.pack_key)
    assert installer["Architecture"] == "x86", "Architecture %s" % installer["Architecture"]
    assert installer["InstallerSha256"].upper() == sha256_of(args.installer), \
        "InstallerSha256 %s is not that of %s" % (installer["InstallerSha256"], args.installer)
    assert installer["InstallerUrl"].endswith("/" + args.installer.name), "InstallerUrl %s" % installer["InstallerUrl"]
    # winget's own default for 0 and for any code not listed: success and failure.
    codes = exit_codes.read()
    responses = {entry["InstallerReturnCode"]: entry["ReturnResponse"] for entry in manifest["ExpectedReturnCodes"]}
    assert responses == {code.code: code.winget_response for code in codes if code.winget_response != "none"}, \
        "ExpectedReturnCodes %s are not the program's exit codes" % responses
    successes = manifest.get("InstallerSuccessCodes", [])
    assert successes == [code.code for code in codes if code.tool_kind == "success" and code.code], \
        "InstallerSuccessCodes %s" % successes
    return "SHA-256 %s; return codes %s" % (installer["InstallerSha256"],
                                            ", ".join("%d %s" % item for item in responses.items()))


def check_description(args):
    text = kit_paths(args.installer)[1].read_text("utf-8")
    rows = table_rows(text)
    assert [args.installer.name, "{:,} bytes".format(args.installer.stat().st_size),
            sha256_of(args.installer)] in rows, "no row with the file, its size and its SHA-256"
    command = "    %s modest quiet log=" % args.installer.name
    assert command in text, "no install command %r" % command.strip()
    returns = {int(row[0]): row[1:] for row in rows if row[0].isdigit()}
    wanted = {code.code: [exit_codes.TOOL_KINDS[code.tool_kind], code.meaning] for code in exit_codes.read()}
    assert returns == wanted, "return codes %s, expected the program's %s" % (returns, wanted)
    minimum = args.pack_version if args.pack_version >= 0 else args.pack_version + 2**32
    rule = {"Rule type": "Registry", "Value name": args.pack_file + " version", "Data type": "Integer (REG_DWORD)",
            "Operator": "Greater than or equal to", "Value": str(minimum),
            "Key path": r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Nimbra"}
    settings = {row[0]: row[1] for row in rows if len(row) == 2}
    for name, value in rule.items():
        assert settings.get(name) == value, "detection rule: %s is %r, expected %r" % (name, settings.get(name), value)
    assert settings.get("Associated with a 32-bit app on 64-bit clients", "").startswith("No"), \
        "the detection rule does not say the value is in the 64-bit view"
    return "%d return codes; detection: %s >= %s" % (len(returns), rule["Value name"], minimum)


def check_readme(args):
    text = args.readme.read_text("utf-8")
    section = text[text.index("### Exit codes"):]
    section = section[:section.index("\n\n", section.index("| Code |"))]
    listed = [int(row[0]) for row in table_rows(section) if row[0].isdigit()]
    codes = [code.code for code in exit_codes.read()]
    assert sorted(listed) == sorted(codes), "the README lists %s; the program has %s" % (listed, codes)
    return "the README's table lists %s" % ", ".join(map(str, listed))


CHECKS = {
    "WingetManifestFollowsItsSchema": check_manifest_schema,
    "WingetManifestDescribesThisInstaller": check_manifest_facts,
    "DeploymentDescriptionDescribesThisInstaller": check_description,
    "ReadmeListsTheProgramsExitCodes": check_readme,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("installer", type=Path)
    parser.add_argument("--pack-file", required=True)
    parser.add_argument("--pack-key", required=True)
    parser.add_argument("--pack-version", type=int, required=True)
    parser.add_argument("--version", required=True, help="the project version, X.Y.Z")
    parser.add_argument("--readme", type=Path, default=Path(__file__).resolve().parents[1] / "README.md")
    parser.add_argument("checks", nargs="*", metavar="CHECK", help="any of: " + ", ".join(CHECKS))
    args = parser.parse_intermixed_args()
    unknown = [name for name in args.checks if name not in CHECKS]
    if unknown:
        parser.error("unknown checks: " + ", ".join(unknown))
    failed = 0
    for name in args.checks or CHECKS:
        try:
            print("ok      %s: %s" % (name, CHECKS[name](args)))
        except (AssertionError, OSError, ValueError, KeyError, TypeError) as problem:
            print("FAILED  %s: %s" % (name, problem or type(problem).__name__))
            failed += 1
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Signs a copy of the built installer as a vendor would (scripts/sign.sh),
with a throwaway self-signed certificate made by openssl, and checks it:
osslsigncode verifies the signature, the copy still carries the pack byte for
byte and has a deployment kit of its own, the built installer and its kit are
unchanged, and bad signing requests are refused with a clear message and
leave no file.

    check_signed_copy.py INSTALLER --pack PACK --pack-file NAME --pack-key KEY
                         --pack-version N --version X.Y.Z --out DIR

Leaves DIR/nimbra-pack-update.exe, the signed copy, for the end-to-end test
that runs it under Wine. Prints one line a check; exits 1 when any failed.
"""

import argparse
import hashlib
import shutil
import subprocess
import sys
from pathlib import Path

SOURCE_DIR = Path(__file__).resolve().parents[2]
SIGN = SOURCE_DIR / "scripts" / "sign.sh"
sys.path.insert(0, str(SOURCE_DIR / "scripts"))
import check_deployment_kit  # noqa: E402
import check_installer  # noqa: E402
from deployment_kit import kit_paths  # noqa: E402


def run(*command):
    return subprocess.run([str(part) for part in command], capture_output=True, text=True)


def sign(args, *options, signed):
    return run("bash", SIGN, *options, args.installer, signed)


def make_certificate(work):
    cert, key = work / "cert.pem", work / "key.pem"
    made = run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256", "-days", "2",
               "-subj", "/CN=Nimbra test signer", "-addext", "extendedKeyUsage=codeSigning",
               "-keyout", key, "-out", cert)
    assert made.returncode == 0, "openssl: " + made.stderr
    return cert, key


def check_signed_copy(args, cert, key):
    signed = args.out / "nimbra-pack-update.exe"
    signing = sign(args, "--cert", cert, "--key", key, signed=signed)
    assert signing.returncode == 0, "sign.sh failed: " + signing.stderr
    verify = run("osslsigncode", "verify", "-CAfile", cert, "-in", signed)
    print(verify.stdout.rstrip())
    assert verify.returncode == 0, "osslsigncode verify failed: " + verify.stderr
    for needed in ("Signature verification: ok", "Subject: /CN=Nimbra test signer",
                   "Text description: Nimbra sound pack update"):
        assert needed in verify.stdout, "osslsigncode verify does not say " + needed
    image = check_installer.PeImage(signed.read_bytes())
    return "verified; " + check_installer.check_carries_pack(image, args)


def check_kits(args, cert, key):
    """The signed copy's kit names the signed file; the built one's still the built file."""
    signed = args.out / "nimbra-pack-update.exe"
    for installer in (signed, args.installer):
        facts = argparse.Namespace(**{**vars(args), "installer": installer})
        for check in (check_deployment_kit.check_manifest_schema, check_deployment_kit.check_manifest_facts,
                      check_deployment_kit.check_description):
            try:
                check(facts)
            except (AssertionError, OSError, ValueError, KeyError) as problem:
                raise AssertionError("the kit of %s: %s" % (installer, problem)) from None
    return "each names its own file's SHA-256"


def check_bad_requests(args, cert, key):
    refused_to = args.out / "refused.exe"
    cases = [
        (["--cert", cert], "either with --pkcs12 FILE or with --cert FILE and --key FILE"),
        (["--cert", cert, "--key", args.out / "missing.pem"], "missing.pem: no such file"),
        (["--cert", cert, "--key", cert], "signing failed"),  # no private key in it
        (["--timestamp"], "usage:"),
    ]
    for options, message in cases:
        refused = sign(args, *options, signed=refused_to)
        assert refused.returncode != 0, "sign.sh %s succeeded" % options
        assert message in refused.stderr, "sign.sh %s: no %r in %r" % (options, message, refused.stderr)
        left = [path for path in (refused_to, Path(str(refused_to) + ".partial"), *kit_paths(refused_to))
                if path.exists()]
        assert not left, "sign.sh %s left %s" % (options, left)
    overwrite = sign(args, "--cert", cert, "--key", key, signed=args.installer)
    assert overwrite.returncode != 0 and "the built installer stays unsigned" in overwrite.stderr, \
        "sign.sh signed the built installer in place: " + overwrite.stderr
    return "%d bad requests refused, no file left" % (len(cases) + 1)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("installer", type=Path)
    parser.add_argument("--pack", required=True, help="the pack the installer carries")
    parser.add_argument("--pack-file", required=True, help="the pack's file name: resource name.type")
    parser.add_argument("--pack-key", required=True)
    parser.add_argument("--pack-version", type=int, required=True)
    parser.add_argument("--version", required=True, help="the project version, X.Y.Z")
    parser.add_argument("--out", type=Path, required=True, help="folder for the certificate and the signed copy")
    args = parser.parse_args()

    shutil.rmtree(args.out, ignore_errors=True)
    args.out.mkdir(parents=True)
    built = hashlib.sha256(args.installer.read_bytes()).hexdigest()
    failed = 0
    try:
        cert, key = make_certificate(args.out)
        for name, check in (("SignedCopyVerifies", check_signed_copy), ("KitsOfBothCopies", check_kits),
                            ("BadRequestsRefused", check_bad_requests)):
            try:
                print("ok      %s: %s" % (name, check(args, cert, key)))
            except AssertionError as problem:
                print("FAILED  %s: %s" % (name, problem))
                failed += 1
    except AssertionError as problem:
        print("FAILED  certificate: %s" % problem)
        failed += 1
    unchanged = hashlib.sha256(args.installer.read_bytes()).hexdigest() == built
    print("%s BuiltInstallerUnchanged: SHA-256 %s" % ("ok     " if unchanged else "FAILED ", built))
    sys.exit(1 if failed or not unchanged else 0)


if __name__ == "__main__":
    main()

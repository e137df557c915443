#!/usr/bin/env python3
"""The carried pack: check a pack's header, record its checksum, or generate the placeholder pack.

A pack begins with the magic "dwix" and one version byte (pack version + 32).
The real pack belongs to Nimbra's makers; builds without it carry a placeholder
of the real pack's size, so that the installer behaves as it will in release.
The installer carries a record of the pack beside it (its resource PACKCHECK:
"C32C", the size and the CRC-32C, little-endian 32-bit each) and writes the
pack only when the bytes it carries match it.

    pack_tool.py check --version 6 [--stamp FILE] PACK
    pack_tool.py record PACK OUT
    pack_tool.py placeholder --version 6 --size 16582724 OUT

Standard library only: the build needs nothing beyond python3.
"""

import argparse
import hashlib
import os
import struct
import sys

MAGIC = b"dwix"
HEADER_SIZE = len(MAGIC) + 1


def expected_header(version):
    return MAGIC + bytes([version + 32])


def describe(header):
    """Bytes as the reader knows them from the docs: "dwix" 0x26."""
    text = header[: len(MAGIC)]
    shown = '"' + "".join(chr(b) if 0x20 <= b < 0x7F and b != 0x22 else "\\x%02x" % b for b in text) + '"'
    if len(header) > len(MAGIC):
        shown += " 0x%02x" % header[len(MAGIC)]
    if len(header) < HEADER_SIZE:
        shown += " (file of %d bytes)" % len(header)
    return shown


def version_type(text):
    version = int(text, 0)
    # The version byte holds version + 32.
    if not -32 <= version <= 223:
        raise argparse.ArgumentTypeError("pack version %d does not fit the version byte (-32 to 223)" % version)
    return version


def check(args):
    try:
        with open(args.pack, "rb") as pack:
            header = pack.read(HEADER_SIZE)
    except OSError as error:
        sys.exit("pack %s cannot be read: %s" % (args.pack, error.strerror))
    want = expected_header(args.version)
    if header != want:
        sys.exit("pack %s: its header is %s, expected %s (pack version %d)"
                 % (args.pack, describe(header), describe(want), args.version))
    if args.stamp:
        with open(args.stamp, "w") as stamp:
            stamp.write("%s %d\n" % (os.path.abspath(args.pack), args.version))


RECORD_TAG = b"C32C"
CRC32C_POLYNOMIAL = 0x82F63B78  # reflected Castagnoli


def crc32c_table():
    table = []
    for byte in range(256):
        crc = byte
        for _ in range(8):
            crc = (crc >> 1) ^ CRC32C_POLYNOMIAL if crc & 1 else crc >> 1
        table.append(crc)
    return table


def crc32c(data, table=crc32c_table()):
    crc = 0xFFFFFFFF
    for byte in data:
        crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8)
    return crc ^ 0xFFFFFFFF


def pack_record(data):
    """The 12 bytes of the PACKCHECK resource for the pack data."""
    if len(data) > 0xFFFFFFFF:
        raise ValueError("%d bytes: a pack must be smaller than 4 GiB" % len(data))
    return RECORD_TAG + struct.pack("<II", len(data), crc32c(data))


def record(args):
    # Without the record the installer refuses to write the pack: a build
    # that cannot make it must stop here, not ship an installer that never works.
    try:
        with open(args.pack, "rb") as pack:
            data = pack.read()
        written = pack_record(data)
    except (OSError, ValueError) as error:
        sys.exit("pack %s: no checksum: %s" % (args.pack, getattr(error, "strerror", None) or error))
    partial = args.out + ".partial"
    with open(partial, "wb") as out:
        out.write(written)
    os.replace(partial, args.out)


def placeholder(args):
    header = expected_header(args.version)
    if args.size < len(header):
        sys.exit("placeholder size %d is smaller than the pack header" % args.size)
    # SHAKE-256 is fixed by FIPS 202: the same bytes on every machine and Python
    # version, so that two builds carry the same placeholder.
    seed = b"Nimbra placeholder pack, version %d" % args.version
    filler = hashlib.shake_256(seed).digest(args.size - len(header))
    partial = args.out + ".partial"
    with open(partial, "wb") as out:
        out.write(header)
        out.write(filler)
    os.replace(partial, args.out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)

    check_parser = commands.add_parser("check", help="stop unless PACK starts with the header of the version")
    check_parser.add_argument("--version", type=version_type, required=True)
    check_parser.add_argument("--stamp", help="file written once the header matched")
    check_parser.add_argument("pack")
    check_parser.set_defaults(run=check)

    record_parser = commands.add_parser("record", help="write the PACKCHECK record of PACK to OUT")
    record_parser.add_argument("pack")
    record_parser.add_argument("out")
    record_parser.set_defaults(run=record)

    placeholder_parser = commands.add_parser("placeholder", help="write the placeholder pack to OUT")
    placeholder_parser.add_argument("--version", type=version_type, required=True)
    placeholder_parser.add_argument("--size", type=int, required=True)
    placeholder_parser.add_argument("out")
    placeholder_parser.set_defaults(run=placeholder)

    args = parser.parse_args()
    args.run(args)


if __name__ == "__main__":
    main()

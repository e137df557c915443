"""A Nimbra installation folder inside the prefix's drive C, built per test.

    install = NimbraInstallation(session, "C:\\nimbra-e2e\\ModestRun\\Nimbra", substitute)
    install.create(pack_version=5)            # nimbra.exe, language\\*.lng, dwix.cok (pack_name)
    install.windows_folder                    # "C:\\nimbra-e2e\\ModestRun\\Nimbra\\"
    install.pack_version()                    # version byte - 32, or None without a pack
"""

import json
import shutil
from pathlib import Path

FIXTURES = Path(__file__).resolve().parent.parent / "fixtures"

PACK_NAME = "dwix.cok"
PACK_MAGIC = b"dwix"
STARTED_LOG = "nimbra-started.log"


def pack_bytes(version, size=64):
    """A pack file: "dwix", the version byte (version + 32), then filler."""
    header = PACK_MAGIC + bytes([version + 32])
    filler = bytes((i * 7 + 3) & 0xFF for i in range(max(size - len(header), 0)))
    return (header + filler)[:max(size, 0)]


def language_file(entries, preamble="", encoding="cp1252"):
    """The bytes of a language file: entries is a list of (key, [value lines]),
    each followed by a blank line; lines end with CR LF."""
    lines = [preamble] if preamble else []
    for key, values in entries:
        lines.append("[%s]" % key)
        lines.extend(values)
        lines.append("")
    return "".join(line + "\r\n" for line in lines).encode(encoding)


def fixture_language(name):
    """The committed sample file language/<name>, as bytes."""
    return (FIXTURES / "language" / name).read_bytes()


def read_json_lines(path):
    if not Path(path).exists():
        return []
    return [json.loads(line) for line in Path(path).read_text("ascii").splitlines() if line.strip()]


class NimbraInstallation:
    def __init__(self, session, windows_folder, substitute, pack_name=PACK_NAME):
        self.session = session
        self.pack_name = pack_name
        self.windows_folder = windows_folder.rstrip("\\") + "\\"
        self.folder = session.unix_path(self.windows_folder)
        self.substitute = Path(substitute)

    def create(self, nimbra=True, languages=("english.lng", "russian.lng"), pack_version=None, pack_size=64):
        """Lays the folder out afresh. languages names committed sample files;
        pack_version None installs no pack."""
        shutil.rmtree(self.folder, ignore_errors=True)
        self.folder.mkdir(parents=True)
        if nimbra:
            shutil.copyfile(self.substitute, self.folder / "nimbra.exe")
        if languages is not None:
            (self.folder / "language").mkdir()
            for name in languages:
                self.write_language(name, fixture_language(name))
        if pack_version is not None:
            self.write_pack(pack_version, pack_size)
        return self

    def path(self, relative):
        return self.folder / relative

    def windows_path(self, relative):
        return self.windows_folder + relative.replace("/", "\\")

    def write_language(self, name, data):
        (self.folder / "language").mkdir(exist_ok=True)
        (self.folder / "language" / name).write_bytes(data)

    def write_pack(self, version, size=64):
        self.path(self.pack_name).write_bytes(pack_bytes(version, size))

    def pack(self):
        """The bytes of the installed pack, or None."""
        path = self.path(self.pack_name)
        return path.read_bytes() if path.exists() else None

    def pack_version(self):
        data = self.pack()
        if data is None:
            return None
        return (data[4] if len(data) > 4 else 0) - 32

    def starts(self):
        """Each ordinary start of nimbra.exe from this folder: the "started"
        records, with "command_line" and "cwd" (wide text) and their *_hex bytes."""
        return read_json_lines(self.path(STARTED_LOG))

    def size_kib(self):
        """The size of all files of the folder tree in whole KiB."""
        return sum(p.stat().st_size for p in self.folder.rglob("*") if p.is_file()) >> 10

"""Registry values of the Wine prefix, set and read exactly.

Values are written by importing a Unicode .reg file and read by exporting one
(reg import / reg export), so texts survive in any code page. Everything goes
through the 64-bit view; the 32-bit view of HKLM\\Software is reached through
its explicit WOW6432Node path, as on 64-bit Windows.
"""

import re
import uuid
from dataclasses import dataclass

from . import wine as wine_module

HKCU = "HKEY_CURRENT_USER"
HKLM = "HKEY_LOCAL_MACHINE"

PRODUCT_KEY = HKCU + r"\Software\Tarvel\Nimbra"
UNINSTALL_KEY = HKLM + r"\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nimbra"
UNINSTALL_KEY_32 = HKLM + r"\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Nimbra"

REG_SZ = "REG_SZ"
REG_EXPAND_SZ = "REG_EXPAND_SZ"
REG_DWORD = "REG_DWORD"
REG_BINARY = "REG_BINARY"


@dataclass(frozen=True)
class Value:
    type: str
    data: object  # str for the string types, int for REG_DWORD, bytes otherwise


def _quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def _hex_list(data):
    return ",".join("%02x" % b for b in data)


def _value_line(name, value):
    if value is None:
        return _quote(name) + "=-"
    if value.type == REG_SZ:
        return _quote(name) + "=" + _quote(value.data)
    if value.type == REG_DWORD:
        return _quote(name) + "=dword:%08x" % value.data
    if value.type == REG_EXPAND_SZ:
        return _quote(name) + "=hex(2):" + _hex_list((value.data + "\0").encode("utf-16-le"))
    if value.type == REG_BINARY:
        return _quote(name) + "=hex:" + _hex_list(value.data)
    raise ValueError("unsupported type " + value.type)


class RegistryBatch:
    """Changes collected and applied together: key deletions first, then
    the values by one import."""

    def __init__(self):
        self._sections = []
        self.deleted_keys = []

    def delete_key(self, key):
        """The key with all it holds. (reg import leaves HKLM keys of a
        "[-key]" section in place under Wine, so this is a reg delete.)"""
        self.deleted_keys.append(key)
        return self

    def set(self, key, name, value):
        self._sections.append("[%s]\r\n%s" % (key, _value_line(name, value)))
        return self

    def set_string(self, key, name, text):
        return self.set(key, name, Value(REG_SZ, text))

    def set_dword(self, key, name, number):
        return self.set(key, name, Value(REG_DWORD, number))

    def delete_value(self, key, name):
        return self.set(key, name, None)

    def has_values(self):
        return bool(self._sections)

    def text(self):
        return "Windows Registry Editor Version 5.00\r\n\r\n" + "\r\n\r\n".join(self._sections) + "\r\n\r\n"


_LINE = re.compile(r'^(?:"((?:[^"\\]|\\.)*)"|@)=(.*)$')


def _unquote(text):
    return re.sub(r"\\(.)", r"\1", text)


def _parse_data(raw):
    if raw.startswith('"') and raw.endswith('"'):
        return Value(REG_SZ, _unquote(raw[1:-1]))
    if raw.startswith("dword:"):
        return Value(REG_DWORD, int(raw[6:], 16))
    kind, _, digits = raw.partition(":")
    data = bytes(int(part, 16) for part in digits.replace("\\", "").split(",") if part.strip())
    if kind == "hex(2)":
        return Value(REG_EXPAND_SZ, data.decode("utf-16-le").rstrip("\0"))
    if kind == "hex":
        return Value(REG_BINARY, data)
    return Value(kind, data)


def parse_export(text, key):
    """The values of key (not of its subkeys) in the text of a .reg export."""
    values = {}
    section = None
    pending = ""
    for line in text.splitlines():
        if pending:
            line = pending + line.strip()
            pending = ""
        if line.endswith("\\") and not line.startswith("["):
            pending = line[:-1]
            continue
        if line.startswith("["):
            section = line.strip()[1:-1]
            continue
        if section is None or section.lower() != key.lower():
            continue
        match = _LINE.match(line)
        if match:
            name = _unquote(match.group(1)) if match.group(1) is not None else ""
            values[name] = _parse_data(match.group(2))
    return values


class Registry:
    def __init__(self, session):
        self.session = session

    def apply(self, batch):
        for key in batch.deleted_keys:
            # Exit code 1 for a key that is not there: nothing to do.
            self.session.run("reg", ["delete", key, "/f", "/reg:64"])
        if not batch.has_values():
            return
        path = self._scratch_file()
        path.write_bytes(b"\xff\xfe" + batch.text().encode("utf-16-le"))
        result = self.session.run("reg", ["import", self.session.windows_path(path), "/reg:64"])
        path.unlink()
        if result.returncode != 0:
            raise wine_module.WineError("reg import failed: " + batch.text())

    def values(self, key):
        """All values of the key, or None when the key does not exist."""
        path = self._scratch_file()
        result = self.session.run("reg", ["export", key, self.session.windows_path(path), "/reg:64", "/y"])
        raw = path.read_bytes() if path.exists() else b""
        path.unlink(missing_ok=True)
        if result.returncode != 0:
            return None
        text = raw[2:].decode("utf-16-le") if raw.startswith(b"\xff\xfe") else raw.decode("latin-1")
        return parse_export(text, key)

    def _scratch_file(self):
        # A name of its own: tests in other prefixes share the work folder.
        return self.session.work_dir / ("registry-%s.reg" % uuid.uuid4().hex)

    def value(self, key, name):
        """The value, or None when it or its key does not exist."""
        return (self.values(key) or {}).get(name)

    def reset_nimbra(self):
        """Removes every key of Nimbra that the installer reads or writes."""
        self.apply(RegistryBatch().delete_key(PRODUCT_KEY).delete_key(UNINSTALL_KEY).delete_key(UNINSTALL_KEY_32))

"""The few parts of a 32-bit Windows executable (PE image) that the
installer's checks and its deployment kit read: sections, imports, resources,
version information. Standard library only, so that nothing depends on the
binutils at hand."""

import struct

PE32_MAGIC = 0x010B
DIR_IMPORT, DIR_RESOURCE, DIR_BASERELOC, DIR_DELAY_IMPORT = 1, 2, 5, 13
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24


class PeImage:
    """The few parts of a 32-bit PE image that the checks look at."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, self.timestamp, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        if self.magic != PE32_MAGIC:
            raise ValueError("not a 32-bit PE image (optional header magic 0x%04x)" % self.magic)
        self.section_alignment, self.file_alignment = struct.unpack_from("<II", data, optional + 32)
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, optional + 68)
        count = struct.unpack_from("<I", data, optional + 92)[0]
        self.directories = [struct.unpack_from("<II", data, optional + 96 + 8 * i) for i in range(count)]
        self.sections = []
        self.raw_sizes = []
        for i in range(sections):
            name, virtual_size, rva, raw_size, raw_offset = struct.unpack_from(
                "<8sIIII", data, optional + optional_size + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("ascii", "replace"), rva,
                                  max(virtual_size, raw_size), raw_offset))
            self.raw_sizes.append(raw_size)

    def offset(self, rva):
        for _, start, size, raw_offset in self.sections:
            if start <= rva < start + size:
                return raw_offset + rva - start
        raise ValueError("RVA 0x%x lies in no section" % rva)

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def c_string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii", "replace")

    def imported_dlls(self):
        """Every DLL the image names: loaded at start, then delay-loaded."""
        return self.static_imports() + self.delay_imports()

    def _import_descriptors(self):
        """Each import descriptor of the image: (lookup table, _, _, name, address table) RVAs."""
        rva, _ = self.directory(DIR_IMPORT)
        while rva:
            descriptor = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if not any(descriptor):
                return
            yield descriptor
            rva += 20

    def static_imports(self):
        """The DLLs the loader loads before the program's first instruction."""
        return [self.c_string(descriptor[3]) for descriptor in self._import_descriptors()]

    def imported_functions(self):
        """The names of the functions imported at start (ordinals as "#n")."""
        names = []
        for descriptor in self._import_descriptors():
            thunk = descriptor[0] or descriptor[4]
            while True:
                entry = struct.unpack_from("<I", self.data, self.offset(thunk))[0]
                if not entry:
                    break
                names.append("#%d" % (entry & 0xFFFF) if entry & 0x80000000 else self.c_string(entry + 2))
                thunk += 4
        return names

    def delay_imports(self):
        dlls = []
        rva, _ = self.directory(DIR_DELAY_IMPORT)
        while rva:
            descriptor = struct.unpack_from("<8I", self.data, self.offset(rva))
            if not any(descriptor):
                break
            dlls.append(self.c_string(descriptor[1]))
            rva += 32
        return dlls

    def resources(self):
        """{(type, name, language): bytes}; string keys as str, numeric ones as int."""
        base_rva, _ = self.directory(DIR_RESOURCE)
        found = {}
        if not base_rva:
            return found
        base = self.offset(base_rva)

        def key(name_field):
            if name_field & 0x80000000:
                at = base + (name_field & 0x7FFFFFFF)
                length = struct.unpack_from("<H", self.data, at)[0]
                return self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            return name_field

        def walk(offset, path):
            named, numbered = struct.unpack_from("<HH", self.data, base + offset + 12)
            for i in range(named + numbered):
                name_field, target = struct.unpack_from("<II", self.data, base + offset + 16 + 8 * i)
                if target & 0x80000000:
                    walk(target & 0x7FFFFFFF, path + (key(name_field),))
                else:
                    data_rva, size = struct.unpack_from("<II", self.data, base + target)
                    start = self.offset(data_rva)
                    found[path + (key(name_field),)] = self.data[start:start + size]

        walk(0, ())
        return found


def version_strings(block):
    """Walks a VS_VERSIONINFO tree: (file version numbers, {string name: value})."""
    numbers = None
    strings = {}

    def walk(at, end, depth):
        nonlocal numbers
        while at + 6 <= end:
            length, value_length, kind = struct.unpack_from("<HHH", block, at)
            if length == 0:
                break
            key_end = at + 6
            while block[key_end:key_end + 2] != b"\0\0":
                key_end += 2
            name = block[at + 6:key_end].decode("utf-16-le")
            value_at = (key_end + 2 + 3) & ~3
            if name == "VS_VERSION_INFO" and value_length >= 52:
                signature, _, ms, ls = struct.unpack_from("<IIII", block, value_at)
                if signature == 0xFEEF04BD:
                    numbers = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
            value_size = value_length * 2 if kind == 1 else value_length
            if kind == 1 and depth >= 3:
                strings[name] = block[value_at:value_at + value_size].decode("utf-16-le").rstrip("\0")
            children = (value_at + value_size + 3) & ~3
            walk(children, at + length, depth + 1)
            at = (at + length + 3) & ~3

    walk(0, len(block), 0)
    return numbers, strings


def version_info(image):
    """(file version numbers, {string name: value}) of the image's one VERSIONINFO."""
    blocks = [data for (kind, _, _), data in image.resources().items() if kind == RT_VERSION]
    if len(blocks) != 1:
        raise ValueError("expected one VERSIONINFO, found %d" % len(blocks))
    return version_strings(blocks[0])

#!/usr/bin/env python3
"""Reads what the release checks need from a Windows program file, without running it.

  peinfo.py delay-imports EXE     the DLLs it delay-loads, one a line
  peinfo.py imports EXE           every imported function: "dll<TAB>function<TAB>import|delay"
                                  (an import by ordinal as "#n")
  peinfo.py versions EXE          the PE header's "os=MAJOR.MINOR" and "subsystem=MAJOR.MINOR"
  peinfo.py manifest EXE          the text of its RT_MANIFEST resource 1
  peinfo.py version EXE           its VERSIONINFO: "FileVersion=..." and the other strings
  peinfo.py file-version EXE      the fixed file version, e.g. 4.0.0.0
  peinfo.py delay-slots EXE       each delay-loaded function's IAT slot: "dll<TAB>function<TAB>address",
                                  and exits 1 when one does not point into an executable section
                                  of the image (the load thunk a first call goes through)

The GNU linker leaves the delay-import directory entry of the PE header empty (the mingw-w64
delay-load helper does not need it), so delay-import descriptors are found by their shape:
attributes 1 (RVAs), then RVAs of the DLL name, the module handle, the address table and the
name table, all inside the image, the name being a DLL file name.
"""
import re
import struct
import sys

RT_VERSION = 16
RT_MANIFEST = 24


class Image:
    def __init__(self, path):
        with open(path, 'rb') as f:
            self.data = f.read()
        if self.data[:2] != b'MZ':
            raise SystemExit(f'{path}: not a Windows program')
        pe = struct.unpack_from('<I', self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b'PE\0\0':
            raise SystemExit(f'{path}: no PE header')
        count, optional_size = struct.unpack_from('<H12xH', self.data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from('<H', self.data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.pe32_plus = magic == 0x20B
        self.image_base = struct.unpack_from('<Q' if self.pe32_plus else '<I', self.data,
                                             optional + (24 if self.pe32_plus else 28))[0]
        self.size_of_image = struct.unpack_from('<I', self.data, optional + 56)[0]
        # Same offsets in PE32 and PE32+: the wider ImageBase takes the place of BaseOfData.
        self.os_version = struct.unpack_from('<HH', self.data, optional + 40)
        self.subsystem_version = struct.unpack_from('<HH', self.data, optional + 48)
        self.import_rva = struct.unpack_from('<I', self.data, directories + 1 * 8)[0]
        self.resource_rva, self.resource_size = struct.unpack_from('<II', self.data, directories + 2 * 8)
        self.sections = []
        self.executable = []
        table = optional + optional_size
        for i in range(count):
            name, vsize, rva, raw_size, raw = struct.unpack_from('<8sIIII', self.data, table + 40 * i)
            self.sections.append((name.rstrip(b'\0').decode(), rva, max(vsize, raw_size), raw, raw_size))
            if struct.unpack_from('<I', self.data, table + 40 * i + 36)[0] & 0x20000000:  # MEM_EXECUTE
                self.executable.append((rva, max(vsize, raw_size)))

    def offset(self, rva):
        for _, start, size, raw, raw_size in self.sections:
            if start <= rva < start + size and rva - start < raw_size:
                return raw + rva - start
        return None

    def c_string(self, rva, limit=260):
        at = self.offset(rva)
        if at is None:
            return None
        end = self.data.find(b'\0', at, at + limit)
        return None if end < 0 else self.data[at:end]

    def thunk_names(self, table_rva):
        """The function names of an import name table: "name", or "#n" for an ordinal."""
        size, ordinal_flag = (8, 1 << 63) if self.pe32_plus else (4, 1 << 31)
        names = []
        at = self.offset(table_rva)
        while at is not None:
            thunk = struct.unpack_from('<Q' if self.pe32_plus else '<I', self.data, at)[0]
            if thunk == 0:
                break
            if thunk & ordinal_flag:
                names.append(f'#{thunk & 0xFFFF}')
            else:
                name = self.c_string((thunk & 0x7FFFFFFF) + 2, 512)  # after the 2-byte hint
                if name is None:
                    raise SystemExit(f'import name at RVA {thunk:#x} is outside the file')
                names.append(name.decode())
            at += size
        return names

    def imports(self):
        """(dll, function) of each ordinary import, in the order of the import directory."""
        found = []
        at = self.offset(self.import_rva) if self.import_rva else None
        while at is not None:
            lookup, _, _, name, address = struct.unpack_from('<5I', self.data, at)
            if name == 0:
                break
            dll = self.c_string(name).decode()
            for function in self.thunk_names(lookup or address):
                found.append((dll, function))
            at += 20
        return found

    def delay_import_functions(self):
        """(dll, function) of each delay-loaded import."""
        return [(dll, function) for dll, table in self.delay_descriptors() for function in self.thunk_names(table)]

    def delay_imports(self):
        return [dll for dll, _ in self.delay_descriptors()]

    def delay_slots(self):
        """(dll, function, address in its IAT slot, whether that is in an executable section)."""
        form, size = ('<Q', 8) if self.pe32_plus else ('<I', 4)
        found = []
        for dll, table, iat in self.delay_descriptors(with_iat=True):
            for i, function in enumerate(self.thunk_names(table)):
                slot = struct.unpack_from(form, self.data, self.offset(iat) + i * size)[0]
                rva = slot - self.image_base
                found.append((dll, function, slot, any(start <= rva < start + n for start, n in self.executable)))
        return found

    def delay_descriptors(self, with_iat=False):
        """(dll, RVA of its name table[, RVA of its address table]) of each delay-import descriptor."""
        names = []
        for _, start, size, raw, raw_size in self.sections:
            for at in range(raw, raw + raw_size - 32 + 1, 4):
                attrs, name, hmod, iat, int_, bound, unload, stamp = struct.unpack_from('<8I', self.data, at)
                if attrs != 1 or stamp != 0:
                    continue
                if not all(0 < rva < self.size_of_image for rva in (name, hmod, iat, int_)):
                    continue
                text = self.c_string(name)
                if text and re.fullmatch(rb'[A-Za-z0-9_.-]+\.(dll|drv|DLL|DRV)', text):
                    names.append((text.decode(), int_, iat) if with_iat else (text.decode(), int_))
        return names

    def resources(self, wanted_type):
        """(id, language, bytes) of each resource of this type."""
        base = self.offset(self.resource_rva)
        if base is None:
            return []

        def entries(directory):
            named, numbered = struct.unpack_from('<12xHH', self.data, base + directory)
            for i in range(named + numbered):
                key, target = struct.unpack_from('<II', self.data, base + directory + 16 + 8 * i)
                yield key, target

        found = []
        for type_key, type_dir in entries(0):
            if type_key != wanted_type or not type_dir & 0x80000000:
                continue
            for id_key, id_dir in entries(type_dir & 0x7FFFFFFF):
                for language, leaf in entries(id_dir & 0x7FFFFFFF):
                    rva, size = struct.unpack_from('<II', self.data, base + leaf)
                    at = self.offset(rva)
                    found.append((id_key, language, self.data[at:at + size]))
        return found


def version_strings(block):
    """The name=value pairs of a VERSIONINFO's string tables (UTF-16)."""
    text = block.decode('utf-16-le', errors='replace')
    pairs = {}
    for key in ('CompanyName', 'FileDescription', 'FileVersion', 'InternalName', 'LegalCopyright',
                'OriginalFilename', 'ProductName', 'ProductVersion'):
        match = re.search(key + r'\x00+([^\x00]*)', text)
        if match:
            pairs[key] = match.group(1)
    return pairs


def fixed_version(block):
    at = block.find(struct.pack('<I', 0xFEEF04BD))
    if at < 0:
        return None
    ms, ls = struct.unpack_from('<II', block, at + 8)
    return f'{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}'


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    command, path = sys.argv[1:]
    image = Image(path)
    if command == 'delay-imports':
        for name in image.delay_imports():
            print(name)
    elif command == 'imports':
        for dll, function in image.imports():
            print(f'{dll.lower()}\t{function}\timport')
        for dll, function in image.delay_import_functions():
            print(f'{dll.lower()}\t{function}\tdelay')
    elif command == 'delay-slots':
        slots = image.delay_slots()
        for dll, function, slot, inside in slots:
            print(f'{dll.lower()}\t{function}\t{slot:#x}' + ('' if inside else '\toutside the program\'s code'))
        return 0 if slots and all(inside for *_, inside in slots) else 1
    elif command == 'versions':
        print('os=%d.%d' % image.os_version)
        print('subsystem=%d.%d' % image.subsystem_version)
    elif command == 'manifest':
        for key, _, data in image.resources(RT_MANIFEST):
            if key == 1:
                sys.stdout.write(data.decode('utf-8', errors='replace'))
    elif command in ('version', 'file-version'):
        blocks = image.resources(RT_VERSION)
        if not blocks:
            return 1
        if command == 'file-version':
            version = fixed_version(blocks[0][2])
            if not version:
                return 1
            print(version)
        else:
            for key, value in version_strings(blocks[0][2]).items():
                print(f'{key}={value}')
    else:
        raise SystemExit(__doc__)
    return 0


if __name__ == '__main__':
    sys.exit(main())

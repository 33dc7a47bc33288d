#!/usr/bin/python3
"""Checks the built Windows module, BrelvinBMPPixelate.dll, against what hosts rely on: the
export table (RasteroPixelate alone, at ordinal 1, in a module named BRELVINBMPPIXELATE.dll) and
every value of its resources (version block, type library, string table), all in English (United
States). Any difference fails the check.

    check-windows-module.py MODULE.dll               check the module
    check-windows-module.py --self-test MODULE.dll   also prove that a change of any checked
                                                     value in a copy of it fails the check
"""
import os
import struct
import sys
import tempfile
import uuid

import pefile

LANGUAGE = 0x0409
MODULE_NAME = b"BRELVINBMPPIXELATE.dll"
EXPORT_NAME = b"RasteroPixelate"

FIXED_VERSION = {
    "Signature": 0xFEEF04BD,
    "StrucVersion": 0x00010000,
    "FileVersionMS": 0x00010000,
    "FileVersionLS": 0x00000001,
    "ProductVersionMS": 0x00010000,
    "ProductVersionLS": 0x00000001,
    "FileFlagsMask": 0x3F,
    "FileFlags": 0,
    "FileOS": 4,
    "FileType": 2,
    "FileSubtype": 0,
    "FileDateMS": 0,
    "FileDateLS": 0,
}
STRING_FILE_INFO = [
    (b"CompanyName", b""),
    (b"FileDescription", b"BrelvinBMPPixelate DLL"),
    (b"FileVersion", b"1, 0, 0, 1"),
    (b"InternalName", b"BrelvinBMPPixelate"),
    (b"LegalTrademarks", b""),
    (b"OriginalFilename", b"BrelvinBMPPixelate.DLL"),
    (b"ProductName", b"BrelvinBMPPixelate Dynamic Link Library"),
    (b"ProductVersion", b"1, 0, 0, 1"),
    (b"OLESelfRegister", b""),
]
TRANSLATION = [(0x0409, 1200)]
STRINGS = {101: "Windows sockets initialization failed."}

TYPELIB_NAME = b"BrelvinBMPPixelate"
TYPELIB_GUID = "e2abee85-baf6-435f-b7d9-522161fbd6fe"
SYS_WIN32 = 1
# MSFT header fields: magic, then 20 integers; the segment directory follows (15 entries).
MSFT_HEADER = struct.Struct("<4s20i")
MSFT_SEGMENT = struct.Struct("<4i")
GUID_TABLE, NAME_TABLE, CUSTOM_DATA, CUSTOM_DATA_GUIDS = 5, 7, 11, 12


class Problems(list):
    def expect(self, what, have, want):
        if have != want:
            self.append(f"{what}: have {have!r}, want {want!r}")


def check_exports(pe, problems):
    directory = getattr(pe, "DIRECTORY_ENTRY_EXPORT", None)
    if directory is None:
        problems.append("no export directory")
        return
    problems.expect("module name", pe.get_string_at_rva(directory.struct.Name), MODULE_NAME)
    problems.expect("ordinal base", directory.struct.Base, 1)
    problems.expect("number of exported functions", directory.struct.NumberOfFunctions, 1)
    problems.expect("number of exported names", directory.struct.NumberOfNames, 1)
    exports = [(symbol.ordinal, symbol.name, symbol.forwarder) for symbol in directory.symbols]
    problems.expect("exports (ordinal, name, forwarder)", exports, [(1, EXPORT_NAME, None)])


def resource_tree(pe):
    """{type: {identifier: {language: (offset, size)}}}, with names for named entries."""
    tree = {}
    directory = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in directory.entries if directory else []:
        kind_key = str(kind.name) if kind.name is not None else kind.id
        for item in kind.directory.entries:
            item_key = str(item.name) if item.name is not None else item.id
            for language in item.directory.entries:
                data = language.data.struct
                tree.setdefault(kind_key, {}).setdefault(item_key, {})[language.id] = (
                    pe.get_offset_from_rva(data.OffsetToData), data.Size)
    return tree


def check_resource_layout(tree, problems):
    layout = {kind: {item: sorted(languages) for item, languages in items.items()} for kind, items in tree.items()}
    want = {
        "TYPELIB": {1: [LANGUAGE]},
        pefile.RESOURCE_TYPE["RT_STRING"]: {101 // 16 + 1: [LANGUAGE]},
        pefile.RESOURCE_TYPE["RT_VERSION"]: {1: [LANGUAGE]},
    }
    problems.expect("resources (type: identifier: languages)", layout, want)


def check_version(pe, problems):
    fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
    if not fixed:
        problems.append("no version block")
        return
    for field, want in FIXED_VERSION.items():
        problems.expect(f"version {field}", getattr(fixed[0], field), want)
    blocks = [info.Key for info in pe.FileInfo[0]]
    problems.expect("version blocks", blocks, [b"StringFileInfo", b"VarFileInfo"])
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            problems.expect("StringFileInfo blocks", [table.LangID for table in info.StringTable], [b"040904B0"])
            entries = list(info.StringTable[0].entries.items()) if info.StringTable else []
            problems.expect("StringFileInfo keys", [key for key, _ in entries], [key for key, _ in STRING_FILE_INFO])
            for (key, value), (_, want) in zip(entries, STRING_FILE_INFO):
                problems.expect(f"StringFileInfo {key.decode()}", value, want)
        elif info.Key == b"VarFileInfo":
            translations = [list(var.entry.items()) for var in info.Var]
            problems.expect("VarFileInfo", translations,
                            [[(b"Translation", " ".join(f"0x{word:04x}" for pair in TRANSLATION for word in pair))]])


def check_strings(data, offset, size, problems):
    strings, at, end = {}, offset, offset + size
    first = (101 // 16) * 16
    for index in range(16):
        if at + 2 > end:
            problems.append("string table block cut short")
            return
        (length,) = struct.unpack_from("<H", data, at)
        text = data[at + 2:at + 2 + 2 * length].decode("utf-16-le", "replace")
        at += 2 + 2 * length
        if length:
            strings[first + index] = text
    problems.expect("string table", strings, STRINGS)


def check_typelib(data, offset, size, problems):
    blob = data[offset:offset + size]
    if len(blob) < MSFT_HEADER.size + 15 * MSFT_SEGMENT.size or blob[:4] != b"MSFT":
        problems.append("type library is not in MSFT format")
        return
    (_, _, pos_guid, lcid, lcid2, varflags, version, flags, type_count, help_string, help_string_context,
     help_context, _, _, name_offset, help_file, custom_data, _, _, _, import_count) = MSFT_HEADER.unpack_from(blob)
    segments = [MSFT_SEGMENT.unpack_from(blob, MSFT_HEADER.size + i * MSFT_SEGMENT.size) for i in range(15)]
    problems.expect("type library locale", (lcid, lcid2), (LANGUAGE, LANGUAGE))
    problems.expect("type library system", varflags & 0xF, SYS_WIN32)
    problems.expect("type library version (major, minor)", (version & 0xFFFF, version >> 16), (1, 0))
    problems.expect("type library flags", flags, 0)
    problems.expect("type library types and imports", (type_count, import_count), (0, 0))
    problems.expect("type library help (string, file, contexts)",
                    (help_string, help_file, help_context, help_string_context), (-1, -1, 0, 0))
    problems.expect("type library custom data", (custom_data, segments[CUSTOM_DATA][1], segments[CUSTOM_DATA_GUIDS][1]),
                    (-1, 0, 0))
    guid_at = segments[GUID_TABLE][0] + pos_guid
    guid = blob[guid_at:guid_at + 16]
    have_guid = str(uuid.UUID(bytes_le=guid)) if len(guid) == 16 else None
    problems.expect("type library GUID", have_guid, TYPELIB_GUID)
    name_at = segments[NAME_TABLE][0] + name_offset
    name_length = blob[name_at + 8] if name_at + 8 < len(blob) else 0
    problems.expect("type library name", blob[name_at + 12:name_at + 12 + name_length], TYPELIB_NAME)


def problems_of(path):
    problems = Problems()
    try:
        pe = pefile.PE(path)
    except pefile.PEFormatError as error:
        return [f"not a PE file: {error}"]
    check_exports(pe, problems)
    tree = resource_tree(pe)
    check_resource_layout(tree, problems)
    check_version(pe, problems)
    data = pe.__data__
    strings = tree.get(pefile.RESOURCE_TYPE["RT_STRING"], {}).get(101 // 16 + 1, {}).get(LANGUAGE)
    if strings:
        check_strings(data, *strings, problems)
    typelib = tree.get("TYPELIB", {}).get(1, {}).get(LANGUAGE)
    if typelib:
        check_typelib(data, *typelib, problems)
    return problems


# Changes that the check must catch, each made in a copy of a good module: (name, old bytes, new
# bytes), the old bytes occurring exactly once in the module.
def utf16(text):
    return text.encode("utf-16-le")


def mutations(data):
    pe = pefile.PE(data=bytes(data))
    export = pe.DIRECTORY_ENTRY_EXPORT.struct
    fixed = pe.VS_FIXEDFILEINFO[0]
    tree = resource_tree(pe)
    typelib_at, _ = tree["TYPELIB"][1][LANGUAGE]

    def typelib_field(index):  # index into MSFT_HEADER's fields
        return typelib_at + 4 + 4 * (index - 1)
    language_entry = next(entry for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries if entry.name is not None)
    language_at = language_entry.directory.entries[0].directory.entries[0].struct.get_file_offset()

    def field(offset, fmt, value):
        return offset, struct.pack(fmt, value)

    yield "module name", pe.get_offset_from_rva(export.Name), b"BRELVINBMPPIXELATF.dll"
    yield "export name", pe.DIRECTORY_ENTRY_EXPORT.symbols[0].name_offset, b"RasteroPixelatf"
    yield "ordinal base", *field(export.get_field_absolute_offset("Base"), "<I", 2)
    yield "second export", *field(export.get_field_absolute_offset("NumberOfFunctions"), "<I", 2)
    for name, value in [("FileVersionLS", 2), ("ProductVersionMS", 0x00020000), ("FileFlagsMask", 0x3E),
                        ("FileFlags", 1), ("FileOS", 0x40004), ("FileType", 1), ("FileSubtype", 1), ("FileDateLS", 1)]:
        yield f"version {name}", *field(fixed.get_field_absolute_offset(name), "<I", value)
    yield "string block language", *find(data, utf16("040904B0"), utf16("040704B0"))
    yield "file description", *find(data, utf16("BrelvinBMPPixelate DLL"), utf16("BrelvinBMPPixelate DLM"))
    yield "key name", *find(data, utf16("OLESelfRegister"), utf16("OLESelfRegistes"))
    strings = pe.FileInfo[0][0].StringTable[0]
    yield "product version text", strings.entries_offsets[b"ProductVersion"][1], utf16("1, 0, 0, 2")
    yield "translation", *find(data, b"\x09\x04\xb0\x04", b"\x09\x04\xe4\x04")
    yield "string 101", *find(data, utf16("Windows sockets"), utf16("Windows sockett"))
    yield "resource language", *field(language_at, "<I", 0x0407)
    yield "type library locale", *field(typelib_field(3), "<i", 0x0407)
    yield "type library system", *field(typelib_field(5), "<i", 0x43)
    yield "type library version", *field(typelib_field(6), "<i", 0x00010001)
    yield "type library GUID", *find(data, uuid.UUID(TYPELIB_GUID).bytes_le, uuid.UUID(int=1).bytes_le)
    yield "type library name", *find(data, TYPELIB_NAME + b"WW", b"BrelvinBMPPixelatfWW")


def find(data, old, new):
    count = data.count(old)
    if count != 1:
        sys.exit(f"self-test: {old!r} occurs {count} times in the module, not once")
    return data.find(old), new


def self_test(path):
    data = bytearray(open(path, "rb").read())
    missed = []
    with tempfile.TemporaryDirectory() as folder:
        copy = os.path.join(folder, "BrelvinBMPPixelate.dll")
        for name, offset, new in mutations(data):
            changed = bytearray(data)
            changed[offset:offset + len(new)] = new
            open(copy, "wb").write(changed)
            if not problems_of(copy):
                missed.append(name)
    for name in missed:
        print(f"self-test: changing the {name} went unnoticed", file=sys.stderr)
    return not missed


def main(arguments):
    testing = arguments[:1] == ["--self-test"]
    paths = arguments[1:] if testing else arguments
    if len(paths) != 1:
        sys.exit(__doc__)
    problems = problems_of(paths[0])
    for problem in problems:
        print(f"{paths[0]}: {problem}", file=sys.stderr)
    if problems:
        return 1
    if testing and not self_test(paths[0]):
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/python3
"""Copies a compiled type library (MSFT format) without its custom data.

widl stamps every type library it writes with custom data of its own (its version, the time of
the build and a "Created by WIDL" text). The module's type library carries no custom data, and a
time stamp would make every build differ, so the build passes widl's output through here.

Only libraries that declare no types and import nothing are handled; anything else is refused,
since its other segments could point into the data removed here.

    typelib-without-custom-data.py INPUT.tlb OUTPUT.tlb
"""
import struct
import sys

HEADER = struct.Struct("<4s20i")  # magic, then the 20 integer fields up to nimpinfos
# Positions of the header fields used here.
POS_GUID, VAR_FLAGS, TYPE_COUNT, CUSTOM_DATA_OFFSET, IMPORT_COUNT = 2, 5, 8, 16, 20
SEGMENT = struct.Struct("<4i")  # offset, length, two reserved fields
SEGMENT_COUNT = 15
GUID_HASH, GUID_TABLE, CUSTOM_DATA, CUSTOM_DATA_GUIDS = 4, 5, 11, 12
GUID_ENTRY = struct.Struct("<16s2i")  # GUID, hreftype, offset of the next entry in its hash chain
HELP_DLL_FLAG = 0x100


def fail(message):
    sys.exit(f"typelib-without-custom-data: {message}")


def parse(data):
    fields = list(HEADER.unpack_from(data, 0))
    if fields[0] != b"MSFT":
        fail("not an MSFT type library")
    if fields[TYPE_COUNT] != 0 or fields[IMPORT_COUNT] != 0 or fields[VAR_FLAGS] & HELP_DLL_FLAG:
        fail("only libraries without types, imports or help DLL are handled")
    directory = HEADER.size
    segments = [list(SEGMENT.unpack_from(data, directory + i * SEGMENT.size)) for i in range(SEGMENT_COUNT)]
    return fields, directory, segments


def segment_bytes(data, segment):
    offset, length = segment[0], segment[1]
    return b"" if offset < 0 else data[offset:offset + length]


def library_guid_only(data, fields, segments):
    """The GUID table holding just the library's GUID, and a hash table that finds only it."""
    table = segment_bytes(data, segments[GUID_TABLE])
    library_at = fields[POS_GUID]
    guid, hreftype, _ = GUID_ENTRY.unpack_from(table, library_at)
    hash_slots = list(struct.unpack_from(f"<{segments[GUID_HASH][1] // 4}i", data, segments[GUID_HASH][0]))
    for slot, head in enumerate(hash_slots):
        chain, at = [], head
        while at >= 0 and at not in chain:
            chain.append(at)
            at = GUID_ENTRY.unpack_from(table, at)[2]
        hash_slots[slot] = 0 if library_at in chain else -1
    new_table = GUID_ENTRY.pack(guid, hreftype, -1)
    return struct.pack(f"<{len(hash_slots)}i", *hash_slots), new_table


def main(source, target):
    data = open(source, "rb").read()
    fields, directory, segments = parse(data)
    guid_hash, guid_table = library_guid_only(data, fields, segments)

    contents = [segment_bytes(data, segment) for segment in segments]
    contents[GUID_HASH], contents[GUID_TABLE] = guid_hash, guid_table
    contents[CUSTOM_DATA] = contents[CUSTOM_DATA_GUIDS] = b""

    fields[POS_GUID] = 0  # the library's GUID is now the only entry
    fields[CUSTOM_DATA_OFFSET] = -1
    body, at = b"", directory + SEGMENT_COUNT * SEGMENT.size
    for index, content in enumerate(contents):
        segments[index][0:2] = [at + len(body), len(content)] if content else [-1, 0]
        body += content
    out = HEADER.pack(*fields) + b"".join(SEGMENT.pack(*segment) for segment in segments) + body
    open(target, "wb").write(out)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])

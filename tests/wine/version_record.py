#!/usr/bin/python3
"""Reads a Windows program's version record back, as Explorer would, and holds
it against what the program says of itself.

Usage: version_record.py PROGRAM.exe VERSION [ORIGINAL-FILENAME DESCRIPTION]

The program's own file is "Miravel.exe" described as "Miravel"; the
installer names its own.

Debian's pefile reads the file: no code of ours parses it. Prints the record
and exits 1 naming every field that is not as it should be.
"""
import sys

import pefile

JAPANESE = 0x0411
UNICODE = 1200  # the code page of the string table


def fixed_version(text):
    """The four numbers Explorer compares, missing parts 0."""
    parts = [int(part) for part in text.split(".")] + [0, 0, 0]
    return tuple(parts[:4])


def record(pe):
    """The strings of each string table, keyed by the table's language block."""
    tables = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            if entry.Key == b"StringFileInfo":
                for table in entry.StringTable:
                    tables[table.LangID.decode()] = {
                        key.decode(): value.decode() for key, value in table.entries.items()
                    }
    return tables


def translations(pe):
    found = []
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            if entry.Key == b"VarFileInfo":
                for var in entry.Var:
                    # pefile gives the pairs as text: "0x0411 0x04b0".
                    for key, value in var.entry.items():
                        if key in (b"Translation", "Translation"):
                            numbers = [int(n, 16) for n in value.split()]
                            found.extend(zip(numbers[0::2], numbers[1::2]))
    return found


def main(program, version, original="Miravel.exe", description="Miravel"):
    pe = pefile.PE(program)
    problems = []
    expected = {
        "ProductName": "Miravel",
        "InternalName": "Miravel",
        "OriginalFilename": original,
        "FileDescription": description,
        "FileVersion": version,
        "ProductVersion": version,
    }
    block = f"{JAPANESE:04x}{UNICODE:04x}"
    tables = record(pe)
    print(f"string tables: {sorted(tables)}")
    strings = tables.get(block, {})
    for key, value in expected.items():
        print(f"{key}: {strings.get(key)!r}")
        if strings.get(key) != value:
            problems.append(f"{key} is {strings.get(key)!r}, not {value!r}")
    if list(tables) != [block]:
        problems.append(f"the string tables are {sorted(tables)}, not the one block {block}")

    found = translations(pe)
    print(f"translations: {[(hex(language), codepage) for language, codepage in found]}")
    if found != [(JAPANESE, UNICODE)]:
        problems.append(f"the translation is {found}, not Japanese with Unicode")

    fixed = pe.VS_FIXEDFILEINFO[0]
    numbers = {
        "FileVersion": (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                        fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF),
        "ProductVersion": (fixed.ProductVersionMS >> 16, fixed.ProductVersionMS & 0xFFFF,
                           fixed.ProductVersionLS >> 16, fixed.ProductVersionLS & 0xFFFF),
    }
    for key, value in numbers.items():
        print(f"fixed {key}: {value}")
        if value != fixed_version(version):
            problems.append(f"the fixed {key} is {value}, not {fixed_version(version)}")

    gui = pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]
    if pe.OPTIONAL_HEADER.Subsystem != gui:
        problems.append(f"subsystem {pe.OPTIONAL_HEADER.Subsystem}: a console would open with the window")
    if pe.FILE_HEADER.Machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]:
        problems.append("not a 64-bit x86 program")

    for problem in problems:
        print(f"version_record: {program}: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) not in (3, 5):
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))

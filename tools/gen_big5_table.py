#!/usr/bin/env python3
"""Writes parser/big5_table.inc: for every cell of the Big5 double-byte plane
(lead A1-FE, trail 40-7E and A1-FE, 94 x 157 = 14,758 cells) the GB2312 code of
the same character in simplified form, or 0x2020 when there is none.

Sources, all from the system (Debian packages python3, libc6 and unicode-data):
  Big5 -> Unicode          Python's "cp950" codec, the Windows Big5 code page.
                           glibc iconv (both "BIG5" and "CP950") sends rows
                           C6A1-C8FE to the private use area, losing the kana,
                           Cyrillic and circled numbers that GB2312 has.
  traditional -> simplified Unihan kSimplifiedVariant
  Unicode -> GB2312        glibc iconv "GB2312" (strict EUC-CN, not GBK)

The build does not run this script; its output is committed.
Usage: tools/gen_big5_table.py [output path] [Unihan_Variants.txt(.bz2)]
"""

import bz2
import ctypes
import ctypes.util
import os
import sys

LEADS = range(0xA1, 0xFF)
TRAILS = list(range(0x40, 0x7F)) + list(range(0xA1, 0xFF))
CELLS = len(LEADS) * len(TRAILS)
NO_CODE = 0x2020
PER_LINE = 12

_libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
_libc.iconv_open.restype = ctypes.c_void_p
_libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
_libc.iconv.restype = ctypes.c_size_t
_libc.iconv.argtypes = [
    ctypes.c_void_p,
    ctypes.POINTER(ctypes.c_char_p),
    ctypes.POINTER(ctypes.c_size_t),
    ctypes.POINTER(ctypes.c_char_p),
    ctypes.POINTER(ctypes.c_size_t),
]
_libc.iconv_close.argtypes = [ctypes.c_void_p]


class Iconv:
    """One glibc iconv direction; convert() gives None when the input is
    not a complete, convertible text."""

    def __init__(self, to_code, from_code):
        self.cd = _libc.iconv_open(to_code.encode(), from_code.encode())
        if self.cd in (None, ctypes.c_void_p(-1).value):
            raise OSError(f"iconv_open({to_code}, {from_code}) failed")

    def convert(self, data):
        _libc.iconv(self.cd, None, None, None, None)
        inbuf = ctypes.create_string_buffer(data, len(data))
        outbuf = ctypes.create_string_buffer(64)
        src = ctypes.c_char_p(ctypes.addressof(inbuf))
        dst = ctypes.c_char_p(ctypes.addressof(outbuf))
        left = ctypes.c_size_t(len(data))
        room = ctypes.c_size_t(len(outbuf))
        r = _libc.iconv(self.cd, ctypes.byref(src), ctypes.byref(left), ctypes.byref(dst),
                        ctypes.byref(room))
        if r == ctypes.c_size_t(-1).value or left.value != 0:
            return None
        # Flush any shift state; a stateless code set writes nothing here.
        if _libc.iconv(self.cd, None, None, ctypes.byref(dst),
                       ctypes.byref(room)) == ctypes.c_size_t(-1).value:
            return None
        return outbuf.raw[: len(outbuf) - room.value]


def find_unihan_variants(given):
    if given:
        return given
    for name in ("Unihan_Variants.txt", "Unihan_Variants.txt.bz2"):
        path = os.path.join("/usr/share/unicode", name)
        if os.path.exists(path):
            return path
    sys.exit("Unihan_Variants.txt not found: install the unicode-data package")


def load_simplified(path):
    """Code point -> list of its simplified variants, in Unihan's order."""
    opener = bz2.open if path.endswith(".bz2") else open
    simplified = {}
    with opener(path, "rt", encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if len(fields) < 3 or fields[1] != "kSimplifiedVariant":
                continue
            source = int(fields[0][2:], 16)
            simplified[source] = [int(v[2:].split("<")[0], 16) for v in fields[2].split()]
    return simplified


def main():
    out_path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "parser", "big5_table.inc")
    simplified = load_simplified(find_unihan_variants(sys.argv[2] if len(sys.argv) > 2 else None))

    def big5_char(pair):
        try:
            text = pair.decode("cp950")
        except UnicodeDecodeError:
            return None
        return ord(text) if len(text) == 1 else None

    ucs_to_gb = Iconv("GB2312", "UTF-32BE")

    def gb_code(cp):
        out = ucs_to_gb.convert(cp.to_bytes(4, "big"))
        if out is None or len(out) != 2 or out[0] < 0xA1 or out[1] < 0xA1:
            return None
        return out[0] << 8 | out[1]

    table = []
    big5_mapped = 0
    via_variant = 0
    for lead in LEADS:
        for trail in TRAILS:
            code = NO_CODE
            cp = big5_char(bytes([lead, trail]))
            if cp is not None:
                big5_mapped += 1
                for candidate in simplified.get(cp, []):
                    gb = gb_code(candidate)
                    if gb is not None:
                        code = gb
                        via_variant += candidate != cp
                        break
                else:
                    code = gb_code(cp) or NO_CODE
            table.append(code)
    # The Big5 full-width space is written out as two ASCII spaces.
    table[0] = NO_CODE

    assert len(table) == CELLS
    assert table[0x41 - 0x40] == 0xA3AC, "Big5 comma must map to GB2312 A3 AC"
    kana = (0xC6 - 0xA1) * 157 + 63 + (0xA5 - 0xA1)
    assert table[kana] == 0xA4A1, "Big5 C6 A5 must map to GB2312 A4 A1"
    kuo = (0xB0 - 0xA1) * 157 + 63 + (0xEA - 0xA1)
    assert table[kuo] == 0xB9FA, "Big5 B0 EA must map to GB2312 B9 FA"

    with open(out_path, "w", encoding="ascii", newline="\n") as f:
        f.write("// Generated by tools/gen_big5_table.py from Python cp950, glibc iconv GB2312 and\n")
        f.write("// Unihan kSimplifiedVariant. Do not edit: run the script again.\n")
        f.write(f"// {CELLS} cells, lead A1-FE x trail 40-7E, A1-FE; 0x2020 = no GB2312 form.\n")
        for i in range(0, CELLS, PER_LINE):
            f.write(", ".join(f"0x{v:04X}" for v in table[i:i + PER_LINE]) + ",\n")

    with_gb = sum(1 for v in table if v != NO_CODE)
    print(f"cells: {CELLS}")
    print(f"cells with a character in cp950: {big5_mapped}")
    print(f"cells mapped to a GB2312 code: {with_gb}")
    print(f"  of which through a simplified variant: {via_variant}")
    print(f"cells written as 0x2020: {CELLS - with_gb}")
    print(f"wrote {os.path.normpath(out_path)}")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Writes encodings/cp932_table.inc from a code page 932 definition (.nls).

    make_cp932_table.py [/usr/share/wine/nls/c_932.nls] [encodings/cp932_table.inc]

The definition is the one the Windows-side tests convert with (Wine's). Its
layout, in little-endian 16-bit words:
  header: its size in words, code page, largest character size, default
          character, Unicode default character, the code of each as the
          other's translation, lead byte ranges
  bytes to UTF-16: the offset of the next part, 256 single bytes, a glyph
          table (its flag, then 256 words when set), the number of lead byte
          ranges, 256 offsets (non-zero for a lead byte) and a 256-word table
          of trail bytes for each lead byte
  UTF-16 to bytes: a flag, then 65536 codes (a lead byte in the high byte),
          best-fit look-alikes included
The table written keeps the bytes-to-UTF-16 part whole (trail bytes outside
the range that holds characters are checked to be the default character),
and of the other direction only what differs from taking, for each
character, the first code that reads as it.
"""
import os
import struct
import sys

FIRST_TRAIL, LAST_TRAIL = 0x40, 0xFC


def load(path):
    data = open(path, 'rb').read()
    words = struct.unpack('<%dH' % (len(data) // 2), data[:len(data) // 2 * 2])
    header = words[:words[0]]
    codepage, max_size, default, uni_default, trans_default, trans_uni_default = header[1:7]
    if codepage != 932 or max_size != 2:
        sys.exit('%s: code page %d with %d-byte characters, not 932' % (path, codepage, max_size))
    p = words[0]
    to_bytes = p + words[p] + 1  # after the flag that starts the table
    single = words[p + 1:p + 257]
    p += 257
    if words[p]:
        p += 256  # glyph table: not used here
    p += 1
    if not words[p]:
        sys.exit('%s: no lead bytes' % path)
    offsets = words[p + 1:p + 257]
    base = p + 1

    def pair(lead, trail):
        return words[base + offsets[lead] + trail]

    leads = [b for b in range(256) if offsets[b]]
    wide = words[to_bytes:to_bytes + 65536]
    if len(wide) != 65536:
        sys.exit('%s: the table to bytes is cut short' % path)
    return dict(single=single, pair=pair, leads=leads, wide=wide, default=default, uni_default=uni_default,
                trans_uni_default=trans_uni_default, lead_ranges=header[7:13])


def check(t):
    ranges = struct.pack('<6H', *t['lead_ranges'])
    in_ranges = set()
    for i in range(0, len(ranges), 2):
        if ranges[i]:
            in_ranges.update(range(ranges[i], ranges[i + 1] + 1))
    if in_ranges != set(t['leads']):
        sys.exit('lead byte ranges and lead byte tables disagree')
    for lead in t['leads']:
        for trail in list(range(FIRST_TRAIL)) + list(range(LAST_TRAIL + 1, 256)):
            if t['pair'](lead, trail) != t['uni_default']:
                sys.exit('a character outside the trail byte range: %02X %02X' % (lead, trail))
    for unit, code in enumerate(t['wide']):
        if code > 0xFF and (code >> 8) not in t['leads']:
            sys.exit('U+%04X becomes %04X, whose first byte is no lead byte' % (unit, code))
        if code <= 0xFF and code in t['leads']:
            sys.exit('U+%04X becomes a lone lead byte' % unit)


def read_code(t, code):
    return t['pair'](code >> 8, code & 0xFF) if code > 0xFF else t['single'][code]


def first_codes(t):
    """For each character, the first code (in byte order) that reads as it."""
    first = {}
    codes = [b for b in range(256) if b not in t['leads']]
    codes += [lead << 8 | trail for lead in t['leads'] for trail in range(FIRST_TRAIL, LAST_TRAIL + 1)]
    for code in codes:
        unit = read_code(t, code)
        if unit == t['uni_default'] and code != t['trans_uni_default']:
            continue  # no character: bytes that read as the default character
        first.setdefault(unit, code)
    return first


def rows(values, per_row, width):
    out = []
    for i in range(0, len(values), per_row):
        out.append('    ' + ' '.join('0x%0*X,' % (width, v) for v in values[i:i + per_row]))
    return '\n'.join(out)


def write(t, out_path, source):
    first = first_codes(t)
    exceptions = [(unit, code) for unit, code in enumerate(t['wide'])
                  if first.get(unit, t['default']) != code]
    leads = t['leads']
    lines = []
    lines.append('// Code page 932, made by tools/make_cp932_table.py from %s: do not edit.' % source)
    lines.append('// Included by encodings/cp932.cpp only.')
    lines.append('')
    lines.append('constexpr char16_t kDefaultCharacter = 0x%04X;  // what bytes of no character read as' %
                 t['uni_default'])
    lines.append('constexpr std::uint16_t kDefaultCharacterCode = 0x%04X;  // the code that is that character' %
                 t['trans_uni_default'])
    lines.append('constexpr char kDefaultByte = 0x%02X;  // what a character of no code becomes' % t['default'])
    lines.append('constexpr unsigned kFirstTrail = 0x%02X, kLastTrail = 0x%02X;' % (FIRST_TRAIL, LAST_TRAIL))
    lines.append('')
    lines.append('// Each byte alone; for a lead byte, what it reads as with no trail byte.')
    lines.append('constexpr char16_t kSingle[256] = {')
    single = [t['uni_default'] if b in leads else t['single'][b] for b in range(256)]
    lines.append(rows(single, 8, 4))
    lines.append('};')
    lines.append('')
    lines.append('// Row of each lead byte in kPairs, 0 for a byte that is none.')
    lines.append('constexpr unsigned char kLeadRow[256] = {')
    lines.append(rows([leads.index(b) + 1 if b in leads else 0 for b in range(256)], 16, 2))
    lines.append('};')
    lines.append('')
    lines.append('// Lead byte, then trail byte from kFirstTrail to kLastTrail (row 0: none).')
    lines.append('constexpr char16_t kPairs[%d][%d] = {' % (len(leads) + 1, LAST_TRAIL - FIRST_TRAIL + 1))
    lines.append('  {},')
    for lead in leads:
        lines.append('  {  // %02X' % lead)
        lines.append(rows([t['pair'](lead, trail) for trail in range(FIRST_TRAIL, LAST_TRAIL + 1)], 12, 4))
        lines.append('  },')
    lines.append('};')
    lines.append('')
    lines.append('// Where the system\'s code for a character is not the first code that reads')
    lines.append('// as it: another code that reads as it, a look-alike (best fit), or the')
    lines.append('// default byte for a character of no code that some code reads as.')
    lines.append('struct CodeException {')
    lines.append('  char16_t unit;')
    lines.append('  std::uint16_t code;')
    lines.append('};')
    lines.append('constexpr CodeException kCodeExceptions[%d] = {' % len(exceptions))
    for i in range(0, len(exceptions), 6):
        lines.append('    ' + ' '.join('{0x%04X, 0x%04X},' % e for e in exceptions[i:i + 6]))
    lines.append('};')
    with open(out_path, 'w', newline='\n') as f:
        f.write('\n'.join(lines) + '\n')
    return len(exceptions)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    src = sys.argv[1] if len(sys.argv) > 1 else '/usr/share/wine/nls/c_932.nls'
    out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, 'encodings', 'cp932_table.inc')
    t = load(src)
    check(t)
    n = write(t, out, os.path.basename(src))
    print('%s: %d lead bytes, %d codes kept apart' % (out, len(t['leads']), n))


if __name__ == '__main__':
    main()

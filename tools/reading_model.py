#!/usr/bin/env python3
"""The evidence that tells a line's encoding: how often characters, and
classes of neighbouring characters, occur in real text.

  reading_model.py corpus FOLDER          plain lines of the installed text
                                          packages, one file per language
  reading_model.py table FOLDER OUT.cpp   the model as C++ source

The table learns from the lines whose number (from 0, per file) is not a
multiple of 10; those that are stay out for the measurement (bench_messages
reading). Standard library only. scripts/corpus.sh runs the first step.
"""

import glob
import gzip
import html
import math
import os
import re
import struct
import sys
import unicodedata

# ---------------------------------------------------------------- corpus

MAN_ESCAPES = [
    (re.compile(r'\\".*$'), ''),
    (re.compile(r'\\f(\[[^\]]*\]|\(..|.)'), ''),
    (re.compile(r'\\s[+-]?\d+'), ''),
    (re.compile(r'\\\*(\[[^\]]*\]|\(..|.)'), ''),
    (re.compile(r'\\\((em|en)'), '\u2014'),
    (re.compile(r'\\\(aq'), "'"),
    (re.compile(r'\\\((lq|rq|dq)'), '"'),
    (re.compile(r'\\\(bu'), '\u2022'),
    (re.compile(r'\\\(co'), '\u00a9'),
    (re.compile(r'\\\(..'), ''),
    (re.compile(r'\\\[[^\]]*\]'), ''),
    (re.compile(r'\\[-]'), '-'),
    (re.compile(r'\\[e\\]'), '\\\\'),
    (re.compile(r'\\[&|^c%:)(/,~0 ]'), ''),
    (re.compile(r'\\[a-zA-Z]'), ''),
]
MAN_TEXT_MACROS = re.compile(r'^[.\'](B|I|BR|RB|IR|RI|BI|IB|SM|SB|SH|SS|TP|IP|HP|PP|LP|P)\b\s*(.*)$')


def man_lines(data):
    for raw in data.splitlines():
        line = raw
        m = MAN_TEXT_MACROS.match(line)
        if m:
            line = m.group(2).replace('"', '')
        elif line.startswith('.') or line.startswith("'"):
            continue
        for pattern, repl in MAN_ESCAPES:
            line = pattern.sub(repl, line)
        yield line


def mo_strings(path):
    with open(path, 'rb') as f:
        data = f.read()
    if len(data) < 28:
        return
    magic = struct.unpack('<I', data[:4])[0]
    order = '<' if magic == 0x950412de else '>'
    _, count, _, table = struct.unpack(order + '4I', data[4:20])
    for i in range(count):
        length, offset = struct.unpack(order + '2I', data[table + 8 * i:table + 8 * i + 8])
        text = data[offset:offset + length].decode('utf-8', 'replace')
        if i == 0 and 'Content-Type' in text:
            continue  # the header
        for part in text.split('\0'):
            yield from part.split('\n')


TAG = re.compile(r'<[^>]*>')


def clean(line):
    line = ' '.join(line.replace('\t', ' ').split())
    if len(line) < 2 or '\ufffd' in line or not any(ord(c) >= 0x80 for c in line):
        return None
    return line


def corpus(folder):
    os.makedirs(folder, exist_ok=True)
    lines = {}

    def add(lang, texts):
        seen = lines.setdefault(lang, {})
        for t in texts:
            t = clean(t)
            if t:
                seen.setdefault(t, None)

    def base(lang):
        lang = lang.split('@')[0]
        if lang in ('zh_CN', 'zh_TW', 'zh_HK', 'zh_Hans', 'zh_Hant', 'pt_BR'):
            return lang.replace('_', '-').lower()
        return lang.split('_')[0]

    for path in sorted(glob.glob('/usr/share/man/*/man*/*')):
        lang = path.split('/')[4]
        if lang.startswith('man'):
            continue
        opener = gzip.open if path.endswith('.gz') else open
        try:
            with opener(path, 'rb') as f:
                add(base(lang), man_lines(f.read().decode('utf-8', 'replace')))
        except OSError:
            pass
    for path in sorted(glob.glob('/usr/share/locale/*/LC_MESSAGES/*.mo')):
        add(base(path.split('/')[4]), mo_strings(path))
    for path in sorted(glob.glob('/usr/share/debian-reference/*.txt.gz')):
        lang = path.split('.')[-3]
        with gzip.open(path, 'rb') as f:
            add(base(lang), f.read().decode('utf-8', 'replace').splitlines())
    total = 0
    for lang, seen in sorted(lines.items()):
        if len(seen) < 20 or lang == 'en':
            continue
        with open(os.path.join(folder, lang + '.txt'), 'w', encoding='utf-8') as f:
            for t in seen:
                f.write(t + '\n')
        total += len(seen)
    print('%d languages, %d lines in %s' % (len(lines), total, folder))


# ---------------------------------------------------------------- classes

# Kept in step with the classes in encodings/reading_model.cpp.
CLASSES = ['EDGE', 'SPACE', 'ALPHA', 'DIGIT', 'APUNCT', 'HIRA', 'KATA', 'HALF', 'KANJI1', 'KANJI2', 'KANJI3',
           'KANJI0', 'CJKP', 'LAT1', 'LATX', 'L1SYM', 'MODIF', 'GREEK', 'CYRIL', 'HANGUL', 'THAI', 'DEVA', 'SYM',
           'EMOJI', 'PUA', 'C1', 'OTHER']
C = {name: i for i, name in enumerate(CLASSES)}
GROUPS = ['Japanese', 'Chinese', 'Korean', 'Latin', 'Greek', 'Cyrillic', 'Other scripts']
KANJI_TIERS = (400, 1200)  # the most frequent kanji, then the next ones


def is_kanji(cp):
    return 0x3400 <= cp <= 0x4DBF or 0x4E00 <= cp <= 0x9FFF or 0xF900 <= cp <= 0xFAFF or 0x20000 <= cp <= 0x3FFFF


def base_class(cp):
    """The class by code point alone; kanji are KANJI0 until the table ranks them."""
    if cp < 0x80:
        ch = chr(cp)
        if ch in ' \t':
            return C['SPACE']
        if ch.isalpha():
            return C['ALPHA']
        if ch.isdigit():
            return C['DIGIT']
        return C['APUNCT']
    if cp < 0xA0:
        return C['C1']
    if cp < 0xC0 or cp in (0xD7, 0xF7):
        return C['L1SYM']
    if cp < 0x100:
        return C['LAT1']
    if cp < 0x250 or 0x1E00 <= cp <= 0x1EFF:
        return C['LATX']
    if cp < 0x370:
        return C['MODIF']
    if cp < 0x400 or 0x1F00 <= cp <= 0x1FFF:
        return C['GREEK']
    if cp < 0x530:
        return C['CYRIL']
    if 0x900 <= cp <= 0x97F:
        return C['DEVA']
    if 0xE00 <= cp <= 0xE7F:
        return C['THAI']
    if 0x1100 <= cp <= 0x11FF or 0x3130 <= cp <= 0x318F or 0xAC00 <= cp <= 0xD7AF:
        return C['HANGUL']
    if 0x2000 <= cp <= 0x2BFF or 0xFE00 <= cp <= 0xFE0F:
        return C['SYM']
    if 0x3041 <= cp <= 0x309F:
        return C['HIRA']
    if 0x30A0 <= cp <= 0x30FF or 0x31F0 <= cp <= 0x31FF:
        return C['KATA']
    if 0x3000 <= cp <= 0x303F or 0x3200 <= cp <= 0x33FF or 0xFE30 <= cp <= 0xFE4F or 0xFF01 <= cp <= 0xFF60 or \
            0xFFE0 <= cp <= 0xFFEF:
        return C['CJKP']
    if 0xFF61 <= cp <= 0xFF9F:
        return C['HALF']
    if is_kanji(cp):
        return C['KANJI0']
    if 0xE000 <= cp <= 0xF8FF or cp >= 0xF0000:
        return C['PUA']
    if 0x1F000 <= cp <= 0x1FAFF:
        return C['EMOJI']
    return C['OTHER']


def full_width(cp):
    """The full-width form of a half-width katakana, whose statistics it borrows."""
    if 0xFF61 <= cp <= 0xFF9F:
        return ord(unicodedata.normalize('NFKC', chr(cp))[0]) if cp not in (0xFF9E, 0xFF9F) else \
            (0x309B if cp == 0xFF9E else 0x309C)
    return cp


def group_of(lang, text):
    if lang == 'ja':
        return 0
    counts = {}
    for ch in text:
        k = base_class(ord(ch))
        counts[k] = counts.get(k, 0) + 1
    if counts.get(C['HIRA'], 0) + counts.get(C['KATA'], 0):
        return None  # Japanese in another language's file
    order = [('HANGUL', 2), ('GREEK', 4), ('CYRIL', 5), ('THAI', 6), ('DEVA', 6), ('OTHER', 6), ('KANJI0', 1),
             ('LATX', 3), ('LAT1', 3)]
    best, most = None, 0
    for name, group in order:
        if counts.get(C[name], 0) > most:
            best, most = group, counts[C[name]]
    return best


def held_out(index):
    return index % 10 == 0


# ---------------------------------------------------------------- model

UNIT = 4  # costs are in quarter bits
MAX_COST = 255


def cost(p):
    return min(MAX_COST, max(0, int(round(-math.log2(p) * UNIT))))


def table(folder, out):
    lines = []  # (group, text)
    for path in sorted(glob.glob(os.path.join(folder, '*.txt'))):
        lang = os.path.basename(path)[:-4]
        with open(path, encoding='utf-8') as f:
            for i, t in enumerate(f.read().split('\n')):
                if not t or held_out(i):
                    continue
                g = group_of(lang, t)
                if g is not None:
                    lines.append((g, t))

    # Characters, by the class they belong to; kanji from Japanese text only.
    char_counts = {}
    for g, t in lines:
        for ch in t:
            cp = full_width(ord(ch))
            k = base_class(cp)
            if cp < 0x80 or k in (C['PUA'], C['C1'], C['OTHER'], C['EMOJI']):
                continue
            if k == C['KANJI0'] and g != 0:
                continue
            char_counts[cp] = char_counts.get(cp, 0) + 1
    # The code page's first level (88 9F to 98 72) holds the kanji in common
    # use: listed even when the text never has them, unlike the second level
    # that UTF-8 read in the code page is full of.
    level1 = set()
    for lead in range(0x88, 0x99):
        for trail in range(0x40, 0xFD):
            try:
                ch = bytes([lead, trail]).decode('cp932')
            except UnicodeDecodeError:
                continue
            if (lead, trail) <= (0x98, 0x72) and is_kanji(ord(ch)):
                level1.add(ord(ch))
    for cp in level1:
        char_counts.setdefault(cp, 0)
    kanji = sorted((cp for cp in char_counts if is_kanji(cp) and (char_counts[cp] >= 3 or cp in level1)),
                   key=lambda cp: (-char_counts[cp], cp))
    kanji_class = {}
    for rank, cp in enumerate(kanji):
        kanji_class[cp] = C['KANJI1'] if rank < KANJI_TIERS[0] else C['KANJI2'] if rank < KANJI_TIERS[1] else C[
            'KANJI3']

    def klass(cp):
        k = base_class(cp)
        if k == C['KANJI0']:
            return kanji_class.get(cp, k)
        return k

    # Each class keeps the characters seen often enough; the rest of its
    # code points share what is left.
    minimum = {C['HANGUL']: 3, C['SYM']: 3}
    listed = {}
    class_total = {}
    for cp, n in char_counts.items():
        k = klass(cp)
        class_total[k] = class_total.get(k, 0) + n
    for cp, n in char_counts.items():
        k = klass(cp)
        if k == C['KANJI0'] or (n < minimum.get(k, 2) and cp not in kanji_class):
            continue
        listed[cp] = k
    class_size = {C['HIRA']: 95, C['KATA']: 112, C['HALF']: 63, C['CJKP']: 700, C['LAT1']: 62, C['LATX']: 592,
                  C['L1SYM']: 34, C['MODIF']: 288, C['GREEK']: 400, C['CYRIL']: 304, C['HANGUL']: 11500,
                  C['THAI']: 87, C['DEVA']: 128, C['SYM']: 3000, C['KANJI0']: 90000, C['EMOJI']: 2800,
                  C['PUA']: 6400, C['C1']: 32, C['OTHER']: 20000, C['KANJI1']: 1, C['KANJI2']: 1, C['KANJI3']: 1}
    char_cost = {}
    default_cost = [0] * len(CLASSES)
    for k in range(len(CLASSES)):
        if k < C['HIRA']:
            continue
        members = [cp for cp, kk in listed.items() if kk == k]
        total = sum(char_counts[cp] for cp in members)
        unlisted = max(1, class_size[k] - len(members))
        rest = class_total.get(k, 0) - total + 1.0  # seen too seldom, plus one for what was never seen
        for cp in members:
            char_cost[cp] = cost((char_counts[cp] + 0.5) / (total + rest + 0.5 * len(members)))
        default_cost[k] = cost(rest / (total + rest) / unlisted)
        if k in (C['KANJI1'], C['KANJI2'], C['KANJI3']):
            default_cost[k] = 0  # every member is listed

    # Half-width katakana cost what their full-width forms cost.
    for cp in range(0xFF61, 0xFFA0):
        full = full_width(cp)
        listed[cp] = C['HALF']
        char_cost[cp] = char_cost.get(full, default_cost[base_class(full)])

    # Class pairs per group, ASCII beside ASCII left out (it reads the same
    # either way); half-width katakana borrow from the full-width ones.
    n = len(CLASSES)
    pairs = [[[0] * n for _ in range(n)] for _ in GROUPS]
    for g, t in lines:
        prev = C['EDGE']
        prev_ascii = True
        for ch in t + '\n':
            cp = ord(ch)
            k = C['EDGE'] if ch == '\n' else klass(full_width(cp))
            ascii_now = cp < 0x80
            if not (prev_ascii and ascii_now):
                pairs[g][prev][k] += 1
            prev, prev_ascii = k, ascii_now
    half_penalty = 3 * UNIT  # no real text of ours has them, but people type them
    katakana = lambda k: C['KATA'] if k == C['HALF'] else k
    trans = []
    for g in range(len(GROUPS)):
        # A pair seldom seen backs off to how often the group has the class
        # at all, so that a class the group never has stays dear.
        column = [sum(pairs[g][a][b] for a in range(n)) for b in range(n)]
        everything = sum(column)
        unigram = [(column[b] + 0.5) / (everything + 0.5 * n) for b in range(n)]
        rows = []
        for a in range(n):
            row = pairs[g][katakana(a)]
            total = sum(row)
            alpha = 1.0
            costs = []
            for b in range(n):
                bb = katakana(b)
                c = cost((row[bb] + alpha * unigram[bb]) / (total + alpha))
                if b == C['HALF']:
                    c = min(MAX_COST, c + half_penalty)
                costs.append(c)
            rows.append(costs)
        trans.append(rows)

    write_cpp(out, listed, char_cost, default_cost, trans, lines, char_counts)


def write_cpp(out, listed, char_cost, default_cost, trans, lines, char_counts):
    codes = sorted(cp for cp in listed if cp <= 0xFFFF)
    group_lines = [sum(1 for g, _ in lines if g == i) for i in range(len(GROUPS))]
    with open(out, 'w', encoding='utf-8') as f:
        f.write('// Generated by tools/reading_model.py from the text of Debian packages\n')
        f.write('// (scripts/corpus.sh); do not edit. Costs are in quarter bits.\n')
        f.write('// Lines learnt from, per group:\n//   %s.\n' % ',\n//   '.join(
            '%s %d' % (name, count) for name, count in zip(GROUPS, group_lines)))
        f.write('#include "encodings/reading_table.h"\n\nnamespace tepo::reading {\n\n// clang-format off\n')
        f.write('const std::size_t kCharacterCount = %d;\n\n' % len(codes))
        f.write('const char16_t kCharacters[] = {\n')
        for i in range(0, len(codes), 12):
            f.write('    ' + ', '.join('0x%04X' % cp for cp in codes[i:i + 12]) + ',\n')
        f.write("};\n\n// Each character's class, then its cost within the class.\n")
        f.write('const unsigned char kCharacterClass[] = {\n')
        for i in range(0, len(codes), 24):
            f.write('    ' + ', '.join('%d' % listed[cp] for cp in codes[i:i + 24]) + ',\n')
        f.write('};\n\nconst unsigned char kCharacterCost[] = {\n')
        for i in range(0, len(codes), 24):
            f.write('    ' + ', '.join('%d' % char_cost[cp] for cp in codes[i:i + 24]) + ',\n')
        f.write('};\n\nconst unsigned char kUnlistedCost[kClassCount] = {%s};\n\n' % ', '.join(
            str(c) for c in default_cost))
        f.write('// By the class before, the class after, and the group.\n')
        f.write('const unsigned char kPairCost[kClassCount][kClassCount][kGroupCount] = {\n')
        for a in range(len(CLASSES)):
            f.write('    {  // after %s\n' % CLASSES[a])
            for b in range(len(CLASSES)):
                f.write('        {%s},  // %s\n' % (', '.join(str(trans[g][a][b]) for g in range(len(GROUPS))), CLASSES[b]))
            f.write('    },\n')
        f.write('};\n// clang-format on\n\n}  // namespace tepo::reading\n')
    print('%d characters; lines per group: %s' % (len(codes), group_lines))


if __name__ == '__main__':
    if len(sys.argv) == 3 and sys.argv[1] == 'corpus':
        corpus(sys.argv[2])
    elif len(sys.argv) == 4 and sys.argv[1] == 'table':
        table(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)

#!/usr/bin/env python3
"""Writes the malformed version blocks of VersionBlockFuzz/ that
NativeVersionBlock.MalformedBlocksKeepWhatIsWellFormed reads, each structure
laid out the way resource compilers write it (length, value length, type,
key, padding to 32 bits, value, children), then broken as its name says.
Run from this folder; the files are seeds, never written by the fuzzer."""
import struct


def words(text):
    return b''.join(struct.pack('<H', ord(c)) for c in text)


def pad4(data):
    return data + b'\0' * (-len(data) % 4)


def item(key, kind=1, value=b'', value_length=0, children=(), built=b'', length=None, terminated=True):
    """One structure; length replaces the one computed, built follows the children as they are."""
    out = pad4(struct.pack('<HHH', 0, value_length, kind) + words(key) + (b'\0\0' if terminated else b'')) + value
    for child in children:
        out = pad4(out) + child
    if built:
        out = pad4(out) + built
    return struct.pack('<H', (len(out) if length is None else length) & 0xFFFF) + out[2:]


def text(name, value, **broken):
    fields = dict(kind=1, value=words(value + '\0'), value_length=len(value) + 1)
    fields.update(broken)
    return item(name, **fields)


def group(key, children, **broken):
    return item(key, children=children, **broken)


def translation(pairs, **broken):
    data = b''.join(struct.pack('<H', w) for w in pairs)
    fields = dict(kind=0, value=data, value_length=len(data))
    fields.update(broken)
    return item('Translation', **fields)


def root(children, **broken):
    return item('VS_VERSION_INFO', 0, b'\0' * 52, 52, children, **broken)


def table(strings):
    return root([group('StringFileInfo', [group('040904B0', strings)])])


def with_bad_string(**broken):
    return root([group('StringFileInfo', [group('040904B0', [text('CompanyName', 'Good'), text('ProductName', 'Bad', **broken),
                                                             text('After', 'x')])]),
                 group('VarFileInfo', [translation([0x0409, 1200])])])


def nest(key, inner):
    for _ in range(1000):
        inner = item(key, built=inner)
    return inner


well_formed = root([group('StringFileInfo', [group('040904B0', [text('CompanyName', 'Maker')])]),
                    group('VarFileInfo', [translation([0x0409, 1200])])])
seeds = {
    'byte-after-block': well_formed + b'\x55',
    'byte-short': well_formed[:-1],
    # A NUL inside, a length in bytes, binary type, a length past the
    # structure without a NUL; then a table with lower-case keys.
    'sloppy-values': root([group('StringFileInfo', [group('040904B0', [
        text('CompanyName', 'ab\0cd'), text('FileVersion', '1.2.3', value_length=12), text('ProductName', 'Prod', kind=0),
        item('InternalName', 1, words('abc'), 0x7FFF), text('Next', 'zzz')])]),
        group('stringfileinfo', [group('040904b0', [text('x', 'y')])])]),
    'translation-past-item': root([group('VarFileInfo', [translation([0x0409, 1200, 0x0407], value_length=0xFFFF)])]),
    'string-past-table': with_bad_string(length=0xFFF0),
    'string-length-zero': with_bad_string(length=0),
    'string-length-6': with_bad_string(length=6),
    'string-length-7': with_bad_string(length=7),
    'string-length-odd': with_bad_string(length=len(text('ProductName', 'Bad')) - 3),
    'table-past-section': root([group('StringFileInfo', [group('040904B0', []),
                                                         group('040704E4', [text('A', 'b')], length=0x4000)])]),
    'root-past-block': root([group('StringFileInfo', [group('040904B0', [text('A', 'b')])])], length=0xFFFF),
    'key-unterminated': table([text('A', '1'), item('CompanyName', terminated=False), text('B', '2')]),
    'root-key-unterminated': item('K' * 41, 0, terminated=False),
    # A thousand levels below a string, and a thousand sections in a section.
    'nested-thousand': root([group('StringFileInfo', [group('040904B0', [
        text('Holder', 'h', built=nest('S', text('Below', 'b')))])]),
        item('StringFileInfo', built=nest('StringFileInfo', text('Deep', 'v')))]),
}
for name, data in seeds.items():
    assert len(data) < 0x10000, name
    with open('VersionBlockFuzz/' + name, 'wb') as out:
        out.write(data)

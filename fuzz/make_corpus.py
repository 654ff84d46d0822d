#!/usr/bin/env python3
"""Writes a small seed corpus of valid data files for the fuzz targets.

usage: make_corpus.py OUT_DIR   (makes OUT_DIR/{mesh,material_list,scene,light,camera,effect})
"""
import os
import struct
import sys


def mesh(vertices, indices, keys=0, mask=0x0007, stride=32, material=0):
    out = struct.pack('<I', 1) + bytes(64)
    out += struct.pack('<IIIIH', material, len(indices) // 3, len(vertices) // (stride // 4), stride, mask)
    out += struct.pack('<%dH' % len(indices), *indices)
    out += struct.pack('<%df' % len(vertices), *vertices)
    out += bytes(13) + struct.pack('<I', keys)
    for k in range(keys):
        out += struct.pack('<3f', k, 0, 0)
    for k in range(keys):
        out += struct.pack('<4f', 0, 0, 0, 1)
    for k in range(keys):
        out += struct.pack('<3f', 1, 1, 1)
    return out


QUAD = [0, 0, 0, 0, 0, 1, 0, 0,
        1, 0, 0, 0, 0, 1, 1, 0,
        0, 1, 0, 0, 0, 1, 0, 1,
        1, 1, 0, 0, 0, 1, 1, 1]


def material_list(names):
    out = struct.pack('<II', 0, 7) + bytes(range(68)) + struct.pack('<I', len(names))
    for i, n in enumerate(names):
        out += struct.pack('<I', len(n)) + n.encode() + struct.pack('<I', i)
    return out


def light(keys):
    out = struct.pack('<II', 1, 2) + bytes(16) + struct.pack('<I', len(keys))
    for k in keys:
        out += struct.pack('<3f', *k)
    return out


def camera(fov, eyes, targets, shared=True):
    out = struct.pack('<ffI', 1.0, 1000.0, len(fov)) + struct.pack('<%df' % len(fov), *fov)
    if shared:
        out += struct.pack('<I', len(eyes))
        for e in eyes:
            out += struct.pack('<3f', *e)
        for t in targets:
            out += struct.pack('<3f', *t)
    else:
        out += struct.pack('<I', 0)
        for track in (eyes, targets):
            out += struct.pack('<I', len(track))
            for v in track:
                out += struct.pack('<3f', *v)
    return out


def line(node, name, parent):
    return b'%4d%s%4d' % (node, name.encode(), parent)


def effect(init='1', extra='', state=''):
    return ('float4 k = %s;\n%s'
            'float4 VS(float4 p : POSITION) : POSITION { return p + k; }\n'
            'float4 PS() : COLOR { return 1; }\n'
            'technique T { pass P { VertexShader = compile vs_2_0 VS(); '
            'PixelShader = compile ps_2_0 PS(); %s} }\n' % (init, extra, state)).encode()


def nested(depth, open_='(', close=')', inner='1'):
    return open_ * depth + inner + close * depth


# Effect files that nest each recursive construct just past the limit (128 levels), so
# that mutations explore both sides of it.
EFFECTS = {
    'parens.fx': effect(nested(130)),
    'minus.fx': effect('-' * 130 + '1'),
    'casts.fx': effect('(float)' * 130 + '1'),
    'constructors.fx': effect(nested(130, 'float4(')),
    'lists.fx': effect(nested(130, '{', '}')),
    'annotation.fx': effect('1', 'float a < float b = %s; string c = "x"; > = 1;\n' % nested(130)),
    'blocks.fx': effect('1', 'float f() { %s return 0; }\n' % nested(130, '{', '}', '')),
    'state.fx': effect('1', '', 'AlphaRef = %s; ZEnable = true;' % nested(130)),
    'if.fx': b'#if ' + nested(130).encode() + b'\n#endif\n' + effect(),
    'ifs.fx': b'#if 1\n' * 130 + b'#endif\n' * 130 + effect(),
    'macros.fx': b''.join(b'#define M%d M%d\n' % (m, m + 1) for m in range(130)) + effect('M0'),
    'asm.fx': (b'PixelShader ps = asm {\n ps_2_0\n def c0, 1, 0, 0, 1\n' + b' add r0, c0, c0\n' * 70 +
               b' mov oC0, r0\n};\nfloat4 VS(float4 p : POSITION) : POSITION { return p; }\n'
               b'technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = (ps); } }\n'),
    'recursion.fx': effect('1', 'float f(float x) { return x > 0 ? f(x - 1) : 0; }\n'
                           'float4 g() : COLOR { return f(2); }\n', 'PixelShader = compile ps_2_0 g();'),
}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    root = sys.argv[1]
    seeds = {
        'mesh': {
            'quad.mesh': mesh(QUAD, [0, 1, 2, 3, 2, 1]),
            'keys.mesh': mesh(QUAD, [0, 1, 2, 3, 2, 1], keys=3, material=1),
            'own.mesh': mesh(QUAD, [0, 1, 2], keys=0) + struct.pack('<I3f', 1, 1, 2, 3) + struct.pack('<I', 0),
            'position.mesh': mesh([0, 0, 0, 1, 0, 0, 0, 1, 0], [0, 1, 2], mask=0x0001, stride=12),
        },
        'material_list': {
            'one.material': material_list(['a.png']),
            'three.material': material_list(['a.png', 'sub\\b.png', 'c.png']),
            'none.material': material_list([]),
        },
        'scene': {
            'room.scene': b'\n'.join([line(0, 'skin.material', 0), line(1, 'body.mesh', 0),
                                      line(2, 'arm.mesh', 1), line(0, 'lamp.light', 2),
                                      line(0, 'view.camera', 0)]) + b'\n\xff',
            'crlf.scene': line(1, 'a.mesh', 0) + b'\r\n' + line(2, 'b.mesh', 1) + b'\r\n\xff',
            'odd.scene': line(1, 'x.texture', 0) + b'\n   7x   0\n\xff',
        },
        'light': {
            'lamp.light': light([(1, 2, 3), (4, 5, 6)]),
            'empty.light': light([]),
        },
        'effect': EFFECTS,
        'camera': {
            'view.camera': camera([0.8], [(0, -10, 0), (0, -20, 0)], [(0, 0, 0), (0, 0, 1)]),
            'own.camera': camera([0.7, 0.9], [(1, 1, 1)], [(0, 0, 0), (1, 0, 0)], shared=False),
        },
    }
    for kind, files in seeds.items():
        folder = os.path.join(root, kind)
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), 'wb') as f:
                f.write(data)


if __name__ == '__main__':
    main()

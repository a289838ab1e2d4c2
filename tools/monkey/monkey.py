#!/usr/bin/env python3
"""Seeded monkey test: random but plausible real input to the editor built with the
address and undefined-behaviour sanitizers, looking for crashes, sanitizer reports and hangs.

    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON
    cmake --build build-asan --target vimbrel vimbrel-cli
    python3 tools/monkey/monkey.py --seed 7 --minutes 10
    python3 tools/monkey/monkey.py --replay build-asan/monkey/seed-7/actions.jsonl --upto 412

See README.md beside this file for what it sends, what it checks and how to read a run.
"""
import argparse
import collections
import json
import os
import random
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MAIN_TITLE = 'Ostra Vale Vimbrel'
OPEN_DIALOGS = {'Open Animation': 'gif', 'Import from Grid': 'picture', 'Import Cel': 'picture',
                'Open Palette': 'palette', 'Locate Palette File': 'palette'}
SAVE_DIALOGS = {'Save Animation As': 'gif', 'Save Palette': 'pal', 'Export Cel': 'bmp'}
# Texts typed into fields of dialogs: the numbers at the edges first, then some that are not.
FIELD_VALUES = ['0', '-1', '99999', '1', '2', '5', '16', '30', '64', '255', '256', '640', '1000',
                '50001', '-99999', '2147483648', '12.5', '1e9', 'abc', '', ' ', 'Ünïcode ✓']
SHORTCUTS = ['ctrl+n', 'ctrl+o', 'ctrl+s', 'ctrl+z', 'ctrl+y', 'ctrl+x', 'ctrl+c', 'ctrl+v',
             'F8', 'F9', 'F1', 'ctrl+Tab', 'ctrl+shift+Tab', 'ctrl+F6', 'ctrl+a']
KEYS = ['Delete', 'BackSpace', 'Escape', 'Return', 'space', 'Tab', 'shift+Tab', 'Up', 'Down',
        'Left', 'Right', 'Prior', 'Next', 'Home', 'End', 'Menu', 'plus', 'minus', 'a', '1']
BURST_KEYS = ['ctrl+z', 'ctrl+y', 'ctrl+v', 'ctrl+x', 'ctrl+c', 'F8', 'Delete']
MENU_KEYS = ['alt+f', 'alt+e', 'alt+v', 'alt+a', 'alt+p', 'alt+w', 'alt+h']
# Commands with a dialog or a file of their own, chosen through their menus more often than
# a random walk through the menus would reach them.
COMMANDS = [['File', 'Import from Grid...'], ['File', 'Import into Cel...'],
            ['File', 'Import into Cel...'], ['File', 'Export from cel...'],
            ['Painter', 'Save Palette...'], ['Painter', 'Text'],
            ['View', 'Palette Window...'], ['Animation', 'Show GIF Properties...'],
            ['Animation', 'Set Disposal Method for All Cels...'], ['Painter', 'Swap Colors'],
            ['Painter', 'Paint on All Cels'], ['Edit', 'Paste']]
CONTROL_ROLES = {'push button', 'check box', 'radio button', 'combo box', 'spin box', 'page tab',
                 'scroll bar', 'list item', 'text', 'slider', 'toggle button'}
FIELD_ROLES = {'spin box', 'text', 'entry'}
POPUP_ROLES = {'popup menu', 'menu', 'window', 'tool tip'}
REPORT_RE = re.compile(r'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|'
                       r'UndefinedBehaviorSanitizer|AddressSanitizer:DEADLYSIGNAL|'
                       r'terminate called|Assertion .* failed|QFATAL|^ASSERT', re.M)


# ---------------------------------------------------------------- where things are

def shared_folder(option, env, sub):
    """A folder shared beside the project's checkout: the option, then the environment
    variable, then ../shared/SUB next to the checkout (or next to the main checkout of a
    git worktree)."""
    candidates = [option, os.environ.get(env), os.path.join(REPO, '..', 'shared', sub)]
    try:
        common = subprocess.run(['git', '-C', REPO, 'rev-parse', '--path-format=absolute',
                                 '--git-common-dir'], capture_output=True, text=True,
                                timeout=10).stdout.strip()
        if common:
            candidates.append(os.path.join(os.path.dirname(common), '..', 'shared', sub))
    except (OSError, subprocess.SubprocessError):
        pass
    for c in candidates:
        if c and os.path.isdir(c):
            return os.path.abspath(c)
    return None


# ---------------------------------------------------------------- input files

def bmp_bytes(width, height, bpp, pixel, colours=None, rle=False):
    """A Windows BMP (BITMAPINFOHEADER): pixel(x, y) gives an index, or (r, g, b) at 24 bpp."""
    rows = []
    for y in reversed(range(height)):
        if bpp == 24:
            row = b''.join(bytes((b, g, r)) for r, g, b in (pixel(x, y) for x in range(width)))
        elif rle:
            row, x = b'', 0
            while x < width:
                run = 1
                while x + run < width and run < 255 and pixel(x + run, y) == pixel(x, y):
                    run += 1
                row += bytes((run, pixel(x, y)))
                x += run
            rows.append(row + b'\0\0')
            continue
        else:
            bits = ''.join(format(pixel(x, y), '0%db' % bpp) for x in range(width))
            bits += '0' * (-len(bits) % 8)
            row = int(bits, 2).to_bytes(len(bits) // 8, 'big') if bits else b''
        rows.append(row + b'\0' * (-len(row) % 4))
    data = b''.join(rows) + (b'\0\1' if rle else b'')
    table = b''.join(bytes((b, g, r, 0)) for r, g, b in (colours or []))
    offset = 14 + 40 + len(table)
    header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bpp, 1 if rle else 0, len(data),
                       2835, 2835, len(colours or []), 0)
    return header + info + table + data


def make_pictures(folder):
    """Small BMP pictures of every depth, a damaged one and one whose header claims a size
    far beyond any sprite."""
    os.makedirs(folder, exist_ok=True)
    ramp16 = [(i * 17, i * 17, 255 - i * 17) for i in range(16)]
    files = {
        'rgb24.bmp': bmp_bytes(48, 32, 24, lambda x, y: (x * 5, y * 7, (x ^ y) * 4)),
        'mono1.bmp': bmp_bytes(33, 17, 1, lambda x, y: (x + y) % 2, [(0, 0, 0), (255, 255, 255)]),
        'four4.bmp': bmp_bytes(20, 12, 4, lambda x, y: (x + y) % 16, ramp16),
        'eight8.bmp': bmp_bytes(24, 24, 8, lambda x, y: (x // 3 + y) % 16, ramp16),
        'rle8.bmp': bmp_bytes(40, 10, 8, lambda x, y: (x // 8) % 16, ramp16, rle=True),
        'grid.bmp': bmp_bytes(96, 64, 24, lambda x, y: ((x // 16) * 40, (y // 16) * 60, 128)),
    }
    files['truncated.bmp'] = files['rgb24.bmp'][:len(files['rgb24.bmp']) // 2]
    huge = bytearray(bmp_bytes(1, 1, 8, lambda x, y: 0, ramp16, rle=True))
    struct.pack_into('<ii', huge, 18, 5000, 5000)
    files['huge-rle.bmp'] = bytes(huge)
    for name, data in files.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)
    return sorted(os.path.join(folder, n) for n in files)


class Inputs:
    """The files a run types into file dialogs, all copies inside the run folder, so that
    whatever the editor writes over them leaves the project untouched."""

    def __init__(self, run, suites, build):
        self.run = run
        root = os.path.join(run, 'inputs')
        self.gifs = []
        sources = [('tests', os.path.join(REPO, 'tests', 'gif', 'data'))]
        if suites:
            sources.append(('suites', suites))
        for label, src in sources:
            for dirpath, _, names in sorted(os.walk(src)):
                for name in sorted(names):
                    if name.lower().endswith('.gif'):
                        rel = os.path.relpath(os.path.join(dirpath, name), src)
                        dest = os.path.join(root, label, rel)
                        os.makedirs(os.path.dirname(dest), exist_ok=True)
                        shutil.copyfile(os.path.join(dirpath, name), dest)
                        self.gifs.append(dest)
        self.pictures = make_pictures(os.path.join(root, 'pictures'))
        for name in sorted(os.listdir(os.path.join(REPO, 'tests', 'imaging', 'data'))):
            if name.lower().endswith('.jpg'):
                dest = os.path.join(root, 'pictures', name)
                shutil.copyfile(os.path.join(REPO, 'tests', 'imaging', 'data', name), dest)
                self.pictures.append(dest)
        self.palettes = []
        pal_src = os.path.join(build, 'palettes')
        os.makedirs(os.path.join(root, 'palettes'))
        for name in sorted(os.listdir(pal_src)) if os.path.isdir(pal_src) else []:
            dest = os.path.join(root, 'palettes', name)
            shutil.copyfile(os.path.join(pal_src, name), dest)
            self.palettes.append(dest)
        broken = os.path.join(root, 'palettes', 'broken.pal')
        with open(broken, 'wb') as f:
            f.write(b'RIFF\x10\0\0\0PAL data\x04\0\0\0\0\x03')
        self.palettes.append(broken)
        self.others = []
        for name, data in (('notes.txt', b'not a picture\n'), ('fake.gif', b'GIF89a but no more'),
                           ('empty.gif', b''), ('text.bmp', b'BM plain text')):
            p = os.path.join(root, name)
            with open(p, 'wb') as f:
                f.write(data)
            self.others.append(p)
        self.folder = root
        self.missing = os.path.join(run, 'missing', 'nothing.gif')
        self.scratch = os.path.join(run, 'scratch')
        os.makedirs(self.scratch)
        self.readonly = os.path.join(run, 'readonly')
        os.makedirs(self.readonly)
        small = next((g for g in self.gifs if os.path.getsize(g) > 100), None)
        for name in ('locked.gif', 'writable.gif'):
            if small:
                shutil.copyfile(small, os.path.join(self.readonly, name))
        self.readonly_mode = self._lock()

    def _writable(self, folder):
        probe = os.path.join(folder, '.probe')
        try:
            with open(probe, 'w'):
                pass
        except OSError:
            return False
        os.remove(probe)
        return True

    def _lock(self):
        """A folder nobody can write to, with one file that can be written in place and one
        that cannot. Root ignores permissions, so there the folder is made immutable."""
        locked = os.path.join(self.readonly, 'locked.gif')
        if os.path.exists(locked):
            os.chmod(locked, 0o444)
        os.chmod(self.readonly, 0o555)
        if not self._writable(self.readonly):
            return 'permissions'
        try:
            subprocess.run(['chattr', '+i', self.readonly] +
                           ([locked] if os.path.exists(locked) else []), capture_output=True)
        except OSError:
            pass
        return 'immutable' if not self._writable(self.readonly) else 'writable (root, no chattr)'

    def unlock(self):
        if self.readonly_mode == 'immutable':
            subprocess.run(['chattr', '-R', '-i', self.readonly], capture_output=True, check=True)
        os.chmod(self.readonly, 0o755)

    def open_path(self, kind, rng):
        """A path for an open dialog: mostly what it asks for, sometimes anything else."""
        pools = {'gif': self.gifs, 'picture': self.pictures, 'palette': self.palettes}
        r = rng.random()
        if r < 0.70:
            return rng.choice(pools[kind] or self.gifs)
        if r < 0.78:
            return rng.choice(self.others)
        saved = sorted(os.path.join(self.scratch, n) for n in os.listdir(self.scratch))
        return rng.choice([self.folder, self.missing, self.readonly, self.scratch,
                           os.path.join(self.readonly, 'locked.gif'),
                           rng.choice(self.gifs + self.pictures + self.palettes)] + saved[:5])

    def save_path(self, kind, rng):
        """A path for a save dialog: mostly a new or an earlier file in the scratch folder,
        sometimes somewhere the save must be refused."""
        r = rng.random()
        n = rng.randrange(40)
        if r < 0.70:
            return os.path.join(self.scratch, '%s-%02d.%s' % ({'gif': 'anim', 'pal': 'colours',
                                                              'bmp': 'cel'}[kind], n, kind))
        if r < 0.78:
            return os.path.join(self.scratch, 'noext-%02d' % n)
        choices = [self.missing, self.scratch, os.path.join(self.readonly, 'new.' + kind),
                   os.path.join(self.scratch, 'wrong-%s-%02d.txt' % (kind, n))]
        if kind == 'gif':
            choices += [os.path.join(self.readonly, 'writable.gif'),
                        os.path.join(self.readonly, 'locked.gif')]
        return rng.choice(choices)


def snapshot(folder):
    out = {}
    for dirpath, _, names in os.walk(folder):
        for name in names:
            p = os.path.join(dirpath, name)
            try:
                st = os.stat(p)
            except OSError:
                continue
            out[p] = (st.st_mtime_ns, st.st_size)
    return out


# ---------------------------------------------------------------- the accessible tree

ACCESSIBLE = 'org.a11y.atspi.Accessible'


_REQUESTS = {}


def request(call):
    """The bytes of one method call with a zero serial, made once: the same few calls go to
    the same widgets step after step."""
    from minidbus import _Writer, marshal_body
    message = _REQUESTS.get(call)
    if message is None:
        dest, path, iface, member, sig, args = call
        body = marshal_body(sig, args)
        fields = [(1, ('o', path)), (3, ('s', member)), (6, ('s', dest)), (2, ('s', iface))]
        if sig:
            fields.append((8, ('g', sig)))
        w = _Writer()
        w.buf += struct.pack('<cBBBII', b'l', 1, 0, 1, len(body), 0)
        w.put('a(yv)', fields)
        w.pad(8)
        message = _REQUESTS[call] = bytes(w.buf) + body
    return message


def _string(data, pos):
    n = struct.unpack_from('<I', data, pos)[0]
    return data[pos + 4:pos + 4 + n].decode('utf-8', 'replace'), pos + 4 + n + 1


def _align(pos, n):
    return (pos + n - 1) // n * n


def decode_body(sig, data):
    """The answers the tree reader asks for, decoded directly; anything else by minidbus."""
    from minidbus import unmarshal_body
    if sig == 's':
        return [_string(data, 0)[0]]
    if sig == 'v' and data[:3] == b'\x01s\x00':
        return [_string(data, 4)[0]]
    if sig == 'au':
        n = struct.unpack_from('<I', data, 0)[0]
        return [list(struct.unpack_from('<%dI' % (n // 4), data, 4))]
    if sig == '(iiii)':
        return [struct.unpack_from('<4i', data, 0)]
    if sig == 'a(so)':
        n = struct.unpack_from('<I', data, 0)[0]
        pos, items = 8, []
        while pos < 8 + n:
            pos = _align(pos, 8)
            bus, pos = _string(data, pos)
            path, pos = _string(data, _align(pos, 4))
            items.append((bus, path))
        return [items]
    return unmarshal_body(sig, data, '<')


def read_answer(conn):
    """(type, reply serial, signature, body) of the next message on the bus."""
    head = conn._recv_exact(16)
    if head[0:1] != b'l':               # a big-endian sender: the general way
        from minidbus import _Reader
        body_len, _, fields_len = struct.unpack_from('>III', head, 4)
        rest = conn._recv_exact(_align(fields_len, 8) + body_len)
        r = _Reader(head + rest, '>')
        r.pos = 12
        fields = dict(r.get('a(yv)'))
        return head[1], fields.get(5), fields.get(8, ''), rest[_align(fields_len, 8):], '>'
    mtype = head[1]
    body_len, _, fields_len = struct.unpack_from('<III', head, 4)
    rest = conn._recv_exact(_align(fields_len, 8) + body_len)
    data, pos, end = head + rest, 16, 16 + fields_len
    reply, sig = None, ''
    while pos < end:
        pos = _align(pos, 8)
        code, n = data[pos], data[pos + 1]
        kind = data[pos + 2:pos + 2 + n]
        pos += 3 + n
        if kind == b'u':
            pos = _align(pos, 4)
            value = struct.unpack_from('<I', data, pos)[0]
            pos += 4
        elif kind in (b's', b'o'):
            value, pos = _string(data, _align(pos, 4))
        elif kind == b'g':
            value = data[pos + 1:pos + 1 + data[pos]].decode()
            pos += data[pos] + 2
        else:
            raise ValueError('unexpected header field type %r' % kind)
        if code == 5:
            reply = value
        elif code == 8:
            sig = value
    return mtype, reply, sig, data[16 + _align(fields_len, 8):], '<'


def pipelined(conn, calls):
    """Sends every call before reading any answer: the program answers one at a time
    anyway, so a whole level of the tree costs one round trip instead of five per widget.
    Answers that are errors come back as DBusError values."""
    from minidbus import DBusError, unmarshal_body
    wanted, out = {}, bytearray()
    for i, call in enumerate(calls):
        conn.serial += 1
        message = bytearray(request(call))
        struct.pack_into('<I', message, 8, conn.serial)
        out += message
        wanted[conn.serial] = i
    conn.sock.sendall(bytes(out))
    answers, left = [None] * len(calls), len(calls)
    while left:
        mtype, reply, sig, body, endian = read_answer(conn)
        i = wanted.pop(reply, None)
        if i is None or mtype not in (2, 3):
            continue
        if endian == '<':
            values = decode_body(sig, body) if sig else []
        else:
            values = unmarshal_body(sig, body, endian) if sig else []
        answers[i] = DBusError(str(values[:1])) if mtype == 3 else values
        left -= 1
    return answers


def read_tree(conn, ref, max_nodes=4000):
    """The program's widget tree, level by level, without the children of widgets that are
    not on screen (closed menus, hidden pages)."""
    from a11y import Node, decode_states
    from minidbus import DBusError
    props = 'org.freedesktop.DBus.Properties'
    root, level, count = None, [(tuple(ref), None)], 0
    while level:
        calls = []
        for (bus, path), _ in level:
            calls += [(bus, path, props, 'Get', 'ss', (ACCESSIBLE, 'Name')),
                      (bus, path, ACCESSIBLE, 'GetRoleName', '', ()),
                      (bus, path, ACCESSIBLE, 'GetState', '', ()),
                      (bus, path, 'org.a11y.atspi.Component', 'GetExtents', 'u', (0,)),
                      (bus, path, ACCESSIBLE, 'GetChildren', '', ())]
        answers = pipelined(conn, calls)
        following = []
        for k, (r, parent) in enumerate(level):
            name, role, state, extents, children = answers[k * 5:k * 5 + 5]
            if any(isinstance(v, DBusError) for v in (name, role, state, children)):
                continue                  # destroyed while we read
            node = Node(role[0], name[0], decode_states(state[0]),
                        (0, 0, 0, 0) if isinstance(extents, DBusError) else extents[0],
                        parent=parent, ref=r)
            if parent is None:
                root = node
            else:
                parent.children.append(node)
            if parent is not None and node.depth > 1 and not node.showing:
                continue
            count += len(children[0])
            if count > max_nodes:
                raise DBusError('more than %d accessible objects' % max_nodes)
            following += [(tuple(c), node) for c in children[0]]
        level = following
    if root is None:
        raise DBusError('the program left the accessibility bus')
    return root


def clipped_rect(node, screen):
    """The part of a widget that can be seen: its rectangle cut by every ancestor's and by
    the screen (a picture larger than its scroll box reports its whole size)."""
    x, y, w, h = node.extents
    x0, y0, x1, y1 = x, y, x + w, y + h
    n = node
    # a pop-up menu is a window of its own, outside the menu bar item it hangs from
    while n.parent is not None and n.role not in POPUP_ROLES:
        n = n.parent
        px, py, pw, ph = n.extents
        if pw > 0 and ph > 0 and n.role != 'application':
            x0, y0, x1, y1 = max(x0, px), max(y0, py), min(x1, px + pw), min(y1, py + ph)
    x0, y0, x1, y1 = max(x0, 0), max(y0, 0), min(x1, screen[0]), min(y1, screen[1])
    if x1 - x0 < 2 or y1 - y0 < 2:
        return None
    return x0, y0, x1 - x0, y1 - y0


def enabled(node):
    return 'enabled' in node.states or 'sensitive' in node.states


class View:
    """What one look at the program found: its windows, the active one, and its tree."""

    def __init__(self, monkey):
        s, app = monkey.session, monkey.app
        self.screen = monkey.screen
        self.windows = s.windows(app)
        self.active = s.active_window()
        self.tree = monkey.read_tree()
        # a maximised document adds its caption to the main window's title
        self.main = next((w for w in self.windows if not w.modal and not w.dialog and
                          (w.title == MAIN_TITLE or w.title.startswith(MAIN_TITLE + ' - '))),
                         None)
        popups = [n for n in self.tree.walk() if n.role == 'popup menu' and n.showing]
        self.popup = max(popups, key=lambda n: n.depth) if popups else None
        boxes = [n for n in self.tree.children if n.role.startswith('alert') and n.showing]
        self.box = boxes[0] if boxes else None
        ours = self.active is not None and any(w.id == self.active.id for w in self.windows)
        if self.popup is not None:
            self.context = 'menu'
        elif not ours:
            self.context = 'unfocused'
        elif self.box is not None:
            self.context = 'box'
        elif self.active.title in OPEN_DIALOGS or self.active.title in SAVE_DIALOGS:
            self.context = 'file'
        elif self.main is not None and self.active.id == self.main.id:
            self.context = 'main'
        else:
            self.context = 'window'

    def nodes(self, role=None, name=None, within=None):
        root = within if within is not None else self.tree
        return [n for n in root.find(role, name) if n.showing and clipped_rect(n, self.screen)]

    def window_node(self):
        """The accessible node of the active top-level window, if it can be told."""
        if self.box is not None:
            return self.box
        title = self.active.title if self.active else None
        tops = [n for n in self.tree.children if n.showing]
        named = [n for n in tops if n.name == title]
        named.sort(key=lambda n: 'active' not in n.states)
        return named[0] if named else None

    def documents(self):
        return [n for n in self.nodes('frame') if n.parent is not None and
                n.parent.role == 'layered pane']

    def resolve(self, ref):
        """The widget a recorded action names: role, name and index among the visible ones."""
        if ref is None:
            return None
        found = self.nodes(ref.get('role'), re.escape(ref['name']) if 'name' in ref else None)
        found.sort(key=lambda n: (n.extents[1], n.extents[0]))
        i = ref.get('index', 0)
        return found[i] if i < len(found) else None


def ref_of(view, node):
    same = view.nodes(re.escape(node.role), re.escape(node.name))
    same.sort(key=lambda n: (n.extents[1], n.extents[0]))
    return {'role': node.role, 'name': node.name,
            'index': next((i for i, n in enumerate(same) if n is node), 0)}


# ---------------------------------------------------------------- choosing an action

def weighted(rng, table):
    table = [(w, v) for w, v in table if w > 0]
    total = sum(w for w, _ in table)
    r = rng.uniform(0, total)
    for w, v in table:
        r -= w
        if r <= 0:
            return v
    return table[-1][1]


def fraction(rng, spill=0.0):
    """A point across a widget, 0..1; with spill, sometimes a little outside it."""
    if spill and rng.random() < spill:
        return round(rng.uniform(-0.25, 1.25), 3)
    return round(rng.random(), 3)


class Chooser:
    """Turns a look at the program and a random stream into one action, a plain dict that
    the log keeps and a replay sends again."""

    def __init__(self, inputs, run):
        self.inputs, self.run = inputs, run
        self.same_window = (None, 0)
        self.away = 0

    def rel(self, path):
        return '$RUN/' + os.path.relpath(path, self.run)

    def choose(self, view, rng):
        wid = view.active.id if view.active else None
        count = self.same_window[1] + 1 if self.same_window[0] == wid else 1
        self.same_window = (wid, count)
        self.away = 0 if view.context == 'main' else self.away + 1
        if self.away > 40 and self.away % 4 == 0:
            return {'kind': 'leave-window', 'do': 'key', 'keys': ['Escape', 'Escape', 'alt+F4']}
        return getattr(self, 'in_' + view.context)(view, rng, count)

    # A window that has had many actions is left, so that one dialog cannot hold the run; a
    # window beside the main window (help) sooner, as Escape does not close it.
    def leave(self, view, count):
        dialog = view.active is not None and (view.active.modal or view.active.dialog)
        if count > (14 if dialog else 5):
            return {'kind': 'leave-window', 'do': 'key', 'keys': ['alt+F4']}
        if count > 10:
            return {'kind': 'leave-window', 'do': 'key', 'keys': ['Escape']}
        return None

    def in_unfocused(self, view, rng, count):
        return {'kind': 'focus', 'do': 'focus'}

    def in_menu(self, view, rng, count):
        items = [n for n in view.nodes('menu item', within=view.popup) if enabled(n)]
        choice = weighted(rng, [(75 if items else 0, 'item'), (10, 'escape'), (15, 'keys')])
        if choice == 'item':
            n = rng.choice(items)
            return {'kind': 'menu-item', 'do': 'click', 'target': ref_of(view, n),
                    'at': [0.5, 0.5], 'button': 1}
        if choice == 'escape':
            return {'kind': 'menu-key', 'do': 'key', 'keys': ['Escape']}
        keys = [rng.choice(['Down', 'Up', 'Right', 'Left']) for _ in range(rng.randint(1, 4))]
        return {'kind': 'menu-key', 'do': 'key', 'keys': keys + ['Return']}

    def in_box(self, view, rng, count):
        buttons = [n for n in view.nodes('push button', within=view.box) if enabled(n)]
        choice = weighted(rng, [(60 if buttons else 0, 'button'), (20, 'Return'), (20, 'Escape')])
        if choice == 'button':
            return {'kind': 'box-button', 'do': 'click',
                    'target': ref_of(view, rng.choice(buttons)), 'at': [0.5, 0.5], 'button': 1}
        return {'kind': 'box-key', 'do': 'key', 'keys': [choice]}

    def in_file(self, view, rng, count):
        left = self.leave(view, count)
        if left:
            return left
        title = view.active.title
        choice = weighted(rng, [(85, 'path'), (8, 'Escape'), (4, 'Return'), (3, 'click')])
        if choice == 'path':
            if title in SAVE_DIALOGS:
                path = self.inputs.save_path(SAVE_DIALOGS[title], rng)
            else:
                path = self.inputs.open_path(OPEN_DIALOGS[title], rng)
            return {'kind': 'file-path', 'do': 'path', 'path': self.rel(path), 'dialog': title}
        if choice == 'click':
            return {'kind': 'file-click', 'do': 'click', 'target': None, 'in_window': True,
                    'at': [fraction(rng), fraction(rng)], 'button': 1}
        return {'kind': 'file-key', 'do': 'key', 'keys': [choice]}

    def in_window(self, view, rng, count):
        left = self.leave(view, count)
        if left:
            return left
        top = view.window_node()
        controls = [n for n in view.nodes(within=top) if n.role in CONTROL_ROLES and enabled(n)
                    ] if top is not None else []
        fields = [n for n in controls if n.role in FIELD_ROLES or
                  (n.role == 'combo box' and 'editable' in n.states)]
        choice = weighted(rng, [(30 if fields else 0, 'field'), (28 if controls else 0, 'control'),
                                (16, 'key'), (12, 'click'), (7, 'drag'),
                                (7 if view.main else 0, 'drop')])
        if choice == 'field':
            return self.field(view, rng, rng.choice(fields))
        if choice == 'control':
            n = rng.choice(controls)
            return {'kind': 'dialog-control', 'do': 'click', 'target': ref_of(view, n),
                    'at': [0.5, 0.5], 'button': 1}
        if choice == 'key':
            return {'kind': 'dialog-key', 'do': 'key',
                    'keys': [rng.choice(['Return', 'Escape', 'Tab', 'space', 'Down', 'Up',
                                         'shift+Tab'])]}
        if choice == 'click':
            return {'kind': 'dialog-click', 'do': 'click', 'target': None, 'in_window': True,
                    'at': [fraction(rng), fraction(rng)], 'button': rng.choice([1, 1, 1, 3])}
        points = [[None, fraction(rng), fraction(rng)] for _ in range(rng.randint(2, 5))]
        if choice == 'drop':
            # from this window (the import window's pieces) onto the documents
            targets = view.nodes('list', 'Cels') + view.nodes('filler', 'Picture') + \
                view.nodes('layered pane', 'Documents')
            if targets:
                points[-1] = [ref_of(view, rng.choice(targets)), fraction(rng), fraction(rng)]
        return {'kind': 'dialog-' + choice, 'do': 'drag', 'target': None, 'in_window': True,
                'points': points, 'button': 1}

    def field(self, view, rng, node):
        return {'kind': 'field', 'do': 'field', 'target': ref_of(view, node),
                'value': rng.choice(FIELD_VALUES),
                'then': rng.choice([None, 'Tab', 'Return', 'Return', 'Escape'])}

    def in_main(self, view, rng, count):
        pictures = view.nodes('filler', 'Picture')
        strips = view.nodes('list', 'Cels')
        palettes = view.nodes('filler', 'Palette') + view.nodes('filler', 'Drawing Colors')
        wheel_targets = (view.nodes('filler', 'Picture Scroll Box') + strips + palettes +
                         view.nodes('graphic', 'Preview') + view.nodes('layered pane'))
        bar_items = [n for n in view.nodes('menu item') if n.parent is not None and
                     n.parent.role == 'menu bar' and enabled(n)]
        toolbars = [n for bar in view.nodes('tool bar') for n in view.nodes(within=bar)
                    if n.role in ('push button', 'check box') and enabled(n)]
        docs = view.documents()
        in_docs = [n for d in docs for n in view.nodes(within=d)
                   if n.role in CONTROL_ROLES and enabled(n)]
        fields = [n for n in view.nodes('spin box') if enabled(n)]
        zooms = [n for n in view.nodes('combo box') if enabled(n) and n.name.endswith('x')]
        many = len(docs) > 12
        choice = weighted(rng, [
            (26 if pictures else 0, 'paint'), (10 if strips else 0, 'strip'),
            (5 if palettes else 0, 'palette'), (4 if wheel_targets else 0, 'wheel'),
            (8, 'shortcut'), (8 if bar_items else 0, 'menu'), (3, 'menu-key'),
            (12 if toolbars else 0, 'toolbar'), (5 if in_docs else 0, 'control'),
            (2 if zooms else 0, 'zoom'), (3 if fields else 0, 'field'), (2, 'click'),
            (3, 'key'), (2 if docs else 0, 'save'), (7 if docs else 0, 'command'), (2, 'open'),
            (1 if len(docs) < 10 else 0, 'new'), (30 if many else 1 if docs else 0, 'close'),
            (4 if toolbars else 0, 'burst')])
        if choice == 'burst':
            # the same command many times over: no cels left, the whole undo history...
            if rng.random() < 0.5:
                return {'kind': 'burst', 'do': 'burst', 'times': rng.randint(3, 12),
                        'action': {'do': 'key', 'keys': [rng.choice(BURST_KEYS)]}}
            return {'kind': 'burst', 'do': 'burst', 'times': rng.randint(3, 12),
                    'action': {'do': 'click', 'target': ref_of(view, rng.choice(toolbars)),
                               'at': [0.5, 0.5], 'button': 1}}
        if choice == 'paint':
            return self.pointer(view, rng, 'paint', rng.choice(pictures), [pictures, strips])
        if choice == 'strip':
            return self.pointer(view, rng, 'strip', rng.choice(strips), [strips, pictures])
        if choice == 'palette':
            n = rng.choice(palettes)
            return {'kind': 'palette', 'do': 'click', 'target': ref_of(view, n),
                    'at': [fraction(rng), fraction(rng)], 'button': rng.choice([1, 1, 3]),
                    'count': rng.choice([1, 1, 1, 2])}
        if choice == 'wheel':
            n = rng.choice(wheel_targets)
            return {'kind': 'wheel', 'do': 'wheel', 'target': ref_of(view, n),
                    'at': [fraction(rng), fraction(rng)], 'up': rng.random() < 0.5,
                    'clicks': rng.randint(1, 6), 'mods': rng.choice(['', '', 'ctrl', 'shift'])}
        if choice == 'shortcut':
            return {'kind': 'shortcut', 'do': 'key', 'keys': [rng.choice(SHORTCUTS)]}
        if choice == 'menu':
            return {'kind': 'menu-bar', 'do': 'click', 'target': ref_of(view, rng.choice(bar_items)),
                    'at': [0.5, 0.5], 'button': 1}
        if choice == 'menu-key':
            return {'kind': 'menu-bar-key', 'do': 'key', 'keys': [rng.choice(MENU_KEYS)]}
        if choice == 'toolbar':
            return {'kind': 'toolbar', 'do': 'click', 'target': ref_of(view, rng.choice(toolbars)),
                    'at': [0.5, 0.5], 'button': 1}
        if choice == 'control':
            n = rng.choice(in_docs)
            if n.role in FIELD_ROLES:
                return self.field(view, rng, n)
            return {'kind': 'control', 'do': 'click', 'target': ref_of(view, n),
                    'at': [fraction(rng), fraction(rng)], 'button': 1}
        if choice == 'zoom':
            keys = [rng.choice(['Down', 'Up', 'End', 'Home', 'Next']) for _ in range(rng.randint(1, 3))]
            return {'kind': 'zoom', 'do': 'click', 'target': ref_of(view, rng.choice(zooms)),
                    'at': [0.5, 0.5], 'button': 1, 'keys': keys + ['Return']}
        if choice == 'field':
            return self.field(view, rng, rng.choice(fields))
        if choice == 'click':
            return {'kind': 'window-click', 'do': 'click', 'target': None, 'in_window': True,
                    'at': [fraction(rng), fraction(rng)], 'button': rng.choice([1, 1, 3]),
                    'count': rng.choice([1, 1, 2])}
        if choice == 'key':
            return {'kind': 'key', 'do': 'key', 'keys': [rng.choice(KEYS)]}
        if choice == 'save':
            return {'kind': 'save', 'do': 'save',
                    'path': self.rel(self.inputs.save_path('gif', rng))}
        if choice == 'command':
            return {'kind': 'command', 'do': 'menu', 'path': rng.choice(COMMANDS)}
        if choice == 'open':
            return {'kind': 'shortcut', 'do': 'key', 'keys': ['ctrl+o']}
        if choice == 'new':
            return {'kind': 'shortcut', 'do': 'key', 'keys': ['ctrl+n']}
        return {'kind': 'close', 'do': 'menu', 'path': ['File', 'Close']}

    def pointer(self, view, rng, kind, node, drop_pools):
        """A click, a double click, a right click or a drag in one widget; some drags end
        on another widget of the same kind or the other kind (cels onto a painter)."""
        button = rng.choice([1, 1, 1, 3])
        how = weighted(rng, [(35, 'click'), (5, 'double'), (45, 'drag'), (15, 'drop')])
        target = ref_of(view, node)
        if how in ('click', 'double'):
            return {'kind': kind + '-' + how, 'do': 'click', 'target': target,
                    'at': [fraction(rng, 0.05), fraction(rng, 0.05)], 'button': button,
                    'count': 2 if how == 'double' else 1}
        points = [[None, fraction(rng, 0.1), fraction(rng, 0.1)]
                  for _ in range(rng.randint(2, 7))]
        if how == 'drop':
            pool = [n for p in drop_pools for n in p]
            points[-1] = [ref_of(view, rng.choice(pool)), fraction(rng), fraction(rng)]
            button = 1
        return {'kind': kind + '-' + how, 'do': 'drag', 'target': target, 'points': points,
                'button': button}


# ---------------------------------------------------------------- the run

class Finding(Exception):
    pass


class Monkey:
    def __init__(self, args, uidrive):
        self.args = args
        self.uidrive = uidrive
        self.run = args.out
        self.seed = args.seed
        self.counts = collections.Counter()
        self.contexts = collections.Counter()
        self.seconds = collections.Counter()
        self.crashes, self.hangs, self.exits, self.failed_steps = [], [], [], []
        self.saves = []
        self.gone = 0
        self.launches = 0
        self.app = None
        self.app_ref = None
        self.step = 0
        self.start_time = time.time()

    # -- setting up
    def stage(self):
        os.makedirs(self.run)
        build = os.path.abspath(self.args.build)
        app_dir = os.path.join(self.run, 'app')
        os.makedirs(app_dir)
        exe = os.path.join(app_dir, 'vimbrel')
        try:
            os.link(os.path.join(build, 'vimbrel'), exe)
        except OSError:
            shutil.copy2(os.path.join(build, 'vimbrel'), exe)
        # the files the editor finds beside itself; it writes palettes and exported cels there
        for entry in sorted(os.listdir(os.path.join(REPO, 'data'))):
            src = os.path.join(build, entry)
            if not os.path.exists(src):
                src = os.path.join(REPO, 'data', entry)
            if os.path.isdir(src):
                shutil.copytree(src, os.path.join(app_dir, entry))
            else:
                shutil.copyfile(src, os.path.join(app_dir, entry))
        self.exe = exe
        self.cli = os.path.join(build, 'vimbrel-cli')
        self.inputs = Inputs(self.run, self.args.gif_suites, build)
        self.home = os.path.join(self.run, 'home')
        os.makedirs(self.home)
        self.before = snapshot(self.run)
        self.chooser = Chooser(self.inputs, self.run)
        self.log_file = open(os.path.join(self.run, 'actions.jsonl'), 'w')

    def env(self):
        return {
            'ASAN_OPTIONS': 'abort_on_error=1:halt_on_error=1:detect_leaks=1:'
                            'allocator_may_return_null=1:max_allocation_size_mb=3072:'
                            'hard_rss_limit_mb=6144:handle_abort=1:print_summary=1',
            'UBSAN_OPTIONS': 'print_stacktrace=1:halt_on_error=1:abort_on_error=1',
            'LSAN_OPTIONS': 'print_suppressions=0',
        }

    def launch(self):
        from uidrive import UiError
        self.launches += 1
        self.app = self.session.launch([self.exe], name='vimbrel', cwd=self.inputs.scratch,
                                       home=self.home, env=self.env())
        try:
            self.session.wait_window('^%s$' % re.escape(MAIN_TITLE), timeout=90, name=self.app)
        except UiError as e:
            self.note_end('did not start: %s' % e)
            raise Finding('the editor did not start')

    # -- one step
    def look(self):
        from uidrive import UiError
        from minidbus import DBusError
        for attempt in range(3):
            try:
                return View(self)
            except (UiError, DBusError, OSError, socket.timeout) as e:
                self.reset_a11y()
                if not self.session.alive(self.app):
                    return None
                if attempt == 2:
                    raise Finding('cannot read the widget tree: %s' % e)
                self.settle()

    def read_tree(self):
        ax = self.session.a11y()
        pid = self.session.app(self.app)['pid']
        if self.app_ref is None or self.app_ref[0] != pid:
            ref = self.session.wait_until(lambda: ax.app_ref(pid), 30,
                                          'the editor on the accessibility bus')
            self.app_ref = (pid, ref)
        return read_tree(ax.conn, self.app_ref[1])

    def reset_a11y(self):
        if self.session._a11y is not None:
            try:
                self.session._a11y.close()
            except OSError:
                pass
            self.session._a11y = None

    def record(self, action, view):
        context = view.context
        action = dict(action, n=self.step, t=round(time.time() - self.start_time, 2),
                      context=context, title=view.active.title if view.active else None)
        # the run folder's name shows in captions and recent files; the log leaves it out so
        # that runs compare and replay elsewhere
        self.log_file.write(json.dumps(action, ensure_ascii=False).replace(self.run, '$RUN') +
                            '\n')
        self.log_file.flush()
        self.counts[action['kind']] += 1
        self.contexts[context] += 1
        return action

    def path(self, text):
        return text.replace('$RUN/', self.run + '/', 1) if text.startswith('$RUN/') else text

    def point(self, view, ref, fx, fy, window=False):
        if window:
            if view.active is None:
                return None
            x, y, w, h = self.session.geometry(view.active)
        else:
            node = view.resolve(ref)
            rect = clipped_rect(node, self.screen) if node is not None else None
            if rect is None:
                return None
            x, y, w, h = rect
        px = min(max(int(x + fx * (w - 1)), 0), self.screen[0] - 1)
        py = min(max(int(y + fy * (h - 1)), 0), self.screen[1] - 1)
        return px, py

    def xdotool(self, *argv):
        from uidrive import _run
        _run(['xdotool'] + [str(a) for a in argv], self.session.env(), timeout=20)

    def perform(self, view, a):
        """Sends one action; False when its widget was not there."""
        s = self.session
        do = a['do']
        if do == 'key':
            s.key(*a['keys'])
        elif do == 'focus':
            modal = [w for w in view.windows if w.modal]
            target = modal[-1] if modal else view.main
            if target is None:
                return False
            self.xdotool('windowactivate', target.id)
        elif do == 'click':
            p = self.point(view, a.get('target'), *a['at'], window=a.get('in_window', False))
            if p is None:
                return False
            s.click(None, p[0], p[1], button=a['button'], count=a.get('count', 1))
            if a.get('keys'):
                self.settle()            # the list of a combo box opens a moment later
                time.sleep(0.3)
                s.key(*a['keys'])
        elif do == 'drag':
            pts = []
            for ref, fx, fy in a['points']:
                p = self.point(view, ref or a.get('target'), fx, fy,
                               window=ref is None and a.get('in_window', False))
                if p is None:
                    return False
                pts.append(p)
            s.drag(None, pts, button=a['button'], step_delay=0.04)
        elif do == 'wheel':
            p = self.point(view, a['target'], *a['at'])
            if p is None:
                return False
            argv = ['mousemove', p[0], p[1], 'sleep', '0.05']
            if a['mods']:
                argv += ['keydown', a['mods']]
            argv += ['click', '--repeat', a['clicks'], '--delay', 40, 4 if a['up'] else 5]
            if a['mods']:
                argv += ['keyup', a['mods']]
            self.xdotool(*argv)
        elif do == 'field':
            p = self.point(view, a['target'], 0.4, 0.5)
            if p is None:
                return False
            s.click(None, p[0], p[1])
            s.key('ctrl+a', 'BackSpace')
            if a['value']:
                s.type(a['value'])
            if a['then']:
                s.key(a['then'])
        elif do == 'path':
            name = view.resolve({'role': 'text', 'name': 'File name:'})
            if name is not None:
                x, y = name.center()
                s.click(None, x, y)
            s.key('ctrl+a', 'BackSpace')
            s.type(self.path(a['path']))
            s.key('Return')
            if view.active and view.active.title in SAVE_DIALOGS:
                self.saves.append({'n': self.step, 'path': self.path(a['path']),
                                   'dialog': view.active.title})
        elif do == 'menu':
            return self.menu(a['path'])
        elif do == 'save':
            return self.save(self.path(a['path']))
        elif do == 'burst':
            for _ in range(a['times']):
                view = self.look()
                if view is None or view.context != 'main' or not self.perform(view, a['action']):
                    break
                self.settle()
        return True

    def press(self, role, name, timeout=5):
        """Clicks the visible, enabled widget of that role and name once it shows."""
        deadline = time.time() + timeout
        while True:
            view = self.look()
            found = [n for n in view.nodes(role, re.escape(name)) if enabled(n)] if view else []
            if found:
                x, y = found[-1].center()
                self.session.click(None, x, y)
                return True
            if view is None or time.time() > deadline:
                return False
            time.sleep(0.1)

    def menu(self, path):
        for item in path:
            if not self.press('menu item', item):
                self.session.key('Escape', 'Escape')
                return False
        return True

    def save(self, target):
        """Save As to a typed path, answering the questions a save may ask on the way."""
        s = self.session
        if not self.menu(['File', 'Save As...']):
            return False
        try:
            s.wait_window('^Save Animation As$', timeout=10, name=self.app)
        except Exception:
            return False
        view = self.look()
        if view is None:
            return True
        self.perform(view, {'do': 'path', 'path': target})
        deadline = time.time() + 30
        while time.time() < deadline and s.alive(self.app):
            self.settle()
            view = self.look()
            if view is None or view.context == 'main':
                break
            if view.context == 'box':
                names = [n.name for n in view.nodes('push button', within=view.box)]
                self.press('push button', 'Yes' if 'Yes' in names else 'OK' if 'OK' in names
                           else names[0])
            elif view.context == 'file':
                s.key('Escape')
            else:
                break
        return True

    def settle(self):
        """Waits until the event loop answers again; a loop that stays silent for the hang
        limit is a finding."""
        s = self.session
        time.sleep(0.05)
        start, last = time.time(), None
        while s.alive(self.app):
            if self.ping(3):
                # and the windows have stopped coming and going (a dialog being mapped)
                now = self.window_signature()
                if now == last or time.time() - start > 5:
                    return
                last = now
                time.sleep(0.05)
                continue
            if time.time() - start > self.args.hang_seconds:
                self.hang(time.time() - start)
                return

    def ping(self, timeout):
        """True when the event loop answers an accessibility call within timeout."""
        from minidbus import DBusError
        pid = self.session.app(self.app)['pid']
        if self.app_ref is None or self.app_ref[0] != pid:
            return self.session.responsive(self.app, timeout)
        bus, path = self.app_ref[1]
        try:
            conn = self.session.a11y().conn
            conn.sock.settimeout(timeout)
            answer = pipelined(conn, [(bus, path, 'org.freedesktop.DBus.Properties', 'Get',
                                       'ss', (ACCESSIBLE, 'Name'))])[0]
            conn.sock.settimeout(5.0)
            return not isinstance(answer, DBusError)
        except (OSError, DBusError):
            self.reset_a11y()         # a late answer would arrive in the middle of the next
            return False

    def window_signature(self):
        from uidrive import _run
        return _run(['xprop', '-root', '-notype', '_NET_ACTIVE_WINDOW', '_NET_CLIENT_LIST'],
                    self.session.env(), check=False).stdout

    def hang(self, seconds):
        a = self.session.app(self.app)
        stem = os.path.join(self.run, 'hang-%05d' % self.step)
        try:
            self.session.screenshot(stem + '.png')
        except Exception:
            pass
        if shutil.which('gdb'):
            try:
                r = subprocess.run(['gdb', '-p', str(a['pid']), '-batch', '-ex',
                                    'thread apply all bt 40'], capture_output=True, text=True,
                                   timeout=180)
                with open(stem + '.txt', 'w') as f:
                    f.write(r.stdout + r.stderr)
            except subprocess.TimeoutExpired:
                pass
        self.hangs.append({'n': self.step, 'seconds': round(seconds, 1), 'files': stem + '.*'})
        try:
            os.kill(a['pid'], signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.session.wait_until(lambda: not self.session.alive(self.app), 10, 'the hung editor')

    def note_end(self, why=None):
        """The program of this launch has ended: a crash, a report or a plain exit."""
        s = self.session
        status = s.exit_status(self.app)
        text = s.log(self.app)
        reports = [m.group(0) for m in REPORT_RE.finditer(text)]
        first = next((line for line in text.splitlines() if REPORT_RE.search(line)), None)
        entry = {'n': self.step, 'launch': self.app, 'status': status,
                 'log': s.app(self.app)['log'], 'report': first, 'why': why}
        hung = self.hangs and self.hangs[-1]['n'] == self.step
        if reports or (status not in (0, 'stopped by uidrive') and not hung):
            self.crashes.append(entry)
        else:
            self.exits.append(entry)
        # whatever the program printed before any report: Qt's warnings
        before = text[:text.find(first)] if first else text
        self.printed.update(line for line in before.splitlines() if line.strip())

    def loop(self, deadline, actions=None):
        """Live steps until the deadline, or the recorded actions of a replay."""
        while True:
            if actions is None and time.time() >= deadline:
                return
            if actions is not None and not actions:
                return
            if not self.session.alive(self.app):
                self.note_end()
                self.launch()
            t0 = time.time()
            view = self.look()
            self.seconds['looking'] += time.time() - t0
            if view is None:
                continue
            self.step += 1
            if actions is None:
                rng = random.Random('%d:%d' % (self.seed, self.step))
                action = self.chooser.choose(view, rng)
            else:
                action = json.loads(json.dumps(actions.pop(0)).replace('$RUN', self.run))
                self.step = action['n']
            action = self.record(action, view)
            t0 = time.time()
            try:
                if not self.perform(view, action):
                    self.gone += 1
            except Exception as e:            # a step that could not be sent is no finding
                self.failed_steps.append((self.step, action['kind'], str(e)[:200]))
                self.reset_a11y()
                from uidrive import _run
                for b in (1, 3):
                    _run(['xdotool', 'mouseup', str(b)], self.session.env(), check=False)
            t1 = time.time()
            self.seconds['sending'] += t1 - t0
            if self.session.alive(self.app):
                self.settle()
            self.seconds['waiting for the editor'] += time.time() - t1

    def close_editor(self):
        """Ends the program the way a user does (File > Exit, no to every save question), so
        that the leak checker runs at exit."""
        s = self.session
        deadline, tries = time.time() + 120, 0
        while time.time() < deadline and s.alive(self.app):
            view = self.look()
            if view is None:
                break
            try:
                if view.context == 'box':
                    names = [n.name for n in view.nodes('push button', within=view.box)]
                    pick = next((b for b in ('No', 'OK', 'Discard') if b in names), None)
                    if pick:
                        self.press('push button', pick)
                    else:
                        s.key('Escape')
                elif view.context in ('menu', 'file', 'window'):
                    tries += 1
                    s.key('Escape' if tries % 3 else 'alt+F4')
                elif view.context == 'unfocused':
                    self.perform(view, {'do': 'focus'})
                else:
                    self.menu(['File', 'Exit'])
            except Exception:
                self.reset_a11y()
            time.sleep(0.3)
            if s.alive(self.app):
                self.settle()
        if s.alive(self.app):
            self.note_end('did not exit in 120 s')
            return False
        self.note_end()
        return True

    # -- the saved files
    def check_saved(self):
        after = snapshot(self.run)
        skip = (os.path.join(self.run, 'session'), os.path.join(self.run, 'home'))
        typed = {sv['path'] for sv in self.saves if sv['dialog'] == 'Save Animation As'}
        written = sorted(p for p, st in after.items()
                         if not p.startswith(skip) and self.before.get(p) != st and
                         (p.lower().endswith('.gif') or p in typed))
        results = []
        for p in written:
            r = subprocess.run([self.cli, 'info', p], capture_output=True, text=True,
                               timeout=300)
            results.append({'path': p, 'status': r.returncode,
                            'error': r.stderr.strip().splitlines()[-1:] if r.returncode else []})
        leftovers = sorted(p for p in after if p.endswith('.tmp') and p not in self.before)
        return results, leftovers

    def main(self, actions=None):
        from uidrive import Session
        self.stage()
        self.printed = collections.Counter()
        self.session = Session(dir=os.path.join(self.run, 'session'))
        self.session.start()
        self.screen = tuple(int(v) for v in self.session.state['size'].split('x')[:2])
        sys.stderr.write('monkey: seed %d, run folder %s\n' % (self.seed, self.run))
        ended_cleanly = False
        try:
            self.launch()
            self.loop(self.start_time + self.args.minutes * 60, actions)
            ended_cleanly = self.close_editor()
        except Finding as e:
            self.failed_steps.append((self.step, 'run', str(e)))
        finally:
            self.session.stop()
            self.inputs.unlock()
            self.log_file.close()
        saved, leftovers = self.check_saved()
        return self.summary(saved, leftovers, ended_cleanly)

    def summary(self, saved, leftovers, ended_cleanly):
        what = 'replay of %s' % self.args.replay if self.args.replay else 'seed %d' % self.seed
        lines = ['%s, %.1f minutes, %d actions, %d launches of the editor' % (
            what, (time.time() - self.start_time) / 60, sum(self.counts.values()),
            self.launches)]
        lines.append('run folder: %s (actions.jsonl: every action by number)' % self.run)
        lines.append('read-only folder: %s' % self.inputs.readonly_mode)
        lines.append('actions per kind:')
        for kind, n in sorted(self.counts.items(), key=lambda kv: (-kv[1], kv[0])):
            lines.append('  %6d  %s' % (n, kind))
        if self.gone:
            lines.append('actions whose widget had gone when they were sent: %d' % self.gone)
        lines.append('situations: ' + ', '.join('%s %d' % kv for kv in sorted(self.contexts.items())))
        lines.append('seconds spent: ' + ', '.join('%s %.0f' % kv for kv in sorted(self.seconds.items())))
        lines.append('crashes: %d; sanitizer reports: %d' % (
            len([c for c in self.crashes if c['status'] not in (0, 'stopped by uidrive')]),
            len([c for c in self.crashes if c['report']])))
        for c in self.crashes:
            lines.append('  after action %d: exit status %s%s; log %s%s' % (
                c['n'], c['status'], '; ' + c['report'] if c['report'] else '', c['log'],
                ' (%s)' % c['why'] if c['why'] else ''))
        lines.append('hangs: %d' % len(self.hangs))
        for h in self.hangs:
            lines.append('  at action %d: no answer for %ss; %s' % (h['n'], h['seconds'], h['files']))
        plain = len([e for e in self.exits if e['status'] == 0]) - (1 if ended_cleanly else 0)
        lines.append('editor ended by the input before the end (Exit, closed window), then '
                     'started again: %d' % plain)
        lines.append('ended by File > Exit at the end: %s' % ('yes' if ended_cleanly else 'NO'))
        good = [r for r in saved if r['status'] == 0]
        lines.append('save dialogs answered with a path: %d; GIF files written: %d, reopened: %d'
                     % (len(self.saves), len(saved), len(good)))
        for r in saved:
            if r['status'] != 0:
                lines.append('  DOES NOT OPEN: %s (%s)' % (r['path'], ' '.join(r['error'])))
        if leftovers:
            lines.append('temporary files left behind: %d' % len(leftovers))
            lines += ['  ' + p for p in leftovers[:10]]
        if self.failed_steps:
            lines.append('steps that could not be sent: %d (first: %s)' % (
                len(self.failed_steps), self.failed_steps[0]))
        if self.printed:
            lines.append('other output of the editor (%d kinds of line):' % len(self.printed))
            for text, n in self.printed.most_common(8):
                lines.append('  %5d  %s' % (n, text[:150]))
        text = '\n'.join(lines) + '\n'
        with open(os.path.join(self.run, 'summary.txt'), 'w') as f:
            f.write(text)
        sys.stdout.write(text)
        bad = self.crashes or self.hangs or len(good) != len(saved) or not ended_cleanly
        return 1 if bad else 0


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    ap.add_argument('--seed', type=int, help='random seed (default: from the clock, printed)')
    ap.add_argument('--minutes', type=float, default=10.0, help='how long to send input')
    ap.add_argument('--build', default=os.path.join(REPO, 'build-asan'),
                    help='build folder with vimbrel and vimbrel-cli (default build-asan)')
    ap.add_argument('--out', help='run folder (default BUILD/monkey/seed-N)')
    ap.add_argument('--uidrive', help='uidrive folder (default $VIMBREL_UIDRIVE, then '
                                      '../shared/uidrive beside the checkout)')
    ap.add_argument('--gif-suites', help='folder of more GIF test files (default '
                                         '$VIMBREL_GIF_SUITES, then ../shared/gif-test-suites)')
    ap.add_argument('--hang-seconds', type=float, default=30.0,
                    help='an event loop silent this long is a hang')
    ap.add_argument('--replay', help='actions.jsonl of an earlier run: send its actions again')
    ap.add_argument('--upto', type=int, help='replay: stop after this action number')
    ap.add_argument('--skip', default='', help='replay: action numbers to leave out, 3,7-9')
    args = ap.parse_args(argv)

    uidrive = shared_folder(args.uidrive, 'VIMBREL_UIDRIVE', 'uidrive')
    if not uidrive or not os.path.exists(os.path.join(uidrive, 'uidrive.py')):
        ap.error('uidrive not found: pass --uidrive or set VIMBREL_UIDRIVE')
    sys.path.insert(0, uidrive)
    args.gif_suites = shared_folder(args.gif_suites, 'VIMBREL_GIF_SUITES', 'gif-test-suites')
    for exe in ('vimbrel', 'vimbrel-cli'):
        if not os.access(os.path.join(args.build, exe), os.X_OK):
            ap.error('%s/%s is missing; build it with\n  cmake -S . -B build-asan -G Ninja '
                     '-DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON && cmake --build build-asan '
                     '--target vimbrel vimbrel-cli' % (args.build, exe))
    actions = None
    if args.replay:
        with open(args.replay) as f:
            actions = [json.loads(line) for line in f if line.strip()]
        skip = set()
        for part in filter(None, args.skip.split(',')):
            lo, _, hi = part.partition('-')
            skip.update(range(int(lo), int(hi or lo) + 1))
        actions = [a for a in actions if a['n'] not in skip and
                   (args.upto is None or a['n'] <= args.upto)]
        if args.seed is None:
            args.seed = 0
        args.minutes = float('inf')
    if args.seed is None:
        args.seed = int(time.time()) % 100000
    if not args.out:
        base = os.path.join(args.build, 'monkey', ('replay-' if args.replay else 'seed-') +
                            str(args.seed))
        args.out, k = base, 1
        while os.path.exists(args.out):
            k += 1
            args.out = '%s-%d' % (base, k)
    args.out = os.path.abspath(args.out)
    return Monkey(args, uidrive).main(actions)


if __name__ == '__main__':
    sys.exit(main())

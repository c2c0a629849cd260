#!/usr/bin/env python3
"""Browser tests of the model page in headless Chromium, driven through the
DevTools protocol over --remote-debugging-pipe (standard library only).

    browser_test.py --chromium EXE --pages DIR --report FRAME_REPORT.json [--tool HALVEX2QSX --examples DIR]
    browser_test.py --chromium EXE --measure PAGE.html [--runs N]
    browser_test.py --chromium EXE --shot PAGE.html --screenshot OUT.png [--size WxH] [--select ID] [--view NAME]

DIR holds the pages hvx_pagegen writes. With --tool, pages the converter
itself writes (--html) are checked too: the example models, hostile titles, an
empty model, one point and non-finite coordinates, each against the
--report-json of the same run. Every page must load without console errors,
failed or outside requests and dialogs. --measure prints the time to the first
and to the full picture of one page instead; --shot takes a picture of the
top of a page for docs/page.md (after selecting element ID through its number
on the page and choosing a view preset, when given).
"""
import argparse
import ctypes
import fcntl
import json
import math
import os
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib


def children():
    """Pids of this process's children, from /proc."""
    found = []
    for entry in os.listdir('/proc'):
        if entry.isdigit():
            try:
                with open('/proc/%s/stat' % entry) as f:
                    if int(f.read().rsplit(')', 1)[1].split()[1]) == os.getpid():
                        found.append(int(entry))
            except (OSError, IndexError, ValueError):
                pass
    return found


def high_fd(fd):
    new = fcntl.fcntl(fd, fcntl.F_DUPFD_CLOEXEC, 10)
    os.close(fd)
    return new


class Browser:
    """One headless Chromium; stopped by close() (by its pid)."""

    def __init__(self, exe):
        # The browser's helper processes outlive it briefly: become their parent
        # (a child subreaper), so that close() can wait for them and reap them.
        try:
            ctypes.CDLL(None, use_errno=True).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER
        except (OSError, AttributeError):
            pass
        self.profile = tempfile.mkdtemp(prefix='page-test-')
        to_child, self.to_browser = os.pipe()
        self.from_browser, from_child = os.pipe()
        # The child's ends above fd 4, so that moving them to 3 and 4 overwrites nothing.
        to_child, from_child = (high_fd(fd) for fd in (to_child, from_child))

        def fds():  # the browser reads commands on fd 3 and answers on fd 4
            os.dup2(to_child, 3)
            os.dup2(from_child, 4)

        args = [exe, '--headless', '--no-sandbox', '--remote-debugging-pipe', '--enable-unsafe-swiftshader',
                '--use-angle=swiftshader', '--hide-scrollbars', '--mute-audio', '--no-first-run',
                '--no-default-browser-check', '--disable-extensions', '--disable-background-networking',
                '--user-data-dir=' + self.profile, 'about:blank']
        self.proc = subprocess.Popen(args, preexec_fn=fds, close_fds=False, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_child)
        os.close(from_child)
        self.buffer = b''
        self.next_id = 0
        self.events = []

    def close(self):
        try:
            self.send('Browser.close', wait=False)
            self.proc.wait(timeout=10)
        except Exception:
            self.proc.kill()
            self.proc.wait()
        os.close(self.to_browser)
        os.close(self.from_browser)
        # Its helpers, now our children: wait for them a little, then stop those left by pid.
        end = time.time() + 5
        while True:
            try:
                pid, _ = os.waitpid(-1, os.WNOHANG)
            except ChildProcessError:
                break
            if pid:
                continue
            if time.time() > end:
                for child in children():
                    os.kill(child, 9)
                end = time.time() + 5
            time.sleep(0.05)
        shutil.rmtree(self.profile, ignore_errors=True)

    def _read(self, timeout):
        while b'\0' not in self.buffer:
            ready, _, _ = select.select([self.from_browser], [], [], timeout)
            if not ready:
                raise TimeoutError('no answer from the browser')
            chunk = os.read(self.from_browser, 1 << 20)
            if not chunk:
                raise RuntimeError('the browser closed its pipe')
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b'\0', 1)
        return json.loads(message)

    def send(self, method, params=None, session=None, wait=True, timeout=60):
        self.next_id += 1
        message = {'id': self.next_id, 'method': method, 'params': params or {}}
        if session:
            message['sessionId'] = session
        os.write(self.to_browser, json.dumps(message).encode() + b'\0')
        if not wait:
            return None
        while True:
            m = self._read(timeout)
            if m.get('id') == self.next_id:
                if 'error' in m:
                    raise RuntimeError('%s: %s' % (method, m['error']))
                return m.get('result', {})
            self.events.append(m)

    def pump(self, seconds):
        """Collects events for a while."""
        end = time.time() + seconds
        while time.time() < end:
            try:
                self.events.append(self._read(max(0.0, end - time.time())))
            except TimeoutError:
                break


class Tab:
    """A page in its own target, with its problems collected."""

    def __init__(self, browser, width=1400, height=1000):
        self.b = browser
        self.target = browser.send('Target.createTarget', {'url': 'about:blank'})['targetId']
        self.session = browser.send('Target.attachToTarget', {'targetId': self.target, 'flatten': True})['sessionId']
        for domain in ('Page', 'Runtime', 'Log', 'Network'):
            self.call(domain + '.enable')
        self.call('Emulation.setDeviceMetricsOverride',
                  {'width': width, 'height': height, 'deviceScaleFactor': 1, 'mobile': False})
        self.url = None

    def call(self, method, params=None, timeout=60):
        return self.b.send(method, params, self.session, timeout=timeout)

    def open(self, path, fragment=''):
        self.url = 'file://' + os.path.abspath(path)
        self.b.events = []
        self.call('Page.navigate', {'url': self.url + fragment})
        self.wait("document.readyState === 'complete'", 60)

    def eval(self, expression):
        r = self.call('Runtime.evaluate', {'expression': expression, 'returnByValue': True, 'awaitPromise': True})
        if 'exceptionDetails' in r:
            raise RuntimeError('%s: %s' % (expression, r['exceptionDetails']))
        return r['result'].get('value')

    def wait(self, condition, timeout=20):
        end = time.time() + timeout
        while time.time() < end:
            if self.eval('!!(%s)' % condition):
                return
            time.sleep(0.05)
        raise TimeoutError('waited in vain for ' + condition)

    def wait_drawn(self, frames_before=None):
        if frames_before is not None:
            self.wait('window.hvxPage && hvxPage.frames > %d' % frames_before)
        self.wait("window.hvxPage && ['full', 'empty', 'none', 'error'].includes(hvxPage.state)")

    def problems(self):
        """Console errors, exceptions, dialogs, failed requests and requests for anything but the page."""
        found = []
        for e in self.b.events:
            if e.get('sessionId') != self.session:
                continue
            m, p = e.get('method'), e.get('params', {})
            if m == 'Runtime.exceptionThrown':
                found.append('exception: ' + json.dumps(p['exceptionDetails'])[:400])
            elif m == 'Runtime.consoleAPICalled' and p.get('type') in ('error', 'assert'):
                found.append('console %s: %s' % (p['type'], json.dumps(p.get('args'))[:400]))
            elif m == 'Log.entryAdded' and p['entry'].get('level') == 'error':
                found.append('log: ' + p['entry'].get('text', ''))
            elif m == 'Page.javascriptDialogOpening':
                found.append('dialog: ' + p.get('message', ''))
                self.call('Page.handleJavaScriptDialog', {'accept': True})
            elif m == 'Network.loadingFailed':
                found.append('failed request: %s' % p.get('errorText'))
            elif m == 'Network.requestWillBeSent':
                url = p['request']['url']
                if url.split('#')[0] != self.url and not url.startswith('data:'):
                    found.append('request: ' + url)
        return found

    def rect(self, selector):
        return self.eval('(() => { const e = document.querySelector(%s); e.scrollIntoView({block: "center"});'
                         ' const r = e.getBoundingClientRect(); return [r.left, r.top, r.width, r.height]; })()'
                         % json.dumps(selector))

    def screenshot(self, selector='#view'):
        x, y, w, h = self.rect(selector)
        # The clip is in document coordinates, the rectangle in the viewport's.
        sx, sy = self.eval('[window.scrollX, window.scrollY]')
        x, y = x + sx, y + sy
        r = self.call('Page.captureScreenshot', {'format': 'png', 'clip': {'x': x, 'y': y, 'width': w, 'height': h,
                                                                          'scale': 1}})
        import base64
        return decode_png(base64.b64decode(r['data']))

    def mouse(self, kind, x, y, buttons=0, button='none'):
        self.call('Input.dispatchMouseEvent', {'type': kind, 'x': x, 'y': y, 'button': button, 'buttons': buttons,
                                               'clickCount': 1 if kind != 'mouseMoved' else 0})

    def click(self, x, y):
        self.mouse('mouseMoved', x, y)
        self.mouse('mousePressed', x, y, 1, 'left')
        self.mouse('mouseReleased', x, y, 0, 'left')

    def click_element(self, selector):
        x, y, w, h = self.rect(selector)
        self.click(x + w / 2, y + h / 2)

    def frames(self):
        return self.eval('hvxPage.frames')

    def redrawn(self, act):
        """Runs act() and waits for the view to draw again; a screenshot of it."""
        before = self.frames()
        act()
        self.wait_drawn(before)
        return self.screenshot()

    def drag(self, x, y, dx, dy, button='left'):
        """A drag from (x, y) by (dx, dy) in six steps."""
        pressed = 1 if button == 'left' else 2
        self.mouse('mouseMoved', x, y)
        self.mouse('mousePressed', x, y, pressed, button)
        for step in range(1, 7):
            self.mouse('mouseMoved', x + dx * step / 6, y + dy * step / 6, pressed)
        self.mouse('mouseReleased', x + dx, y + dy, 0, button)

    def close(self):
        self.b.send('Target.closeTarget', {'targetId': self.target})


def decode_png(data):
    """(width, height, rows of (r, g, b) tuples) of an 8-bit RGB or RGBA PNG."""
    assert data[:8] == b'\x89PNG\r\n\x1a\n'
    pos, idat, width = 8, b'', 0
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, (depth, colour, interlace)
            channels = 3 if colour == 2 else 4
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev = [], bytearray(stride)
    for y in range(height):
        f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b, c = prev[i], prev[i - channels] if i >= channels else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(width)])
        prev = line
    return width, height, rows


def drawn_share(image):
    """Share of the pixels that differ clearly from the view's background gradient (its row's first pixel)."""
    width, height, rows = image
    drawn = 0
    for row in rows:
        bg = row[0]
        drawn += sum(1 for p in row if abs(p[0] - bg[0]) + abs(p[1] - bg[1]) + abs(p[2] - bg[2]) > 60)
    return drawn / float(width * height)


def pixels_near(image, colour, tolerance=60):
    width, height, rows = image
    return [(x, y) for y, row in enumerate(rows) for x, p in enumerate(row)
            if abs(p[0] - colour[0]) + abs(p[1] - colour[1]) + abs(p[2] - colour[2]) <= tolerance]


# The report tables as the page shows them, read back into the report's JSON shape.
READ_TABLES = r'''(() => {
  const text = (e) => e ? e.textContent : null;
  const num = (e) => Number(text(e));
  const out = {model: text(document.querySelector('#report-model')),
               status: parseInt(text(document.querySelector('#report-status')), 10), entities: {}};
  for (const tr of document.querySelectorAll('table.entities tbody tr')) {
    const sections = [];
    for (const s of tr.querySelectorAll('td.sections > span')) {
      const code = text(s.querySelector('code'));
      sections.push([code, Number(text(s).slice(code.length).trim())]);
    }
    out.entities[tr.dataset.kind] = {read: num(tr.querySelector('.read')), written: num(tr.querySelector('.written')),
      sections, not_converted: [], shown_not_converted: num(tr.querySelector('.skipped')), label: text(tr.cells[0])};
  }
  for (const tr of document.querySelectorAll('table.reasons tbody tr')) {
    const numbers = [...tr.querySelectorAll('.numbers-list > .num, .numbers-list > .n')].map((e) => Number(text(e)));
    out.entities[tr.dataset.kind].not_converted.push({reason: text(tr.querySelector('.reason')),
      count: num(tr.querySelector('.count')), numbers, more: !!tr.querySelector('.more')});
  }
  const blocks = (sel) => [...document.querySelectorAll(sel + ' tbody tr')].map((tr) =>
    ({block: num(tr.querySelector('.block')), lines: num(tr.querySelector('.lines'))}));
  out.unknown_blocks = blocks('table.unknown-blocks');
  out.lines_outside_blocks = num(document.querySelector('#lines-outside'));
  const stop = document.querySelector('#read-stopped .line');
  out.read_stopped_at_line = stop ? num(stop) : null;
  out.blocks_not_read = blocks('table.blocks-not-read');
  out.checked = !document.querySelector('#not-checked');
  out.dangling = [...document.querySelectorAll('table.dangling tbody tr')].map((tr) => ({
    section: text(tr.querySelector('.section')), line: num(tr.querySelector('.line')),
    kind: text(tr.querySelector('.kind')), name: text(tr.querySelector('.name'))}));
  out.unchecked_references = num(document.querySelector('#unchecked'));
  out.messages = [...document.querySelectorAll('#message-lines li')].map(text);
  out.header_read = [...document.querySelectorAll('#hd-counts .count[data-kind]')].map((e) =>
    [e.dataset.kind, Number(text(e.querySelector('b')).replace(/,/g, ''))]);
  out.header_types = [...document.querySelectorAll('#hd-types .count')].map((e) =>
    Number(text(e.querySelector('b')).replace(/,/g, '')));
  return out;
})()'''


class Run:
    def __init__(self):
        self.passed, self.failed = 0, 0

    def check(self, name, ok, detail=''):
        if ok:
            self.passed += 1
            print('ok    ' + name)
        else:
            self.failed += 1
            print('FAIL  ' + name + (': ' + str(detail) if detail else ''))


def table_case(run, tab, report):
    shown = tab.eval(READ_TABLES)
    expected = report
    for key, kind in expected['entities'].items():
        got = shown['entities'].get(key)
        if got is None:
            run.check('table row of ' + key, False, 'missing')
            continue
        same = (got['read'] == kind['read'] and got['written'] == kind['written'] and
                got['sections'] == [[s, n] for s, n in kind['sections'].items()] and
                [{k: r[k] for k in ('reason', 'count', 'numbers')} for r in got['not_converted']] ==
                kind['not_converted'] and
                got['shown_not_converted'] == sum(r['count'] for r in kind['not_converted']) and
                all(r['more'] == (r['count'] > len(r['numbers'])) for r in got['not_converted']))
        run.check('table row of %s equals the report' % key, same, (got, kind))
    run.check('no table rows beyond the report', set(shown['entities']) == set(expected['entities']))
    for key in ('model', 'status', 'unknown_blocks', 'lines_outside_blocks', 'read_stopped_at_line',
                'blocks_not_read', 'checked', 'dangling', 'unchecked_references'):
        run.check('report %s shown as in the JSON' % key, shown[key] == expected[key], (shown[key], expected[key]))
    run.check('header counts what the report read',
              shown['header_read'] == [[k, v['read']] for k, v in expected['entities'].items()], shown['header_read'])
    return shown


def find(tab, kind, number):
    tab.eval("document.getElementById('find-kind').value = %s; document.getElementById('find-number').value = %s;"
             "document.querySelector('#find button').click()" % (json.dumps(kind), json.dumps(number)))


def frame_case(run, tab, pages, report):
    tab.open(os.path.join(pages, 'frame.html'))
    tab.wait_drawn()
    run.check('frame: drawn with WebGL', tab.eval('hvxPage.renderer').startswith('webgl'), tab.eval('hvxPage.renderer'))
    first = tab.screenshot()
    run.check('frame: the view is not blank', drawn_share(first) > 0.01, drawn_share(first))
    shown = table_case(run, tab, report)
    run.check('frame: message window lines', shown['messages'] == [
        'Invalid format in line 1151.', 'A beam load cannot be assigned to a truss element; skipped.'],
        shown['messages'])
    run.check('frame: elements by type add up to the elements read',
              sum(shown['header_types']) == report['entities']['elements']['read'], shown['header_types'])
    run.check('frame: element with a missing node listed under the view',
              '951' in tab.eval("document.querySelector('#missing-nodes').textContent") and
              '99' in tab.eval("document.querySelector('#missing-nodes').textContent"))

    # Pointing at the dangling element (its colour in the picture) names it.
    x0, y0, w, h = tab.rect('#view')
    spots = pixels_near(first, (0xc2, 0x25, 0x5c), 40)
    if spots:
        sx, sy = sorted(spots)[len(spots) // 2]
        tab.mouse('mouseMoved', x0 + sx - 30, y0 + sy)
        tab.mouse('mouseMoved', x0 + sx, y0 + sy)
        tab.wait("!document.getElementById('view-tip').hidden")
        tip = tab.eval("document.getElementById('view-tip').textContent")
        run.check('frame: pointing at an element names it', tip == ' \u00b7 '.join(
            ['Element 302', 'TRUSS', 'nodes 3, 8', 'material 9', 'section 3', 'dangling reference']), tip)
        tab.click(x0 + sx, y0 + sy)
        tab.wait('hvxPage.selected !== null')
        run.check('frame: a click on the dangling element selects it',
                  tab.eval('JSON.stringify(hvxPage.selected)') == '{"kind":"element","id":302}',
                  tab.eval('JSON.stringify(hvxPage.selected)'))
        info = tab.eval("document.querySelector('#info').textContent")
        run.check('frame: the info panel shows type, nodes, material and section',
                  all(t in info for t in ('Element 302', 'TRUSS', 'dangling', 'Nodes3, 8', 'Material9', 'Section3')),
                  info)
    else:
        run.check('frame: the dangling element is drawn in its colour', False)

    # A drag turns the model, a preset turns it again.
    cx, cy = x0 + w / 2, y0 + h / 2
    dragged = tab.redrawn(lambda: tab.drag(cx, cy, 150, 48))
    run.check('frame: a drag changes the picture', dragged[2] != first[2])
    plan = tab.redrawn(lambda: tab.click_element('button[data-view="plan"]'))
    run.check('frame: the plan button changes it again', plan[2] != dragged[2] and drawn_share(plan) > 0.01)
    zoomed = tab.redrawn(lambda: tab.call('Input.dispatchMouseEvent', {
        'type': 'mouseWheel', 'x': cx + 40, 'y': cy, 'deltaX': 0, 'deltaY': -240}))
    run.check('frame: the wheel zooms in', zoomed[2] != plan[2] and drawn_share(zoomed) > drawn_share(plan),
              (drawn_share(zoomed), drawn_share(plan)))
    panned = tab.redrawn(lambda: tab.drag(cx, cy, 60, 30, 'right'))
    run.check('frame: a drag with the right button pans', panned[2] != zoomed[2])
    again = tab.redrawn(lambda: tab.click_element('button[data-view="plan"]'))
    run.check('frame: plan again gives the same picture', again[2] == plan[2])

    # A number in the not-converted table selects that element (the overlay
    # shows it at once; the view turns only when it lies outside).
    tab.click_element('table.reasons button.num[data-id="950"]')
    tab.wait('hvxPage.selected && hvxPage.selected.id === 950')
    info = tab.eval("document.querySelector('#info').textContent")
    run.check('frame: clicking 950 in the table selects element 950',
              'Element 950' in info and 'no section writes element type 41 with topology 0' in info, info)
    tab.wait_drawn()
    run.check('frame: the selection shows in the view', tab.screenshot()[2] != plan[2])

    # The find box.
    find(tab, 'node', '11')
    run.check('frame: find node 11', tab.eval('JSON.stringify(hvxPage.selected)') == '{"kind":"node","id":11}' and
              '6, 5, 7' in tab.eval("document.querySelector('#info').textContent"),
              tab.eval("document.querySelector('#info').textContent"))
    find(tab, 'element', '4711')
    run.check('frame: find reports a number that does not exist',
              tab.eval("document.getElementById('find-result').textContent") == 'No element 4711.')

    # Colouring by material changes the legend and the picture.
    before = tab.frames()
    tab.eval("const s = document.getElementById('colour-by'); s.value = 'material';"
             "s.dispatchEvent(new Event('change'))")
    tab.wait_drawn(before)
    legend = tab.eval("document.getElementById('legend').textContent")
    run.check('frame: colour by material', 'material 9' in legend and 'BEAM' not in legend, legend)
    problems = tab.problems()
    run.check('frame: no console errors, dialogs or requests', not problems, problems)


def hostile_case(run, tab, pages, name, text):
    tab.open(os.path.join(pages, name + '.html'))
    tab.wait_drawn()
    tab.b.pump(0.5)
    problems = tab.problems()
    run.check(name + ': runs nothing and loads nothing', not problems, problems)
    shown = tab.eval('''({h1: document.getElementById('hd-title').textContent,
        path: document.getElementById('hd-path').textContent, title: document.title,
        units: document.getElementById('hd-units').textContent,
        messages: [...document.querySelectorAll('#message-lines li')].map((e) => e.textContent),
        reason: document.querySelector('table.reasons .reason').textContent,
        model: document.getElementById('report-model').textContent,
        images: document.images.length, scripts: document.scripts.length,
        legend: document.getElementById('legend').textContent})''')
    run.check(name + ': title shown as text', shown['h1'] == text and shown['title'].startswith(text), shown)
    run.check(name + ': other texts shown as text', shown['path'] == text + '.hvt' and
              shown['units'] == text + ' m\ufffd' and
              shown['messages'] == [text, '</script><script>alert(3)</script>'] and
              shown['reason'] == '<img src=x onerror=alert(4)>' and
              shown['model'] == 'hostile </script><script>alert(2)</script>' and text in shown['legend'], shown)
    run.check(name + ': no element made from the texts', shown['images'] == 0 and shown['scripts'] == 3, shown)


def note_case(run, tab, pages, name, state, words):
    tab.open(os.path.join(pages, name + '.html'))
    tab.wait_drawn()
    note = tab.eval("(() => { const n = document.getElementById('view-note');"
                    " return n.hidden ? '' : n.textContent; })()")
    run.check('%s: the view says so' % name, all(w in note for w in words), note)
    run.check('%s: state %s' % (name, state), tab.eval('hvxPage.state') == state, tab.eval('hvxPage.state'))
    if state == 'full':
        run.check('%s: something is drawn' % name, drawn_share(tab.screenshot()) > 0.0005)
    problems = tab.problems()
    run.check(name + ': no console errors or requests', not problems, problems)


# ---- the data the page decodes ----------------------------------------------------------

# The page's decoded model (hvxPage.model) in the shape of the generator's NAME.input.json.
READ_DECODED = r'''(() => {
  const m = hvxPage.model, meta = JSON.parse(document.getElementById('hvx-meta').textContent);
  const c = meta.centre;
  const nodes = [];
  for (let i = 0; i < m.N; i++) {
    const xyz = [0, 1, 2].map((a) => { const v = m.xyz[3 * i + a]; return Number.isFinite(v) ? v + c[a] : null; });
    nodes.push([m.nodeIds[i]].concat(xyz));
  }
  // A node index out of range shows as such (not as a missing node).
  const node = (n) => n < m.N ? m.nodeIds[n] : 'index ' + n;
  const markers = [];
  for (let i = 0; i < m.markerNode.length; i++) markers.push([node(m.markerNode[i]), m.markerKind[i]]);
  const value = (arr, values, e) => values ? values[arr[e]] : arr[e];
  const elements = [];
  for (let e = 0; e < m.M; e++) {
    const k = m.kinds[m.elemKind[e]], ids = [];
    for (let j = m.elemStart[e]; j < m.elemStart[e + 1]; j++)
      ids.push(m.elemNodes[j] === m.missingIndex ? null : node(m.elemNodes[j]));
    elements.push([m.elemIds[e], k.label, k.draw, value(m.elemMat, meta.materials, e), value(m.elemSec, meta.sections, e),
      ids, k.state, k.reason >= 0 ? meta.reasons[k.reason] : null]);
  }
  const types = {};
  for (const name of Object.keys(meta.arrays)) types[name] = meta.arrays[name].type;
  return {nodes, markers, elements, centre: c, types, nonfinite: meta.nonfinite, onNonFinite: m.onNonFiniteCount,
    markersDropped: meta.markers_dropped, missing: meta.missing, missingCount: meta.missing_count,
    typeCounts: meta.type_counts, state: hvxPage.state};
})()'''


def first_difference(got, want):
    """Index and both sides of the first entry where two lists differ, or None."""
    for i, (g, w) in enumerate(zip(got, want)):
        if g != w:
            return i, g, w
    return None if len(got) == len(want) else ('length', len(got), len(want))


def expected_data(model):
    """What the page must decode from the input model of hvx_pagegen: missing nodes as null,
    elements on them in state 3, markers on them left out."""
    ids = {n[0] for n in model['nodes']}
    finite = {n[0] for n in model['nodes'] if None not in n[1:]}
    elements, missing, on_nonfinite = [], [], 0
    counts = [0] * len(model['types'])
    for eid, etype, mat, sec, nodes, state, reason in model['elements']:
        label, draw = model['types'][etype]
        shown = [n if n in ids else None for n in nodes]
        if None in shown:
            state = 3
            missing.append({'id': eid, 'nodes': nodes})
        elif any(n not in finite for n in nodes):
            on_nonfinite += 1
        counts[etype] += 1
        elements.append([eid, label, draw, mat, sec, shown, state, model['reasons'][reason] if reason >= 0 else None])
    markers = [list(mk) for mk in model['markers'] if mk[0] in ids]
    return {'elements': elements, 'markers': markers, 'markersDropped': len(model['markers']) - len(markers),
            'missing': missing[:1000], 'missingCount': len(missing), 'typeCounts': counts,
            'nonfinite': len(model['nodes']) - len(finite), 'onNonFinite': on_nonfinite}


def coordinates_differ(got, want, centre):
    """Nodes whose decoded coordinates are not the input's to float32 precision of their
    offset from the centre (or not both missing)."""
    bad = []
    for g, w in zip(got, want):
        for a in range(3):
            gv, wv = g[1 + a], w[1 + a]
            if gv is None or wv is None:
                ok = gv is None and wv is None
            else:
                ok = abs(gv - wv) <= 2.0 ** -23 * abs(wv - centre[a]) + 1e-15 * abs(wv) + 1e-12
            if not ok:
                bad.append((g, w))
                break
    return bad


# name: the arrays' types the case is there for
ENCODING_CASES = (
    ('enc-small', {'elem_nodes': 'u16', 'elem_kind': 'u8', 'elem_mat': 'u8', 'elem_sec': 'u8'}),
    ('enc-far', {'xyz': 'f32'}),
    ('enc-wide', {'elem_nodes': 'u32', 'elem_mat': 'i32', 'elem_sec': 'u8'}),
)


def encoding_case(run, tab, pages, name, types):
    model = json.load(open(os.path.join(pages, name + '.input.json')))
    tab.open(os.path.join(pages, name + '.html'))
    tab.wait_drawn()
    got = tab.eval(READ_DECODED)
    want = expected_data(model)
    run.check(name + ': the arrays of the case', all(got['types'].get(k) == v for k, v in types.items()),
              got['types'])
    run.check(name + ': node ids in their order', [n[0] for n in got['nodes']] == [n[0] for n in model['nodes']],
              first_difference([n[0] for n in got['nodes']], [n[0] for n in model['nodes']]))
    bad = coordinates_differ(got['nodes'], model['nodes'], got['centre'])
    run.check(name + ': coordinates as given', not bad and len(got['nodes']) == len(model['nodes']), bad[:3])
    run.check(name + ': elements as given (id, type, material, section, nodes, state, reason)',
              got['elements'] == want['elements'], first_difference(got['elements'], want['elements']))
    for key in ('markers', 'markersDropped', 'missing', 'missingCount', 'typeCounts', 'nonfinite', 'onNonFinite'):
        run.check('%s: %s' % (name, key), got[key] == want[key], (got[key], want[key]))
    problems = tab.problems()
    run.check(name + ': drawn without console errors', got['state'] != 'error' and not problems, problems)


# ---- the exit status in the header and the report ------------------------------------------------

def status_shown(tab, path):
    tab.open(path)
    tab.wait_drawn()
    return tab.eval("""(() => { const s = document.getElementById('hd-status'), r = document.getElementById('report-status');
        return {text: s.textContent, tone: s.className, colour: getComputedStyle(s).color,
                report: r ? r.textContent : null}; })()""")


def status_cases(run, tab, cases):
    """cases: (name, page, exit status of the run or None, header text, tone). Each tone has its
    own colour, the warning's amber."""
    colours = {}
    for name, path, status, text, tone in cases:
        shown = status_shown(tab, path)
        run.check('status %s: header says %r' % (name, text), shown['text'] == text, shown['text'])
        run.check('status %s: tone %s' % (name, tone), shown['tone'] == tone, shown['tone'])
        run.check('status %s: the report panel says the same' % name, shown['report'] == text, shown['report'])
        if status is not None:
            run.check('status %s: the number is the exit status' % name, text.startswith('%d \u00b7' % status), status)
        colours.setdefault(tone, set()).add(shown['colour'])
        problems = tab.problems()
        run.check('status %s: no console errors' % name, not problems, problems)
    run.check('status: one colour per tone, a different one for each',
              all(len(c) == 1 for c in colours.values()) and
              len(set().union(*colours.values())) == len(colours), colours)
    if 'warn' in colours:
        r, g, b = (int(v) for v in next(iter(colours['warn']))[4:-1].split(','))
        run.check('status: the warning tone is amber', r > 200 and 150 < g < 230 and b < 120, (r, g, b))


# ---- pages the converter writes --------------------------------------------------------

def element_lines(eid, prop, etype, topo, nodes, mat=1):
    """The eight lines of an element of a model file (read mode 1)."""
    b = ','.join(str(n) for n in (list(nodes) + [0] * 10)[:10])
    return ['%d,0,%d,%d,%d,0,0,0,0,0,0,0,0' % (eid, prop, etype, topo), b, ','.join(['0'] * 10), '0,0,1', '0,0,0',
            '0,0,0', ','.join(['0'] * 12), '%d,0,0,3,0,0,0' % mat]


def block(number, lines):
    return '   -1\n%6d\n' % number + ''.join(line + '\n' for line in lines) + '   -1\n'


def header(title):
    return block(100, [title, '8.3', '1,2'])


def tool_models(examples, folder):
    """Writes the models the converter's pages are tested on; returns their names (without .hvt)."""
    frame = open(os.path.join(examples, 'frame.hvt'), encoding='latin-1').read()
    shutil.copy(os.path.join(examples, 'frame.hvt'), folder)
    shutil.copy(os.path.join(examples, 'frame-with-problems.hvt'), folder)
    models = {
        'empty': header('An empty model'),
        'one-point': header('One point') + block(403, ['1,1,0,0,0,1,1,1,1,1,1,1.5,2,-0.25,0']),
        'non-finite': header('Coordinates that are not numbers') + block(403, [
            '1,1,0,0,0,1,1,1,0,0,0,0,0,0,0', '2,1,0,0,0,0,0,0,0,0,0,4,0,0,0', '3,1,0,0,0,0,0,0,0,0,0,4,0,3,0',
            '4,1,0,0,0,0,0,0,0,0,0,0,0,3,0', '5,1,0,0,0,0,0,0,0,0,0,nan,0,3,0', '6,1,0,0,0,0,0,0,0,0,0,8,-1e999,0,0']) +
        block(404, sum((element_lines(e, 1, 2, 0, n) for e, n in
                        ((1, (1, 4)), (2, (2, 3)), (3, (4, 3)), (4, (3, 5)), (5, (2, 6)))), [])),
    }
    for name, title in HOSTILE:
        models[name] = frame.replace('\nTwo-storey frame with slabs\n', '\n' + title + '\n', 1)
    for name, text in models.items():
        with open(os.path.join(folder, name + '.hvt'), 'w', encoding='latin-1') as f:
            f.write(text)
    return ['frame', 'frame-with-problems'] + list(models)


def run_tool(tool, folder, name, *options):
    """Converts one model with --html and --report-json: (exit status, message lines, its report object)."""
    r = subprocess.run([os.path.abspath(tool), '--html', '--report-json', name + '.report.json'] + list(options) +
                       [name + '.hvt'], cwd=folder,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=dict(os.environ, LC_ALL='C'))
    report = json.load(open(os.path.join(folder, name + '.report.json')))[0]
    return r.returncode, r.stdout.decode().splitlines(), report


def node_line(nid, x, y, z, flags='0,0,0,0,0,0'):
    return '%d,1,0,0,0,%s,%g,%g,%g,0' % (nid, flags, x, y, z)


def property_lines(head, flags='0,0,0,0'):
    return [head, '', flags, '1', '0', '0', '1', '0', '0', '0', '0']


MATERIAL = block(601, ['1,0,0,0,0,0,0', ''] + ['0'] * 41)
ELEMENT_SECTIONS = ('*ELEMENT', '*NL-LINK', '*ELASTICLINK')


def qsx_rows(qsx, keyword):
    """The data lines of a section of the .qsx, split into trimmed fields."""
    lines = qsx.split('\n')
    rows = []
    for i, line in enumerate(lines):
        if line.split(' ')[0].split(',')[0] != keyword:
            continue
        for data in lines[i + 1:]:
            if not data:
                break
            if not data.startswith(';'):
                rows.append([f.strip() for f in data.split(',')])
        break
    return rows


def converted_page(run, tab, tool, folder, name, model):
    """Converts the model with --html and --report-json, opens its page: (exit status, the .qsx,
    the report object, the page's decoded data)."""
    with open(os.path.join(folder, name + '.hvt'), 'w') as f:
        f.write(model)
    status, _, report = run_tool(tool, folder, name)
    qsx = open(os.path.join(folder, name + '.qsx'), encoding='latin-1').read()
    tab.open(os.path.join(folder, name + '.html'))
    tab.wait_drawn()
    data = tab.eval(READ_DECODED)
    embedded = tab.eval("JSON.parse(document.getElementById('hvx-report').textContent)")
    run.check(name + ': the page holds the report of --report-json', embedded == report)
    problems = tab.problems()
    run.check(name + ': no console errors', not problems, problems)
    return status, qsx, report, data


def dangling_elements(qsx, report):
    """Numbers of the elements whose lines in an element section the report names."""
    lines = qsx.split('\n')
    return {int(lines[d['line'] - 1].split(',')[0]) for d in report['dangling'] if d['section'] in ELEMENT_SECTIONS}


def sections_case(run, tab, tool, folder):
    """Every pair of element type and topology code the sections tell apart, in one model: the page
    shows each element as the section that wrote it (its keyword, its nodes in order), an element
    no section wrote as not converted with the report's reason, one whose line the check named as
    dangling."""
    types = (1, 2, 3, 4, 5, 7, 11, 14, 15, 18, 19, 20, 25, 26, 27, 41, 81, 82)
    nodes, elements = [], []
    for etype in types:
        for topo in range(14):
            eid = 100 * etype + topo
            own = [10 * eid + k for k in range(1, 9)]
            nodes += [node_line(n, k % 2, k // 2 % 2, k // 4 + 0.001 * eid) for k, n in enumerate(own, 1)]
            elements += element_lines(eid, 1, etype, topo, own)
    # Property 1: a general spring type, so that every spring section takes its elements.
    model = (block(402, property_lines('1,0,0,81,0,0', '1,0,0,0')) + MATERIAL + block(403, nodes) +
             block(404, elements))
    status, qsx, report, data = converted_page(run, tab, tool, folder, 'sections', model)
    run.check('sections: converted', status == 0, status)
    shown = {e[0]: e for e in data['elements']}
    run.check('sections: every element on the page', len(shown) == len(types) * 14, len(shown))

    # What the sections wrote: element lines by number, point lines by node.
    lines = {}
    for row in qsx_rows(qsx, '*ELEMENT'):
        fields = row[4:row.index('REF')] if 'REF' in row else row[4:]
        lines[int(row[0])] = (row[1], [int(v) for v in fields if int(v) > 1000])  # nodes, not iSUB or 0
    for section in ('*NL-LINK', '*ELASTICLINK'):
        for row in qsx_rows(qsx, section):
            lines[int(row[0])] = (section[1:], [int(row[1]), int(row[2])])
    point = {}
    for section in ('*SPRING', '*GSPRING', '*NODALMASS'):
        for row in qsx_rows(qsx, section):
            point[int(row[0])] = section
    # Property 1 is no section or link property: the frame, plate and link lines refer to what
    # the file does not define.
    dangling = dangling_elements(qsx, report)
    run.check('sections: dangling trusses and beams, planar types on 4 topologies, links',
              len(dangling) == 4 + 6 * 4 + 14, len(dangling))
    reasons = report['entities']['elements']['not_converted']
    reason_of = {n: r['reason'] for r in reasons for n in r['numbers']}
    listed_all = all(r['count'] == len(r['numbers']) for r in reasons)
    point_labels = {'SPRING': '*SPRING', 'GSPRING': '*GSPRING', 'MASS': '*NODALMASS'}
    wrong, written = [], 0
    for eid, (_, label, draw, _, _, ids, state, reason) in sorted(shown.items()):
        first = 10 * eid + 1
        if label in point_labels:
            ok = point.get(first) == point_labels[label] and draw == 'point' and ids == [first]
        elif eid in lines:
            ok = lines[eid] == (label, ids)
        else:
            ok = (label == 'type %d/%d' % (eid // 100, eid % 100) and state == 1 and reason == reason_of.get(eid) and
                  ids and all(first <= n < first + 8 for n in ids))
            if not ok:
                wrong.append(shown[eid])
            continue
        written += 1
        if not ok or state != (2 if eid in dangling else 0) or eid in reason_of:
            wrong.append((shown[eid], lines.get(eid), point.get(first)))
    run.check('sections: the report lists every element not converted', listed_all, reasons)
    run.check('sections: each element as its section wrote it, or not converted with its reason', not wrong,
              wrong[:3])
    run.check('sections: the elements written are those of the sections',
              written == len(lines) + len(point) == report['entities']['elements']['written'],
              (written, len(lines) + len(point), report['entities']['elements']['written']))


def states_case(run, tab, tool, folder):
    """Every element not converted is marked, not only the report's first 20; an element whose
    written line refers to something the file does not define as dangling, one on a node that
    does not exist as such."""
    nodes = [node_line(1, 0, 0, 0, '1,1,1,0,0,0'), node_line(2, 5, 0, 0), node_line(3, 5, 4, 0), node_line(4, 0, 4, 3)]
    elements = sum((element_lines(eid, 1, 41, 0, (1, 2)) for eid in range(1, 26)), [])
    elements += element_lines(30, 2, 7, 0, (3, 3))        # elastic link with both ends on one node
    elements += element_lines(40, 1, 1, 0, (1, 2), 77)    # truss of a material that does not exist
    elements += element_lines(41, 1, 1, 0, (2, 999))      # truss on a node that does not exist
    elements += element_lines(42, 1, 1, 0, (2, 3))        # converted
    elements += element_lines(43, 5, 82, 0, (3, 4))       # general link of a property that does not exist
    elements += element_lines(44, 2, 7, 9, (4,))          # point spring
    model = (block(402, property_lines('1,0,1,1,0,0') + property_lines('2,0,0,7,0,0')) + MATERIAL +
             block(403, nodes) + block(404, elements))
    _, _, report, data = converted_page(run, tab, tool, folder, 'states', model)
    shown = {e[0]: e for e in data['elements']}
    states = {eid: e[6] for eid, e in shown.items()}
    expected = {eid: 1 for eid in range(1, 26)}
    expected.update({30: 1, 40: 2, 41: 3, 42: 0, 43: 2, 44: 0})
    run.check('states: every element in its state', states == expected, (states, expected))
    reasons = report['entities']['elements']['not_converted']
    run.check('states: the reasons of elements 25 and 30',
              shown[25][7] == 'no section writes element type 41 with topology 0' and
              shown[30][7] == 'elastic link with both ends on one node', (shown[25][7], shown[30][7]))
    run.check('states: the report lists the first 20 of 25', len(reasons) == 2 and reasons[1]['reason'] == shown[25][7]
              and reasons[1]['count'] == 25 and len(reasons[1]['numbers']) == 20, reasons)
    run.check('states: the support of node 1 and the spring at node 4', data['markers'] == [[1, 0], [4, 1]],
              data['markers'])


def tool_page_case(run, tab, folder, name, status, lines, report):
    """What every page of the converter must show: nothing wrong while loading, the report as tables."""
    run.check(name + ': converted with exit status 0', status == 0, status)
    tab.open(os.path.join(folder, name + '.html'))
    tab.wait_drawn()
    shown = table_case(run, tab, report)
    run.check(name + ': message window lines as the tool printed them', shown['messages'] == lines,
              (shown['messages'], lines))
    run.check(name + ': elements by type add up to the elements read',
              sum(shown['header_types']) == report['entities']['elements']['read'], shown['header_types'])


def tool_tests(run, tab, args):
    folder = tempfile.mkdtemp(prefix='page-tool-')
    try:
        results = {name: run_tool(args.tool, folder, name) for name in tool_models(args.examples, folder)}
        for name in ('frame', 'frame-with-problems'):
            tool_page_case(run, tab, folder, name, *results[name])
            run.check(name + ': drawn with WebGL', tab.eval('hvxPage.renderer').startswith('webgl'))
            first = tab.screenshot()
            run.check(name + ': the view is not blank', drawn_share(first) > 0.01, drawn_share(first))
            problems = tab.problems()
            run.check(name + ': no console errors, dialogs or failed requests', not problems, problems)

        # The page of the model with problems, driven: a drag, a preset, a number in the table.
        x0, y0, w, h = tab.rect('#view')
        first = tab.screenshot()
        cx, cy = x0 + w / 2, y0 + h / 2
        dragged = tab.redrawn(lambda: tab.drag(cx, cy, -120, 60))
        run.check('tool page: a drag changes the picture', dragged[2] != first[2])
        elevation = tab.redrawn(lambda: tab.click_element('button[data-view="xz"]'))
        run.check('tool page: the elevation button changes it again',
                  elevation[2] != dragged[2] and drawn_share(elevation) > 0.005)
        legend = tab.eval("document.getElementById('legend-states').textContent")
        run.check('tool page: the legend lists the elements not converted', '950' in legend and '952' in legend, legend)
        missing = tab.eval("document.querySelector('#missing-nodes').textContent")
        run.check('tool page: truss 951 on the missing node 99 is listed under the view',
                  '951' in missing and '(node 99)' in missing, missing)
        tab.click_element('table.reasons button.num[data-id="950"]')
        tab.wait('hvxPage.selected && hvxPage.selected.id === 950')
        info = tab.eval("document.querySelector('#info').textContent")
        run.check('tool page: clicking 950 in the table selects element 950',
                  'Element 950' in info and 'no section writes element type 41 with topology 0' in info, info)
        run.check('tool page: header facts', tab.eval(
            "['hd-units', 'hd-reading', 'hd-status'].map((id) => document.getElementById(id).textContent)") ==
            ['kN, m', 'stopped at line 1151 after a format error', '0 \u00b7 converted'])
        problems = tab.problems()
        run.check('tool page: no console errors after driving it', not problems, problems)

        for name, title in HOSTILE:
            status, lines, report = results[name]
            tool_page_case(run, tab, folder, name, status, lines, report)
            tab.b.pump(0.5)
            problems = tab.problems()
            run.check(name + ' (tool): runs nothing and loads nothing', not problems, problems)
            shown = tab.eval("({h1: document.getElementById('hd-title').textContent, title: document.title,"
                             " images: document.querySelectorAll('img').length})")
            run.check(name + ' (tool): the title shown as text',
                      shown['h1'] == title and shown['title'].startswith(title) and shown['images'] == 0, shown)

        for name, state, words in (('empty', 'empty', ['no nodes']),
                                   ('one-point', 'full', ['single point', 'node 1', '(1.5, 2, -0.25)']),
                                   ('non-finite', 'full', ['2 nodes have non-finite coordinates'])):
            tool_page_case(run, tab, folder, name, *results[name])
            note = tab.eval("(() => { const n = document.getElementById('view-note');"
                            " return n.hidden ? '' : n.textContent; })()")
            run.check('%s (tool): the view says so' % name, all(w in note for w in words), note)
            run.check('%s (tool): state %s' % (name, state), tab.eval('hvxPage.state') == state)
            problems = tab.problems()
            run.check(name + ' (tool): no console errors or requests', not problems, problems)
        listed = tab.eval("document.querySelector('#nonfinite-elements').textContent")
        run.check('non-finite (tool): the beams on them listed under the view', '4, 5' in listed, listed)

        # The exit status as the converter gives it: clean, lossy (reading stopped at a format
        # error), an empty file, lossy under --strict, and a model that cannot be opened.
        shutil.copy(os.path.join(folder, 'frame-with-problems.hvt'), os.path.join(folder, 'strict.hvt'))
        open(os.path.join(folder, 'empty-file.hvt'), 'w').close()
        os.mkdir(os.path.join(folder, 'folder.hvt'))
        strict = run_tool(args.tool, folder, 'strict', '--strict')[0]
        empty = run_tool(args.tool, folder, 'empty-file')[0]
        failed = subprocess.run([os.path.abspath(args.tool), '--html', 'folder.hvt'], cwd=folder,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
        def page(name):
            return os.path.join(folder, name + '.html')
        status_cases(run, tab, (
            ('0 clean', page('frame'), results['frame'][0], '0 \u00b7 converted', 'ok'),
            ('0 lossy', page('frame-with-problems'), results['frame-with-problems'][0], '0 \u00b7 converted', 'warn'),
            ('0 lossy, an empty file', page('empty-file'), empty, '0 \u00b7 converted', 'warn'),
            ('5 strict', page('strict'), strict, '5 \u00b7 converted with losses', 'warn'),
            ('2 failed', page('folder'), failed, '2 \u00b7 conversion failed', 'bad'),
        ) + cancelled_case(args.pages))

        sections_case(run, tab, args.tool, folder)
        states_case(run, tab, args.tool, folder)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


# A cancelled conversion writes no page: the generator's page stands in for it.
def cancelled_case(pages):
    return (('6 cancelled', os.path.join(pages, 'cancelled.html'), None, '6 \u00b7 cancelled', 'warn'),)


HOSTILE = (('hostile-script', '<script>alert(1)</script>'), ('hostile-img', '"><img src=x onerror=alert(1)>'))


def tests(args):
    report = json.load(open(args.report))[0]
    run = Run()
    browser = Browser(args.chromium)
    try:
        tab = Tab(browser)
        frame_case(run, tab, args.pages, report)
        for name, text in HOSTILE:
            hostile_case(run, tab, args.pages, name, text)
        note_case(run, tab, args.pages, 'empty', 'empty', ['no nodes'])
        note_case(run, tab, args.pages, 'one-point', 'full', ['single point', 'node 7', '(1.5, 2, -0.25)'])
        note_case(run, tab, args.pages, 'non-finite', 'full', ['2 nodes have non-finite coordinates'])
        listed = tab.eval("[document.querySelector('#nonfinite-nodes').textContent,"
                          " document.querySelector('#nonfinite-elements').textContent]")
        run.check('non-finite: nodes 5, 6 and elements 4, 5 listed under the view',
                  '5, 6' in listed[0] and '4, 5' in listed[1], listed)
        for name, types in ENCODING_CASES:
            encoding_case(run, tab, args.pages, name, types)
        tab.open(os.path.join(args.pages, 'frame.html'), '#renderer=2d')
        tab.wait_drawn()
        run.check('2D canvas fall-back draws', tab.eval('hvxPage.renderer') == '2d' and
                  drawn_share(tab.screenshot()) > 0.01)
        run.check('2D canvas fall-back: no console errors', not tab.problems(), tab.problems())
        if args.tool:
            tool_tests(run, tab, args)
        else:
            status_cases(run, tab, cancelled_case(args.pages))
        tab.close()
    finally:
        browser.close()
    print('%d passed, %d failed' % (run.passed, run.failed))
    return 1 if run.failed else 0


def measure(args):
    browser = Browser(args.chromium)
    try:
        for i in range(args.runs):
            tab = Tab(browser, 1400, 1000)
            start = time.time()
            tab.open(args.measure)
            tab.wait('window.hvxPage && hvxPage.firstPictureMs !== null', 120)
            first = tab.eval('hvxPage.firstPictureMs')
            tab.wait('hvxPage.state === "full"', 300)
            p = tab.eval('hvxPage')
            print('run %d: first picture %.2f s, whole model %.2f s after navigation start '
                  '(%s, %d primitives, %d while moving; load event at %.2f s)' % (
                      i + 1, first / 1000.0, p['fullPictureMs'] / 1000.0, p['renderer'], p['primitives'],
                      p['reducedPrimitives'],
                      tab.eval('performance.timing.loadEventStart - performance.timing.navigationStart') / 1000.0))
            # Frames while dragging for three seconds, then the time back to the whole model.
            x0, y0, w, h = tab.rect('#view')
            cx, cy = x0 + w / 2, y0 + h / 2
            tab.mouse('mouseMoved', cx, cy)
            tab.mouse('mousePressed', cx, cy, 1, 'left')
            frames, t0, step = tab.frames(), time.time(), 0
            while time.time() - t0 < 3:
                step += 1
                tab.mouse('mouseMoved', cx + 40 * math.sin(step / 10.0), cy + 20 * math.cos(step / 10.0), 1)
                time.sleep(0.03)
            frames, seconds = tab.frames() - frames, time.time() - t0
            tab.mouse('mouseReleased', cx, cy, 0, 'left')
            t1 = time.time()
            tab.wait('hvxPage.state === "full"', 300)
            rest = time.time() - t1
            tab.click(cx, cy)
            tab.wait('hvxPage.lastPickMs !== undefined')
            print('       while dragging %.1f frames/s; whole model again %.2f s after release; '
                  'a click picks in %d ms' % (
                frames / seconds, rest, tab.eval('hvxPage.lastPickMs')))
            if args.screenshot:
                r = tab.call('Page.captureScreenshot', {'format': 'png'})
                import base64
                open(args.screenshot, 'wb').write(base64.b64decode(r['data']))
            problems = tab.problems()
            if problems:
                print('problems:', problems)
            tab.close()
            del start
    finally:
        browser.close()
    return 0


def shot(args):
    width, height = (int(v) for v in args.size.split('x'))
    browser = Browser(args.chromium)
    try:
        tab = Tab(browser, width, height)
        tab.open(args.shot)
        tab.wait_drawn()
        if args.view:
            before = tab.frames()
            tab.eval("document.querySelector('button[data-view=\"%s\"]').click()" % args.view)
            tab.wait_drawn(before)
        if args.select:
            tab.eval("document.querySelector('button.num[data-show=\"element\"][data-id=\"%s\"]').click()"
                     % args.select)
            tab.wait('hvxPage.selected && hvxPage.selected.id === %s' % args.select)
            tab.wait_drawn()
        tab.eval('window.scrollTo(0, 0)')
        tab.b.pump(0.3)
        problems = tab.problems()
        if problems:
            print('problems:', problems)
            return 1
        import base64
        r = tab.call('Page.captureScreenshot', {'format': 'png'})
        with open(args.screenshot, 'wb') as f:
            f.write(base64.b64decode(r['data']))
        tab.close()
    finally:
        browser.close()
    return 0


def main():
    p = argparse.ArgumentParser()
    p.add_argument('--chromium', default='chromium')
    p.add_argument('--pages')
    p.add_argument('--report')
    p.add_argument('--measure')
    p.add_argument('--runs', type=int, default=1)
    p.add_argument('--screenshot')
    p.add_argument('--shot')
    p.add_argument('--size', default='1400x900')
    p.add_argument('--select')
    p.add_argument('--view')
    p.add_argument('--tool', help='the converter, whose --html pages are tested too')
    p.add_argument('--examples', help='the example models (with --tool)')
    args = p.parse_args()
    if args.shot:
        return shot(args)
    return measure(args) if args.measure else tests(args)


if __name__ == '__main__':
    sys.exit(main())

/* Model page script.
 *
 * Reads the data blocks that page/page_writer.cpp writes (its head comment has the full format):
 *   #hvx-meta    JSON: header facts, centre, tables (types, reasons, kinds, palettes), array list
 *   #hvx-report  JSON: this model's conversion report object as --report-json writes it, or null
 *   #hvx-a-NAME  base64 of little-endian typed array NAME:
 *     node_ids     i32 runs of consecutive ids (first, count, ...), in node order
 *     xyz          f32 x, y, z per node, relative to meta.centre
 *     marker_node  u32 node index; marker_kind u8 (0 support, 1 spring)
 *     elem_ids     i32 runs, in element order
 *     elem_kind    index into meta.kinds: [type, node count, state, reason];
 *                  state 0 converted, 1 not converted, 2 dangling, 3 missing node
 *     elem_nodes   u16 | u32 node indices, kinds[kind] node count per element;
 *                  the type's largest value stands for a missing node
 *     elem_mat, elem_sec  palette index into meta.materials / meta.sections, or i32 values when null
 * and shows the header counts, the 3D view (WebGL, or a 2D canvas without it), the report
 * tables and the message window. Texts from the model go in as text nodes, never as markup.
 *
 * Drawing: lines, triangles and points through index buffers into the one node array,
 * grouped by colour (one draw call per colour and primitive). While the view moves only a
 * sample of the elements (at most REDUCED_LIMIT primitives) is drawn; at rest the whole
 * model is drawn over it in slices of CHUNK primitives a frame, so that a software
 * renderer (about a million segments a second) keeps the page responsive.
 */
'use strict';
(function () {
  const REDUCED_LIMIT = 200000;  // primitives drawn while the view moves
  const CHUNK = 400000;          // primitives drawn per frame at rest
  const CHUNK_2D = 150000;
  const REST_MS = 180;           // no input for this long: the view is at rest
  const HOVER_LIMIT = 200000;    // elements up to which pointing shows an element
  const NODE_DOTS_LIMIT = 300000;
  const LISTED = 50;             // ids listed in the legend and under the view

  const PALETTE = ['#2f6db5', '#2b8a3e', '#7950b2', '#0b7285', '#8d6e3f', '#495a72',
    '#4263eb', '#5c940d', '#9c36b5', '#1098ad', '#74583a', '#087f5b'];
  const WARN = '#e8590c';
  const DANGLING = '#c2255c';
  const KEY_WARN = PALETTE.length;
  const KEY_DANGLING = PALETTE.length + 1;
  const KEY_COUNT = PALETTE.length + 2;
  const KEY_COLOURS = PALETTE.concat([WARN, DANGLING]);
  const NO_KEY = 255;
  const STATE_TEXT = ['converted', 'not converted', 'dangling reference', 'missing node'];
  const STATUS_TEXT = ['converted', 'usage error', 'conversion failed', 'model file does not exist',
    'a file could not be written'];
  const KIND_NAMES = {
    nodes: 'Nodes', elements: 'Elements', materials: 'Materials', properties: 'Properties',
    constraint_equations: 'Constraint equations', load_sets: 'Load sets', static_loads: 'Static loads',
    groups: 'Groups', functions: 'Functions', hinge_properties: 'Hinge properties',
  };

  const page = window.hvxPage = {
    state: 'loading', renderer: 'none', firstPictureMs: null, fullPictureMs: null,
    primitives: 0, reducedPrimitives: 0, frames: 0, selected: null, errors: [],
  };

  // ---- small helpers -------------------------------------------------------------

  const $ = (id) => document.getElementById(id);
  function h(tag, props, children) {
    const e = document.createElement(tag);
    if (props) {
      for (const k of Object.keys(props)) {
        if (k === 'class') e.className = props[k];
        else if (k === 'text') e.textContent = props[k];
        else if (k.startsWith('data-')) e.setAttribute(k, props[k]);
        else e[k] = props[k];
      }
    }
    if (children) for (const c of children) if (c !== null && c !== undefined) e.append(c);
    return e;
  }
  const kindName = (k) => KIND_NAMES[k] || String(k).replace(/_/g, ' ');
  const grouped = (n) => Number(n).toLocaleString('en-US');
  function rgb(hex) {
    return [1, 3, 5].map((i) => parseInt(hex.slice(i, i + 2), 16) / 255);
  }
  function swatch(colour, cls) {
    const s = h('span', {class: 'swatch' + (cls ? ' ' + cls : '')});
    if (colour) s.style.background = colour;
    return s;
  }
  function fmt(v) {
    if (!isFinite(v)) return String(v);
    const s = Number(v.toPrecision(7));
    return String(Object.is(s, -0) ? 0 : s);
  }

  // ---- data ----------------------------------------------------------------------

  const meta = JSON.parse($('hvx-meta').textContent);
  const report = JSON.parse($('hvx-report').textContent);
  const TYPED = {u8: Uint8Array, u16: Uint16Array, u32: Uint32Array, i32: Int32Array, f32: Float32Array};

  function decodeBase64(text) {
    if (typeof Uint8Array.fromBase64 === 'function') return Uint8Array.fromBase64(text);
    const bin = atob(text);
    const out = new Uint8Array(bin.length);
    for (let i = 0; i < bin.length; i++) out[i] = bin.charCodeAt(i);
    return out;
  }
  function arrayOf(name) {
    const info = meta.arrays[name];
    const node = $('hvx-a-' + name);
    const T = TYPED[info ? info.type : 'u8'] || Uint8Array;
    if (!info || !node) return new T(0);
    const bytes = decodeBase64(node.textContent.trim());
    node.remove();  // the text is no longer needed
    if (bytes.length < info.count * T.BYTES_PER_ELEMENT) throw new Error('data block ' + name + ' is short');
    return new T(bytes.buffer, bytes.byteOffset, info.count);
  }
  function expandRuns(runs, total) {
    const ids = new Int32Array(total);
    let k = 0;
    for (let r = 0; r + 1 < runs.length; r += 2) {
      const first = runs[r], n = runs[r + 1];
      for (let i = 0; i < n && k < total; i++) ids[k++] = first + i;
    }
    return ids;
  }
  // id -> index through the runs sorted by first id; -1 when absent.
  function idFinder(runs) {
    const n = runs.length >> 1;
    const order = new Uint32Array(n);
    const start = new Float64Array(n);
    let s = 0;
    for (let i = 0; i < n; i++) { order[i] = i; start[i] = s; s += runs[2 * i + 1]; }
    order.sort((a, b) => runs[2 * a] - runs[2 * b]);
    return function (id) {
      let lo = 0, hi = n - 1, found = -1;
      while (lo <= hi) {
        const mid = (lo + hi) >> 1;
        if (runs[2 * order[mid]] <= id) { found = mid; lo = mid + 1; } else hi = mid - 1;
      }
      if (found < 0) return -1;
      const r = order[found];
      const off = id - runs[2 * r];
      return off < runs[2 * r + 1] ? start[r] + off : -1;
    };
  }

  const model = (function load() {
    const N = meta.nodes, M = meta.elements;
    const nodeRuns = arrayOf('node_ids'), elemRuns = arrayOf('elem_ids');
    const m = {
      N, M,
      centre: meta.centre,
      xyz: arrayOf('xyz'),
      nodeIds: expandRuns(nodeRuns, N), findNode: idFinder(nodeRuns),
      elemIds: expandRuns(elemRuns, M), findElem: idFinder(elemRuns),
      elemKind: arrayOf('elem_kind'), elemNodes: arrayOf('elem_nodes'),
      elemMat: arrayOf('elem_mat'), elemSec: arrayOf('elem_sec'),
      markerNode: arrayOf('marker_node'), markerKind: arrayOf('marker_kind'),
    };
    m.missingIndex = m.elemNodes instanceof Uint16Array ? 0xFFFF : 0xFFFFFFFF;
    m.kinds = meta.kinds.map(function (k) {
      const t = meta.types[k[0]] || {label: '?', draw: 'line'};
      return Object.assign({type: k[0], n: k[1], state: k[2], reason: k[3], label: t.label, draw: t.draw},
        patterns(t.draw, k[1]));
    });
    const kindN = new Uint8Array(m.kinds.length);
    m.kinds.forEach((k, i) => { kindN[i] = k.n; });
    m.elemStart = new Uint32Array(M + 1);
    for (let e = 0; e < M; e++) m.elemStart[e + 1] = m.elemStart[e] + kindN[m.elemKind[e]];

    // Finite nodes and their box.
    const xyz = m.xyz;
    m.nodeOk = new Uint8Array(N);
    const lo = [Infinity, Infinity, Infinity], hi = [-Infinity, -Infinity, -Infinity];
    let finite = 0;
    for (let i = 0; i < N; i++) {
      const x = xyz[3 * i], y = xyz[3 * i + 1], z = xyz[3 * i + 2];
      if (x - x !== 0 || y - y !== 0 || z - z !== 0) continue;
      m.nodeOk[i] = 1;
      finite++;
      if (x < lo[0]) lo[0] = x; if (x > hi[0]) hi[0] = x;
      if (y < lo[1]) lo[1] = y; if (y > hi[1]) hi[1] = y;
      if (z < lo[2]) lo[2] = z; if (z > hi[2]) hi[2] = z;
    }
    m.finite = finite;
    m.lo = lo; m.hi = hi;
    m.radius = finite ? Math.hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]) / 2 : 0;
    m.mid = finite ? [(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2] : [0, 0, 0];

    // Drawable elements; the others are listed under the view.
    m.drawable = new Uint8Array(M);
    m.onNonFinite = [];
    m.onNonFiniteCount = 0;
    m.byState = [[], [], [], []];
    m.stateCount = [0, 0, 0, 0];
    for (let e = 0; e < M; e++) {
      const k = m.kinds[m.elemKind[e]];
      m.stateCount[k.state]++;
      if (m.byState[k.state].length < LISTED) m.byState[k.state].push(e);
      if (k.state === 3) continue;
      let ok = 1;
      for (let j = m.elemStart[e], end = m.elemStart[e + 1]; j < end; j++) {
        const n = m.elemNodes[j];
        if (n === m.missingIndex || !m.nodeOk[n]) { ok = 0; break; }
      }
      m.drawable[e] = ok;
      if (!ok) {
        if (m.onNonFinite.length < LISTED) m.onNonFinite.push(e);
        m.onNonFiniteCount++;
      }
    }
    return m;
  })();

  // Local node pairs (edges), triples (triangles) and singles (points) of an element.
  function patterns(draw, n) {
    const ring = (c) => { const a = []; for (let i = 0; i < c; i++) a.push(i, (i + 1) % c); return a; };
    const chain = (c) => { const a = []; for (let i = 0; i + 1 < c; i++) a.push(i, i + 1); return a; };
    const fan = (c) => { const a = []; for (let i = 1; i + 1 < c; i++) a.push(0, i, i + 1); return a; };
    const all = (c) => { const a = []; for (let i = 0; i < c; i++) a.push(i); return a; };
    let edges = [], tris = [], points = [];
    if (n === 1 || draw === 'point') points = all(n);
    else if (draw === 'line' || n === 2) edges = chain(n);
    else if (draw === 'polygon') { edges = ring(n); tris = fan(n); }
    else if (n === 4) edges = [0, 1, 1, 2, 2, 0, 0, 3, 1, 3, 2, 3];
    else if (n === 5) edges = [0, 1, 1, 2, 2, 3, 3, 0, 0, 4, 1, 4, 2, 4, 3, 4];
    else if (n === 6) edges = [0, 1, 1, 2, 2, 0, 3, 4, 4, 5, 5, 3, 0, 3, 1, 4, 2, 5];
    else if (n === 8) edges = [0, 1, 1, 2, 2, 3, 3, 0, 4, 5, 5, 6, 6, 7, 7, 4, 0, 4, 1, 5, 2, 6, 3, 7];
    else edges = ring(n);
    return {edges: Int32Array.from(edges), tris: Int32Array.from(tris), points: Int32Array.from(points)};
  }

  // ---- header counts ------------------------------------------------------------------

  function headerCounts() {
    const box = $('hd-counts');
    const read = h('div', {class: 'group'}, [h('span', {class: 'group-name', text: 'Read'})]);
    if (report && report.entities) {
      for (const key of Object.keys(report.entities)) {
        const k = report.entities[key];
        let skipped = 0;
        for (const r of k.not_converted || []) skipped += r.count;
        const c = h('span', {class: 'count' + (skipped ? ' warn' : ''), 'data-kind': key},
          [kindName(key).toLowerCase() + ' ', h('b', {text: grouped(k.read)})]);
        if (skipped) c.append(' (' + grouped(skipped) + ' not converted)');
        read.append(c);
      }
    } else {
      read.append(h('span', {class: 'count'}, ['nodes ', h('b', {text: grouped(model.N)})]),
        h('span', {class: 'count'}, ['elements ', h('b', {text: grouped(model.M)})]));
    }
    box.append(read);
    if (model.M) {
      const types = h('div', {class: 'group', id: 'hd-types'}, [h('span', {class: 'group-name', text: 'Elements by type'})]);
      meta.types.forEach(function (t, i) {
        const n = meta.type_counts[i] || 0;
        if (n) types.append(h('span', {class: 'count', 'data-type': t.label}, [t.label + ' ', h('b', {text: grouped(n)})]));
      });
      box.append(types);
    }
  }

  // ---- report tables --------------------------------------------------------------------

  // A number the view can show: a button when the entity exists in the model.
  function numberCell(kind, n) {
    const index = kind === 'elements' ? model.findElem(n) : kind === 'nodes' ? model.findNode(n) : -1;
    if (index < 0) return h('span', {class: 'n', text: String(n)});
    return h('button', {type: 'button', class: 'num', text: String(n), 'data-show': kind === 'elements' ? 'element' : 'node',
      'data-id': String(n), title: 'Show in the view'});
  }
  function numberList(kind, numbers, count) {
    const span = h('span', {class: 'numbers-list'});
    numbers.forEach(function (n, i) {
      if (i) span.append(', ');
      span.append(numberCell(kind, n));
    });
    if (count > numbers.length) span.append(h('span', {class: 'more muted', text: ', \u2026'}));
    return span;
  }
  function table(cls, head, rows) {
    const thead = h('thead', null, [h('tr', null, head.map((c) => h('th', {text: c[0], class: c[1] || ''})))]);
    return h('table', {class: cls}, [thead, h('tbody', null, rows)]);
  }

  function reportTables() {
    const body = $('report-body');
    if (!report) {
      body.append(h('p', {class: 'muted', id: 'report-none',
        text: meta.report === 'invalid' ? 'The conversion report given to this page could not be read.'
          : 'No conversion report was given for this model.'}));
      return;
    }
    body.append(h('dl', {class: 'facts'}, [
      h('dt', {text: 'Model'}), h('dd', {class: 'mono', id: 'report-model', text: String(report.model)}),
      h('dt', {text: 'Exit status'}), h('dd', {id: 'report-status',
        text: report.status + ' \u00b7 ' + (STATUS_TEXT[report.status] || 'unknown status')}),
    ]));

    const ents = report.entities || {};
    const rows = [], reasonRows = [];
    for (const key of Object.keys(ents)) {
      const k = ents[key];
      let skipped = 0;
      for (const r of k.not_converted || []) {
        skipped += r.count;
        reasonRows.push(h('tr', {'data-kind': key}, [
          h('td', {text: kindName(key)}),
          h('td', {class: 'reason', text: r.reason}),
          h('td', {class: 'r count', text: String(r.count)}),
          h('td', {class: 'numbers'}, [numberList(key, r.numbers || [], r.count)]),
        ]));
      }
      const sections = h('td', {class: 'sections'});
      Object.keys(k.sections || {}).forEach(function (s, i) {
        if (i) sections.append(', ');
        sections.append(h('span', null, [h('code', {text: s}), ' ' + k.sections[s]]));
      });
      rows.push(h('tr', {'data-kind': key}, [
        h('td', {text: kindName(key)}),
        h('td', {class: 'r read', text: String(k.read)}),
        h('td', {class: 'r written', text: String(k.written)}),
        h('td', {class: 'r skipped' + (skipped ? ' warn' : ' zero'), text: String(skipped)}),
        sections,
      ]));
    }
    body.append(h('h3', {text: 'Entities'}),
      table('entities', [['Kind'], ['Read', 'r'], ['Written', 'r'], ['Not converted', 'r'], ['Sections written']], rows));
    body.append(h('h3', {text: 'Not converted'}));
    if (reasonRows.length) body.append(table('reasons', [['Kind'], ['Reason'], ['Count', 'r'], ['Numbers (first 20)']], reasonRows));
    else body.append(h('p', {class: 'muted', text: 'Everything read was converted.'}));

    const blocks = (list, cls) => table(cls, [['Block', 'r'], ['Lines', 'r']], list.map((b) =>
      h('tr', null, [h('td', {class: 'r block', text: String(b.block)}), h('td', {class: 'r lines', text: String(b.lines)})])));
    body.append(h('h3', {text: 'Reading'}));
    const unknown = report.unknown_blocks || [];
    body.append(unknown.length ? h('p', {text: 'Unknown blocks (no reader takes their number):'}) : h('p', {text: 'Unknown blocks: none.'}));
    if (unknown.length) body.append(blocks(unknown, 'unknown-blocks'));
    body.append(h('p', null, ['Lines outside blocks: ', h('span', {id: 'lines-outside', text: String(report.lines_outside_blocks)})]));
    if (report.read_stopped_at_line === null || report.read_stopped_at_line === undefined) {
      body.append(h('p', {id: 'read-stopped', text: 'Reading went on to the end of the file.'}));
    } else {
      body.append(h('p', {id: 'read-stopped', class: 'warn'}, ['Reading stopped at line ',
        h('span', {class: 'line', text: String(report.read_stopped_at_line)}), ' after a format error.']));
      const notRead = report.blocks_not_read || [];
      body.append(notRead.length ? h('p', {text: 'Blocks not read after it:'}) : h('p', {text: 'No block after it was left unread.'}));
      if (notRead.length) body.append(blocks(notRead, 'blocks-not-read'));
    }

    body.append(h('h3', {text: 'Dangling references of the written file'}));
    const dangling = report.dangling || [];
    if (!report.checked) body.append(h('p', {id: 'not-checked', class: 'muted', text: 'No QSX file was written and checked.'}));
    else if (!dangling.length) body.append(h('p', {text: 'None: the written file defines everything it refers to.'}));
    if (dangling.length) {
      body.append(table('dangling', [['Section'], ['Line', 'r'], ['Kind'], ['Missing']], dangling.map((d) => h('tr', null, [
        h('td', null, [h('code', {class: 'section', text: String(d.section)})]),
        h('td', {class: 'r line', text: String(d.line)}),
        h('td', {class: 'kind', text: String(d.kind)}),
        h('td', {class: 'name', text: String(d.name)}),
      ]))));
    }
    body.append(h('p', null, ['References left unchecked: ',
      h('span', {id: 'unchecked', text: String(report.unchecked_references || 0)})]));
  }

  function messages() {
    const body = $('messages-body');
    if (!meta.messages.length) {
      body.append(h('p', {class: 'muted', text: 'The message window had no lines.'}));
      return;
    }
    body.append(h('ol', {id: 'message-lines'}, meta.messages.map((t) => h('li', {text: t}))));
  }

  // ---- colours and draw sets ---------------------------------------------------------------

  // Colour key per element for a colouring mode, and the legend's entries.
  function colourKeys(mode) {
    const M = model.M, keys = new Uint8Array(M);
    const legend = [];
    let valueOf, names;
    if (mode === 'type') {
      const used = meta.types.map((t, i) => i).filter((i) => meta.type_counts[i]);
      const rank = new Int32Array(meta.types.length).fill(-1);
      used.forEach((t, i) => { rank[t] = i; });
      valueOf = (e) => rank[model.kinds[model.elemKind[e]].type];
      used.forEach((t, i) => legend.push({colour: PALETTE[i % PALETTE.length], label: meta.types[t].label, n: meta.type_counts[t]}));
    } else {
      const arr = mode === 'material' ? model.elemMat : model.elemSec;
      const values = mode === 'material' ? meta.materials : meta.sections;
      const label = mode === 'material' ? 'material ' : 'section ';
      if (values) {
        const order = values.map((v, i) => i).sort((a, b) => values[a] - values[b]);
        const rank = new Int32Array(values.length);
        order.forEach((p, i) => { rank[p] = i; });
        const count = new Float64Array(values.length);
        for (let e = 0; e < M; e++) count[arr[e]]++;
        valueOf = (e) => rank[arr[e]];
        names = order.map((p) => ({label: values[p] ? label + values[p] : 'no ' + label.trim(), n: count[p]}));
      } else {
        valueOf = (e) => Math.imul(arr[e], 0x9E3779B1) >>> 0;
        names = null;
      }
      if (names) {
        names.forEach((v, i) => { if (i < 24) legend.push({colour: PALETTE[i % PALETTE.length], label: v.label, n: v.n}); });
        if (names.length > 24) legend.push({colour: null, label: (names.length - 24) + ' more, colours repeat', n: null});
      } else {
        legend.push({colour: null, label: 'more than 65536 values, colours repeat', n: null});
      }
    }
    for (let e = 0; e < M; e++) {
      if (!model.drawable[e]) { keys[e] = NO_KEY; continue; }
      const state = model.kinds[model.elemKind[e]].state;
      keys[e] = state === 1 ? KEY_WARN : state === 2 ? KEY_DANGLING : valueOf(e) % PALETTE.length;
    }
    return {keys, legend};
  }

  // Index arrays for the elements passing `stride` (all when 1; those that are not
  // converted or dangling always, unless they are many), sorted by colour key, with
  // one group per key.
  function buildSet(keys, stride) {
    const M = model.M, kinds = model.kinds, ek = model.elemKind, en = model.elemNodes, es = model.elemStart;
    const segs = new Float64Array(KEY_COUNT), tris = new Float64Array(KEY_COUNT), pts = new Float64Array(KEY_COUNT);
    const flagged = model.stateCount[1] + model.stateCount[2] <= REDUCED_LIMIT / 20 ? KEY_WARN : NO_KEY;
    const take = (e, key) => stride === 1 || key >= flagged || (Math.imul(e, 0x9E3779B1) >>> 0) % stride === 0;
    for (let e = 0; e < M; e++) {
      const key = keys[e];
      if (key === NO_KEY || !take(e, key)) continue;
      const k = kinds[ek[e]];
      segs[key] += k.edges.length >> 1; tris[key] += k.tris.length / 3; pts[key] += k.points.length;
    }
    const Index = model.N < 65536 ? Uint16Array : Uint32Array;
    const groups = (counts, per) => {
      const list = [];
      let first = 0;
      for (let key = 0; key < KEY_COUNT; key++) {
        if (counts[key]) list.push({key, first: first * per, count: counts[key] * per});
        first += counts[key];
      }
      return {list, total: first};
    };
    const lg = groups(segs, 2), tg = groups(tris, 3), pg = groups(pts, 1);
    const lines = new Index(lg.total * 2), triIdx = new Index(tg.total * 3), points = new Index(pg.total);
    const lpos = new Float64Array(KEY_COUNT), tpos = new Float64Array(KEY_COUNT), ppos = new Float64Array(KEY_COUNT);
    for (const g of lg.list) lpos[g.key] = g.first;
    for (const g of tg.list) tpos[g.key] = g.first;
    for (const g of pg.list) ppos[g.key] = g.first;
    for (let e = 0; e < M; e++) {
      const key = keys[e];
      if (key === NO_KEY || !take(e, key)) continue;
      const k = kinds[ek[e]], base = es[e];
      const ed = k.edges, tr = k.tris, pt = k.points;
      let p = lpos[key];
      for (let j = 0; j < ed.length; j++) lines[p++] = en[base + ed[j]];
      lpos[key] = p;
      if (tr.length) {
        p = tpos[key];
        for (let j = 0; j < tr.length; j++) triIdx[p++] = en[base + tr[j]];
        tpos[key] = p;
      }
      if (pt.length) {
        p = ppos[key];
        for (let j = 0; j < pt.length; j++) points[p++] = en[base + pt[j]];
        ppos[key] = p;
      }
    }
    return {lines, triangles: triIdx, points, lineGroups: lg.list, triGroups: tg.list, pointGroups: pg.list,
      cost: lg.total + 2 * tg.total + pg.total};
  }

  function nodeSet() {
    const N = model.N, Index = N < 65536 ? Uint16Array : Uint32Array;
    let dots = null;
    if (N <= NODE_DOTS_LIMIT) {
      dots = new Index(model.finite);
      for (let i = 0, k = 0; i < N; i++) if (model.nodeOk[i]) dots[k++] = i;
    }
    const supports = [], springs = [];
    for (let i = 0; i < model.markerNode.length; i++) {
      const n = model.markerNode[i];
      if (!model.nodeOk[n]) continue;
      (model.markerKind[i] === 1 ? springs : supports).push(n);
    }
    return {dots, supports: Index.from(supports), springs: Index.from(springs)};
  }

  // ---- camera ------------------------------------------------------------------------------

  const cam = {az: -Math.PI / 4, el: Math.asin(1 / Math.sqrt(3)), t: [0, 0, 0], hh: 1, w: 1, h: 1, version: 0};
  function basis() {
    const ca = Math.cos(cam.az), sa = Math.sin(cam.az), ce = Math.cos(cam.el), se = Math.sin(cam.el);
    const v = [ce * ca, ce * sa, se], r = [-sa, ca, 0];
    const u = [-v[2] * r[1], v[2] * r[0], v[0] * r[1] - v[1] * r[0]];
    return {r, u, v};
  }
  const dot = (a, b) => a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
  // Column-major matrix from model coordinates (relative to the centre) to clip space.
  function matrix() {
    const {r, u, v} = basis();
    const hh = cam.hh, hw = cam.hh * cam.w / cam.h;
    const d = model.radius + Math.hypot(cam.t[0] - model.mid[0], cam.t[1] - model.mid[1], cam.t[2] - model.mid[2]) +
      Math.hypot(model.mid[0], model.mid[1], model.mid[2]) + 1e-6 + model.radius * 0.01;
    return new Float32Array([
      r[0] / hw, u[0] / hh, -v[0] / d, 0,
      r[1] / hw, u[1] / hh, -v[1] / d, 0,
      r[2] / hw, u[2] / hh, -v[2] / d, 0,
      -dot(r, cam.t) / hw, -dot(u, cam.t) / hh, dot(v, cam.t) / d, 1]);
  }
  function changed() { cam.version++; invalidate(); }
  // Input moves the camera by hand: a later resize keeps it instead of fitting again.
  function moved() { cam.fitted = false; lastInput = performance.now(); changed(); }
  function fit() {
    const {r, u, v} = basis();
    let r0 = Infinity, r1 = -Infinity, u0 = Infinity, u1 = -Infinity;
    const xyz = model.xyz;
    for (let i = 0; i < model.N; i++) {
      if (!model.nodeOk[i]) continue;
      const x = xyz[3 * i], y = xyz[3 * i + 1], z = xyz[3 * i + 2];
      const a = r[0] * x + r[1] * y + r[2] * z, b = u[0] * x + u[1] * y + u[2] * z;
      if (a < r0) r0 = a; if (a > r1) r1 = a;
      if (b < u0) u0 = b; if (b > u1) u1 = b;
    }
    if (!(r1 >= r0)) { r0 = r1 = u0 = u1 = 0; }
    const mr = (r0 + r1) / 2, mu = (u0 + u1) / 2, mv = dot(v, model.mid);
    cam.t = [r[0] * mr + u[0] * mu + v[0] * mv, r[1] * mr + u[1] * mu + v[1] * mv, r[2] * mr + u[2] * mu + v[2] * mv];
    const half = Math.max((u1 - u0) / 2, (r1 - r0) / 2 * cam.h / cam.w);
    cam.hh = half > 0 ? half * 1.12 : Math.max(model.radius, 1);
    cam.fitted = true;
    changed();
  }
  const PRESETS = {
    plan: [-Math.PI / 2, Math.PI / 2],
    xz: [-Math.PI / 2, 0],
    yz: [0, 0],
    iso: [-Math.PI / 4, Math.asin(1 / Math.sqrt(3))],
  };
  function preset(name) {
    if (name !== 'fit') { cam.az = PRESETS[name][0]; cam.el = PRESETS[name][1]; }
    fit();
  }
  // Screen position (CSS pixels) and depth of a point given relative to the centre.
  function projector() {
    const {r, u, v} = basis();
    const hh = cam.hh, hw = cam.hh * cam.w / cam.h, t = cam.t;
    const tr = dot(r, t), tu = dot(u, t), tv = dot(v, t);
    const sx = cam.w / (2 * hw), sy = cam.h / (2 * hh);
    return function (x, y, z, out) {
      out[0] = cam.w / 2 + (r[0] * x + r[1] * y + r[2] * z - tr) * sx;
      out[1] = cam.h / 2 - (u[0] * x + u[1] * y + u[2] * z - tu) * sy;
      out[2] = v[0] * x + v[1] * y + v[2] * z - tv;
      return out;
    };
  }

  // ---- renderers ---------------------------------------------------------------------------

  function GLRenderer(canvas, antialias) {
    const opts = {antialias, alpha: false, depth: true, preserveDrawingBuffer: true, premultipliedAlpha: false};
    let gl = canvas.getContext('webgl2', opts), name = 'webgl2';
    if (!gl) { gl = canvas.getContext('webgl', opts); name = 'webgl'; }
    if (!gl) return null;
    const bigIndex = model.N >= 65536;
    if (bigIndex && name === 'webgl' && !gl.getExtension('OES_element_index_uint')) return null;
    const indexType = bigIndex ? gl.UNSIGNED_INT : gl.UNSIGNED_SHORT, indexBytes = bigIndex ? 4 : 2;
    const vs = 'attribute vec3 p; uniform mat4 m; uniform float s;' +
      'void main() { gl_Position = m * vec4(p, 1.0); gl_PointSize = s; }';
    // Shapes of point sprites: 0 none (lines, triangles), 1 dot, 2 triangle (support), 3 ring (spring), 4 square.
    const fs = 'precision mediump float; uniform vec4 c; uniform int shape;' +
      'void main() {' +
      ' vec2 q = gl_PointCoord * 2.0 - 1.0;' +
      ' if (shape == 1 && dot(q, q) > 1.0) discard;' +
      ' if (shape == 2 && (q.y < -0.8 || abs(q.x) > (q.y + 0.8) * 0.6)) discard;' +
      ' if (shape == 3 && (dot(q, q) > 1.0 || dot(q, q) < 0.35)) discard;' +
      ' gl_FragColor = c; }';
    const shader = (type, src) => {
      const s = gl.createShader(type);
      gl.shaderSource(s, src);
      gl.compileShader(s);
      if (!gl.getShaderParameter(s, gl.COMPILE_STATUS)) throw new Error(gl.getShaderInfoLog(s));
      return s;
    };
    const prog = gl.createProgram();
    gl.attachShader(prog, shader(gl.VERTEX_SHADER, vs));
    gl.attachShader(prog, shader(gl.FRAGMENT_SHADER, fs));
    gl.linkProgram(prog);
    if (!gl.getProgramParameter(prog, gl.LINK_STATUS)) throw new Error(gl.getProgramInfoLog(prog));
    gl.useProgram(prog);
    const loc = {p: gl.getAttribLocation(prog, 'p'), m: gl.getUniformLocation(prog, 'm'), s: gl.getUniformLocation(prog, 's'),
      c: gl.getUniformLocation(prog, 'c'), shape: gl.getUniformLocation(prog, 'shape')};
    const vbo = gl.createBuffer();
    gl.bindBuffer(gl.ARRAY_BUFFER, vbo);
    gl.bufferData(gl.ARRAY_BUFFER, model.xyz, gl.STATIC_DRAW);
    gl.enableVertexAttribArray(loc.p);
    gl.vertexAttribPointer(loc.p, 3, gl.FLOAT, false, 0, 0);
    gl.enable(gl.DEPTH_TEST);
    gl.depthFunc(gl.LEQUAL);
    const buffers = [];
    const upload = (data) => {
      const b = gl.createBuffer();
      gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, b);
      gl.bufferData(gl.ELEMENT_ARRAY_BUFFER, data, gl.STATIC_DRAW);
      buffers.push(b);
      return b;
    };
    const bg = rgb('#fbfcfd');
    return {
      name,
      // Draw lists: ops {prim, buf, first, count, colour, shape, size, depth}.
      prepare(set, nodes, plates) {
        return prepareOps(set, nodes, upload, {tri: gl.TRIANGLES, line: gl.LINES, point: gl.POINTS}, plates);
      },
      release() { for (const b of buffers.splice(0)) gl.deleteBuffer(b); },
      resize(w, h, ratio) {
        canvas.width = Math.max(1, Math.round(w * ratio));
        canvas.height = Math.max(1, Math.round(h * ratio));
        gl.viewport(0, 0, canvas.width, canvas.height);
      },
      clear() {
        gl.clearColor(bg[0], bg[1], bg[2], 1);
        gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
        gl.uniformMatrix4fv(loc.m, false, matrix());
      },
      draw(op, first, count) {
        gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, op.buf);
        gl.uniform4f(loc.c, op.colour[0], op.colour[1], op.colour[2], op.alpha);
        gl.uniform1i(loc.shape, op.shape);
        gl.uniform1f(loc.s, op.size * (window.devicePixelRatio > 1 ? 2 : 1));
        if (op.blend) {
          gl.enable(gl.BLEND);
          gl.blendFunc(gl.SRC_ALPHA, gl.ONE_MINUS_SRC_ALPHA);
          gl.depthMask(false);
          gl.enable(gl.POLYGON_OFFSET_FILL);
          gl.polygonOffset(1, 1);
        }
        gl.drawElements(op.prim, count, indexType, first * indexBytes);
        if (op.blend) {
          gl.disable(gl.BLEND);
          gl.depthMask(true);
          gl.disable(gl.POLYGON_OFFSET_FILL);
        }
      },
      // Waits for the picture (one pixel read back), for the time of the first picture.
      finish() { const px = new Uint8Array(4); gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, px); },
    };
  }

  function CanvasRenderer(canvas) {
    const ctx = canvas.getContext('2d', {alpha: false});
    if (!ctx) return null;
    let ratio = 1, px = null, py = null, projVersion = -1;
    const project = () => {
      if (projVersion === cam.version && px) return;
      const N = model.N, P = projector(), o = [0, 0, 0], xyz = model.xyz;
      px = px || new Float32Array(N); py = py || new Float32Array(N);
      for (let i = 0; i < N; i++) {
        P(xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2], o);
        px[i] = o[0] * ratio; py[i] = o[1] * ratio;
      }
      projVersion = cam.version;
    };
    const hex = (c) => 'rgb(' + Math.round(c[0] * 255) + ',' + Math.round(c[1] * 255) + ',' + Math.round(c[2] * 255) + ')';
    return {
      name: '2d',
      prepare(set, nodes, plates) { return prepareOps(set, nodes, (data) => data, {tri: 'tri', line: 'line', point: 'point'}, plates); },
      release() {},
      resize(w, h, r) {
        ratio = r;
        canvas.width = Math.max(1, Math.round(w * r));
        canvas.height = Math.max(1, Math.round(h * r));
        projVersion = -1;
      },
      clear() {
        ctx.fillStyle = '#fbfcfd';
        ctx.fillRect(0, 0, canvas.width, canvas.height);
        project();
      },
      draw(op, first, count) {
        const idx = op.buf, colour = hex(op.colour);
        ctx.beginPath();
        if (op.prim === 'line') {
          for (let i = first; i < first + count; i += 2) {
            ctx.moveTo(px[idx[i]], py[idx[i]]);
            ctx.lineTo(px[idx[i + 1]], py[idx[i + 1]]);
          }
          ctx.strokeStyle = colour;
          ctx.lineWidth = ratio;
          ctx.stroke();
        } else if (op.prim === 'tri') {
          for (let i = first; i < first + count; i += 3) {
            ctx.moveTo(px[idx[i]], py[idx[i]]);
            ctx.lineTo(px[idx[i + 1]], py[idx[i + 1]]);
            ctx.lineTo(px[idx[i + 2]], py[idx[i + 2]]);
            ctx.closePath();
          }
          ctx.fillStyle = colour;
          ctx.globalAlpha = op.alpha;
          ctx.fill();
          ctx.globalAlpha = 1;
        } else {
          const s = op.size * ratio;
          ctx.fillStyle = colour;
          for (let i = first; i < first + count; i++) {
            const x = px[idx[i]], y = py[idx[i]];
            if (op.shape === 2) { ctx.moveTo(x, y - s / 2); ctx.lineTo(x + s / 2, y + s / 2); ctx.lineTo(x - s / 2, y + s / 2); ctx.closePath(); }
            else ctx.rect(x - s / 2, y - s / 2, s, s);
          }
          ctx.fill();
        }
      },
      finish() {},
    };
  }

  function lighter(c, f) { return [c[0] + (1 - c[0]) * f, c[1] + (1 - c[1]) * f, c[2] + (1 - c[2]) * f]; }

  // The ops that draw a set: lines, then plates (translucent, writing no depth, so
  // that lines behind them show through), then point elements, node dots and markers.
  // Drawing a set again over itself changes nothing but the plates, which the
  // sample drawn while moving leaves out (`plates` false).
  function prepareOps(set, nodes, upload, prim, plates) {
    const ops = [];
    const colours = KEY_COLOURS.map(rgb);
    const op = (o) => ops.push(Object.assign({alpha: 1, blend: false, shape: 0, size: 1, per: 1, cost: 1}, o));
    if (set.lines.length) {
      const buf = upload(set.lines);
      for (const g of set.lineGroups) op({prim: prim.line, buf, first: g.first, count: g.count, colour: colours[g.key], per: 2, cost: 1 / 2});
    }
    if (set.triangles.length && plates) {
      const buf = upload(set.triangles);
      for (const g of set.triGroups) op({prim: prim.tri, buf, first: g.first, count: g.count, colour: lighter(colours[g.key], 0.3), alpha: 0.3, blend: true, per: 3, cost: 2 / 3});
    }
    if (set.points.length) {
      const buf = upload(set.points);
      for (const g of set.pointGroups) op({prim: prim.point, buf, first: g.first, count: g.count, colour: colours[g.key], shape: 4, size: 7});
    }
    if (nodes) {
      // Many markers are drawn smaller, so that they do not cover the model.
      const big = nodes.supports.length + nodes.springs.length > 2000 ? 7 : 11;
      if (nodes.dots && nodes.dots.length) op({prim: prim.point, buf: upload(nodes.dots), first: 0, count: nodes.dots.length, colour: rgb('#3d4758'), shape: 1, size: 3});
      if (nodes.supports.length) op({prim: prim.point, buf: upload(nodes.supports), first: 0, count: nodes.supports.length, colour: rgb('#1d2430'), shape: 2, size: big});
      if (nodes.springs.length) op({prim: prim.point, buf: upload(nodes.springs), first: 0, count: nodes.springs.length, colour: rgb('#0b7285'), shape: 3, size: big});
    }
    return ops;
  }

  // ---- the view ----------------------------------------------------------------------------

  const viewBox = $('view'), canvas = $('view-gl'), overlay = $('view-overlay'), note = $('view-note');
  const status = $('view-status'), tip = $('view-tip');
  let renderer = null, full = null, reduced = null, legend = [];
  let dirty = false, job = null, lastInput = 0, rafPending = false, restTimer = 0;
  let selected = null, hovered = null;
  let showDots = model.N <= NODE_DOTS_LIMIT;

  function setNote(text, banner) {
    note.textContent = text;
    note.className = 'view-note' + (banner ? ' banner' : '');
    note.hidden = !text;
  }

  function buildDrawing() {
    const mode = $('colour-by').value;
    const c = colourKeys(mode);
    legend = c.legend;
    job = null;
    if (renderer) renderer.release();
    const fullSet = buildSet(c.keys, 1);
    const nodes = nodeSet();
    full = {ops: renderer.prepare(fullSet, showDots ? nodes : Object.assign({}, nodes, {dots: null}), true), cost: fullSet.cost};
    page.primitives = fullSet.cost + (showDots && nodes.dots ? nodes.dots.length : 0);
    reduced = null;
    if (page.primitives > REDUCED_LIMIT) {
      const stride = Math.ceil(fullSet.cost / (REDUCED_LIMIT * 0.8));
      const set = buildSet(c.keys, stride);
      reduced = {ops: renderer.prepare(set, Object.assign({}, nodes, {dots: null}), false), cost: set.cost};
      page.reducedPrimitives = set.cost;
    } else {
      page.reducedPrimitives = page.primitives;
    }
    drawLegend();
  }

  function invalidate() {
    dirty = true;
    schedule();
  }
  function schedule() {
    if (!rafPending) { rafPending = true; requestAnimationFrame(frame); }
  }
  function runOps(j, budget) {
    while (j.i < j.ops.length && budget > 0) {
      const op = j.ops[j.i], per = op.per;
      const left = op.count - j.done;
      const n = Math.min(left, Math.max(per, Math.floor(budget / op.cost / per) * per));
      renderer.draw(op, op.first + j.done, n);
      budget -= n * op.cost;
      j.done += n;
      if (j.done >= op.count) { j.i++; j.done = 0; }
    }
    return j.i >= j.ops.length;
  }
  function frame(now) {
    rafPending = false;
    if (!renderer) return;
    page.frames++;
    const moving = performance.now() - lastInput < REST_MS;
    if (dirty) {
      // A new picture: the sample at once (the whole model when it is small), the rest in later frames.
      dirty = false;
      const t0 = performance.now();
      renderer.clear();
      if (reduced) {
        runOps({ops: reduced.ops, i: 0, done: 0}, Infinity);
        job = moving ? null : {ops: full.ops, i: 0, done: 0};
        page.state = 'reduced';
        if (moving) { clearTimeout(restTimer); restTimer = setTimeout(rest, REST_MS + 10); }
      } else {
        job = {ops: full.ops, i: 0, done: 0};
        runOps(job, Infinity);
      }
      drawOverlay();
      page.lastPictureMs = Math.round(performance.now() - t0);
      if (page.firstPictureMs === null) {
        renderer.finish();
        page.firstPictureMs = Math.round(performance.now());
      }
    } else if (job) {
      page.state = 'drawing';
      runOps(job, renderer.name === '2d' ? CHUNK_2D : CHUNK);
    }
    if (job && job.i >= job.ops.length) {
      job = null;
      page.state = 'full';
      if (page.fullPictureMs === null) { renderer.finish(); page.fullPictureMs = Math.round(performance.now()); }
    }
    statusText();
    if (job || dirty) schedule();
  }
  // At rest after moving: draw the whole model over the reduced picture.
  function rest() {
    if (dirty || !reduced || job) return;
    if (performance.now() - lastInput < REST_MS) { restTimer = setTimeout(rest, REST_MS); return; }
    job = {ops: full.ops, i: 0, done: 0};
    schedule();
  }
  function statusText() {
    if (page.state === 'full') {
      status.textContent = grouped(page.primitives) + ' primitives \u00b7 ' + renderer.name;
    } else if (job) {
      let done = 0, all = 0;
      job.ops.forEach((op, i) => { const c = op.count * op.cost; all += c; if (i < job.i) done += c; else if (i === job.i) done += job.done * op.cost; });
      status.textContent = 'Drawing the whole model \u2026 ' + Math.floor(100 * done / Math.max(all, 1)) + ' %';
    } else if (page.state === 'reduced') {
      status.textContent = 'Reduced detail while the view moves (' + grouped(page.reducedPrimitives) + ' of ' + grouped(page.primitives) + ')';
    }
  }

  function resize() {
    const w = viewBox.clientWidth, hgt = viewBox.clientHeight;
    if (!w || !hgt) return;
    const ratio = Math.min(window.devicePixelRatio || 1, 2);
    if (w === cam.w && hgt === cam.h && overlay.width === Math.round(w * ratio)) return;
    cam.w = w; cam.h = hgt;
    if (renderer) renderer.resize(w, hgt, ratio);
    overlay.width = Math.round(w * ratio);
    overlay.height = Math.round(hgt * ratio);
    if (cam.fitted) fit();
    else changed();
  }

  // ---- overlay: axes, hover and selection -----------------------------------------------------

  function elementNodes(e) {
    const out = [];
    for (let j = model.elemStart[e]; j < model.elemStart[e + 1]; j++) out.push(model.elemNodes[j]);
    return out;
  }
  function drawOverlay() {
    const ctx = overlay.getContext('2d');
    const ratio = overlay.width / Math.max(cam.w, 1);
    ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
    ctx.clearRect(0, 0, cam.w, cam.h);
    // Axes, bottom right.
    const {r, u} = basis();
    const ox = cam.w - 46, oy = cam.h - 46;
    ctx.lineWidth = 1.5;
    ctx.font = '11px system-ui, sans-serif';
    [['X', 0, '#c92a2a'], ['Y', 1, '#2b8a3e'], ['Z', 2, '#1f5fa8']].forEach(function (a) {
      const dx = r[a[1]] * 28, dy = -u[a[1]] * 28;
      ctx.strokeStyle = a[2];
      ctx.fillStyle = a[2];
      ctx.beginPath(); ctx.moveTo(ox, oy); ctx.lineTo(ox + dx, oy + dy); ctx.stroke();
      ctx.fillText(a[0], ox + dx * 1.22 - 3, oy + dy * 1.22 + 4);
    });
    if (hovered && !(selected && selected.kind === hovered.kind && selected.index === hovered.index)) outline(ctx, hovered, false);
    if (selected) outline(ctx, selected, true);
  }
  function outline(ctx, item, strong) {
    const P = projector(), o = [0, 0, 0], xyz = model.xyz;
    const at = (n) => { P(xyz[3 * n], xyz[3 * n + 1], xyz[3 * n + 2], o); return [o[0], o[1]]; };
    const passes = strong ? [['rgba(255, 212, 59, 0.9)', 7], ['#1d2430', 2]] : [['rgba(29, 36, 48, 0.85)', 2.5]];
    let pts = [];
    if (item.kind === 'node') {
      if (!model.nodeOk[item.index]) return;
      pts = [at(item.index)];
    } else {
      if (!model.drawable[item.index]) return;
      const k = model.kinds[model.elemKind[item.index]];
      const nodes = elementNodes(item.index).map(at);
      pts = nodes;
      for (const [colour, width] of passes) {
        ctx.strokeStyle = colour; ctx.lineWidth = width; ctx.lineCap = 'round';
        ctx.beginPath();
        for (let j = 0; j < k.edges.length; j += 2) {
          ctx.moveTo(nodes[k.edges[j]][0], nodes[k.edges[j]][1]);
          ctx.lineTo(nodes[k.edges[j + 1]][0], nodes[k.edges[j + 1]][1]);
        }
        ctx.stroke();
      }
    }
    for (const [colour, width] of passes) {
      ctx.strokeStyle = colour; ctx.lineWidth = width;
      for (const p of pts) { ctx.beginPath(); ctx.arc(p[0], p[1], item.kind === 'node' ? 6 : 3.5, 0, 2 * Math.PI); ctx.stroke(); }
    }
    if (strong && pts.length) {
      let x = 0, y = 0;
      for (const p of pts) { x += p[0]; y += p[1]; }
      x /= pts.length; y /= pts.length;
      const text = (item.kind === 'node' ? 'node ' : 'element ') + item.id;
      ctx.font = '600 12px system-ui, sans-serif';
      const w = ctx.measureText(text).width + 10;
      ctx.fillStyle = 'rgba(29, 36, 48, 0.9)';
      ctx.fillRect(x + 10, y - 24, w, 18);
      ctx.fillStyle = '#fff';
      ctx.fillText(text, x + 15, y - 11);
    }
  }

  // ---- picking -----------------------------------------------------------------------------------

  let proj = null;
  function projected() {
    if (proj && proj.version === cam.version) return proj;
    const N = model.N, P = projector(), o = [0, 0, 0], xyz = model.xyz;
    const sx = new Float32Array(N), sy = new Float32Array(N), sz = new Float32Array(N);
    for (let i = 0; i < N; i++) {
      P(xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2], o);
      sx[i] = o[0]; sy[i] = o[1]; sz[i] = o[2];
    }
    proj = {version: cam.version, sx, sy, sz};
    return proj;
  }
  // The node within 6 px of (x, y), else the element drawn closest within 6 px (nearest to the eye on ties).
  function pick(x, y) {
    const {sx, sy, sz} = projected();
    let best = -1, bestD = 36;
    for (let i = 0; i < model.N; i++) {
      if (!model.nodeOk[i]) continue;
      const dx = sx[i] - x, dy = sy[i] - y, d = dx * dx + dy * dy;
      if (d < bestD || (d === bestD && best >= 0 && sz[i] > sz[best])) { bestD = d; best = i; }
    }
    if (best >= 0 && bestD <= 25 && showDots) return {kind: 'node', index: best, id: model.nodeIds[best]};
    let be = -1, bd = 6, bz = -Infinity;
    const en = model.elemNodes, es = model.elemStart;
    for (let e = 0; e < model.M; e++) {
      if (!model.drawable[e]) continue;
      const k = model.kinds[model.elemKind[e]], base = es[e];
      let d = Infinity, z = -Infinity;
      const ed = k.edges;
      for (let j = 0; j < ed.length; j += 2) {
        const a = en[base + ed[j]], b = en[base + ed[j + 1]];
        const ax = sx[a], ay = sy[a], bx = sx[b], by = sy[b];
        if ((ax < x - 6 && bx < x - 6) || (ax > x + 6 && bx > x + 6) || (ay < y - 6 && by < y - 6) || (ay > y + 6 && by > y + 6)) continue;
        const vx = bx - ax, vy = by - ay, l2 = vx * vx + vy * vy;
        const t = l2 > 0 ? Math.max(0, Math.min(1, ((x - ax) * vx + (y - ay) * vy) / l2)) : 0;
        const dd = Math.hypot(ax + t * vx - x, ay + t * vy - y);
        if (dd < d) { d = dd; z = sz[a] + t * (sz[b] - sz[a]); }
      }
      for (let j = 0; j < k.points.length; j++) {
        const a = en[base + k.points[j]];
        const dd = Math.hypot(sx[a] - x, sy[a] - y) - 3;
        if (dd < d) { d = Math.max(dd, 0); z = sz[a]; }
      }
      if (k.tris.length && d > 2.5) {
        for (let j = 0; j < k.tris.length; j += 3) {
          const a = en[base + k.tris[j]], b = en[base + k.tris[j + 1]], c = en[base + k.tris[j + 2]];
          if (inTriangle(x, y, sx[a], sy[a], sx[b], sy[b], sx[c], sy[c])) { d = 2.5; z = (sz[a] + sz[b] + sz[c]) / 3; break; }
        }
      }
      if (d < bd || (d === bd && z > bz)) { bd = d; be = e; bz = z; }
    }
    if (be >= 0) return {kind: 'element', index: be, id: model.elemIds[be]};
    if (best >= 0) return {kind: 'node', index: best, id: model.nodeIds[best]};
    return null;
  }
  function inTriangle(x, y, ax, ay, bx, by, cx, cy) {
    const d1 = (x - bx) * (ay - by) - (ax - bx) * (y - by);
    const d2 = (x - cx) * (by - cy) - (bx - cx) * (y - cy);
    const d3 = (x - ax) * (cy - ay) - (cx - ax) * (y - ay);
    return !(((d1 < 0) || (d2 < 0) || (d3 < 0)) && ((d1 > 0) || (d2 > 0) || (d3 > 0)));
  }

  // ---- info panel and selection -------------------------------------------------------------------

  function describe(item) {
    const rows = [];
    const row = (name, value) => rows.push(h('dt', {text: name}), h('dd', null, [value]));
    let heading;
    if (item.kind === 'element') {
      const e = item.index, k = model.kinds[model.elemKind[e]];
      heading = 'Element ' + item.id;
      row('Type', k.label + ' (' + k.draw + ')');
      let state = STATE_TEXT[k.state];
      if (k.reason >= 0) state += ': ' + meta.reasons[k.reason];
      if (k.state === 0 && !model.drawable[e]) state += '; not drawn: a node has non-finite coordinates';
      const st = h('span', {text: state});
      if (k.state === 1 || k.state === 3) st.className = 'warn-text';
      row('State', st);
      const nodes = h('span');
      const missing = k.state === 3 ? (meta.missing.find((m) => m.id === item.id) || null) : null;
      elementNodes(e).forEach(function (n, i) {
        if (i) nodes.append(', ');
        if (n === model.missingIndex) {
          nodes.append(h('span', {class: 'warn-text', text: (missing ? String(missing.nodes[i]) : '?') + ' (missing)'}));
        } else {
          nodes.append(h('button', {type: 'button', class: 'num', text: String(model.nodeIds[n]), 'data-show': 'node', 'data-id': String(model.nodeIds[n])}));
        }
      });
      row('Nodes', nodes);
      const value = (arr, values) => values ? values[arr[e]] : arr[e];
      const mat = value(model.elemMat, meta.materials), sec = value(model.elemSec, meta.sections);
      row('Material', mat ? String(mat) : 'none');
      row('Section', sec ? String(sec) : 'none');
    } else {
      const i = item.index, xyz = model.xyz, c = model.centre;
      heading = 'Node ' + item.id;
      row('Coordinates', model.nodeOk[i]
        ? [0, 1, 2].map((a) => fmt(c[a] + xyz[3 * i + a])).join(', ') + (meta.units ? ' (' + meta.units + ')' : '')
        : 'not finite: ' + [0, 1, 2].map((a) => String(xyz[3 * i + a])).join(', '));
      const marks = [];
      for (let m = 0; m < model.markerNode.length; m++) if (model.markerNode[m] === i) marks.push(model.markerKind[m] === 1 ? 'spring' : 'support');
      if (marks.length) row('Markers', marks.join(', '));
      const users = h('span');
      let count = 0;
      const en = model.elemNodes;
      for (let e = 0; e < model.M; e++) {
        for (let j = model.elemStart[e]; j < model.elemStart[e + 1]; j++) {
          if (en[j] !== i) continue;
          if (count < 20) {
            if (count) users.append(', ');
            users.append(h('button', {type: 'button', class: 'num', text: String(model.elemIds[e]), 'data-show': 'element', 'data-id': String(model.elemIds[e])}));
          }
          count++;
          break;
        }
      }
      if (count > 20) users.append(' \u2026 (' + count + ')');
      row('Elements', count ? users : 'none');
    }
    return {heading, rows};
  }
  function showInfo(item) {
    const info = $('info');
    info.textContent = '';
    if (!item) {
      info.append(h('p', {class: 'hint', text: 'Point at or click an element or node to see it here.'}));
      return;
    }
    const d = describe(item);
    info.append(h('h3', {id: 'info-heading', text: d.heading}), h('dl', null, d.rows));
  }
  function select(item, focus) {
    selected = item;
    page.selected = item ? {kind: item.kind, id: item.id} : null;
    showInfo(item);
    if (item && focus) bringIntoView(item);
    drawOverlay();
  }
  // Pans the view when the entity lies outside its middle, zooms out when it does not fit.
  function bringIntoView(item) {
    const idx = item.kind === 'node' ? [item.index] : elementNodes(item.index).filter((n) => n !== model.missingIndex);
    const ok = idx.filter((n) => model.nodeOk[n]);
    if (!ok.length || !renderer) return;
    const P = projector(), o = [0, 0, 0], xyz = model.xyz;
    let x0 = Infinity, x1 = -Infinity, y0 = Infinity, y1 = -Infinity;
    const c = [0, 0, 0];
    for (const n of ok) {
      P(xyz[3 * n], xyz[3 * n + 1], xyz[3 * n + 2], o);
      x0 = Math.min(x0, o[0]); x1 = Math.max(x1, o[0]); y0 = Math.min(y0, o[1]); y1 = Math.max(y1, o[1]);
      for (let a = 0; a < 3; a++) c[a] += xyz[3 * n + a] / ok.length;
    }
    const inside = x0 > cam.w * 0.1 && x1 < cam.w * 0.9 && y0 > cam.h * 0.1 && y1 < cam.h * 0.9;
    if (inside) return;
    const {v} = basis();
    const along = dot(v, cam.t) - dot(v, c);
    cam.t = [c[0] + v[0] * along, c[1] + v[1] * along, c[2] + v[2] * along];
    const size = Math.max(x1 - x0, y1 - y0) * 2 * cam.hh / cam.h;
    if (size > cam.hh * 1.6) cam.hh = size * 0.7;
    cam.fitted = false;
    changed();
  }
  function showEntity(kind, id) {
    const index = kind === 'element' ? model.findElem(id) : model.findNode(id);
    if (index < 0) return false;
    select({kind, index, id}, true);
    viewBox.scrollIntoView({block: 'nearest'});
    return true;
  }

  // ---- legend and the list under the view ----------------------------------------------------------

  function idButtons(kind, indices, total) {
    const span = h('span', {class: 'ids-list'});
    indices.forEach(function (i, n) {
      const id = kind === 'element' ? model.elemIds[i] : model.nodeIds[i];
      span.append(h('span', {class: 'id'}, [h('button', {type: 'button', class: 'num', text: String(id), 'data-show': kind,
        'data-id': String(id)}), n + 1 < indices.length ? ',' : null]), n + 1 < indices.length ? ' ' : '');
    });
    if (total > indices.length) span.append(' \u2026 (' + grouped(total) + ' in all)');
    return span;
  }
  function drawLegend() {
    const box = $('legend');
    box.textContent = '';
    const mode = $('colour-by');
    box.append(h('h3', {text: 'Colours: ' + mode.options[mode.selectedIndex].text}));
    const list = h('ul');
    for (const item of legend) {
      list.append(h('li', null, [item.colour ? swatch(item.colour) : swatch(null, ''), h('span', {text: item.label}),
        item.n === null ? null : h('span', {class: 'n', text: grouped(item.n)})]));
    }
    box.append(list);
    const states = h('ul', {id: 'legend-states'});
    const add = (cls, label, state) => {
      const n = model.stateCount[state];
      if (!n) return;
      states.append(h('li', {'data-state': String(state)}, [swatch(null, cls), h('span', {text: label}), h('span', {class: 'n', text: grouped(n)})]));
      states.append(h('li', {class: 'ids'}, [idButtons('element', model.byState[state].slice(0, 12), n)]));
    };
    add('warn', 'Not converted', 1);
    add('dangling', 'Dangling reference', 2);
    if (states.childNodes.length) box.append(h('h3', {text: 'Marked elements'}), states);
    const marks = h('ul');
    let supports = 0, springs = 0;
    for (let i = 0; i < model.markerKind.length; i++) if (model.markerKind[i] === 1) springs++; else supports++;
    if (supports) marks.append(h('li', null, [swatch(null, 'support'), h('span', {text: 'Support'}), h('span', {class: 'n', text: grouped(supports)})]));
    if (springs) marks.append(h('li', null, [swatch(null, 'spring'), h('span', {text: 'Spring support'}), h('span', {class: 'n', text: grouped(springs)})]));
    if (marks.childNodes.length) box.append(h('h3', {text: 'Node markers'}), marks);
    const tools = h('label', {class: 'muted'}, [h('input', {type: 'checkbox', id: 'show-nodes', checked: showDots}), ' show nodes']);
    box.append(tools);
  }
  function notDrawn() {
    const box = $('not-drawn');
    if (model.stateCount[3]) {
      const p = h('p', {id: 'missing-nodes'}, [h('span', {class: 'warn', text: 'Not drawn: '}),
        grouped(model.stateCount[3]) + (model.stateCount[3] === 1 ? ' element refers' : ' elements refer') +
        ' to a node the model does not have: ']);
      meta.missing.forEach(function (m, i) {
        if (i) p.append('; ');
        p.append(h('button', {type: 'button', class: 'num', text: String(m.id), 'data-show': 'element', 'data-id': String(m.id)}));
        const missing = m.nodes.filter((n) => model.findNode(n) < 0);
        p.append(' (node' + (missing.length > 1 ? 's ' : ' ') + missing.join(', ') + ')');
      });
      if (meta.missing_count > meta.missing.length) p.append(' \u2026');
      box.append(p);
    }
    if (meta.nonfinite) {
      const bad = [];
      for (let i = 0; i < model.N && bad.length < LISTED; i++) if (!model.nodeOk[i]) bad.push(i);
      box.append(h('p', {id: 'nonfinite-nodes'}, [h('span', {class: 'warn', text: 'Not drawn: '}),
        grouped(meta.nonfinite) + (meta.nonfinite === 1 ? ' node has' : ' nodes have') + ' non-finite coordinates: ',
        idButtons('node', bad, meta.nonfinite)]));
      if (model.onNonFiniteCount) {
        box.append(h('p', {id: 'nonfinite-elements'}, [h('span', {class: 'warn', text: 'Not drawn: '}),
          grouped(model.onNonFiniteCount) + (model.onNonFiniteCount === 1 ? ' element lies' : ' elements lie') + ' on them: ',
          idButtons('element', model.onNonFinite, model.onNonFiniteCount)]));
      }
    }
    if (meta.markers_dropped) {
      box.append(h('p', {text: grouped(meta.markers_dropped) + ' node markers name nodes the model does not have.'}));
    }
  }

  // ---- input --------------------------------------------------------------------------------------

  function hookInput() {
    let drag = null;
    overlay.addEventListener('contextmenu', (ev) => ev.preventDefault());
    overlay.addEventListener('pointerdown', function (ev) {
      overlay.setPointerCapture(ev.pointerId);
      const pan = ev.button === 1 || ev.button === 2 || ev.shiftKey || ev.ctrlKey || ev.metaKey;
      drag = {x: ev.clientX, y: ev.clientY, x0: ev.clientX, y0: ev.clientY, pan, moved: false};
      viewBox.classList.add('dragging');
      ev.preventDefault();
    });
    overlay.addEventListener('pointermove', function (ev) {
      if (!drag) { hoverAt(ev); return; }
      const dx = ev.clientX - drag.x, dy = ev.clientY - drag.y;
      if (!dx && !dy) return;
      if (Math.abs(ev.clientX - drag.x0) + Math.abs(ev.clientY - drag.y0) > 3) drag.moved = true;
      drag.x = ev.clientX; drag.y = ev.clientY;
      if (drag.pan) {
        const {r, u} = basis(), s = 2 * cam.hh / cam.h;
        for (let a = 0; a < 3; a++) cam.t[a] += -r[a] * dx * s + u[a] * dy * s;
      } else {
        cam.az -= dx * 0.008;
        cam.el = Math.max(-Math.PI / 2, Math.min(Math.PI / 2, cam.el + dy * 0.008));
      }
      hideTip();
      moved();
    });
    const end = function (ev) {
      if (!drag) return;
      const click = !drag.moved && ev.type === 'pointerup' && ev.button === 0 && !drag.pan;
      drag = null;
      viewBox.classList.remove('dragging');
      if (click) {
        const b = overlay.getBoundingClientRect();
        const t0 = performance.now();
        select(pick(ev.clientX - b.left, ev.clientY - b.top), false);
        page.lastPickMs = Math.round(performance.now() - t0);
      }
    };
    overlay.addEventListener('pointerup', end);
    overlay.addEventListener('pointercancel', end);
    overlay.addEventListener('pointerleave', function () { if (!drag) { hovered = null; hideTip(); drawOverlay(); } });
    overlay.addEventListener('wheel', function (ev) {
      ev.preventDefault();
      const b = overlay.getBoundingClientRect();
      const mx = ev.clientX - b.left, my = ev.clientY - b.top;
      const f = Math.exp(Math.max(-1, Math.min(1, ev.deltaY * (ev.deltaMode === 1 ? 0.05 : 0.0015))));
      const {r, u} = basis();
      const ox = (mx / cam.w * 2 - 1) * cam.hh * cam.w / cam.h, oy = (1 - my / cam.h * 2) * cam.hh;
      for (let a = 0; a < 3; a++) cam.t[a] += (r[a] * ox + u[a] * oy) * (1 - f);
      cam.hh *= f;
      moved();
    }, {passive: false});
    for (const b of document.querySelectorAll('[data-view]')) b.addEventListener('click', () => preset(b.getAttribute('data-view')));
    $('colour-by').addEventListener('change', function () { buildDrawing(); invalidate(); });
    $('legend').addEventListener('change', function (ev) {
      if (ev.target.id !== 'show-nodes') return;
      showDots = ev.target.checked;
      buildDrawing();
      invalidate();
    });
  }
  let hoverPending = null;
  function hoverAt(ev) {
    if (model.M > HOVER_LIMIT || job) return;
    const b = overlay.getBoundingClientRect();
    hoverPending = [ev.clientX - b.left, ev.clientY - b.top];
    requestAnimationFrame(function () {
      if (!hoverPending) return;
      const [x, y] = hoverPending;
      hoverPending = null;
      const item = pick(x, y);
      hovered = item;
      drawOverlay();
      if (!item) { hideTip(); return; }
      let text;
      if (item.kind === 'element') {
        const k = model.kinds[model.elemKind[item.index]];
        const mat = meta.materials ? meta.materials[model.elemMat[item.index]] : model.elemMat[item.index];
        const sec = meta.sections ? meta.sections[model.elemSec[item.index]] : model.elemSec[item.index];
        text = 'Element ' + item.id + ' \u00b7 ' + k.label + ' \u00b7 nodes ' +
          elementNodes(item.index).map((n) => model.nodeIds[n]).join(', ') + ' \u00b7 material ' + (mat || 'none') +
          ' \u00b7 section ' + (sec || 'none') + (k.state ? ' \u00b7 ' + STATE_TEXT[k.state] : '');
      } else {
        text = 'Node ' + item.id;
      }
      tip.textContent = text;
      tip.hidden = false;
      tip.style.left = Math.min(x + 14, cam.w - tip.offsetWidth - 4) + 'px';
      tip.style.top = Math.max(y - 30, 4) + 'px';
    });
  }
  function hideTip() { tip.hidden = true; }

  // Buttons with data-show anywhere on the page select what they name.
  document.addEventListener('click', function (ev) {
    const b = ev.target.closest && ev.target.closest('[data-show]');
    if (!b) return;
    showEntity(b.getAttribute('data-show'), Number(b.getAttribute('data-id')));
  });
  $('find').addEventListener('submit', function (ev) {
    ev.preventDefault();
    const kind = $('find-kind').value, text = $('find-number').value.trim(), result = $('find-result');
    const id = Number(text);
    if (!/^[-+]?\d+$/.test(text)) { result.textContent = 'Give a whole number.'; return; }
    result.textContent = showEntity(kind, id) ? '' : 'No ' + kind + ' ' + id + '.';
  });

  // ---- start --------------------------------------------------------------------------------------

  function start() {
    headerCounts();
    reportTables();
    messages();
    notDrawn();
    if (!model.N || !model.finite) {
      setNote(model.N ? 'None of the model\u2019s ' + grouped(model.N) + ' nodes has finite coordinates: there is nothing to draw.'
        : 'This model has no nodes: there is nothing to draw.');
      for (const b of document.querySelectorAll('[data-view], #colour-by')) b.disabled = true;
      page.state = 'empty';
      $('info').textContent = '';
      drawLegendStatesOnly();
      return;
    }
    const forced2d = /(^|[#&])renderer=2d\b/.test(location.hash);
    try {
      renderer = forced2d ? null : GLRenderer(canvas, model.M < 100000);
    } catch (err) {
      page.errors.push(String(err));
      renderer = null;
    }
    if (!renderer) renderer = CanvasRenderer(canvas);
    if (!renderer) {
      setNote('This browser can draw neither with WebGL nor on a 2D canvas: the view is not available.');
      page.state = 'none';
      return;
    }
    page.renderer = renderer.name;
    canvas.addEventListener('webglcontextlost', function (ev) {
      ev.preventDefault();
      renderer = null;
      page.state = 'none';
      setNote('The browser took the view\u2019s drawing context away (short of graphics memory?): reload the page to draw again.');
    });
    if (model.radius === 0) {
      const i = model.nodeOk.indexOf(1), c = model.centre, xyz = model.xyz;
      const at = '(' + [0, 1, 2].map((a) => fmt(c[a] + xyz[3 * i + a])).join(', ') + ')';
      setNote(model.finite === 1 ? 'The model is a single point: node ' + model.nodeIds[i] + ' at ' + at + '.'
        : 'All ' + grouped(model.finite) + ' drawable nodes lie at one point, ' + at + '.', true);
      page.point = true;
    } else if (meta.nonfinite) {
      setNote(grouped(meta.nonfinite) + (meta.nonfinite === 1 ? ' node has' : ' nodes have') +
        ' non-finite coordinates and ' + (meta.nonfinite === 1 ? 'is' : 'are') + ' not drawn (listed below the view).', true);
    }
    buildDrawing();
    hookInput();
    resize();
    preset('iso');
    if (typeof ResizeObserver === 'function') new ResizeObserver(resize).observe(viewBox);
    status.title = 'Drag: orbit \u00b7 right button, middle button or Shift + drag: pan \u00b7 wheel: zoom \u00b7 click: select';
  }
  // Without a picture the legend keeps only the lists of marked elements.
  function drawLegendStatesOnly() {
    legend = [];
    drawLegend();
    const box = $('legend');
    box.removeChild(box.firstChild);
    box.removeChild(box.firstChild);
    box.removeChild(box.lastChild);
  }

  try {
    start();
  } catch (err) {
    page.errors.push(String(err && err.stack || err));
    page.state = 'error';
    setNote('The view could not be set up: ' + String(err && err.message || err));
    throw err;
  }
})();

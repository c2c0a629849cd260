/* Data: reads the blocks that the page writer writes (page/page_data.cpp has the full format):
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
 * and turns them into `model`: the arrays, id lookups, each element's first node, the
 * finite nodes and their box, and which elements can be drawn.
 */
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
// The decoded model, for the browser tests that compare it with what was written; not
// enumerable, so that reading hvxPage as a value stays small.
Object.defineProperty(page, 'model', {value: model});

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

/* Colours and draw sets: a colour key per element for the colouring chosen, index
 * arrays of the elements grouped by key, and the draw operations over them that the
 * renderers (webgl.js, canvas2d.js) run.
 */
const REDUCED_LIMIT = 200000;  // primitives drawn while the view moves
const NODE_DOTS_LIMIT = 300000;  // nodes up to which the view draws a dot at each node

const PALETTE = ['#2f6db5', '#2b8a3e', '#7950b2', '#0b7285', '#8d6e3f', '#495a72',
  '#4263eb', '#5c940d', '#9c36b5', '#1098ad', '#74583a', '#087f5b'];
const WARN = '#e8590c';
const DANGLING = '#c2255c';
const KEY_WARN = PALETTE.length;
const KEY_DANGLING = PALETTE.length + 1;
const KEY_COUNT = PALETTE.length + 2;
const KEY_COLOURS = PALETTE.concat([WARN, DANGLING]);
const NO_KEY = 255;

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

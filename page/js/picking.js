/* Picking: the node or element under a point of the view, on the nodes projected
 * once per camera position.
 */
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

/* The overlay canvas over the picture: the axes, and the outline of the element or
 * node pointed at and of the one selected.
 */
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

/* The 2D canvas renderer, for browsers without WebGL (or #renderer=2d): the same
 * draw operations, with the nodes projected on the processor.
 */
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

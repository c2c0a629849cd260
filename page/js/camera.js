/* The camera: an orthographic view turned by azimuth and elevation about a target,
 * the view presets, fitting the model into the view, and projection to the screen.
 */
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

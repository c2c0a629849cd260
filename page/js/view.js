/* The view: builds the drawing, runs the frame loop and says what it draws.
 *
 * Lines, triangles and points are drawn through index buffers into the one node array,
 * grouped by colour (one draw call per colour and primitive). While the view moves only
 * a sample of the elements (at most REDUCED_LIMIT primitives) is drawn; at rest the whole
 * model is drawn over it in slices of CHUNK primitives a frame, so that a software
 * renderer (about a million segments a second) keeps the page responsive.
 */
const CHUNK = 400000;          // primitives drawn per frame at rest
const CHUNK_2D = 150000;        // the same on a 2D canvas
const REST_MS = 180;           // no input for this long: the view is at rest

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

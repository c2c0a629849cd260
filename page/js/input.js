/* Input: orbit, pan and zoom with the pointer and the wheel, pointing and clicking to
 * select, the view buttons, the colouring and the find box; number buttons anywhere on
 * the page (data-show) select what they name.
 */
const HOVER_LIMIT = 200000;  // elements up to which pointing shows an element

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

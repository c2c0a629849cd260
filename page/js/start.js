/* Start: fills the panels, chooses the renderer (WebGL, else a 2D canvas), says when
 * there is nothing to draw, and draws the first picture. An error on the way is noted
 * in the view and in hvxPage.errors.
 */
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

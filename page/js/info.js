/* The info panel and the selection: what is known of the element or node selected,
 * and bringing it into the view.
 */
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

/* The legend beside the view (colours, marked elements, node markers) and the list
 * under the view of what is not drawn.
 */
function idButtons(kind, indices, total) {
  const span = h('span', {class: 'ids-list'});
  indices.forEach(function (i, n) {
    const id = kind === 'element' ? model.elemIds[i] : model.nodeIds[i];
    span.append(h('span', {class: 'id'}, [h('button', {type: 'button', class: 'num', text: String(id), 'data-show': kind,
      'data-id': String(id)}), n + 1 < indices.length ? ',' : null]), n + 1 < indices.length ? ' ' : '');
  });
  if (total > indices.length) span.append(' \u2026 (' + grouped(total) + ' in all)');
  return span;
}
function drawLegend() {
  const box = $('legend');
  box.textContent = '';
  const mode = $('colour-by');
  box.append(h('h3', {text: 'Colours: ' + mode.options[mode.selectedIndex].text}));
  const list = h('ul');
  for (const item of legend) {
    list.append(h('li', null, [item.colour ? swatch(item.colour) : swatch(null, ''), h('span', {text: item.label}),
      item.n === null ? null : h('span', {class: 'n', text: grouped(item.n)})]));
  }
  box.append(list);
  const states = h('ul', {id: 'legend-states'});
  const add = (cls, label, state) => {
    const n = model.stateCount[state];
    if (!n) return;
    states.append(h('li', {'data-state': String(state)}, [swatch(null, cls), h('span', {text: label}), h('span', {class: 'n', text: grouped(n)})]));
    states.append(h('li', {class: 'ids'}, [idButtons('element', model.byState[state].slice(0, 12), n)]));
  };
  add('warn', 'Not converted', 1);
  add('dangling', 'Dangling reference', 2);
  if (states.childNodes.length) box.append(h('h3', {text: 'Marked elements'}), states);
  const marks = h('ul');
  let supports = 0, springs = 0;
  for (let i = 0; i < model.markerKind.length; i++) if (model.markerKind[i] === 1) springs++; else supports++;
  if (supports) marks.append(h('li', null, [swatch(null, 'support'), h('span', {text: 'Support'}), h('span', {class: 'n', text: grouped(supports)})]));
  if (springs) marks.append(h('li', null, [swatch(null, 'spring'), h('span', {text: 'Spring support'}), h('span', {class: 'n', text: grouped(springs)})]));
  if (marks.childNodes.length) box.append(h('h3', {text: 'Node markers'}), marks);
  const tools = h('label', {class: 'muted'}, [h('input', {type: 'checkbox', id: 'show-nodes', checked: showDots}), ' show nodes']);
  box.append(tools);
}
function notDrawn() {
  const box = $('not-drawn');
  if (model.stateCount[3]) {
    const p = h('p', {id: 'missing-nodes'}, [h('span', {class: 'warn', text: 'Not drawn: '}),
      grouped(model.stateCount[3]) + (model.stateCount[3] === 1 ? ' element refers' : ' elements refer') +
      ' to a node the model does not have: ']);
    meta.missing.forEach(function (m, i) {
      if (i) p.append('; ');
      p.append(h('button', {type: 'button', class: 'num', text: String(m.id), 'data-show': 'element', 'data-id': String(m.id)}));
      const missing = m.nodes.filter((n) => model.findNode(n) < 0);
      p.append(' (node' + (missing.length > 1 ? 's ' : ' ') + missing.join(', ') + ')');
    });
    if (meta.missing_count > meta.missing.length) p.append(' \u2026');
    box.append(p);
  }
  if (meta.nonfinite) {
    const bad = [];
    for (let i = 0; i < model.N && bad.length < LISTED; i++) if (!model.nodeOk[i]) bad.push(i);
    box.append(h('p', {id: 'nonfinite-nodes'}, [h('span', {class: 'warn', text: 'Not drawn: '}),
      grouped(meta.nonfinite) + (meta.nonfinite === 1 ? ' node has' : ' nodes have') + ' non-finite coordinates: ',
      idButtons('node', bad, meta.nonfinite)]));
    if (model.onNonFiniteCount) {
      box.append(h('p', {id: 'nonfinite-elements'}, [h('span', {class: 'warn', text: 'Not drawn: '}),
        grouped(model.onNonFiniteCount) + (model.onNonFiniteCount === 1 ? ' element lies' : ' elements lie') + ' on them: ',
        idButtons('element', model.onNonFinite, model.onNonFiniteCount)]));
    }
  }
  if (meta.markers_dropped) {
    box.append(h('p', {text: grouped(meta.markers_dropped) + ' node markers name nodes the model does not have.'}));
  }
}

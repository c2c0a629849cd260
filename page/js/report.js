/* The report panel and the header's counts: the conversion report object as tables
 * (entities, what was not converted, reading, dangling references), the counts read
 * and the elements by type above the view, and the message window's lines.
 */
function headerCounts() {
  const box = $('hd-counts');
  const read = h('div', {class: 'group'}, [h('span', {class: 'group-name', text: 'Read'})]);
  if (report && report.entities) {
    for (const key of Object.keys(report.entities)) {
      const k = report.entities[key];
      let skipped = 0;
      for (const r of k.not_converted || []) skipped += r.count;
      const c = h('span', {class: 'count' + (skipped ? ' warn' : ''), 'data-kind': key},
        [kindName(key).toLowerCase() + ' ', h('b', {text: grouped(k.read)})]);
      if (skipped) c.append(' (' + grouped(skipped) + ' not converted)');
      read.append(c);
    }
  } else {
    read.append(h('span', {class: 'count'}, ['nodes ', h('b', {text: grouped(model.N)})]),
      h('span', {class: 'count'}, ['elements ', h('b', {text: grouped(model.M)})]));
  }
  box.append(read);
  if (model.M) {
    const types = h('div', {class: 'group', id: 'hd-types'}, [h('span', {class: 'group-name', text: 'Elements by type'})]);
    meta.types.forEach(function (t, i) {
      const n = meta.type_counts[i] || 0;
      if (n) types.append(h('span', {class: 'count', 'data-type': t.label}, [t.label + ' ', h('b', {text: grouped(n)})]));
    });
    box.append(types);
  }
}

// "N · text": an exit status with the text the conversion gave the page's status
// (meta.status_text), or the number alone for another status.
function statusLine(status) {
  return String(status) + (status === meta.status && meta.status_text ? ' \u00b7 ' + meta.status_text : '');
}

// A number the view can show: a button when the entity exists in the model.
function numberCell(kind, n) {
  const index = kind === 'elements' ? model.findElem(n) : kind === 'nodes' ? model.findNode(n) : -1;
  if (index < 0) return h('span', {class: 'n', text: String(n)});
  return h('button', {type: 'button', class: 'num', text: String(n), 'data-show': kind === 'elements' ? 'element' : 'node',
    'data-id': String(n), title: 'Show in the view'});
}
function numberList(kind, numbers, count) {
  const span = h('span', {class: 'numbers-list'});
  numbers.forEach(function (n, i) {
    if (i) span.append(', ');
    span.append(numberCell(kind, n));
  });
  if (count > numbers.length) span.append(h('span', {class: 'more muted', text: ', \u2026'}));
  return span;
}
function table(cls, head, rows) {
  const thead = h('thead', null, [h('tr', null, head.map((c) => h('th', {text: c[0], class: c[1] || ''})))]);
  return h('table', {class: cls}, [thead, h('tbody', null, rows)]);
}

function reportTables() {
  const body = $('report-body');
  if (!report) {
    body.append(h('p', {class: 'muted', id: 'report-none',
      text: meta.report === 'invalid' ? 'The conversion report given to this page could not be read.'
        : 'No conversion report was given for this model.'}));
    return;
  }
  body.append(h('dl', {class: 'facts'}, [
    h('dt', {text: 'Model'}), h('dd', {class: 'mono', id: 'report-model', text: String(report.model)}),
    h('dt', {text: 'Exit status'}), h('dd', {id: 'report-status', text: statusLine(report.status)}),
  ]));

  const ents = report.entities || {};
  const rows = [], reasonRows = [];
  for (const key of Object.keys(ents)) {
    const k = ents[key];
    let skipped = 0;
    for (const r of k.not_converted || []) {
      skipped += r.count;
      reasonRows.push(h('tr', {'data-kind': key}, [
        h('td', {text: kindName(key)}),
        h('td', {class: 'reason', text: r.reason}),
        h('td', {class: 'r count', text: String(r.count)}),
        h('td', {class: 'numbers'}, [numberList(key, r.numbers || [], r.count)]),
      ]));
    }
    const sections = h('td', {class: 'sections'});
    Object.keys(k.sections || {}).forEach(function (s, i) {
      if (i) sections.append(', ');
      sections.append(h('span', null, [h('code', {text: s}), ' ' + k.sections[s]]));
    });
    rows.push(h('tr', {'data-kind': key}, [
      h('td', {text: kindName(key)}),
      h('td', {class: 'r read', text: String(k.read)}),
      h('td', {class: 'r written', text: String(k.written)}),
      h('td', {class: 'r skipped' + (skipped ? ' warn' : ' zero'), text: String(skipped)}),
      sections,
    ]));
  }
  body.append(h('h3', {text: 'Entities'}),
    table('entities', [['Kind'], ['Read', 'r'], ['Written', 'r'], ['Not converted', 'r'], ['Sections written']], rows));
  body.append(h('h3', {text: 'Not converted'}));
  if (reasonRows.length) body.append(table('reasons', [['Kind'], ['Reason'], ['Count', 'r'], ['Numbers (first 20)']], reasonRows));
  else body.append(h('p', {class: 'muted', text: 'Everything read was converted.'}));

  const blocks = (list, cls) => table(cls, [['Block', 'r'], ['Lines', 'r']], list.map((b) =>
    h('tr', null, [h('td', {class: 'r block', text: String(b.block)}), h('td', {class: 'r lines', text: String(b.lines)})])));
  body.append(h('h3', {text: 'Reading'}));
  const unknown = report.unknown_blocks || [];
  body.append(unknown.length ? h('p', {text: 'Unknown blocks (no reader takes their number):'}) : h('p', {text: 'Unknown blocks: none.'}));
  if (unknown.length) body.append(blocks(unknown, 'unknown-blocks'));
  body.append(h('p', null, ['Lines outside blocks: ', h('span', {id: 'lines-outside', text: String(report.lines_outside_blocks)})]));
  if (report.read_stopped_at_line === null || report.read_stopped_at_line === undefined) {
    body.append(h('p', {id: 'read-stopped', text: 'Reading went on to the end of the file.'}));
  } else {
    body.append(h('p', {id: 'read-stopped', class: 'warn'}, ['Reading stopped at line ',
      h('span', {class: 'line', text: String(report.read_stopped_at_line)}), ' after a format error.']));
    const notRead = report.blocks_not_read || [];
    body.append(notRead.length ? h('p', {text: 'Blocks not read after it:'}) : h('p', {text: 'No block after it was left unread.'}));
    if (notRead.length) body.append(blocks(notRead, 'blocks-not-read'));
  }

  body.append(h('h3', {text: 'Dangling references of the written file'}));
  const dangling = report.dangling || [];
  if (!report.checked) body.append(h('p', {id: 'not-checked', class: 'muted', text: 'No QSX file was written and checked.'}));
  else if (!dangling.length) body.append(h('p', {text: 'None: the written file defines everything it refers to.'}));
  if (dangling.length) {
    body.append(table('dangling', [['Section'], ['Line', 'r'], ['Kind'], ['Missing']], dangling.map((d) => h('tr', null, [
      h('td', null, [h('code', {class: 'section', text: String(d.section)})]),
      h('td', {class: 'r line', text: String(d.line)}),
      h('td', {class: 'kind', text: String(d.kind)}),
      h('td', {class: 'name', text: String(d.name)}),
    ]))));
  }
  body.append(h('p', null, ['References left unchecked: ',
    h('span', {id: 'unchecked', text: String(report.unchecked_references || 0)})]));
}

function messages() {
  const body = $('messages-body');
  if (!meta.messages.length) {
    body.append(h('p', {class: 'muted', text: 'The message window had no lines.'}));
    return;
  }
  body.append(h('ol', {id: 'message-lines'}, meta.messages.map((t) => h('li', {text: t}))));
}

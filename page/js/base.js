/* Model page script, shared part: the page's state for tests and measurements
 * (window.hvxPage), texts and limits the other parts share, and small DOM helpers.
 *
 * The page's script is the files of page/js joined in the order page/CMakeLists.txt
 * lists them, inside one function (page/embed.cmake writes the wrapper): what a file
 * declares at its top level is seen by the files after it. Texts from the model go in
 * as text nodes, never as markup.
 */
const LISTED = 50;  // ids listed in the legend and under the view
const STATE_TEXT = ['converted', 'not converted', 'dangling reference', 'missing node'];
const KIND_NAMES = {
  nodes: 'Nodes', elements: 'Elements', materials: 'Materials', properties: 'Properties',
  constraint_equations: 'Constraint equations', load_sets: 'Load sets', static_loads: 'Static loads',
  groups: 'Groups', functions: 'Functions', hinge_properties: 'Hinge properties',
};

const page = window.hvxPage = {
  state: 'loading', renderer: 'none', firstPictureMs: null, fullPictureMs: null,
  primitives: 0, reducedPrimitives: 0, frames: 0, selected: null, errors: [],
};

const $ = (id) => document.getElementById(id);
function h(tag, props, children) {
  const e = document.createElement(tag);
  if (props) {
    for (const k of Object.keys(props)) {
      if (k === 'class') e.className = props[k];
      else if (k === 'text') e.textContent = props[k];
      else if (k.startsWith('data-')) e.setAttribute(k, props[k]);
      else e[k] = props[k];
    }
  }
  if (children) for (const c of children) if (c !== null && c !== undefined) e.append(c);
  return e;
}
const kindName = (k) => KIND_NAMES[k] || String(k).replace(/_/g, ' ');
const grouped = (n) => Number(n).toLocaleString('en-US');
function rgb(hex) {
  return [1, 3, 5].map((i) => parseInt(hex.slice(i, i + 2), 16) / 255);
}
function swatch(colour, cls) {
  const s = h('span', {class: 'swatch' + (cls ? ' ' + cls : '')});
  if (colour) s.style.background = colour;
  return s;
}
function fmt(v) {
  if (!isFinite(v)) return String(v);
  const s = Number(v.toPrecision(7));
  return String(Object.is(s, -0) ? 0 : s);
}

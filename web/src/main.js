// The page of `twinel serve`: a thin view over the host session. Every
// action is one line of the session language run by the server (the same
// code as `twinel script`); what the page shows comes back from the host
// after each line.
//
// Questions, file requests and dialogs: a line that asks one fails on the
// server with nobody to answer (the host answers from a queue). The page
// then asks the user, queues the answer as its own line (`answer yes|no`,
// `path NAME`, `answer ok|cancel`) and runs the line again, so the session
// script holds the answer just before the line that takes it.
import { getJSON, post, runLine, getMesh } from './api.js';
import { View } from './view.js';
import { Palette, quote } from './palette.js';
import { mirrorDistances, distanceColour, legendHTML } from './asymmetry.js';

const $ = (id) => document.getElementById(id);
// The first answers are asked for before the view is made: making a
// drawing context takes about a second where drawing is in software, and
// the answers arrive meanwhile.
const early = { files: getJSON('/api/files'), state: getJSON('/api/state'), layout: getJSON('/api/layout') };
const view = new View($('canvas'));
const palette = new Palette($('palette'), (line) => act(line));
const app = {
  state: null, lastResult: null, updates: 0, timings: {},
  busy: Promise.resolve(),
  act: (line) => act(line),
  screenOf: (id, v) => view.screenOf(id, v),
  settled: () => app.busy,
};
window.twinel = app;

function status(text, error = false) {
  $('status').textContent = text;
  $('status').classList.toggle('error', error);
}

// Actions run one after the other, in the order the user made them.
function act(line) {
  app.busy = app.busy.then(() => perform(line)).catch((e) => status(String(e), true));
  return app.busy;
}

async function perform(line) {
  const start = performance.now();
  app.timings = {};
  let r = await runLine(line);
  // A line may ask more than once (a question, then a file path).
  for (let round = 0; round < 4 && !r.ok; ++round) {
    let answer = null;
    if (r.question !== undefined) {
      answer = `answer ${await ask(r.question, ['yes', 'no'])}`;
    } else if (r.file_request) {
      const types = (r.file_request.types || []).join(', ');
      const name = await askText(`${r.file_request.open ? 'Open' : 'Save'} which file? A name in the served folder, or @NAME for the session's scratch folder${types ? ` (${types})` : ''}.`, r.file_request.open ? '' : '@template.png');
      answer = name === null ? 'path --cancel' : `path ${quote(name)}`;
    } else if (r.dialog && typeof r.dialog === 'object') {
      // The dialog's items, edited as the user does: each edit is a line
      // queued before the answer.
      const lines = await dialogForm(r.dialog);
      answer = lines.pop();
      for (const l of lines) {
        const queued = await runLine(l);
        if (!queued.ok) { r = queued; answer = null; break; }
      }
      if (answer === null) break;
    } else if (r.dialog) {
      answer = `answer ${await ask('The plug-in shows a dialog. Accept its values?', ['ok', 'cancel'])}`;
    } else {
      break;
    }
    const queued = await runLine(answer);
    if (!queued.ok) { r = queued; break; }
    r = await runLine(line);
  }
  app.timings.run = performance.now() - start;
  app.lastResult = r;
  if (r.ok) status(line);
  else status(`${line}: ${r.error}`, true);
  if (r.state) await apply(r.state);
  app.timings.total = performance.now() - start;
  // The round trip as the user sees it: until the answer is drawn.
  const timings = app.timings;
  view.nextFrame().then(() => { timings.drawn = performance.now() - start; });
  return r;
}

// ---- dialogs -----------------------------------------------------------------

function openDialog(text, buttons, input) {
  return new Promise((resolve) => {
    const d = $('ask');
    $('ask-text').textContent = text;
    const field = $('ask-input');
    field.hidden = input === undefined;
    if (input !== undefined) field.value = input;
    const menu = $('ask-buttons');
    menu.textContent = '';
    for (const b of buttons) {
      const button = document.createElement('button');
      button.value = b;
      button.textContent = b;
      button.dataset.answer = b;
      menu.append(button);
    }
    d.onclose = () => resolve(d.returnValue || buttons[buttons.length - 1]);
    d.returnValue = '';
    d.showModal();
  });
}

// A dialog of the plug-in as a form: its items in layout order, groups
// framing theirs. Resolves to the lines that give the user's edits, in the
// order made, and last `answer ok` or `answer cancel`. A button is pressed
// at once in the dialog's next showing; in this host a dialog's button asks
// for a file (Template Setting's "browse"), so the form asks for it here
// and queues the path after the press.
function dialogForm(view) {
  const hex = (c) => '#' + c.map((x) => Math.round(Math.min(1, Math.max(0, x)) * 255).toString(16).padStart(2, '0')).join('');
  const rgb = (h) => [1, 3, 5].map((i) => +(parseInt(h.slice(i, i + 2), 16) / 255).toFixed(6));
  return new Promise((resolve) => {
    const d = $('form-dialog');
    $('form-title').textContent = view.title;
    const box = $('form-items');
    box.textContent = '';
    const edits = [];  // [key, line], one per field, a press each time
    const edit = (key, line) => {
      const at = edits.findIndex((e) => e[0] === key);
      if (at >= 0) edits.splice(at, 1);
      edits.push([key, line]);
    };
    const groups = new Map();
    for (const item of view.items) {
      const parent = groups.get(item.group) || box;
      if (item.kind === 'group') {
        const set = document.createElement('fieldset');
        const legend = document.createElement('legend');
        legend.textContent = item.label;
        set.append(legend);
        parent.append(set);
        groups.set(item.id, set);
        continue;
      }
      const row = document.createElement('label');
      const name = document.createElement('span');
      name.textContent = item.label + (item.unit ? ` (${item.unit})` : '');
      let field;
      if (item.kind === 'button') {
        field = document.createElement('button');
        field.type = 'button';
        field.textContent = item.label;
        name.textContent = '';
        name.className = 'chosen';
        field.addEventListener('click', async () => {
          d.close('hold');
          const file = await askText(`"${item.label}" asks for a file: a name in the served folder, or @NAME for the session's scratch folder.`, '@template');
          edits.push([null, `dialog ${item.id} press`], [null, file === null ? 'path --cancel' : `path ${quote(file)}`]);
          name.textContent = file === null ? '' : `→ ${file}`;
          d.showModal();
        });
      } else if (item.kind === 'selection') {
        field = document.createElement('select');
        item.choices.forEach((c, i) => field.append(new Option(c, String(i), false, i === item.value)));
        field.addEventListener('change', () => edit(item.id, `dialog ${item.id} selection ${field.value}`));
      } else if (item.kind === 'bool') {
        field = document.createElement('input');
        field.type = 'checkbox';
        field.checked = item.value;
        field.addEventListener('change', () => edit(item.id, `dialog ${item.id} bool ${field.checked ? 'on' : 'off'}`));
      } else if (item.kind === 'rgb') {
        field = document.createElement('input');
        field.type = 'color';
        field.value = hex(item.value);
        field.addEventListener('change', () => edit(item.id, `dialog ${item.id} rgb ${rgb(field.value).join(' ')}`));
      } else {
        field = document.createElement('input');
        field.type = item.kind === 'int' ? 'number' : 'text';
        field.value = String(item.value);
        field.addEventListener('input', () => {
          if (item.kind === 'int' && !/^-?\d+$/.test(field.value.trim())) return;
          edit(item.id, item.kind === 'int' ? `dialog ${item.id} int ${field.value.trim()}` : `dialog ${item.id} string ${quote(field.value)}`);
        });
      }
      field.dataset.dialogItem = item.id;
      row.append(name, field);
      parent.append(row);
    }
    d.onclose = () => {
      if (d.returnValue === 'hold') return;
      const ok = d.returnValue === 'ok';
      resolve([...(ok ? edits.map((e) => e[1]) : []), `answer ${ok ? 'ok' : 'cancel'}`]);
    };
    d.returnValue = '';
    d.showModal();
  });
}

const ask = (text, answers) => openDialog(text, answers);
async function askText(text, value) {
  const chosen = await openDialog(text, ['ok', 'cancel'], value);
  return chosen === 'ok' && $('ask-input').value.trim() ? $('ask-input').value.trim() : null;
}

// ---- what the host shows ---------------------------------------------------------

let builtGeneration = -1;

async function buildLayout(state) {
  const first = early.layout && await early.layout;
  early.layout = null;
  palette.build(first && first.lang === state.lang ? first : await getJSON('/api/layout'));
  const bar = $('toolbar');
  bar.textContent = '';
  state.toolbar.forEach((t, i) => {
    const b = document.createElement('button');
    b.type = 'button';
    b.dataset.toolbar = i;
    const img = new Image();
    img.src = `/api/toolbar/${i}.png?g=${state.generation}`;
    img.alt = t.id;
    b.append(img);
    b.addEventListener('click', () => act(`toolbar ${i}`));
    bar.append(b);
  });
  document.documentElement.lang = state.lang;
  $('lang').value = state.lang;
  builtGeneration = state.generation;
}

function control(id) {
  return app.state && app.state.controls.find((c) => c.id === id);
}

async function apply(state) {
  const start = performance.now();
  if (state.generation !== builtGeneration) await buildLayout(state);
  app.state = state;
  $('title').textContent = state.title || 'twinel';
  const box = $('messages');
  box.textContent = state.messages.join('\n');
  box.scrollTop = box.scrollHeight;
  palette.update(state.controls);
  state.toolbar.forEach((t, i) => {
    const b = $('toolbar').children[i];
    if (!b) return;
    b.disabled = !t.enabled;
    b.hidden = !t.shown;
    b.title = t.tooltip || t.title;
  });
  $('undo').disabled = !state.can_undo;
  $('redo').disabled = !state.can_redo;
  $('mode').value = state.selection_mode;
  $('modify').checked = state.modify;

  const empty = view.bounds().isEmpty();
  const stale = view.setShapes(state.shapes, state.modify);
  const shapes = new Map(state.shapes.map((s) => [s.id, s]));
  await Promise.all(stale.map(async (m) => {
    // A move of a few vertices comes with the state.
    const s = shapes.get(m.id);
    const answer = s.moved && m.revision === s.revision - 1
      ? { form: 'moved', revision: s.revision, indices: s.moved.indices, positions: s.moved.positions }
      : await getMesh(m.id, m.revision);
    if (answer.form === 'whole') m.setWhole(answer);
    else if (answer.form === 'moved') m.setMoved(answer);
    m.drawOverlays();
  }));
  const plane = control('sym_mode');
  view.setPlane(plane ? Math.round(plane.value) : 0);
  repaint();
  if (empty && !view.bounds().isEmpty()) view.frameAll();
  view.render();
  app.timings.apply = performance.now() - start;
  app.updates += 1;
}

// ---- asymmetry colours -----------------------------------------------------------

const distanceCache = new Map();
view.colouring = (mesh) => {
  if (!$('asymmetry').checked || !app.state) return null;
  const margin = control('margin') ? control('margin').value : 0.1;
  const onPlane = control('reduse_margin') ? control('reduse_margin').value : 0.01;
  const axis = control('sym_mode') ? Math.round(control('sym_mode').value) : 0;
  const key = `${mesh.revision}/${margin}/${onPlane}/${axis}`;
  let cached = distanceCache.get(mesh.id);
  if (!cached || cached.key !== key || cached.count !== mesh.vertexCount()) {
    const d = mirrorDistances(mesh.positions.array, axis, onPlane, 2 * margin);
    cached = { key, count: mesh.vertexCount(), distances: d, colours: Array.from(d, (x) => distanceColour(x, margin)) };
    distanceCache.set(mesh.id, cached);
  }
  return cached.colours;
};

function repaint() {
  const on = $('asymmetry').checked;
  const margin = control('margin');
  $('legend').hidden = !on;
  if (on && margin) $('legend').innerHTML = legendHTML(margin.value, margin.unit);
  for (const m of view.meshes.values()) m.paint();
  view.render();
}

// A vertex's position as the view has it (mesh coordinates), for tests.
app.position = (id, v) => Array.from(view.meshes.get(id).positions.array.slice(3 * v, 3 * v + 3));

// The distances the colours show, for tests: vertex -> distance.
app.distances = (id) => {
  const c = distanceCache.get(id);
  return c ? Array.from(c.distances) : null;
};

// ---- the view's mouse ------------------------------------------------------------

const canvas = $('canvas');
let gesture = null;

function activeMesh() {
  return app.state && view.meshes.get(app.state.active);
}

function shapeRef(id) {
  const shapes = app.state.shapes;
  const at = shapes.findIndex((s) => s.id === id);
  const name = shapes[at].name;
  // A name names the first shape that has it; otherwise the scene index
  // (the root is #0).
  return shapes.findIndex((s) => s.name === name) === at && /^[^\s"#]+$/.test(name) ? name : `#${at + 1}`;
}

const kinds = { vertex: 'vertices', edge: 'edges', face: 'faces' };

async function selectElements(meshId, list) {
  if (app.state.active !== meshId) await act(`activate ${shapeRef(meshId)}`);
  return act(`select ${kinds[app.state.selection_mode]} ${[...new Set(list)].sort((a, b) => a - b).join(' ')}`.trim());
}

// Where the vertices joined to `v` in the wireframe are on the canvas.
function neighbourScreens(mesh, v) {
  const near = new Set();
  const e = mesh.wireEnds;
  for (let k = 0; k < e.length; k += 2) {
    if (e[k] === v) near.add(e[k + 1]);
    else if (e[k + 1] === v) near.add(e[k]);
  }
  near.delete(v);
  return [...near].map((u) => view.screenOf(mesh.id, u));
}

// While a vertex is dragged the mesh is not drawn again (in software a
// frame of a large mesh takes a quarter of a second, and the frames would
// queue up behind the pointer): its edges to its neighbours are drawn over
// the last frame instead, until the host answers the move.
function drawDragPreview(g) {
  const layer = $('drag');
  const r = canvas.getBoundingClientRect();
  const scale = window.devicePixelRatio || 1;
  if (layer.hidden) layer.hidden = false;
  if (layer.width !== Math.round(r.width * scale) || layer.height !== Math.round(r.height * scale)) {
    layer.width = Math.round(r.width * scale);
    layer.height = Math.round(r.height * scale);
  }
  const c = layer.getContext('2d');
  c.setTransform(scale, 0, 0, scale, -r.left * scale, -r.top * scale);
  c.clearRect(r.left, r.top, r.width, r.height);
  const p = g.to.clone().project(view.camera);
  const at = { x: r.left + ((p.x + 1) / 2) * r.width, y: r.top + ((1 - p.y) / 2) * r.height };
  c.strokeStyle = '#d02020';
  c.lineWidth = 1.5;
  c.beginPath();
  for (const q of g.neighbours) { c.moveTo(q.x, q.y); c.lineTo(at.x, at.y); }
  c.stroke();
  c.fillStyle = '#d02020';
  c.beginPath();
  c.arc(at.x, at.y, 4, 0, 2 * Math.PI);
  c.fill();
}

canvas.addEventListener('pointerdown', (e) => {
  if (e.button !== 0) return;
  const start = { x: e.clientX, y: e.clientY };
  if (e.ctrlKey) {
    view.controls.enabled = false;
    gesture = { kind: 'box', start };
    return;
  }
  const mesh = activeMesh();
  if (mesh && app.state.modify && app.state.selection_mode === 'vertex') {
    const shape = app.state.shapes.find((s) => s.id === mesh.id);
    let grab = -1, near = 12;
    for (const v of shape.selected.vertices) {
      const q = view.screenOf(mesh.id, v);
      const d = Math.hypot(q.x - start.x, q.y - start.y);
      if (d < near) { near = d; grab = v; }
    }
    if (grab >= 0) {
      view.controls.enabled = false;
      canvas.setPointerCapture(e.pointerId);
      gesture = { kind: 'drag', start, mesh, vertex: grab, from: mesh.world(grab), to: null,
        neighbours: neighbourScreens(mesh, grab) };
      return;
    }
  }
  gesture = { kind: 'click', start, shift: e.shiftKey };
});

canvas.addEventListener('pointermove', (e) => {
  if (!gesture) return;
  if (gesture.kind === 'box') {
    const b = $('box'), r = canvas.getBoundingClientRect();
    const x0 = Math.min(gesture.start.x, e.clientX), y0 = Math.min(gesture.start.y, e.clientY);
    Object.assign(b.style, {
      left: `${x0 - r.left}px`, top: `${y0 - r.top}px`,
      width: `${Math.abs(e.clientX - gesture.start.x)}px`, height: `${Math.abs(e.clientY - gesture.start.y)}px`,
    });
    b.hidden = false;
    gesture.end = { x: e.clientX, y: e.clientY };
  } else if (gesture.kind === 'drag') {
    const p = view.dragPoint(e, gesture.from);
    if (!p) return;
    gesture.to = p;
    drawDragPreview(gesture);
  }
});

canvas.addEventListener('pointerup', async (e) => {
  const g = gesture;
  gesture = null;
  view.controls.enabled = true;
  if (!g || !app.state) { $('drag').hidden = true; return; }
  const moved = Math.hypot(e.clientX - g.start.x, e.clientY - g.start.y);
  if (g.kind === 'box') {
    $('box').hidden = true;
    const mesh = activeMesh();
    if (!mesh || !g.end) return;
    const rect = {
      left: Math.min(g.start.x, g.end.x), right: Math.max(g.start.x, g.end.x),
      top: Math.min(g.start.y, g.end.y), bottom: Math.max(g.start.y, g.end.y),
    };
    const mode = app.state.selection_mode;
    let list = view.inBox(mesh.id, rect, mode === 'face');
    if (mode === 'edge') {
      const inside = new Set(list);
      list = [];
      for (let k = 0; k < mesh.edgeList.length / 2; ++k)
        if (inside.has(mesh.edgeList[2 * k]) && inside.has(mesh.edgeList[2 * k + 1])) list.push(k);
    }
    await selectElements(mesh.id, list);
  } else if (g.kind === 'drag') {
    if (!g.to || moved < 2) { $('drag').hidden = true; return; }
    const local = g.to.clone().applyMatrix4(g.mesh.group.matrixWorld.clone().invert());
    const n = (x) => String(+x.toPrecision(7));
    // The preview stays until the answer (the vertex, its partner) is in
    // the view; the frame drawing it comes before the next paint.
    try {
      await act(`move ${g.vertex} ${n(local.x)} ${n(local.y)} ${n(local.z)}`);
    } finally {
      $('drag').hidden = true;
    }
  } else if (moved < 5) {
    const mode = app.state.selection_mode;
    const near = mode === 'vertex' && view.pickVertex(e);
    const hit = near ? { mesh: near.mesh, vertex: near.vertex } : view.pick(e);
    if (!hit) {
      if (!g.shift && activeMesh()) await selectElements(activeMesh().id, []);
      return;
    }
    const element = mode === 'vertex' ? hit.vertex : mode === 'edge' ? hit.edge : hit.face;
    if (element < 0) return;
    let list = [element];
    if (g.shift && hit.mesh.id === app.state.active) {
      const shape = app.state.shapes.find((s) => s.id === hit.mesh.id);
      const now = shape.selected[kinds[mode]];
      list = now.includes(element) ? now.filter((x) => x !== element) : [...now, element];
    }
    await selectElements(hit.mesh.id, list);
  }
});

// ---- the header, the command line and the keys ---------------------------------------

$('open').addEventListener('click', () => $('files').value && act(`open ${quote($('files').value)}`));
$('new-scene').addEventListener('click', () => act('scene new'));
$('save').addEventListener('click', async () => {
  const name = await askText('Save the scene as which file of the served folder? (.obj, .json, .gltf or .glb)', 'saved.obj');
  if (name) act(`save ${quote(name)}`);
});
$('undo').addEventListener('click', () => act('undo'));
$('redo').addEventListener('click', () => act('redo'));
$('mode').addEventListener('change', () => act(`mode ${$('mode').value}`));
$('modify').addEventListener('change', () => act(`modify ${$('modify').checked ? 'on' : 'off'}`));
$('asymmetry').addEventListener('change', repaint);
$('frame').addEventListener('click', () => view.frameAll());
$('lang').addEventListener('change', () => {
  app.busy = app.busy.then(async () => {
    const r = await post('/api/lang', { lang: $('lang').value });
    if (!r.ok) status(r.error, true);
    if (r.state) await apply(r.state);
  });
});
$('command').addEventListener('submit', (e) => {
  e.preventDefault();
  const line = $('line').value.trim();
  if (line) act(line).then(() => { $('line').value = ''; });
});
document.addEventListener('keydown', (e) => {
  if (e.target.closest && e.target.closest('input, select, textarea, dialog')) return;
  if ((e.ctrlKey || e.metaKey) && e.key.toLowerCase() === 'z') {
    e.preventDefault();
    act(e.shiftKey ? 'redo' : 'undo');
  } else if (e.key === 'f' && !e.ctrlKey) {
    view.frameAll();
  }
});

async function start() {
  const files = await early.files;
  for (const f of files.meshes || []) {
    const o = document.createElement('option');
    o.textContent = f;
    $('files').append(o);
  }
  await apply(await early.state);
  view.frameAll();
  status('ready');
  document.body.dataset.ready = 'yes';
}
app.busy = start().catch((e) => status(String(e), true));

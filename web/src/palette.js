// The palette, built from the KXUL layout the server reads: groups, tabs,
// boxes and every control, each showing the state the host gives it after
// every action. A user action on a control is one line of the session
// language, handed to `run`.

function el(tag, cls, text) {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (text !== undefined) e.textContent = text;
  return e;
}

// Words of a session line keep blanks inside double quotes.
export function quote(word) {
  return /^[^\s"#\\]+$/.test(word) ? word : `"${String(word).replace(/[\\"]/g, (c) => `\\${c}`)}"`;
}

export class Palette {
  constructor(root, run) {
    this.root = root;
    this.run = run;
    this.controls = [];  // by control index: {node, element, update(state)}
  }

  build(layout) {
    this.root.textContent = '';
    this.controls = [];
    for (const n of layout.children) this.root.append(this.node(n));
  }

  node(n) {
    switch (n.kind) {
      case 'vbox': case 'hbox': {
        const box = el('div', n.kind);
        for (const c of n.children) box.append(this.node(c));
        return box;
      }
      case 'group': return this.group(n);
      case 'tab': return this.tabs(n);
      default: return this.control(n);
    }
  }

  track(n, element, update) {
    element.dataset.id = n.id;
    element.dataset.control = n.control;
    this.controls[n.control] = { node: n, element, update };
    return element;
  }

  group(n) {
    const box = el('details', 'group');
    box.open = true;
    const title = el('summary', null, n.label);
    box.append(title);
    for (const c of n.children) box.append(this.node(c));
    return this.track(n, box, (s) => { title.textContent = s.title; });
  }

  tabs(n) {
    const box = el('div', 'tabs');
    const strip = el('div', 'tab-strip');
    const pages = el('div', 'tab-pages');
    box.append(strip, pages);
    n.children.forEach((page, i) => {
      const button = el('button', 'tab', page.label);
      button.type = 'button';
      button.dataset.tab = page.id;
      const body = this.node(page);
      body.classList.add('tab-page');
      const show = () => {
        for (const b of strip.children) b.classList.remove('current');
        // Not `hidden`: that is the host's shown state of the page's group.
        for (const p of pages.children) p.classList.add('tab-away');
        button.classList.add('current');
        body.classList.remove('tab-away');
      };
      button.addEventListener('click', show);
      strip.append(button);
      pages.append(body);
      const own = this.controls[page.control];
      const inner = own.update;
      own.update = (s) => { inner(s); button.textContent = s.title; };
      if (i === 0) show();
    });
    return this.track(n, box, () => {});
  }

  control(n) {
    const wrap = el('span', `control ${n.kind}`);
    if (n.tooltip) wrap.title = n.tooltip;
    if (n.size && n.kind !== 'push-button') wrap.style.minWidth = `${n.size[0]}px`;
    switch (n.kind) {
      case 'push-button': {
        const b = el('button', null, n.label);
        b.type = 'button';
        b.addEventListener('click', () => this.run(`press ${quote(n.id)}`));
        wrap.append(b);
        return this.track(n, wrap, (s) => { b.textContent = s.title; b.disabled = !s.enabled; });
      }
      case 'checkbox': {
        const label = el('label');
        const box = el('input');
        box.type = 'checkbox';
        const text = el('span', null, n.label);
        label.append(box, text);
        box.addEventListener('change', () => this.run(`set ${quote(n.id)} ${box.checked ? 1 : 0}`));
        wrap.append(label);
        return this.track(n, wrap, (s) => {
          text.textContent = s.title; box.disabled = !s.enabled; box.checked = s.value !== 0;
        });
      }
      case 'number': {
        const label = el('span', 'label', n.label || '');
        const input = el('input');
        input.type = 'number';
        input.step = 'any';
        const unit = el('span', 'unit', n.unit || '');
        input.addEventListener('change', () => {
          if (input.value !== '') this.run(`set ${quote(n.id)} ${input.value}`);
        });
        wrap.append(label, input, unit);
        return this.track(n, wrap, (s) => {
          label.textContent = s.title;
          input.readOnly = !s.editable;
          input.disabled = !s.enabled;
          if (document.activeElement !== input) input.value = s.integer ? String(Math.round(s.value)) : String(+s.value.toFixed(Math.max(s.decimals, 4)));
        });
      }
      case 'popup-menu': {
        const label = el('span', 'label', n.label || '');
        const select = el('select');
        select.addEventListener('change', () => this.run(`set ${quote(n.id)} ${select.selectedIndex}`));
        wrap.append(label, select);
        return this.track(n, wrap, (s) => {
          label.textContent = s.title;
          const items = s.items || [];
          if (select.options.length !== items.length || items.some((t, i) => select.options[i].text !== t)) {
            select.textContent = '';
            for (const t of items) select.append(el('option', null, t));
          }
          select.selectedIndex = items.length ? Math.round(s.value) : -1;
          select.disabled = !s.enabled;
        });
      }
      case 'static-text': {
        const t = el('span', 'text', n.label);
        wrap.append(t);
        return this.track(n, wrap, (s) => { t.textContent = s.title; });
      }
      default:
        wrap.classList.add('spacer');
        return this.track(n, wrap, () => {});
    }
  }

  // The host's state of every control, in layout order.
  update(states) {
    states.forEach((s, i) => {
      const c = this.controls[i];
      if (!c) return;
      c.update(s);
      c.element.hidden = !s.shown;
      c.element.classList.toggle('disabled', !s.enabled);
    });
  }
}

// One block: every register with its value and decoded fields, live, and
// edited in place where the server takes writes.
import { el, flash, get, hex, put } from './api.js';
import { watchNames } from './events.js';
import { isPinned, togglePin } from './watch.js';

let source = null;

function pinButton(name) {
  return el('button', { class: 'pin', type: 'button', title: `Pin ${name} to the watch panel`,
    onclick: (event) => { togglePin(name); event.target.textContent = isPinned(name) ? '★' : '☆'; } }, isPinned(name) ? '★' : '☆');
}

function editor(name, current, body, message, writable) {
  if (!writable) return el('span', { class: 'mono current' }, current);
  const input = el('input', { class: 'edit', value: current, 'aria-label': name, 'data-name': name });
  input.addEventListener('change', async () => {
    message.textContent = '';
    try {
      await put(`/registers/${encodeURIComponent(name.split('.').slice(0, 2).join('.'))}`, body(input.value.trim()));
    } catch (error) {
      message.textContent = error.message;
    }
  });
  return input;
}

function fieldItems(name, fields, writable, message) {
  return Object.entries(fields || {}).map(([field, value]) => {
    const fieldName = `${name}.${field}`;
    return el('li', { 'data-field': fieldName }, pinButton(fieldName), el('span', {}, field, ' ='),
      editor(fieldName, String(value), (v) => ({ fields: { [field]: v } }), message, writable));
  });
}

export async function showBlock(view, blockName, writable) {
  if (source) source.close();
  const [shown, registers] = await Promise.all([get(`/blocks/${encodeURIComponent(blockName)}`),
    get(`/registers?match=${encodeURIComponent(blockName + '.*')}`)]);
  const widths = Object.fromEntries(registers.map((r) => [r.name, r.width]));
  const readOnly = new Set(registers.filter((r) => r.access === 'ro').map((r) => r.name));
  const names = [];
  view.replaceChildren(el('h1', {}, blockName));
  for (const block of shown) {
    const instance = block.block;
    const table = el('table', { class: 'registers' }, el('tr', {}, el('th', {}, ''), el('th', {}, 'Register'),
      el('th', {}, 'Value'), el('th', {}, 'Fields')));
    for (const r of block.registers) {
      const name = `${instance}.${r.name}`;
      const bits = widths[name];
      const message = el('div', { class: 'error' });
      const value = r.value === undefined ? '(write-only)' : hex(r.value, bits);
      const editable = writable && !readOnly.has(name);
      const cell = el('td', { class: 'value' }, r.value === undefined ? value
        : editor(name, value, (v) => ({ value: v }), message, editable));
      const fields = el('ul', { class: 'fields' }, ...fieldItems(name, r.fields, editable, message));
      table.append(el('tr', { 'data-name': name }, el('td', {}, pinButton(name)), el('td', { class: 'mono' }, r.name),
        cell, el('td', {}, fields, message)));
      if (r.value !== undefined) names.push(name);
    }
    view.append(el('h2', {}, `${instance}: ${block.description} (${block.at})`), table);
  }
  source = watchNames(names, 500, (name, doc) => {
    const row = view.querySelector(`tr[data-name="${CSS.escape(name)}"]`);
    const item = doc && doc.values ? doc.values[0] : null;
    if (!row || !item) return;
    const shownValue = hex(item.value, widths[name]);
    const valueNode = row.querySelector('td.value input') || row.querySelector('td.value');
    const old = valueNode.value !== undefined ? valueNode.value : valueNode.textContent;
    if (old !== shownValue && document.activeElement !== valueNode) {
      if (valueNode.value !== undefined) valueNode.value = shownValue; else valueNode.textContent = shownValue;
      flash(row.querySelector('td.value'));
    }
    for (const [field, value] of Object.entries(item.fields || {})) {
      const node = row.querySelector(`li[data-field="${CSS.escape(name + '.' + field)}"] input, li[data-field="${CSS.escape(name + '.' + field)}"] span.current`);
      if (!node || document.activeElement === node) continue;
      const text = String(value);
      if ((node.value ?? node.textContent) === text) continue;
      if (node.value !== undefined) node.value = text; else node.textContent = text;
      flash(node.closest('li'));
    }
  });
}

export function leaveBlock() { if (source) { source.close(); source = null; } }

// The writes made through this server since it started.
import { el, get } from './api.js';

export async function showLog(view) {
  const writes = await get('/writes');
  view.replaceChildren(el('h1', {}, 'Writes'), writes.length === 0 ? el('p', { class: 'hint' }, 'No writes yet.')
    : el('table', {}, el('tr', {}, el('th', {}, 'Time'), el('th', {}, 'Client'), el('th', {}, 'Name'), el('th', {}, 'Old'), el('th', {}, 'New')),
      ...writes.map((w) => el('tr', {}, el('td', {}, w.time), el('td', {}, w.client), el('td', { class: 'mono' }, w.name),
        el('td', { class: 'mono' }, w.old), el('td', { class: 'mono' }, w.new)))));
}

// Snapshots: the board's to download; one uploaded, compared with the board.
import { el, post } from './api.js';

function change(d) {
  const fields = d.fields ? Object.entries(d.fields).map(([f, [a, b]]) => `${f} ${a} → ${b}`).join(', ') : '';
  const where = d.before_register ? `not the same register` : fields;
  return el('tr', {}, el('td', { class: 'mono' }, d.name), el('td', { class: 'mono' }, JSON.stringify(d.before)),
    el('td', { class: 'mono' }, JSON.stringify(d.after)), el('td', {}, where));
}

export function showSnapshot(view) {
  const result = el('div');
  const input = el('input', { type: 'file', accept: '.json,application/json', 'aria-label': 'A snapshot to compare' });
  input.addEventListener('change', async () => {
    const file = input.files[0];
    if (!file) return;
    result.replaceChildren(el('p', { class: 'hint' }, 'Comparing…'));
    try {
      const differences = await post('/diff', await file.text());
      result.replaceChildren(differences.length === 0 ? el('p', {}, 'No differences: the board is as the snapshot has it.')
        : el('table', {}, el('tr', {}, el('th', {}, 'Name'), el('th', {}, 'Snapshot'), el('th', {}, 'Board'), el('th', {}, 'Fields')),
          ...differences.map(change)));
    } catch (error) {
      result.replaceChildren(el('p', { class: 'error' }, error.message));
    }
  });
  view.replaceChildren(el('h1', {}, 'Snapshots'),
    el('p', {}, el('a', { href: '/api/v1/snapshot', download: 'snapshot.json' }, 'Download the board\'s snapshot')),
    el('p', {}, 'Compare a snapshot with the board: ', input), result);
}

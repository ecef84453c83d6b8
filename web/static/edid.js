// The monitors' EDIDs (bytes, checksums, identity) and the capture ports'
// frames, refreshed on demand or every few seconds.
import { el, get } from './api.js';

let timer = null;

function rows(hexText) {
  const lines = [];
  for (let at = 0; at < hexText.length; at += 32) lines.push(hexText.slice(at, at + 32).replace(/(..)(?!$)/g, '$1 '));
  return lines.join('\n');
}

async function monitor(port) {
  try {
    const edid = await get(`/edid/${port}`);
    const id = edid.identity;
    const facts = id ? [['Manufacturer', id.manufacturer], ['Product', id.product], ['Serial', id.serial_text || id.serial],
      ['Made', `${id.week ? 'week ' + id.week + ' of ' : ''}${id.year}`], ['Version', id.version], ['Name', id.name || '—'],
      ['Preferred', id.preferred ? `${id.preferred.width}x${id.preferred.height} at ${id.preferred.refresh_hz} Hz, ${id.preferred.pixel_clock_khz} kHz` : '—']] : [];
    return [el('p', {}, `${edid.length} bytes, ${edid.valid ? 'checksums good' : `bad checksum in block ${edid.bad_block}`}`),
      el('table', {}, ...facts.map(([k, v]) => el('tr', {}, el('th', {}, k), el('td', {}, v)))), el('pre', {}, rows(edid.bytes))];
  } catch (error) {
    return [el('p', { class: 'hint' }, `No monitor (${error.message})`)];
  }
}

function frame(port) {
  const image = el('img', { class: 'frame', alt: `The frame of zoom video port ${port}` });
  const reload = () => { image.src = `/api/v1/zv/${port}/frame.png?t=${Date.now()}`; };
  reload();
  return { image, reload };
}

export async function showEdid(view) {
  const snapshot = await get('/snapshot');
  view.replaceChildren(el('h1', {}, 'Monitors'));
  for (const e of snapshot.edid) view.append(el('h2', {}, `DDC port ${e.port}`), ...(await monitor(e.port)));
  const frames = snapshot.zv.map((z) => frame(z.port));
  const every = el('select', { 'aria-label': 'Refresh every' }, ...[0, 1, 2, 5, 10].map((s) => el('option', { value: s }, s ? `every ${s} s` : 'on demand')));
  every.addEventListener('change', () => {
    clearInterval(timer);
    if (Number(every.value)) timer = setInterval(() => frames.forEach((f) => f.reload()), Number(every.value) * 1000);
  });
  view.append(el('h1', {}, 'Frames'), el('p', {}, el('button', { type: 'button', onclick: () => frames.forEach((f) => f.reload()) }, 'Refresh'), ' ', every));
  snapshot.zv.forEach((z, i) => view.append(el('h2', {}, `Zoom video port ${z.port}`), frames[i].image));
}

export function leaveEdid() { clearInterval(timer); timer = null; }

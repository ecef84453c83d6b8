// The board at a glance: versions, PCI identity, the I2C channels, the zoom
// video ports and the monitors, each linked to its view.
import { el, get, hex } from './api.js';

function word(bytes, at) { return bytes[at] | (bytes[at + 1] << 8); }

async function monitorLine(port) {
  try {
    const edid = await get(`/edid/${port}`);
    const id = edid.identity;
    if (!id) return 'an EDID without a base block';
    const mode = id.preferred ? `${id.preferred.width}x${id.preferred.height} at ${id.preferred.refresh_hz} Hz` : 'no preferred mode';
    return `${id.name || id.manufacturer + ' ' + id.product}, ${mode}${edid.valid ? '' : ' (bad checksum)'}`;
  } catch (error) {
    return 'no monitor';
  }
}

export async function showBoard(view) {
  const [version, pci, channels, snapshot] = await Promise.all([get('/version'), get('/pci'), get('/i2c'), get('/snapshot')]);
  const h = pci.header;
  view.replaceChildren(el('h1', {}, 'Board'),
    el('table', {},
      el('tr', {}, el('th', {}, 'Driver'), el('td', { class: 'mono' }, version.driver)),
      el('tr', {}, el('th', {}, 'Tools'), el('td', { class: 'mono' }, version.tool)),
      el('tr', {}, el('th', {}, 'PCI'), el('td', { class: 'mono' },
        `vendor ${hex(word(h, 0), 16)} device ${hex(word(h, 2), 16)} class ${hex(h[11] << 16 | h[10] << 8 | h[9], 24)} revision ${hex(h[8], 8)}`))));

  view.append(el('h2', {}, el('a', { href: '/i2c' }, 'I2C channels')),
    el('table', {}, el('tr', {}, el('th', {}, 'Channel'), el('th', {}, 'State'), el('th', {}, 'Prescale')),
      ...channels.map((c) => el('tr', {}, el('td', {}, el('a', { href: `/i2c#${c.channel}` }, `i2c-${c.channel}`)),
        el('td', {}, c.enabled ? 'enabled' : 'disabled'), el('td', { class: 'mono' }, hex(c.prescale, 16))))));

  const ports = await Promise.all(snapshot.zv.map((z) => get(`/zv/${z.port}`)));
  view.append(el('h2', {}, 'Zoom video ports'),
    el('table', {}, el('tr', {}, el('th', {}, 'Port'), el('th', {}, 'State'), el('th', {}, 'Window'), el('th', {}, 'Camera')),
      ...ports.map((p) => el('tr', {}, el('td', {}, el('a', { href: `/block/ZV${p.port}` }, `ZV${p.port}`)), el('td', {}, p.state),
        el('td', {}, p.window ? `${p.window.width}x${p.window.height} at ${p.window.x},${p.window.y} on layer ${p.layer}` : 'no layer'),
        el('td', {}, `${p.camera.width}x${p.camera.height}`)))));

  const monitors = await Promise.all(snapshot.edid.map((e) => monitorLine(e.port)));
  view.append(el('h2', {}, el('a', { href: '/edid' }, 'Monitors')),
    el('table', {}, ...snapshot.edid.map((e, i) => el('tr', {}, el('th', {}, `DDC ${e.port}`), el('td', { class: 'monitor' }, monitors[i])))));
}

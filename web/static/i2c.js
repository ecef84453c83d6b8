// The I2C channels: each one's detect grid, and a device's registers (decoded
// where the maps know its type) on a click.
import { el, get, hex } from './api.js';

async function showDevice(area, channel, address) {
  area.replaceChildren(el('p', { class: 'hint' }, 'Reading…'));
  try {
    const found = await get(`/i2c/${channel}/${address.toString(16)}`);
    if (Array.isArray(found)) {
      const rows = found.flatMap((block) => [el('tr', {}, el('th', { colspan: 3 }, `${block.block}: ${block.description} (${block.at})`)),
        ...block.registers.map((r) => el('tr', {}, el('td', { class: 'mono' }, r.name),
          el('td', { class: 'mono' }, r.value === undefined ? '(write-only)' : hex(r.value, 8)),
          el('td', { class: 'mono' }, Object.entries(r.fields || {}).map(([f, v]) => `${f}=${v}`).join(' '))))]);
      area.replaceChildren(el('table', {}, ...rows));
    } else {
      const lines = [];
      for (let row = 0; row < found.registers.length; row += 16)
        lines.push(hex(row, 8) + ': ' + found.registers.slice(row, row + 16).map((b) => (b === null ? 'XX' : b.toString(16).padStart(2, '0'))).join(' '));
      area.replaceChildren(el('pre', {}, lines.join('\n')));
    }
  } catch (error) {
    area.replaceChildren(el('p', { class: 'error' }, error.message));
  }
}

export async function showI2c(view) {
  const channels = await get('/i2c');
  view.replaceChildren(el('h1', {}, 'I2C'));
  for (const c of channels) {
    const area = el('div', { class: 'device' });
    view.append(el('h2', { id: String(c.channel) }, `Channel ${c.channel} (${c.enabled ? 'enabled' : 'disabled'}, prescale ${hex(c.prescale, 16)})`));
    if (!c.enabled) continue;
    let present = [];
    try {
      present = (await get(`/i2c/${c.channel}/devices`)).addresses;
    } catch (error) {
      view.append(el('p', { class: 'error' }, error.message));
      continue;
    }
    const grid = el('table', { class: 'grid' }, el('tr', {}, el('th', {}, ''), ...[...Array(16).keys()].map((i) => el('th', {}, i.toString(16)))));
    for (let row = 0; row < 0x80; row += 16) {
      const cells = [...Array(16).keys()].map((i) => {
        const address = row + i;
        if (!present.includes(address)) return el('td', {}, '--');
        return el('td', { class: 'present', title: 'Show its registers', onclick: () => showDevice(area, c.channel, address) },
          address.toString(16).padStart(2, '0'));
      });
      grid.append(el('tr', {}, el('th', {}, row.toString(16).padStart(2, '0')), ...cells));
    }
    view.append(grid, area);
  }
}

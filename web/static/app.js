// The page: one view a path, the watch panel beside every view.
import { el, get } from './api.js';
import { leaveBlock, showBlock } from './block.js';
import { showBoard } from './board.js';
import { leaveEdid, showEdid } from './edid.js';
import { showI2c } from './i2c.js';
import { showLog } from './log.js';
import { showSnapshot } from './snapshot.js';
import { startWatchPanel } from './watch.js';

async function route(view, writable) {
  const path = decodeURIComponent(location.pathname);
  const block = path.match(/^\/block\/([A-Za-z0-9_]+)$/);
  if (block) return showBlock(view, block[1], writable);
  if (path === '/i2c') return showI2c(view);
  if (path === '/edid') return showEdid(view);
  if (path === '/snapshot') return showSnapshot(view);
  if (path === '/log') return showLog(view);
  return showBoard(view);
}

async function main() {
  const view = document.getElementById('view');
  let writable = false;
  try {
    writable = !(await get('/server')).read_only;
  } catch { writable = false; }
  document.getElementById('mode').textContent = writable ? '' : 'read-only';
  startWatchPanel();
  window.addEventListener('pagehide', () => { leaveBlock(); leaveEdid(); });
  try {
    await route(view, writable);
  } catch (error) {
    view.replaceChildren(el('p', { class: 'error' }, error.message));
  }
}

main();

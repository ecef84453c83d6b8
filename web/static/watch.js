// The watch panel: registers and fields pinned from any view, their values
// live, and a chart of their recent history.  The pins are kept in the
// browser, so that they stay across views and reloads.
import { el } from './api.js';
import { valueOf, watchNames } from './events.js';

const kKey = 'tkvweb.watched', kPoints = 600, kIntervalMs = 250;
let names = JSON.parse(localStorage.getItem('tkvweb.watched') || '[]');
let source = null, chart = null, paused = false, rows = [];

export function isPinned(name) { return names.includes(name); }

export function togglePin(name) {
  names = isPinned(name) ? names.filter((n) => n !== name) : [...names, name];
  localStorage.setItem(kKey, JSON.stringify(names));
  start();
}

function draw() {
  const area = document.getElementById('watch-chart');
  if (names.length === 0 || rows.length === 0 || typeof Dygraph === 'undefined') {
    area.replaceChildren();
    chart = null;
    return;
  }
  const labels = ['time', ...names];
  if (!chart || chart.getLabels().length !== labels.length)
    chart = new Dygraph(area, rows, { labels, legend: 'always', stepPlot: true, connectSeparatedPoints: true });
  else chart.updateOptions({ file: rows });
}

function start() {
  if (source) source.close();
  rows = [];
  const list = document.getElementById('watch-list');
  document.getElementById('watch-empty').hidden = names.length > 0;
  const latest = Object.fromEntries(names.map((n) => [n, null]));
  list.replaceChildren(...names.map((name) => el('li', { 'data-name': name }, el('span', { class: 'mono' }, name), ' ',
    el('span', { class: 'value mono' }, '…'), ' ', el('button', { class: 'pin', type: 'button', title: 'Unpin', onclick: () => togglePin(name) }, '✕'))));
  source = watchNames(names, kIntervalMs, (name, document, time) => {
    const value = valueOf(document);
    latest[name] = value === null ? null : Number(value);
    const item = list.querySelector(`li[data-name="${CSS.escape(name)}"] .value`);
    if (item) item.textContent = value === null ? 'unreadable' : '0x' + Number(value).toString(16);
    if (paused) return;
    rows.push([time, ...names.map((n) => latest[n])]);
    if (rows.length > kPoints) rows.shift();
    draw();
  });
  draw();
}

export function startWatchPanel() {
  const pause = document.getElementById('watch-pause');
  pause.addEventListener('click', () => {
    paused = !paused;
    pause.textContent = paused ? 'Resume' : 'Pause';
  });
  start();
}

// zuv web's page: plots the last 30 s from the event stream, shows the status,
// and sends the change requests (POST with X-Zuv-Request, and the token when
// the server has one).
'use strict';

const WINDOW_S = 30;
const DEG = 180 / Math.PI;
const token = document.querySelector('meta[name="zuv-token"]').content;
const query = token ? '?token=' + encodeURIComponent(token) : '';
const dashboard = { state: null, lastStatus: null, samples: 0, origin: null };
window.zuvDashboard = dashboard;  // read by the browser tests

function headers(extra) {
  const h = Object.assign({ 'X-Zuv-Request': '1' }, extra || {});
  if (token) h['X-Zuv-Token'] = token;
  return h;
}

function say(text, bad) {
  const m = document.getElementById('message');
  m.textContent = text;
  m.className = bad ? 'bad' : 'muted';
}

async function replyText(res) {
  const text = await res.text();
  try { const j = JSON.parse(text); return j.error || j.message || text; } catch (e) { return text; }
}

const COLORS = ['#dc2626', '#16a34a', '#2563eb', '#9333ea'];

function lineChart(id, names) {
  return new Chart(document.getElementById(id), {
    type: 'line',
    data: { datasets: names.map((n, i) => ({ label: n, data: [], borderColor: COLORS[i], borderWidth: 1.5, pointRadius: 0 })) },
    options: {
      animation: false, parsing: false, normalized: true, maintainAspectRatio: false,
      scales: { x: { type: 'linear', title: { display: true, text: 's' } } },
      plugins: { legend: { labels: { boxWidth: 10 } } },
    },
  });
}

const charts = {
  accel: lineChart('accel', ['x', 'y', 'z']),
  gyro: lineChart('gyro', ['x', 'y', 'z']),
  attitude: lineChart('attitude', ['roll', 'pitch', 'yaw']),
  velocity: lineChart('velocity', ['N', 'E', 'D', 'GNSS N']),
  track: new Chart(document.getElementById('track'), {
    type: 'scatter',
    data: { datasets: [
      { label: 'navigation', data: [], borderColor: COLORS[2], backgroundColor: COLORS[2], pointRadius: 1.5, showLine: true, borderWidth: 1 },
      { label: 'GNSS1', data: [], borderColor: COLORS[0], backgroundColor: COLORS[0], pointRadius: 2.5 },
    ] },
    options: { animation: false, parsing: false, maintainAspectRatio: false, plugins: { legend: { labels: { boxWidth: 10 } } } },
  }),
};

function push(chart, index, x, y) {
  const data = chart.data.datasets[index].data;
  data.push({ x: x, y: y });
}

function trim(chart, now) {
  for (const ds of chart.data.datasets) {
    let drop = 0;
    while (drop < ds.data.length && ds.data[drop].x < now - WINDOW_S) drop++;
    if (drop) ds.data.splice(0, drop);
  }
}

function trimTrack(now) {
  for (const ds of charts.track.data.datasets) {
    let drop = 0;
    while (drop < ds.data.length && ds.data[drop].t < now - WINDOW_S) drop++;
    if (drop) ds.data.splice(0, drop);
  }
}

// Metres east and north of the first position seen.
function local(lat, lon) {
  if (!dashboard.origin) dashboard.origin = { lat: lat, lon: lon };
  const r = 6378137;
  return {
    x: (lon - dashboard.origin.lon) / DEG * r * Math.cos(dashboard.origin.lat / DEG),
    y: (lat - dashboard.origin.lat) / DEG * r,
  };
}

let dirty = false;
function onSamples(msg) {
  const o = msg.o;
  if (o.oImu) {
    const [t, v] = o.oImu;
    for (let i = 0; i < 3; i++) { push(charts.accel, i, t, v[i]); push(charts.gyro, i, t, v[3 + i]); }
  }
  if (o.oEkfEuler) {
    const [t, v] = o.oEkfEuler;
    for (let i = 0; i < 3; i++) push(charts.attitude, i, t, v[i] * DEG);
  }
  if (o.oEkfNav) {
    const [t, v] = o.oEkfNav;
    for (let i = 0; i < 3; i++) push(charts.velocity, i, t, v[i]);
    const p = local(v[6], v[7]);
    charts.track.data.datasets[0].data.push({ x: p.x, y: p.y, t: t });
  }
  if (o.oGps1Vel) { const [t, v] = o.oGps1Vel; push(charts.velocity, 3, t, v[0]); }
  if (o.oGps1Pos) {
    const [t, v] = o.oGps1Pos;
    const p = local(v[0], v[1]);
    charts.track.data.datasets[1].data.push({ x: p.x, y: p.y, t: t });
  }
  dashboard.samples++;
  dashboard.now = msg.t;
  dirty = true;
}

function redraw() {
  if (dirty && dashboard.now !== undefined) {
    for (const name of ['accel', 'gyro', 'attitude', 'velocity']) {
      const c = charts[name];
      trim(c, dashboard.now);
      c.options.scales.x.min = dashboard.now - WINDOW_S;
      c.options.scales.x.max = dashboard.now;
      c.update('none');
    }
    trimTrack(dashboard.now);
    charts.track.update('none');
    dirty = false;
  }
  requestAnimationFrame(redraw);
}
requestAnimationFrame(redraw);

function flags(id, list) {
  const box = document.getElementById(id);
  box.replaceChildren();
  for (const f of list || []) {
    const span = document.createElement('span');
    span.className = 'flag' + (f.on ? ' on' : '');
    span.textContent = f.name;
    box.appendChild(span);
  }
}

const LINK_NAMES = [['bytes', 'bytes received'], ['frames', 'frames published'], ['crcDrops', 'CRC drops'],
  ['discarded', 'bytes discarded'], ['classDrops', 'class drops'], ['readErrors', 'read errors'],
  ['linkLosses', 'link losses'], ['reconnections', 'reconnections'], ['kernelDrops', 'kernel drops']];

function onStatus(s) {
  dashboard.lastStatus = s;
  dashboard.statusAt = Date.now();
  showHealth();
  document.getElementById('mode').textContent = s.solution ? s.solution.mode + ' · ' + s.solution.modeName : '–';
  flags('solutionFlags', s.solution && s.solution.flags);
  flags('aidingFlags', s.aiding);
  document.getElementById('fix').textContent = s.gnss ? (s.gnss.fix ? 'yes (type ' + s.gnss.type + ')' : 'no (status ' + s.gnss.solution + ')') : '–';
  document.getElementById('satellites').textContent = s.gnss ? s.gnss.satellites : '–';
  flags('gnssFlags', s.gnss && s.gnss.flags);
  const table = document.getElementById('linkCounts');
  table.replaceChildren();
  for (const [key, label] of LINK_NAMES) {
    const row = table.insertRow();
    row.insertCell().textContent = label;
    const cell = row.insertCell();
    cell.textContent = s.link ? s.link[key] : '–';
    if (s.link && key !== 'bytes' && key !== 'frames' && s.link[key] > 0) cell.className = 'bad';
  }
  for (const row of document.querySelectorAll('#rates tbody tr')) {
    const p = row.dataset.property;
    row.cells[1].textContent = (s.configured && s.configured[p]) || '–';
    const a = s.arrived && s.arrived[p];
    row.cells[2].textContent = a === undefined ? '…' : a.toFixed(1);
    row.cells[3].textContent = (s.device && s.device[p]) || '';
  }
}

// Stale: the server says no frame came lately, or no status came from it.
function showHealth() {
  const s = dashboard.lastStatus;
  const quiet = !dashboard.statusAt || Date.now() - dashboard.statusAt > 3000;
  const stale = quiet || !s || s.stale;
  const badge = document.getElementById('health');
  badge.className = 'badge ' + (stale ? 'stale' : 'live');
  badge.textContent = quiet ? 'NO CONNECTION' : s.restarting ? 'RESTARTING' : stale ? 'STALE' : 'LIVE';
  document.body.classList.toggle('stale', stale);
  document.getElementById('since').textContent = !s || s.sinceLastFrame === null ? 'no frame yet'
    : 'last frame ' + s.sinceLastFrame.toFixed(1) + ' s ago';
}
setInterval(showHealth, 500);

function buildRates(state) {
  const body = document.querySelector('#rates tbody');
  body.replaceChildren();
  for (const k of state.kinds) {
    const row = body.insertRow();
    row.dataset.property = k.property;
    row.insertCell().textContent = k.log;
    row.insertCell().textContent = k.rate;
    row.insertCell().textContent = '…';
    const dev = row.insertCell();
    dev.className = 'devcol';
    const select = document.createElement('select');
    select.name = k.property;
    for (const c of state.choices) {
      const opt = document.createElement('option');
      opt.value = opt.textContent = c;
      if (c === k.rate) opt.selected = true;
      select.appendChild(opt);
    }
    row.insertCell().appendChild(select);
  }
}

async function loadState() {
  const res = await fetch('/api/state' + query, { headers: token ? { 'X-Zuv-Token': token } : {} });
  if (!res.ok) { say('cannot read the state: ' + await replyText(res), true); return; }
  const state = await res.json();
  dashboard.state = state;
  document.getElementById('link').textContent = state.link;
  document.body.classList.toggle('simulator', state.simulator);
  buildRates(state);
}

async function post(path, body, contentType) {
  const init = { method: 'POST', headers: headers(contentType ? { 'Content-Type': contentType } : {}) };
  if (body !== undefined) init.body = body;
  return fetch(path, init);
}

function busy(on) {
  for (const b of document.querySelectorAll('button, input, select')) b.disabled = on;
}

document.getElementById('apply').addEventListener('click', async () => {
  const rates = {};
  for (const select of document.querySelectorAll('#rates select')) {
    const row = select.closest('tr');
    if (select.value !== row.cells[1].textContent) rates[select.name] = select.value;
  }
  if (!Object.keys(rates).length) { say('no rate changed'); return; }
  busy(true); say('applying…');
  try {
    const res = await post('/api/rates', JSON.stringify({ rates: rates }), 'application/json');
    say(await replyText(res), !res.ok);
    await loadState();
  } finally { busy(false); }
});

document.getElementById('save').addEventListener('click', async () => {
  busy(true); say('saving; the device confirms once it sends logs again…');
  try {
    const res = await post('/api/save');
    say(await replyText(res), !res.ok);
  } finally { busy(false); }
});

document.getElementById('download').addEventListener('click', async () => {
  busy(true); say('reading the settings…');
  try {
    const res = await post('/api/config/export');
    if (!res.ok) { say(await replyText(res), true); return; }
    const blob = await res.blob();
    dashboard.downloaded = new Uint8Array(await blob.arrayBuffer());
    const a = document.createElement('a');
    a.href = URL.createObjectURL(blob);
    a.download = 'zuv-settings.bin';
    document.body.appendChild(a);
    a.click();
    a.remove();
    say('downloaded ' + blob.size + ' bytes of settings');
  } finally { busy(false); }
});

document.getElementById('upload').addEventListener('change', async (event) => {
  const file = event.target.files[0];
  if (!file) return;
  if (file.size > 100000) { say(file.name + ' holds ' + file.size + ' bytes; a settings image is at most 100000', true); return; }
  busy(true); say('sending ' + file.name + '…');
  try {
    const res = await post('/api/config/import', file, 'application/octet-stream');
    say(await replyText(res), !res.ok);
  } finally { busy(false); event.target.value = ''; }
});

loadState();
const events = new EventSource('/api/events' + query);
events.addEventListener('samples', (e) => onSamples(JSON.parse(e.data)));
events.addEventListener('status', (e) => onStatus(JSON.parse(e.data)));

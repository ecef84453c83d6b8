// The server's API, with the session's cookie; a refusal throws the
// server's own message.
async function call(method, path, body) {
  const options = { method, credentials: 'same-origin', headers: {} };
  if (body !== undefined) {
    options.headers['Content-Type'] = 'application/json';
    options.body = typeof body === 'string' ? body : JSON.stringify(body);
  }
  const response = await fetch('/api/v1' + path, options);
  const text = await response.text();
  let document = null;
  try { document = text ? JSON.parse(text) : null; } catch { document = null; }
  if (!response.ok) throw new Error(document && document.error ? document.error : `${response.status} ${response.statusText}`);
  return document;
}

export const get = (path) => call('GET', path);
export const put = (path, body) => call('PUT', path, body);
export const post = (path, body) => call('POST', path, body);

// A register's value as tkvtool prints it: hex, as many digits as its width.
export function hex(value, bits) {
  const digits = Math.max(2, Math.ceil((bits || 8) / 4));
  return '0x' + BigInt(value).toString(16).padStart(digits, '0');
}

// A new element: el('td', {class: 'value'}, 'text', child...).
export function el(tag, attributes = {}, ...children) {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(attributes)) {
    if (key.startsWith('on')) node.addEventListener(key.slice(2), value);
    else node.setAttribute(key, value);
  }
  for (const child of children) node.append(child instanceof Node ? child : String(child));
  return node;
}

export function flash(node) {
  node.classList.remove('flash');
  void node.offsetWidth;  // restarts the animation
  node.classList.add('flash');
}

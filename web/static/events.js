// Live values: one stream of server-sent events per set of names.  Each
// event carries documents by name; `onDocument(name, document, time)` is
// called for the first values and for every change.
export function watchNames(names, intervalMs, onDocument) {
  if (names.length === 0) return { close() {} };
  const query = `names=${names.map(encodeURIComponent).join(',')}&interval=${intervalMs}`;
  const source = new EventSource(`/api/v1/events?${query}`, { withCredentials: true });
  source.onmessage = (event) => {
    const data = JSON.parse(event.data);
    const time = data.time ? new Date(data.time) : new Date();
    const documents = data.documents || (data.name ? { [data.name]: data.document } : {});
    for (const [name, document] of Object.entries(documents)) onDocument(name, document, time);
  };
  return source;
}

// The value in a name's document (as tkvtool read NAME --json has it): the
// register's, or the field's for a field's name.
export function valueOf(document) {
  const item = document && document.values ? document.values[0] : null;
  return item ? item.value : null;
}

// The server's API (cli/serve_http.h): one line of the session language per
// action, the session's state, and meshes as binary arrays.

async function json(response) {
  const body = await response.json().catch(() => ({ error: `HTTP ${response.status}` }));
  if (!response.ok && !('ok' in body)) body.ok = false;
  return body;
}

export async function getJSON(path) {
  return json(await fetch(path, { cache: 'no-store' }));
}

export async function post(path, body) {
  return json(await fetch(path, {
    method: 'POST',
    headers: { 'Content-Type': 'application/json' },
    body: JSON.stringify(body),
  }));
}

// Runs one line: {ok, error, output, question, file_request, dialog, state}.
export function runLine(line) {
  return post('/api/run', { line });
}

// A mesh for a page that has revision `have` (-1: none). Returns
// {form: 'whole'|'moved'|'unchanged', revision, positions, faceSizes,
// corners, edges} or, for 'moved', {indices, positions}.
export async function getMesh(id, have) {
  const response = await fetch(`/api/mesh?id=${id}&have=${have}`, { cache: 'no-store' });
  if (!response.ok) throw new Error(`mesh ${id}: HTTP ${response.status}`);
  const buffer = await response.arrayBuffer();
  const head = new Int32Array(buffer, 0, 8);
  const magic = new TextDecoder().decode(new Uint8Array(buffer, 0, 4));
  if (magic !== 'TWMS') throw new Error(`mesh ${id}: not a mesh answer`);
  const [, form, revision, v, f, c, e, k] = head;
  let at = 32;
  const take = (Type, n) => {
    const a = new Type(buffer, at, n);
    at += n * 4;
    return a;
  };
  if (form === 2) return { form: 'unchanged', revision };
  if (form === 1) {
    const indices = take(Int32Array, k);
    return { form: 'moved', revision, indices, positions: take(Float32Array, 3 * k) };
  }
  return {
    form: 'whole', revision, vertexCount: v,
    positions: take(Float32Array, 3 * v),
    faceSizes: take(Int32Array, f),
    corners: take(Int32Array, c),
    edges: take(Int32Array, 2 * e),
  };
}

// Asymmetry before pairing: each vertex's distance to the nearest mirror of
// a vertex on the other side of the symmetry plane, found through a hash
// grid of the mirrored vertices. Vertices within the on-plane margin count
// on both sides.
import { THREE } from './view.js';

// Distances (Float32Array, Infinity where no mirror lies within `reach`)
// of every vertex of `positions` (x, y, z flat) for plane axis `axis`.
export function mirrorDistances(positions, axis, onPlane, reach) {
  const n = positions.length / 3;
  const cell = Math.max(reach, 1e-9);
  const grid = new Map();
  // Cells share a key now and then; that only adds candidates.
  const key = (x, y, z) => (Math.imul(x, 73856093) ^ Math.imul(y, 19349663) ^ Math.imul(z, 83492791)) | 0;
  const side = (v) => {
    const c = positions[3 * v + axis];
    return Math.abs(c) <= onPlane ? 0 : c > 0 ? 1 : -1;
  };
  for (let v = 0; v < n; ++v) {
    const m = [positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]];
    m[axis] = -m[axis];
    const k = key(Math.floor(m[0] / cell), Math.floor(m[1] / cell), Math.floor(m[2] / cell));
    let list = grid.get(k);
    if (!list) grid.set(k, (list = []));
    list.push(v);
  }
  const out = new Float32Array(n).fill(Infinity);
  for (let v = 0; v < n; ++v) {
    const s = side(v);
    const x = positions[3 * v], y = positions[3 * v + 1], z = positions[3 * v + 2];
    const cx = Math.floor(x / cell), cy = Math.floor(y / cell), cz = Math.floor(z / cell);
    let best = Infinity;
    for (let i = -1; i <= 1; ++i)
      for (let j = -1; j <= 1; ++j)
        for (let k = -1; k <= 1; ++k) {
          const list = grid.get(key(cx + i, cy + j, cz + k));
          if (!list) continue;
          for (const u of list) {
            const t = side(u);
            // The mirror of a vertex of the other side (or of the plane).
            if (s !== 0 && t === s) continue;
            if (s === 0 && t !== 0 && u !== v) continue;
            const m = [positions[3 * u], positions[3 * u + 1], positions[3 * u + 2]];
            m[axis] = -m[axis];
            const d = Math.hypot(m[0] - x, m[1] - y, m[2] - z);
            if (d < best) best = d;
          }
        }
    out[v] = best <= reach ? best : Infinity;
  }
  return out;
}

// The colour of a distance in units of the symmetry margin: green at 0,
// yellow at the margin, red at twice the margin and beyond.
export function distanceColour(d, margin) {
  const t = Math.min(d / (2 * Math.max(margin, 1e-9)), 1);
  return new THREE.Color().setHSL((1 - t) * 0.33, 0.85, 0.5);
}

export function legendHTML(margin, unit) {
  const stops = [0, 0.5, 1, 1.5, 2];
  const bar = stops.map((s) => `#${distanceColour(s * margin, margin).getHexString()}`).join(',');
  const label = (f) => `${+(f * margin).toPrecision(3)}${unit ? ` ${unit}` : ''}`;
  return `<div class="legend-title">Distance to the nearest mirror</div>
    <div class="legend-bar" style="background:linear-gradient(to right,${bar})"></div>
    <div class="legend-scale"><span>0</span><span>${label(1)} (margin)</span><span>≥ ${label(2)}</span></div>`;
}

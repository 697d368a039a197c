// The 3D view: shaded meshes with their wireframe, line shapes, the
// symmetry plane, selected and marked elements; orbit, pan, zoom and
// frame-all; picking of vertices, edges and faces.
import * as THREE from 'three';
import { OrbitControls } from 'three/addons/controls/OrbitControls.js';

const BASE = new THREE.Color(0xb8c0cc);
const SELECTED = 0xff3030;
const MARKED = 0xffa000;

// One mesh shape as drawn: the position attribute is shared by the
// shaded surface, the wireframe and the element overlays.
class MeshView {
  constructor(view, id) {
    this.view = view;
    this.id = id;
    this.revision = -1;
    this.group = new THREE.Group();
    this.group.matrixAutoUpdate = false;
    view.scene.add(this.group);
  }

  // The whole mesh from the server.
  setWhole(m) {
    this.dispose(false);
    this.revision = m.revision;
    this.faceSizes = m.faceSizes;
    this.corners = m.corners;
    this.faceStart = new Int32Array(m.faceSizes.length);
    let triangles = 0;
    for (let f = 0, at = 0; f < m.faceSizes.length; ++f) {
      this.faceStart[f] = at;
      at += m.faceSizes[f];
      if (m.faceSizes[f] >= 3) triangles += m.faceSizes[f] - 2;
    }
    // Faces as fans of triangles; triangleFace maps each back to its face.
    const index = new Uint32Array(triangles * 3);
    this.triangleFace = new Int32Array(triangles);
    for (let f = 0, t = 0; f < m.faceSizes.length; ++f) {
      const s = this.faceStart[f];
      for (let k = 1; k + 1 < m.faceSizes[f]; ++k, ++t) {
        index[3 * t] = m.corners[s];
        index[3 * t + 1] = m.corners[s + k];
        index[3 * t + 2] = m.corners[s + k + 1];
        this.triangleFace[t] = f;
      }
    }
    this.positions = new THREE.BufferAttribute(new Float32Array(m.positions), 3);
    this.colors = new THREE.BufferAttribute(new Float32Array(m.vertexCount * 3), 3);
    this.surface = new THREE.BufferGeometry();
    this.surface.setAttribute('position', this.positions);
    this.surface.setAttribute('color', this.colors);
    this.surface.setIndex(new THREE.BufferAttribute(index, 1));
    this.surface.computeBoundingSphere();
    this.surface.computeBoundingBox();
    this.shaded = new THREE.Mesh(this.surface, new THREE.MeshStandardMaterial({
      vertexColors: true, flatShading: true, side: THREE.DoubleSide,
      polygonOffset: true, polygonOffsetFactor: 1, polygonOffsetUnits: 1, roughness: 0.8,
    }));
    this.group.add(this.shaded);
    // The wireframe: the mesh's edges (the answer's own array, as the
    // unsigned index the graphics card takes), or the faces' sides
    // without them.
    let lines = new Uint32Array(m.edges.buffer, m.edges.byteOffset, m.edges.length);
    if (!lines.length) {
      const out = [];
      for (let f = 0; f < m.faceSizes.length; ++f) {
        const s = this.faceStart[f], n = m.faceSizes[f];
        for (let k = 0; k < n; ++k) out.push(m.corners[s + k], m.corners[s + (k + 1) % n]);
      }
      lines = new Uint32Array(out);
    }
    this.edgeList = m.edges;
    this.wireEnds = lines;  // vertex pairs of the wireframe
    const wire = new THREE.BufferGeometry();
    wire.setAttribute('position', this.positions);
    wire.setIndex(new THREE.BufferAttribute(lines, 1));
    this.wire = new THREE.LineSegments(wire, new THREE.LineBasicMaterial({ color: 0x303844 }));
    this.group.add(this.wire);
    this.makeOverlays();
    this.paint();
  }

  // Only the moved vertices.
  setMoved(m) {
    this.revision = m.revision;
    const p = this.positions.array;
    // A few moved vertices are sent to the graphics card by themselves.
    const ranges = m.indices.length <= 4096;
    for (let k = 0; k < m.indices.length; ++k) {
      const v = m.indices[k];
      p[3 * v] = m.positions[3 * k];
      p[3 * v + 1] = m.positions[3 * k + 1];
      p[3 * v + 2] = m.positions[3 * k + 2];
      if (ranges) this.positions.addUpdateRange(3 * v, 3);
    }
    this.positions.needsUpdate = true;
    this.surface.computeBoundingSphere();
    this.surface.computeBoundingBox();
    this.drawOverlays();
    this.paint();
  }

  setShape(shape) {
    this.shape = shape;
    this.group.matrix.fromArray(shape.world);
    this.group.matrixWorldNeedsUpdate = true;
    this.drawOverlays();
  }

  vertexCount() { return this.positions ? this.positions.count : 0; }

  // Vertex colours: the asymmetry colours when given, else plain.
  paint() {
    if (!this.colors) return;
    const c = this.colors.array, n = this.vertexCount();
    const given = this.view.colouring && this.view.colouring(this);
    // The plain colour once is enough; the asymmetry colours follow the
    // positions.
    if (!given && this.plain === this.colors) return;
    this.plain = given ? null : this.colors;
    for (let v = 0; v < n; ++v) {
      const col = given ? given[v] : BASE;
      c[3 * v] = col.r; c[3 * v + 1] = col.g; c[3 * v + 2] = col.b;
    }
    this.colors.needsUpdate = true;
  }

  // The overlays of selected and marked elements, made once per whole
  // mesh: they share the position attribute, and disposing a geometry
  // would free that attribute's buffer for every user, so later changes
  // only give them new index lists.
  makeOverlays() {
    const geometry = () => {
      const g = new THREE.BufferGeometry();
      g.setAttribute('position', this.positions);
      g.setIndex([]);
      return g;
    };
    const points = (color, size, depthTest) =>
      new THREE.Points(geometry(), new THREE.PointsMaterial({ color, size, sizeAttenuation: false, depthTest }));
    const lines = (color) => new THREE.LineSegments(geometry(), new THREE.LineBasicMaterial({ color, depthTest: false }));
    const faces = (color) => new THREE.Mesh(geometry(), new THREE.MeshBasicMaterial({
      color, transparent: true, opacity: 0.55, side: THREE.DoubleSide, depthTest: false,
    }));
    this.overlay = {
      all: points(0x1a2030, 3, true),
      selectedFaces: faces(SELECTED), markedFaces: faces(MARKED),
      selectedEdges: lines(SELECTED), markedEdges: lines(MARKED),
      selectedVertices: points(SELECTED, 9, false), markedVertices: points(MARKED, 11, false),
    };
    for (const o of Object.values(this.overlay)) { o.renderOrder = 2; o.visible = false; this.group.add(o); }
  }

  drawOverlays() {
    if (!this.positions || !this.shape || !this.overlay) return;
    const sel = this.shape.selected, marks = this.shape.marks;
    const show = (o, index) => {
      o.visible = index.length > 0;
      if (o.visible || o.geometry.index.count) o.geometry.setIndex(index);
    };
    const edges = (list) => {
      const out = [];
      for (const e of list) out.push(this.edgeList[2 * e], this.edgeList[2 * e + 1]);
      return out;
    };
    const faces = (list) => {
      const out = [];
      for (const f of list) {
        const s = this.faceStart[f];
        for (let k = 1; k + 1 < this.faceSizes[f]; ++k) out.push(this.corners[s], this.corners[s + k], this.corners[s + k + 1]);
      }
      return out;
    };
    const o = this.overlay;
    o.all.visible = Boolean(this.view.modify);
    o.all.geometry.setDrawRange(0, this.vertexCount());
    o.all.geometry.setIndex(null);
    show(o.selectedFaces, faces(sel.faces));
    show(o.markedFaces, faces(marks.faces));
    show(o.selectedEdges, edges(sel.edges));
    show(o.markedEdges, edges(marks.edges));
    show(o.selectedVertices, sel.vertices);
    show(o.markedVertices, marks.vertices);
  }

  dispose(all = true) {
    for (const o of [...this.group.children]) {
      this.group.remove(o);
      o.geometry && o.geometry.dispose();
      o.material && o.material.dispose();
    }
    if (all) this.view.scene.remove(this.group);
  }

  world(v) {
    const p = this.positions.array;
    return new THREE.Vector3(p[3 * v], p[3 * v + 1], p[3 * v + 2]).applyMatrix4(this.group.matrixWorld);
  }
}

// Whether WebGL draws on the processor (no graphics card, or one the
// browser does not use): multisampling there costs about as much as
// drawing the mesh three more times.
function softwareRenderer() {
  const gl = document.createElement('canvas').getContext('webgl2');
  if (!gl) return false;
  const info = gl.getExtension('WEBGL_debug_renderer_info');
  const name = info ? String(gl.getParameter(info.UNMASKED_RENDERER_WEBGL)) : '';
  const lose = gl.getExtension('WEBGL_lose_context');
  if (lose) lose.loseContext();
  return /swiftshader|llvmpipe|softpipe|software/i.test(name);
}

export class View {
  constructor(canvas) {
    this.canvas = canvas;
    this.software = softwareRenderer();
    this.renderer = new THREE.WebGLRenderer({ canvas, antialias: !this.software, preserveDrawingBuffer: true });
    this.drawn = [];  // resolvers waiting for the next frame drawn
    this.renderer.setPixelRatio(window.devicePixelRatio || 1);
    this.scene = new THREE.Scene();
    this.scene.background = new THREE.Color(0xe9edf2);
    this.camera = new THREE.PerspectiveCamera(40, 1, 0.01, 1e6);
    this.camera.position.set(3, 2, 5);
    this.scene.add(new THREE.HemisphereLight(0xffffff, 0x667080, 1.6));
    const sun = new THREE.DirectionalLight(0xffffff, 1.4);
    this.camera.add(sun);
    sun.position.set(1, 1, 2);
    this.scene.add(this.camera);
    this.controls = new OrbitControls(this.camera, canvas);
    this.controls.addEventListener('change', () => this.render());
    this.meshes = new Map();
    this.lines = new Map();
    this.plane = null;
    this.raycaster = new THREE.Raycaster();
    new ResizeObserver(() => this.resize()).observe(canvas);
    this.resize();
  }

  resize() {
    const w = this.canvas.clientWidth || 1, h = this.canvas.clientHeight || 1;
    this.renderer.setSize(w, h, false);
    this.camera.aspect = w / h;
    this.camera.updateProjectionMatrix();
    this.render();
  }

  render() {
    if (this.pending) return;
    this.pending = true;
    requestAnimationFrame(() => {
      this.pending = false;
      this.renderer.render(this.scene, this.camera);
      const waiting = this.drawn;
      this.drawn = [];
      for (const resolve of waiting) resolve();
    });
  }

  // Resolves once the next frame has been drawn (its commands handed to
  // the graphics process).
  nextFrame() {
    return new Promise((resolve) => {
      this.drawn.push(resolve);
      this.render();
    });
  }

  // Follows the server's shapes; answers the meshes whose revision the
  // view does not have.
  setShapes(shapes, modify) {
    this.modify = modify;
    const live = new Set();
    const stale = [];
    for (const s of shapes) {
      live.add(s.id);
      if (s.kind === 'mesh') {
        let m = this.meshes.get(s.id);
        if (!m) this.meshes.set(s.id, (m = new MeshView(this, s.id)));
        m.setShape(s);
        if (m.revision !== s.revision) stale.push(m);
      } else if (s.kind === 'line') {
        this.setLine(s);
      }
    }
    for (const [id, m] of this.meshes) if (!live.has(id)) { m.dispose(); this.meshes.delete(id); }
    for (const [id, l] of this.lines) if (!live.has(id)) { this.scene.remove(l); l.geometry.dispose(); this.lines.delete(id); }
    this.render();
    return stale;
  }

  setLine(s) {
    const old = this.lines.get(s.id);
    if (old) { this.scene.remove(old); old.geometry.dispose(); }
    const g = new THREE.BufferGeometry();
    const pts = s.closed && s.points.length >= 6 ? [...s.points, s.points[0], s.points[1], s.points[2]] : s.points;
    g.setAttribute('position', new THREE.Float32BufferAttribute(pts, 3));
    const line = new THREE.Line(g, new THREE.LineBasicMaterial({ color: 0x0050d0 }));
    line.matrixAutoUpdate = false;
    line.matrix.fromArray(s.world);
    this.lines.set(s.id, line);
    this.scene.add(line);
  }

  // The symmetry plane (0: YZ, 1: ZX, 2: XY) through the origin, sized to
  // the scene.
  setPlane(axis) {
    // One material for every plane: disposing it would free its compiled
    // shaders, which the next plane would have to compile again.
    if (!this.planeMaterial) {
      this.planeMaterial = new THREE.MeshBasicMaterial({
        color: 0x3070ff, transparent: true, opacity: 0.12, side: THREE.DoubleSide, depthWrite: false,
      });
    }
    if (this.plane) { this.scene.remove(this.plane); this.plane.geometry.dispose(); }
    const box = this.bounds();
    const size = box.isEmpty() ? 2 : box.getSize(new THREE.Vector3()).length() * 0.8;
    const g = new THREE.PlaneGeometry(size, size);
    this.plane = new THREE.Mesh(g, this.planeMaterial);
    const c = box.isEmpty() ? new THREE.Vector3() : box.getCenter(new THREE.Vector3());
    if (axis === 0) { this.plane.rotation.y = Math.PI / 2; this.plane.position.set(0, c.y, c.z); }
    if (axis === 1) { this.plane.rotation.x = Math.PI / 2; this.plane.position.set(c.x, 0, c.z); }
    if (axis === 2) this.plane.position.set(c.x, c.y, 0);
    this.scene.add(this.plane);
    this.render();
  }

  bounds() {
    const box = new THREE.Box3();
    for (const m of this.meshes.values()) if (m.shaded) box.expandByObject(m.shaded);
    for (const l of this.lines.values()) box.expandByObject(l);
    return box;
  }

  frameAll() {
    const box = this.bounds();
    if (box.isEmpty()) return;
    const centre = box.getCenter(new THREE.Vector3());
    const radius = Math.max(box.getSize(new THREE.Vector3()).length() / 2, 1e-3);
    const dir = this.camera.position.clone().sub(this.controls.target).normalize();
    if (!isFinite(dir.x) || dir.lengthSq() === 0) dir.set(0.4, 0.3, 1).normalize();
    const distance = radius / Math.sin((this.camera.fov * Math.PI) / 360);
    this.controls.target.copy(centre);
    this.camera.position.copy(centre).addScaledVector(dir, distance);
    this.camera.near = distance / 1000;
    this.camera.far = distance * 100;
    this.camera.updateProjectionMatrix();
    this.controls.update();
    this.render();
  }

  ndc(event) {
    const r = this.canvas.getBoundingClientRect();
    return new THREE.Vector2(((event.clientX - r.left) / r.width) * 2 - 1, -((event.clientY - r.top) / r.height) * 2 + 1);
  }

  // Where vertex v of mesh `id` is on the canvas, in client pixels.
  screenOf(id, v) {
    const m = this.meshes.get(id);
    const p = m.world(v).project(this.camera);
    const r = this.canvas.getBoundingClientRect();
    return { x: r.left + ((p.x + 1) / 2) * r.width, y: r.top + ((1 - p.y) / 2) * r.height };
  }

  // What is under the pointer: {mesh, face, vertex, edge, point} of the
  // nearest surface hit, the vertex and edge being those of the hit face
  // nearest to it on the screen; null for none.
  pick(event) {
    this.raycaster.setFromCamera(this.ndc(event), this.camera);
    const targets = [...this.meshes.values()].filter((m) => m.shaded);
    let best = null;
    for (const m of targets) {
      const hit = this.raycaster.intersectObject(m.shaded, false)[0];
      if (hit && (!best || hit.distance < best.hit.distance)) best = { mesh: m, hit };
    }
    if (!best) return null;
    const { mesh, hit } = best;
    const face = mesh.triangleFace[hit.faceIndex];
    const s = mesh.faceStart[face], n = mesh.faceSizes[face];
    const at = { x: event.clientX, y: event.clientY };
    const far = (v) => { const q = this.screenOf(mesh.id, v); return Math.hypot(q.x - at.x, q.y - at.y); };
    let vertex = -1, vd = Infinity;
    for (let k = 0; k < n; ++k) {
      const v = mesh.corners[s + k], d = far(v);
      if (d < vd) { vd = d; vertex = v; }
    }
    let edge = -1;
    if (mesh.edgeList && mesh.edgeList.length) {
      const corners = new Set(Array.from(mesh.corners.subarray(s, s + n)));
      let ed = Infinity;
      for (let e = 0; e < mesh.edgeList.length / 2; ++e) {
        const a = mesh.edgeList[2 * e], b = mesh.edgeList[2 * e + 1];
        if (!corners.has(a) || !corners.has(b)) continue;
        const d = far(a) + far(b);
        if (d < ed) { ed = d; edge = e; }
      }
    }
    return { mesh, face, vertex, edge, point: hit.point };
  }

  // The vertex nearest to the pointer on the screen, within `reach`
  // pixels: {mesh, vertex}, or null.
  pickVertex(event, reach = 12) {
    const r = this.canvas.getBoundingClientRect();
    const ex = event.clientX, ey = event.clientY;
    const q = new THREE.Vector3();
    let best = null, bd = reach;
    for (const m of this.meshes.values()) {
      if (!m.positions) continue;
      const p = m.positions.array, w = m.group.matrixWorld;
      for (let v = 0; v < m.vertexCount(); ++v) {
        q.set(p[3 * v], p[3 * v + 1], p[3 * v + 2]).applyMatrix4(w).project(this.camera);
        if (q.z > 1) continue;
        const d = Math.hypot(r.left + ((q.x + 1) / 2) * r.width - ex, r.top + ((1 - q.y) / 2) * r.height - ey);
        if (d < bd) { bd = d; best = { mesh: m, vertex: v }; }
      }
    }
    return best;
  }

  // The vertices (or faces, by their centres) of mesh `id` inside the
  // client rectangle.
  inBox(id, rect, faces) {
    const m = this.meshes.get(id);
    const inside = (q) => q.x >= rect.left && q.x <= rect.right && q.y >= rect.top && q.y <= rect.bottom;
    const out = [];
    if (!faces) {
      for (let v = 0; v < m.vertexCount(); ++v) if (inside(this.screenOf(id, v))) out.push(v);
      return out;
    }
    const p = m.positions.array;
    for (let f = 0; f < m.faceSizes.length; ++f) {
      const s = m.faceStart[f], n = m.faceSizes[f];
      const c = new THREE.Vector3();
      for (let k = 0; k < n; ++k) { const v = m.corners[s + k]; c.x += p[3 * v]; c.y += p[3 * v + 1]; c.z += p[3 * v + 2]; }
      c.multiplyScalar(1 / Math.max(n, 1)).applyMatrix4(m.group.matrixWorld).project(this.camera);
      const r = this.canvas.getBoundingClientRect();
      if (inside({ x: r.left + ((c.x + 1) / 2) * r.width, y: r.top + ((1 - c.y) / 2) * r.height })) out.push(f);
    }
    return out;
  }

  // The point under the pointer on the plane through `world` facing the
  // camera (for dragging a vertex).
  dragPoint(event, world) {
    this.raycaster.setFromCamera(this.ndc(event), this.camera);
    const normal = this.camera.getWorldDirection(new THREE.Vector3());
    const plane = new THREE.Plane().setFromNormalAndCoplanarPoint(normal, world);
    return this.raycaster.ray.intersectPlane(plane, new THREE.Vector3());
  }
}

export { THREE };

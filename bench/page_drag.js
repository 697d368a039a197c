// Times the page of `twinel serve` on one mesh in headless chromium: how
// long until the mesh is shown (from the command to open the page, and
// from the page's own start of loading), then a drag in modify mode
// repeated ROUNDS times, each from the release of the mouse to the frame
// with the host's answer (the moved vertex and its partner) handed to the
// graphics process ("drawn"), and to the frame after it ("next frame",
// which waits for the graphics process to finish the one before).
//
//   NODE_PATH=build/web/node_modules node bench/page_drag.js build/bin/twinel MESH.obj [ROUNDS]
//
// The mesh is paired ("Twinel") first, so that live symmetry moves the
// partner of every dragged vertex. CHROMIUM names the browser
// (/usr/bin/chromium unless set); DETAIL=1 also prints when each of the
// page's requests started and how long it took.
'use strict';
const { chromium } = require('playwright-core');
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const [twinelArg, mesh, roundsArg] = process.argv.slice(2);
const twinel = twinelArg && path.resolve(twinelArg);
if (!twinel || !mesh) {
  console.error('usage: node bench/page_drag.js TWINEL MESH.obj [ROUNDS]');
  process.exit(2);
}
const rounds = Number(roundsArg || 7);

function median(list) {
  const s = [...list].sort((a, b) => a - b);
  return s[Math.floor(s.length / 2)];
}

async function main() {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'twinel-page-bench-'));
  const name = path.basename(mesh);
  fs.copyFileSync(mesh, path.join(folder, name));
  const server = spawn(twinel, ['serve', name, '--port', '0'], { cwd: folder, stdio: ['ignore', 'pipe', 'inherit'] });
  const url = await new Promise((resolve, reject) => {
    let text = '';
    server.stdout.on('data', (d) => {
      text += d;
      const m = /http:\/\/127\.0\.0\.1:\d+\//.exec(text);
      if (m) resolve(m[0]);
    });
    server.on('exit', (code) => reject(new Error(`twinel serve ended (${code})`)));
  });
  let browser = null;
  try {
    browser = await chromium.launch({
      executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
      headless: true,
      args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
    });
    const page = await browser.newPage({ viewport: { width: 1400, height: 860 } });
    page.setDefaultTimeout(120000);
    const frame = () => page.evaluate(() => new Promise((r) => requestAnimationFrame(() => r())));
    const t0 = Date.now();
    await page.goto(url);
    await page.waitForSelector('body[data-ready="yes"]');
    await frame();
    const loading = await page.evaluate(() => performance.now());
    console.log(`shown after ${Date.now() - t0} ms (${Math.round(loading)} ms after the page started loading)`);
    if (process.env.DETAIL) {
      const requests = await page.evaluate(() => performance.getEntriesByType('resource').map((r) =>
        [r.name.replace(/^.*\//, ''), Math.round(r.startTime), Math.round(r.duration), r.encodedBodySize]));
      console.log(JSON.stringify(requests));
    }

    const act = (line) => page.evaluate((l) => window.twinel.act(l), line);
    await act('press twinel');
    await act('mode vertex');
    await act('modify on');
    const id = await page.evaluate(() => window.twinel.state.active);
    // A vertex on the positive side, near the middle of the view.
    const vertex = await page.evaluate((id) => {
      const n = window.twinel.state.shapes.find((s) => s.id === id).vertices;
      let best = -1, bd = Infinity;
      for (let v = 0; v < n; v += 7) {
        const p = window.twinel.position(id, v), q = window.twinel.screenOf(id, v);
        const d = Math.hypot(q.x - 600, q.y - 430);
        if (p[0] > 0.5 && d < bd) { bd = d; best = v; }
      }
      return best;
    }, id);
    await act(`select vertices ${vertex}`);
    await page.evaluate(() => window.twinel.settled());

    const drawn = [], next = [], server_ms = [];
    for (let k = 0; k < rounds; ++k) {
      const at = await page.evaluate(({ id, v }) => window.twinel.screenOf(id, v), { id, v: vertex });
      await page.mouse.move(at.x, at.y);
      await page.mouse.down();
      for (let s = 1; s <= 8; ++s) await page.mouse.move(at.x + 2 * s, at.y - 1.5 * s);
      await page.evaluate(() => { window.twinel.timings = {}; });
      await page.mouse.up();
      await page.waitForFunction(() => window.twinel.timings.drawn !== undefined);
      const t = await page.evaluate(async () => {
        const start = performance.now() - window.twinel.timings.drawn;
        await new Promise((r) => requestAnimationFrame(() => r()));
        return { ...window.twinel.timings, next: performance.now() - start };
      });
      drawn.push(t.drawn);
      next.push(t.next);
      server_ms.push(t.run);
      console.log(`drag ${k + 1}: answered ${t.run.toFixed(1)} ms, applied ${t.total.toFixed(1)} ms, drawn ${t.drawn.toFixed(1)} ms, next frame ${t.next.toFixed(1)} ms`);
    }
    console.log(`median of ${rounds}: answered ${median(server_ms).toFixed(1)} ms, drawn ${median(drawn).toFixed(1)} ms, ` +
      `next frame ${median(next).toFixed(1)} ms`);
  } finally {
    if (browser) await browser.close();
    server.kill('SIGINT');
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

main().catch((e) => { console.error(e); process.exit(1); });

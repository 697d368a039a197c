// The page of `twinel serve` in headless chromium, driven by playwright-core:
// one session walked as a user would, a screenshot kept after every step in
// $OUT, then the downloaded session replayed with `twinel script` to the
// same mesh. Environment: TWINEL (the command), CHROMIUM, OUT, SOURCE (the
// repository), NODE_PATH (the page's node_modules), and ENCODING, the
// compression the server's answers must have (gzip unless told; none for
// the Windows build, which has no zlib).
'use strict';
const { chromium } = require('playwright-core');
const { spawn, spawnSync } = require('child_process');
const fs = require('fs');
const http = require('http');
const path = require('path');
const assert = require('assert');

const OUT = process.env.OUT;
const RUN = path.join(OUT, 'folder');  // the served folder
const TIMEOUT = 20000;
let step = 0;
let passed = 0;

// The whole run is bounded: a hung browser or server fails the test.
const deadline = setTimeout(() => { console.error('page test: out of time'); process.exit(1); }, 110000);

function startServer(extra = [], onError = (d) => process.stderr.write(d)) {
  return new Promise((resolve, reject) => {
    const server = spawn(process.env.TWINEL, ['serve', 'unmatch_pair.obj', '--port', '0', ...extra], { cwd: RUN });
    let text = '';
    server.stdout.on('data', (d) => {
      text += d;
      const m = /http:\/\/127\.0\.0\.1:(\d+)\//.exec(text);
      if (m) resolve({ server, url: m[0], port: +m[1] });
    });
    server.stderr.on('data', onError);
    server.on('exit', (code) => reject(new Error(`twinel serve ended (${code}): ${text}`)));
  });
}

async function main() {
  fs.rmSync(OUT, { recursive: true, force: true });
  fs.mkdirSync(RUN, { recursive: true });
  for (const f of ['unmatch_pair.obj', 'strip.obj', 'uv_seam.obj'])
    fs.copyFileSync(path.join(process.env.SOURCE, 'tests/scripts', f), path.join(RUN, f));

  const { server, url } = await startServer();
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM,
    headless: true,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
  });
  try {
    const page = await browser.newPage({ viewport: { width: 1400, height: 860 }, acceptDownloads: true });
    page.setDefaultTimeout(TIMEOUT);
    page.on('pageerror', (e) => console.error('page error:', e.message));
    const state = () => page.evaluate(() => window.twinel.state);
    const settled = () => page.evaluate(() => window.twinel.settled());
    const value = (id) => page.inputValue(`[data-id="${id}"] input`);
    const press = async (id) => { await page.click(`[data-id="${id}"] button`); await settled(); };
    const check = async (name, body) => {
      await body();
      await settled();
      step += 1;
      await page.screenshot({ path: path.join(OUT, `${String(step).padStart(2, '0')}-${name}.png`) });
      passed += 1;
      console.log(`ok ${step} ${name}`);
    };
    const mesh = async () => (await state()).shapes.find((s) => s.kind === 'mesh');

    await check('open', async () => {
      await page.goto(url);
      await page.waitForSelector('body[data-ready="yes"]');
      assert.match(await page.textContent('#title'), /twinel/);
      assert.equal((await mesh()).vertices, 6);
    });

    await check('refusals', async () => {
      // Malformed, refused and oversized requests run nothing.
      const before = (await state()).lines;
      const send = (body, type = 'application/json') =>
        fetch(`${url}api/run`, { method: 'POST', headers: { 'Content-Type': type }, body });
      assert.equal((await send('{"line": ')).status, 400);
      assert.equal((await send('{"line": 3}')).status, 400);
      assert.equal((await send('{"line": "press twinel"}', 'text/plain')).status, 400);
      assert.equal((await send(JSON.stringify({ line: 'open ../../x.obj' }))).status, 403);
      assert.equal((await send(JSON.stringify({ line: 'save /tmp/x.obj' }))).status, 403);
      assert.equal((await send(JSON.stringify({ line: 'echo ' + 'x'.repeat(2 << 20) }))).status, 413);
      const after = await (await fetch(`${url}api/state`)).json();
      assert.equal(after.lines, before);
      assert.equal(after.title, (await state()).title);
      // Answers are gzip, not brotli (which takes over a second for the script).
      const script = await fetch(`${url}app.js`, { headers: { 'Accept-Encoding': 'br, gzip' } });
      const encoding = process.env.ENCODING === undefined ? 'gzip' : process.env.ENCODING;
      assert.equal(script.headers.get('content-encoding'), encoding === '' ? null : encoding);
    });

    await check('asymmetry', async () => {
      await page.check('#asymmetry');
      await page.waitForSelector('#legend:not([hidden])');
      const d = await page.evaluate(async () => window.twinel.distances(window.twinel.state.active));
      // 3 and 5 mirror each other exactly; 2 (x = 1.3) is 0.3 from the
      // mirror of 0, beyond twice the margin.
      assert.equal(d[3], 0);
      assert.equal(d[5], 0);
      assert.ok(!(d[2] < 0.2), `vertex 2 at ${d[2]}`);
    });

    await check('twinel', async () => {
      await page.click('.tab-strip button:nth-child(2)');
      assert.equal(await value('unmatch_v_number'), '0');
      await press('twinel');
      await page.waitForFunction(() => /twinel\[pair:/.test(document.getElementById('title').textContent));
      assert.equal(await value('unmatch_v_number'), '2');
      assert.equal(await value('unmatch_f_number'), '2');
    });

    await check('unmatch-next', async () => {
      await press('next_u_vertex');
      assert.deepEqual((await mesh()).selected.vertices, [2]);
      assert.equal(await value('u_v_index'), '2');
    });

    await check('unmatch-candidate', async () => {
      await press('next_p_vertex');
      assert.equal(await value('p_v_index'), '0');
      assert.deepEqual((await mesh()).marks.vertices, [0]);
    });

    await check('unmatch-link', async () => {
      await press('v_link');
      assert.equal(await value('unmatch_v_number'), '0');
      assert.equal(await value('unmatch_f_number'), '0');
    });

    await check('select', async () => {
      await page.selectOption('#mode', 'vertex');
      await settled();
      await page.check('#modify');
      await settled();
      const id = (await state()).active;
      const at = await page.evaluate((id) => window.twinel.screenOf(id, 5), id);
      await page.mouse.click(at.x, at.y);
      await settled();
      assert.deepEqual((await mesh()).selected.vertices, [5]);
    });

    await check('drag', async () => {
      const id = (await state()).active;
      const before = await page.evaluate((id) => window.twinel.position(id, 5), id);
      const at = await page.evaluate((id) => window.twinel.screenOf(id, 5), id);
      await page.mouse.move(at.x, at.y);
      await page.mouse.down();
      for (let k = 1; k <= 5; ++k) await page.mouse.move(at.x + 8 * k, at.y - 6 * k);
      // While dragging, the preview layer shows the vertex's edges; the
      // mesh itself waits for the host's answer.
      assert.equal(await page.isVisible('#drag'), true);
      assert.deepEqual(await page.evaluate((id) => window.twinel.position(id, 5), id), before);
      await page.mouse.up();
      await page.waitForFunction(() => /^move 5 /.test(document.getElementById('status').textContent));
      await settled();
      const p5 = await page.evaluate((id) => window.twinel.position(id, 5), id);
      const p3 = await page.evaluate((id) => window.twinel.position(id, 3), id);
      assert.notDeepEqual(p5, before);
      // Live symmetry: the partner (vertex 3) is the mirror across YZ.
      assert.deepEqual(p3, [-p5[0], p5[1], p5[2]]);
      assert.equal(await page.isVisible('#drag'), false);
      await page.waitForFunction(() => window.twinel.timings.drawn !== undefined);
      console.log(`   drag round trip ${JSON.stringify(await page.evaluate(() => window.twinel.timings))}`);
    });

    await check('undo', async () => {
      const id = (await state()).active;
      await page.focus('body');
      await page.keyboard.press('Control+z');
      await page.waitForFunction(() => window.twinel.state.can_redo);
      await settled();
      assert.deepEqual(await page.evaluate((id) => window.twinel.position(id, 5), id), [1, 1, 0]);
      assert.deepEqual(await page.evaluate((id) => window.twinel.position(id, 3), id), [-1, 1, 0]);
    });

    await check('box-select', async () => {
      const r = await page.locator('#canvas').boundingBox();
      await page.keyboard.down('Control');
      await page.mouse.move(r.x + 2, r.y + 2);
      await page.mouse.down();
      await page.mouse.move(r.x + r.width / 2, r.y + r.height / 2);
      await page.mouse.move(r.x + r.width - 2, r.y + r.height - 2);
      await page.mouse.up();
      await page.keyboard.up('Control');
      await page.waitForFunction(() => /^select /.test(document.getElementById('status').textContent));
      await settled();
      assert.deepEqual((await mesh()).selected.vertices, [0, 1, 2, 3, 4, 5]);
    });

    await check('uv-template', async () => {
      // Another file of the folder, its open edges marked, then the
      // Template Setting dialog as a form: 8 x 8 pixels, browse to a
      // scratch file; the pixels are read back by the host.
      const run = async (line) => {
        await page.fill('#line', line);
        await page.press('#line', 'Enter');
        await settled();
      };
      assert.ok((await page.$$eval('#files option', (o) => o.map((x) => x.value))).includes('uv_seam.obj'));
      await page.selectOption('#files', 'uv_seam.obj');
      await page.click('#open');
      await settled();
      assert.equal((await state()).shapes.filter((s) => s.kind === 'mesh').length, 2);
      await run('press mark_p_edge');
      await page.fill('#line', 'press uv_save');
      await page.press('#line', 'Enter');
      await page.waitForSelector('#form-dialog[open]');
      assert.equal(await page.textContent('#form-title'), 'Template Setting');
      await page.fill('[data-dialog-item="21"]', '8');
      await page.fill('[data-dialog-item="22"]', '8');
      await page.click('[data-dialog-item="12"]');
      await page.waitForSelector('#ask[open]');
      await page.fill('#ask-input', '@seam');
      await page.click('#ask [data-answer="ok"]');
      await page.waitForSelector('#form-dialog[open]');
      await page.screenshot({ path: path.join(OUT, `${String(step + 1).padStart(2, '0')}-uv-template-dialog.png`) });
      await page.click('#form-dialog [data-answer="ok"]');
      await settled();
      assert.equal(await page.textContent('#status'), 'press uv_save');
      // The background, the seam in the line colour, an open edge in the mark colour.
      for (const line of ['expect pixel @seam.png 6 1 0 0 0 0', 'expect pixel @seam.png 3 1 0 255 255 255',
        'expect pixel @seam.png 1 0 255 0 0 255']) {
        await run(line);
        assert.equal(await page.textContent('#status'), line);
      }
      await run('activate #1');
    });

    await check('bind', async () => {
      // Another server on every address: it says what that exposes, and
      // answers a Host given as an address but never as a name.
      let warning = '';
      const other = await startServer(['--bind', '0.0.0.0'], (d) => { warning += d; });
      const get = (host) => new Promise((resolve) => {
        http.get({ host: '127.0.0.1', port: other.port, path: '/api/state', headers: { Host: `${host}:${other.port}` } },
          (res) => { res.resume(); resolve(res.statusCode); });
      });
      try {
        assert.equal(await get('10.1.2.3'), 200);
        assert.equal(await get('127.0.0.1'), 200);
        assert.equal(await get('rebound.example'), 403);
        assert.match(warning, /whoever reaches it can run session lines/);
      } finally {
        other.server.kill('SIGINT');
        await new Promise((resolve) => other.server.on('exit', resolve));
      }
    });

    await check('japanese', async () => {
      const english = await page.textContent('[data-id="twinel"] button');
      await page.selectOption('#lang', 'ja');
      await page.waitForFunction(() => window.twinel.state.lang === 'ja');
      await settled();
      const japanese = await page.textContent('[data-id="twinel"] button');
      assert.notEqual(japanese, english);
      assert.match(await page.textContent('#title'), /twinel\[pair:/);
      assert.equal(await value('unmatch_v_number'), '0');
    });

    await check('replay', async () => {
      const [download] = await Promise.all([page.waitForEvent('download'), page.click('#download')]);
      const script = path.join(RUN, 'session.twinel');
      await download.saveAs(script);
      // The scene the page shows, saved through the page's command line
      // (after the download, so the replay does not save it too).
      await page.fill('#line', 'save served.obj');
      await page.press('#line', 'Enter');
      await page.waitForFunction(() => /^save served\.obj/.test(document.getElementById('status').textContent));
      fs.appendFileSync(script, 'expect mesh served.obj\nexpect title twinel[pair:*]\nexpect unmatch_v_number value 0\n');
      const replay = spawnSync(process.env.TWINEL, ['--lang', 'ja', 'script', 'session.twinel'], { cwd: RUN, encoding: 'utf8' });
      assert.equal(replay.status, 0, `replay failed:\n${replay.stdout}\n${replay.stderr}`);
      assert.match(fs.readFileSync(script, 'utf8'), /^press twinel$/m);
    });
  } finally {
    await browser.close();
    server.kill('SIGINT');
    await new Promise((resolve) => server.on('exit', resolve));
  }
  console.log(`page test: ${passed} passed, 0 failed`);
}

main().then(() => { clearTimeout(deadline); }, (e) => {
  console.error(`page test: step ${step + 1} failed: ${e.stack || e}`);
  console.log(`page test: ${passed} passed, 1 failed`);
  process.exit(1);
});

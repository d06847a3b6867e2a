// The web folder in a real browser: serves it on 127.0.0.1, opens it in Debian's headless
// Chromium through the DevTools protocol and checks what a player gets.
//   node browser_check.js WEB_FOLDER LINUX_REPLAY SCRATCH
// 1. The first frame of room 1, and of ?room=3&side=right, is the Linux replay tool's picture of
//    the same start (every pixel of 640 x 480).
// 2. The game draws at least 55 frames a second over 10 s; prints the rate and the frame time.
// 3. A run played with key presses and ?record=1: P downloads screenshot.png, Escape ends the
//    game, the page offers the recording; the Linux replay tool plays it to its end line (exit 0)
//    and saves the same screenshot.
// 4. The page's controls: F10, F11 and F9 give the canvas the game's sizes, F12 asks for full
//    screen and F12 again leaves it, the sound starts with the first key, the Screenshot button
//    downloads the game's picture, Play again starts a new game, Record a run reloads recording.
// 5. A gamepad (the browser's Gamepad API, given a pad by the check) runs the hero; its run
//    replays on Linux.
'use strict';
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const { execFileSync } = require('child_process');
const puppeteer = require('puppeteer-core');

const [webFolder, linuxReplay, scratch] = process.argv.slice(2);
if (!scratch) {
  console.error('usage: node browser_check.js WEB_FOLDER LINUX_REPLAY SCRATCH');
  process.exit(2);
}
const dataRoot = path.resolve(__dirname, '..', '..');
const failures = [];
function fail(message) {
  failures.push(message);
  console.log('FAIL: ' + message);
}

// --- Pictures -------------------------------------------------------------------------------------

// 8-bit RGB or RGBA, not interlaced: what Chromium and the game write. Gives RGBA.
function decodePng(bytes) {
  let offset = 8;
  let width = 0, height = 0, colourType = 0;
  const data = [];
  while (offset < bytes.length) {
    const length = bytes.readUInt32BE(offset);
    const type = bytes.toString('latin1', offset + 4, offset + 8);
    const body = bytes.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[12] !== 0) throw new Error('not an 8-bit, non-interlaced PNG');
      colourType = body[9];
    } else if (type === 'IDAT') {
      data.push(body);
    }
    offset += 12 + length;
  }
  const channels = { 2: 3, 6: 4 }[colourType];
  if (!channels) throw new Error('PNG colour type ' + colourType);
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const pixels = Buffer.alloc(width * height * 4);
  let previous = Buffer.alloc(stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let x = 0; x < stride; x++) {
      const a = x >= channels ? line[x - channels] : 0;
      const b = previous[x];
      const c = x >= channels ? previous[x - channels] : 0;
      let add = 0;
      if (filter === 1) add = a;
      else if (filter === 2) add = b;
      else if (filter === 3) add = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        add = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      line[x] = (line[x] + add) & 0xff;
    }
    for (let x = 0; x < width; x++) {
      for (let k = 0; k < 3; k++) pixels[(y * width + x) * 4 + k] = line[x * channels + k];
      pixels[(y * width + x) * 4 + 3] = 255;
    }
    previous = line;
  }
  return { width, height, pixels };
}

// How many pixels differ in colour, or a line saying why the pictures cannot be compared.
function differingPixels(one, other) {
  if (one.width !== other.width || one.height !== other.height)
    return `${one.width} x ${one.height} against ${other.width} x ${other.height}`;
  let count = 0;
  for (let i = 0; i < one.pixels.length; i += 4) {
    if (one.pixels[i] !== other.pixels[i] || one.pixels[i + 1] !== other.pixels[i + 1] ||
        one.pixels[i + 2] !== other.pixels[i + 2])
      count++;
  }
  return count;
}

// The replay tool's picture of a start, from a folder whose res/ is the game's data.
function linuxPicture(name, options) {
  const folder = fs.mkdtempSync(path.join(scratch, name + '-'));
  fs.symlinkSync(path.join(dataRoot, 'res'), path.join(folder, 'res'));
  execFileSync(linuxReplay, [...options, '--steps', '0', '--shot', '0:linux.png'], { cwd: folder });
  return decodePng(fs.readFileSync(path.join(folder, 'linux.png')));
}

// --- The page ---------------------------------------------------------------------------------

function serve(folder) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                  '.data': 'application/octet-stream' };
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(folder, name === '/' ? 'index.html' : name);
    if (!file.startsWith(folder + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Before the page's own script: the passes of the game's loop can be held (Module.preMainLoop
// returning false skips one) and are counted and timed.
function holdPasses() {
  const control = { allowed: 1e9, passes: 0, busy: 0, started: 0 };
  window.marrowgastCheck = control;
  let module;
  Object.defineProperty(window, 'Module', {
    configurable: true,
    get: () => module,
    set: (value) => {
      module = value;
      module.preMainLoop = () => {
        if (control.passes >= control.allowed) return false;
        control.started = performance.now();
        return true;
      };
      module.postMainLoop = () => {
        control.passes++;
        control.busy += performance.now() - control.started;
      };
    },
  });
}

async function openGame(browser, origin, search, allowed) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(holdPasses);
  page.on('pageerror', (error) => fail('the page threw: ' + error.message));
  await page.evaluateOnNewDocument((n) => { window.marrowgastAllowed = n; }, allowed);
  await page.evaluateOnNewDocument(() => { window.marrowgastCheck.allowed = window.marrowgastAllowed; });
  // The canvas gets exactly 640 x 480 CSS pixels: the window is that and the note's line.
  await page.setViewport({ width: 640, height: 504, deviceScaleFactor: 1 });
  await page.goto(origin + '/index.html' + search);
  await page.waitForFunction(() => window.marrowgastCheck.passes >= Math.min(1, window.marrowgastCheck.allowed),
                             { timeout: 60000 });
  return page;
}

async function canvasPicture(page) {
  const box = await page.evaluate(() => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    return { x: r.x, y: r.y, width: r.width, height: r.height };
  });
  if (box.width !== 640 || box.height !== 480) fail(`the canvas shows at ${box.width} x ${box.height}`);
  return decodePng(Buffer.from(await page.screenshot({ clip: box, type: 'png' })));
}

async function firstFrame(browser, origin, search, options, what) {
  const page = await openGame(browser, origin, search, 1);
  const shown = await canvasPicture(page);
  const passes = await page.evaluate(() => window.marrowgastCheck.passes);
  if (passes !== 1) fail(`${what}: ${passes} passes ran while held at one`);
  const differing = differingPixels(shown, linuxPicture('first', options));
  if (differing !== 0) {
    fs.writeFileSync(path.join(scratch, 'browser-' + options.join('') + '.raw'), shown.pixels);
    fail(`${what}: the first frame and the Linux replay tool's picture differ: ${differing} pixels`);
  } else {
    console.log(`${what}: the first frame is the Linux replay tool's picture, pixel for pixel`);
  }
  await page.close();
}

async function frameRate(browser, origin) {
  const page = await openGame(browser, origin, '', 1e9);
  await new Promise((resolve) => setTimeout(resolve, 2000));
  const before = await page.evaluate(() => ({ ...window.marrowgastCheck, now: performance.now() }));
  await new Promise((resolve) => setTimeout(resolve, 10000));
  const after = await page.evaluate(() => ({ ...window.marrowgastCheck, now: performance.now() }));
  const seconds = (after.now - before.now) / 1000;
  const frames = after.passes - before.passes;
  const rate = frames / seconds;
  const busy = (after.busy - before.busy) / frames;
  console.log(`frame rate: ${frames} frames in ${seconds.toFixed(2)} s, ${rate.toFixed(1)} a second; ` +
              `a pass takes ${busy.toFixed(2)} ms on average`);
  if (rate < 55) fail(`the game draws ${rate.toFixed(1)} frames a second, fewer than 55`);
  await page.close();
}

async function recordedRun(browser, origin) {
  const downloads = await allowDownloads(browser);
  const page = await openGame(browser, origin, '?record=1', 1e9);
  const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
  const keyboard = page.keyboard;
  await pause(300);
  await keyboard.down('ArrowRight');
  await pause(600);
  await keyboard.press('Space');
  await pause(300);
  await keyboard.press('KeyP');
  await pause(300);
  await keyboard.up('ArrowRight');
  await pause(200);
  await keyboard.press('Escape');
  await page.waitForSelector('#ended.shown', { timeout: 10000 });
  const ended = await page.$eval('#endedText', (element) => element.textContent);
  if (ended !== 'The game has ended.') fail(`the page says "${ended}" at the end`);
  await page.click('#recording');
  const wanted = ['screenshot.png', 'marrowgast.keys'].map((name) => path.join(downloads, name));
  for (let i = 0; i < 100 && !wanted.every((file) => fs.existsSync(file)); i++) await pause(100);
  await page.close();
  for (const file of wanted) {
    if (!fs.existsSync(file)) {
      fail('the page offered no ' + path.basename(file));
      return;
    }
  }
  const keys = fs.readFileSync(wanted[1], 'latin1');
  for (const [pattern, what] of [[/^\d+ right down$/m, 'the right arrow'], [/^\d+ space down$/m, 'Space'],
                                 [/^\d+ sysrq down$/m, 'the screenshot key'], [/^shot \d+$/m, 'the shot'],
                                 [/^end /m, 'the end line']]) {
    if (!pattern.test(keys)) fail(`the recording has no ${what}:\n${keys}`);
  }
  const folder = fs.mkdtempSync(path.join(scratch, 'replay-'));
  fs.symlinkSync(path.join(dataRoot, 'res'), path.join(folder, 'res'));
  try {
    execFileSync(linuxReplay, ['--keys', wanted[1]], { cwd: folder, stdio: ['ignore', 'ignore', 'pipe'] });
  } catch (error) {
    fail(`the Linux replay of the page's recording exited ${error.status}: ${error.stderr}`);
    return;
  }
  const differing = differingPixels(decodePng(fs.readFileSync(wanted[0])),
                                    decodePng(fs.readFileSync(path.join(folder, 'screenshot.png'))));
  if (differing !== 0) fail(`the page's screenshot and the Linux replay's differ: ${differing} pixels`);
  else console.log('recorded in the page, replayed on Linux to its end, the same screenshot: ' +
                   keys.trim().split('\n').pop());
}

// Downloads into a fresh folder of the scratch; gives the folder.
async function allowDownloads(browser) {
  const downloads = fs.mkdtempSync(path.join(scratch, 'downloads-'));
  const session = await browser.target().createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  return downloads;
}

async function waitForFile(file) {
  for (let i = 0; i < 100 && !fs.existsSync(file); i++) await new Promise((resolve) => setTimeout(resolve, 100));
  return fs.existsSync(file);
}

async function waitForPasses(page, count) {
  await page.waitForFunction((n) => window.marrowgastCheck.passes >= n, { timeout: 20000 }, count);
}

async function pageControls(browser, origin) {
  const downloads = await allowDownloads(browser);
  const failed = failures.length;
  const page = await openGame(browser, origin, '', 1e9);
  const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
  const sound = () => page.evaluate(() => (Module.SDL2 && Module.SDL2.audioContext
                                           ? Module.SDL2.audioContext.state : 'none'));
  await waitForPasses(page, 5);
  // Headless Chromium lets any page play sound; a desktop browser holds a page's sound until
  // its first key or click. Held as a desktop browser holds it, the first key starts it.
  await page.evaluate(() => Module.SDL2 && Module.SDL2.audioContext && Module.SDL2.audioContext.suspend());
  const before = await sound();
  if (before !== 'suspended') fail(`the game's sound is ${before}, not held until a key`);
  for (const [key, width, height] of [['F10', 800, 600], ['F11', 1024, 768], ['F9', 640, 480]]) {
    await page.keyboard.press(key);
    await pause(300);
    const size = await page.$eval('#canvas', (canvas) => [canvas.width, canvas.height]);
    if (size[0] !== width || size[1] !== height) fail(`${key}: the canvas is ${size[0]} x ${size[1]}, not ${width} x ${height}`);
  }
  const after = await sound();
  if (after !== 'running') fail(`the sound is ${after} after the first keys, not running`);
  await page.keyboard.press('F12');
  await pause(500);
  const full = await page.evaluate(() => document.fullscreenElement !== null);
  await page.keyboard.press('F12');
  await pause(500);
  const left = await page.evaluate(() => document.fullscreenElement === null);
  if (!full || !left) fail(`F12: full screen ${full ? 'entered' : 'never entered'}, ${left ? 'left' : 'never left'}`);
  await page.click('#shot');
  const shot = path.join(downloads, 'screenshot.png');
  if (!await waitForFile(shot)) {
    fail('the Screenshot button downloaded nothing');
  } else {
    const picture = decodePng(fs.readFileSync(shot));
    const colours = new Set();
    for (let i = 0; i < picture.pixels.length; i += 4) colours.add(picture.pixels.readUInt32BE(i));
    if (picture.width !== 640 || picture.height !== 480 || colours.size < 16)
      fail(`the Screenshot button gave a ${picture.width} x ${picture.height} picture of ${colours.size} colours`);
  }
  await page.keyboard.press('Escape');
  await page.waitForSelector('#ended.shown', { timeout: 10000 });
  if (await page.$eval('#recording', (link) => !link.hidden)) fail('a game not recording offered a recording');
  // Play again: the page is loaded anew and its game runs.
  await Promise.all([page.waitForNavigation(), page.click('#again')]);
  await waitForPasses(page, 5);
  if (await page.$('#ended.shown')) fail('after Play again the page still says the game has ended');
  await Promise.all([page.waitForNavigation(), page.click('#record')]);
  await waitForPasses(page, 5);
  const address = await page.evaluate(() => [location.search, document.getElementById('record').hidden]);
  if (address[0] !== '?record=1' || !address[1]) fail(`Record a run gave the address "${address[0]}"`);
  if (failures.length === failed) console.log('the page: F9-F11 sizes, F12 full screen, sound on the first key, Screenshot, Play again, Record a run');
  await page.close();
}

// A standard-mapping pad (SDL's mapping in the browser): button 0 is south, 15 the d-pad's right.
function fakeGamepad() {
  const pad = { id: 'Check pad', index: 0, connected: true, mapping: 'standard', timestamp: 1,
                axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, () => ({ pressed: false, value: 0 })) };
  window.checkPad = pad;
  navigator.getGamepads = () => [pad];
  window.pressPad = (button, down) => {
    pad.buttons[button] = { pressed: down, value: down ? 1 : 0 };
    pad.timestamp++;
  };
  window.plugPad = () => {
    const event = new Event('gamepadconnected');
    Object.defineProperty(event, 'gamepad', { value: pad });
    dispatchEvent(event);
  };
}

async function gamepadRun(browser, origin) {
  const downloads = await allowDownloads(browser);
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(fakeGamepad);
  await page.evaluateOnNewDocument(holdPasses);
  page.on('pageerror', (error) => fail('the page threw: ' + error.message));
  await page.setViewport({ width: 640, height: 504, deviceScaleFactor: 1 });
  await page.goto(origin + '/index.html?record=1');
  await waitForPasses(page, 5);
  await page.evaluate(() => window.plugPad());
  const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
  await pause(300);
  await page.evaluate(() => window.pressPad(15, true));
  await pause(800);
  await page.evaluate(() => window.pressPad(0, true));
  await pause(200);
  await page.evaluate(() => { window.pressPad(0, false); window.pressPad(15, false); });
  await pause(300);
  await page.keyboard.press('Escape');
  await page.waitForSelector('#ended.shown', { timeout: 10000 });
  await page.click('#recording');
  const file = path.join(downloads, 'marrowgast.keys');
  const found = await waitForFile(file);
  await page.close();
  if (!found) return fail('the gamepad run offered no recording');
  const keys = fs.readFileSync(file, 'latin1');
  for (const [pattern, what] of [[/^\d+ right down$/m, "the d-pad's right"], [/^\d+ space down$/m, 'the south button']]) {
    if (!pattern.test(keys)) fail(`the gamepad run's recording has no ${what}:\n${keys}`);
  }
  const folder = fs.mkdtempSync(path.join(scratch, 'pad-'));
  fs.symlinkSync(path.join(dataRoot, 'res'), path.join(folder, 'res'));
  try {
    execFileSync(linuxReplay, ['--keys', file], { cwd: folder, stdio: ['ignore', 'ignore', 'pipe'] });
    console.log('a gamepad ran and jumped the hero; the run replays on Linux: ' + keys.trim().split('\n').pop());
  } catch (error) {
    fail(`the Linux replay of the gamepad run exited ${error.status}: ${error.stderr}`);
  }
}

async function main() {
  const server = await serve(path.resolve(webFolder));
  const origin = `http://127.0.0.1:${server.address().port}`;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'marrowgast-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--enable-unsafe-swiftshader', '--force-color-profile=srgb'],
  });
  try {
    await firstFrame(browser, origin, '', [], 'room 1');
    await firstFrame(browser, origin, '?room=3&side=right', ['--room', '3', '--side', 'right'], 'room 3 from the right');
    await frameRate(browser, origin);
    await pageControls(browser, origin);
    await recordedRun(browser, origin);
    await gamepadRun(browser, origin);
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  if (failures.length) {
    console.log(`${failures.length} failure${failures.length > 1 ? 's' : ''}`);
    process.exit(1);
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});

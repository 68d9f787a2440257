// What the browser tests share. Screenshots are taken with the game held
// still, so a moment of the game lasts until the native screen checker sees it.
import { execFile, execFileSync, spawn } from 'node:child_process';
import { copyFileSync, mkdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize } from 'node:path';
import { promisify } from 'node:util';
import { deflateRawSync, inflateRawSync } from 'node:zlib';
import { chromium } from 'playwright-core';
import puppeteer from 'puppeteer-core';

const run = promisify(execFile);
export const here = new URL('.', import.meta.url).pathname;

export function fail(message) {
    console.log(`FAILED: ${message}`);
    process.exit(1);
}
export const step = (text) => console.log(`${Math.round(performance.now() / 1000)}s: ${text}`);

// `node TEST.mjs PACKAGE.zip NATIVE_BUILD DATA_DIR WORK_DIR`: the package unzipped into a fresh WORK_DIR
// (`site`, the folder of its index.html), and the native build's screen checker (`check`).
export function setUp(args = process.argv.slice(2)) {
    const [zip, native, data, work] = args;
    rmSync(work, { recursive: true, force: true });
    mkdirSync(work, { recursive: true });
    execFileSync('unzip', ['-q', zip, '-d', join(work, 'site')]);
    const index = execFileSync('find', [join(work, 'site'), '-name', 'index.html']).toString().trim();
    if (!index) fail(`no index.html in ${zip}`);
    return { native, data, work, site: index.slice(0, -'/index.html'.length), check: join(native, 'tests/e2e/xwd_check') };
}

// tests/replay/round.script replayed natively at 256 x 192, its recording kept as SITE/round.rec.
export const recordRound = ({ native, data, site }) => execFileSync(join(native, 'tools/fusewalker-replay'), ['--data', data,
    '--size', '256x192', '--frames', '800', '--script', join(here, '../replay/round.script'), '--record', join(site, 'round.rec')]);

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png',
    '.webmanifest': 'application/manifest+json' };

// A plain static server on a port of its own; `head` goes first in index.html's head.
export async function serve(folder, head = '') {
    const server = createServer((request, response) => {
        const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)).replace(/\/$/, '/index.html');
        try {
            const file = readFileSync(join(folder, path));
            const body = path === '/index.html' ? String(file).replace('<head>', `<head>${head}`) : file;
            response.writeHead(200, { 'Content-Type': types[extname(path)] ?? 'text/plain' }).end(body);
        } catch {
            response.writeHead(404).end();
        }
    });
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    return { url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

// No network beyond the page's own server on this machine.
const chromiumArgs = ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
    '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run', '--disable-quic'];
export const launch = (args = []) => chromium.launch({ executablePath: '/usr/bin/chromium', args: [...chromiumArgs, ...args] });
// A browser with a profile of its own, which keeps what a page installs, as a player's does.
export const launchProfile = (folder, options = {}) =>
    chromium.launchPersistentContext(folder, { executablePath: '/usr/bin/chromium', args: chromiumArgs, ...options });

// Processes of the test's own, each in a group of its own, ended with all they started however the test ends.
const owned = [];
process.on('exit', () => owned.forEach((child) => {
    try {
        process.kill(-child.pid, 'SIGKILL');
    } catch {
        // Gone already.
    }
}));
for (const signal of ['SIGINT', 'SIGTERM']) process.on(signal, () => fail(`stopped by ${signal}`));
function own(command, args, options) {
    const child = spawn(command, args, { detached: true, ...options });
    owned.push(child);
    child.unref();
    return child;
}

// An X server on the first free display, with the GLX through which llvmpipe draws Firefox's and WebKit's WebGL.
async function xvfb() {
    const server = own('Xvfb', ['-displayfd', '1', '-screen', '0', '1280x1024x24', '+extension', 'GLX', '-nolisten', 'tcp'],
        { stdio: ['ignore', 'pipe', 'ignore'] });
    // The number ends with a newline, which Xvfb must be able to write.
    let said = '';
    await new Promise((resolve) => {
        server.stdout.on('data', (data) => (said += data).includes('\n') && resolve());
        server.once('exit', resolve);
    });
    server.stdout.unref();
    if (!/^[0-9]+\n$/.test(said)) fail('Xvfb did not start');
    return `:${said.trim()}`;
}

// Firefox's own traffic off, beyond what puppeteer's profile turns off.
const firefoxPrefs = {
    'app.update.auto': false, 'app.normandy.enabled': false, 'toolkit.telemetry.enabled': false,
    'toolkit.telemetry.unified': false, 'toolkit.telemetry.server': '', 'browser.ping-centre.telemetry': false,
    'network.captive-portal-service.enabled': false, 'network.connectivity-service.enabled': false,
    'extensions.systemAddon.update.enabled': false, 'browser.region.update.enabled': false,
    'browser.region.network.url': '', 'network.trr.mode': 5, 'network.dns.disablePrefetch': true,
    'network.prefetch-next': false, 'media.gmp-manager.url': '', 'browser.safebrowsing.update.enabled': false,
    'services.settings.server': 'data:,#remote-settings-dummy/v1',
};

// Firefox ESR over WebDriver BiDi, headed (headless it has no WebGL), refusing any connection off this
// machine. Each page in a window of its own, as a background tab gets no animation frames.
async function launchFirefox(folder) {
    const browser = await puppeteer.launch({
        browser: 'firefox', protocol: 'webDriverBiDi', executablePath: '/usr/bin/firefox-esr', headless: false,
        userDataDir: folder, extraPrefsFirefox: firefoxPrefs, defaultViewport: null,
        env: { ...process.env, DISPLAY: await xvfb(), MOZ_CRASHREPORTER_DISABLE: '1', MOZ_DISABLE_NONLOCAL_CONNECTIONS: '1' },
    });
    let page = null;
    return {
        open: async (url, viewport) => {
            await page?.close();
            page = listen(await browser.newPage({ type: 'window' }));
            await page.setViewport(viewport);
            await page.goto(url);
            return page;
        },
        close: () => browser.close(),
    };
}

// WebDriver classic reports no console: for WebKit the page keeps its console
// lines itself, by this script first in its head, and hands them over with each script run.
const consoleKeeper = `<script>window.kept = [];
for (const type of ['log', 'info', 'warn', 'error']) {
    const said = console[type];
    console[type] = (...words) => { kept.push([type, words.join(' ')]); said.apply(console, words); };
}
addEventListener('error', (event) => kept.push(['error', String(event.error ?? event.message)]));
</script>`;

// WebKitGTK's MiniBrowser through WebKitWebDriver: one window, whose pages offer what the helpers use of a Playwright page.
async function launchWebKit() {
    const port = await new Promise((resolve) => {
        const probe = createServer().listen(0, '127.0.0.1', () => {
            const { port } = probe.address();
            probe.close(() => resolve(port));
        });
    });
    own('WebKitWebDriver', [`--port=${port}`], { env: { ...process.env, DISPLAY: await xvfb() }, stdio: 'ignore' });
    const send = async (method, path, body) => {
        const answer = await fetch(`http://127.0.0.1:${port}${path}`, { method, body: body && JSON.stringify(body) })
            .catch((error) => fail(`WebKitWebDriver: ${method} ${path}: ${error.cause ?? error}`));
        const { value } = await answer.json();
        if (value?.error) fail(`WebKitWebDriver: ${method} ${path}: ${value.error}: ${value.message}`);
        return value;
    };
    await waitFor('no WebKitWebDriver', 30, () => fetch(`http://127.0.0.1:${port}/status`).then((r) => r.ok, () => false));
    const { sessionId } = await send('POST', '/session', { capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': {
        binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser', args: ['--automation'] } } } });
    const session = (method, path, body) => send(method, `/session/${sessionId}${path}`, body);
    const pointer = (actions) => session('POST', '/actions', { actions: [{ type: 'pointer', id: 'mouse',
        parameters: { pointerType: 'mouse' }, actions }] });

    const newPage = () => {
        const page = { lines: [], errors: [] };
        page.evaluate = async (fn, arg) => {
            const [result, kept] = await session('POST', '/execute/async', { args: [arg], script: `const done = arguments[1];
                Promise.resolve((${fn})(arguments[0])).then((result) => done([result, (window.kept ?? []).splice(0)]),
                    (error) => done([null, [['error', String(error)]]]));` });
            for (const [type, text] of kept) (type === 'error' ? page.errors : page.lines).push(text);
            return result;
        };
        page.mouse = { click: (x, y) => pointer([{ type: 'pointerMove', x, y, origin: 'viewport' },
            { type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }]) };
        // The canvas alone, as shoot asks, which WebDriver shoots as an element.
        page.screenshot = async ({ path }) => {
            const canvas = Object.values(await session('POST', '/element', { using: 'css selector', value: '#canvas' }))[0];
            writeFileSync(path, Buffer.from(await session('GET', `/element/${canvas}/screenshot`), 'base64'));
        };
        return page;
    };
    return {
        head: consoleKeeper,
        // The window grown by what MiniBrowser's own bar takes, for a page of the given size.
        open: async (url, { width, height }) => {
            const inner = () => newPage().evaluate(() => `${innerWidth} x ${innerHeight}`);
            await session('POST', '/url', { url: 'about:blank' });
            await session('POST', '/window/rect', { width, height });
            const [innerWidth, innerHeight] = (await inner()).split(' x ');
            await session('POST', '/window/rect', { width: 2 * width - innerWidth, height: 2 * height - innerHeight });
            if (await inner() !== `${width} x ${height}`) fail(`WebKit's page is ${await inner()}, not ${width} x ${height}`);
            await session('POST', '/url', { url });
            return newPage();
        },
        close: () => session('DELETE', ''),
    };
}

// Firefox or WebKit: open(URL, VIEWPORT) gives a page of that size in place of the one before.
export const launchEngine = (engine, work) => (engine === 'firefox' ? launchFirefox(join(work, 'profile')) : launchWebKit());

// The page's recording, from its console (?record), as a file's text.
export const recordingOf = (page) => page.lines.filter((line) => /^(pace|window|[0-9]+ )/.test(line)).join('\n') + '\n';
// What the page shows beside the game (its status export), or null before the game runs.
export const gameStatus = (page) =>
    page.evaluate(() => (Module.calledRun ? JSON.parse(Module.ccall('fw_status', 'string', [], [])) : null));
// The summary a playback prints once its last line has played.
export const summaryOf = (page) => page.lines.find((line) => line.includes('"outcomesChecked":'));

// A link's fragment holding TEXT, and the recording a link holds, as the page packs and unpacks them.
export const roundFragment = (text) => `#round=${deflateRawSync(text).toString('base64url')}`;
export const linkedRecording = (link) => inflateRawSync(Buffer.from(link.split('#round=')[1], 'base64url')).toString();

// A file dropped on the page, of TEXT or of SIZE bytes made in the page; the moment marked for the page's figures.
export const drop = (page, text, size = 0) => page.evaluate(([text, size]) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([size ? new Uint8Array(size) : text], 'round.rec'));
    document.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    performance.mark('test-dropped');
}, [text, size]);

// fusewalker-replay's summary of a recording, or its failure; the browser's pages go on meanwhile.
export async function replayNatively(native, data, recording, args = []) {
    try {
        return (await run(join(native, 'tools/fusewalker-replay'), ['--data', data, '--script', recording, ...args])).stdout.trim();
    } catch (error) {
        return `exit ${error.code}: ${error.stderr}`;
    }
}

// The page's console lines kept in page.lines, its errors in page.errors, the uncaught ones also in page.uncaught.
export function listen(page) {
    Object.assign(page, { lines: [], errors: [], uncaught: [] });
    page.on('console', (message) => (message.type() === 'error' ? page.errors : page.lines).push(message.text()));
    page.on('pageerror', (error) => [page.errors, page.uncaught].forEach((kept) => kept.push(String(error))));
    return page;
}

// A page on url in a fresh context, listened to; `init`, [script, its argument], runs first in every page.
export async function open(browser, url, options = {}, init = null) {
    const context = await browser.newContext({ viewport: { width: 1024, height: 768 }, ...options });
    if (init) await context.addInitScript(...init);
    const page = listen(await context.newPage());
    await page.goto(url);
    return page;
}

// Polls check() every 0.2 s until it gives something true; fails after `limit` seconds.
export async function waitFor(what, limit, check) {
    const deadline = performance.now() + limit * 1000;
    for (;;) {
        const result = await check();
        if (result) return result;
        if (performance.now() > deadline) fail(`${typeof what === 'function' ? what() : what} after ${limit} s`);
        await new Promise((resolve) => setTimeout(resolve, 200));
    }
}

// The game's own frames: after this, at least n have followed what came before, at any pace.
export async function frames(page, n) {
    const start = (await gameStatus(page)).frames;
    await waitFor(`${n} frames`, 120, async () => (await gameStatus(page)).frames >= start + n);
}

// The browser's animation frames, which the game waits on while it has no context.
export const animationFrames = (page, n) => page.evaluate((n) => new Promise((resolve) => {
    const next = (left) => (left ? requestAnimationFrame(() => next(left - 1)) : resolve());
    next(n);
}), n);

// An element's box on the page, in CSS pixels: the canvas's by default.
export const boxOf = (page, id = 'canvas') => page.evaluate((id) => {
    const { x, y, width, height } = document.getElementById(id).getBoundingClientRect();
    return { x, y, width, height };
}, id);

// A point on a box, by its share of the box's width and height.
export const pointAt = (box, fx, fy) => [Math.round(box.x + fx * box.width), Math.round(box.y + fy * box.height)];
// Where a click starts play on the title, and three people across the crowd, on the canvas.
export const titleSpot = [0.5, 0.39];
export const crowdSpots = [[0.3125, 0.547], [0.5, 0.586], [0.6875, 0.625]];

// The canvas as a picture, the game's main loop held still and the page's own controls and words out of sight.
export async function shoot(page, path) {
    await page.evaluate(() => {
        // Before the game runs there is nothing to hold, nor to let go.
        window.held = Module.calledRun;
        if (window.held) Module._fw_hold(1);
        const style = document.head.appendChild(document.createElement('style'));
        style.id = 'shooting';
        style.textContent = '#controls, #words, #share, #watching { visibility: hidden !important; }';
    });
    // WebKit shoots the picture last shown, so the page is shown without its words first.
    await animationFrames(page, 3);
    await page.screenshot({ path, clip: await boxOf(page) });
    await page.evaluate(() => { document.getElementById('shooting').remove(); if (window.held) Module._fw_hold(0); });
}

// The WebGL context taken away, and given back, as a browser may.
export const loseContext = (page) => page.evaluate(() => {
    window.losing = document.getElementById('canvas').getContext('webgl2').getExtension('WEBGL_lose_context');
    window.losing.loseContext();
});
export const restoreContext = (page) => page.evaluate(() => window.losing.restoreContext());

// A native checker's verdict: whether it holds (exit 1: not), and its measurements; any other exit fails the test.
function verdictOf(tool, args) {
    try {
        return { holds: true, text: execFileSync(tool, args).toString().trim() };
    } catch (error) {
        if (error.status !== 1) fail(`${tool} could not read ${args}: ${error.stderr}`);
        return { holds: false, text: error.stdout.toString().trim() };
    }
}
// Whether the picture shows SCREEN; whether two pictures of a frame at 1024 x 768 match (at most 1000 pixels unmatched).
export const checkScreen = (check, path, screen) => verdictOf(check, [path, screen]);
export const matchPictures = (native, a, b) => verdictOf(join(native, 'tests/e2e/picture_match'), [a, b, '1000']);

// The canvas kept as WORK/NAME.png: the share of it lit, and whether it shows a playing frame.
export async function picture(page, check, work, name) {
    const path = join(work, `${name}.png`);
    await shoot(page, path);
    const { holds, text } = checkScreen(check, path, 'playing');
    const lit = Number((100 * (1 - Number(text.match(/black ([0-9.]+)/)[1]))).toFixed(1));
    step(`  ${name}: ${lit} % lit, ${holds ? 'a playing frame' : 'no playing frame'}`);
    return { lit, playing: holds };
}

// Screenshots of the canvas until the screen checker sees SCREEN, the picture kept as WORK/SCREEN.png.
export async function waitForScreen(page, check, work, screen, limit) {
    const path = join(work, 'shot.png');
    const deadline = performance.now() + limit * 1000;
    for (;;) {
        await shoot(page, path);
        const { holds, text } = checkScreen(check, path, screen);
        if (holds) {
            console.log(`  ${text}`);
            return copyFileSync(path, join(work, `${screen}.png`));
        }
        if (performance.now() > deadline) fail(`no ${screen} screen after ${limit} s; last check: ${text}`);
    }
}

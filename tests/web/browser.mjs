// What the browser tests share: the web package served from 127.0.0.1,
// Debian's chromium driven headless with WebGL through SwiftShader (and
// Firefox and WebKit headed under Xvfb), the page's console kept, and
// screenshots, taken with the game held still, read by the native screen
// checker: a moment of the game lasts until it is seen.
import { execFile, execFileSync, spawn } from 'node:child_process';
import { copyFileSync, mkdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize } from 'node:path';
import { promisify } from 'node:util';
import { inflateRawSync } from 'node:zlib';
import { chromium } from 'playwright-core';
import puppeteer from 'puppeteer-core';

const run = promisify(execFile);

export function fail(message) {
    console.log(`FAILED: ${message}`);
    process.exit(1);
}

export const step = (text) => console.log(`${Math.round(performance.now() / 1000)}s: ${text}`);

// A fresh folder; the package unzipped into it, the folder holding index.html returned.
export function unzipPackage(zip, work) {
    rmSync(work, { recursive: true, force: true });
    mkdirSync(work, { recursive: true });
    execFileSync('unzip', ['-q', zip, '-d', join(work, 'site')]);
    const index = execFileSync('find', [join(work, 'site'), '-name', 'index.html']).toString().trim();
    if (!index) fail(`no index.html in ${zip}`);
    return index.slice(0, -'/index.html'.length);
}

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png',
    '.webmanifest': 'application/manifest+json' };

// A plain static server on a port of its own: no special headers; `head`
// goes first in index.html's head.
export async function serve(folder, head = '') {
    const server = createServer((request, response) => {
        const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)).replace(/\/$/, '/index.html');
        try {
            const file = readFileSync(join(folder, path));
            const body = path === '/index.html' ? String(file).replace('<head>', `<head>${head}`) : file;
            response.writeHead(200, { 'Content-Type': types[extname(path)] ?? 'text/plain' });
            response.end(body);
        } catch {
            response.writeHead(404);
            response.end();
        }
    });
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    return { url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

// No network beyond the page's own server on this machine.
const chromiumArgs = ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
    '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run', '--disable-quic'];

export async function launch(args = []) {
    return chromium.launch({ executablePath: '/usr/bin/chromium', args: [...chromiumArgs, ...args] });
}

// A browser with a profile of its own, which keeps what a page installs, as a player's does.
export async function launchProfile(folder, options = {}) {
    return chromium.launchPersistentContext(folder, { executablePath: '/usr/bin/chromium', args: chromiumArgs, ...options });
}

// Processes of the test's own, each in a group of its own, ended with all
// they started when the test ends, however it ends.
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

// An X server for a headed browser, on the first free display: 24-bit
// colour and GLX, through which Mesa's llvmpipe draws Firefox's and WebKit's WebGL.
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

// Firefox's own traffic off, beyond what puppeteer's profile turns off:
// updates, telemetry, studies, captive portal and connectivity checks,
// region and add-on lookups, DNS over HTTPS, prefetching, remote settings.
const firefoxPrefs = {
    'app.update.auto': false, 'app.normandy.enabled': false, 'toolkit.telemetry.enabled': false,
    'toolkit.telemetry.unified': false, 'toolkit.telemetry.server': '', 'browser.ping-centre.telemetry': false,
    'network.captive-portal-service.enabled': false, 'network.connectivity-service.enabled': false,
    'extensions.systemAddon.update.enabled': false, 'browser.region.update.enabled': false,
    'browser.region.network.url': '', 'network.trr.mode': 5, 'network.dns.disablePrefetch': true,
    'network.prefetch-next': false, 'media.gmp-manager.url': '', 'browser.safebrowsing.update.enabled': false,
    'services.settings.server': 'data:,#remote-settings-dummy/v1',
};

// Firefox ESR over WebDriver BiDi, headed (headless it has no WebGL), with a
// fresh profile in FOLDER, refusing any connection off this machine (which
// also makes it take the settings server above). Each page in a window of
// its own, as a background tab gets no animation frames; one at a time, as
// in WebKit.
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

// WebDriver classic reports no console, and MiniBrowser writes it out only
// outside automation: for WebKit the page keeps its console lines itself,
// by this script first in its head, and hands them over with each script run.
const consoleKeeper = `<script>window.kept = [];
for (const type of ['log', 'info', 'warn', 'error']) {
    const said = console[type];
    console[type] = (...words) => { kept.push([type, words.join(' ')]); said.apply(console, words); };
}
addEventListener('error', (event) => kept.push(['error', String(event.error ?? event.message)]));
</script>`;

// WebKitGTK's MiniBrowser in automation mode, through WebKitWebDriver
// (classic WebDriver over HTTP): one window, whose pages offer what the
// shared helpers use of a Playwright page.
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

    // A page as the shared helpers use it; one at a time, in the one window.
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
        // The tests take the canvas alone here (shoot's clip), which WebDriver shoots as an element.
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

// Firefox or WebKit, whose open(URL, VIEWPORT) gives a page of that size on
// URL in place of the one before, and the head the pages' server must add.
export const launchEngine = (engine, work) => (engine === 'firefox' ? launchFirefox(join(work, 'profile')) : launchWebKit());

// The page's recording, from its console (?record), as a file's text.
export const recordingOf = (page) => page.lines.filter((line) => /^(pace|window|[0-9]+ )/.test(line)).join('\n') + '\n';

// What the page shows beside the game (its status export), or null before the game runs.
export const gameStatus = (page) =>
    page.evaluate(() => (Module.calledRun ? JSON.parse(Module.ccall('fw_status', 'string', [], [])) : null));

// The summary a playback prints once its last line has played.
export const summaryOf = (page) => page.lines.find((line) => line.includes('"outcomesChecked":'));

// The recording a link holds, as the page unpacks it.
export function linkedRecording(link) {
    const packed = link.slice(link.indexOf('#round=') + '#round='.length).replace(/-/g, '+').replace(/_/g, '/');
    return inflateRawSync(Buffer.from(packed, 'base64')).toString();
}

// fusewalker-replay's summary of a recording replayed headless, or its
// failure; the browser's pages go on meanwhile.
export async function replayNatively(native, data, recording, args = []) {
    try {
        return (await run(join(native, 'tools/fusewalker-replay'), ['--data', data, '--script', recording, ...args])).stdout.trim();
    } catch (error) {
        return `exit ${error.code}: ${error.stderr}`;
    }
}

// The page's console lines kept in page.lines, its errors in page.errors.
export function listen(page) {
    Object.assign(page, { lines: [], errors: [] });
    page.on('console', (message) => (message.type() === 'error' ? page.errors : page.lines).push(message.text()));
    page.on('pageerror', (error) => page.errors.push(String(error)));
    return page;
}

// A page on url in a fresh context, listened to.
export async function open(browser, url, options = {}) {
    const context = await browser.newContext({ viewport: { width: 1024, height: 768 }, ...options });
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
        if (performance.now() > deadline) fail(`${what} after ${limit} s`);
        await new Promise((resolve) => setTimeout(resolve, 200));
    }
}

// The game's own frames: after this, at least n have followed what came before, at any pace.
export async function frames(page, n) {
    const start = (await gameStatus(page)).frames;
    await waitFor(`${n} frames`, 120, async () => (await gameStatus(page)).frames >= start + n);
}

// The browser's animation frames, which the game waits on while it has no context.
export const animationFrames = (page, n) =>
    page.evaluate((n) => new Promise((resolve) => {
        const next = (left) => (left ? requestAnimationFrame(() => next(left - 1)) : resolve());
        next(n);
    }), n);

// An element's box on the page, in CSS pixels: the canvas's by default.
export const boxOf = (page, id = 'canvas') => page.evaluate((id) => {
    const { x, y, width, height } = document.getElementById(id).getBoundingClientRect();
    return { x, y, width, height };
}, id);
export const canvasBox = (page) => boxOf(page);

// A point on a box, by its share of the box's width and height.
export const pointAt = (box, fx, fy) => [Math.round(box.x + fx * box.width), Math.round(box.y + fy * box.height)];
// Where a click starts play on the title, and three people across the crowd, on the canvas.
export const titleSpot = [0.5, 0.39];
export const crowdSpots = [[0.3125, 0.547], [0.5, 0.586], [0.6875, 0.625]];

// The page, or the canvas alone (clip), as a picture: the game's main loop
// held still, and the page's own controls and words out of sight.
export async function shoot(page, path, clip = false) {
    await page.evaluate(() => {
        // Before the game runs there is nothing to hold, nor to let go.
        window.held = Module.calledRun;
        if (window.held) Module._fw_hold(1);
        const style = document.head.appendChild(document.createElement('style'));
        style.id = 'shooting';
        style.textContent = '#controls, #words, #share, #watching { visibility: hidden !important; }';
    });
    await page.screenshot({ path, clip: clip ? await canvasBox(page) : undefined });
    await page.evaluate(() => {
        document.getElementById('shooting').remove();
        if (window.held) Module._fw_hold(0);
    });
}

// The WebGL context taken away, and given back, as a browser may.
export const loseContext = (page) => page.evaluate(() => {
    window.losing = document.getElementById('canvas').getContext('webgl2').getExtension('WEBGL_lose_context');
    window.losing.loseContext();
});
export const restoreContext = (page) => page.evaluate(() => window.losing.restoreContext());

// The native screen checker's verdict: whether the picture shows SCREEN, and its measurements.
export function checkScreen(check, path, screen) {
    try {
        return { holds: true, verdict: execFileSync(check, [path, screen]).toString().trim() };
    } catch (error) {
        if (error.status !== 1) fail(`the screen checker could not read ${path}: ${error.stderr}`);
        return { holds: false, verdict: error.stdout.toString().trim() };
    }
}

// The canvas kept as WORK/NAME.png: the share of it lit, and whether it shows a playing frame.
export async function picture(page, check, work, name) {
    const path = join(work, `${name}.png`);
    await shoot(page, path, true);
    const { holds, verdict } = checkScreen(check, path, 'playing');
    const lit = Number((100 * (1 - Number(verdict.match(/black ([0-9.]+)/)[1]))).toFixed(1));
    step(`  ${name}: ${lit} % lit, ${holds ? 'a playing frame' : 'no playing frame'}`);
    return { lit, playing: holds };
}

// picture_match's verdict on two pictures of a frame at 1024 x 768: whether
// they match (at most 1000 pixels unmatched), and its count.
export function matchPictures(native, a, b) {
    try {
        return { same: true, text: execFileSync(join(native, 'tests/e2e/picture_match'), [a, b, '1000']).toString().trim() };
    } catch (error) {
        if (error.status !== 1) fail(`picture_match could not compare ${a} and ${b}: ${error.stderr}`);
        return { same: false, text: error.stdout.toString().trim() };
    }
}

let lastVerdict = '';
// The screen checker recognises SCREEN on the canvas, in a new screenshot.
export async function shows(page, check, work, screen) {
    const path = join(work, 'shot.png');
    await shoot(page, path, true);
    const { holds, verdict } = checkScreen(check, path, screen);
    lastVerdict = verdict;
    if (holds) {
        console.log(`  ${verdict}`);
        copyFileSync(path, join(work, `${screen}.png`));
    }
    return holds;
}

export async function waitForScreen(page, check, work, screen, limit) {
    const deadline = performance.now() + limit * 1000;
    while (!(await shows(page, check, work, screen)))
        if (performance.now() > deadline) fail(`no ${screen} screen after ${limit} s; last check: ${lastVerdict}`);
}

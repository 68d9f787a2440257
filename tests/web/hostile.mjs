// Rounds from the hostile side, each as a link, as a dropped file and as
// ?play=: the table tests/replay/hostile_rounds.sh writes (far from, a far
// line, floods of size messages and clicks, a maximal legal round), a bomb,
// and damaged links. For each: the page's words within 2 s of the game's
// start, no long task over 100 ms and no script call unanswered for 1 s
// meanwhile, no uncaught error, nothing of the round's text run; then the
// end of the replay, or "Stop watching", and a click that plays.
//
//   node hostile.mjs PACKAGE.zip NATIVE_BUILD DATA_DIR WORK_DIR
import { execFileSync } from 'node:child_process';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { deflateRawSync } from 'node:zlib';
import { fail, gameStatus, launch, listen, serve, step, unzipPackage, waitFor } from './browser.mjs';

const [zip, , , work] = process.argv.slice(2);
const site = unzipPackage(zip, work);
const here = new URL('.', import.meta.url).pathname;
const linkOf = (bytes) => `#round=${deflateRawSync(bytes).toString('base64url')}`;
const rounds = execFileSync('bash', [join(here, '../replay/hostile_rounds.sh'), join(site, 'hostile')]).toString().trim()
    .split('\n').map((line) => line.split('\t'))
    .map(([name, expect]) => [name, readFileSync(join(site, `hostile/${name}.rec`)), expect]);
const bomb = Buffer.alloc(64 << 20, 'a');
writeFileSync(join(site, 'hostile/bomb.rec'), bomb);
rounds.push(['bomb', bomb, 'larger than 1 MB']);
const damaged = [
    ['not base64url', '#round=%3Cscript%3E', 'not base64url'],
    ['empty', '#round=', 'holds no round'],
    ['not DEFLATE', `#round=${Buffer.from('not deflate at all').toString('base64url')}`, 'does not unpack'],
    ['cut short', linkOf(readFileSync(join(site, 'hostile/maximal.rec'))).slice(0, 47), 'does not unpack'],
    ['longer than any', `#round=${'A'.repeat(1500000)}`, 'longer than any round'],
    ['not a recording', linkOf(Buffer.from('<img src=x onerror="window.ran=1">\n')), 'cannot be played'],
];
const server = await serve(site);
const browser = await launch();

// A page at `url` (after `then`, for a drop), watched until `done` settles:
// how long a script call waits and the long tasks, after the page's start-up
// (the WebGL context, the .wasm, the first frame's shaders: the browser's
// work, a page with no round has it too); with the game's own measure of its
// longest animation frame and of reading the recording.
async function visit(url, done, then = async () => {}) {
    const context = await browser.newContext({ viewport: { width: 256, height: 192 } });
    await context.addInitScript(() => {
        window.longest = 0;
        new PerformanceObserver((list) => list.getEntries().forEach((task) => {
            const started = performance.getEntriesByName('fusewalker-first-frame')[0];
            if (started && task.startTime > started.startTime) window.longest = Math.max(window.longest, task.duration);
        })).observe({ type: 'longtask' });
    });
    const page = listen(await context.newPage());
    page.uncaught = [];
    page.on('pageerror', (error) => page.uncaught.push(String(error)));
    await page.goto(url);
    let watching = true;
    let slowest = 0;
    let longest = 0;
    const pinging = (async () => {
        while (watching) {
            const sent = performance.now();
            const [tasks, started] = await page.evaluate(() =>
                [window.longest, performance.getEntriesByName('fusewalker-first-frame').length > 0]).catch(() => [0, false]);
            longest = Math.max(longest, tasks);
            if (started) slowest = Math.max(slowest, performance.now() - sent);
            await new Promise((resolve) => setTimeout(resolve, 100));
        }
    })();
    await then(page);
    const result = await done(page);
    watching = false;
    await pinging;
    const game = await gameStatus(page);
    const figures = `longest task ${Math.round(longest)} ms, slowest call ${Math.round(slowest)} ms, the game's longest `
        + `frame ${game.longestFrameMs} ms, its recording read in ${game.recordingReadMs} ms`;
    if (longest > 100 || slowest > 1000 || game.longestFrameMs > 100 || game.recordingReadMs > 100 || page.uncaught.length
        || await page.evaluate(() => window.ran)) fail(`${url.slice(0, 80)}: ${figures}; ${page.uncaught}`);
    await context.close();
    return `${result}; ${figures}`;
}

// The page's words, and when they came after the game started (or before: negative).
async function words(page, what, wanted) {
    const start = performance.now();
    let ran = 0;
    const text = await waitFor(`${what}: no "${wanted}"`, 120, async () => {
        ran ||= (await gameStatus(page).catch(() => null)) ? performance.now() : 0;
        const said = await page.locator('#words').innerText().catch(() => '');
        return said.includes(wanted) && said.replace(/\s+/g, ' ');
    });
    const after = ((performance.now() - (ran || start)) / 1000).toFixed(2);
    if (after > 2) fail(`${what}: "${text}" came ${after} s after the game started`);
    return [text, after];
}

// A click on the game that starts play, once the replay has left it.
async function plays(page, what) {
    await waitFor(`${what}: the game does not run`, 60, () => gameStatus(page).then((s) => s?.playback !== 'playing' && s?.frames > 0));
    await page.mouse.click(128, 120);
    await waitFor(`${what}: a click does not play`, 60, () => gameStatus(page).then((s) => s.state === 1));
}

const ways = {
    link: (bytes) => [server.url + linkOf(bytes)],
    play: (bytes, name) => [`${server.url}?play=hostile/${name}.rec`],
    drop: (bytes) => [server.url, (page) => waitFor('no game to drop on', 60, () => gameStatus(page)).then(() => page.evaluate(
        (text) => {
            const transfer = new DataTransfer();
            transfer.items.add(new File([text], 'round.rec'));
            document.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
        }, bytes.length > 1 << 20 ? 'x'.repeat(bytes.length) : bytes.toString()))],
};

const cases = [];
for (const [name, bytes, expect] of rounds)
    for (const [way, make] of Object.entries(ways))
        cases.push([`${name} as ${way}`, ...make(bytes, name).concat([undefined]).slice(0, 2), expect]);
for (const [name, fragment, expect] of damaged)
    cases.push([`a link ${name}`, server.url + fragment, undefined, expect]);

async function check([what, url, then, expect]) {
    const verdict = await visit(url, async (page) => {
        if (!expect.startsWith('plays')) {
            const [text, after] = await words(page, what, expect);
            await plays(page, what);
            return `"${text}" ${after} s after the start`;
        }
        // A round shown from far on plays at once to its one outcome; the
        // maximal one waits an hour for its last, and is stopped.
        const long = expect === 'plays 2';
        const [said, after] = await words(page, what, long ? 'Replay:' : 'Replay verified: score 0.');
        const shown = await waitFor(`${what}: no frame shown`, 60, () => gameStatus(page).then((s) => !s.catchingUp && s.frames > s.shownFrom && s));
        let end = said;
        if (long) {
            await waitFor(`${what}: no outcome checked`, 60, () => gameStatus(page).then((s) => s.checked === 1));
            await page.locator('#stop-watching').click();
            [end] = await words(page, what, 'Replay stopped');
        }
        await plays(page, what);
        return `words ${after} s after the start, shown from frame ${shown.shownFrom}; "${end}"`;
    }, then);
    step(`${what}: ${verdict}`);
}
// One at a time: the page's time is what is measured.
for (const each of cases)
    await check(each);
await browser.close();
server.close();
step(`passed: ${cases.length} hostile rounds refused with their words or played, the page answering throughout`);

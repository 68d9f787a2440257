// Hostile rounds as links, dropped files and ?play=: tests/replay/hostile_rounds.sh's table, a bomb,
// damaged links, ?play= servers that stall or send too much. Each said within 2 s of the game's start,
// no task over 100 ms of work (how late a call of the page's script came is told), no uncaught error,
// nothing of the round's text run; then the replay's end, or "Stop watching", and a click that plays.
import { readFileSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { join } from 'node:path';
import { drop, fail, gameStatus, here, launch, open, roundFragment as linkOf, serve, setUp, step, waitFor } from './browser.mjs';
import { hostileRounds } from '../hall/hall.mjs';

const { site } = setUp();
const rounds = hostileRounds(join(here, '../..'), join(site, 'hostile'))
    .map(({ name, text, expect }) => [name, Buffer.from(text), expect]);
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
// A server that stalls halfway through a recording, and one that sends more
// than 1 MB without saying how much: both to a page of another origin.
const awkward = createServer((request, response) => {
    response.writeHead(200, { 'Access-Control-Allow-Origin': '*', 'Content-Type': 'text/plain' });
    if (request.url === '/stall.rec') return response.write('pace 60\n0 click 1 1\n');
    for (let i = 0; i < 40; ++i) response.write(`${i} move 1 1\n`.padEnd(65536, '#'));
    response.end();
});
await new Promise((resolve) => awkward.listen(0, '127.0.0.1', resolve));
const awkwardUrl = `http://127.0.0.1:${awkward.address().port}`;
damaged.push(['?play= that stalls', `?play=${awkwardUrl}/stall.rec`, 'sent nothing for 10 s'],
    ['?play= that never ends', `?play=${awkwardUrl}/flood.rec`, 'larger than 1 MB']);
const browser = await launch();

// The most work, in ms of CPU time, of the page's main thread in one task after its start-up and the
// test's drop: on a loaded machine a task's length also holds its thread's wait for a core.
function longestWork(trace) {
    const events = JSON.parse(trace).traceEvents;
    const marks = events.filter((e) => e.name === 'fusewalker-first-frame' || e.name === 'test-dropped')
        .sort((a, b) => a.ts - b.ts);
    const last = marks.at(-1);
    if (!marks.some((e) => e.name === 'fusewalker-first-frame')) return 0;
    return Math.max(0, ...events.filter((e) => e.name === 'ThreadControllerImpl::RunTask' && e.ph === 'X'
        && e.pid === last.pid && e.tid === last.tid && e.ts > last.ts).map((e) => (e.tdur ?? e.dur ?? 0) / 1000));
}

// A page at `url` (after `then`, for a drop), watched from its first frame (before it the work is the
// browser's, as on a page with no round) until `done` settles: its longest task, by its observer and
// by the work in it, how late a timer every 100 ms came, and the game's own figures.
async function visit(url, done, then = async () => {}) {
    await browser.startTracing(undefined, { categories: ['toplevel', 'blink.user_timing'] });
    const page = await open(browser, url, { viewport: { width: 256, height: 192 } }, [() => {
        const started = () => performance.getEntriesByName('fusewalker-first-frame').length > 0;
        window.longest = 0;
        window.latest = 0;
        // Not the test's own work either: the file it drops, made in the page.
        const after = (name) => performance.getEntriesByName(name)[0]?.startTime ?? 0;
        new PerformanceObserver((list) => list.getEntries().forEach((task) => {
            if (started() && task.startTime > after('fusewalker-first-frame') && task.startTime > after('test-dropped'))
                window.longest = Math.max(window.longest, task.duration);
        })).observe({ type: 'longtask' });
        // When the page said what: a test's look at the page may come late on a loaded machine.
        window.said = [];
        new MutationObserver(() => {
            const text = document.getElementById('words')?.textContent ?? '';
            if (text !== window.said.at(-1)?.[1]) window.said.push([performance.now(), text]);
        }).observe(document, { subtree: true, childList: true, characterData: true });
        let due = 0;
        setInterval(() => {
            const now = performance.now();
            if (due) window.latest = Math.max(window.latest, now - due);
            due = started() ? now + 100 : 0;
        }, 100);
    }]);
    let [longest, latest] = [0, 0];
    const read = async () => {
        const [tasks, late] = await page.evaluate(() => [window.longest, window.latest]).catch(() => [0, 0]);
        [longest, latest] = [Math.max(longest, tasks), Math.max(latest, late)];
    };
    await then(page);
    await read();
    const result = await done(page);
    await read();
    const game = await waitFor('the game does not start', 60, () => gameStatus(page)); // words can come before it
    const work = longestWork(await browser.stopTracing());
    const figures = `longest task ${Math.round(longest)} ms, its most work ${Math.round(work)} ms, a call `
        + `${Math.round(latest)} ms late at most, the game's longest frame ${game.longestFrameMs} ms, its recording `
        + `read in ${game.recordingReadMs} ms`;
    if (work > 100 || page.uncaught.length || await page.evaluate(() => window.ran))
        fail(`${url.slice(0, 80)}: ${figures}; ${page.uncaught}`);
    // The game is the viewer's once the replay has left it: a click plays (its first crowd drawn outside
    // the figures), below the words, which a narrow page wraps over much of the game.
    const what = url.slice(0, 80);
    await waitFor(`${what}: the game does not run`, 60, () => gameStatus(page).then((s) => s?.playback !== 'playing' && s?.frames > 0));
    await page.mouse.click(240, 184);
    await waitFor(`${what}: a click does not play`, 60, () => gameStatus(page).then((s) => s.state === 1));
    await page.context().close();
    return `${result}; ${figures}`;
}

// The page's words, and when it said them after the game's first frame (before it: negative), the file
// dropped on it or the click, by the page's own clock: a dropped round starts the page again, and the
// time is the new page's.
async function words(page, what, wanted, afterClick = false) {
    let after = 0;
    const text = await waitFor(`${what}: no "${wanted}"`, 120, async () => {
        const [said, at, since] = await page.evaluate(([wanted, afterClick]) => [
            document.getElementById('words').innerText, window.said.find(([, text]) => text.includes(wanted))?.[0],
            afterClick ? window.clicked : performance.getEntriesByName('fusewalker-first-frame')
                .concat(performance.getEntriesByName('test-dropped')).at(-1)?.startTime],
        [wanted, afterClick]).catch(() => ['', undefined, undefined]);
        after = since === undefined || at === undefined ? 0 : (at - since) / 1000;
        return said.includes(wanted) && said.replace(/\s+/g, ' ');
    });
    if (after > 2) fail(`${what}: "${text}" came ${after.toFixed(2)} s after ${afterClick ? 'the click' : "the game's first frame"}`);
    return [text, after.toFixed(2)];
}

const ways = {
    link: (bytes) => [server.url + linkOf(bytes)],
    play: (bytes, name) => [`${server.url}?play=hostile/${name}.rec`],
    // A file over 1 MB is made in the page, of its size.
    drop: (bytes) => [server.url, (page) => waitFor('no game to drop on', 60, () => gameStatus(page))
        .then(() => (bytes.length > 1 << 20 ? drop(page, '', bytes.length) : drop(page, bytes.toString())))],
};

const cases = [];
for (const [name, bytes, expect] of rounds)
    for (const [way, make] of Object.entries(ways)) cases.push([`${name} as ${way}`, expect, ...make(bytes, name)]);
for (const [name, fragment, expect] of damaged)
    cases.push([fragment.startsWith('?') ? name : `a link ${name}`, expect, server.url + fragment]);

async function check([what, expect, url, then]) {
    const verdict = await visit(url, async (page) => {
        if (!expect.startsWith('plays')) {
            const [text, after] = await words(page, what, expect);
            return `"${text}" ${after} s after the first frame`;
        }
        // A round shown from far on plays at once to its one outcome; the maximal one waits an hour for its last, and is stopped.
        const long = expect === 'plays 2';
        const [said, after] = await words(page, what, long ? 'Replay:' : 'Replay verified: score 0.');
        const shown = await waitFor(`${what}: no frame shown`, 60, () => gameStatus(page).then((s) => !s.catchingUp && s.frames > s.shownFrom && s));
        let end = said;
        if (long) {
            await waitFor(`${what}: no outcome checked`, 60, () => gameStatus(page).then((s) => s.checked === 1));
            await page.evaluate(() => document.getElementById('stop-watching')
                .addEventListener('click', () => window.clicked = performance.now(), { capture: true }));
            await page.locator('#stop-watching').click();
            [end] = await words(page, what, 'Replay stopped', true);
        }
        return `words ${after} s after the first frame, shown from frame ${shown.shownFrom}; "${end}"`;
    }, then);
    step(`${what}: ${verdict}`);
}
// One at a time: the page's time is what is measured.
for (const each of cases)
    await check(each);
await browser.close();
server.close();
awkward.closeAllConnections();
awkward.close();
step(`passed: ${cases.length} hostile rounds refused with their words or played, the page answering throughout`);

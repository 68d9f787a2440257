// The page's pace in virtual time, an init script standing in for the display: a round played at 60 Hz
// and shared, its link replayed at 30 to 240 Hz at 60 game frames a second within 1 %, each frame shown
// for a steady count of refreshes, the round lasting the same seconds on every display.
import { fail, gameStatus, launch, open, serve, setUp, step, waitFor } from './browser.mjs';

const { site } = setUp();
const server = await serve(site);
const browser = await launch();

// A page on a virtual display of `hz` refreshes a second.
async function display(hz, url) {
    const page = await open(browser, url, { viewport: { width: 160, height: 120 } }, [(hz) => {
        let now = 1000;
        let waiting = [];
        performance.now = () => now;
        window.requestAnimationFrame = (callback) => waiting.push(callback);
        // `n` refreshes, or fewer once `until` holds of the game's status; the game's frame count after each.
        window.refresh = (n, until) => {
            const frames = [];
            const stop = until && new Function('status', `return ${until}`);
            for (let i = 0; i < n; ++i) {
                now += 1000 / hz;
                const due = waiting;
                waiting = [];
                due.forEach((callback) => callback(now));
                const status = JSON.parse(Module.ccall('fw_status', 'string', [], []));
                frames.push(status.frames);
                if (stop && stop(status)) break;
            }
            return frames;
        };
    }, hz]);
    await waitFor('the game does not start', 120, () => gameStatus(page));
    return page;
}
const refresh = (page, n, until) => page.evaluate(([n, until]) => window.refresh(n, until), [n, until]);
const press = (page, x, y) => page.evaluate(([x, y]) => Module._fw_pointer_press(x, y, 160, 120), [x, y]);

step('a round played by pointer at 60 Hz, and shared');
const player = await display(60, server.url);
// Each press at a frame of its own: the title's, then three people.
for (const [frame, x, y] of [[10, 80, 60], [20, 40, 58], [21, 80, 58], [22, 120, 58]]) {
    await refresh(player, 600, `status.frames >= ${frame}`);
    await press(player, x, y);
}
await refresh(player, 10000, 'status.state === 2');
const text = await player.evaluate(() => Module.ccall('fw_shared_round', 'string', [], []));
const link = await player.evaluate((text) => RoundLinks.linkFor(text), text);
const [, outcome, score] = text.match(/\n([0-9]+) outcome state 2 score ([0-9]+) explosions 3\n/) ?? [];
if (!outcome || !text.startsWith('pace 60\n') || player.errors.length) fail(`the round shared: ${text} ${player.errors}`);
await player.context().close();
step(`  its recording at pace 60, its outcome at frame ${outcome}: ${Number(outcome) + 1} frames, ${((Number(outcome) + 1) / 60).toFixed(2)} s`);

const lengths = [];
for (const hz of [30, 60, 90, 120, 144, 240]) {
    const page = await display(hz, link);
    const frames = await refresh(page, 100 * hz, 'status.playback !== "playing"');
    // Refreshes each frame is shown for (0: shown in no refresh of its own).
    const shown = {};
    let last = 0;
    frames.forEach((count, refresh) => {
        if (count === frames[refresh - 1]) return;
        shown[refresh - last] = (shown[refresh - last] ?? 0) + 1;
        shown[0] = (shown[0] ?? 0) + count - (frames[refresh - 1] ?? 0) - 1;
        last = refresh;
    });
    const seconds = frames.length / hz;
    const rate = (frames.at(-1) - frames[0]) / ((frames.length - 1) / hz);
    const summary = page.lines.find((line) => line.includes('"outcomesChecked":1'));
    step(`  ${hz} Hz: ${rate.toFixed(2)} frames a second, the round over in ${seconds.toFixed(2)} s; refreshes a frame is `
        + `shown for: ${JSON.stringify(shown)}; ${summary}`);
    // Steady: the counts of refreshes that recur are one pattern, such as 2 and 3.
    const recurring = Object.keys(shown).filter((count) => count > 0 && shown[count] > 2).map(Number);
    if (Math.abs(rate - 60) > 0.6 || Math.max(...recurring) - Math.min(...recurring) > 1
        || !summary?.includes(`"score":${score},`) || page.errors.length)
        fail(`${hz} Hz: ${rate} frames a second, ${summary} ${page.errors}`);
    lengths.push(seconds);
    await page.context().close();
}
if (Math.max(...lengths) - Math.min(...lengths) > 0.1) fail(`the round lasts ${lengths} s`);
await browser.close();
server.close();
step('passed: 60 frames a second on every display, and the round lasts the same seconds');

// Frames a second of the playing crowd in headless chromium: the page plays
// docs/playing.script, and animation frames (one game frame each) are
// counted over ten seconds from the third, through the fuses, the blasts
// and the falls. Beside the rate, the page's main thread's busy time per
// frame (Chrome's TaskDuration), the part of a frame that is the game's own
// work and WebGL's hand-over; the rest is the GPU process drawing.
//
//   node bench/web_fps.mjs PAGE_DIR WIDTHxHEIGHT...
import { copyFileSync } from 'node:fs';
import { join } from 'node:path';
import { launch, open, serve } from '../tests/web/browser.mjs';

const [site, ...sizes] = process.argv.slice(2);
const here = new URL('.', import.meta.url).pathname;
copyFileSync(join(here, '../docs/playing.script'), join(site, 'playing.script'));
const server = await serve(site);
const browser = await launch();
for (const size of sizes) {
    const [width, height] = size.split('x').map(Number);
    const page = await open(browser, `${server.url}?play=playing.script`, { viewport: { width, height } });
    const cdp = await page.context().newCDPSession(page);
    await cdp.send('Performance.enable');
    const busy = async () => (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value;
    // Animation frames counted for `ms` milliseconds.
    const frames = (ms) => page.evaluate((ms) => new Promise((resolve) => {
        let count = 0;
        const start = performance.now();
        const tick = (now) => {
            ++count;
            if (now - start < ms) requestAnimationFrame(tick);
            else resolve(count);
        };
        requestAnimationFrame(tick);
    }), ms);
    await frames(3000);
    const before = await busy();
    const counted = await frames(10000);
    const mainThread = (1000 * ((await busy()) - before)) / counted;
    console.log(`chromium (WebGL 2 on SwiftShader), ${width} x ${height}: ${(counted / 10).toFixed(1)} frames a second, ` +
        `the page's main thread busy ${mainThread.toFixed(1)} ms a frame`);
    if (page.errors.length) throw new Error(`errors on the page's console: ${page.errors}`);
    await page.close();
}
await browser.close();
server.close();

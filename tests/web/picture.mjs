// A frame of docs/playing.script drawn in the browser against the native
// replay's picture of the same frame. The rasterizers differ at edges, so
// the pictures are held to picture_match's one-pixel, colour-tolerant
// measure; it must also tell wrong pictures apart: frames ten before and
// after, and the native frame drawn without its texture. The same frame on
// phone-shaped pages is left for the README (phone-*.png).
//
//   node picture.mjs PACKAGE.zip NATIVE_BUILD DATA_DIR WORK_DIR
import { execFileSync } from 'node:child_process';
import { copyFileSync, mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { fail, launch, matchPictures, open, serve, step, unzipPackage, waitFor } from './browser.mjs';

const [zip, native, data, work] = process.argv.slice(2);
const site = unzipPackage(zip, work);
const here = new URL('.', import.meta.url).pathname;
copyFileSync(join(here, '../../docs/playing.script'), join(site, 'playing.script'));
// On a page of another shape, the clicks mapped as on the 1024 x 768 display.
writeFileSync(join(site, 'phone.script'), readFileSync(join(site, 'playing.script'), 'utf8')
    .replace('window 1024 768\n', 'window 1024 768\n0 display 1024 768\n'));

step('the native frames: with the texture, and without');
const replay = (dataDir, out) => execFileSync(join(native, 'tools/fusewalker-replay'), ['--data', dataDir, '--script',
    join(site, 'playing.script'), '--frames', '61', '--png-at', '60', '--out', out]);
replay(data, join(work, 'native'));
mkdirSync(join(work, 'plain'));
copyFileSync(join(data, 'ragdoll.rag'), join(work, 'plain/ragdoll.rag'));
replay(join(work, 'plain'), join(work, 'native-plain'));

const server = await serve(site);
const browser = await launch();
const shot = async (frame, script = 'playing.script', name = `browser-${frame}`, options = {}) => {
    const page = await open(browser, `${server.url}?play=${script}&pause=${frame}`, options);
    await waitFor(`not paused after frame ${frame}`, 120, () => page.lines.includes(`paused after frame ${frame}`));
    // The page's controls and words are not part of the game's picture.
    await page.addStyleTag({ content: '#controls, #words { visibility: hidden }' });
    const path = join(work, `${name}.png`);
    await page.screenshot({ path });
    if (page.errors.length) fail(`errors on the console: ${page.errors}`);
    await page.close();
    return path;
};
const nativeFrame = join(work, 'native/frame-60.png');
for (const [name, picture, reference, same] of [
    ['frame 60', await shot(60), nativeFrame, true],
    ['frame 50', await shot(50), nativeFrame, false],
    ['frame 70', await shot(70), nativeFrame, false],
    ['frame 60 without its texture', join(work, 'browser-60.png'), join(work, 'native-plain/frame-60.png'), false],
]) {
    const result = matchPictures(native, picture, reference);
    step(`${name}: ${result.text}`);
    if (result.same !== same) fail(`${name} ${same ? 'does not match' : 'matches'} the native frame 60`);
}
await shot(60, 'phone.script', 'phone-landscape', { viewport: { width: 844, height: 390 }, hasTouch: true, isMobile: true });
await shot(60, 'phone.script', 'phone-portrait', { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true });
await browser.close();
server.close();
step('passed: the browser draws frame 60 as the native game does, and the wrong pictures are told apart');

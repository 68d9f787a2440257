// A frame of docs/playing.script drawn in the browser against the native replay's, by picture_match's
// measure (the rasterizers differ at edges), which must tell apart frames ten before and after and the
// frame without its texture. The frame on phone-shaped pages is left for the README (phone-*.png).
import { execFileSync } from 'node:child_process';
import { copyFileSync, mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { fail, here, launch, matchPictures, open, serve, setUp, step, waitFor } from './browser.mjs';

const { native, data, work, site } = setUp();
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
    if (result.holds !== same) fail(`${name} ${same ? 'does not match' : 'matches'} the native frame 60`);
}
for (const [name, width, height] of [['landscape', 844, 390], ['portrait', 390, 844]])
    await shot(60, 'phone.script', `phone-${name}`, { viewport: { width, height }, hasTouch: true, isMobile: true });
await browser.close();
server.close();
step('passed: the browser draws frame 60 as the native game does, and the wrong pictures are told apart');

// The hall killed under load (SQLite): started again, it has every round it answered 201, none twice, and a
// sound file. Its PostgreSQL stopped and started under load: 503 meanwhile, then rounds kept by the same process.
//   with_postgres.sh node faults.mjs HALL REPLAY DATA SOURCE WORK
import { execFile, execFileSync } from 'node:child_process';
import { promisify } from 'node:util';
import { check, post, postgresDb, recordings, request, sleep, startHall, testArgs, until, variant } from './hall.mjs';

const { bin, tool, data, source, work } = testArgs();
const recs = recordings(tool, data, source, work);
const common = ['--data', data, '--rate', '1000000'];

// Killed mid-load.
const db = `${work}/kill.db`;
const texts = Array.from({ length: 24 }, (_, i) => variant(recs[0].text, i));
let hall = await startHall(bin, ['--db', db, ...common]);
const answered = new Map(); // text -> id answered 201
let next = 0, killed = 0, lost = 0;
await Promise.all(Array.from({ length: 10 }, async () => {
    while (next < texts.length && !killed) {
        const text = texts[next++];
        const r = await post(hall.url, { name: 'k', recording: text }).catch(() => null);
        lost += r === null;
        if (r?.status === 201)
            answered.set(text, r.json.id);
        if (answered.size >= 6 && !killed) {
            killed = answered.size;
            hall.proc.kill('SIGKILL');
        }
    }
}));
check(await hall.exited === 'SIGKILL', 'the hall was killed');
hall = await startHall(bin, ['--db', db, ...common]);
for (const [text, id] of answered) {
    const r = await post(hall.url, { name: 'again', recording: text });
    check(r.status === 200 && r.json.id === id, `a round answered 201 (id ${id}) is kept once: ${r.status} ${r.text}`);
}
for (const text of texts.filter((t) => !answered.has(t))) {
    const r = await post(hall.url, { name: 'rest', recording: text });
    check(r.status === 201 || r.status === 200, `the rest: ${r.status} ${r.text}`);
}
const list = (await request(`${hall.url}/api/rounds?top=100`)).json;
check(list.length === texts.length && new Set(list.map((r) => r.id)).size === texts.length, 'each round kept once');
await hall.stop();
const integrity = execFileSync('sqlite3', [db, 'PRAGMA integrity_check'], { encoding: 'utf8' }).trim();
check(integrity === 'ok', `integrity_check: ${integrity}`);
console.log(`killed with SIGKILL after ${killed} rounds answered 201, ${lost} requests cut off: all ${killed} there ` +
    `after the restart, none twice, ${texts.length} kept in all, integrity_check ${integrity}`);

// PostgreSQL stopped and started under load.
hall = await startHall(bin, ['--db', postgresDb('faults'), ...common]);
for (const rec of recs)
    check((await post(hall.url, { name: rec.name, recording: rec.text })).status === 201, 'kept before the outage');
const seen = []; // [ms, status]
let running = true;
const start = performance.now();
const clients = Array.from({ length: 10 }, async (_, c) => {
    for (let n = 0; running; ++n) {
        const r = await post(hall.url, { name: 'o', recording: recs[(c + n) % 3].text });
        check([200, 503].includes(r.status), `during the outage: ${r.status} ${r.text}`);
        check(r.status === 200 || Number(r.headers.get('retry-after')) > 0, '503 with Retry-After');
        seen.push([performance.now() - start, r.status]);
        await sleep(r.status === 503 ? 200 : 20);
    }
});
await sleep(1000);
const stopped = performance.now() - start;
// Not blocking the clients: one held past the hall's 5 s idle limit sends on a connection closed meanwhile.
const pg = promisify(execFile);
await pg(process.env.FW_HALL_PG, ['stop', '-m', 'fast']);
await until('503 while PostgreSQL is down', () => seen.filter(([t, s]) => t > stopped && s === 503).length >= 5 &&
    performance.now() - start > stopped + 2000);
const started = performance.now() - start;
await pg(process.env.FW_HALL_PG, ['start']);
const back = performance.now() - start;
await until('200 after PostgreSQL is back', () => seen.some(([t, s]) => t > back && s === 200));
running = false;
await Promise.all(clients);
const during = seen.filter(([t]) => t > stopped && t < started);
const recovered = seen.find(([t, s]) => t > back && s === 200)[0] - back;
const fresh = await post(hall.url, { name: 'after', recording: variant(recs[0].text, 99) });
check(fresh.status === 201, `a new round after the outage: ${fresh.status} ${fresh.text}`);
check(hall.proc.exitCode === null, 'the same hall, never restarted');
await hall.stop();
console.log(`PostgreSQL stopped for ${((started - stopped) / 1000).toFixed(1)} s: ${during.filter(([, s]) => s === 503).length} ` +
    `answers 503 meanwhile, ${during.filter(([, s]) => s === 200).length} 200; started again (${((back - started) / 1000).toFixed(1)} s), ` +
    `the first round answered ${recovered.toFixed(0)} ms after; ${seen.length} requests in all, the same hall process throughout`);
console.log('hall faults ok');

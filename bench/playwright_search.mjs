// The default search process of bench_webprocess written for Playwright: close every page but
// the first, open the portal until load, click the keyword box and type the word, click the first
// submit button, and wait until the result page has loaded. bench_webprocess starts this script
// itself (it serves the page meanwhile); by hand, against a page served elsewhere:
//
//   mkdir -p /tmp/pw && (cd /tmp/pw && npm install playwright-core)
//   PW_DIR=/tmp/pw node bench/playwright_search.mjs http://127.0.0.1:PORT/portal.html [RUNS]
//
// CHROMIUM overrides the browser program (default /usr/lib/chromium/chromium).
import { createRequire } from 'node:module';
import { existsSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const require = createRequire(join(process.env.PW_DIR ?? process.cwd(), 'package.json'));
const { chromium } = require('playwright-core');

const url = process.argv[2];
const runs = Number(process.argv[3] ?? 10);
if (!url) {
    console.error('usage: node playwright_search.mjs PORTAL_URL [RUNS]');
    process.exit(2);
}
const executablePath = process.env.CHROMIUM ??
    (existsSync('/usr/lib/chromium/chromium') ? '/usr/lib/chromium/chromium' : '/usr/bin/chromium');
const headless = (process.env.QUESSEL_HEADLESS ?? '1') === '1';
const args = ['--disable-quic', '--disable-background-networking', '--disable-component-update', '--disable-sync'];
if (headless)
    args.push('--disable-gpu');
if (process.getuid?.() === 0)
    args.push('--no-sandbox');

const ms = start => Number(process.hrtime.bigint() - start) / 1e6;

async function launch() {
    const profile = mkdtempSync(join(tmpdir(), 'pw-search-'));
    const context = await chromium.launchPersistentContext(profile, { executablePath, headless, args });
    return { context, profile };
}

// The four steps; returns [ms to the query leaving the browser, ms to the result page loaded].
async function search(context, word, start) {
    const pages = context.pages();
    const page = pages[0] ?? await context.newPage();
    for (const other of pages.slice(1))
        await other.close();
    await page.goto(url, { waitUntil: 'load' });
    let submitted = -1;
    const onRequest = request => {
        if (submitted < 0 && new URL(request.url()).pathname === '/search')
            submitted = ms(start);
    };
    page.on('request', onRequest);
    const box = page.locator('#q, input[type=text][name=q]').first();
    await box.click();
    await box.fill(word);
    await Promise.all([
        page.waitForURL(u => u.pathname === '/search', { waitUntil: 'load' }),
        page.locator('input[type=submit], input[type=image], button[type=submit]').first().click(),
    ]);
    page.off('request', onRequest);
    return [submitted, ms(start)];
}

function report(what, times) {
    times.sort((a, b) => a - b);
    const median = times[Math.floor(times.length / 2)];
    console.log(`${what.padEnd(52)} median ${median.toFixed(3).padStart(9)} ms   best ${times[0].toFixed(3).padStart(9)} ms   (${times.length} runs)`);
}

const launchedSubmit = [], launchedLoaded = [];
for (let i = 0; i < runs; ++i) {
    const start = process.hrtime.bigint();
    const { context, profile } = await launch();
    const [submitted, loaded] = await search(context, `日本語 ${i}`, start);
    launchedSubmit.push(submitted);
    launchedLoaded.push(loaded);
    await context.close();
    rmSync(profile, { recursive: true, force: true });
}

const warmSubmit = [], warmLoaded = [];
const { context, profile } = await launch();
await search(context, 'warm-up', process.hrtime.bigint());
for (let i = 0; i < runs; ++i) {
    const start = process.hrtime.bigint();
    const [submitted, loaded] = await search(context, `word ${i}`, start);
    warmSubmit.push(submitted);
    warmLoaded.push(loaded);
}
await context.close();
rmSync(profile, { recursive: true, force: true });

report('launch included: launch to query sent', launchedSubmit);
report('launch included: launch to result page loaded', launchedLoaded);
report('launch excluded: start to query sent', warmSubmit);
report('launch excluded: start to result page loaded', warmLoaded);

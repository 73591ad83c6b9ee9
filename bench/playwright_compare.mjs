// The steps of bench_browser driven by Playwright on the same Chromium and the same page, for
// comparison. playwright-core is not part of the project: install it into a folder of its own.
//
//   build/bench/bench_browser --page-dir /tmp/qbench
//   mkdir -p /tmp/pw && (cd /tmp/pw && npm install playwright-core)
//   PW_DIR=/tmp/pw node bench/playwright_compare.mjs file:///tmp/qbench/page5000.html
//
// CHROMIUM overrides the browser program (default /usr/lib/chromium/chromium).
import { createRequire } from 'node:module';
import { existsSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const require = createRequire(join(process.env.PW_DIR ?? process.cwd(), 'package.json'));
const { chromium } = require('playwright-core');

const url = process.argv[2];
if (!url) {
    console.error('usage: node playwright_compare.mjs PAGE_URL');
    process.exit(2);
}
const executablePath = process.env.CHROMIUM ??
    (existsSync('/usr/lib/chromium/chromium') ? '/usr/lib/chromium/chromium' : '/usr/bin/chromium');

async function measure(what, runs, step) {
    const times = [];
    for (let i = 0; i < runs; ++i) {
        const start = process.hrtime.bigint();
        await step(i);
        times.push(Number(process.hrtime.bigint() - start) / 1e6);
    }
    times.sort((a, b) => a - b);
    const median = times[Math.floor(times.length / 2)];
    console.log(`${what.padEnd(52)} median ${median.toFixed(3).padStart(9)} ms   best ${times[0].toFixed(3).padStart(9)} ms   (${runs} runs)`);
}

// The same thirteen members as the Chromium host's snapshot reads.
const allMembers = () => Array.from(document.all, e => {
    const text = v => typeof v === 'string' ? v : (typeof v === 'number' || typeof v === 'boolean') ? String(v) : '';
    const attr = n => e.getAttribute(n) || '';
    let href = e.href;
    if (href && typeof href === 'object' && 'baseVal' in href) href = href.baseVal;
    return [text(e.tagName).toUpperCase(), text(e.type), attr('id'), attr('name'), 'value' in e ? text(e.value) : '',
            text(href), text(e.innerText), attr('alt'), text(e.innerHTML), text(e.outerHTML), attr('title'), '',
            'text' in e ? text(e.text) : ''];
});

const profile = mkdtempSync(join(tmpdir(), 'pw-profile-'));
const launchStart = process.hrtime.bigint();
const context = await chromium.launchPersistentContext(profile, {
    executablePath,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
});
const page = context.pages()[0] ?? await context.newPage();
console.log(`${'launch to first usable window'.padEnd(52)} ${(Number(process.hrtime.bigint() - launchStart) / 1e6).toFixed(3).padStart(9)} ms`);

const navigateStart = process.hrtime.bigint();
await page.goto(url, { waitUntil: 'load' });
console.log(`${'navigate to the page until load'.padEnd(52)} ${(Number(process.hrtime.bigint() - navigateStart) / 1e6).toFixed(3).padStart(9)} ms`);
console.log(`elements in document.all: ${await page.evaluate(() => document.all.length)}\n`);

await measure('trivial evaluation (document.readyState)', 500, () => page.evaluate(() => document.readyState));
await measure('snapshot: tag, href, innerText of all elements', 30, () => page.evaluate(() =>
    Array.from(document.all, e => [e.tagName, String(e.href ?? ''), e.innerText ?? ''])));
await measure('snapshot of all elements, 13 members each', 30, () => page.evaluate(allMembers));
await measure('fill + click (locators, actionability checks)', 200, async i => {
    await page.fill('#kw', `word ${i}`);
    await page.click('#btn');
});
await measure('value + events + click in evaluations', 200, async i => {
    await page.$eval('#kw', (e, v) => {
        e.value = v;
        e.dispatchEvent(new Event('input', { bubbles: true }));
        e.dispatchEvent(new Event('change', { bubbles: true }));
    }, `word ${i}`);
    await page.$eval('#btn', e => e.click());
});

await context.close();
rmSync(profile, { recursive: true, force: true });

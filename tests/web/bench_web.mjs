// Not a test: converts a generated log of some hundred megabytes in the web page
// in headless Chromium, in both forms, and prints MB/s next to mixconv-cli's.
// Usage: node bench_web.mjs PAGE MIXCONV_CLI CONVERT_BENCH [MEGABYTES]
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {pathToFileURL} from 'node:url';

import puppeteer from 'puppeteer-core';

const [page_, cli, convertBench, megabytes = '200'] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'mixconv-web-bench-'));
const base = path.join(work, 'LARGE');
execFileSync(convertBench, ['--write-log', base, megabytes], {stdio: 'inherit'});
const textMegabytes = fs.statSync(`${base}.TXT`).size / 1e6;

function seconds(run) {
  const start = process.hrtime.bigint();
  return Promise.resolve(run()).then(() => Number(process.hrtime.bigint() - start) / 1e9);
}

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  userDataDir: path.join(work, 'profile'),
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--no-first-run'],
});
try {
  for (const [output, option] of [['original', '--original'], ['readable', '--utf8']]) {
    const native = await seconds(() => execFileSync(
        cli, [option, '--quiet', `${base}.MIX`], {env: {...process.env, TZ: 'JST-9'}}));
    const page = await browser.newPage();
    await page.goto(pathToFileURL(page_).href);
    await (await page.$('input[type=file]')).uploadFile(`${base}.MIX`, `${base}.TXT`);
    await page.select('select[name=output]', output);
    const web = await seconds(async () => {
      await page.click('button');
      await page.waitForSelector('a[download]', {timeout: 0});
    });
    await page.close();
    console.log(`${option.padEnd(10)}: web page ${(textMegabytes / web).toFixed(1)} MB/s, ` +
                `mixconv-cli ${(textMegabytes / native).toFixed(1)} MB/s ` +
                `(${textMegabytes.toFixed(1)} MB of text)`);
  }
} finally {
  await browser.close();
  fs.rmSync(work, {recursive: true, force: true});
}

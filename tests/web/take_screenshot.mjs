// Takes docs/web-page.png: the web page after converting the sample log, its
// first mail opened in the reading pane by keyboard, in headless Chromium.
// Usage: node take_screenshot.mjs PAGE SAMPLES_DIR OUTPUT.png
import path from 'node:path';
import {pathToFileURL} from 'node:url';

import puppeteer from 'puppeteer-core';

const [page_, samples, output] = process.argv.slice(2);
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  env: {...process.env, TZ: 'Asia/Tokyo'},
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--no-first-run', '--lang=ja'],
});
const page = await browser.newPage();
await page.setViewport({width: 900, height: 1000});
await page.goto(pathToFileURL(page_).href);
const input = await page.$('input[type=file]');
await input.uploadFile(path.join(samples, 'SAMPLE.MIX'), path.join(samples, 'SAMPLE.TXT'));
await page.type('input[name=name]', '山田 太郎');
await page.type('input[name=email]', 'taro@example.jp');
await page.click('button');
await page.waitForSelector('a[download]');
await page.focus('[role=grid]');
await page.keyboard.press('ArrowDown');
await page.keyboard.press('Enter');
await page.waitForSelector('[role=article]:not([hidden]) a[download]');
await page.screenshot({path: output, fullPage: true});
await browser.close();

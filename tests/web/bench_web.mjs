// Not a test: converts a generated log of some hundred megabytes in the web page
// in headless Chromium, in both forms, and prints MB/s and peak memory next to
// mixconv-cli's. The page's memory is the sum of the proportional set size of
// all of Chromium's processes (each shared page counted once in all), sampled
// while it converts: printed whole, and as its rise over the same sum taken
// just before, with the page open and idle, which is what the conversion itself
// costs; mixconv-cli's is its peak resident memory. Sampling slows the page: its time comes from a run of its own,
// after which a search for a word in no mail reads the whole log again.
// Last, what the browser alone costs, with no conversion: the page's parts
// reading the text as the page does and keeping all of it as Blobs, as much
// as a mailbox of the original form.
// Usage: node bench_web.mjs PAGE MIXCONV_CLI CONVERT_BENCH [MEGABYTES]
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {pathToFileURL} from 'node:url';

import puppeteer from 'puppeteer-core';

const [page_, cli, convertBench, megabytes = '200'] = process.argv.slice(2);
const kSampleIntervalMs = 50;
const kMiB = 1024 * 1024;
const kQueryInNoMail = 'ｚｑｘｊ';
// Runs mixconv-cli as given; prints its seconds and its peak resident memory in KiB.
const kRunMeasured = `
import resource, subprocess, sys, time
start = time.monotonic()
subprocess.run(sys.argv[1:], check=True)
print(time.monotonic() - start, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
`;
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'mixconv-web-bench-'));
const base = path.join(work, 'LARGE');
execFileSync(convertBench, ['--write-log', base, megabytes], {stdio: 'inherit'});
const logBytes = fs.statSync(`${base}.TXT`).size + fs.statSync(`${base}.MIX`).size;
const textMegabytes = fs.statSync(`${base}.TXT`).size / 1e6;

// The process and all its descendants, from /proc.
function processTree(root) {
  const children = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      const parent = Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
      children.set(parent, [...(children.get(parent) ?? []), Number(entry)]);
    } catch {
      // Not a process, or one that ended meanwhile.
    }
  }
  const tree = [root];
  for (let i = 0; i < tree.length; ++i) {
    tree.push(...(children.get(tree[i]) ?? []));
  }
  return tree;
}

function proportionalBytes(pid) {
  try {
    return Number(fs.readFileSync(`/proc/${pid}/smaps_rollup`, 'utf8').match(/Pss:\s+(\d+)/)[1]) * 1024;
  } catch {
    return 0;  // ended meanwhile
  }
}

const treeBytes = (root) => processTree(root).reduce((sum, pid) => sum + proportionalBytes(pid), 0);

// Converts the log in a new page into output; returns the seconds it took and,
// when asked to sample, the highest sum of Chromium's memory meanwhile and
// the sum before it started, else the seconds from typing a query to its list.
async function convertInPage(browser, output, sampled) {
  const page = await browser.newPage();
  await page.goto(pathToFileURL(page_).href);
  await (await page.$('input[type=file]')).uploadFile(`${base}.MIX`, `${base}.TXT`);
  await page.select('select[name=output]', output);
  const root = browser.process().pid;
  const before = sampled ? treeBytes(root) : 0;
  let peak = before;
  const sampler = sampled && setInterval(() => {
    peak = Math.max(peak, treeBytes(root));
  }, kSampleIntervalMs);
  const start = process.hrtime.bigint();
  try {
    await page.click('button');
    await page.waitForSelector('a[download]', {timeout: 0});
  } finally {
    clearInterval(sampler);
  }
  const seconds = Number(process.hrtime.bigint() - start) / 1e9;
  let searchSeconds = 0;
  if (sampled) {
    peak = Math.max(peak, treeBytes(root));
  } else {
    const typed = process.hrtime.bigint();
    await page.type('input[type=search]', kQueryInNoMail);
    await page.waitForFunction(
        () => document.querySelector('[role=grid]').getAttribute('aria-busy') === 'false',
        {timeout: 0});
    searchSeconds = Number(process.hrtime.bigint() - typed) / 1e9;
  }
  await page.close();
  return {seconds, peak, before, searchSeconds};
}

// Reads a part of the text in the page's blocks and keeps it as Blobs of the
// engine's pieces: 16 MiB and 2 MiB, as the page reads and hands on.
const kBrowserAloneWorker = `
onmessage = ({data: {file, start, end}}) => {
  const kBlockBytes = 16 << 20;
  const kPieceBytes = 2 << 20;
  const reader = new FileReaderSync();
  const pieces = [];
  for (let at = start; at < end; at += kBlockBytes) {
    const block = new Uint8Array(reader.readAsArrayBuffer(file.slice(at, Math.min(end, at + kBlockBytes))));
    for (let piece = 0; piece < block.length; piece += kPieceBytes) {
      pieces.push(new Blob([block.subarray(piece, piece + kPieceBytes)]));
    }
  }
  postMessage(new Blob(pieces));
};`;

// The seconds the page's parts, one worker per core and at most two as the
// page has, take to read the text and keep it as one Blob.
async function browserAlone(browser) {
  const page = await browser.newPage();
  await page.goto(pathToFileURL(page_).href);
  await (await page.$('input[type=file]')).uploadFile(`${base}.MIX`, `${base}.TXT`);
  const seconds = await page.evaluate(async (source) => {
    const text = [...document.querySelector('input[type=file]').files]
        .find((file) => file.name.endsWith('.TXT'));
    const url = URL.createObjectURL(new Blob([source], {type: 'text/javascript'}));
    const parts = Math.min(navigator.hardwareConcurrency || 1, 2);
    const start = performance.now();
    const kept = await Promise.all(Array.from({length: parts}, (_, part) => new Promise((resolve) => {
      const worker = new Worker(url);
      worker.onmessage = ({data}) => {
        worker.terminate();
        resolve(data);
      };
      worker.postMessage({file: text, start: Math.floor(text.size * part / parts),
                          end: Math.floor(text.size * (part + 1) / parts)});
    })));
    if (new Blob(kept).size !== text.size) {
      throw new Error('the Blobs do not hold the text');
    }
    return (performance.now() - start) / 1000;
  }, kBrowserAloneWorker);
  await page.close();
  return seconds;
}

const mib = (bytes) => `${(bytes / kMiB).toFixed(0)} MiB`;

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  userDataDir: path.join(work, 'profile'),
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--no-first-run'],
});
try {
  console.log(`log: ${mib(logBytes)}`);
  let originalSeconds = 0;
  for (const [output, option] of [['original', '--original'], ['readable', '--utf8']]) {
    const [nativeSeconds, nativeKiB] = execFileSync(
        'python3', ['-c', kRunMeasured, cli, option, '--quiet', `${base}.MIX`],
        {env: {...process.env, TZ: 'JST-9'}, encoding: 'utf8'}).trim().split(' ').map(Number);
    originalSeconds ||= nativeSeconds;
    const {seconds, searchSeconds} = await convertInPage(browser, output, false);
    const {peak, before} = await convertInPage(browser, output, true);
    console.log(`${option.padEnd(10)}: web page ${(textMegabytes / seconds).toFixed(1)} MB/s ` +
                `(${(seconds / nativeSeconds).toFixed(1)} times mixconv-cli's time), ` +
                `peak ${mib(peak)} in all (${(peak / logBytes).toFixed(2)}x the log), ` +
                `of which the conversion's own ${mib(peak - before)} ` +
                `(${((peak - before) / logBytes).toFixed(2)}x the log) over the ${mib(before)} ` +
                `of Chromium with the page open and idle; ` +
                `mixconv-cli ${(textMegabytes / nativeSeconds).toFixed(1)} MB/s, ` +
                `peak ${mib(nativeKiB * 1024)} (${textMegabytes.toFixed(1)} MB of text); ` +
                `a search in the page ${searchSeconds.toFixed(1)} s`);
  }
  const alone = await browserAlone(browser);
  console.log(`browser alone, no conversion: reading the text and keeping it as Blobs in the ` +
              `page's parts ${(textMegabytes / alone).toFixed(1)} MB/s ` +
              `(${(alone / originalSeconds).toFixed(1)} times mixconv-cli's time for the original form)`);
} finally {
  await browser.close();
  fs.rmSync(work, {recursive: true, force: true});
}

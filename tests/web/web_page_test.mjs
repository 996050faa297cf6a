// The web page in a real headless Chromium: for each entry of its output list it
// converts logs to the files mixconv-cli writes (a mailbox in parts, one per
// core, stopping where mixconv-cli stops), refuses bad input and files
// changed since they were picked with a line and no download, and makes no
// request at all. Its reading pane shows each mail as Python's email package
// reads it, never as markup, and offers it as the file of the --eml folder;
// its search lists the mails that hold a text in any width.
// Usage: node web_page_test.mjs PAGE MIXCONV_CLI MAKE_UTF8_LOG MAKE_MARKUP_LOG SAMPLES_DIR
// (Python's zipfile reads the page's .zip.)
import assert from 'node:assert/strict';
import {execFileSync, spawnSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {after, before, test} from 'node:test';
import {pathToFileURL} from 'node:url';

import puppeteer from 'puppeteer-core';

const [page_, cli, makeUtf8Log, makeMarkupLog, samples] = process.argv.slice(2);
const kChromium = '/usr/bin/chromium';
const kUser = {name: '山田 太郎', email: 'taro@example.jp'};
// Japan has kept one offset since 1951: the same dates as TZ=JST-9 for the CLI.
const kZone = 'Asia/Tokyo';
const kTimeoutMs = 60000;
// A slash that starts a word: a path inside the page, where only picked names belong.
const kInPagePath = /(^|\s)\//;
const kSampleLines = ['skip one binary mail.', 'convert 5/6 mail'];
// mixconv-cli's options for each entry of the page's output list, in its order.
const kCliOptions = {readable: [], original: ['--original'], eml: ['--eml']};
// Japan Standard Time, in which the CLI dates its files and the page its .zip entries.
const kZoneOffsetMs = 9 * 60 * 60 * 1000;
// Each entry of a .zip: its name, its bytes in base64 and its date as [Y, M, D, h, m, s].
const kReadZip = `
import base64, json, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive:
    print(json.dumps([[entry.filename, base64.b64encode(archive.read(entry)).decode(),
                       list(entry.date_time)] for entry in archive.infolist()]))
`;
// The mails of mixconv-cli's readable mbox as Python's email package reads
// them, each with its number and name in the --eml folder; then, for each
// query, the mails whose sender, subject or text hold it, compared as NFKC and
// case folding make them.
// Usage: python3 -c ... MBOX EML_FOLDER QUERY...
const kReadMails = `
import email, email.policy, json, mailbox, os, sys, unicodedata
box, folder, *queries = sys.argv[1:]
parse = lambda f: email.message_from_binary_file(f, policy=email.policy.default)
mails = []
for name, mail in zip(sorted(os.listdir(folder)), mailbox.mbox(box, factory=parse, create=False)):
    field = lambda key: None if mail[key] is None else str(mail[key])
    mails.append({"number": int(name[:10]), "file": name, "subject": field("subject"),
                  "from": field("from"), "to": field("to"),
                  "date": mail["date"].datetime.isoformat(), "text": mail.get_content()})
fold = lambda text: unicodedata.normalize("NFKC", text).casefold()
print(json.dumps({"mails": mails, "matches": {
    query: [m["number"] for m in mails
            if fold(query) in fold("\\n".join([m["from"], m["subject"], m["text"]]))]
    for query in queries}}))
`;
const kMailRows = '[role=grid] [role=row]:has([role=gridcell])';

let browser;
let work;

before(async () => {
  assert.ok(fs.existsSync(page_), `${page_} is missing: ./dev.sh web builds it`);
  assert.ok(fs.existsSync(kChromium), 'Chromium is missing: ./dev.sh test installs it');
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'mixconv-web-'));
  browser = await puppeteer.launch({
    executablePath: kChromium,
    headless: true,
    userDataDir: path.join(work, 'profile'),
    env: {...process.env, TZ: kZone},
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
});

after(async () => {
  await browser?.close();
  fs.rmSync(work, {recursive: true, force: true});
});

// A fresh page, with every request it makes and every error it shows noted;
// cores, when given, is how many the page is told the machine has.
async function openPage(cores) {
  const page = await browser.newPage();
  if (cores) {
    await page.evaluateOnNewDocument((count) => {
      Object.defineProperty(navigator, 'hardwareConcurrency', {value: count});
    }, cores);
  }
  page.setDefaultTimeout(kTimeoutMs);
  const seen = {requests: [], errors: []};
  page.on('request', (request) => seen.requests.push(request.url()));
  page.on('pageerror', (error) => seen.errors.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') {
      seen.errors.push(message.text());
    }
  });
  // The worker's errors, the policy's refusals among them, are its own.
  page.on('workercreated', async (worker) => {
    worker.on('error', (error) => seen.errors.push(error.message));
    await worker.client.send('Log.enable');
    worker.client.on('Log.entryAdded', ({entry}) => {
      if (entry.level === 'error') {
        seen.errors.push(entry.text);
      }
    });
  });
  const downloads = fs.mkdtempSync(path.join(work, 'downloads-'));
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior', {behavior: 'allow', downloadPath: downloads});
  await page.goto(pathToFileURL(page_).href);
  return {page, seen, downloads};
}

async function logLines(page) {
  return page.$$eval('[role=log] > *', (lines) => lines.map((line) => line.textContent));
}

// Picks the files, fills the form, picks output unless it is left as it starts,
// and converts; resolves once the run is over.
async function convert(page, files, {name = kUser.name, email = kUser.email, output} = {}) {
  const linesBefore = (await logLines(page)).length;
  if (files.length) {
    await (await page.$('input[type=file]')).uploadFile(...files);
  }
  await page.$eval('input[name=name]', (field, value) => { field.value = value; }, name);
  await page.$eval('input[name=email]', (field, value) => { field.value = value; }, email);
  if (output) {
    await page.select('select[name=output]', output);
    assert.equal(await page.$eval('select[name=output]', (list) => list.value), output);
  }
  const button = await page.$('button');
  assert.match(await button.evaluate((b) => b.textContent), /変換/);
  await button.click();
  await page.waitForFunction(
      (count) => document.querySelectorAll('[role=log] > *').length > count &&
                 !document.querySelector('button').disabled,
      {}, linesBefore);
  const lines = (await logLines(page)).slice(linesBefore);
  for (const line of lines) {
    assert.doesNotMatch(line, kInPagePath);
  }
  return lines;
}

// The sample log under the names given, in a directory of its own.
function copySample(names) {
  const dir = fs.mkdtempSync(path.join(work, 'copy-'));
  return names.map((name) => {
    const file = path.join(dir, name);
    fs.copyFileSync(path.join(samples, `SAMPLE${path.extname(name).toUpperCase()}`), file);
    return file;
  });
}

async function download(page, downloads, selector = 'a[download]') {
  const link = await page.$(selector);
  assert.ok(link, 'no download offered');
  const name = await link.evaluate((a) => a.download);
  await link.click();
  const file = path.join(downloads, name);
  for (let waited = 0; !fs.existsSync(file); waited += 100) {
    assert.ok(waited < kTimeoutMs, `${name} was not downloaded`);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  return {name, file, bytes: fs.readFileSync(file)};
}

// The files of a download by their names, a .zip's under the name of the folder
// it holds: {name: {bytes, date}}, a date as [Y, M, D, h, m, s] for a .zip's entry.
function savedFiles(saved) {
  if (!saved.name.endsWith('.zip')) {
    return {[saved.name]: {bytes: saved.bytes}};
  }
  const folder = saved.name.slice(0, -'.zip'.length);
  const entries = JSON.parse(execFileSync('python3', ['-c', kReadZip, saved.file]));
  return Object.fromEntries(entries.map(([name, bytes, date]) =>
      [`${folder}/${name}`, {bytes: Buffer.from(bytes, 'base64'), date}]));
}

// Runs mixconv-cli on its own copy of the log, which ends with status;
// returns that copy's directory.
function runCli(files, options, status = 0) {
  const dir = fs.mkdtempSync(path.join(work, 'cli-'));
  for (const file of files) {
    fs.copyFileSync(file, path.join(dir, path.basename(file)));
  }
  const index = files.find((file) => /\.mix$/i.test(file));
  const run = spawnSync(cli, [...options, '--quiet', '--name', kUser.name,
                              '--email', kUser.email, path.join(dir, path.basename(index))],
                        {env: {...process.env, TZ: 'JST-9', LC_ALL: 'C.UTF-8'}});
  assert.equal(run.status, status, `mixconv-cli ${options.join(' ')}: ${run.stderr}`);
  return dir;
}

// What mixconv-cli writes beside its own copy of the log, as savedFiles names
// it, each file dated as a .zip would date it: in JST, to the even second below.
function cliFiles(files, options, status = 0) {
  const dir = runCli(files, options, status);
  const written = {};
  for (const name of fs.readdirSync(dir, {recursive: true})) {
    const file = path.join(dir, name);
    if (fs.statSync(file).isDirectory() || files.some((log) => path.basename(log) === name)) {
      continue;
    }
    const local = new Date(fs.statSync(file).mtimeMs + kZoneOffsetMs);
    written[name] = {
      bytes: fs.readFileSync(file),
      date: [local.getUTCFullYear(), local.getUTCMonth() + 1, local.getUTCDate(),
             local.getUTCHours(), local.getUTCMinutes(), local.getUTCSeconds() & ~1],
    };
  }
  return written;
}

// The page's download holds the files mixconv-cli writes: names, bytes, and
// the dates of a .zip's files (a mailbox is dated when it is saved).
function assertCliFiles(saved, files, options, what, status = 0) {
  const expected = cliFiles(files, options, status);
  const got = savedFiles(saved);
  assert.deepEqual(Object.keys(got).sort(), Object.keys(expected).sort(), what);
  for (const [name, {bytes, date}] of Object.entries(got)) {
    assert.ok(bytes.equals(expected[name].bytes), `${what}: ${name} is not the CLI's bytes`);
    if (date) {
      assert.deepEqual(date, expected[name].date, `${what}: ${name} is not dated as the CLI's`);
    }
  }
}

// The list starts on its first entry, the readable mbox, which is left as it
// starts; the files of the .eml folder come as one .zip, under the folder's name.
test('logs convert to the files mixconv-cli writes, for each output', async () => {
  execFileSync(makeUtf8Log, [path.join(work, 'UTF8')]);
  const logs = {
    sample: {files: [path.join(samples, 'SAMPLE.TXT'), path.join(samples, 'SAMPLE.MIX')],
             mails: 5, subject: '定例会議', lines: kSampleLines},
    generated: {files: [path.join(work, 'UTF8.MIX'), path.join(work, 'UTF8.TXT')],
                mails: 9, subject: '議事録の送付'},
  };
  for (const [what, log] of Object.entries(logs)) {
    for (const [position, [output, options]] of Object.entries(kCliOptions).entries()) {
      const {page, seen, downloads} = await openPage();
      const list = await page.$eval('select[name=output]', (select) =>
          [select.labels[0].textContent, select.value, ...[...select.options].map((o) => o.value)]);
      assert.deepEqual(list, ['出力形式:', 'readable', ...Object.keys(kCliOptions)]);
      const lines = await convert(page, log.files, {output: position > 0 ? output : undefined});
      if (log.lines) {
        assert.deepEqual(lines, log.lines);
      }
      assertCliFiles(await download(page, downloads), log.files, options, `${what}, ${output}`);
      const rows = await page.$$eval(kMailRows, (found) => found.map((row) => row.textContent));
      assert.equal(rows.length, log.mails, what);
      assert.ok(rows.some((row) => row.includes(log.subject)), `${what}: ${log.subject} is not listed`);
      assert.deepEqual(seen.errors, []);
      await page.close();
    }
  }
});

test('a log picked as Mail.Mix and Mail.Txt converts to Mail.mbx, its lines naming no path', async () => {
  const files = copySample(['Mail.Mix', 'Mail.Txt']);
  const {page, seen, downloads} = await openPage();
  assert.deepEqual(await convert(page, files), kSampleLines);
  const saved = await download(page, downloads);
  assert.equal(saved.name, 'Mail.mbx');
  assertCliFiles(saved, files, [], 'Mail.Mix');
  assert.deepEqual(seen.errors, []);
  await page.close();
});

// The page converts a mailbox in parts side by side, one per core, yet a run
// stops at its first broken mail, as mixconv-cli's does, whichever part holds
// it. (A folder of mail files is written in one part.)
test('a log cut inside a mail converts up to that mail, as mixconv-cli does', async () => {
  const text = fs.readFileSync(path.join(samples, 'SAMPLE.TXT'));
  const kBroken = ['mixconv: file read error.', 'mixconv: no title line !! ABORT...'];
  const cuts = [
    {inside: 'the second mail', bytes: 250, converted: 1, lines: kBroken},
    {inside: 'the last mail', bytes: 600, converted: 4, lines: ['skip one binary mail.', ...kBroken]},
  ];
  for (const {inside, bytes, converted, lines} of cuts) {
    const files = copySample(['CUT.MIX', 'CUT.TXT']);
    fs.writeFileSync(files[1], text.subarray(0, bytes));
    for (const [output, cores] of [['readable', 2], ['original', 2], ['original', 1]]) {
      const what = `${inside}, ${output}, ${cores} cores`;
      const {page, seen, downloads} = await openPage(cores);
      assert.deepEqual(await convert(page, files, {output}),
                       [...lines, `convert ${converted}/6 mail`], what);
      assert.equal(page.workers().length, cores, `${what}: not one worker per core`);
      assertCliFiles(await download(page, downloads), files, kCliOptions[output], what, 1);
      assert.equal((await page.$$(kMailRows)).length, converted, what);
      assert.deepEqual(seen.errors, []);
      await page.close();
    }
  }
});

test('a picked file that changed on disk gets a line, no download, and the page stays ready', async () => {
  // Dated an hour back, to the second, when picked: the change shows however
  // coarse the file system's clock.
  const picked = new Date(Math.floor(Date.now() / 1000 - 60 * 60) * 1000);
  const changes = {
    'Mail.Txt': (file) => fs.appendFileSync(file, 'one more line\r\n'),
    'Mail.Mix': (file) => {
      fs.writeFileSync(`${file}.new`, fs.readFileSync(file));
      fs.renameSync(`${file}.new`, file);
    },
  };
  for (const [changed, change] of Object.entries(changes)) {
    const files = copySample(['Mail.Mix', 'Mail.Txt']);
    for (const file of files) {
      fs.utimesSync(file, picked, picked);
    }
    const {page, seen} = await openPage();
    await (await page.$('input[type=file]')).uploadFile(...files);
    // Chromium notes a picked file's date when it is first asked for: before the change.
    const dates = await page.$eval('input[type=file]',
                                   (input) => [...input.files].map((file) => file.lastModified));
    assert.deepEqual(dates, files.map(() => picked.getTime()));
    change(files.find((file) => path.basename(file) === changed));
    const lines = await convert(page, []);
    assert.equal(lines[0], `mixconv: ${changed} could not be read: it may have changed since it was picked.`);
    assert.equal(await page.$('a[download]'), null, `${changed}: a download was offered`);
    assert.equal(await page.$eval('progress', (bar) => bar.hidden), true, `${changed}: progress still shown`);
    // Picked again, as they are now, the files convert.
    assert.deepEqual(await convert(page, files), kSampleLines);
    assert.ok(await page.$('a[download]'), `${changed}: no download after the next run`);
    assert.deepEqual(seen.errors, []);
    await page.close();
  }
});

test('bad input gets a line and no download', async () => {
  const index = path.join(samples, 'SAMPLE.MIX');
  const text = path.join(samples, 'SAMPLE.TXT');
  const other = path.join(work, 'OTHER.TXT');
  fs.copyFileSync(text, other);
  const shortDir = fs.mkdtempSync(path.join(work, 'short-'));
  fs.writeFileSync(path.join(shortDir, 'SHORT.MIX'), Buffer.from('short'));
  fs.copyFileSync(text, path.join(shortDir, 'SHORT.TXT'));
  const cases = [
    {files: [index], line: 'mixconv: pick the two files of one log, NAME.MIX and NAME.TXT.'},
    {files: [], line: 'mixconv: pick the two files of one log, NAME.MIX and NAME.TXT.'},
    {files: [index, other], line: 'mixconv: SAMPLE.MIX and OTHER.TXT are not the two files of one log.'},
    {files: [path.join(shortDir, 'SHORT.MIX'), path.join(shortDir, 'SHORT.TXT')],
     line: 'mixconv: file read error.'},
    {files: [index, text], name: 'smile 😀',
     line: 'mixconv: name: contains U+1F600, which has no Shift_JIS form'},
  ];
  for (const {files, name, line} of cases) {
    const {page, seen} = await openPage();
    const lines = await convert(page, files, {name});
    assert.equal(lines[0], line);
    assert.equal(await page.$('a[download]'), null, `${line}: a download was offered`);
    assert.deepEqual(seen.errors, []);
    await page.close();
  }
});

test('dropped files convert; the page makes no request and forbids connections', async () => {
  const {page, seen} = await openPage();
  // Files dropped on the form: taken from the picker, which is then emptied.
  await (await page.$('input[type=file]')).uploadFile(path.join(samples, 'SAMPLE.MIX'),
                                                       path.join(samples, 'SAMPLE.TXT'));
  await page.evaluate(() => {
    const input = document.querySelector('input[type=file]');
    const dropped = new DataTransfer();
    for (const file of input.files) {
      dropped.items.add(file);
    }
    input.value = '';
    document.querySelector('form').dispatchEvent(new DragEvent('drop', {dataTransfer: dropped}));
  });
  assert.deepEqual(await convert(page, []), kSampleLines);
  const policy = await page.$eval('meta[http-equiv=Content-Security-Policy]', (meta) => meta.content);
  assert.match(policy, /connect-src 'none'/);
  assert.match(policy, /default-src 'none'/);
  const blocked = await page.evaluate(() => fetch('https://example.com/').then(() => false, () => true));
  assert.ok(blocked, 'a connection was allowed');
  const outside = seen.requests.filter((url) => !/^(file|blob|data):/.test(url));
  assert.deepEqual(outside, []);
  await page.close();
});

// A log that tool writes, in a directory of its own.
function generatedLog(tool, base) {
  const dir = fs.mkdtempSync(path.join(work, 'log-'));
  execFileSync(tool, [path.join(dir, base)]);
  return [path.join(dir, `${base}.MIX`), path.join(dir, `${base}.TXT`)];
}

// Python's reading of the log's mails and of the queries, and mixconv-cli's --eml folder.
function pythonReading(files, queries = []) {
  const base = path.basename(files[0], '.MIX');
  const mailbox = path.join(runCli(files, []), `${base}.mbx`);
  const emlFolder = path.join(runCli(files, ['--eml']), `${base}.eml-files`);
  const reading = execFileSync('python3', ['-c', kReadMails, mailbox, emlFolder, ...queries]);
  return {emlFolder, ...JSON.parse(reading)};
}

// What the reading pane shows once it holds the mail of that file.
async function paneShowing(page, file) {
  await page.waitForFunction(
      (name) => document.querySelector('[role=article]:not([hidden]) a[download]')?.download === name,
      {}, file);
  return page.$eval('[role=article]', (pane) => {
    const field = (name) => pane.querySelector(`dd.${name}`)?.textContent ?? null;
    return {subject: field('subject'), from: field('from'), to: field('to'), date: field('date'),
            text: pane.querySelector('.text').textContent};
  });
}

function assertPaneShows(shown, mail) {
  assert.deepEqual({...shown, date: Date.parse(shown.date)},
                   {subject: mail.subject, from: mail.from, to: mail.to,
                    date: Date.parse(mail.date), text: mail.text},
                   `mail ${mail.number}`);
}

async function openRow(page, position, mail) {
  await page.click(`${kMailRows}[aria-rowindex="${position + 2}"]`);
  return paneShowing(page, mail.file);
}

// The subjects the list shows once it shows what was typed in the search field,
// emptied first as a user would.
async function listedAfterTyping(page, query) {
  await page.click('input[type=search]', {clickCount: 3});
  await page.keyboard.press('Backspace');
  await page.type('input[type=search]', query);
  await page.waitForFunction(
      (typed) => document.querySelector('input[type=search]').value === typed &&
                 document.querySelector('[role=grid]').getAttribute('aria-busy') === 'false',
      {}, query);
  return page.$$eval(kMailRows, (rows) => rows.map((row) => row.children[2].textContent));
}

async function assertSearchFinds(page, {mails, matches}) {
  for (const [query, numbers] of Object.entries(matches)) {
    assert.ok(numbers.length > 0 && numbers.length < mails.length, `${query}: a search that tells nothing`);
    const subjects = numbers.map((number) => mails.find((mail) => mail.number === number).subject);
    assert.deepEqual(await listedAfterTyping(page, query), subjects, query);
    assert.equal(await page.$eval('[role=status]', (count) => count.textContent),
                 `${numbers.length} 通が一致(全 ${mails.length} 通)`);
  }
}

test('the reading pane shows each mail as Python reads it and offers its .eml file alone', async () => {
  const files = generatedLog(makeUtf8Log, 'UTF8');
  const {mails, emlFolder} = pythonReading(files);
  const {page, seen, downloads} = await openPage();
  await convert(page, files);
  assert.equal(await page.$eval('[role=grid]', (grid) => grid.getAttribute('aria-rowcount')),
               String(mails.length + 1));
  for (const [position, mail] of mails.entries()) {
    assertPaneShows(await openRow(page, position, mail), mail);
  }
  // The gateway mail and the sent mail, as one file each.
  for (const number of [4, 6]) {
    const position = mails.findIndex((mail) => mail.number === number);
    await openRow(page, position, mails[position]);
    const saved = await download(page, downloads, '[role=article] a[download]');
    assert.equal(saved.name, mails[position].file);
    assert.ok(saved.bytes.equals(fs.readFileSync(path.join(emlFolder, saved.name))),
              `${saved.name} is not the --eml folder's bytes`);
  }
  assert.deepEqual(seen.errors, []);
  await page.close();
});

test('the arrow keys, Home and End move the selection and Enter opens it', async () => {
  const files = generatedLog(makeUtf8Log, 'UTF8');
  const {mails} = pythonReading(files);
  const {page, seen} = await openPage();
  await convert(page, files);
  await page.focus('[role=grid]');
  const selected = () => page.$eval('[role=grid]', (grid) => {
    const row = grid.querySelector('[aria-selected=true]');
    return row?.id === grid.getAttribute('aria-activedescendant')
        ? Number(row.getAttribute('aria-rowindex')) - 2 : null;
  });
  const last = mails.length - 1;
  for (const [key, position] of [['ArrowDown', 0], ['ArrowDown', 1], ['ArrowDown', 2],
                                 ['ArrowUp', 1], ['End', last], ['ArrowDown', last],
                                 ['Home', 0], ['ArrowDown', 1]]) {
    await page.keyboard.press(key);
    assert.equal(await selected(), position, `after ${key}`);
  }
  await page.keyboard.press('Enter');
  assertPaneShows(await paneShowing(page, mails[1].file), mails[1]);
  assert.deepEqual(seen.errors, []);
  await page.close();
});

test('the search lists the mails that hold a text, in full-width or half-width letters', async () => {
  const files = generatedLog(makeUtf8Log, 'UTF8');
  const {page, seen} = await openPage();
  await convert(page, files);
  await assertSearchFinds(page, pythonReading(files, ['ｔｏｋｙｏ', 'TOKYO']));
  const all = await listedAfterTyping(page, '');
  assert.equal(all.length, pythonReading(files).mails.length);
  assert.deepEqual(seen.errors, []);
  await page.close();
});

test('markup in a mail shows as text and runs nothing; half-width katakana are found; a sent mail names its two recipients', async () => {
  const files = generatedLog(makeMarkupLog, 'MARKUP');
  const reading = pythonReading(files, ['ﾃﾞｰﾀﾍﾞｰｽ', 'データベース']);
  const {page, seen} = await openPage();
  const dialogs = [];
  page.on('dialog', async (dialog) => {
    dialogs.push(dialog.message());
    await dialog.dismiss();
  });
  await convert(page, files);
  for (const [position, mail] of reading.mails.entries()) {
    assertPaneShows(await openRow(page, position, mail), mail);
  }
  // The mail of markup, and the sent mail with its two recipients.
  const shown = await openRow(page, 0, reading.mails[0]);
  assert.match(shown.text, /<script>alert/);
  assert.match(shown.subject, /^<script>/);
  assert.equal(reading.mails[3].to.split(', ').length, 2);
  await assertSearchFinds(page, reading);
  assert.equal(await page.$$eval('[role=article] *, [role=grid] *', (elements) =>
      elements.filter((element) => ['SCRIPT', 'B', 'IMG'].includes(element.tagName)).length), 0);
  assert.equal(await page.evaluate(() => window.markupRan), undefined);
  assert.deepEqual(dialogs, []);
  assert.deepEqual(seen.errors, []);
  await page.close();
});

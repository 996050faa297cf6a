// The page's own script: picks the two files of a log, hands them to the
// worker, and shows what comes back. The log never leaves the machine.
'use strict';

const kProgramName = '@PROGRAM_NAME@';

const form = document.getElementById('form');
const filesInput = document.getElementById('files');
const button = document.getElementById('convert');
const progressBar = document.getElementById('progress');
const log = document.getElementById('log');
const result = document.getElementById('result');

const workerUrl = URL.createObjectURL(
    new Blob([document.getElementById('worker-source').textContent], {type: 'text/javascript'}));
const worker = new Worker(workerUrl);
// A run is converted in parts side by side, one per core: the worker takes the
// first and leads helpers, which the page makes (a worker of a page opened from
// a file may not) at the first run. Each part holds an engine and its memory,
// and the browser's own reading of the log and keeping of the mailbox bound the
// run: two parts, for a readable mailbox, stay under twice the log in memory.
const kMostParts = 2;
let helpersLinked = false;

function linkHelpers() {
  if (helpersLinked) {
    return;
  }
  helpersLinked = true;
  const parts = Math.min(navigator.hardwareConcurrency || 1, kMostParts);
  for (let helper = 0; helper < parts - 1; ++helper) {
    const helperWorker = new Worker(workerUrl);
    const {port1, port2} = new MessageChannel();
    helperWorker.postMessage({type: 'lead', port: port1}, [port1]);
    worker.postMessage({type: 'helper', port: port2}, [port2]);
    helperWorker.onerror = (event) =>
        worker.postMessage({type: 'helper-failed', helper, failure: event.message});
  }
}

function addLine(text) {
  const line = document.createElement('div');
  line.textContent = text;
  log.append(line);
}

// NAME.MIX and NAME.TXT, in any order and case; otherwise why not.
function pairOfFiles(files) {
  const byKind = {};
  for (const file of files) {
    const kind = file.name.match(/\.(mix|txt)$/i)?.[1].toLowerCase();
    if (kind) {
      byKind[kind] = file;
    }
  }
  if (files.length !== 2 || !byKind.mix || !byKind.txt) {
    return {error: `${kProgramName}: pick the two files of one log, NAME.MIX and NAME.TXT.`};
  }
  const base = (file) => file.name.slice(0, -4).toLowerCase();
  if (base(byKind.mix) !== base(byKind.txt)) {
    return {error: `${kProgramName}: ${byKind.mix.name} and ${byKind.txt.name} are not the two files of one log.`};
  }
  return {index: byKind.mix, text: byKind.txt};
}

const reader = document.getElementById('reader');
const searchField = document.getElementById('search');
const matchCount = document.getElementById('match-count');
const pane = document.getElementById('pane');
const kSearchDelayMs = 250;
// The pane's fields, in the order shown.
const kPaneFields = [['subject', '件名'], ['from', '差出人'], ['to', '宛先'], ['date', '日付']];

let mails = [];  // every mail of the run, in index order
let positions = new Map();  // a mail's place in mails, by its number
let openedNumber = 0;  // the mail the pane waits for or shows
let singleMailLink = null;
// The last run's mailbox, which the browser keeps for as long as its address
// lives: given up when the next run starts.
let downloadUrl = null;
const mailGrid = new MailGrid(document.getElementById('mails'), (mail) => openMail(mail));

// The search the list shows, the one the worker is running and the last typed:
// the worker runs one at a time, so a newer query waits for the one before
// and then supersedes it.
let searchTimer = 0;
let searchId = 0;
let searchRunning = false;
let searchWaiting = false;

function clearResult() {
  result.replaceChildren();
  if (downloadUrl) {
    URL.revokeObjectURL(downloadUrl);
    downloadUrl = null;
  }
}

function startResult() {
  clearResult();
  reader.hidden = true;
  mails = [];
  positions = new Map();
  searchField.value = '';
  ++searchId;
  clearPane();
}

function listMails(more) {
  for (const mail of more) {
    positions.set(mail.number, mails.length);
    mails.push(mail);
  }
}

function showMails(shown) {
  mailGrid.show(shown);
  mailGrid.grid.setAttribute('aria-busy', 'false');
  matchCount.textContent = shown === mails ? `全 ${mails.length} 通`
                                           : `${shown.length} 通が一致(全 ${mails.length} 通)`;
}

function clearPane() {
  openedNumber = 0;
  pane.hidden = true;
  pane.replaceChildren();
  if (singleMailLink) {
    URL.revokeObjectURL(singleMailLink.href);
    singleMailLink = null;
  }
}

function openMail({number}) {
  clearPane();
  openedNumber = number;
  worker.postMessage({type: 'mail', number});
}

// The pane shows the mail's fields and text as plain text, never as markup.
function showMail({number, name, bytes, lines}) {
  if (number !== openedNumber) {
    return;
  }
  if (!bytes) {
    lines.forEach(addLine);
    addLine(`${kProgramName}: mail ${number} could not be shown.`);
    return;
  }
  const mail = readEml(bytes);
  const fields = document.createElement('dl');
  for (const [key, title] of kPaneFields) {
    if (mail[key] !== undefined) {
      const term = document.createElement('dt');
      term.textContent = title;
      const value = document.createElement('dd');
      value.className = key;
      value.textContent = mail[key];
      fields.append(term, value);
    }
  }
  const text = document.createElement('div');
  text.className = 'text';
  text.textContent = mail.text;
  singleMailLink = document.createElement('a');
  singleMailLink.download = name;
  singleMailLink.href = URL.createObjectURL(new Blob([bytes], {type: 'message/rfc822'}));
  singleMailLink.textContent = 'このメールを .eml ファイルで保存';
  pane.replaceChildren(fields, singleMailLink, text);
  pane.hidden = false;
}

function searchNow() {
  searchWaiting = false;
  if (searchField.value === '') {
    ++searchId;
    showMails(mails);
    return;
  }
  if (searchRunning) {
    searchWaiting = true;
    return;
  }
  searchRunning = true;
  worker.postMessage({type: 'search', id: ++searchId, query: searchField.value});
}

function showMatches({id, numbers, lines}) {
  searchRunning = false;
  if (searchWaiting) {
    searchNow();
    return;
  }
  lines.forEach(addLine);
  if (id !== searchId) {
    return;
  }
  if (numbers) {
    showMails(Array.from(numbers, (number) => mails[positions.get(number)]));
  } else {
    mailGrid.grid.setAttribute('aria-busy', 'false');
  }
}

// Busy from the first key until the list shows what was typed.
searchField.addEventListener('input', () => {
  mailGrid.grid.setAttribute('aria-busy', 'true');
  clearTimeout(searchTimer);
  searchTimer = setTimeout(searchNow, kSearchDelayMs);
});

function finish({outcome, download, failure}) {
  button.disabled = false;
  progressBar.hidden = true;
  if (failure) {
    addLine(`${kProgramName}: the conversion stopped: ${failure}`);
  }
  if (!outcome || !download || !(outcome.complete || outcome.converted > 0)) {
    return;
  }
  const link = document.createElement('a');
  link.download = download.name;
  downloadUrl = URL.createObjectURL(download.blob);
  link.href = downloadUrl;
  link.textContent = `${download.name} を保存`;
  result.append(link);
  if (mails.length > 0) {
    reader.hidden = false;
    showMails(mails);
  }
}

worker.onmessage = ({data}) => {
  switch (data.type) {
    case 'line':
      addLine(data.text);
      break;
    case 'unreadable':
      addLine(`${kProgramName}: ${data.name} could not be read: it may have changed since it was picked.`);
      break;
    case 'mails':
      listMails(data.mails);
      break;
    case 'progress':
      progressBar.value = data.read / Math.max(data.size, 1);
      break;
    case 'done':
      finish(data);
      break;
    case 'mail':
      showMail(data);
      break;
    case 'matches':
      showMatches(data);
      break;
  }
};

// The worker failed outside a run, or in a way it could not catch.
worker.onerror = (event) => finish({failure: event.message});

form.addEventListener('submit', (event) => {
  event.preventDefault();
  const pair = pairOfFiles([...filesInput.files]);
  if (pair.error) {
    addLine(pair.error);
    clearResult();
    return;
  }
  startResult();
  linkHelpers();
  button.disabled = true;
  progressBar.value = 0;
  progressBar.hidden = false;
  worker.postMessage({
    type: 'convert',
    index: pair.index,
    text: pair.text,
    name: form.elements.name.value,
    email: form.elements.email.value,
    output: form.elements.output.value,
  });
});

// Files dropped anywhere on the form count as picked.
form.addEventListener('dragover', (event) => {
  event.preventDefault();
  form.classList.add('dragging');
});
form.addEventListener('dragleave', () => form.classList.remove('dragging'));
form.addEventListener('drop', (event) => {
  event.preventDefault();
  form.classList.remove('dragging');
  filesInput.files = event.dataTransfer.files;
});

// The page's own script: picks the two files of a log, hands them to the
// worker, and shows what comes back. The log never leaves the machine.
'use strict';

const kProgramName = 'mixconv';
const kListedMails = 2000;

const form = document.getElementById('form');
const filesInput = document.getElementById('files');
const button = document.getElementById('convert');
const progressBar = document.getElementById('progress');
const log = document.getElementById('log');
const result = document.getElementById('result');

const worker = new Worker(URL.createObjectURL(
    new Blob([document.getElementById('worker-source').textContent], {type: 'text/javascript'})));

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

let mailTable = null;
let listed = 0;
let notListed = null;

function startResult() {
  result.replaceChildren();
  mailTable = document.createElement('table');
  const head = mailTable.createTHead().insertRow();
  for (const title of ['日付', '差出人', '件名']) {
    const cell = document.createElement('th');
    cell.textContent = title;
    head.append(cell);
  }
  mailTable.createTBody();
  listed = 0;
  notListed = document.createElement('p');
}

function listMails(mails) {
  for (const {time, sender, subject} of mails) {
    if (listed++ >= kListedMails) {
      notListed.textContent = `ほか ${listed - kListedMails} 通`;
      continue;
    }
    const row = mailTable.tBodies[0].insertRow();
    for (const text of [new Date(time * 1000).toLocaleString('ja-JP'), sender, subject]) {
      row.insertCell().textContent = text;
    }
  }
}

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
  link.href = URL.createObjectURL(new Blob([download.bytes], {type: download.type}));
  link.textContent = `${download.name} を保存`;
  result.append(link);
  if (listed > 0) {
    result.append(mailTable, notListed);
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
  }
};

// The worker failed outside a run, or in a way it could not catch.
worker.onerror = (event) => finish({failure: event.message});

form.addEventListener('submit', (event) => {
  event.preventDefault();
  const pair = pairOfFiles([...filesInput.files]);
  if (pair.error) {
    addLine(pair.error);
    result.replaceChildren();
    return;
  }
  startResult();
  button.disabled = true;
  progressBar.value = 0;
  progressBar.hidden = false;
  worker.postMessage({
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

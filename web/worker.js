// The page's worker: converts one log at a time in a thread of its own, so that
// the page never freezes. createMixconv is the engine's module, wasm inside;
// fflate zips a folder of mail files into one download.
// The log is mounted, not read in: a file of any size is held nowhere twice.
// It stays mounted after a run, so that the page can ask for one of its mails,
// or for those that hold a text, until the next run.
// A mailbox is converted, and searched, in parts side by side: this worker
// takes the first part and helpers, workers that run this same script with an
// engine each, take the others; their lines, mails and pieces count in index
// order, up to the first part that stopped, as in one run.
'use strict';

const kProgramName = '@PROGRAM_NAME@';
const kProgressIntervalMs = 100;
const kMailBatchIntervalMs = 200;
// Each read of a picked file costs some milliseconds besides its bytes: in
// Chromium, 200 MB read in 4 MiB blocks took twice as long as in 16 MiB ones.
const kBlockBytes = 16 * 1024 * 1024;
// A mailbox comes in pieces as the engine writes it, each kept as a Blob at
// once, so that its bytes leave the worker's memory; a folder, written beside
// the log as the engine names it, is offered as one .zip.
const kMailboxType = 'application/mbox';
const kZipType = 'application/zip';
const kZipExtension = '.zip';
// The engine's last entry of a range that runs to the end of the index.
const kToTheEnd = 0xFFFFFFFF;

// Where this worker's messages go: the page, or the worker that leads a run
// in parts when this one is its helper.
let reply = (message, transfer = []) => postMessage(message, transfer);

let mails = [];
// While the page waits for one mail or a search: the lines the engine reports,
// which the page shows only when that failed.
let heldLines = null;
let mailFile = null;
let matches = null;
let lastMailBatch = 0;
let outcome = null;
let readFailed = false;
let mailboxPieces = [];

function flushMails() {
  if (mails.length) {
    reply({type: 'mails', mails});
    mails = [];
  }
  lastMailBatch = Date.now();
}

// Called by the engine through its EM_JS functions.
self.postLine = (text) => {
  if (heldLines) {
    heldLines.push(text);
    return;
  }
  flushMails();
  reply({type: 'line', text});
};
self.postMail = (number, time, sender, subject) => {
  mails.push({number, time, sender, subject});
  if (Date.now() - lastMailBatch > kMailBatchIntervalMs) {
    flushMails();
  }
};
self.postOutcome = (result, converted, total, complete, keptAt) => {
  outcome = {result, converted, total, complete, keptAt};
};
self.postPiece = (bytes) => {
  mailboxPieces.push(new Blob([bytes]));
};
self.postMailFile = (name, bytes) => {
  mailFile = {name, bytes};
};
self.postMatches = (numbers, complete) => {
  matches = {numbers, complete};
};

const modulePromise = createMixconv();
let prepared = false;
let progress = null;
// The block last read of each file, kept for one call of the engine only, so
// that a worker at rest holds none.
const blocks = new Map();

// Calls one of the engine's functions, which return nothing.
function callEngine(module, name, argumentTypes, argumentValues) {
  try {
    module.ccall(name, null, argumentTypes, argumentValues);
  } finally {
    blocks.clear();
  }
}

// Reads the log's files a block at a time: each read of a picked file is a
// round trip through the browser, far slower than the engine's small reads.
// Also counts what was read, for the page's progress bar.
function readInBlocks({FS, _mixconv_read_error_number: readErrorNumber}) {
  const workerfs = FS.filesystems.WORKERFS;
  const reader = new FileReaderSync();
  // A picked file that changed on disk since can no longer be read: the page
  // is told which, and the engine gets a failed read, ending its run as usual.
  const readBlock = (node, start, end) => {
    try {
      return new Uint8Array(reader.readAsArrayBuffer(node.contents.slice(start, end)));
    } catch (error) {
      if (!(error instanceof DOMException)) {
        throw error;
      }
      if (!readFailed) {
        readFailed = true;
        flushMails();
        reply({type: 'unreadable', name: node.name});
      }
      throw new FS.ErrnoError(readErrorNumber());
    }
  };
  workerfs.stream_ops.read = (stream, buffer, offset, length, position) => {
    const {node} = stream;
    const end = Math.min(position + length, node.size);
    if (position >= end) {
      return 0;
    }
    let block = blocks.get(node);
    if (!block || position < block.start || end > block.start + block.bytes.length) {
      const blockEnd = Math.min(node.size, position + Math.max(length, kBlockBytes));
      block = {start: position, bytes: readBlock(node, position, blockEnd)};
      blocks.set(node, block);
      if (progress) {
        progress.read += blockEnd - position;
        if (Date.now() - progress.posted > kProgressIntervalMs) {
          progress.posted = Date.now();
          reply({type: 'progress', read: progress.read, size: progress.size});
        }
      }
    }
    buffer.set(block.bytes.subarray(position - block.start, end - block.start), offset);
    return end - position;
  };
}

function entries(FS, path) {
  return FS.readdir(path).filter((name) => name !== '.' && name !== '..');
}

function removeTree(FS, path) {
  for (const name of entries(FS, path)) {
    const entry = `${path}/${name}`;
    if (FS.isDir(FS.lstat(entry).mode)) {
      removeTree(FS, entry);
    } else {
      FS.unlink(entry);
    }
  }
  FS.rmdir(path);
}

// As bytes: a file written in one piece holds a copy of the engine's Int8Array
// memory, whose bytes from 0x80 up read as negative numbers.
function fileBytes(FS, path) {
  const {contents, usedBytes} = FS.lookupPath(path).node;
  return contents ? new Uint8Array(contents.buffer, contents.byteOffset, usedBytes)
                  : new Uint8Array(0);
}

// The folder's files, each dated as on disk, which is its mail's date.
function zipFolder(FS, path) {
  const files = {};
  for (const name of entries(FS, path)) {
    const file = `${path}/${name}`;
    files[name] = [fileBytes(FS, file), {mtime: FS.stat(file).mtime}];
  }
  return fflate.zipSync(files);
}

// What the run wrote, as a download; null when it wrote no folder.
function written(FS, mailbox, keptAt) {
  if (mailbox) {
    return {name: keptAt, blob: new Blob(mailboxPieces, {type: kMailboxType})};
  }
  return keptAt ? {name: keptAt + kZipExtension, blob: new Blob([zipFolder(FS, keptAt)], {type: kZipType})}
                : null;
}

// The run's log, mounted, and the fields it was converted with; null before the first.
let mounted = null;

function unmountLog(FS) {
  if (!mounted) {
    return;
  }
  mounted = null;
  FS.chdir('/');
  removeTree(FS, '/work');
  FS.unmount('/in');
  FS.rmdir('/in');
}

// Mounts the picked files with links to them in a directory of their own, the
// engine's working directory, so that its lines name the files as the user
// knows them and what it writes goes beside them. A search of the log runs in
// parts as its conversion did.
function mountLog(FS, {index, text, name, email}, parts) {
  unmountLog(FS);
  FS.mkdir('/in');
  FS.mount(FS.filesystems.WORKERFS, {files: [index, text]}, '/in');
  FS.mkdir('/work');
  for (const file of [index, text]) {
    FS.symlink(`/in/${file.name}`, `/work/${file.name}`);
  }
  FS.chdir('/work');
  mounted = {index: index.name, name, email, parts};
}

// Removes what the run wrote beside the log, once it is offered.
function removeWritten(FS) {
  for (const name of entries(FS, '/work')) {
    const entry = `/work/${name}`;
    const {mode} = FS.lstat(entry);
    if (FS.isDir(mode)) {
      removeTree(FS, entry);
    } else if (!FS.isLink(mode)) {
      FS.unlink(entry);
    }
  }
}

// Converts the mails at entries, of which the progress bar counts share:
// returns the engine's outcome and the download, null when there is none.
// The log is mounted already.
function convertPart(module, request, {first, last}, share) {
  const {index, text, output} = request;
  const {FS} = module;
  progress = {read: 0, size: index.size + text.size * share, posted: 0};
  mailboxPieces = [];
  outcome = null;
  readFailed = false;
  try {
    callEngine(module, 'mixconv_convert',
               ['string', 'string', 'string', 'string', 'number', 'number'],
               [mounted.index, mounted.name, mounted.email, output, first, last]);
    flushMails();
    // Whatever was written before a picked file failed to read is not the log's mail.
    const download = readFailed ? null : written(FS, isMailbox(module, output), outcome.keptAt);
    return {outcome, download};
  } finally {
    progress = null;
    mailboxPieces = [];
    removeWritten(FS);
  }
}

function isMailbox(module, output) {
  return module.ccall('mixconv_output_is_mailbox', 'number', ['string'], [output]) !== 0;
}

// The helpers the page linked to this worker, each a port to a worker of its own.
const helpers = [];

// The log's mails in ranges of about as many, one for this worker and one for
// each helper; a folder of files is written by this worker alone.
function partsOf(module, {index, output}) {
  const entries = module.ccall('mixconv_entries_in_index', 'number', ['number'], [index.size]);
  const count = isMailbox(module, output) ? Math.max(1, Math.min(helpers.length + 1, entries)) : 1;
  return Array.from({length: count}, (_, part) => ({
    first: part === 0 ? 1 : Math.floor(entries * part / count) + 1,
    last: part === count - 1 ? kToTheEnd : Math.floor(entries * (part + 1) / count),
  }));
}

// Hands request to helper; resolves with what it posted, its answer last, or
// with a failure when the page saw the helper fail.
function ask(helper, request, answer) {
  return new Promise((resolve) => {
    const posted = [];
    helper.port.onmessage = ({data}) => {
      posted.push(data);
      if (data.type === answer) {
        resolve(posted);
      }
    };
    helper.failed = (failure) => resolve([...posted, {type: answer, failure}]);
    helper.port.postMessage(request);
  });
}

// What the parts after the first posted, once all have answered; a helper that
// failed fails the request.
async function answersOf(asked) {
  const answered = await Promise.all(asked);
  for (const posted of answered) {
    const answer = posted.at(-1);
    if (answer.failure) {
      throw new Error(answer.failure);
    }
  }
  return answered;
}

// Runs what thisPart returns while the helpers work on what was asked of
// them, and waits for their answers even when it fails: none is then left
// over to pass for the answer to the next request.
async function alongside(asked, thisPart) {
  try {
    return thisPart();
  } finally {
    await Promise.all(asked);
  }
}

// The run's outcome, and its download, null when there is none to offer.
async function convert(module, request) {
  const parts = partsOf(module, request);
  const [own, ...others] = parts;
  mountLog(module.FS, request, parts);
  const asked = others.map((entries, part) =>
      ask(helpers[part], {...request, type: 'part', entries}, 'done'));
  const first = await alongside(asked, () => convertPart(module, request, own, 1 / parts.length));
  const answered = await answersOf(asked);
  const run = {...first.outcome};
  const pieces = [first.download];
  // The parts after one that stopped count for nothing, as a run ends where it stops.
  for (const posted of answered) {
    if (!run.complete) {
      break;
    }
    const {outcome: part, download} = posted.pop();
    for (const message of posted) {
      if (message.type !== 'progress') {
        reply(message);
      }
    }
    run.converted += part.converted;
    run.complete = part.complete;
    pieces.push(download);
  }
  // A run in one part reports its own summary line.
  if (parts.length > 1 && run.result === 0) {
    callEngine(module, 'mixconv_summary', ['number', 'number'], [run.converted, run.total]);
  }
  const download = pieces.includes(null) ? null : {
    name: first.download.name,
    blob: pieces.length === 1 ? first.download.blob
                              : new Blob(pieces.map(({blob}) => blob), {type: first.download.blob.type}),
  };
  return {outcome: run, download};
}

// Runs one of the engine's calls on the mounted log, holding back the lines it
// reports; returns them.
function onMountedLog(module, call, argumentTypes, argumentsAfterFields) {
  heldLines = [];
  readFailed = false;
  try {
    callEngine(module, call, ['string', 'string', 'string', ...argumentTypes],
               [mounted.index, mounted.name, mounted.email, ...argumentsAfterFields]);
    return heldLines;
  } finally {
    heldLines = null;
  }
}

// The mail at number as one .eml file: {name, bytes}, or the lines that say why not.
function oneMail(module, {number}) {
  mailFile = null;
  const lines = onMountedLog(module, 'mixconv_mail', ['number'], [number]);
  return mailFile ? {type: 'mail', number, ...mailFile} : {type: 'mail', number, lines};
}

// The numbers of the mails at entries that hold query, and whether each of them was searched.
function searchPart(module, {id, query, entries: {first, last}}) {
  matches = null;
  const lines = onMountedLog(module, 'mixconv_search', ['string', 'number', 'number'],
                             [query, first, last]);
  return {type: 'matches', id, ...matches, lines: matches.complete ? [] : lines};
}

// The numbers of the mails that hold query, searched in the parts the log was converted in.
async function search(module, request) {
  const [own, ...others] = mounted.parts;
  const asked = others.map((entries, part) =>
      ask(helpers[part], {...request, type: 'search-part', entries}, 'matches'));
  const found = [await alongside(asked, () => searchPart(module, {...request, entries: own}))];
  for (const posted of await answersOf(asked)) {
    // A helper that could not search counts as a part that stopped.
    found.push({numbers: new Uint32Array(0), complete: false, ...posted.at(-1)});
  }
  const stopped = found.findIndex(({complete}) => !complete);
  const counted = stopped === -1 ? found : found.slice(0, stopped + 1);
  const numbers = new Uint32Array(counted.reduce((sum, part) => sum + part.numbers.length, 0));
  let filled = 0;
  for (const part of counted) {
    numbers.set(part.numbers, filled);
    filled += part.numbers.length;
  }
  return {type: 'matches', id: request.id, numbers, complete: stopped === -1,
          lines: counted.flatMap((part) => part.lines)};
}

const kNoLog = `${kProgramName}: no log has been converted yet.`;

// What a request for a mail or a search gets when it cannot be answered.
function refusal(data, lines) {
  return data.type === 'mail' ? {type: 'mail', number: data.number, lines}
                              : {type: 'matches', id: data.id, lines};
}

// Answers every request, whatever went wrong: a run with 'done', so that the
// page is ready for the next, a mail or a search with what it asked for. A
// helper's part of a run or a search is answered the same way.
async function answer(data) {
  try {
    const module = await modulePromise;
    if (!prepared) {
      readInBlocks(module);
      prepared = true;
    }
    if (data.type === 'convert') {
      reply({type: 'done', ...await convert(module, data)});
    } else if (data.type === 'part') {
      mountLog(module.FS, data, null);
      reply({type: 'done', ...convertPart(module, data, data.entries, 0)});
    } else if (!mounted) {
      reply(refusal(data, [kNoLog]));
    } else if (data.type === 'mail') {
      const mail = oneMail(module, data);
      reply(mail, mail.bytes ? [mail.bytes.buffer] : []);
    } else {
      const found = data.type === 'search-part' ? searchPart(module, data)
                                                : await search(module, data);
      reply(found, [found.numbers.buffer]);
    }
  } catch (error) {
    const run = data.type === 'convert' || data.type === 'part';
    reply(run ? {type: 'done', failure: String(error)} : refusal(data, [`${kProgramName}: ${error}`]));
  }
}

// One request at a time: a run or a search waits for its helpers' answers.
let requests = Promise.resolve();
function enqueue(data) {
  requests = requests.then(() => answer(data));
}

// The page links helpers to the worker that leads, and tells it when one fails
// (which no answer in the queue could wait for).
onmessage = ({data}) => {
  if (data.type === 'helper') {
    helpers.push({port: data.port, failed: null});
  } else if (data.type === 'helper-failed') {
    helpers[data.helper].failed?.(data.failure);
  } else if (data.type === 'lead') {
    reply = (message, transfer = []) => data.port.postMessage(message, transfer);
    data.port.onmessage = (event) => enqueue(event.data);
  } else {
    enqueue(data);
  }
};

// The page's worker: converts one log at a time in a thread of its own, so that
// the page never freezes. createMixconv is the engine's module, wasm inside;
// fflate zips a folder of mail files into one download.
// The log is mounted, not read in: a file of any size is held nowhere twice.
// It stays mounted after a run, so that the page can ask for one of its mails,
// or for those that hold a text, until the next run.
'use strict';

const kProgramName = 'mixconv';
const kProgressIntervalMs = 100;
const kMailBatchIntervalMs = 200;
// Each read of a picked file costs some milliseconds besides its bytes: in
// Chromium, 200 MB read in 4 MiB blocks took twice as long as in 16 MiB ones.
const kBlockBytes = 16 * 1024 * 1024;
// What each entry of the page's output list gives: a mailbox comes in pieces
// as the engine writes it, each kept as a Blob at once, so that its bytes leave
// the worker's memory; a folder, written beside the log as the engine names
// it, is offered as one .zip.
const kOutputs = {
  readable: {extension: '.mbx', type: 'application/mbox'},
  original: {extension: '.mbx', type: 'application/mbox'},
  eml: {extension: '.eml-files', type: 'application/zip', folder: true},
};
// A run that stops early leaves a folder under this name, NAME.partial.EXT.
const kPartialName = '.partial';
const kZipExtension = '.zip';

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
    postMessage({type: 'mails', mails});
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
  postMessage({type: 'line', text});
};
self.postMail = (number, time, sender, subject) => {
  mails.push({number, time, sender, subject});
  if (Date.now() - lastMailBatch > kMailBatchIntervalMs) {
    flushMails();
  }
};
self.postOutcome = (converted, total, complete) => {
  outcome = {converted, total, complete};
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

// Reads the log's files a block at a time: each read of a picked file is a
// round trip through the browser, far slower than the engine's small reads.
// Also counts what was read, for the page's progress bar.
function readInBlocks({FS, _mixconv_read_error_number: readErrorNumber}) {
  const workerfs = FS.filesystems.WORKERFS;
  const reader = new FileReaderSync();
  const blocks = new WeakMap();  // the block last read of each file
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
        postMessage({type: 'unreadable', name: node.name});
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
          postMessage({type: 'progress', read: progress.read, size: progress.size});
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
function written(FS, base, {extension, type, folder}) {
  if (!folder) {
    return {name: base + extension, blob: new Blob(mailboxPieces, {type})};
  }
  const name = [base + extension, base + kPartialName + extension]
      .find((candidate) => FS.analyzePath(candidate).exists);
  return name ? {name: name + kZipExtension, blob: new Blob([zipFolder(FS, name)], {type})} : null;
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
// knows them and what it writes goes beside them.
function mountLog(FS, {index, text, name, email}) {
  unmountLog(FS);
  FS.mkdir('/in');
  FS.mount(FS.filesystems.WORKERFS, {files: [index, text]}, '/in');
  FS.mkdir('/work');
  for (const file of [index, text]) {
    FS.symlink(`/in/${file.name}`, `/work/${file.name}`);
  }
  FS.chdir('/work');
  mounted = {index: index.name, name, email};
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

// Returns the download, or null when there is none to offer.
function convert(module, request) {
  const {index, text, output} = request;
  const chosen = kOutputs[output];
  const {FS} = module;
  mountLog(FS, request);
  progress = {read: 0, size: index.size + text.size, posted: 0};
  mailboxPieces = [];
  outcome = null;
  readFailed = false;
  try {
    module.ccall('mixconv_convert', null, ['string', 'string', 'string', 'string'],
                 [mounted.index, mounted.name, mounted.email, output]);
    flushMails();
    // Whatever was written before a picked file failed to read is not the log's mail.
    // As the engine names it: a picked index exists, so it loses .mix in any case.
    return readFailed ? null : written(FS, index.name.replace(/\.mix$/i, ''), chosen);
  } finally {
    progress = null;
    mailboxPieces = [];
    removeWritten(FS);
  }
}

// Runs one of the engine's calls on the mounted log, holding back the lines it
// reports; returns them.
function onMountedLog(module, call, argumentType, argument) {
  heldLines = [];
  readFailed = false;
  try {
    module.ccall(call, null, ['string', 'string', 'string', argumentType],
                 [mounted.index, mounted.name, mounted.email, argument]);
    return heldLines;
  } finally {
    heldLines = null;
  }
}

// The mail at number as one .eml file: {name, bytes}, or the lines that say why not.
function oneMail(module, {number}) {
  mailFile = null;
  const lines = onMountedLog(module, 'mixconv_mail', 'number', number);
  return mailFile ? {type: 'mail', number, ...mailFile} : {type: 'mail', number, lines};
}

// The numbers of the mails that hold query, and whether every mail was searched.
function search(module, {id, query}) {
  matches = null;
  const lines = onMountedLog(module, 'mixconv_search', 'string', query);
  return {type: 'matches', id, ...matches, lines: matches.complete ? [] : lines};
}

const kNoLog = `${kProgramName}: no log has been converted yet.`;

// What a request for a mail or a search gets when it cannot be answered.
function refusal(data, lines) {
  return data.type === 'mail' ? {type: 'mail', number: data.number, lines}
                              : {type: 'matches', id: data.id, lines};
}

// Answers every request, whatever went wrong: a run with 'done', so that the
// page is ready for the next, a mail or a search with what it asked for.
onmessage = async ({data}) => {
  try {
    const module = await modulePromise;
    if (!prepared) {
      readInBlocks(module);
      prepared = true;
    }
    if (data.type === 'convert') {
      const download = convert(module, data);
      postMessage({type: 'done', outcome, download});
    } else if (!mounted) {
      postMessage(refusal(data, [kNoLog]));
    } else if (data.type === 'mail') {
      const answer = oneMail(module, data);
      postMessage(answer, answer.bytes ? [answer.bytes.buffer] : []);
    } else {
      const answer = search(module, data);
      postMessage(answer, [answer.numbers.buffer]);
    }
  } catch (error) {
    postMessage(data.type === 'convert' ? {type: 'done', failure: String(error)}
                                        : refusal(data, [`${kProgramName}: ${error}`]));
  }
};

// The page's worker: converts one log at a time in a thread of its own, so that
// the page never freezes. createMixconv is the engine's module, wasm inside.
// The log is mounted, not read in: a file of any size is held nowhere twice.
'use strict';

const kProgressIntervalMs = 100;
const kMailBatchIntervalMs = 200;
const kBlockBytes = 4 * 1024 * 1024;

let mails = [];
let lastMailBatch = 0;
let outcome = null;
let readFailed = false;

function flushMails() {
  if (mails.length) {
    postMessage({type: 'mails', mails});
    mails = [];
  }
  lastMailBatch = Date.now();
}

// Called by the engine through its EM_JS functions.
self.postLine = (text) => {
  flushMails();
  postMessage({type: 'line', text});
};
self.postMail = (time, sender, subject) => {
  mails.push({time, sender, subject});
  if (Date.now() - lastMailBatch > kMailBatchIntervalMs) {
    flushMails();
  }
};
self.postOutcome = (converted, total, complete) => {
  outcome = {converted, total, complete};
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

// MEMFS grows a file by an eighth at a time, copying it whole each time: a
// mailbox of some hundred megabytes would spend most of the run there. The
// mailbox starts as large as the log's text, about its size, and doubles.
function growFilesByDoubling(FS) {
  const memfs = FS.filesystems.MEMFS;
  memfs.expandFileStorage = (node, needed) => {
    const capacity = node.contents ? node.contents.length : 0;
    if (capacity >= needed) {
      return;
    }
    const contents = new Uint8Array(Math.max(needed, capacity ? capacity * 2 : progress?.textSize ?? 0));
    if (node.usedBytes > 0) {
      contents.set(node.contents.subarray(0, node.usedBytes));
    }
    node.contents = contents;
  };
}

function removeTree(FS, path) {
  for (const name of FS.readdir(path)) {
    if (name !== '.' && name !== '..') {
      FS.unlink(`${path}/${name}`);
    }
  }
  FS.rmdir(path);
}

// Converts in a directory of links to the picked files, the engine's working
// directory, so that its lines name the files as the user knows them. Returns
// the mailbox, or null when there is none to offer.
function convert(module, {index, text, name, email, output}, mailboxName) {
  const {FS} = module;
  FS.mkdir('/in');
  FS.mount(FS.filesystems.WORKERFS, {files: [index, text]}, '/in');
  // The engine writes the mailbox beside the log: links to it in a writable place.
  FS.mkdir('/work');
  for (const file of [index, text]) {
    FS.symlink(`/in/${file.name}`, `/work/${file.name}`);
  }
  FS.chdir('/work');
  progress = {read: 0, size: index.size + text.size, textSize: text.size, posted: 0};
  outcome = null;
  readFailed = false;
  try {
    module.ccall('mixconv_convert', null, ['string', 'string', 'string', 'string'],
                 [index.name, name, email, output]);
    flushMails();
    // Whatever was written before a picked file failed to read is not the log's mailbox.
    if (readFailed || !FS.analyzePath(mailboxName).exists) {
      return null;
    }
    const {node} = FS.lookupPath(mailboxName);
    return node.contents ? node.contents.subarray(0, node.usedBytes) : new Uint8Array(0);
  } finally {
    progress = null;
    FS.chdir('/');
    removeTree(FS, '/work');
    FS.unmount('/in');
    FS.rmdir('/in');
  }
}

// Always answers with 'done', whatever went wrong, so that the page is ready
// for the next run.
onmessage = async ({data}) => {
  // As the engine names it: a picked index exists, so it loses .mix in any case.
  const mailboxName = data.index.name.replace(/\.mix$/i, '') + '.mbx';
  try {
    const module = await modulePromise;
    if (!prepared) {
      readInBlocks(module);
      growFilesByDoubling(module.FS);
      prepared = true;
    }
    const mailbox = convert(module, data, mailboxName);
    postMessage({type: 'done', outcome, mailboxName, mailbox}, mailbox ? [mailbox.buffer] : []);
  } catch (error) {
    postMessage({type: 'done', failure: String(error)});
  }
};

// Reads one mail file, as the reading pane shows it: its header fields unfolded
// and their encoded-words (RFC 2047) decoded, its text decoded from its
// transfer encoding and charset. Only for showing: nothing here is markup.
'use strict';

const kFolding = /\r?\n(?=[ \t])/g;
const kEncodedWord = /=\?([^?\s]+)\?([BbQq])\?([^?\s]*)\?=/g;
const kBetweenEncodedWords = /(\?=)[ \t]+(?==\?)/g;
const kCharsetParameter = /;\s*charset\s*=\s*"?([^";\s]+)"?/i;
const kFallbackCharset = 'utf-8';
const kLineFeed = 0x0a;
const kCarriageReturn = 0x0d;
const kEquals = 0x3d;
const kUnderscore = 0x5f;
const kSpace = 0x20;

// A decoder for the charset's label (RFC 2231's language after "*" dropped),
// or for UTF-8 where the browser knows no such charset.
function decoderFor(charset) {
  try {
    return new TextDecoder(charset.replace(/\*.*$/, ''));
  } catch {
    return new TextDecoder(kFallbackCharset);
  }
}

function base64Bytes(text) {
  return Uint8Array.from(atob(text.replace(/[^A-Za-z0-9+/]/g, '')), (c) => c.charCodeAt(0));
}

function hexValue(byte) {
  const digit = String.fromCharCode(byte ?? 0);
  return /^[0-9A-Fa-f]$/.test(digit) ? parseInt(digit, 16) : -1;
}

// Quoted-printable's =XX as bytes, its soft line breaks gone; in an
// encoded-word "_" is a space.
function quotedPrintableBytes(bytes, underscoreIsSpace) {
  const out = new Uint8Array(bytes.length);
  let length = 0;
  for (let i = 0; i < bytes.length; ++i) {
    const byte = bytes[i];
    if (byte === kEquals) {
      const lineBreak = bytes[i + 1] === kCarriageReturn ? i + 2 : i + 1;
      if (bytes[lineBreak] === kLineFeed) {
        i = lineBreak;
        continue;
      }
      const high = hexValue(bytes[i + 1]);
      const low = hexValue(bytes[i + 2]);
      if (high >= 0 && low >= 0) {
        out[length++] = high * 16 + low;
        i += 2;
        continue;
      }
    }
    out[length++] = underscoreIsSpace && byte === kUnderscore ? kSpace : byte;
  }
  return out.subarray(0, length);
}

// A field's value with its encoded-words decoded; white space between two of them goes.
function decodeHeaderValue(value) {
  return value.replace(kBetweenEncodedWords, '$1').replace(kEncodedWord, (word, charset, kind, text) => {
    try {
      const bytes = kind.toUpperCase() === 'B' ? base64Bytes(text)
                                               : quotedPrintableBytes(new TextEncoder().encode(text), true);
      return decoderFor(charset).decode(bytes);
    } catch {
      return word;
    }
  });
}

// Where the header ends (at its last line's end) and the text starts: the first empty line.
function headerAndText(bytes) {
  for (let i = bytes.indexOf(kLineFeed); i >= 0; i = bytes.indexOf(kLineFeed, i + 1)) {
    const next = bytes[i + 1] === kCarriageReturn ? i + 2 : i + 1;
    if (bytes[next] === kLineFeed) {
      return {header: bytes.subarray(0, i + 1), text: bytes.subarray(next + 1)};
    }
  }
  return {header: bytes, text: bytes.subarray(bytes.length)};
}

// The first field of each name, by its name in lower case, unfolded.
function headerFields(header) {
  const fields = {};
  for (const line of header.replace(kFolding, '').split(/\r?\n/)) {
    const colon = line.indexOf(':');
    const name = line.slice(0, colon).trim().toLowerCase();
    if (colon > 0 && !(name in fields)) {
      fields[name] = line.slice(colon + 1).trim();
    }
  }
  return fields;
}

// {subject, from, to, date, text}: each field's text, undefined where the mail has none.
function readEml(bytes) {
  const {header, text} = headerAndText(bytes);
  // ASCII, or UTF-8 where a gateway mail's own lines hold more.
  const fields = headerFields(new TextDecoder(kFallbackCharset).decode(header));
  const charset = (fields['content-type'] ?? '').match(kCharsetParameter)?.[1] ?? kFallbackCharset;
  const quoted = (fields['content-transfer-encoding'] ?? '').toLowerCase() === 'quoted-printable';
  const field = (name) => (name in fields ? decodeHeaderValue(fields[name]) : undefined);
  return {
    subject: field('subject'),
    from: field('from'),
    to: field('to'),
    date: field('date'),
    text: decoderFor(charset).decode(quoted ? quotedPrintableBytes(text, false) : text)
        .replace(/\r\n/g, '\n'),
  };
}

/* Tillon content cipher: decodes the encoded files a Salebox sells.
 *
 * Must match the encoder of the seller tool byte for byte: an RC4-style
 * permutation generator whose output goes through a key-dependent
 * substitution (Rounds + 2 times) and then indexes the permutation; that byte
 * is XORed with the data. Encoding and decoding are the same operation.
 *
 * Works as a browser global (TillonCipher) and as a node module.
 */
(function (root, factory) {
  'use strict';
  var api = factory();
  if (typeof module === 'object' && module && module.exports) module.exports = api;
  else root.TillonCipher = api;
})(typeof self !== 'undefined' ? self : this, function () {
  'use strict';

  var MIN_KEY = 16;
  var MAX_KEY = 256;

  // The fixed mixing table every key schedule starts from; part of the
  // encoded-file format, so it must never change.
  var MIXING_TABLE = new Uint32Array([
    0x84932E4B, 0xFAA2D92F, 0x9B2EDE0D, 0x54C6BE46, 0xE0E31E84, 0x01D251DC,
    0x80B174A5, 0x5402686A, 0x80AB25E5, 0x11F429F0, 0xE7308403, 0x84932E4B,
    0xF1A94CD6, 0x0A3F0151, 0x1AB9CA1E, 0x446FE701, 0xED85D620, 0x4C97067F,
    0xDC312AF3, 0xF9774549, 0xD08E8202, 0x617935EE, 0x097E49DA, 0xF1A94CD6,
    0xAD40AC09, 0x52C37EE2, 0x420412EF, 0x16908795, 0x1CF48CE3, 0xAE2C09E0,
    0x5943133E, 0x66264151, 0xB381B08A, 0xA2AD2FC1, 0x5402686A, 0x0BDA109B,
    0xE6FB12F6, 0x89AF08B0, 0x6EFFC905, 0xA2375616, 0x5878463C, 0x26A06BF6,
    0xB570CC8B, 0x4C97067F, 0xFF9504F4, 0x566DD7AE, 0xF7336461, 0xE07D2D54,
    0xCB7441DD, 0x83DE1D6F, 0x13E8986E, 0xD1A17130, 0xD8A8F054, 0xE0E31E84,
    0xB7CE98D5, 0x0A3F0151, 0x5402686A, 0xEBCC2E7B, 0x67953683, 0x2BE17450,
    0xD08DAD51, 0x7E27A7DB, 0x6D68106C, 0xFDB7C993, 0x88AD30D9, 0xE07D2D54,
    0x07A0582D, 0xFF9504F4, 0xA26E0FE6, 0x5B69557C, 0xFA0866D2, 0x4C97067F,
    0xAD40AC09, 0x5943133E, 0x80AB25E5, 0x54C6BE46, 0x6EFFC905, 0x1CF48CE3,
    0xABEDFE71, 0x0A3F0151, 0x6D68106C, 0xB4015D06, 0x9EA6988E, 0xCB7441DD,
    0xF7336461, 0x956F41F7, 0xA3073381, 0xEBCC2E7B, 0xF1A94CD6, 0xD1A17130,
    0x23565351, 0xFF9504F4, 0xECDE9789, 0x617935EE, 0x55D1B9A5, 0x566DD7AE,
    0x79C1B731, 0x6EFFC905, 0xFAA2D92F, 0xAE2C09E0, 0x77B5600E, 0xD1A17130,
    0xECDE9789, 0xAE2C09E0, 0x83DE1D6F, 0x20296268, 0xF51F92D0, 0xC84C75E7,
    0x536BDD67, 0xB570CC8B, 0x88AD30D9, 0x420412EF, 0xFF9504F4, 0xAB014ECB,
    0x16908795, 0x3932537A, 0x81DD1925, 0xA31FD9FE, 0x57869B61, 0x87F2CDED,
    0x80AB25E5, 0x504DFEC9, 0x80E273A2, 0x24C6E9AF, 0xE0BD97E3, 0x52C37EE2,
    0x536BDD67, 0xABEDFE71, 0x5878463C, 0x79C1B731, 0x2753161B, 0xA26E0FE6,
    0x78A00E65, 0x67953683, 0xA31FD9FE, 0x356DE1DA, 0x4DB53FED, 0x8D776055,
    0x57869B61, 0xB381B08A, 0x14E1F667, 0x7053EC87, 0x4F54183C, 0xFC08E132,
    0xD893DCC9, 0xC84C75E7, 0x8D776055, 0xA2AD2FC1, 0x46BEB6D4, 0xF49B609B,
    0xE3010E4E, 0x80B174A5, 0x7053EC87, 0x505262D5, 0x3932537A, 0x703D00E9,
    0xA3073381, 0x5742E712, 0x88200FE7, 0x84AAAA28, 0xA2375616, 0x67953683,
    0x7E27A7DB, 0xDC312AF3, 0xE5BFFD93, 0x88AD30D9, 0x0A3F0151, 0x27C1BDEC,
    0x75CC07D2, 0xD08DAD51, 0x4C5CECD1, 0xD8A8F054, 0x24C6E9AF, 0x505262D5,
    0x505262D5, 0x097E49DA, 0xEBCC2E7B, 0x1D56EFB9, 0xFC08E132, 0xF9774549,
    0x80AB25E5, 0x566DD7AE, 0x768633EB, 0x59452C4A, 0x097E49DA, 0x504DFEC9,
    0x5B69557C, 0x5742E712, 0xA564294D, 0x54AC2260, 0xA3073381, 0x06719ED0,
    0x11F429F0, 0x5563A3A1, 0x75CC07D2, 0x2BE17450, 0x63A9B14F, 0x818BE063,
    0x56CAD345, 0x1D56EFB9, 0x75CC07D2, 0x67953683, 0x5C58F83E, 0xF81D7562,
    0x2753161B, 0x46BEB6D4, 0xA5AE9957, 0x0A3F0151, 0x956F41F7, 0x26A06BF6,
    0xF0E9BB99, 0xAD4C88D2, 0x6B6781B8, 0x4F54183C, 0x7053EC87, 0x24C6E9AF,
    0x84932E4B, 0x768633EB, 0x5402686A, 0x78A00E65, 0x5C58F83E, 0xD08E8202,
    0x9F4782C9, 0x84932E4B, 0x1CF48CE3, 0x9DA65A3A, 0xAB014ECB, 0x956F41F7,
    0xE6FB12F6, 0x54C6BE46, 0xA4E9887D, 0x9FA7BDDF, 0x79C1B731, 0xEE887F66,
    0x89382CA8, 0xFDB7C993, 0x0BDA109B, 0xE3010E4E, 0xD08DAD51, 0xD893DCC9,
    0xA53B4501, 0x818BE063, 0xC84C75E7, 0xDC312AF3, 0x66264151, 0xC84C75E7,
    0x84AAAA28, 0x9DA65A3A, 0x1AB9CA1E, 0x9B2EDE0D, 0x53BA4403, 0x2BE17450,
    0xED85D620, 0x9F4782C9, 0xFDB7C993, 0xECDE9789
  ]);

  function hexValue(code) {
    if (code >= 48 && code <= 57) return code - 48;
    if (code >= 97 && code <= 102) return code - 87;
    if (code >= 65 && code <= 70) return code - 55;
    return -1;
  }

  function utf8(text) {
    if (typeof TextEncoder !== 'undefined') return new TextEncoder().encode(text);
    var bytes = [];
    var s = unescape(encodeURIComponent(text));
    for (var k = 0; k < s.length; k++) bytes.push(s.charCodeAt(k));
    return new Uint8Array(bytes);
  }

  // The seller tool checks the key text as bytes; the same checks on the
  // UTF-8 bytes give the same messages for any text.
  function hexToKey(text) {
    var bytes = utf8(String(text));
    var n = bytes.length;
    if (n % 2 !== 0) throw new Error('Invalid hex encoded key (must have even number of characters)');
    if (n === 0) throw new Error('Invalid hex encoded key (empty)');
    if (n < 2 * MIN_KEY) throw new Error('Invalid hex encoded key (too short - must be at least 32 chars)');
    if (n > 2 * MAX_KEY) throw new Error('Invalid hex encoded key (too long - must be at most 512 chars)');
    var key = new Uint8Array(n / 2);
    for (var k = 0; k < n; k++) {
      var v = hexValue(bytes[k]);
      if (v < 0) {
        var c = bytes[k];
        var shown = c >= 0x20 && c < 0x7f ? String.fromCharCode(c)
                                          : '\\x' + (c < 16 ? '0' : '') + c.toString(16).toUpperCase();
        throw new Error("Invalid hex encoded key (not a hexadecimal digit: '" + shown + "')");
      }
      key[k >> 1] = k % 2 === 0 ? v << 4 : key[k >> 1] | v;
    }
    return key;
  }

  function keyToHex(key) {
    var hex = '';
    for (var k = 0; k < key.length; k++) hex += (key[k] < 16 ? '0' : '') + key[k].toString(16).toUpperCase();
    return hex;
  }

  function asBytes(data) {
    if (data instanceof Uint8Array) return data;
    if (data instanceof ArrayBuffer) return new Uint8Array(data);
    if (ArrayBuffer.isView(data)) return new Uint8Array(data.buffer, data.byteOffset, data.byteLength);
    return Uint8Array.from(data);
  }

  // A keyed generator; process() runs the key stream on across calls, so a
  // file may be decoded piece by piece.
  function Cipher(keyBytes) {
    var key = asBytes(keyBytes);
    if (key.length < MIN_KEY) throw new Error('Encryption key MUST be 16 bytes (128 bits) or greater');
    if (key.length > MAX_KEY) throw new Error('Encryption key MUST be 256 bytes (2048 bits) or less');
    var k, n, sum = 0;
    for (k = 0; k < key.length; k++) sum += key[k];
    var rounds = sum % 4;

    var table = new Uint32Array(MIXING_TABLE);
    for (k = 0; k < MIN_KEY; k++) table[key[k]] -= key[k];
    var substitution = new Uint8Array(256);
    this.expandedKey = new Uint8Array(256);
    for (n = 0; n < 256; n++) {
      var b = key[n % key.length];
      substitution[n] = (table[255 - n] >>> (8 * (b & 3))) & 0xff;
      this.expandedKey[n] = b ^ substitution[n];
    }
    // The Rounds + 2 substitution passes depend only on their input: folded
    // into one table once instead of chained for every byte.
    this.passes = new Uint8Array(256);
    for (n = 0; n < 256; n++) {
      var r = substitution[n];
      for (k = 0; k <= rounds; k++) r = substitution[r];
      this.passes[n] = r;
    }
    this.state = new Uint8Array(256);
    this.reset();
  }

  Cipher.prototype.reset = function () {
    var s = this.state, e = this.expandedKey, n, j = 0, t;
    for (n = 0; n < 256; n++) s[n] = n;
    for (n = 0; n < 256; n++) {
      j = (j + s[n] + e[n]) & 0xff;
      t = s[n]; s[n] = s[j]; s[j] = t;
    }
    this.i = 0;
    this.j = 0;
  };

  // XORs the key stream into bytes[0..length) where they lie.
  Cipher.prototype.processInPlace = function (bytes) {
    var s = this.state, p = this.passes, i = this.i, j = this.j;
    var length = bytes.length, k, si, sj;
    for (k = 0; k < length; k++) {
      i = (i + 1) & 0xff;
      si = s[i];
      j = (j + si) & 0xff;
      sj = s[j];
      s[i] = sj;
      s[j] = si;
      bytes[k] ^= s[p[(si + sj) & 0xff]];
    }
    this.i = i;
    this.j = j;
    return bytes;
  };

  // The next chunk decoded into a new array.
  Cipher.prototype.process = function (chunk) {
    return this.processInPlace(new Uint8Array(asBytes(chunk)));
  };

  function decode(keyBytes, data) {
    return new Cipher(keyBytes).process(data);
  }

  return { hexToKey: hexToKey, keyToHex: keyToHex, decode: decode, Cipher: Cipher };
});

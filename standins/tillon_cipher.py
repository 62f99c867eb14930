#!/usr/bin/env python3
"""Decoder of Bravant's content cipher, as the Tillon service holds it.

Bravant encodes every product file before upload; the service keeps the
product's key (hex text, "product_key") and decodes for a paying buyer.
Encoding and decoding are the same operation: each data byte is XORed with a
byte of a key stream that starts afresh for every file. The stream is an
RC4-style permutation generator whose output index passes through a
key-dependent substitution (two to five times) before it picks the byte of
the permutation that is used.

    python3 tillon_cipher.py KEYHEX INFILE OUTFILE

Standard library only.
"""
import os
import sys

# The fixed mixing table shared with Bravant: 256 words indexed by a byte.
# Both ends must hold exactly these values (132 distinct words).
MIXING_TABLE = (
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
)

PIECE = 1 << 16  # bytes read at a time; the key stream runs on across pieces
HEX_DIGITS = frozenset("0123456789abcdefABCDEF")


def key_from_hex(text):
    """The key bytes of a hex key text (either case), 16 to 256 bytes.

    Raises ValueError for a malformed text; characters other than hex digits
    and texts longer than 512 characters are refused rather than guessed at.
    """
    if len(text) % 2:
        raise ValueError("Invalid hex encoded key (must have even number of characters)")
    if not text:
        raise ValueError("Invalid hex encoded key (empty)")
    if len(text) < 32:
        raise ValueError("Invalid hex encoded key (too short - must be at least 32 chars)")
    if len(text) > 512:
        raise ValueError("Invalid hex encoded key (too long - at most 512 chars)")
    if not HEX_DIGITS.issuperset(text):
        raise ValueError("Invalid hex encoded key (not hexadecimal)")
    return bytes.fromhex(text)


class Decoder:
    """One key stream; feed the file's bytes in order, in pieces of any size."""

    def __init__(self, key):
        key = bytes(key)
        if len(key) < 16:
            raise ValueError("Encryption key MUST be 16 bytes (128 bits) or greater")
        if len(key) > 256:
            raise ValueError("Encryption key longer than 256 bytes")
        rounds = sum(key) % 4
        table = list(MIXING_TABLE)
        # Only the first 16 key bytes adjust the table, each the word it names.
        for c in key[:16]:
            table[c] = (table[c] - c) & 0xFFFFFFFF
        length = len(key)
        subst = bytearray(256)
        expanded = bytearray(256)
        for n in range(256):
            b = key[n % length]
            s = (table[255 - n] >> (8 * (b & 3))) & 0xFF
            subst[n] = s
            expanded[n] = b ^ s
        # The substitution applied rounds + 2 times, folded into one lookup.
        passes = bytearray(range(256))
        for _ in range(rounds + 2):
            passes = bytearray(subst[p] for p in passes)
        state = bytearray(range(256))
        j = 0
        for n in range(256):
            j = (j + state[n] + expanded[n]) & 255
            state[n], state[j] = state[j], state[n]
        self._passes = bytes(passes)
        self._state = state
        self._i = 0
        self._j = 0

    def process(self, data):
        """data XORed with the next len(data) bytes of the key stream."""
        out = bytearray(data)
        state = self._state
        passes = self._passes
        i = self._i
        j = self._j
        for k in range(len(out)):
            i = (i + 1) & 255
            si = state[i]
            j = (j + si) & 255
            sj = state[j]
            state[i] = sj
            state[j] = si
            out[k] ^= state[passes[(si + sj) & 255]]
        self._i = i
        self._j = j
        return bytes(out)


def decode(key_hex, data):
    """data decoded (or encoded: the same thing) with the key of key_hex."""
    return Decoder(key_from_hex(key_hex)).process(data)


def decode_file(key_hex, source, target):
    """Decodes the file source into target (written whole, then renamed)."""
    decoder = Decoder(key_from_hex(key_hex))
    temp = target + ".part"
    with open(source, "rb") as inp:
        try:
            with open(temp, "wb") as out:
                while True:
                    piece = inp.read(PIECE)
                    if not piece:
                        break
                    out.write(decoder.process(piece))
            os.replace(temp, target)
        except BaseException:
            if os.path.exists(temp):
                os.remove(temp)
            raise


def main(argv):
    if len(argv) != 4:
        sys.stderr.write("usage: tillon_cipher.py KEYHEX INFILE OUTFILE\n")
        return 2
    try:
        decode_file(argv[1], argv[2], argv[3])
    except (ValueError, OSError) as error:
        sys.stderr.write("tillon_cipher: %s\n" % error)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

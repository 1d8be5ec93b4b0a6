#!/usr/bin/env python3
"""Builds the stand-in database's answer file for a disc from its tracks'
WAV files (16-bit stereo, 44.1 kHz, in disc order).

The checksums come from whipper's accuraterip-checksum (--oracle), the
sector-450 checksums from the formula below, and the disc IDs from the TOC
here; none of it from the program's own code.

The TOC is the WAVs laid end to end from LBA 0 unless --toc gives one:
"start,start,...:leadout" in program-area LBAs for every track, data tracks
included, with --audio naming the 1-based positions of the audio tracks.
Writes ROOT/a/b/c/dBAR-nnn-id1-id2-id3.bin and prints its path.
"""
import argparse
import os
import struct
import subprocess
import sys
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_ORACLE = os.path.join(HERE, '..', '..', 'build', 'deps', 'whipper', 'accuraterip-checksum')


def frames_of(path):
    with wave.open(path, 'rb') as w:
        if w.getnchannels() != 2 or w.getsampwidth() != 2:
            sys.exit('make_bin: %s is not 16-bit stereo' % path)
        return w.readframes(w.getnframes())


def frame450(pcm):
    """Sum over k = 0..587 of x[450*588 + k] * (k + 1), mod 2^32."""
    start = 450 * 588
    if len(pcm) < (start + 588) * 4:
        return 0
    xs = struct.unpack_from('<588I', pcm, start * 4)
    return sum(x * (k + 1) for k, x in enumerate(xs)) & 0xFFFFFFFF


def oracle(tool, path, track, total, v1):
    out = subprocess.run([tool, '--accuraterip-v1' if v1 else '--accuraterip-v2', path, str(track), str(total)],
                         check=True, capture_output=True, text=True).stdout.strip()
    return int(out, 16)


def cddb_id(starts, leadout):
    def digits(n):
        return sum(int(c) for c in str(n))
    secs = [(s + 150) // 75 for s in starts]
    n = sum(digits(s) for s in secs)
    length = (leadout + 150) // 75 - secs[0]
    return ((n % 0xFF) << 24) | (length << 8) | len(starts)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('--root', required=True)
    ap.add_argument('--oracle', default=os.environ.get('WQ_AR_ORACLE', DEFAULT_ORACLE))
    ap.add_argument('--toc')
    ap.add_argument('--audio', help='1-based positions of the audio tracks in --toc')
    ap.add_argument('--confidence', type=int, default=12)
    ap.add_argument('--v1-chunk', type=int, metavar='CONFIDENCE',
                    help='add a second chunk holding v1 checksums with this confidence')
    ap.add_argument('--wrong', type=int, action='append', default=[], metavar='TRACK',
                    help='store a checksum for TRACK that no rip of it gives')
    ap.add_argument('wavs', nargs='+')
    a = ap.parse_args()

    pcms = [frames_of(p) for p in a.wavs]
    if a.toc:
        s, lo = a.toc.split(':')
        starts = [int(x) for x in s.split(',')]
        leadout = int(lo)
        audio = [int(x) for x in a.audio.split(',')] if a.audio else list(range(1, len(starts) + 1))
    else:
        starts, pos = [], 0
        for pcm in pcms:
            if len(pcm) % 2352:
                sys.exit('make_bin: without --toc every WAV must be whole sectors')
            starts.append(pos)
            pos += len(pcm) // 2352
        leadout = pos
        audio = list(range(1, len(starts) + 1))
    if len(audio) != len(pcms):
        sys.exit('make_bin: %d WAVs for %d audio tracks' % (len(pcms), len(audio)))
    lsn = [starts[p - 1] for p in audio]
    count = len(lsn)
    id1 = (sum(lsn) + leadout) & 0xFFFFFFFF
    id2 = (sum(max(x, 1) * (i + 1) for i, x in enumerate(lsn)) + leadout * (count + 1)) & 0xFFFFFFFF
    id3 = cddb_id(starts, leadout)

    def chunk(v1, confidence):
        out = struct.pack('<BIII', count, id1, id2, id3)
        for t, (path, pcm) in enumerate(zip(a.wavs, pcms), start=1):
            crc = oracle(a.oracle, path, t, count, v1)
            if t in a.wrong:
                crc ^= 0x00A5A5A5
            out += struct.pack('<BII', confidence, crc, frame450(pcm))
        return out

    body = chunk(False, a.confidence)
    if a.v1_chunk is not None:
        body += chunk(True, a.v1_chunk)
    name = 'dBAR-%03d-%08x-%08x-%08x.bin' % (count, id1, id2, id3)
    h = '%08x' % id1
    folder = os.path.join(a.root, h[7], h[6], h[5])
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(body)
    print(os.path.join(folder, name))


if __name__ == '__main__':
    main()

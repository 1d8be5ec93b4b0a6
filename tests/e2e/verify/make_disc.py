#!/usr/bin/env python3
"""Writes a disc image (NAME.cue with NAME.bin) of noise tracks, each track
also as a WAV for the AccurateRip oracle, and prints one line per track:
"NN crc32" of its audio (zlib's CRC32, computed here, not by wavequill).

usage: make_disc.py DIR NAME SECONDS,SECONDS,... SEED
"""
import os
import random
import struct
import sys
import wave
import zlib


def main():
    folder, name, lengths, seed = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    rng = random.Random(seed)
    tracks = []
    for s in lengths.split(','):
        sectors = int(float(s) * 75)
        tracks.append(rng.randbytes(sectors * 2352))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name + '.bin'), 'wb') as f:
        for t in tracks:
            f.write(t)
    cue = ['FILE "%s.bin" BINARY' % name]
    at = 0
    for n, t in enumerate(tracks, start=1):
        cue.append('  TRACK %02d AUDIO' % n)
        cue.append('    INDEX 01 %02d:%02d:%02d' % (at // 4500, at // 75 % 60, at % 75))
        at += len(t) // 2352
    with open(os.path.join(folder, name + '.cue'), 'w', newline='\r\n') as f:
        f.write('\n'.join(cue) + '\n')
    for n, t in enumerate(tracks, start=1):
        with wave.open(os.path.join(folder, '%s-%02d.wav' % (name, n)), 'wb') as w:
            w.setnchannels(2)
            w.setsampwidth(2)
            w.setframerate(44100)
            w.writeframes(t)
        print('%02d %08X' % (n, zlib.crc32(t) & 0xFFFFFFFF))


if __name__ == '__main__':
    main()

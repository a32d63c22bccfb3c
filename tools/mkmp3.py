#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes a silent MPEG-1 Layer III file of a given length, optionally with
ID3v2.3 title, artist and album tags (UTF-16) and a front cover (APIC), for
demos, screenshots and benchmarks.

    mkmp3.py OUT.mp3 SECONDS [--title T] [--artist A] [--album B] [--cover C.jpg]
"""
import argparse
import struct

FRAME_SAMPLES = 1152
RATE = 44100
# 128 kbit/s, 44.1 kHz, no padding, joint stereo: 417-byte frames whose zeroed
# side information decodes as silence.
HEADER = bytes([0xFF, 0xFB, 0x90, 0x64])
FRAME_BYTES = 417


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def text_frame(frame_id, text):
    payload = b"\x01" + "\ufeff".encode("utf-16-le") + text.encode("utf-16-le")
    return frame_id.encode("ascii") + struct.pack(">I", len(payload)) + b"\x00\x00" + payload


def picture_frame(path):
    data = open(path, "rb").read()
    mime = b"image/png" if data[:4] == b"\x89PNG" else b"image/jpeg"
    # Latin-1 description, front cover (3), empty description.
    payload = b"\x00" + mime + b"\x00" + b"\x03" + b"\x00" + data
    return b"APIC" + struct.pack(">I", len(payload)) + b"\x00\x00" + payload


def id3v2(title, artist, album=None, cover=None):
    frames = b""
    if title:
        frames += text_frame("TIT2", title)
    if artist:
        frames += text_frame("TPE1", artist)
    if album:
        frames += text_frame("TALB", album)
    if cover:
        frames += picture_frame(cover)
    if not frames:
        return b""
    return b"ID3\x03\x00\x00" + syncsafe(len(frames)) + frames


def silent_mp3(seconds, title=None, artist=None, album=None, cover=None):
    frames = max(1, round(seconds * RATE / FRAME_SAMPLES))
    frame = HEADER + bytes(FRAME_BYTES - len(HEADER))
    return id3v2(title, artist, album, cover) + frame * frames


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("seconds", type=float)
    ap.add_argument("--title")
    ap.add_argument("--artist")
    ap.add_argument("--album")
    ap.add_argument("--cover")
    a = ap.parse_args()
    with open(a.out, "wb") as f:
        f.write(silent_mp3(a.seconds, a.title, a.artist, a.album, a.cover))


if __name__ == "__main__":
    main()

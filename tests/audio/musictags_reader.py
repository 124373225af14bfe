#!/usr/bin/env python3
"""Prints, as JSON, what a music file holds as mutagen reads it: the lyrics
(SYLT entries, USLT texts, Vorbis LYRICS / UNSYNCEDLYRICS, MP4 \u00a9lyr)
apart, and every other tag, picture, ID3v1 / APE tag and WAV INFO chunk in
a form that compares equal when it is kept."""

import base64
import hashlib
import json
import struct
import sys

import mutagen
import mutagen.apev2
import mutagen.flac
import mutagen.id3

LYRIC_FIELDS = ("lyrics", "unsyncedlyrics")


def digest(data):
    return hashlib.md5(data).hexdigest()


def picture(p):
    return [p.type, p.mime, p.desc, p.width, p.height, p.depth, digest(p.data)]


def id3_part(tags, out):
    out["id3version"] = "2.%d" % tags.version[1]
    out["sylt"] = [
        {"lang": f.lang, "format": f.format, "type": f.type,
         "entries": [[ms, text] for text, ms in f.text]}
        for f in tags.getall("SYLT")]
    out["uslt"] = [[f.lang, f.text] for f in tags.getall("USLT")]
    others = {}
    for key, frame in tags.items():
        if frame.FrameID in ("SYLT", "USLT"):
            continue
        if frame.FrameID == "APIC":
            others[key] = [frame.type, frame.mime, frame.desc, digest(frame.data)]
        else:
            others[key] = str(frame)
    out["tags"] = others


def vorbis_part(comment, out):
    fields = {}
    for key, value in comment:
        fields.setdefault(key.lower(), []).append(value)
    for name in LYRIC_FIELDS:
        out[name] = fields.pop(name, [])
    pictures = fields.pop("metadata_block_picture", [])
    out["pictures"] = [picture(mutagen.flac.Picture(base64.b64decode(p))) for p in pictures]
    out["tags"] = fields


def riff_info(path):
    with open(path, "rb") as f:
        data = f.read()
    at = 12
    while at + 8 <= len(data):
        chunk, size = struct.unpack("<4sI", data[at:at + 8])
        if chunk == b"LIST" and data[at + 8:at + 12] == b"INFO":
            return digest(data[at:at + 8 + size])
        at += 8 + size + (size & 1)
    return None


def tail_tags(path, out):
    with open(path, "rb") as f:
        f.seek(-128, 2)
        last = f.read(128)
    out["id3v1"] = digest(last) if last.startswith(b"TAG") else None
    try:
        ape = mutagen.apev2.APEv2(path)
        out["ape"] = {k: str(v) for k, v in ape.items()}
    except mutagen.apev2.APENoHeaderError:
        out["ape"] = None


def main(path):
    f = mutagen.File(path)
    out = {"kind": type(f).__name__, "tags": {}}
    if isinstance(f.tags, mutagen.id3.ID3):
        id3_part(f.tags, out)
    elif out["kind"] in ("MP3", "WAVE", "AIFF"):
        out.update({"id3version": None, "sylt": [], "uslt": []})
    elif isinstance(f, mutagen.flac.FLAC):
        vorbis_part(f.tags, out)
        out["pictures"] = [picture(p) for p in f.pictures] + out["pictures"]
    elif f.tags is not None and hasattr(f.tags, "vendor"):
        vorbis_part(f.tags, out)
    elif out["kind"] == "MP4":
        items = {k: v for k, v in f.tags.items()}
        out["lyr"] = items.pop("\u00a9lyr", [])
        out["pictures"] = [digest(bytes(c)) for c in items.pop("covr", [])]
        out["tags"] = {k: repr(v) for k, v in items.items()}
    if out["kind"] == "MP3":
        tail_tags(path, out)
    if out["kind"] == "WAVE":
        out["info"] = riff_info(path)
    json.dump(out, sys.stdout, ensure_ascii=False, sort_keys=True)


if __name__ == "__main__":
    main(sys.argv[1])

#!/usr/bin/env python3
# Prints as JSON what a music file holds, as mutagen reads it: the lyrics
# fields (sylt, uslt, lyrics, unsyncedlyrics, lyr), and every other tag,
# picture, ID3v1 / APE tag and WAV INFO chunk in a form that compares equal
# when it is kept.
import base64, hashlib, io, json, struct, sys
import mutagen, mutagen.apev2, mutagen.flac, mutagen.id3


def md5(data):
    return hashlib.md5(data).hexdigest()


def picture(p):
    return [p.type, p.mime, p.desc, p.width, p.height, p.depth, md5(p.data)]


def id3(tags, out):
    out["id3version"] = "2.%d" % tags.version[1] if tags is not None else None
    frames = tags.values() if tags is not None else []
    out["sylt"] = [{"lang": f.lang, "format": f.format, "type": f.type,
                    "entries": [[ms, text] for text, ms in f.text]}
                   for f in frames if f.FrameID == "SYLT"]
    out["uslt"] = [[f.lang, f.text] for f in frames if f.FrameID == "USLT"]
    out["tags"] = {f.HashKey: [f.type, f.mime, f.desc, md5(f.data)]
                   if f.FrameID == "APIC" else str(f)
                   for f in frames if f.FrameID not in ("SYLT", "USLT")}


def vorbis(comment, out):
    fields = {}
    for key, value in comment:
        fields.setdefault(key.lower(), []).append(value)
    out["lyrics"] = fields.pop("lyrics", [])
    out["unsyncedlyrics"] = fields.pop("unsyncedlyrics", [])
    out["pictures"] += [picture(mutagen.flac.Picture(base64.b64decode(p)))
                        for p in fields.pop("metadata_block_picture", [])]
    out["tags"] = fields


def riff_info(data, at=12):
    while at + 8 <= len(data):
        chunk, size = struct.unpack("<4sI", data[at:at + 8])
        if chunk == b"LIST" and data[at + 8:at + 12] == b"INFO":
            return md5(data[at:at + 8 + size])
        at += 8 + size + (size & 1)
    return None


# By content first: mutagen takes an MP3 file named .flac for FLAC.
data = open(sys.argv[1], "rb").read()
f = mutagen.File(io.BytesIO(data)) or mutagen.File(sys.argv[1])
out = {"kind": type(f).__name__}
if out["kind"] in ("MP3", "WAVE", "AIFF"):
    id3(f.tags, out)
if out["kind"] == "MP3":
    out["id3v1"] = md5(data[-128:]) if data[-128:].startswith(b"TAG") else None
    try:
        out["ape"] = {k: str(v) for k, v in mutagen.apev2.APEv2(sys.argv[1]).items()}
    except mutagen.apev2.APENoHeaderError:
        out["ape"] = None
elif out["kind"] == "WAVE":
    out["info"] = riff_info(data)
elif out["kind"] == "MP4":
    items = dict(f.tags.items())
    out["lyr"] = items.pop("\u00a9lyr", [])
    out["pictures"] = [md5(bytes(c)) for c in items.pop("covr", [])]
    out["tags"] = {k: repr(v) for k, v in items.items()}
elif out["kind"] != "AIFF":
    out["pictures"] = [picture(p) for p in getattr(f, "pictures", [])]
    vorbis(f.tags, out)
json.dump(out, sys.stdout, ensure_ascii=False, sort_keys=True)

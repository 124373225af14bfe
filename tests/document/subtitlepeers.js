// Reads a subtitle file with a peer library and prints what it found, a
// line each, for tst_assform and tst_ttmlform to compare:
//   node subtitlepeers.js ass  <peers folder> <file.ass>
//     "<start cs> <end cs> <style>" then " <k cs>:<text>" per fragment
//   node subtitlepeers.js ttml <peers folder> <file.ttml>
//     "title <title>", then a line each: "<start ms> <end ms>", then
//     " <start ms>-<end ms>:<word>" per word (blanks as "_"), its reading's
//     parts in brackets after it
"use strict";
const fs = require("fs");
const path = require("path");
const { createRequire } = require("module");

const [mode, peers, file] = process.argv.slice(2);
const peerRequire = createRequire(path.join(peers, "package.json"));
const text = fs.readFileSync(file, "utf8");

if (mode === "ass") {
    const { compile } = peerRequire("ass-compiler");
    for (const d of compile(text, {}).dialogues) {
        let out = `${Math.round(d.start * 100)} ${Math.round(d.end * 100)} ${d.style}`;
        for (const slice of d.slices) {
            for (const f of slice.fragments) {
                const k = f.tag.kf ?? f.tag.k ?? f.tag.ko ?? f.tag.K;
                out += ` ${k}:${f.text}`;
            }
        }
        console.log(out);
    }
} else if (mode === "ttml") {
    // The parser takes the DOM of its host, which node has not.
    globalThis.DOMParser = peerRequire("@xmldom/xmldom").DOMParser;
    const { parseTTML } = peerRequire("@applemusic-like-lyrics/lyric");
    const lyric = parseTTML(text);
    const title = new Map(lyric.metadata).get("musicName") ?? [];
    console.log(`title ${title.join("/")}`);
    for (const line of lyric.lines) {
        let out = `${line.startTime} ${line.endTime}`;
        for (const w of line.words) {
            out += ` ${w.startTime}-${w.endTime}:${w.word.replaceAll(" ", "_")}`;
            if (w.ruby && w.ruby.length > 0)
                out += `[${w.ruby.map((r) => `${r.startTime}-${r.endTime}:${r.word ?? r.text}`).join(" ")}]`;
        }
        console.log(out);
    }
} else {
    process.exit(2);
}

// Reads a subtitle file with a peer library and prints what it found, a
// line each, for tst_assform and tst_ttmlform to compare:
//   node subtitlepeers.js ass  <peers folder> <file.ass>
//     "<start cs> <end cs> <style>" then " <k cs>:<text>" per fragment
//   node subtitlepeers.js ttml <peers folder> <file.ttml>
//     "<start ms> <end ms>" then " <start ms>-<end ms>:<word>" per word
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
    const { parseTTML } = peerRequire("@applemusic-like-lyrics/lyric");
    for (const line of parseTTML(text).lines) {
        let out = `${line.startTime} ${line.endTime}`;
        for (const w of line.words)
            out += ` ${w.startTime}-${w.endTime}:${w.word}`;
        console.log(out);
    }
} else {
    process.exit(2);
}

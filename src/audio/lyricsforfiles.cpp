#include "audio/lyricsforfiles.h"

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// The entries of one line: its words, the text before the first word going
// with it, or the whole line at its time.
void appendLine(QList<SyncedText>& synced, const LrcLine& line)
{
    const QString feed = synced.isEmpty() ? QString() : u"\n"_s;
    if (line.words.isEmpty()) {
        synced.append({line.milliseconds, feed + line.text});
        return;
    }
    for (qsizetype i = 0; i < line.words.size(); ++i) {
        const qsizetype from = i == 0 ? 0 : line.words.at(i).start;
        const qsizetype to =
            i + 1 < line.words.size() ? line.words.at(i + 1).start : line.text.size();
        synced.append({line.words.at(i).milliseconds,
                       (i == 0 ? feed : QString()) + line.text.sliced(from, to - from)});
    }
}

} // namespace

EmbeddedLyrics LyricsForAudioFile(const LrcDocument& lrc)
{
    EmbeddedLyrics lyrics;
    const LrcFlavour flavour = HasWordTimes(lrc) ? LrcFlavour::Enhanced : LrcFlavour::Plain;
    lyrics.lrcText = QString::fromUtf8(EncodeLrc(lrc, flavour));
    lyrics.plainLrcText = QString::fromUtf8(EncodeLrc(lrc, LrcFlavour::Plain));
    if (!lrc.startText.isEmpty())
        lyrics.synced.append({0, lrc.startText});
    for (const LrcLine& line : lrc.lines)
        appendLine(lyrics.synced, line);
    return lyrics;
}

} // namespace verselet

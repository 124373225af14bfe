// Each subtitle reader on files of about 10 MB: as many cues as a document
// holds, as its own writer writes them, and hostile ones (one unending cue
// of markup, one of word times, a deep nest of elements).
// Prints the time each takes. Target: each opens or is refused within a
// second.

#include "document/subtitles.h"

#include <QElapsedTimer>

#include <cstdio>
#include <functional>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kBytes = 10 * 1024 * 1024;

using Reader = Result<SubtitleRead, SubtitleFault> (*)(const QString&);

// A song of short lines, each timed word by word, as `write` writes it: as
// many as a document holds, or as make about 10 MB in a form that writes
// more per line.
QString manyCues(QByteArray (*write)(const SubtitleSource&))
{
    const auto song = [write](qint32 count) {
        SubtitleSource source;
        for (qint32 i = 0; i < count; ++i) {
            const qint32 at = i * 1000;
            KaraokeLine line{at, u"きょうは晴れた空の下で歌う"_s, {}};
            line.words = LineWords{line.text,
                                   {0, 2, 3, 6, 10},
                                   {at, at + 100, at + 300, at + 500, at + 700},
                                   at + 900,
                                   {}};
            source.song.lines.append(line);
        }
        return write(source);
    };
    QByteArray bytes = song(kMaxLrcLines - 1);
    if (bytes.size() > kBytes)
        bytes = song(qint32(qint64(kMaxLrcLines - 1) * kBytes / bytes.size()));
    std::printf("  (%.1f MB)\n", bytes.size() / 1048576.0);
    return QString::fromUtf8(bytes);
}

QString repeated(const QString& head, const QString& unit)
{
    QString text = head;
    text.reserve(kBytes / 2 + unit.size());
    while (text.size() * 2 < kBytes)
        text += unit;
    return text;
}

void time(const char* what, Reader read, const QString& text)
{
    QElapsedTimer timer;
    timer.start();
    const auto result = read(text);
    const double ms = timer.nsecsElapsed() / 1e6;
    std::printf("  %-44s %8.1f ms  %s\n", what, ms,
                result ? qPrintable(u"%1 lines"_s.arg(result.value().lines.size()))
                       : qPrintable(u"refused at line %1"_s.arg(result.error().line)));
}

} // namespace

int main()
{
    std::printf("subtitle readers on 10 MB of text\n");
    time("SRT, many cues", ReadSrt, manyCues(WriteSrt));
    time("WebVTT, many cues with word times", ReadWebVtt, manyCues(WriteWebVtt));
    time("ASS, many karaoke lines", ReadAss, manyCues(WriteAss));
    time("TTML, many lines with spans", ReadTtml, manyCues(WriteTtml));
    time("SRT, one cue of unclosed tags", ReadSrt,
         repeated(u"1\n00:00:01,000 --> 00:00:02,000\n"_s, u"<font <i "_s));
    time("WebVTT, one cue of inline times", ReadWebVtt,
         repeated(u"WEBVTT\n\n00:00:01.000 --> 01:00:00.000\n"_s, u"a<00:00:01.500>"_s));
    time("ASS, one line of \\k tags", ReadAss,
         repeated(u"[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
                  u"Effect, Text\nDialogue: 0,0:00:01.00,9:00:00.00,Default,,0,0,0,,"_s,
                  u"{\\k1}a"_s));
    time("TTML, elements nested without end", ReadTtml,
         repeated(
             u"<tt xmlns=\"http://www.w3.org/ns/ttml\"><body><div><p begin=\"1s\" end=\"2s\">"_s,
             u"<span>"_s));
    return 0;
}

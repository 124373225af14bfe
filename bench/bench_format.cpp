// Composes a 50 000-line timed lyrics text and classifies it back, as saving and
// opening a very long document would; also times the code page 932 boundary.
// Prints the median and best of several runs. Target: compose + classify
// together within 100 ms. Then the split of one very long line, as the timing
// window checks it after each key in the split field, at 10 000 and 50 000
// characters.

#include "document/lyricsformat.h"
#include "document/segments.h"
#include "document/textfile.h"
#include "document/timetag.h"

#include <QElapsedTimer>
#include <QList>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

constexpr int kLines = 50000;
constexpr int kRuns = 15;

struct Figure
{
    double median;
    double best;
};

Figure measure(const std::function<void()>& work)
{
    QList<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        ms.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms.at(ms.size() / 2), ms.first()};
}

void print(const char* what, Figure f)
{
    std::printf("  %-34s median %7.2f ms   best %7.2f ms\n", what, f.median, f.best);
}

} // namespace

int main()
{
    const QStringList texts{u"夜明けの空に ひとつ星が光る"_s, u"君の声が 遠く聞こえた"_s,
                            u"Run through the night, ～ la la la ～"_s, QString(),
                            u"①番の歌詞はここまで"_s};
    QList<TaggedLine> body{{kSeparatorTag.toString(), kSeparatorLine.toString()}};
    for (int i = 1; i < kLines; ++i) {
        const QString tag = i % 7 == 0 ? kUntimedTag.toString() : FormatTimeTag(i * 1500);
        body.append({tag, texts.at(i % texts.size())});
    }
    const QString header = u"タイトル：夜明けの歌\r\n作詞：ヴァースレット"_s;
    const QString start = u"イントロ"_s;

    QString composed;
    const Figure compose = measure([&] { composed = ComposeTimedText(header, start, body); });
    TimedTextLines read;
    const Figure classify = measure([&] { read = ClassifyTimedText(SplitWorkLines(composed)); });
    const Figure both = measure([&] {
        const QString file = ComposeTimedText(header, start, body);
        read = ClassifyTimedText(SplitWorkLines(file));
    });
    QByteArray bytes;
    const Figure encode = measure([&] { bytes = EncodeCp932(composed).value(); });
    QString decoded;
    const Figure decode = measure([&] { decoded = DecodeUserText(bytes).text; });

    if (read.body.size() != body.size() + 1 || decoded != composed) {
        std::printf("FAILED: the document did not read back (%lld body lines)\n",
                    static_cast<long long>(read.body.size()));
        return 1;
    }

    std::printf("timed lyrics text of %d lines (%lld characters, %lld bytes in code page 932)\n",
                kLines, static_cast<long long>(composed.size()),
                static_cast<long long>(bytes.size()));
    print("compose", compose);
    print("split + classify", classify);
    print("compose + classify (target 100 ms)", both);
    print("encode to code page 932", encode);
    print("decode an opened file", decode);

    // One segment a character: a bar between every two of them.
    const QString sung = u"夜明けの空にひかる星"_s;
    for (const int length : {10000, 50000}) {
        QString line;
        for (int i = 0; i < length; ++i)
            line += sung.at(i % sung.size());
        const QString barred = BarredSegments(line, DefaultSegments(line));
        std::optional<SegmentStarts> split;
        const Figure check = measure([&] { split = SegmentsFromBars(line, barred); });
        if (!split || split->size() != length) {
            std::printf("FAILED: the split of %d characters did not read back\n", length);
            return 1;
        }
        std::printf("a line of %d characters split by its bars\n", length);
        print("bars read back", check);
    }
    return 0;
}

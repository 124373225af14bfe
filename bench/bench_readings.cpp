// Readings proposed by MeCab for a 2 000-line Japanese text: the first
// proposal of a fresh object (which opens the library and the dictionary)
// apart, then whole passes over the lines.

#include "readings/mecabreadings.h"

#include "benchclock.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cstdio>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

// Lines of 10 to 30 characters, kanji and kana mixed, each a few of the
// phrases (MeCab keeps nothing from line to line: repeats cost the same).
QStringList Lyrics(int count)
{
    const QStringList phrases{
        u"夜明けの空に"_s,       u"ひとつ星が光る"_s, u"君の声が"_s,       u"遠く聞こえた"_s,
        u"思い出を抱きしめて"_s, u"走り出す"_s,       u"涙の数だけ"_s,     u"強くなれる"_s,
        u"季節は巡り"_s,         u"桜が舞い散る"_s,   u"永遠の約束"_s,     u"心の奥で"_s,
        u"優しい風が吹く"_s,     u"時々振り返る"_s,   u"二人で歩いた"_s,   u"三日月の夜"_s,
        u"未来へ続く道"_s,       u"笑顔を忘れない"_s, u"世界の果てまで"_s, u"ラララ"_s,
    };
    QStringList lines;
    for (int i = 0; lines.size() < count; ++i) {
        const qsizetype wanted = 10 + (i * 13) % 21;
        QString line;
        for (int k = 0; line.size() < wanted; ++k) {
            const QString& next = phrases.at((i * 7 + k * (3 + i / 20)) % phrases.size());
            if (line.size() + next.size() > 30)
                break;
            line += next;
        }
        if (line.size() >= 10)
            lines.append(line);
    }
    return lines;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    constexpr int kLines = 2000;
    constexpr int kPasses = 7;
    const QStringList lines = Lyrics(kLines);

    MecabReadings readings;
    const qint64 start = monotonicNs();
    const Readings first = readings.propose(lines.constFirst());
    const double firstMs = double(monotonicNs() - start) / 1e6;
    if (const QString reason = readings.unavailableReason(); !reason.isEmpty()) {
        std::printf("FAILED: no readings: %s\n", qUtf8Printable(reason));
        return 1;
    }

    QList<double> passes;
    qsizetype proposed = 0;
    for (int pass = 0; pass < kPasses; ++pass) {
        proposed = 0;
        const qint64 from = monotonicNs();
        for (const QString& line : lines)
            proposed += readings.propose(line).size();
        passes.append(double(monotonicNs() - from) / 1e6);
    }
    std::sort(passes.begin(), passes.end());
    const double median = passes.at(passes.size() / 2);

    qsizetype characters = 0;
    for (const QString& line : lines)
        characters += line.size();
    std::printf("readings proposed by MeCab, %lld lines (%lld characters, %lld readings)\n",
                static_cast<long long>(lines.size()), static_cast<long long>(characters),
                static_cast<long long>(proposed));
    std::printf("  %-40s %8.2f ms (%lld readings)\n", "first line, MeCab opened", firstMs,
                static_cast<long long>(first.size()));
    std::printf("  %-40s median %8.2f ms   best %8.2f ms   (%.1f us a line)\n", "every line, once",
                median, passes.first(), median * 1000 / lines.size());
    return proposed > 0 ? 0 : 1;
}

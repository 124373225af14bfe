#pragma once

// What the null sink of PulseNullSink has actually rendered, recorded from
// its monitor source with parec, to hold a heard position against. The
// recording counts the frames rendered since the first one that is not
// silent, so the audio played must start with sound (the disc fixtures' frame
// 1 onwards does) and nothing else may sound meanwhile.

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTest>

#include <algorithm>
#include <functional>

class SinkMonitor final
{
public:
    // Starts recording and lets the recorder settle; what it delivered by
    // then is dropped. False when parec is missing or does not start; `why()`
    // says which.
    bool start()
    {
        const QString parec = QStandardPaths::findExecutable(QStringLiteral("parec"));
        if (parec.isEmpty()) {
            m_why = QStringLiteral("parec is not installed (pulseaudio-utils)");
            return false;
        }
        m_recorder.start(parec,
                         {QStringLiteral("--device=nullsink.monitor"), QStringLiteral("--raw"),
                          QStringLiteral("--rate=44100"), QStringLiteral("--channels=2"),
                          QStringLiteral("--format=s16le"), QStringLiteral("--latency-msec=2")});
        if (!m_recorder.waitForStarted(3000)) {
            m_why = QStringLiteral("parec did not start");
            return false;
        }
        QTest::qWait(500);
        m_recorder.readAllStandardOutput();
        return true;
    }

    QString why() const { return m_why; }

    // Takes in what the monitor delivered since the last call; false when it
    // delivered nothing.
    bool poll()
    {
        if (m_recorder.bytesAvailable() <= 0)
            return false;
        m_pending += m_recorder.readAllStandardOutput();
        const qint64 frames = m_pending.size() / 4;
        if (m_firstSound < 0) {
            const auto* s = reinterpret_cast<const qint16*>(m_pending.constData());
            for (qint64 i = 0; i < frames; ++i) {
                if (s[i * 2] != 0 || s[i * 2 + 1] != 0) {
                    m_firstSound = m_recorded + i;
                    break;
                }
            }
        }
        if (m_firstSound >= 0)
            m_sound += m_pending.mid(std::max<qint64>(m_firstSound - m_recorded, 0) * 4,
                                     (frames - std::max<qint64>(m_firstSound - m_recorded, 0)) * 4);
        m_recorded += frames;
        m_pending.remove(0, frames * 4);
        return true;
    }

    // Milliseconds rendered since the first sound; negative before it.
    double renderedMs() const
    {
        return m_firstSound < 0 ? -1.0 : double(m_recorded - m_firstSound) * 1000.0 / 44100.0;
    }

    // What was rendered from the first sound on, interleaved 16-bit stereo.
    const QByteArray& sound() const { return m_sound; }

    ~SinkMonitor()
    {
        if (m_recorder.state() != QProcess::NotRunning) {
            m_recorder.kill();
            m_recorder.waitForFinished(3000);
        }
    }

private:
    QProcess m_recorder;
    QByteArray m_pending; // the part of a frame not yet counted
    QByteArray m_sound;
    qint64 m_recorded = 0;
    qint64 m_firstSound = -1;
    QString m_why;
};

// While audio that starts now plays for `ms`, samples `heardMs()` minus what
// the sink has rendered, each time the monitor delivers (every few
// milliseconds: between deliveries its count would be behind), leaving out
// the first `settleMs` (the sink's stream starting up).
inline QList<double> HeardMinusRendered(SinkMonitor& monitor,
                                        const std::function<double()>& heardMs, int ms,
                                        int settleMs = 500)
{
    QList<double> diffs;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QTest::qWait(1);
        if (monitor.poll() && monitor.renderedMs() >= 0 && t.elapsed() > settleMs)
            diffs.append(heardMs() - monitor.renderedMs());
    }
    return diffs;
}

// The value below which a share `q` (0 to 1) of the values lie.
inline double Quantile(QList<double> values, double q)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(std::min<qsizetype>(values.size() - 1, qsizetype(q * double(values.size()))));
}

#pragma once

// A PulseAudio daemon of the test's own with one null sink, so that the real
// audio path can be driven on a machine without a sound card. It must be up
// before the application object exists: Qt Multimedia finds the server once.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

class PulseNullSink final
{
public:
    // Starts the daemon; on failure `why()` says what went wrong.
    bool start()
    {
        const QString pulse = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (pulse.isEmpty()) {
            m_why = QStringLiteral("pulseaudio is not installed (make test installs it)");
            return false;
        }
        if (!m_runtime.isValid()) {
            m_why = QStringLiteral("no temporary folder");
            return false;
        }
        QFile::setPermissions(m_runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
        qputenv("PULSE_RUNTIME_PATH", (m_runtime.path() + QStringLiteral("/pulse")).toLocal8Bit());
        qunsetenv("PULSE_SERVER");
        m_daemon = std::make_unique<QProcess>();
        m_daemon->setProcessChannelMode(QProcess::MergedChannels);
        m_daemon->start(
            pulse, {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                    QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--log-target=stderr"),
                    QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=nullsink"),
                    QStringLiteral("-L"), QStringLiteral("module-native-protocol-unix")});
        if (!m_daemon->waitForStarted(5000)) {
            m_why = QStringLiteral("pulseaudio did not start");
            return false;
        }
        const QString socket = m_runtime.path() + QStringLiteral("/pulse/native");
        for (int i = 0; i < 500 && !QFile::exists(socket); ++i) {
            if (m_daemon->state() != QProcess::Running) {
                m_why = QStringLiteral("pulseaudio ended: ") +
                        QString::fromLocal8Bit(m_daemon->readAll());
                return false;
            }
            QThread::msleep(10);
        }
        if (!QFile::exists(socket)) {
            m_why = QStringLiteral("pulseaudio opened no socket");
            return false;
        }
        // An idle null sink renders in blocks of up to two seconds and shortens
        // them only while a client asks for low latency, so a fresh stream
        // would wait that long before anything plays. A stream of silence
        // asking for 10 ms keeps it working like a sound card.
        const QString pacat = QStandardPaths::findExecutable(QStringLiteral("pacat"));
        if (!pacat.isEmpty()) {
            m_keeper = std::make_unique<QProcess>();
            m_keeper->setStandardInputFile(QStringLiteral("/dev/zero"));
            m_keeper->start(pacat,
                            {QStringLiteral("--latency-msec=10"), QStringLiteral("--rate=44100"),
                             QStringLiteral("--channels=2"), QStringLiteral("--format=s16le")});
            m_keeper->waitForStarted(3000);
            QThread::msleep(2500);
        }
        return true;
    }

    QString why() const { return m_why; }
    QString runtimePath() const { return m_runtime.path(); }

    ~PulseNullSink()
    {
        if (m_keeper) {
            m_keeper->kill();
            m_keeper->waitForFinished(3000);
        }
        if (m_daemon && m_daemon->state() == QProcess::Running) {
            m_daemon->terminate();
            if (!m_daemon->waitForFinished(3000))
                m_daemon->kill();
            m_daemon->waitForFinished(3000);
        }
    }

private:
    QTemporaryDir m_runtime;
    std::unique_ptr<QProcess> m_daemon;
    std::unique_ptr<QProcess> m_keeper;
    QString m_why;
};

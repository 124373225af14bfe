#pragma once

// Byte-level file helpers the tests share: files are compared as bytes.

#include "workfiles/workfiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace testfiles {

// A program's standard output; "<failed>" when it does not end with 0.
inline QByteArray runProgram(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    const bool ok =
        p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return ok ? p.readAllStandardOutput() : QByteArray("<failed>");
}

// The python3 that has `module`: the one on PATH, else the system's, which
// has Debian's modules; "" when neither has it.
inline QString pythonWith(const QString& module)
{
    for (const QString& python : {QStandardPaths::findExecutable(QStringLiteral("python3")),
                                  QStringLiteral("/usr/bin/python3")}) {
        if (!python.isEmpty() && QFile::exists(python) &&
            runProgram(python, {QStringLiteral("-c"), QStringLiteral("import ") + module}) !=
                "<failed>")
            return python;
    }
    return {};
}

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll();
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(f.write(bytes), bytes.size());
}

// "-------" and 271 "[--:--]", each with CR LF.
inline QByteArray tagTemplateBytes()
{
    QByteArray bytes("-------\r\n");
    for (int i = 0; i < 271; ++i)
        bytes += "[--:--]\r\n";
    return bytes;
}

// A home of the test's own: the program's cache folder ($XDG_CACHE_HOME is
// made to point into it), with TempRoot and its work folder as start-up leaves
// them, its configuration folder ($XDG_CONFIG_HOME) and its data folder
// ($XDG_DATA_HOME, where the recovery file goes). Files of the user's
// go anywhere else in it. Core tests use the work folder; window tests start
// a main window on it.
struct WorkArea
{
    QTemporaryDir dir;
    QString root; // TempRoot
    verselet::WorkFolder work;

    WorkArea() : root(dir.path() + QStringLiteral("/cache/verselet/temp")), work(root)
    {
        qputenv("XDG_CACHE_HOME", (dir.path() + QStringLiteral("/cache")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", (dir.path() + QStringLiteral("/data")).toLocal8Bit());
        QDir().mkpath(work.path());
    }
    QString path() const { return dir.path(); }
    QString filePath(const QString& name) const { return dir.filePath(name); }
    QString cacheFolder() const { return dir.path() + QStringLiteral("/cache/verselet"); }
    QString configFolder() const { return dir.path() + QStringLiteral("/config/verselet"); }
};

// Lowers the largest file this process may write, so that a write fails
// part-way as on a full disk, even for root. Restored when it goes.
class FileSizeLimit final
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        const rlimit lowered{bytes, m_old.rlim_max};
        m_set = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool isSet() const { return m_set; }

private:
    rlimit m_old{};
    bool m_set = false;
};

} // namespace testfiles

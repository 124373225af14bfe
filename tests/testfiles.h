#pragma once

// Byte-level file helpers the tests share: files are compared as bytes.

#include "realtime/workfiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace testfiles {

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

// A TempRoot with its work folder, as start-up leaves it.
struct WorkArea
{
    QTemporaryDir dir;
    QString root;
    WorkArea() : root(dir.path() + QStringLiteral("/temp")) { QDir().mkpath(verselet::WorkFolderPath(root)); }
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

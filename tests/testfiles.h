#pragma once

// Byte-level file helpers the tests share: files are compared as bytes.

#include "realtime/workfiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

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

} // namespace testfiles

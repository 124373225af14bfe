#pragma once

// What an installation of Verselet holds, and the helpers the tests of an
// installed tree share: `cmake --install` into a prefix (tst_install) and the
// Debian package unpacked into a root (tst_package) are checked against the
// same list of files.

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QtEndian>

namespace installtree {

struct Run
{
    int exitCode = -1;
    QString output;
};

// Runs a program to its end with standard output and error merged; exit code
// -1 when it did not start, crashed or took longer than timeoutMs.
inline Run run(const QString& program, const QStringList& arguments, int timeoutMs = 120000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return {-1, QString::fromUtf8(process.readAll())};
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

// Width and height from a PNG file's header; an invalid size for anything else.
inline QSize pngSize(const QByteArray& bytes)
{
    if (bytes.size() < 24 || !bytes.startsWith("\x89PNG\r\n\x1a\n") || bytes.mid(12, 4) != "IHDR")
        return {};
    return {int(qFromBigEndian<quint32>(bytes.constData() + 16)),
            int(qFromBigEndian<quint32>(bytes.constData() + 20))};
}

struct InstalledFile
{
    QString name;   // test row name
    QString path;   // relative to the prefix
    QString sameAs; // the file it is a copy of; empty when there is none to compare
};

// Every file an installation holds, but for the help folder, which takes
// whatever the build's data/help holds. sourceData is the source tree's data
// folder, buildDir the build tree.
inline QList<InstalledFile> installedFiles(const QString& sourceData, const QString& buildDir)
{
    const QString built = buildDir + QStringLiteral("/data");
    return {
        {QStringLiteral("program"), QStringLiteral("bin/verselet"), QString()},
        {QStringLiteral("demo cue"), QStringLiteral("share/verselet/demo/verselet-demo.cue"),
         built + QStringLiteral("/demo/verselet-demo.cue")},
        {QStringLiteral("demo bin"), QStringLiteral("share/verselet/demo/verselet-demo.bin"),
         built + QStringLiteral("/demo/verselet-demo.bin")},
        {QStringLiteral("demo timed"), QStringLiteral("share/verselet/demo/lyrics-timed.txt"),
         sourceData + QStringLiteral("/demo/lyrics-timed.txt")},
        {QStringLiteral("demo plain"), QStringLiteral("share/verselet/demo/lyrics-plain.txt"),
         sourceData + QStringLiteral("/demo/lyrics-plain.txt")},
        {QStringLiteral("icon 256"),
         QStringLiteral("share/icons/hicolor/256x256/apps/verselet.png"),
         built + QStringLiteral("/icons/256x256/verselet.png")},
        {QStringLiteral("icon 48"), QStringLiteral("share/icons/hicolor/48x48/apps/verselet.png"),
         built + QStringLiteral("/icons/48x48/verselet.png")},
        {QStringLiteral("desktop"), QStringLiteral("share/applications/verselet.desktop"),
         sourceData + QStringLiteral("/verselet.desktop")},
        {QStringLiteral("metainfo"), QStringLiteral("share/metainfo/verselet.metainfo.xml"),
         sourceData + QStringLiteral("/verselet.metainfo.xml")},
        {QStringLiteral("mime type"), QStringLiteral("share/mime/packages/verselet-lrc.xml"),
         sourceData + QStringLiteral("/verselet-lrc.xml")},
        {QStringLiteral("manual page"), QStringLiteral("share/man/man1/verselet.1.gz"),
         built + QStringLiteral("/man/verselet.1.gz")},
        {QStringLiteral("copyright"), QStringLiteral("share/doc/verselet/copyright"),
         sourceData + QStringLiteral("/copyright")},
        {QStringLiteral("changelog"), QStringLiteral("share/doc/verselet/changelog.gz"),
         built + QStringLiteral("/doc/changelog.gz")},
    };
}

} // namespace installtree

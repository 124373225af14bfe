#pragma once

// What the benchmarks share: CPU time of the whole process (every thread),
// the monotonic wall clock, and a quiet offscreen home.

#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstdio>

#include <ctime>
#include <unistd.h>

inline double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

inline qint64 monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// The process's resident memory, in bytes.
inline qint64 residentBytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return qint64(resident) * sysconf(_SC_PAGESIZE);
}

// Only what went wrong reaches the terminal: the offscreen platform's notes
// are not figures.
inline void ShowOnlyFailures()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(msg));
    });
}

// A home of the benchmark's own, offscreen: the program's cache and config
// folders inside a temporary folder, so that no run touches the user's.
struct OffscreenHome
{
    QTemporaryDir dir;
    OffscreenHome()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("XDG_CACHE_HOME", (dir.path() + QStringLiteral("/cache")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toLocal8Bit());
    }
    QString path() const { return dir.path(); }
};

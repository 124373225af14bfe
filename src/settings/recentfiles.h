#pragma once

// The files last opened or saved, most recent first, kept beside the other
// settings in ConfigFolder() + "/recent.ini".

#include <QStringList>

namespace verselet {

inline constexpr int kRecentFilesKept = 10;

class RecentFiles final
{
public:
    // What the file holds. A file that is missing, unreadable or damaged gives
    // what can be read of it: empty and relative entries are dropped, the same
    // file named twice is kept once, and no more than kRecentFilesKept come.
    static RecentFiles load();

    QStringList paths() const { return m_paths; }

    // `path` made absolute and clean goes to the front, from wherever it was.
    void add(const QString& path);
    void remove(const QString& path);

    // The file written whole; false when it could not be.
    bool save() const;

private:
    QStringList m_paths;
};

} // namespace verselet

#pragma once

// The file menu's list of the files last opened or saved (RecentFiles). The
// list is read again each time the menu opens, so a file deleted meanwhile
// shows as missing; it stays choosable, and choosing it takes it off the list.

#include <QMenu>
#include <QObject>
#include <QPointer>

namespace verselet {

class RecentMenu final : public QObject
{
    Q_OBJECT

public:
    // The menu belongs to `parent`'s widgets, for the window to add to its
    // file menu; it goes with this object.
    explicit RecentMenu(QWidget* parent);
    ~RecentMenu() override;

    QMenu* menu() const { return m_menu; }

    // A file just opened or saved comes first in the list.
    void noteFile(const QString& path);

Q_SIGNALS:
    // A file of the list that is there was chosen.
    void openRequested(const QString& path);
    // A file of the list that is gone was chosen; it has been taken off.
    void missingChosen(const QString& path);

private:
    void refresh();
    void choose(const QString& path);

    QPointer<QMenu> m_menu;
};

} // namespace verselet

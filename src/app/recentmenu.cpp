#include "app/recentmenu.h"

#include "settings/recentfiles.h"

#include <QFileInfo>
#include <QMenu>

namespace verselet {

using namespace Qt::StringLiterals;

RecentMenu::RecentMenu(QWidget* parent) : QObject(parent), m_menu(new QMenu(parent))
{
    const QString name = u"最近使ったファイル"_s;
    m_menu->setTitle(tr("最近使ったファイル(&R)"));
    m_menu->setObjectName(name);
    m_menu->menuAction()->setObjectName(name);
    connect(m_menu, &QMenu::aboutToShow, this, &RecentMenu::refresh);
    refresh();
}

RecentMenu::~RecentMenu()
{
    delete m_menu;
}

void RecentMenu::noteFile(const QString& path)
{
    RecentFiles recent = RecentFiles::load();
    recent.add(path);
    // A list that cannot be kept is no reason to trouble the user: the file
    // itself was opened or saved.
    recent.save();
}

// Only ever before the menu shows: clearing it deletes its items, and one
// of them may be the one whose choice is being handled.
void RecentMenu::refresh()
{
    m_menu->clear();
    const QStringList paths = RecentFiles::load().paths();
    if (paths.isEmpty()) {
        QAction* none = m_menu->addAction(tr("(なし)"));
        none->setObjectName(u"なし"_s);
        none->setEnabled(false);
        return;
    }
    for (int i = 0; i < paths.size(); ++i) {
        const QString& path = paths.at(i);
        // The access keys 1 … 9, then 0 for the tenth and last.
        const int number = i + 1;
        const QString key = number < 10 ? u"&%1"_s.arg(number) : u"1&0"_s;
        const QString shown = QString(path).replace(u'&', u"&&"_s);
        const QString caption =
            QFileInfo(path).isFile() ? shown : tr("%1（見つかりません）").arg(shown);
        QAction* item = m_menu->addAction(key + u' ' + caption);
        item->setObjectName(u"最近使ったファイル%1"_s.arg(number));
        connect(item, &QAction::triggered, this, [this, path] { choose(path); });
    }
}

void RecentMenu::choose(const QString& path)
{
    if (QFileInfo(path).isFile()) {
        Q_EMIT openRequested(path);
        return;
    }
    RecentFiles recent = RecentFiles::load();
    recent.remove(path);
    recent.save();
    Q_EMIT missingChosen(path);
}

} // namespace verselet

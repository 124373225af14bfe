// The file menu's recent files: what its items read and what choosing one does.

#include "app/recentmenu.h"
#include "settings/recentfiles.h"

#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include "testfiles.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;

class TestRecentMenu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void itemsOpenOrDropTheirFiles();
};

void TestRecentMenu::itemsOpenOrDropTheirFiles()
{
    WorkArea home;
    QWidget window;
    RecentMenu recent(&window);
    QSignalSpy opened(&recent, &RecentMenu::openRequested);
    QSignalSpy missing(&recent, &RecentMenu::missingChosen);
    QCOMPARE(window.findChild<QMenu*>(u"最近使ったファイル"_s), recent.menu());
    const auto shown = [&recent] {
        recent.menu()->popup(QPoint());
        recent.menu()->hide();
        QStringList texts;
        for (const QAction* item : recent.menu()->actions())
            texts.append(item->text() + (item->isEnabled() ? u""_s : u" [off]"_s));
        return texts;
    };
    QCOMPARE(shown(), QStringList{u"(なし) [off]"_s});

    // Ten files noted, the first of them since deleted.
    const QString dir = home.path();
    for (const char* name : {"0.lrc", "a&b.lrc", "2.lrc", "3", "4", "5", "6", "7", "8", "9.lrc"}) {
        writeBytes(dir + u'/' + QLatin1String(name), "x");
        recent.noteFile(dir + u"/./"_s + QLatin1String(name));
    }
    QVERIFY(QFile::remove(dir + u"/0.lrc"_s));
    QStringList texts = shown();
    QCOMPARE(texts.size(), 10);
    QCOMPARE(texts.first(), u"&1 "_s + dir + u"/9.lrc"_s);
    QCOMPARE(texts.at(8), u"&9 "_s + dir + u"/a&&b.lrc"_s);
    QCOMPARE(texts.last(), u"1&0 "_s + dir + u"/0.lrc（見つかりません）"_s);

    recent.menu()->findChild<QAction*>(u"最近使ったファイル1"_s)->trigger();
    QCOMPARE(opened, (QList<QVariantList>{{dir + u"/9.lrc"_s}}));
    recent.menu()->findChild<QAction*>(u"最近使ったファイル10"_s)->trigger();
    QCOMPARE(missing, (QList<QVariantList>{{dir + u"/0.lrc"_s}}));
    QCOMPARE(opened.size(), 1);
    QCOMPARE(RecentFiles::load().paths().size(), 9);
    QCOMPARE(shown().last(), u"&9 "_s + dir + u"/a&&b.lrc"_s);
}

QTEST_MAIN(TestRecentMenu)
#include "tst_recentmenu.moc"

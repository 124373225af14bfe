// recent.ini: the files last opened or saved, most recent first.

#include "settings/recentfiles.h"

#include <QDir>
#include <QTest>

#include "testfiles.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;

class TestRecentFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listKeepsTheLastTenOnce_data();
    void listKeepsTheLastTenOnce();
};

void TestRecentFiles::listKeepsTheLastTenOnce_data()
{
    QTest::addColumn<QByteArray>("stored"); // recent.ini as found; empty: none
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QString>("removed");
    QTest::addColumn<QStringList>("kept");

    QByteArray twelve("[files]\nsize=12\n");
    for (int i = 1; i <= 12; ++i)
        twelve += "%1\\path=/s/%1.lrc\n"_ba.replace("%1", QByteArray::number(i));

    QTest::newRow("none kept") << QByteArray() << QStringList{} << QString() << QStringList{};
    QTest::newRow("most recent first")
        << QByteArray() << QStringList{u"/a/x.lrc"_s, u"/歌詞/y.txt"_s} << QString()
        << QStringList{u"/歌詞/y.txt"_s, u"/a/x.lrc"_s};
    QTest::newRow("again moves to the front")
        << QByteArray() << QStringList{u"/x"_s, u"/y"_s, u"/z"_s, u"/x"_s} << QString()
        << QStringList{u"/x"_s, u"/z"_s, u"/y"_s};
    QTest::newRow("one file spelled three ways")
        << QByteArray() << QStringList{u"/a/x.lrc"_s, u"/a/./b/../x.lrc"_s, u"/a//x.lrc"_s}
        << QString() << QStringList{u"/a/x.lrc"_s};
    QTest::newRow("removed by another name")
        << QByteArray() << QStringList{u"/x"_s, u"/y"_s} << u"/a/../y"_s << QStringList{u"/x"_s};
    QTest::newRow("twelve stored, one added: ten kept")
        << twelve << QStringList{u"/new"_s} << QString()
        << QStringList{u"/new"_s,     u"/s/1.lrc"_s, u"/s/2.lrc"_s, u"/s/3.lrc"_s, u"/s/4.lrc"_s,
                       u"/s/5.lrc"_s, u"/s/6.lrc"_s, u"/s/7.lrc"_s, u"/s/8.lrc"_s, u"/s/9.lrc"_s};
    QTest::newRow("empty, relative, twice and absent entries dropped")
        << "[files]\nsize=6\n1\\path=\n2\\path=/k.lrc\n3\\path=rel.lrc\n4\\path=//k.lrc\n"
           "6\\path=/m.lrc\n"_ba
        << QStringList{} << QString() << QStringList{u"/k.lrc"_s, u"/m.lrc"_s};
    QTest::newRow("junk") << "\x00\xff\xfe[files\nsize=zz\n=\n\\\\"_ba << QStringList{u"/n"_s}
                          << QString() << QStringList{u"/n"_s};
}

void TestRecentFiles::listKeepsTheLastTenOnce()
{
    QFETCH(QByteArray, stored);
    QFETCH(QStringList, added);
    QFETCH(QString, removed);
    QFETCH(QStringList, kept);
    WorkArea home;
    QVERIFY(QDir().mkpath(home.configFolder()));
    if (!stored.isEmpty())
        writeBytes(home.configFolder() + u"/recent.ini"_s, stored);

    RecentFiles recent = RecentFiles::load();
    for (const QString& path : added)
        recent.add(path);
    recent.remove(removed);
    QCOMPARE(recent.paths(), kept);
    QVERIFY(recent.save());
    QCOMPARE(RecentFiles::load().paths(), kept);
}

QTEST_APPLESS_MAIN(TestRecentFiles)
#include "tst_recentfiles.moc"

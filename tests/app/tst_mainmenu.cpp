// The main window's menu items that open other windows: the help, the About
// window and the drive dialog, each over the main window.

#include "app/mainwindow.h"
#include "cd/drivedialog.h"
#include "settings/datafiles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "fakedesktop.h"
#include "modalscript.h"
#include "testfiles.h"
#include "widgetnames.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

namespace {

QAction* menuAction(MainWindow* w, const QString& name) { return w->findChild<QAction*>(name); }

} // namespace

class TestMainMenu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<WorkArea>();
        QVERIFY(QDir().mkpath(m_home->configFolder()));
    }
    void cleanup()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_home.reset();
    }

    void helpMenuItemReportsAFailedLaunchEveryTime();
    void aboutMenuItemShowsTheWindowCentredAndModal();
    void settingsItemOpensTheDialogModally();

private:
    std::unique_ptr<WorkArea> m_home;
};

void TestMainMenu::helpMenuItemReportsAFailedLaunchEveryTime()
{
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.show();
    const QString body = w.bodyText();
    FakeDesktop desktop;
    desktop.answer = false;
    w.setHelpLauncher(desktop.launcher());
    ModalScript script;
    script.thenMessage();
    script.thenMessage();

    menuAction(&w, u"ヘルプ"_s)->trigger();
    menuAction(&w, u"ヘルプ"_s)->trigger();

    const QUrl document = QUrl::fromLocalFile(HelpFilePath());
    QVERIFY(QFileInfo(document.toLocalFile()).isFile());
    QCOMPARE(desktop.opened, (QList<QUrl>{document, document}));
    QCOMPARE(script.messages.size(), 2);
    for (const testmodal::Message& s : script.messages) {
        QCOMPARE(s.text, u"31エラー"_s);
        QCOMPARE(s.title, u"Verselet"_s);
        QCOMPARE(s.icon, QMessageBox::Critical);
        QCOMPARE(s.owner, u"Form1"_s);
    }
    QCOMPARE(script.unexpected, 0);
    // The main window stays as it was.
    QCOMPARE(w.bodyText(), body);
    QCOMPARE(w.windowTitle(), u"Verselet - 新規作成.txt"_s);
}

void TestMainMenu::aboutMenuItemShowsTheWindowCentredAndModal()
{
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.move(40, 30);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    FakeDesktop desktop;
    desktop.answer = false;
    w.setHelpLauncher(desktop.launcher());

    QAction* about = menuAction(&w, u"バージョン情報"_s);
    QVERIFY(about);
    QCOMPARE(about->text(), u"ﾊﾞｰｼﾞｮﾝ情報(&A)"_s);

    ModalScript script;
    QString name, title, version;
    QRect geometry;
    bool modal = false;
    script.then([&](QWidget* window) {
        name = window->objectName();
        title = window->windowTitle();
        geometry = window->geometry();
        modal = window->isModal();
        if (auto* label = window->findChild<QLabel*>(u"Label1"_s))
            version = label->text();
        // The link of the window opens the document the way the menu does:
        // through the main window's launcher.
        auto* link = window->findChild<QLabel*>(u"Hyperlink1"_s);
        if (link)
            QMetaObject::invokeMethod(
                link,
                [link] {
                    Q_EMIT link->linkActivated(QUrl::fromLocalFile(HelpFilePath()).toString());
                },
                Qt::QueuedConnection);
    });
    script.thenMessage();
    script.thenClose();
    // Should a step not come, the window is closed all the same: the test
    // then fails on what it saw instead of waiting for ever.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] {
        for (int i = 0; i < 5 && QApplication::activeModalWidget(); ++i)
            QApplication::activeModalWidget()->close();
    });
    watchdog.start(10000);

    about->trigger();

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(name, u"Form7"_s);
    QCOMPARE(title, u"ﾊﾞｰｼﾞｮﾝ情報"_s);
    QCOMPARE(version, u"Verselet Ver 1.03"_s);
    QVERIFY(modal);
    QCOMPARE(geometry.size(), QSize(311, 80));
    const QPoint offset = geometry.center() - w.geometry().center();
    QVERIFY2(offset.manhattanLength() <= 2, qPrintable(u"%1,%2"_s.arg(offset.x()).arg(offset.y())));
    QCOMPARE(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(HelpFilePath())});
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages[0].text, u"31エラー"_s);
    QCOMPARE(script.messages[0].owner, u"Form7"_s);
}

void TestMainMenu::settingsItemOpensTheDialogModally()
{
    writeBytes(m_home->configFolder() + u"/discs.txt"_s, "/a.cue\n");
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    ModalScript script;
    QPointer<DriveDialog> shown;
    bool modal = false;
    QPoint offCentre;
    script.then([&](QWidget* widget) {
        shown = qobject_cast<DriveDialog*>(widget);
        QVERIFY(shown);
        modal = shown->isModal();
        offCentre = shown->frameGeometry().center() - w.frameGeometry().center();
        named<QComboBox>(shown, "Combo1")->setCurrentIndex(1);
        QTest::mouseClick(named<QPushButton>(shown, "Command1"), Qt::LeftButton);
    });
    QAction* item = w.findChild<QAction*>(u"設定"_s);
    QVERIFY(item);
    item->trigger();

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QVERIFY(shown);
    QCOMPARE(shown->objectName(), u"Form8"_s);
    QVERIFY(modal);
    QCOMPARE(shown->parentWidget(), &w);
    QVERIFY2(offCentre.manhattanLength() <= 2,
             qPrintable(u"%1,%2"_s.arg(offCentre.x()).arg(offCentre.y())));
    QCOMPARE(readBytes(m_home->configFolder() + u"/config.dat"_s), QByteArray(" 1 \r\n"));
    QVERIFY(shown->isHidden());
    QCOMPARE(w.driveDialog(), shown.data());
    QCOMPARE(w.driveDialog()->selectedDriveName(), named<QComboBox>(shown, "Combo1")->itemText(1));
}

QTEST_MAIN(TestMainMenu)
#include "tst_mainmenu.moc"

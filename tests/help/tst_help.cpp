#include "help/aboutwindow.h"
#include "help/helplauncher.h"
#include "settings/datafiles.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "fakedesktop.h"
#include "modalscript.h"
#include "testfiles.h"
#include "widgetnames.h"

#include <memory>

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using namespace testmodal;

namespace {

const QString kNotFound = u"Verselet.hlp が見つかりません。"_s;

// A message box as the user saw it.
struct Shown
{
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QString owner;
};

// The next modal window is a message box: it is noted and confirmed.
void thenNote(ModalScript& script, QList<Shown>& shown)
{
    script.then([&script, &shown](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->button(QMessageBox::Ok)) {
            ++script.unexpected;
            if (auto* dialog = qobject_cast<QDialog*>(w))
                dialog->reject();
            return;
        }
        const QWidget* owner = box->parentWidget();
        shown.append({box->text(), box->windowTitle(), box->icon(), int(box->buttons().size()),
                      owner ? owner->window()->objectName() : QString()});
        box->button(QMessageBox::Ok)->click();
    });
}

// Where a label draws its single line of text, in the label's coordinates.
QRect textArea(const QLabel* label, const QString& text)
{
    const QFontMetrics metrics(label->font());
    const int width = metrics.horizontalAdvance(text);
    const QRect inside = label->contentsRect();
    return QStyle::alignedRect(Qt::LeftToRight, label->alignment(), QSize(width, metrics.height()),
                               inside);
}

QString describe(const QRect& r)
{
    return u"%1,%2 %3x%4"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

int redPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() > 200 && c.green() < 90 && c.blue() < 90;
        }
    return count;
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void launchOutcomes_data();
    void launchOutcomes();
    void resultNumbersChooseTheirMessage_data();
    void resultNumbersChooseTheirMessage();
    void missingDocumentIsToldOnceForEachUse();
    void documentIsFoundInTheBuildTree();

    void aboutWindowLayout();
    void aboutWindowFitsItsTexts();
    void aboutLinkOpensTheDocumentThroughTheLauncher();

private:
    std::unique_ptr<WorkArea> m_home;
};

void TestHelp::init()
{
    m_home = std::make_unique<WorkArea>();
}

void TestHelp::cleanup()
{
    m_home.reset();
}

void TestHelp::launchOutcomes_data()
{
    QTest::addColumn<QString>("file");   // relative to a temporary folder
    QTest::addColumn<bool>("present");   // the file is made
    QTest::addColumn<bool>("desktopOk"); // what the launch answers
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message"); // empty: none

    QTest::newRow("opened") << u"help/index.html"_s << true << true << 33 << QString();
    QTest::newRow("launch fails") << u"help/index.html"_s << true << false << 31 << u"31エラー"_s;
    QTest::newRow("no such file") << u"help/index.html"_s << false << true << 2 << kNotFound;
    QTest::newRow("no such folder") << u"gone/index.html"_s << false << true << 3 << kNotFound;
    QTest::newRow("a folder, not a file") << u"help"_s << false << true << 2 << kNotFound;
    QTest::newRow("blanks in the name")
        << u"my help/ヘルプ.html"_s << true << true << 33 << QString();
}

void TestHelp::launchOutcomes()
{
    QFETCH(QString, file);
    QFETCH(bool, present);
    QFETCH(bool, desktopOk);
    QFETCH(int, result);
    QFETCH(QString, message);

    const QString path = m_home->filePath(file);
    QVERIFY(QDir().mkpath(m_home->filePath(u"help"_s)));
    if (present) {
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        writeBytes(path, "<html></html>");
    }
    QWidget owner;
    owner.setObjectName(u"Owner"_s);

    FakeDesktop desktop;
    desktop.answer = desktopOk;
    ModalScript script;
    QList<Shown> shown;
    if (!message.isEmpty())
        thenNote(script, shown);

    QCOMPARE(OpenHelpFile(&owner, path, desktop.launcher()), result);

    QCOMPARE(script.unexpected, 0);
    QVERIFY(script.done());
    if (message.isEmpty()) {
        QVERIFY(shown.isEmpty());
    } else {
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, message);
        QCOMPARE(shown[0].title, u"Verselet"_s);
        QCOMPARE(shown[0].icon, QMessageBox::Critical);
        QCOMPARE(shown[0].buttons, 1);
        QCOMPARE(shown[0].owner, u"Owner"_s);
    }
    // The desktop is asked only for a file that is there, and is given that file.
    if (present)
        QCOMPARE(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(path)});
    else
        QVERIFY(desktop.opened.isEmpty());
}

void TestHelp::resultNumbersChooseTheirMessage_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message");

    QTest::newRow("0") << 0 << u"メモリ不足です。"_s;
    QTest::newRow("32") << 32 << u"32エラー"_s;
    QTest::newRow("33") << 33 << QString();
}

void TestHelp::resultNumbersChooseTheirMessage()
{
    QFETCH(int, result);
    QFETCH(QString, message);
    QCOMPARE(HelpFailureText(result), message);
}

void TestHelp::missingDocumentIsToldOnceForEachUse()
{
    const QString path = m_home->filePath(u"index.html"_s);
    FakeDesktop desktop;
    ModalScript script;
    QList<Shown> shown;
    thenNote(script, shown);
    thenNote(script, shown);

    QCOMPARE(OpenHelpFile(nullptr, path, desktop.launcher()), 2);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(OpenHelpFile(nullptr, path, desktop.launcher()), 2);
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[1].text, kNotFound);
    QCOMPARE(script.unexpected, 0);
}

void TestHelp::documentIsFoundInTheBuildTree()
{
    // The build copies the document into its data folder; the program and its
    // tests find that copy, byte for byte the one in the sources.
    const QString path = HelpFilePath();
    QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
    QVERIFY(path.endsWith(u"/data/help/index.html"_s));
    QCOMPARE(readBytes(path), readBytes(QStringLiteral(SOURCE_DATA_DIR) + u"/help/index.html"_s));
    QVERIFY(QFileInfo(QFileInfo(path).dir().filePath(u"style.css"_s)).isFile());
    // It is the Japanese help page of this program.
    const QString page = QString::fromUtf8(readBytes(path));
    QVERIFY(page.contains(u"<html lang=\"ja\">"_s));
    QVERIFY(page.contains(u"リアルタイム入力"_s));
}

void TestHelp::aboutWindowLayout()
{
    QWidget owner;
    AboutWindow about(&owner);

    QCOMPARE(about.objectName(), u"Form7"_s);
    QCOMPARE(about.windowTitle(), u"ﾊﾞｰｼﾞｮﾝ情報"_s);
    QCOMPARE(about.size(), QSize(311, 80));
    QCOMPARE(about.minimumSize(), QSize(311, 80));
    QCOMPARE(about.maximumSize(), QSize(311, 80));
    const Qt::WindowFlags flags = about.windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QCOMPARE(about.parentWidget(), &owner);

    QCOMPARE(named<QLabel>(about, "Label1")->objectName(), u"Label1"_s);
    QCOMPARE(named<QLabel>(about, "Label1")->text(), u"Verselet Ver 1.03"_s);
    QCOMPARE(named<QLabel>(about, "Label1")->geometry(), QRect(0, 16, 313, 57));
    QVERIFY(named<QLabel>(about, "Label1")->alignment() & Qt::AlignHCenter);
    QCOMPARE(named<QLabel>(about, "Label1")->font().family(), u"Noto Sans CJK JP"_s);
    QCOMPARE(named<QLabel>(about, "Label1")->font().pointSizeF(), 15.75);
    QVERIFY(!named<QLabel>(about, "Label1")->font().bold() &&
            !named<QLabel>(about, "Label1")->font().italic());

    QLabel* link = named<QLabel>(about, "Hyperlink1");
    QCOMPARE(link->objectName(), u"Hyperlink1"_s);
    QCOMPARE(link->geometry(), QRect(8, 48, 305, 33));
    QCOMPARE(link->font().family(), u"Noto Sans CJK JP"_s);
    QCOMPARE(link->font().pointSizeF(), 9.75);
    QVERIFY(link->font().underline());
    QCOMPARE(link->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(link->palette().color(QPalette::Link), QColor(255, 0, 0));
    QVERIFY(!link->openExternalLinks());
    // The link points at the document the help menu opens.
    const QString href = QUrl::fromLocalFile(HelpFilePath()).toString(QUrl::FullyEncoded);
    QVERIFY2(link->text().contains(u"href=\""_s + href + u'"'), qPrintable(link->text()));
}

void TestHelp::aboutWindowFitsItsTexts()
{
    QWidget owner;
    owner.resize(600, 400);
    owner.show();
    AboutWindow about(&owner);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));

    const QRect client = about.rect();
    const QRect title =
        textArea(named<QLabel>(about, "Label1"), named<QLabel>(about, "Label1")->text())
            .translated(named<QLabel>(about, "Label1")->pos());
    const QRect link = textArea(named<QLabel>(about, "Hyperlink1"), u"Verseletヘルプ"_s)
                           .translated(named<QLabel>(about, "Hyperlink1")->pos());
    QVERIFY2(client.contains(title), qPrintable(describe(title)));
    QVERIFY2(client.contains(link), qPrintable(describe(link)));
    QVERIFY(!title.intersects(link));

    // The picture: the title drawn dark in the upper part, the link red below it.
    const QImage image = about.grab().toImage();
    QCOMPARE(image.size(), QSize(311, 80) * image.devicePixelRatio());
    QVERIFY(QDir().mkpath(QStringLiteral(SCREENSHOT_DIR)));
    QVERIFY(image.save(QStringLiteral(SCREENSHOT_DIR) + u"/about-window.png"_s));
    QCOMPARE(redPixels(image.copy(title)), 0);
    QVERIFY(redPixels(image.copy(link)) > 20);
    QCOMPARE(redPixels(image.copy(0, 0, 311, 48)), 0);
}

void TestHelp::aboutLinkOpensTheDocumentThroughTheLauncher()
{
    FakeDesktop desktop;
    desktop.answer = false;
    QWidget owner;
    owner.resize(600, 400);
    owner.show();
    AboutWindow about(&owner, desktop.launcher());
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));

    ModalScript script;
    QList<Shown> shown;
    thenNote(script, shown);
    // A click on the link's text, as the user makes it.
    const QRect text = textArea(named<QLabel>(about, "Hyperlink1"), u"Verseletヘルプ"_s);
    QTest::mouseClick(named<QLabel>(about, "Hyperlink1"), Qt::LeftButton, {}, text.center());

    QCOMPARE(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(HelpFilePath())});
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, u"31エラー"_s);
    QCOMPARE(shown[0].icon, QMessageBox::Critical);
    QCOMPARE(shown[0].owner, u"Form7"_s);
    QCOMPARE(script.unexpected, 0);
    QVERIFY(about.isVisible());
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"

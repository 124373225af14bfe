#include "cd/drivechoice.h"
#include "cd/drivedialog.h"
#include "settings/drivelist.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "modalscript.h"
#include "testfiles.h"
#include "widgetnames.h"

#include <deque>
#include <functional>
#include <memory>

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

namespace {

// The names the entries stand for, as the device opens them.
QStringList items(const QComboBox* combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list.append(combo->itemData(i).toString());
    return list;
}

} // namespace

class TestDriveDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void widgetsHaveTheirNamesTextsAndPlaces();
    void savedChoiceIsSelected_data();
    void savedChoiceIsSelected();
    void okWritesTheChoiceAndShowingAgainRereads_data();
    void okWritesTheChoiceAndShowingAgainRereads();
    void addedDiscIsListedAndSelectedWithoutRereading_data();
    void addedDiscIsListedAndSelectedWithoutRereading();
    void addedDiscIsTheChoiceNextTime();
    void discAlreadyListedIsOnlySelected();
    void discThatCannotBeKeptIsNotListed();
    void closingWithoutOkWritesNothingAndEndsTheDialog_data();
    void closingWithoutOkWritesNothingAndEndsTheDialog();
    void theChoiceMakesTheDialogWithoutShowingIt();
    void calibrateOpensTheWindowAndKeepsTheChoice();

private:
    QString config() const { return m_home->configFolder() + u"/config.dat"_s; }
    QString discs() const { return m_home->configFolder() + u"/discs.txt"_s; }
    QString file(const QString& name)
    {
        const QString path = m_files->filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        writeBytes(path, "x");
        return path;
    }
    void writeConfig(const QByteArray& bytes) { writeBytes(config(), bytes); }
    void writeDiscs(const QStringList& paths)
    {
        writeBytes(discs(), (paths.join(u'\n') + u'\n').toUtf8());
    }

    std::unique_ptr<WorkArea> m_home;
    std::unique_ptr<QTemporaryDir> m_files;
};

void TestDriveDialog::init()
{
    m_home = std::make_unique<WorkArea>();
    m_files = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->dir.isValid() && m_files->isValid());
    QVERIFY(QDir().mkpath(m_home->configFolder()));
}

void TestDriveDialog::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_home.reset();
    m_files.reset();
}

void TestDriveDialog::widgetsHaveTheirNamesTextsAndPlaces()
{
    DriveDialog d;
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));

    QCOMPARE(d.objectName(), u"Form8"_s);
    QCOMPARE(d.windowTitle(), u"設定"_s);
    QCOMPARE(d.findChild<QLabel*>(u"Label1"_s), named<QLabel>(d, "Label1"));
    QCOMPARE(d.findChild<QComboBox*>(u"Combo1"_s), named<QComboBox>(d, "Combo1"));
    QCOMPARE(d.findChild<QPushButton*>(u"Command1"_s), named<QPushButton>(d, "Command1"));
    QCOMPARE(d.findChild<QPushButton*>(u"Command2"_s), named<QPushButton>(d, "Command2"));
    QCOMPARE(d.findChild<QPushButton*>(u"Calibrate"_s), named<QPushButton>(d, "Calibrate"));
    QCOMPARE(named<QLabel>(d, "Label1")->text(), u"CD-ROMドライブを選択してください"_s);
    QCOMPARE(named<QLabel>(d, "Label1")->alignment(), Qt::AlignCenter);
    QCOMPARE(named<QPushButton>(d, "Command1")->text(), u"OK"_s);
    QCOMPARE(named<QPushButton>(d, "Command2")->text(), u"追加..."_s);
    QCOMPARE(named<QPushButton>(d, "Calibrate")->text(), u"タイミング補正..."_s);
    QVERIFY(!named<QComboBox>(d, "Combo1")->isEditable());
    QVERIFY(named<QPushButton>(d, "Command1")->isDefault());
    // The demo disc, last, shown by name; chosen, its cue sheet is opened.
    auto* combo = named<QComboBox>(d, "Combo1");
    combo->setCurrentIndex(combo->count() - 1);
    QCOMPARE((QStringList{combo->currentText(), d.selectedDriveName()}),
             (QStringList{u"デモディスク"_s, DemoDiscPath()}));

    // Fixed in size, no minimize or maximize button.
    QCOMPARE(d.size(), QSize(480, 88));
    QCOMPARE(d.minimumSize(), d.maximumSize());
    QCOMPARE(d.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                Qt::WindowContextHelpButtonHint),
             Qt::WindowFlags());
    QVERIFY(d.windowFlags() & Qt::WindowCloseButtonHint);

    QCOMPARE(named<QLabel>(d, "Label1")->geometry(), QRect(8, 8, 464, 25));
    QCOMPARE(named<QComboBox>(d, "Combo1")->pos(), QPoint(8, 32));
    QCOMPARE(named<QComboBox>(d, "Combo1")->width(), 464);
    QVERIFY(named<QComboBox>(d, "Combo1")->geometry().bottom() <
            named<QPushButton>(d, "Command1")->y());
    QCOMPARE(named<QPushButton>(d, "Command1")->geometry(), QRect(415, 56, 57, 25));
    QCOMPARE(named<QPushButton>(d, "Command2")->geometry(), QRect(8, 56, 73, 25));
    // Between the two, where its text fits.
    QCOMPARE(named<QPushButton>(d, "Calibrate")->geometry(), QRect(87, 56, 121, 25));
    QVERIFY2(named<QPushButton>(d, "Calibrate")->sizeHint().width() <=
                 named<QPushButton>(d, "Calibrate")->width(),
             qPrintable(QString::number(named<QPushButton>(d, "Calibrate")->sizeHint().width())));
}

void TestDriveDialog::savedChoiceIsSelected_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("selected");
    // The list holds at least three entries: two added discs and the demo disc.
    QTest::newRow("no file") << false << QByteArray() << 0;
    QTest::newRow("1") << true << QByteArray(" 1 \r\n") << 1;
    QTest::newRow("-1") << true << QByteArray("-1 \r\n") << -1;
    QTest::newRow("1.5") << true << QByteArray("1.5\r\n") << 2;
    QTest::newRow("past the list") << true << QByteArray(" 999 \r\n") << 0;
}

void TestDriveDialog::savedChoiceIsSelected()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, bytes);
    QFETCH(int, selected);
    writeDiscs({u"/a.cue"_s, u"/b"_s});
    if (exists)
        writeConfig(bytes);
    DriveDialog d;
    QVERIFY(named<QComboBox>(d, "Combo1")->count() >= 3);
    QCOMPARE(named<QComboBox>(d, "Combo1")->currentIndex(), selected);
    QCOMPARE(d.selectedDriveName(), items(named<QComboBox>(d, "Combo1")).value(selected));
    // Reading never writes.
    QCOMPARE(QFile::exists(config()), exists);
}

void TestDriveDialog::okWritesTheChoiceAndShowingAgainRereads_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("first entry") << 0 << QByteArray(" 0 \r\n");
    QTest::newRow("third entry") << 2 << QByteArray(" 2 \r\n");
    QTest::newRow("nothing selected") << -1 << QByteArray("-1 \r\n");
}

void TestDriveDialog::okWritesTheChoiceAndShowingAgainRereads()
{
    QFETCH(int, choice);
    QFETCH(QByteArray, bytes);
    writeDiscs({u"/a.cue"_s, u"/b"_s});
    writeConfig("garbage that OK replaces\r\n 1 \r\n");
    auto* d = new DriveDialog;
    QPointer<DriveDialog> guard(d);
    d->show();
    QVERIFY(QTest::qWaitForWindowExposed(d));
    named<QComboBox>(d, "Combo1")->setCurrentIndex(choice);
    const QString chosen = d->selectedDriveName();

    QTest::mouseClick(named<QPushButton>(d, "Command1"), Qt::LeftButton);
    QCOMPARE(readBytes(config()), bytes);
    QVERIFY(d->isHidden());
    QCOMPARE(d->result(), int(QDialog::Accepted));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(guard);
    QVERIFY(!d->isUnloaded());

    // A hidden dialog keeps its choice; the files are read again only when it
    // is shown again.
    writeDiscs({u"/a.cue"_s, u"/b"_s, u"/c.toc"_s});
    writeConfig(" 3 \r\n");
    QCOMPARE(d->selectedDriveName(), chosen);
    d->show();
    QVERIFY(QTest::qWaitForWindowExposed(d));
    QCOMPARE(items(named<QComboBox>(d, "Combo1")),
             ListCdDrives() << u"/a.cue"_s << u"/b"_s << u"/c.toc"_s << DemoDiscPath());
    QCOMPARE(named<QComboBox>(d, "Combo1")->currentIndex(), 3);
    delete d;
}

void TestDriveDialog::addedDiscIsListedAndSelectedWithoutRereading_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("disc");
    QTest::newRow("cue sheet") << u"images/album.cue"_s << u"images/album.cue"_s;
    QTest::newRow("TOC image, capitals") << u"images/ALBUM.TOC"_s << u"images/ALBUM.TOC"_s;
    QTest::newRow("NRG image") << u"images/live.nrg"_s << u"images/live.nrg"_s;
    QTest::newRow("audio file stands for its folder")
        << u"music/アルバム/01 曲.flac"_s << u"music/アルバム"_s;
}

void TestDriveDialog::addedDiscIsListedAndSelectedWithoutRereading()
{
    QFETCH(QString, chosen);
    QFETCH(QString, disc);
    const QString chosenPath = file(chosen);
    const QString discPath = m_files->filePath(disc);
    writeDiscs({u"/a.cue"_s});
    writeConfig(" 0 \r\n");

    DriveDialog d;
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    const QStringList before = items(named<QComboBox>(d, "Combo1"));

    ModalScript script;
    QStringList filters;
    QString offered;
    bool native = true;
    QString name;
    script.then([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) {
            ++script.unexpected;
            return;
        }
        filters = dialog->nameFilters();
        offered = dialog->selectedNameFilter();
        native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
        name = dialog->objectName();
        // Both files change while the user looks for the disc. Coming back
        // is no new showing: neither is read again.
        writeDiscs({u"/a.cue"_s, u"/meanwhile"_s});
        writeConfig(" 1 \r\n");
        testmodal::chooseIn(dialog, chosenPath);
    });
    named<QPushButton>(d, "Command2")->click();

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(name, u"DiscDialog"_s);
    QVERIFY(!native);
    QCOMPARE(filters, (QStringList{u"ディスクと音声ファイル (*.cue *.toc *.nrg *.wav *.flac *.ogg "
                                   u"*.oga *.opus *.mp3 *.aif *.aiff)"_s,
                                   u"ディスク (*.cue *.toc *.nrg)"_s,
                                   u"音声ファイルのフォルダ (*.wav *.flac *.ogg *.oga *.opus *.mp3 "
                                   u"*.aif *.aiff)"_s,
                                   u"すべてのファイル (*)"_s}));
    QCOMPARE(offered, filters.constFirst());

    QStringList expected = before;
    expected.insert(expected.size() - 1, discPath);
    QCOMPARE(items(named<QComboBox>(d, "Combo1")), expected);
    QCOMPARE(d.selectedDriveName(), discPath);
    QCOMPARE(named<QComboBox>(d, "Combo1")->currentIndex(), expected.size() - 2);
    QVERIFY(d.isVisible());
    QCOMPARE(readBytes(discs()), "/a.cue\n/meanwhile\n" + discPath.toUtf8() + "\n");
    QCOMPARE(readBytes(config()), QByteArray(" 1 \r\n"));

    named<QPushButton>(d, "Command1")->click();
    QCOMPARE(readBytes(config()), " " + QByteArray::number(expected.size() - 2) + " \r\n");
}

void TestDriveDialog::addedDiscIsTheChoiceNextTime()
{
    writeDiscs({u"/a.cue"_s});
    const QString added = m_files->filePath(u"album"_s);
    {
        DriveDialog d;
        QVERIFY(d.addDisc(added));
        named<QPushButton>(d, "Command1")->click();
    }
    DriveDialog next;
    QCOMPARE(next.selectedDriveName(), added);
    QCOMPARE(items(named<QComboBox>(next, "Combo1")),
             ListCdDrives() << u"/a.cue"_s << added << DemoDiscPath());
}

void TestDriveDialog::discAlreadyListedIsOnlySelected()
{
    writeDiscs({u"/a.cue"_s, u"/b"_s});
    writeConfig("-1 \r\n");
    DriveDialog d;
    const QStringList before = items(named<QComboBox>(d, "Combo1"));
    const QByteArray discsBefore = readBytes(discs());

    QVERIFY(d.addDisc(u"/a.cue"_s));
    QCOMPARE(items(named<QComboBox>(d, "Combo1")), before);
    QCOMPARE(d.selectedDriveName(), u"/a.cue"_s);
    // The demo disc is listed already, and stays last.
    QVERIFY(d.addDisc(DemoDiscPath()));
    QCOMPARE(items(named<QComboBox>(d, "Combo1")), before);
    QCOMPARE(named<QComboBox>(d, "Combo1")->currentIndex(), before.size() - 1);
    QCOMPARE(readBytes(discs()), discsBefore);
}

void TestDriveDialog::discThatCannotBeKeptIsNotListed()
{
    // A folder where discs.txt should be: the disc cannot be remembered.
    QVERIFY(QDir().mkpath(discs()));
    const QString chosen = file(u"b.cue"_s);
    DriveDialog d;
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    const QStringList before = items(named<QComboBox>(d, "Combo1"));

    ModalScript script;
    QString message;
    script.then([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        testmodal::chooseIn(dialog, chosen);
    });
    script.then([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        message = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    named<QPushButton>(d, "Command2")->click();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QVERIFY2(message.startsWith(u"ディスクを追加できませんでした"_s), qPrintable(message));
    QVERIFY2(message.contains(discs()), qPrintable(message));
    QCOMPARE(items(named<QComboBox>(d, "Combo1")), before);
    QCOMPARE(named<QComboBox>(d, "Combo1")->currentIndex(), 0);
}

void TestDriveDialog::closingWithoutOkWritesNothingAndEndsTheDialog_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("window frame") << false;
    QTest::newRow("Escape") << true;
}

void TestDriveDialog::closingWithoutOkWritesNothingAndEndsTheDialog()
{
    QFETCH(bool, escape);
    writeDiscs({u"/a.cue"_s, u"/b"_s});
    QWidget w;
    DriveChoice choice(&w);
    QPointer<DriveDialog> first = choice.dialog();
    QCOMPARE(choice.dialog(), first.data());
    first->show();
    QVERIFY(QTest::qWaitForWindowExposed(first));
    named<QComboBox>(first, "Combo1")->setCurrentIndex(2);

    if (escape)
        QTest::keyClick(first, Qt::Key_Escape);
    else
        QVERIFY(first->close());
    QVERIFY(first->isHidden());
    QVERIFY(first->isUnloaded());
    QVERIFY(!QFile::exists(config()));

    // The next use is a new dialog, filled from the file.
    writeConfig(" 1 \r\n");
    DriveDialog* next = choice.dialog();
    QVERIFY(next != first.data());
    QCOMPARE(named<QComboBox>(next, "Combo1")->currentIndex(), 1);
    QTRY_VERIFY(first.isNull());
    QCOMPARE(choice.dialog(), next);
    QVERIFY(!QFile::exists(config() + u".tmp"_s));
    QCOMPARE(readBytes(config()), QByteArray(" 1 \r\n"));
}

void TestDriveDialog::theChoiceMakesTheDialogWithoutShowingIt()
{
    writeDiscs({u"/a.cue"_s, u"/b"_s});
    writeConfig(" 1 \r\n");
    QWidget w;
    DriveChoice choice(&w);
    DriveDialog* d = choice.dialog();
    QVERIFY(!d->isVisible());
    QCOMPARE(d->parentWidget(), &w);
    QCOMPARE(d->selectedDriveName(), named<QComboBox>(d, "Combo1")->itemText(1));
    QCOMPARE(d->selectedDriveName(), ListCdDrives().isEmpty() ? u"/b"_s : ListCdDrives().value(1));
}

void TestDriveDialog::calibrateOpensTheWindowAndKeepsTheChoice()
{
    writeDiscs({u"/a.cue"_s, u"/b"_s});
    writeConfig(" 0 \r\n");
    DriveDialog d([] { return MakeSilentOutput(); });
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    named<QComboBox>(d, "Combo1")->setCurrentIndex(2);
    const QStringList before = items(named<QComboBox>(d, "Combo1"));

    ModalScript script;
    QString title;
    script.then([&](QWidget* window) {
        title = window->windowTitle();
        QVERIFY(window->isModal());
        QCOMPARE(window->parentWidget(), &d);
        // Both files change while the window is up. Coming back is no new
        // showing of the drive dialog: neither is read again.
        writeDiscs({u"/a.cue"_s, u"/meanwhile"_s});
        writeConfig(" 1 \r\n");
        QMetaObject::invokeMethod(window, "reject", Qt::QueuedConnection);
    });
    QTest::mouseClick(named<QPushButton>(d, "Calibrate"), Qt::LeftButton);

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.seen, QStringList{u"Calibration"_s});
    QCOMPARE(title, u"タイミング補正"_s);
    QVERIFY(d.isVisible());
    QCOMPARE(items(named<QComboBox>(d, "Combo1")), before);
    QCOMPARE(named<QComboBox>(d, "Combo1")->currentIndex(), 2);
}

QTEST_MAIN(TestDriveDialog)
#include "tst_drivedialog.moc"

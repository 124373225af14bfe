#include "testdisplay/testdisplaywindow.h"

#include "app/mainwindow.h"
#include "testdisplay/displaysearch.h"
#include "timing/timingwindow.h"
#include "widgets/twips.h"
#include "widgets/widgetstyle.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QTimer>

namespace verselet {

using namespace Qt::StringLiterals;

TestDisplayWindow::TestDisplayWindow(Start start, TimingWindow* timing, MainWindow* main)
    : QDialog(timing), m_start(start), m_timing(timing), m_main(main)
{
    setObjectName(start == Start::FromBeginning ? u"Form4"_s : u"Form5"_s);
    setWindowTitle(QString());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(TwipsToPixels(8160), TwipsToPixels(855));
    setAutoFillBackground(true);

    Shape1 = new QFrame(this);
    Shape1->setObjectName(u"Shape1"_s);
    Shape1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Shape1->setGeometry(TwipsRect(120, 120, 7935, 615));
    Shape1->setAutoFillBackground(true);
    QPalette black = Shape1->palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, QColor(255, 255, 192));
    Shape1->setPalette(black);

    Label1 = new QLabel(this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setAutoFillBackground(true);
    Label1->setPalette(black);
    QFont font(u"Noto Sans Mono CJK JP"_s);
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(13.5);
    font.setBold(true);
    Label1->setFont(font);
    Label1->setGeometry(TwipsRect(120, 240, 7935, 375));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(u"Timer1"_s);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(start == Start::FromBeginning ? 100 : 10);
    connect(Timer1, &QTimer::timeout, this, &TestDisplayWindow::Timer1_Timer);
    if (start == Start::FromSelectedLine)
        Timer1->start();

    Form_Load();
}

void TestDisplayWindow::Form_Load()
{
    const bool fromBeginning = m_start == Start::FromBeginning;
    ShownLineIndex = fromBeginning ? -1 : m_timing->List1->currentRow() - 1;
    if (fromBeginning)
        Timer1->start();
    m_timing->Command8->setEnabled(false);
    m_timing->Command6->setEnabled(true);
    CdAudioDevice& device = m_timing->device();
    if (fromBeginning) {
        if (m_timing->List1->count() > 0) {
            m_timing->List1->setCurrentRow(0);
            m_timing->List1->scrollToTop();
        }
        m_timing->List1->setCurrentRow(-1);
        // Where the last reset put the device, or on from a pause.
        device.setCommand(u"play"_s);
    } else {
        device.setFrom(qint32(device.TrackPosition() + m_timing->GetSelectedTagOffset()));
        device.setCommand(u"Play"_s);
    }
    m_main->state().PlayingFlag = 1;
    if (fromBeginning)
        Label1->setText(m_main->startText());
}

void TestDisplayWindow::Timer1_Timer()
{
    const QString display = m_timing->Label2->text();
    const DisplayStep step = NextDisplayLine(m_timing->timingRows(), ShownLineIndex, display);
    ShownLineIndex = step.shownLineIndex;
    if (step.show)
        Label1->setText(*step.show);
    // The track is over when the display reads its length.
    const QComboBox* tracks = m_timing->Combo1;
    if (tracks->currentIndex() >= 0 && tracks->currentText().right(7) == display)
        close();
}

void TestDisplayWindow::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        m_timing->Command6->setEnabled(false);
        m_timing->Command8->setEnabled(true);
        m_timing->ResetToTrackStart();
        m_main->state().PlayingFlag = 0;
        Timer1->stop();
    }
    event->accept();
}

void TestDisplayWindow::reject() { close(); }

} // namespace verselet

#include "testdisplay/testdisplaywindow.h"

#include "session/displaysearch.h"
#include "session/timingsession.h"
#include "shell/twips.h"
#include "widgets/widgetstyle.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QTimer>

namespace verselet {

using namespace Qt::StringLiterals;

TestDisplayWindow::TestDisplayWindow(Start start, TimingSession& session, const QString& startText,
                                     QWidget* parent)
    : QDialog(parent), m_start(start), m_session(session), m_startText(startText)
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
    ShownLineIndex = fromBeginning ? -1 : m_session.selectedRow() - 1;
    if (fromBeginning)
        Timer1->start();
    m_session.beginTest(fromBeginning);
    if (fromBeginning)
        Label1->setText(m_startText);
    // The session notices the end of the track on its own, faster timer: the
    // display ends with it even when none of its own ticks sees the length.
    connect(&m_session, &TimingSession::endOfTrack, this, &QWidget::close);
}

void TestDisplayWindow::Timer1_Timer()
{
    const DisplayStep step = NextDisplayLine(m_session.lines(), ShownLineIndex, m_session.playTimeMilliseconds());
    ShownLineIndex = step.shownLineIndex;
    if (step.show)
        Label1->setText(*step.show);
    // The track is over when the play time reads its length.
    if (m_session.atTrackEnd())
        close();
}

void TestDisplayWindow::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        m_session.endTest();
        Timer1->stop();
    }
    event->accept();
}

void TestDisplayWindow::reject() { close(); }

} // namespace verselet

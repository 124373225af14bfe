#include "testdisplay/testdisplaywindow.h"

#include "session/displaysearch.h"
#include "session/timingrun.h"
#include "shell/twips.h"
#include "testdisplay/karaokelabel.h"
#include "widgets/widgetstyle.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QTimer>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// The height the readings above a line take, in twips.
constexpr int kRubyRoom = 270;

bool HasReadings(const TimingRows& rows)
{
    return std::any_of(rows.cbegin(), rows.cend(),
                       [](const TimingRow& row) { return !row.keptWords().readings.isEmpty(); });
}

} // namespace

TestDisplayWindow::TestDisplayWindow(Start start, TimingRun& run, const QString& startText,
                                     QWidget* parent)
    : QDialog(parent), m_start(start), m_run(run), m_startText(startText)
{
    setObjectName(start == Start::FromBeginning ? u"Form4"_s : u"Form5"_s);
    setWindowTitle(tr("テスト表示"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    // A song with readings shows them above its lines: the line stands
    // taller.
    const int rubyRoom = HasReadings(run.lines().sheet().rows()) ? kRubyRoom : 0;
    setFixedSize(TwipsToPixels(8160), TwipsToPixels(855 + rubyRoom));
    setAutoFillBackground(true);

    m_frame = new QFrame(this);
    m_frame->setObjectName(u"Shape1"_s);
    m_frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_frame->setGeometry(TwipsRect(120, 120, 7935, 615 + rubyRoom));
    m_frame->setAutoFillBackground(true);
    QPalette black = m_frame->palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, QColor(255, 255, 192));
    m_frame->setPalette(black);

    m_lineLabel = new KaraokeLabel([this] { return m_run.transport().headPosition(); }, this);
    m_lineLabel->setObjectName(u"Label1"_s);
    m_lineLabel->setAlignment(Qt::AlignCenter);
    m_lineLabel->setAutoFillBackground(true);
    m_lineLabel->setPalette(black);
    QFont font(u"Noto Sans Mono CJK JP"_s);
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(13.5);
    font.setBold(true);
    m_lineLabel->setFont(font);
    m_lineLabel->setGeometry(TwipsRect(120, 240, 7935, 375 + rubyRoom));

    m_ticker = new QTimer(this);
    m_ticker->setObjectName(u"Timer1"_s);
    m_ticker->setTimerType(Qt::PreciseTimer);
    m_ticker->setInterval(start == Start::FromBeginning ? 100 : 10);
    connect(m_ticker, &QTimer::timeout, this, &TestDisplayWindow::onTick);
    if (start == Start::FromSelectedLine)
        m_ticker->start();

    Form_Load();
}

void TestDisplayWindow::Form_Load()
{
    const bool fromBeginning = m_start == Start::FromBeginning;
    ShownLineIndex = fromBeginning ? -1 : m_run.lines().sheet().selected() - 1;
    if (fromBeginning)
        m_ticker->start();
    m_run.beginTest(fromBeginning);
    if (fromBeginning)
        m_lineLabel->setText(m_startText);
    // The transport's clock tells the end of the track: the display ends
    // with it.
    connect(&m_run.transport(), &Transport::endOfTrack, this, &QWidget::close);
}

void TestDisplayWindow::onTick()
{
    const DisplayStep step = NextDisplayLine(m_run.lines().sheet().rows(), ShownLineIndex,
                                             m_run.transport().shownTime());
    ShownLineIndex = step.shownLineIndex;
    if (step.show) {
        m_lineLabel->setText(*step.show);
        m_lineLabel->setWords(m_run.lines().sheet().row(step.shownLineIndex).keptWords());
    }
}

void TestDisplayWindow::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        m_run.transport().halt();
        m_ticker->stop();
    }
    event->accept();
}

void TestDisplayWindow::reject()
{
    close();
}

} // namespace verselet

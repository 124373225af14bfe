#include "timing/timingwindow.h"

#include "cd/openprogress.h"
#include "document/lyricsformat.h"
#include "document/textfile.h"
#include "session/stamping.h"
#include "session/timingcommands.h"
#include "session/timinglistmodel.h"
#include "session/timingsession.h"
#include "shell/twips.h"
#include "timing/waveformstrip.h"
#include "widgets/messages.h"
#include "widgets/widgetstyle.h"
#include "widgets/wrapbutton.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QProgressDialog>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QValidator>

#include <functional>

#include <limits>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// The time field takes only what the tag file can hold. A character code page
// 932 has no form for would let the tags be kept by no way out of the run, so
// it is refused as it is typed; a look-alike an input method typed becomes the
// character it stands for.
class WritableTagValidator final : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = FoldForCp932(input);
        return CanEncodeCp932(input) ? Acceptable : Invalid;
    }
};

// The list row Set stamps next in word mode marks the segment it stamps.
class NextSegmentDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const QVariant place = index.data(TimingListModel::kNextSegmentRole);
        if (!place.isValid())
            return;
        const QPoint segment = place.toPoint();
        const QString row = index.data(Qt::DisplayRole).toString();
        const QFontMetrics metrics(option.font);
        const QRect text =
            option.rect.adjusted(option.widget->style()->pixelMetric(QStyle::PM_FocusFrameHMargin,
                                                                     nullptr, option.widget) +
                                     1,
                                 0, 0, 0);
        const int from = text.left() + metrics.horizontalAdvance(row.left(segment.x()));
        const int width = metrics.horizontalAdvance(row.mid(segment.x(), segment.y()));
        const QRect mark(from, option.rect.top() + 1, width, option.rect.height() - 2);
        painter->save();
        painter->fillRect(mark, QColor(255, 190, 0, 110));
        painter->setPen(QPen(QColor(220, 120, 0), 2));
        painter->drawLine(mark.bottomLeft(), mark.bottomRight());
        painter->restore();
    }
};

} // namespace

TimingWindow::TimingWindow(TimingRun& run, QWidget* parent)
    : QDialog(parent), m_run(run), m_session(&run.session()),
      m_model(new TimingListModel(*m_session, this))
{
    setObjectName(u"Form3"_s);
    setWindowTitle(tr("リアルタイム入力"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    // A row for the speed between the buttons and the waveform.
    setFixedSize(TwipsToPixels(8205), TwipsToPixels(7605));
    buildWidgets();
    followSession();

    m_ticker = new QTimer(this);
    m_ticker->setObjectName(u"Timer1"_s);
    m_ticker->setTimerType(Qt::PreciseTimer);
    m_ticker->setInterval(1);
    // The run's transport keeps its own clock: this timer no longer reads
    // the device a second time each millisecond.
    m_ticker->start();

    // The disc is read while the window is up: a progress over the window
    // blocks it until the disc is read, then the tracks are listed or the
    // user hears that there is no disc. A device that needs no time to read
    // has answered already.
    if (m_run.isOpening()) {
        connect(&m_run, &TimingRun::discRead, this, &TimingWindow::discOpened,
                Qt::SingleShotConnection);
    } else {
        // Its tracks were listed before this window was there to show them.
        m_trackBox->addItems(m_session->trackEntries());
        m_trackBox->setCurrentIndex(m_session->selectedTrack());
        m_waveform->showWholeTrack();
        discOpened();
    }
}

TimingWindow::~TimingWindow()
{
    m_ticker->stop();
}

void TimingWindow::buildWidgets()
{
    buildLineWidgets();
    buildTrackWidgets();
    buildButtons();
    buildSpeedRow();
    m_waveform = new WaveformStrip(*m_session, m_run.device(), this);
    m_waveform->setGeometry(TwipsRect(120, 6375, 7965, 1110));
    m_waveform->setToolTip(
        tr("クリックでその位置から再生、ホイールで拡大・縮小、印をドラッグでタイムを動かします"));
    connect(m_waveform, &WaveformStrip::markMoved, this, [this] { ShowSelectedLine(); });

    // The timing keys reach the window before whatever has the focus would
    // take them (a button pressed by Space, the list's own arrows and
    // search); the time field keeps its own typing.
    for (QWidget* child : findChildren<QWidget*>()) {
        if (child != m_tagField && child != m_segmentField && child->focusPolicy() != Qt::NoFocus)
            child->installEventFilter(this);
    }
}

void TimingWindow::buildLineWidgets()
{
    m_lineList = new QListView(this);
    m_lineList->setObjectName(u"List1"_s);
    m_lineList->setModel(m_model);
    m_lineList->setItemDelegate(new NextSegmentDelegate(m_lineList));
    m_lineList->setFont(TerminalFont());
    m_lineList->setToolTip(tr("歌詞リスト"));
    m_lineList->setGeometry(TwipsRect(0, 0, 8175, 4380));
    m_lineList->setSelectionMode(QAbstractItemView::SingleSelection);
    // One line per row: the list need not measure every row again when a
    // stamp changes one.
    m_lineList->setUniformItemSizes(true);
    m_lineList->setMouseTracking(true);
    m_lineList->viewport()->setMouseTracking(true);
    m_lineList->installEventFilter(this);
    m_lineList->viewport()->installEventFilter(this);

    m_tagField = new QLineEdit(this);
    m_tagField->setObjectName(u"Text1"_s);
    m_tagField->setFont(TerminalFont());
    m_tagField->setToolTip(tr("直接タイムを書き換えます"));
    m_tagField->setMaxLength(kTagFieldLength);
    m_tagField->setGeometry(TwipsRect(0, 4440, 975, 375));
    m_tagField->setValidator(new WritableTagValidator(m_tagField));
    connect(m_tagField, &QLineEdit::inputRejected, this, [] { QApplication::beep(); });
    // Every change counts, typed or set by the program.
    connect(m_tagField, &QLineEdit::textChanged, this, &TimingWindow::onTagEdited);

    m_lineText = new QLabel(this);
    m_lineText->setObjectName(u"Label3"_s);
    m_lineText->setFont(TerminalFont());
    m_lineText->setAutoFillBackground(true);
    QPalette white = m_lineText->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    m_lineText->setPalette(white);
    m_lineText->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_lineText->setLineWidth(1);
    m_lineText->setGeometry(TwipsRect(1005, 4440, 7155, 375));

    m_segmentField = new QLineEdit(this);
    m_segmentField->setObjectName(u"SegmentText"_s);
    m_segmentField->setFont(TerminalFont());
    m_segmentField->setToolTip(
        tr("「|」で区切った単位ごとにタイムを入れます。「|」だけを書き換えて区切りを変えられます"));
    m_segmentField->setGeometry(TwipsRect(1005, 4440, 7155, 375));
    // A line of any length shows whole, bars and all: a field that cut it
    // could never give the line's text back.
    m_segmentField->setMaxLength(std::numeric_limits<int>::max());
    m_segmentField->hide();
    connect(m_segmentField, &QLineEdit::textEdited, this, &TimingWindow::onSegmentBarsEdited);
    // Enter gives the keys back to the timing.
    connect(m_segmentField, &QLineEdit::returnPressed, this, [this] { m_lineList->setFocus(); });
}

void TimingWindow::buildTrackWidgets()
{
    m_trackCaption = new QLabel(tr("再生するトラック"), this);
    m_trackCaption->setObjectName(u"Label1"_s);
    QFont small = m_trackCaption->font();
    small.setPointSizeF(8);
    m_trackCaption->setFont(small);
    m_trackCaption->setGeometry(TwipsRect(0, 4920, 1335, 255));

    m_trackBox = new QComboBox(this);
    m_trackBox->setObjectName(u"Combo1"_s);
    m_trackBox->setToolTip(tr("再生するトラックを選択してください"));
    m_trackBox->setGeometry(TwipsRect(0, 5160, 2175, 300));
    connect(m_trackBox, &QComboBox::activated, this, [this](int) { onTrackChosen(); });
    // Typed or set, every change of the time field goes to the session, which
    // takes it once the tag is complete.

    m_clock = new QLabel(m_session->playTime(), this);
    m_clock->setObjectName(u"Label2"_s);
    m_clock->setAlignment(Qt::AlignCenter);
    m_clock->setAutoFillBackground(true);
    QPalette display = m_clock->palette();
    display.setColor(QPalette::Window, Qt::black);
    display.setColor(QPalette::WindowText, QColor(128, 128, 0));
    m_clock->setPalette(display);
    QFont big(u"Noto Sans CJK JP"_s);
    big.setPointSizeF(21.75);
    big.setBold(true);
    m_clock->setFont(big);
    m_clock->setGeometry(TwipsRect(5400, 4920, 2775, 495));

    // The free corner left of "更新" tells when nothing will be heard.
    m_silentLabel = new QLabel(tr("無音再生"), this);
    m_silentLabel->setObjectName(u"SilentLabel"_s);
    m_silentLabel->setFont(small);
    m_silentLabel->setAlignment(Qt::AlignCenter);
    m_silentLabel->setStyleSheet(u"color: #a00000;"_s);
    m_silentLabel->setToolTip(
        tr("音声出力が見つからないため、音を出さずに時間だけを進めて再生します"));
    m_silentLabel->setGeometry(TwipsRect(0, 5520, 1155, 375));
}

void TimingWindow::buildButtons()
{
    // The buttons as the window has always had them, each with what it
    // gives: a timing command of the run, or the window's own act.
    struct Button
    {
        QPushButton* TimingWindow::*member;
        QString name;
        QString caption;
        QString tip;
        QRect twips;
        bool wraps;
        bool enabled;
        std::function<void()> clicked;
    };
    const auto command = [this](const QString& name) {
        const TimingCommand* given = TimingCommandNamed(name);
        Q_ASSERT(given);
        return [this, given] {
            if (given->canRun(*m_session))
                given->run(*m_session, false);
        };
    };
    const QList<Button> buttons{
        {&TimingWindow::m_topButton, u"Command10"_s, u"　　▼　　　 Top"_s,
         tr("歌詞リストをスクロールし選択されている位置を画面のトップにもってくる"),
         QRect(2400, 4920, 855, 495), true, true, command(u"top"_s)},
        {&TimingWindow::m_setButton, u"Command6"_s, u"　　▼　　　 Set"_s,
         tr("タイミングをセットし一行進む"), QRect(3360, 4920, 855, 495), true, false,
         command(u"set"_s)},
        {&TimingWindow::m_nextButton, u"Command7"_s, u"　　▼　　　Next"_s,
         tr("タイミングはセットせず一行進む"), QRect(4320, 4920, 855, 495), true, true,
         command(u"next"_s)},
        {&TimingWindow::m_refreshButton, u"Command1"_s, tr("更新"), tr("トラック情報を更新します"),
         QRect(1200, 5520, 975, 375), false, true, [this] { onRefreshClicked(); }},
        {&TimingWindow::m_testFromStartButton, u"Command8"_s, tr("＞テスト"),
         tr("最初からテストしてみる"), QRect(2640, 5520, 855, 375), false, true,
         [this] { Q_EMIT testRequested(true); }},
        {&TimingWindow::m_testFromLineButton, u"Command9"_s, tr("=>テスト"),
         tr("現在選択している場所からテストしてみる"), QRect(3600, 5520, 855, 375), false, false,
         [this] { Q_EMIT testRequested(false); }},
        {&TimingWindow::m_playButton, u"Command2"_s, u"＞"_s, tr("最初から再生します"),
         QRect(5400, 5520, 615, 375), false, true, command(u"play"_s)},
        {&TimingWindow::m_playFromLineButton, u"Command5"_s, u"=>"_s,
         tr("現在選択されている歌詞のタイムから再生します"), QRect(6120, 5520, 615, 375), false,
         false, command(u"play-from-line"_s)},
        {&TimingWindow::m_pauseButton, u"Command3"_s, u"||"_s, tr("一時停止します"),
         QRect(6840, 5520, 615, 375), false, true, command(u"pause"_s)},
        {&TimingWindow::m_stopButton, u"Command4"_s, u"□"_s, tr("停止します"),
         QRect(7560, 5520, 615, 375), false, true, command(u"stop"_s)},
    };
    for (const Button& row : buttons) {
        QPushButton* b =
            row.wraps ? new WrapButton(row.caption, this) : new QPushButton(row.caption, this);
        b->setObjectName(row.name);
        b->setToolTip(row.tip);
        b->setGeometry(
            TwipsRect(row.twips.x(), row.twips.y(), row.twips.width(), row.twips.height()));
        b->setAutoDefault(false);
        b->setEnabled(row.enabled);
        connect(b, &QPushButton::clicked, this, row.clicked);
        this->*row.member = b;
    }
    m_setButton->installEventFilter(this);
}

void TimingWindow::buildSpeedRow()
{
    m_wordModeBox = new QCheckBox(tr("語単位"), this);
    m_wordModeBox->setObjectName(u"WordMode"_s);
    m_wordModeBox->setToolTip(
        tr("Spaceで一語（一文字）ずつタイムを入れます。Shift+Spaceで最後の語の終わりを入れます"));
    // On the speed row, left of the speed: the two change how the song is
    // timed, and the row has room for a caption longer than "語単位".
    m_wordModeBox->setGeometry(TwipsRect(4080, 5985, 1215, 330));
    connect(m_wordModeBox, &QCheckBox::toggled, this, &TimingWindow::onWordModeToggled);

    m_speedCaption = new QLabel(tr("速度"), this);
    m_speedCaption->setObjectName(u"SpeedLabel"_s);
    m_speedCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_speedCaption->setGeometry(TwipsRect(5400, 5985, 615, 330));
    m_speedBox = new QComboBox(this);
    m_speedBox->setObjectName(u"Speed"_s);
    m_speedBox->setToolTip(
        tr("再生の速さ（音の高さは変わりません）。Ctrl+↓で遅く、Ctrl+↑で速くします"));
    for (const int percent : SpeedSteps())
        m_speedBox->addItem(u"%1 %"_s.arg(percent), percent);
    m_speedBox->setGeometry(TwipsRect(6120, 5985, 1335, 330));
    // The run plays at the speed last chosen.
    m_speedBox->setCurrentIndex(int(SpeedSteps().indexOf(m_session->transport().speed())));
    connect(&m_session->transport(), &Transport::speedChanged, m_speedBox, [this](int percent) {
        m_speedBox->setCurrentIndex(int(SpeedSteps().indexOf(percent)));
    });
    connect(m_speedBox, &QComboBox::currentIndexChanged, this, &TimingWindow::onSpeedChosen);
}

void TimingWindow::followSession()
{
    TimingSession* session = m_session;
    // The list shows the session's selection; a line the user picks is the
    // session's selection.
    connect(session, &TimingSession::selectionChanged, this, [this](int row) {
        if (m_lineList->currentIndex().row() == row &&
            (row >= 0 || !m_lineList->currentIndex().isValid()))
            return;
        if (row < 0)
            m_lineList->selectionModel()->clear();
        else
            m_lineList->setCurrentIndex(m_model->index(row));
    });
    connect(m_lineList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                m_session->selectRow(current.isValid() ? current.row() : -1);
            });
    connect(session, &TimingSession::rowShownAtTop, this, [this](int row) {
        // Down to the last line first, so that the line can stand at the top
        // even on the list's last page, as far as the end allows.
        m_lineList->scrollToBottom();
        m_lineList->scrollTo(m_model->index(row), QAbstractItemView::PositionAtTop);
    });
    connect(session, &TimingSession::lineShownForEditing, this, [this](int row) {
        const TimingRow& line = m_session->row(row);
        m_tagField->setEnabled(true);
        m_lineText->setText(line.text());
        m_tagField->setText(line.tagField());
    });
    connect(session, &TimingSession::playTimeChanged, m_clock, &QLabel::setText);
    // The split shown is the selected line's, as it is now.
    connect(session, &TimingSession::selectionChanged, this, &TimingWindow::showSegments);
    connect(session, &TimingSession::rowChanged, this, [this](int row) {
        if (row == m_session->selectedRow())
            showSegments();
    });
    connect(session, &TimingSession::controlsChanged, this, [this] {
        m_setButton->setEnabled(m_session->canSet());
        m_testFromStartButton->setEnabled(m_session->canTest());
        // Playback starting is when a device learns that no sound will be
        // heard.
        showSilence();
    });
    // The device may also fall silent once playback has begun (the sound
    // output lost): the corner says so when it does.
    connect(&m_run.device(), &CdAudioDevice::silenceChanged, this, &TimingWindow::showSilence);
    connect(session, &TimingSession::tracksChanged, this, [this] {
        m_trackBox->clear();
        m_trackBox->addItems(m_session->trackEntries());
        m_trackBox->setCurrentIndex(-1);
    });
    connect(session, &TimingSession::trackChosen, m_trackBox, &QComboBox::setCurrentIndex);
}

void TimingWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_run.isOpening() && !m_openProgress)
        m_openProgress = ShowOpenProgress(m_run.device(), this);
}

void TimingWindow::discOpened()
{
    showSilence();
    // A device that needs no time to read has answered before the window is
    // shown: the message then stands over the window below.
    if (!m_run.hasTracks())
        ShowMessage(isVisible() ? static_cast<QWidget*>(this) : parentWidget(),
                    tr("ＣＤが挿入されてないか、またはこのドライブは使用できません\r\n"
                       "他のＣＤと交換し、更新ボタンを押してください"));
}

void TimingWindow::showSilence()
{
    m_silentLabel->setVisible(m_run.device().isSilent());
}

void TimingWindow::setTimingRows(const QStringList& rows, const ExactTimes& exactTimes,
                                 const WordTimes& wordTimes)
{
    m_session->setRows(rows, exactTimes, wordTimes);
}

QStringList TimingWindow::timingRows() const
{
    return m_session->rows();
}

void TimingWindow::onRefreshClicked()
{
    // The run has the device look at the disc in the drive: one that arrived
    // or was swapped since the window opened is read, and the window waits
    // under its progress until the tracks are listed.
    m_run.relistTracks();
    if (m_run.isRelisting())
        ShowLookProgress(m_run.device(), this);
}

void TimingWindow::onTrackChosen()
{
    m_session->chooseTrack(m_trackBox->currentIndex());
}

void TimingWindow::ShowSelectedLine()
{
    const int selected = m_session->selectedRow();
    if (selected < 0)
        return;
    const TimingRow& row = m_session->row(selected);
    if (row.isTimed()) {
        m_tagField->setEnabled(true);
        m_tagField->setText(row.tagField());
        m_lineText->setText(row.text());
        m_playFromLineButton->setEnabled(true);
        m_testFromLineButton->setEnabled(true);
    } else {
        m_playFromLineButton->setEnabled(false);
        m_testFromLineButton->setEnabled(false);
        m_tagField->setText(QString());
        m_lineText->setText(row.text());
        m_tagField->setEnabled(false);
    }
    showSegments();
}

void TimingWindow::showSegments()
{
    if (!m_session->wordMode())
        return;
    const int selected = m_session->selectedRow();
    const LineWords words = selected >= 0 ? m_session->row(selected).words() : LineWords();
    const QString barred = BarredSegments(words.text, words.starts);
    // Not while the user is moving the bars: the field keeps what is typed.
    if (m_segmentField->text() != barred && !m_segmentField->hasFocus())
        m_segmentField->setText(barred);
    m_segmentField->setEnabled(words.count() > 1 || (words.count() == 1 && words.text.size() > 1));
}

void TimingWindow::onWordModeToggled(bool on)
{
    m_session->setWordMode(on);
    m_segmentField->setVisible(on);
    m_lineText->setVisible(!on);
    m_segmentField->clear();
    showSegments();
}

void TimingWindow::onSpeedChosen()
{
    m_session->transport().setSpeed(m_speedBox->currentData().toInt());
}

void TimingWindow::onSegmentBarsEdited(const QString& barred)
{
    const int selected = m_session->selectedRow();
    if (selected < 0)
        return;
    const QString& text = m_session->row(selected).text();
    if (QString(barred).remove(u'|') != text) {
        // Only the bars change here: the text goes back as it was.
        QApplication::beep();
        const LineWords words = m_session->row(selected).words();
        m_segmentField->setText(BarredSegments(text, words.starts));
        return;
    }
    // Bars together or at an end are a split on its way; it applies once it
    // is one.
    if (const std::optional<SegmentStarts> split = SegmentsFromBars(text, barred))
        m_session->setSplit(selected, *split);
}

void TimingWindow::onTagEdited()
{
    m_session->editTag(m_tagField->text());
}

void TimingWindow::onTick()
{
    m_session->tick();
}

bool TimingWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == m_setButton) {
        // A disabled button takes no press, so it refreshes nothing either.
        if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) &&
            m_setButton->isEnabled())
            ShowSelectedLine();
        // Enter presses Set as Space does, so a run can be timed from the keyboard.
        if (type == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_setButton->isEnabled()) {
                // Once per press, as Space.
                if (!static_cast<QKeyEvent*>(event)->isAutoRepeat())
                    m_setButton->click();
                return true;
            }
        }
    }
    if (type == QEvent::KeyPress && watched != m_tagField && watched != m_segmentField &&
        timingKey(*static_cast<QKeyEvent*>(event)))
        return true;
    if (watched == m_lineList && type == QEvent::KeyPress) {
        // Before the key moves the selection.
        ShowSelectedLine();
    } else if (watched == m_lineList->viewport() && type == QEvent::MouseMove) {
        ShowSelectedLine();
    }
    return QDialog::eventFilter(watched, event);
}

void TimingWindow::keyPressEvent(QKeyEvent* event)
{
    // A key the time field let through (one it has no use for) is still
    // the field's.
    if (QApplication::focusWidget() != m_tagField &&
        QApplication::focusWidget() != m_segmentField && timingKey(*event))
        return;
    QDialog::keyPressEvent(event);
}

bool TimingWindow::timingKey(const QKeyEvent& event)
{
    const TimingCommand* command = TimingCommandForKey(event.keyCombination());
    if (!command)
        return false;
    // A key held down repeats; Set, a retake and a shift happen once per
    // press, or a held Space would stamp line after line. A held arrow
    // nudges on, its repeats one step with the press.
    if (event.isAutoRepeat() && !command->repeats)
        return true;
    ShowSelectedLine();
    // Only what can run now; never the button that has the focus. The time
    // field and the text display show the line as it is now.
    if (command->canRun(*m_session) && command->run(*m_session, event.isAutoRepeat()))
        ShowSelectedLine();
    return true;
}

void TimingWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeAllowed) {
        event->accept();
        return;
    }
    // The closing steps run once: the disc stops and is armed at the start
    // of the chosen track, and that track is kept to be remembered.
    if (!m_closeAsked) {
        m_closeAsked = true;
        m_run.finish();
        // Alone, the window simply closes; in a real-time input it stays on
        // screen until whoever runs the input has finished with it.
        if (!m_finishedByOwner) {
            event->accept();
            return;
        }
        Q_EMIT finishRequested();
    }
    event->ignore();
}

void TimingWindow::finishClosing()
{
    m_closeAllowed = true;
    close();
}

void TimingWindow::reject()
{
    // Escape closes the window the way its frame does.
    close();
}

} // namespace verselet

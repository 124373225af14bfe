#include "timing/timingwindow.h"

#include "cd/openprogress.h"
#include "document/lyricsformat.h"
#include "document/wordnotation.h"
#include "session/stamping.h"
#include "session/timingcommands.h"
#include "session/timinglistmodel.h"
#include "shell/twips.h"
#include "timing/timingfields.h"
#include "timing/timingkeys.h"
#include "timing/waveformstrip.h"
#include "widgets/messages.h"
#include "widgets/widgetstyle.h"
#include "widgets/wrapbutton.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressDialog>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include <limits>

namespace verselet {

using namespace Qt::StringLiterals;

TimingWindow::TimingWindow(TimingRun& run, QWidget* parent)
    : QDialog(parent), m_run(run), m_model(new TimingListModel(run.lines(), this))
{
    setObjectName(u"Form3"_s);
    setWindowTitle(tr("リアルタイム入力"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    // A row for the speed between the buttons and the waveform.
    setFixedSize(TwipsToPixels(8205), TwipsToPixels(7605));
    buildLineWidgets();
    buildTrackWidgets();
    buildButtons();
    buildSpeedRow();
    m_waveform = Placed(
        new WaveformStrip(m_run, this), u"Waveform"_s,
        tr("クリックでその位置から再生、ホイールで拡大・縮小、印をドラッグでタイムを動かします"),
        QRect(120, 6375, 7965, 1110));
    connect(m_waveform, &WaveformStrip::markMoved, this, &TimingWindow::ShowSelectedLine);
    m_keys = new TimingKeys(
        m_run, this,
        {findChild<QPushButton*>(u"Command6"_s), m_lineList, {m_tagField, m_segmentField}},
        [this] { ShowSelectedLine(); });
    followLines();
    followTransport();

    // The run's transport keeps its own clock; this timer reads nothing.
    m_ticker = new QTimer(this);
    m_ticker->setObjectName(u"Timer1"_s);
    m_ticker->setTimerType(Qt::PreciseTimer);
    m_ticker->setInterval(1);
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
        m_trackBox->addItems(m_run.transport().tracks().entries());
        m_trackBox->setCurrentIndex(m_run.transport().tracks().chosen);
        m_waveform->showWholeTrack();
        discOpened();
    }
}

TimingWindow::~TimingWindow()
{
    // The keys go before the widgets they watch.
    delete m_keys;
    m_ticker->stop();
}

void TimingWindow::buildLineWidgets()
{
    m_lineList = Placed(new QListView(this), u"List1"_s, tr("歌詞リスト"), QRect(0, 0, 8175, 4380));
    m_lineList->setModel(m_model);
    m_lineList->setItemDelegate(new NextSegmentDelegate(m_lineList));
    m_lineList->setFont(TerminalFont());
    m_lineList->setSelectionMode(QAbstractItemView::SingleSelection);
    // One line per row: the list need not measure every row again when a
    // stamp changes one.
    m_lineList->setUniformItemSizes(true);
    m_lineList->setMouseTracking(true);
    m_lineList->viewport()->setMouseTracking(true);
    // In word mode the selected line's readings can be proposed again.
    m_lineList
        ->addAction(tr("読みを付け直す"), this,
                    [this] { m_keys->run(*TimingCommandNamed(u"propose-readings"_s), false); })
        ->setObjectName(u"ProposeReadings"_s);
    m_lineList->setContextMenuPolicy(Qt::ActionsContextMenu);

    m_tagField = Placed(new QLineEdit(this), u"Text1"_s, tr("直接タイムを書き換えます"),
                        QRect(0, 4440, 975, 375));
    m_tagField->setFont(TerminalFont());
    m_tagField->setMaxLength(kTagFieldLength);
    m_tagField->setValidator(new WritableTagValidator(m_tagField));
    connect(m_tagField, &QLineEdit::inputRejected, this, [] { QApplication::beep(); });
    // Every change counts, typed or set by the program; the lines take it
    // once the tag is complete.
    connect(m_tagField, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_run.lines().editTag(text); });

    m_lineText = Placed(new QLabel(this), u"Label3"_s, QString(), QRect(1005, 4440, 7155, 375));
    m_lineText->setFont(TerminalFont());
    m_lineText->setAutoFillBackground(true);
    m_lineText->setPalette(Colours(m_lineText->palette(), Qt::white, Qt::black));
    m_lineText->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_lineText->setLineWidth(1);

    m_segmentField = Placed(
        new QLineEdit(this), u"SegmentText"_s,
        tr("「|」で区切った単位ごとにタイムを入れます。「|」だけを書き換えて区切りを変えられます"),
        QRect(1005, 4440, 7155, 375));
    m_segmentField->setFont(TerminalFont());
    // A line of any length shows whole, bars and all: a field that cut it
    // could never give the line's text back.
    m_segmentField->setMaxLength(std::numeric_limits<int>::max());
    m_segmentField->hide();
    connect(m_segmentField, &QLineEdit::textEdited, this, &TimingWindow::barsEdited);
    // Enter gives the keys back to the timing.
    connect(m_segmentField, &QLineEdit::returnPressed, this, [this] { m_lineList->setFocus(); });
}

void TimingWindow::buildTrackWidgets()
{
    m_trackCaption = Placed(new QLabel(tr("再生するトラック"), this), u"Label1"_s, QString(),
                            QRect(0, 4920, 1335, 255));
    QFont small = m_trackCaption->font();
    small.setPointSizeF(8);
    m_trackCaption->setFont(small);

    m_trackBox = Placed(new QComboBox(this), u"Combo1"_s, tr("再生するトラックを選択してください"),
                        QRect(0, 5160, 2175, 300));
    connect(m_trackBox, &QComboBox::activated, this,
            [this](int) { m_run.transport().chooseTrack(m_trackBox->currentIndex()); });

    m_clock = Placed(new QLabel(ClockText(m_run.transport().shownTime()), this), u"Label2"_s,
                     QString(), QRect(5400, 4920, 2775, 495));
    m_clock->setAlignment(Qt::AlignCenter);
    m_clock->setAutoFillBackground(true);
    m_clock->setPalette(Colours(m_clock->palette(), Qt::black, QColor(128, 128, 0)));
    QFont big(u"Noto Sans CJK JP"_s);
    big.setPointSizeF(21.75);
    big.setBold(true);
    m_clock->setFont(big);

    // The free corner left of "更新" tells when nothing will be heard.
    m_silentLabel = Placed(new QLabel(tr("無音再生"), this), u"SilentLabel"_s,
                           tr("音声出力が見つからないため、音を出さずに時間だけを進めて再生します"),
                           QRect(0, 5520, 1155, 375));
    m_silentLabel->setFont(small);
    m_silentLabel->setAlignment(Qt::AlignCenter);
    m_silentLabel->setStyleSheet(u"color: #a00000;"_s);
}

void TimingWindow::buildButtons()
{
    const QList<TimingButton> buttons{
        {u"Command10"_s, u"　　▼　　　 Top"_s,
         tr("歌詞リストをスクロールし選択されている位置を画面のトップにもってくる"),
         QRect(2400, 4920, 855, 495), true, u"top"_s},
        {u"Command6"_s, u"　　▼　　　 Set"_s, tr("タイミングをセットし一行進む"),
         QRect(3360, 4920, 855, 495), true, u"set"_s},
        {u"Command7"_s, u"　　▼　　　Next"_s, tr("タイミングはセットせず一行進む"),
         QRect(4320, 4920, 855, 495), true, u"next"_s},
        {u"Command1"_s, tr("更新"), tr("トラック情報を更新します"), QRect(1200, 5520, 975, 375),
         false, QString()},
        {u"Command8"_s, tr("＞テスト"), tr("最初からテストしてみる"), QRect(2640, 5520, 855, 375),
         false, u"test"_s},
        {u"Command9"_s, tr("=>テスト"), tr("現在選択している場所からテストしてみる"),
         QRect(3600, 5520, 855, 375), false, u"test-from-line"_s},
        {u"Command2"_s, u"＞"_s, tr("最初から再生します"), QRect(5400, 5520, 615, 375), false,
         u"play"_s},
        {u"Command5"_s, u"=>"_s, tr("現在選択されている歌詞のタイムから再生します"),
         QRect(6120, 5520, 615, 375), false, u"play-from-line"_s},
        {u"Command3"_s, u"||"_s, tr("一時停止します"), QRect(6840, 5520, 615, 375), false,
         u"pause"_s},
        {u"Command4"_s, u"□"_s, tr("停止します"), QRect(7560, 5520, 615, 375), false, u"stop"_s},
    };
    for (const TimingButton& row : buttons) {
        QPushButton* button = Placed(row.wraps ? new WrapButton(row.caption, this)
                                               : new QPushButton(row.caption, this),
                                     row.name, row.tip, row.twips);
        button->setAutoDefault(false);
        if (const TimingCommand* command = TimingCommandNamed(row.command)) {
            m_commandButtons.append({button, command});
            connect(button, &QPushButton::clicked, this,
                    [this, command] { m_keys->run(*command, false); });
        } else {
            connect(button, &QPushButton::clicked, this, &TimingWindow::refresh);
        }
    }
    showCommands();
}

void TimingWindow::buildSpeedRow()
{
    // On the speed row, left of the speed: the two change how the song is
    // timed, and the row has room for a caption longer than "語単位".
    m_wordModeBox = Placed(
        new QCheckBox(tr("語単位"), this), u"WordMode"_s,
        tr("Spaceで一語（一文字）ずつタイムを入れます。Shift+Spaceで最後の語の終わりを入れます"),
        QRect(4080, 5985, 1215, 330));
    connect(m_wordModeBox, &QCheckBox::toggled, this, [this](bool on) {
        if (on != m_run.lines().wordMode())
            m_keys->run(*TimingCommandNamed(u"word-mode"_s), false);
        showWordMode(on);
    });

    QLabel* caption = Placed(new QLabel(tr("速度"), this), u"SpeedLabel"_s, QString(),
                             QRect(5400, 5985, 615, 330));
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_speedBox =
        Placed(new QComboBox(this), u"Speed"_s,
               tr("再生の速さ（音の高さは変わりません）。Ctrl+↓で遅く、Ctrl+↑で速くします"),
               QRect(6120, 5985, 1335, 330));
    for (const int percent : SpeedSteps())
        m_speedBox->addItem(u"%1 %"_s.arg(percent), percent);
    // The run plays at the speed last chosen.
    m_speedBox->setCurrentIndex(int(SpeedSteps().indexOf(m_run.transport().speed())));
    connect(m_speedBox, &QComboBox::currentIndexChanged, this,
            [this] { m_run.transport().setSpeed(m_speedBox->currentData().toInt()); });
}

void TimingWindow::followLines()
{
    const TimingLines* lines = &m_run.lines();
    connect(lines, &TimingLines::readingsUnavailable, this, &TimingWindow::tellNoReadings);
    // The list shows the run's selection; a line the user picks is the run's
    // selection.
    connect(lines, &TimingLines::selectionChanged, this, [this](int row) {
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
                m_run.lines().selectRow(current.isValid() ? current.row() : -1);
            });
    connect(lines, &TimingLines::rowShownAtTop, this, [this](int row) {
        // Down to the last line first, so that the line can stand at the top
        // even on the list's last page, as far as the end allows.
        m_lineList->scrollToBottom();
        m_lineList->scrollTo(m_model->index(row), QAbstractItemView::PositionAtTop);
    });
    connect(lines, &TimingLines::lineShownForEditing, this, [this](int row) {
        const TimingRow& line = m_run.lines().sheet().row(row);
        m_tagField->setEnabled(true);
        m_lineText->setText(line.text());
        m_tagField->setText(line.tagField());
    });
    // The split shown is the selected line's, as it is now.
    connect(lines, &TimingLines::selectionChanged, this, &TimingWindow::showSegments);
    connect(lines, &TimingLines::rowChanged, this, [this](int row) {
        if (row == m_run.lines().sheet().selected())
            showSegments();
    });
}

void TimingWindow::followTransport()
{
    const Transport* transport = &m_run.transport();
    connect(transport, &Transport::playTimeChanged, m_clock, &QLabel::setText);
    connect(transport, &Transport::stateChanged, this, [this] {
        showCommands();
        // Playback starting is when a device learns that no sound will be
        // heard.
        showSilence();
    });
    // The device may also fall silent once playback has begun (the sound
    // output lost): the corner says so when it does.
    connect(&m_run.device(), &CdAudioDevice::silenceChanged, this, &TimingWindow::showSilence);
    connect(transport, &Transport::tracksChanged, this, [this] {
        m_trackBox->clear();
        m_trackBox->addItems(m_run.transport().tracks().entries());
        m_trackBox->setCurrentIndex(-1);
    });
    connect(transport, &Transport::trackChosen, m_trackBox, &QComboBox::setCurrentIndex);
    connect(transport, &Transport::speedChanged, m_speedBox, [this](int percent) {
        m_speedBox->setCurrentIndex(int(SpeedSteps().indexOf(percent)));
    });
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

void TimingWindow::tellNoReadings(const QString& why)
{
    // Once while the program runs: the rest works without them.
    static bool told = false;
    if (std::exchange(told, true))
        return;
    ShowMessage(this, tr("漢字の読みは提案されません。") + u"\r\n"_s + why);
}

void TimingWindow::showSilence()
{
    m_silentLabel->setVisible(m_run.device().isSilent());
}

void TimingWindow::showCommands()
{
    for (const auto& [button, command] : std::as_const(m_commandButtons))
        button->setEnabled(command->canRun(m_run));
}

void TimingWindow::refresh()
{
    // The run has the device look at the disc in the drive: one that arrived
    // or was swapped since the window opened is read, and the window waits
    // under its progress until the tracks are listed.
    m_run.relistTracks();
    if (m_run.isRelisting())
        ShowLookProgress(m_run.device(), this);
}

void TimingWindow::ShowSelectedLine()
{
    const TimingSheet& sheet = m_run.lines().sheet();
    if (sheet.selected() < 0)
        return;
    const TimingRow& row = sheet.row(sheet.selected());
    m_tagField->setEnabled(row.isTimed());
    m_tagField->setText(row.isTimed() ? row.tagField() : QString());
    m_lineText->setText(row.text());
    showCommands();
    showSegments();
}

void TimingWindow::showWordMode(bool on)
{
    m_segmentField->setVisible(on);
    m_lineText->setVisible(!on);
    m_segmentField->clear();
    showSegments();
}

void TimingWindow::showSegments()
{
    if (!m_wordModeBox->isChecked())
        return;
    const TimingSheet& sheet = m_run.lines().sheet();
    const LineWords words =
        sheet.selected() >= 0 ? sheet.row(sheet.selected()).words() : LineWords();
    const QString notated = NotatedWords(words);
    // Not while the user is moving the bars: the field keeps what is typed.
    if (m_segmentField->text() != notated && !m_segmentField->hasFocus())
        m_segmentField->setText(notated);
    m_segmentField->setEnabled(words.count() > 1 || (words.count() == 1 && words.text.size() > 1));
}

void TimingWindow::barsEdited(const QString& notated)
{
    const TimingSheet& sheet = m_run.lines().sheet();
    const int selected = sheet.selected();
    if (selected < 0)
        return;
    const QString& text = sheet.row(selected).text();
    if (!WritesText(text, notated)) {
        // Only the bars and the readings change here: the text goes back as
        // it was.
        QApplication::beep();
        m_segmentField->setText(NotatedWords(sheet.row(selected).words()));
        return;
    }
    // Bars together or at an end, or a reading still open, are a change on
    // its way; it applies once it is whole.
    if (const std::optional<WordShape> shape = ShapeFromNotation(text, notated))
        m_run.lines().setSplit(selected, *shape);
}

void TimingWindow::keyPressEvent(QKeyEvent* event)
{
    if (!m_keys->press(*event))
        QDialog::keyPressEvent(event);
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

#include "cd/calibrationwindow.h"

#include "audio/playbackengine.h"
#include "settings/calibration.h"
#include "widgets/messages.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QVBoxLayout>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

QString measureText()
{
    return CalibrationWindow::tr("測定開始");
}

QString noSoundText()
{
    return CalibrationWindow::tr("音声を出力できないため、測定できません。\r\n"
                                 "補正値は数値を入力して設定できます。");
}

QString TooFewText(int matched)
{
    return CalibrationWindow::tr(
               "クリック音に合わせて押された回数が足りないため、測定できませんでした。\r\n"
               "(%n 回、%1 回以上必要です)",
               nullptr, matched)
        .arg(kCalibrationMinPresses);
}

QString MeasuringText(int presses)
{
    return CalibrationWindow::tr("測定中... %n 回", nullptr, presses);
}

} // namespace

CalibrationWindow::CalibrationWindow(AudioOutputFactory outputs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(u"Calibration"_s);
    setWindowTitle(tr("タイミング補正"));

    m_instructions =
        new QLabel(tr("スペースキーを押すのが音よりどれだけ遅れるかを測り、その分を補正します。\n"
                      "「測定開始」を押すと、クリック音が不規則な間隔で %n 回鳴ります。\n"
                      "音が聞こえるたびに、スペースキーを 1 回押してください。\n"
                      "リズムを予想せず、聞こえてから押すのがこつです。\n"
                      "測った値が補正値に入ります。OK で保存します。",
                      nullptr, kCalibrationClicks),
                   this);
    m_instructions->setObjectName(u"Instructions"_s);

    m_measureButton = new QPushButton(measureText(), this);
    m_measureButton->setObjectName(u"Measure"_s);
    m_measureButton->setAutoDefault(false);
    connect(m_measureButton, &QPushButton::clicked, this, &CalibrationWindow::onMeasureClicked);

    m_resultLabel = new QLabel(this);
    m_resultLabel->setObjectName(u"ResultLabel"_s);
    // Room for the longest text it shows, so that the window need not grow.
    m_resultLabel->setMinimumWidth(m_resultLabel->fontMetrics().horizontalAdvance(
                                       CalibrationText({-kCalibrationLimitMs, 999})) +
                                   8);

    auto* offsetCaption = new QLabel(tr("補正値:"), this);
    m_offsetBox = new QSpinBox(this);
    m_offsetBox->setObjectName(u"OffsetSpin"_s);
    m_offsetBox->setRange(-kCalibrationLimitMs, kCalibrationLimitMs);
    m_offsetBox->setSuffix(u" ms"_s);
    m_offsetBox->setValue(ReadCalibration());
    offsetCaption->setBuddy(m_offsetBox);

    m_resetButton = new QPushButton(tr("リセット"), this);
    m_resetButton->setObjectName(u"Command2"_s);
    m_resetButton->setAutoDefault(false);
    connect(m_resetButton, &QPushButton::clicked, this, &CalibrationWindow::onResetClicked);

    m_okButton = new QPushButton(u"OK"_s, this);
    m_okButton->setObjectName(u"Command1"_s);
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &CalibrationWindow::onOkClicked);

    auto* measureRow = new QHBoxLayout;
    measureRow->addWidget(m_measureButton);
    measureRow->addWidget(m_resultLabel, 1);

    auto* offsetRow = new QHBoxLayout;
    offsetRow->addWidget(offsetCaption);
    offsetRow->addWidget(m_offsetBox);
    offsetRow->addWidget(m_resetButton);
    offsetRow->addStretch(1);

    auto* okRow = new QHBoxLayout;
    okRow->addStretch(1);
    okRow->addWidget(m_okButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_instructions);
    layout->addSpacing(4);
    layout->addLayout(measureRow);
    layout->addLayout(offsetRow);
    layout->addSpacing(4);
    layout->addLayout(okRow);
    setFixedSize(sizeHint());

    // Space is the answer to a click wherever the focus is; the buttons must
    // not take it as a click of theirs.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    // The engine's threads post to this object: Qt delivers the calls on this
    // thread, and drops those still pending when the window goes.
    PlaybackEvents events;
    events.post = [this](std::function<void()> call) {
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
    };
    events.ended = [this] {
        if (m_measuring)
            finishMeasuring();
    };
    events.silenceChanged = [this] { silenceChanged(); };
    m_engine = std::make_unique<PlaybackEngine>(std::move(outputs), std::move(events));
}

CalibrationWindow::~CalibrationWindow() = default;

void CalibrationWindow::onMeasureClicked()
{
    if (m_measuring) {
        m_engine->stop();
        finishMeasuring();
        return;
    }
    if (m_engine->isSilent()) {
        ShowMessage(this, noSoundText(), QMessageBox::Warning);
        return;
    }
    // New times each run, so that nobody learns them.
    m_clicks = CalibrationClickTimes(QRandomGenerator::global()->generate());
    m_presses.clear();
    m_engine->setDisc(MakeClickTrack(m_clicks));
    setMeasuring(true);
    m_engine->play(0);
}

void CalibrationWindow::onOkClicked()
{
    m_offsetBox->interpretText();
    if (!WriteCalibration(m_offsetBox->value())) {
        ShowMessage(this, tr("補正値を保存できませんでした\r\n%1").arg(CalibrationPath()),
                    QMessageBox::Warning);
        return;
    }
    accept();
}

void CalibrationWindow::onResetClicked()
{
    m_offsetBox->setValue(0);
}

void CalibrationWindow::done(int result)
{
    // Closed while the clicks play: the run is dropped unmeasured.
    if (m_measuring) {
        m_engine->stop();
        setMeasuring(false);
        m_resultLabel->clear();
    }
    QDialog::done(result);
}

bool CalibrationWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_measuring || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Space)
        return QDialog::eventFilter(watched, event);
    // A key held down repeats; only its first press is an answer.
    if (event->type() == QEvent::KeyPress && !key->isAutoRepeat())
        pressed();
    return true;
}

void CalibrationWindow::setMeasuring(bool measuring)
{
    m_measuring = measuring;
    m_measureButton->setText(measuring ? tr("停止") : measureText());
    m_offsetBox->setEnabled(!measuring);
    m_okButton->setEnabled(!measuring);
    m_resetButton->setEnabled(!measuring);
    if (measuring)
        m_resultLabel->setText(MeasuringText(0));
}

void CalibrationWindow::pressed()
{
    m_presses.append(FramesToMs(m_engine->heardFrame()));
    m_resultLabel->setText(MeasuringText(int(m_presses.size())));
}

void CalibrationWindow::finishMeasuring()
{
    setMeasuring(false);
    const QList<qint32> lags = MatchPresses(m_clicks, m_presses);
    if (const std::optional<CalibrationResult> result = SummarizeLags(lags)) {
        m_resultLabel->setText(CalibrationText(*result));
        m_offsetBox->setValue(result->lagMs);
        return;
    }
    m_resultLabel->clear();
    ShowMessage(this, TooFewText(int(lags.size())), QMessageBox::Warning);
}

void CalibrationWindow::silenceChanged()
{
    // The output gave out on starting: the clicks are not heard, and what
    // the clock says was heard means nothing.
    if (!m_measuring || !m_engine->isSilent())
        return;
    m_engine->stop();
    setMeasuring(false);
    m_resultLabel->clear();
    ShowMessage(this, noSoundText(), QMessageBox::Warning);
}

} // namespace verselet

#pragma once

#include "audio/audiooutput.h"

#include <QDialog>
#include <QList>

#include <memory>

class QLabel;
class QPushButton;
class QSpinBox;

namespace verselet {

class PlaybackEngine;

// The calibration window ("Calibration"): measures how late the user presses
// Space on a click, and keeps the offset in calibration.dat. "測定開始" plays
// a click track; each Space pressed meanwhile is taken at the position being
// heard. When the track has played out, or "停止" ends it early, the median
// lag is shown and put into m_offsetBox. Measuring needs sound: on the silent
// clock it is refused, and the offset can only be typed. OK writes the offset
// and closes; closing any other way writes nothing.
class CalibrationWindow final : public QDialog
{
    Q_OBJECT

public:
    // The click track plays on an output made by `outputs`.
    explicit CalibrationWindow(AudioOutputFactory outputs, QWidget* parent = nullptr);
    ~CalibrationWindow() override;

    bool isMeasuring() const { return m_measuring; }
    // The clicks of the run under way or the last one, in milliseconds of the
    // click track; empty before the first.
    const QList<qint32>& clickTimes() const { return m_clicks; }

    // Starts measuring, or ends the run under way and shows what it measured.
    void onMeasureClicked();
    // Writes the offset and closes; when it cannot be written, says so and
    // stays.
    void onOkClicked();
    // Sets the offset to 0 (written only by OK).
    void onResetClicked();

public Q_SLOTS:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_instructions = nullptr;       // "Instructions"
    QPushButton* m_measureButton = nullptr; // "Measure"
    QLabel* m_resultLabel = nullptr;        // "ResultLabel"
    QSpinBox* m_offsetBox = nullptr;        // "OffsetSpin"
    QPushButton* m_okButton = nullptr;      // "Command1"
    QPushButton* m_resetButton = nullptr;   // "Command2"

    void setMeasuring(bool measuring);
    void pressed();
    void finishMeasuring();
    void silenceChanged();

    std::unique_ptr<PlaybackEngine> m_engine;
    QList<qint32> m_clicks;
    QList<qint32> m_presses; // heard positions, in ms
    bool m_measuring = false;
};

} // namespace verselet

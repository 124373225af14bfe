#pragma once

// The test display's line: a label that, for a line timed word by word,
// colours each unit as its time passes, filling it from left to right up to
// the next unit's time. Readings stand above their segments in a smaller
// size and fill one by one; their segment fills across them. A line without
// word times or readings shows as a label.

#include "document/linewords.h"

#include <QLabel>

#include <functional>

class QTimer;

namespace verselet {

class KaraokeLabel final : public QLabel
{
    Q_OBJECT

public:
    // `position` gives the time heard in the track, in ms.
    KaraokeLabel(std::function<qint32()> position, QWidget* parent);

    // The words of the line shown (the label's text); none to show it plain.
    void setWords(const LineWords& words);
    // How far the line is sung now; segment -1 when it is not timed word by
    // word or not begun.
    SungPoint sung() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<qint32()> m_position;
    LineWords m_words;
    // Repaints while a line timed word by word is shown.
    QTimer* m_repaint;
};

} // namespace verselet

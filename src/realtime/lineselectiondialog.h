#pragma once

#include "realtime/workfiles.h"

#include <QDialog>
#include <QList>

class QLabel;
class QListWidget;
class QPushButton;

namespace verselet {

class MainWindow;

// The line selection ("Form2"), the first window of a real-time input: every
// body line with a mark of its own, marked meaning "time this line". OK builds
// the timing list from the work files and these marks and runs the timing
// window over this dialog. When that run ended the real-time input
// (ReturnToEditor = 1), the dialog closes itself; otherwise it stays, with its
// marks as they were, for another run. Closing it by its frame writes nothing.
class LineSelectionDialog final : public QDialog
{
    Q_OBJECT

public:
    // Shown over the main window, whose state and device it uses.
    explicit LineSelectionDialog(MainWindow* main);

    // Fills the list, one row per line with its mark; row 0 becomes current.
    void setRows(const QList<SelectionRow>& rows);
    // The mark of every row, in list order.
    QList<bool> marks() const;

    // Closes the dialog when the timing run ended the real-time input.
    void Form_Activate();
    void Command1_Click(); // OK
    void Command2_Click(); // すべて選択
    void Command3_Click(); // すべて解除

    QLabel* Label1 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QListWidget* List1 = nullptr;

private:
    void markAll(bool marked);

    MainWindow* m_main;
    // From OK until its timing window has closed.
    bool m_starting = false;
};

} // namespace verselet

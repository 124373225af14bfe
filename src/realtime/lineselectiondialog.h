#pragma once

#include "workfiles/workfiles.h"

#include <QDialog>
#include <QList>

class QLabel;
class QListWidget;
class QPushButton;

namespace verselet {

// The line selection ("Form2"), the first window of a real-time input: every
// body line with a mark of its own, marked meaning "time this line". OK asks
// for a timing run on these marks (timingRequested); whoever runs it closes
// this dialog when the run ended the input. Closing it by its frame writes
// nothing.
class LineSelectionDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit LineSelectionDialog(QWidget* owner);

    // Fills the list, one row per line with its mark; row 0 becomes current.
    void setRows(const QList<SelectionRow>& rows);
    // The mark of every row, in list order.
    QList<bool> marks() const;

    void Command1_Click(); // OK
    void Command2_Click(); // すべて選択
    void Command3_Click(); // すべて解除

    QLabel* Label1 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QListWidget* List1 = nullptr;

Q_SIGNALS:
    // OK: a timing run on the marks as they are. The run happens before the
    // signal returns, with the hourglass over this dialog.
    void timingRequested();

private:
    void markAll(bool marked);

    // From OK until its run is over.
    bool m_starting = false;
};

} // namespace verselet

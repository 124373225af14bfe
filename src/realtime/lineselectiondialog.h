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
    // A separator's row (IsMarkableLine) shows no mark and is never marked.
    void setRows(const QList<SelectionRow>& rows);
    // The mark of every row, in list order; false for a separator's row.
    QList<bool> marks() const;

    void onOkClicked();        // OK
    void onSelectAllClicked(); // すべて選択
    void onClearAllClicked();  // すべて解除

Q_SIGNALS:
    // OK: a timing run on the marks as they are. The run happens before the
    // signal returns, with the hourglass over this dialog.
    void timingRequested();

private:
    QLabel* m_prompt = nullptr;               // "Label1"
    QPushButton* m_clearAllButton = nullptr;  // "Command3"
    QPushButton* m_selectAllButton = nullptr; // "Command2"
    QPushButton* m_okButton = nullptr;        // "Command1"
    QListWidget* m_lineList = nullptr;        // "List1"

    void markAll(bool marked);

    // From OK until its run is over.
    bool m_starting = false;
};

} // namespace verselet

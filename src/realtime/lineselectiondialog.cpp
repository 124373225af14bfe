#include "realtime/lineselectiondialog.h"

#include "shell/twips.h"
#include "widgets/widgetstyle.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, QRect place)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    // Return in the list must not start a timing run or clear the marks.
    button->setAutoDefault(false);
    button->setGeometry(place);
    return button;
}

} // namespace

LineSelectionDialog::LineSelectionDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint)
{
    setObjectName(u"Form2"_s);
    setWindowTitle(QString());
    // A fixed border; QDialog centres the dialog on its owner when it is shown.
    setFixedSize(TwipsToPixels(8205), TwipsToPixels(5805));

    Label1 = new QLabel(u"実際にカウントさせたい行を選択してください"_s, this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setGeometry(TwipsRect(120, 240, 4575, 255));

    Command3 = makeButton(this, u"Command3"_s, u"すべて解除"_s, TwipsRect(4680, 120, 1095, 375));
    connect(Command3, &QPushButton::clicked, this, &LineSelectionDialog::Command3_Click);

    Command2 = makeButton(this, u"Command2"_s, u"すべて選択"_s, TwipsRect(5880, 120, 1095, 375));
    connect(Command2, &QPushButton::clicked, this, &LineSelectionDialog::Command2_Click);

    Command1 = makeButton(this, u"Command1"_s, u"OK"_s, TwipsRect(7080, 120, 1095, 375));
    Command1->setToolTip(u"タイミング入力画面へ進む"_s);
    connect(Command1, &QPushButton::clicked, this, &LineSelectionDialog::Command1_Click);

    List1 = new QListWidget(this);
    List1->setObjectName(u"List1"_s);
    List1->setGeometry(TwipsRect(0, 600, 8175, 5160));
    List1->setToolTip(u"実際に表示させたい行を選択してください"_s);
    List1->setFont(TerminalFont());
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setFocus();
}

void LineSelectionDialog::setRows(const QList<SelectionRow>& rows)
{
    List1->clear();
    for (const SelectionRow& row : rows) {
        auto* item = new QListWidgetItem(row.text, List1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(row.marked ? Qt::Checked : Qt::Unchecked);
    }
    if (List1->count() > 0)
        List1->setCurrentRow(0);
}

QList<bool> LineSelectionDialog::marks() const
{
    QList<bool> marks;
    marks.reserve(List1->count());
    for (int i = 0; i < List1->count(); ++i)
        marks.append(List1->item(i)->checkState() == Qt::Checked);
    return marks;
}

void LineSelectionDialog::Command1_Click()
{
    // One timing run at a time.
    if (m_starting)
        return;
    m_starting = true;
    setCursor(Qt::WaitCursor);
    Q_EMIT timingRequested();
    setCursor(Qt::ArrowCursor);
    m_starting = false;
}

void LineSelectionDialog::Command2_Click()
{
    setCursor(Qt::WaitCursor);
    markAll(true);
    setCursor(Qt::ArrowCursor);
}

void LineSelectionDialog::Command3_Click()
{
    markAll(false);
}

void LineSelectionDialog::markAll(bool marked)
{
    for (int i = 0; i < List1->count(); ++i)
        List1->item(i)->setCheckState(marked ? Qt::Checked : Qt::Unchecked);
    if (List1->count() > 0)
        List1->setCurrentRow(0);
}

} // namespace verselet

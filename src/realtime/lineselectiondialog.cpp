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
    setWindowTitle(tr("歌詞の選択"));
    // A fixed border; QDialog centres the dialog on its owner when it is shown.
    setFixedSize(TwipsToPixels(8205), TwipsToPixels(5805));

    m_prompt = new QLabel(tr("実際にカウントさせたい行を選択してください"), this);
    m_prompt->setObjectName(u"Label1"_s);
    m_prompt->setGeometry(TwipsRect(120, 240, 4575, 255));

    m_clearAllButton =
        makeButton(this, u"Command3"_s, tr("すべて解除"), TwipsRect(4680, 120, 1095, 375));
    connect(m_clearAllButton, &QPushButton::clicked, this, &LineSelectionDialog::onClearAllClicked);

    m_selectAllButton =
        makeButton(this, u"Command2"_s, tr("すべて選択"), TwipsRect(5880, 120, 1095, 375));
    connect(m_selectAllButton, &QPushButton::clicked, this,
            &LineSelectionDialog::onSelectAllClicked);

    m_okButton = makeButton(this, u"Command1"_s, u"OK"_s, TwipsRect(7080, 120, 1095, 375));
    m_okButton->setToolTip(tr("タイミング入力画面へ進む"));
    connect(m_okButton, &QPushButton::clicked, this, &LineSelectionDialog::onOkClicked);

    m_lineList = new QListWidget(this);
    m_lineList->setObjectName(u"List1"_s);
    m_lineList->setGeometry(TwipsRect(0, 600, 8175, 5160));
    m_lineList->setToolTip(tr("実際に表示させたい行を選択してください"));
    m_lineList->setFont(TerminalFont());
    m_lineList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lineList->setFocus();
}

void LineSelectionDialog::setRows(const QList<SelectionRow>& rows)
{
    m_lineList->clear();
    for (const SelectionRow& row : rows) {
        auto* item = new QListWidgetItem(row.text, m_lineList);
        // A separator's row has no mark at all: neither a click, nor Space,
        // nor すべて選択 can give it one.
        if (!IsMarkableLine(row.text)) {
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            continue;
        }
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(row.marked ? Qt::Checked : Qt::Unchecked);
    }
    if (m_lineList->count() > 0)
        m_lineList->setCurrentRow(0);
}

QList<bool> LineSelectionDialog::marks() const
{
    QList<bool> marks;
    marks.reserve(m_lineList->count());
    for (int i = 0; i < m_lineList->count(); ++i)
        marks.append((m_lineList->item(i)->flags() & Qt::ItemIsUserCheckable) &&
                     m_lineList->item(i)->checkState() == Qt::Checked);
    return marks;
}

void LineSelectionDialog::onOkClicked()
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

void LineSelectionDialog::onSelectAllClicked()
{
    setCursor(Qt::WaitCursor);
    markAll(true);
    setCursor(Qt::ArrowCursor);
}

void LineSelectionDialog::onClearAllClicked()
{
    markAll(false);
}

void LineSelectionDialog::markAll(bool marked)
{
    for (int i = 0; i < m_lineList->count(); ++i) {
        QListWidgetItem* item = m_lineList->item(i);
        if (item->flags() & Qt::ItemIsUserCheckable)
            item->setCheckState(marked ? Qt::Checked : Qt::Unchecked);
    }
    if (m_lineList->count() > 0)
        m_lineList->setCurrentRow(0);
}

} // namespace verselet

#include "app/editorboxes.h"

#include "document/lyricsdocument.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <utility>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

QString toWidgetText(const QString& crlfText)
{
    QString text = crlfText;
    text.replace(u"\r\n"_s, u"\n"_s);
    return text;
}

QString fromWidgetText(const QString& widgetText)
{
    QString text = widgetText;
    text.replace(u'\n', u"\r\n"_s);
    return text;
}

} // namespace

EditorBoxes::EditorBoxes(LyricsDocument& document, QPlainTextEdit* header, QLineEdit* start,
                         QPlainTextEdit* body, QObject* parent)
    : QObject(parent), m_document(document), m_header(header), m_start(start), m_body(body),
      m_typing(new QTimer(this))
{
    connect(&m_document, &LyricsDocument::reset, this, &EditorBoxes::showAll);
    connect(&m_document, &LyricsDocument::headerChanged, this, [this] { show(m_header); });
    connect(&m_document, &LyricsDocument::startChanged, this, [this] { show(m_start); });
    connect(&m_document, &LyricsDocument::bodyChanged, this, [this] { show(m_body); });
    m_typing->setSingleShot(true);
    m_typing->setInterval(200);
    connect(m_typing, &QTimer::timeout, this, &EditorBoxes::takeTyping);
    for (QWidget* box : {static_cast<QWidget*>(m_header), static_cast<QWidget*>(m_start),
                         static_cast<QWidget*>(m_body)}) {
        const auto typed = [this, box] {
            if (m_syncing)
                return;
            if (!m_typedInto.contains(box))
                m_typedInto.append(box);
            m_typing->start();
        };
        if (auto* edit = qobject_cast<QPlainTextEdit*>(box))
            connect(edit, &QPlainTextEdit::textChanged, this, typed);
        else
            connect(m_start, &QLineEdit::textChanged, this, typed);
    }
}

void EditorBoxes::showAll()
{
    const bool unsaved = m_document.isModified();
    for (QWidget* box : {static_cast<QWidget*>(m_body), static_cast<QWidget*>(m_header),
                         static_cast<QWidget*>(m_start)})
        show(box);
    // What the boxes give back is what was opened or made new; restored
    // lyrics stay unsaved work.
    if (!unsaved)
        m_document.markSaved();
}

void EditorBoxes::show(QWidget* box)
{
    if (m_syncing)
        return;
    m_syncing = true;
    if (box == m_body)
        m_body->setPlainText(toWidgetText(m_document.bodyText()));
    else if (box == m_header)
        m_header->setPlainText(toWidgetText(m_document.headerText()));
    else
        m_start->setText(m_document.startText());
    m_syncing = false;
    // A box keeps some characters its own way (a lone CR, a line separator):
    // the document holds what the box shows.
    m_typedInto.removeAll(box);
    take(box);
}

void EditorBoxes::takeTyping() const
{
    const QList<QWidget*> typed = std::exchange(m_typedInto, {});
    for (QWidget* box : typed)
        take(box);
}

void EditorBoxes::take(QWidget* box) const
{
    if (m_syncing)
        return;
    m_syncing = true;
    if (box == m_body)
        m_document.setBodyText(fromWidgetText(m_body->toPlainText()));
    else if (box == m_header)
        m_document.setHeaderText(fromWidgetText(m_header->toPlainText()));
    else
        m_document.setStartText(m_start->text());
    m_syncing = false;
}

} // namespace verselet

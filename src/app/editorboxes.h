#pragma once

// The editor's three boxes bound to the document: they show it, and what is
// typed goes into it. The boxes show ordinary lines; the document holds the
// texts with CR LF between lines, as the boxes give them back. Reading a body
// of many lines back costs milliseconds, so a key only notes its box: the text
// is taken a moment later, and at once whenever takeTyping() is called.

#include <QList>
#include <QObject>

class QLineEdit;
class QPlainTextEdit;
class QTimer;
class QWidget;

namespace verselet {

class LyricsDocument;

class EditorBoxes final : public QObject
{
    Q_OBJECT

public:
    EditorBoxes(LyricsDocument& document, QPlainTextEdit* header, QLineEdit* start,
                QPlainTextEdit* body, QObject* parent);

    // What was typed since the last time goes into the document now.
    void takeTyping() const;

private:
    // All three after the document was replaced, or the one whose text the
    // program changed.
    void showAll();
    void show(QWidget* box);
    void take(QWidget* box) const;

    LyricsDocument& m_document;
    QPlainTextEdit* m_header;
    QLineEdit* m_start;
    QPlainTextEdit* m_body;
    QTimer* m_typing;
    // While a box is being filled from the document, or the document from a
    // box: neither side answers the other.
    mutable bool m_syncing = false;
    mutable QList<QWidget*> m_typedInto;
};

} // namespace verselet

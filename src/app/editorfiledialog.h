#pragma once

// The editor's one file dialog ("CommonDialog1"), Qt's own: for opening a
// lyrics text and for saving a finished one. It starts from the name the
// document is kept under, and the name chosen becomes that name.

#include <QObject>
#include <QString>

class QFileDialog;
class QWidget;

namespace verselet {

class LyricsDocument;

class EditorFileDialog final : public QObject
{
    Q_OBJECT

public:
    EditorFileDialog(LyricsDocument& document, QWidget* window);

    // The dialog, made when first asked for; in open mode between uses.
    QFileDialog* dialog();
    // A file to open, text or LRC; "" when cancelled.
    QString chooseFileToOpen();
    // Where a finished text goes; "" when cancelled. A chosen name is kept.
    QString chooseSaveTarget();

private:
    LyricsDocument& m_document;
    QWidget* m_window;
    QFileDialog* m_dialog = nullptr;
};

} // namespace verselet

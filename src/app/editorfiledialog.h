#pragma once

// The editor's one file dialog ("CommonDialog1"), Qt's own: for opening a
// lyrics text and for saving a finished one. It starts from the name the
// document is kept under, and the name chosen becomes that name.

#include "document/textfile.h"

#include <QObject>
#include <QString>

#include <optional>

class QComboBox;
class QFileDialog;
class QLabel;
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
    // A file to open, text or LRC; "" when cancelled. The open dialog also
    // offers the encoding to read it as, automatic at first each time.
    QString chooseFileToOpen();
    // What was chosen for the file it gave last; none for automatic.
    std::optional<TextEncoding> chosenEncoding() const { return m_chosenEncoding; }
    // Where a finished text goes; "" when cancelled. A chosen name is kept.
    QString chooseSaveTarget();

private:
    LyricsDocument& m_document;
    QWidget* m_window;
    QFileDialog* m_dialog = nullptr;
    QLabel* m_encodingCaption = nullptr;
    QComboBox* m_encodings = nullptr;
    std::optional<TextEncoding> m_chosenEncoding;
};

} // namespace verselet

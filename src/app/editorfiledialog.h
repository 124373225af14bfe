#pragma once

// The editor's one file dialog ("CommonDialog1"), Qt's own: for opening a
// lyrics text, for saving a finished one, and for saving the document under
// a name and in a form of the user's choice. It starts from the name the
// document is kept under, and the name chosen becomes that name.

#include "document/textfile.h"
#include "workfiles/documentforms.h"

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
    // Save As: a file and the form to write it in, one filter per form,
    // starting from `path` in `form`; none when cancelled.
    struct SaveAsChoice
    {
        QString path;
        SaveForm form = SaveForm::TimedText;
    };
    std::optional<SaveAsChoice> chooseSaveAs(const QString& path, SaveForm form);

    // The open dialog's filters: every form read first, then one per form,
    // then every file.
    static QStringList openFilters();

private:
    LyricsDocument& m_document;
    QWidget* m_window;
    QFileDialog* m_dialog = nullptr;
    QLabel* m_encodingCaption = nullptr;
    QComboBox* m_encodings = nullptr;
    std::optional<TextEncoding> m_chosenEncoding;
};

} // namespace verselet

#pragma once

// The question asked when a file does not read cleanly the way the program
// reads files by itself: what is wrong with it, a choice of encodings, and
// the first lines of the file read as the one chosen.

#include "document/textfile.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QPlainTextEdit;

namespace verselet {

class EncodingQuestion final : public QDialog
{
    Q_OBJECT

public:
    // The file's bytes, what they were read as, and why that is in doubt;
    // that reading is chosen at first.
    EncodingQuestion(const QString& path, const QByteArray& bytes, TextEncoding read,
                     ReadingDoubt doubt, QWidget* parent = nullptr);

    TextEncoding encoding() const;

    // The encoding the user opens the file with; none when the question is
    // cancelled. A file that cannot be read again is opened as it was read,
    // and fails then.
    static std::optional<TextEncoding> ask(QWidget* parent, const QString& path, TextEncoding read,
                                           ReadingDoubt doubt);

private:
    void showPreview();

    QByteArray m_bytes;
    QComboBox* m_encodings;
    QPlainTextEdit* m_preview;
};

} // namespace verselet

#include "app/editorfiledialog.h"

#include "document/lyricsdocument.h"
#include "widgets/messages.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

QString openFilter()
{
    return EditorFileDialog::tr("ﾃｷｽﾄ文書 (*txt)");
}

QString lrcFilter()
{
    return EditorFileDialog::tr("LRCファイル (*.lrc)");
}

} // namespace

EditorFileDialog::EditorFileDialog(LyricsDocument& document, QWidget* window)
    : QObject(window), m_document(document), m_window(window)
{
}

QFileDialog* EditorFileDialog::dialog()
{
    if (!m_dialog) {
        m_dialog = new QFileDialog(m_window);
        m_dialog->setObjectName(u"CommonDialog1"_s);
        m_dialog->setOption(QFileDialog::DontUseNativeDialog);
        m_dialog->setNameFilter(openFilter());
        // A row of its own below the filters, shown by the open dialog only.
        m_encodingCaption = new QLabel(tr("文字コード:"), m_dialog);
        m_encodings = new QComboBox(m_dialog);
        m_encodings->setObjectName(u"Encoding"_s);
        m_encodings->addItem(tr("自動"), -1);
        for (const TextEncoding encoding : kChoosableEncodings)
            m_encodings->addItem(TextEncodingName(encoding), int(encoding));
        if (auto* grid = qobject_cast<QGridLayout*>(m_dialog->layout())) {
            const int row = grid->rowCount();
            grid->addWidget(m_encodingCaption, row, 0);
            grid->addWidget(m_encodings, row, 1);
        }
        m_encodingCaption->hide();
        m_encodings->hide();
    }
    return m_dialog;
}

QString EditorFileDialog::chooseFileToOpen()
{
    QFileDialog* files = dialog();
    files->setNameFilters({openFilter(), lrcFilter()});
    files->setAcceptMode(QFileDialog::AcceptOpen);
    files->setFileMode(QFileDialog::ExistingFile);
    if (!m_document.fileName().isEmpty())
        files->selectFile(m_document.fileName());
    m_encodings->setCurrentIndex(0);
    m_encodingCaption->show();
    m_encodings->show();
    const bool chosen = files->exec() == QDialog::Accepted && !files->selectedFiles().isEmpty();
    m_encodingCaption->hide();
    m_encodings->hide();
    const int encoding = m_encodings->currentData().toInt();
    m_chosenEncoding = encoding < 0 ? std::nullopt : std::optional(TextEncoding(encoding));
    // The save dialog of a finished text offers text files only.
    files->setNameFilter(openFilter());
    return chosen ? files->selectedFiles().constFirst() : QString();
}

QString EditorFileDialog::chooseSaveTarget()
{
    // With the filter it has and the name it last had, which becomes the
    // name chosen. The open command expects it in open mode, so it goes back
    // to that whatever the user does here.
    QFileDialog* files = dialog();
    files->setAcceptMode(QFileDialog::AcceptSave);
    files->setFileMode(QFileDialog::AnyFile);
    if (!m_document.fileName().isEmpty())
        files->selectFile(m_document.fileName());
    const bool chosen = files->exec() == QDialog::Accepted && !files->selectedFiles().isEmpty();
    const QString target = chosen ? files->selectedFiles().constFirst() : QString();
    files->setAcceptMode(QFileDialog::AcceptOpen);
    files->setFileMode(QFileDialog::ExistingFile);
    if (chosen)
        m_document.setFileName(target);
    return target;
}

} // namespace verselet

#include "app/editorfiledialog.h"

#include "document/lyricsdocument.h"

#include <QFileDialog>

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
    const bool chosen = files->exec() == QDialog::Accepted && !files->selectedFiles().isEmpty();
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

#include "app/editorfiledialog.h"

#include "document/lyricsdocument.h"
#include "widgets/messages.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

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

// The forms Save As writes, in its filters' order, each with its filter and
// the extension its files take.
struct FormFilter
{
    SaveForm form;
    QString filter;
    QString suffix;
};

QList<FormFilter> saveFilters()
{
    return {{SaveForm::TimedText, EditorFileDialog::tr("歌詞テキスト (*.txt)"), u"txt"_s},
            {SaveForm::Lrc, lrcFilter(), u"lrc"_s},
            {SaveForm::EnhancedLrc,
             EditorFileDialog::tr("拡張LRCファイル (語ごとのタイム) (*.lrc)"), u"lrc"_s}};
}

// The name with the extension of the form chosen in place of its own.
QString withSuffix(const QString& name, const QString& suffix)
{
    const QFileInfo file(name);
    const QString base = file.suffix().isEmpty() ? file.fileName() : file.completeBaseName();
    const QString renamed = base + u'.' + suffix;
    return file.path() == u"."_s && !name.startsWith(u"./"_s) ? renamed
                                                              : file.dir().filePath(renamed);
}

} // namespace

QStringList EditorFileDialog::openFilters()
{
    return {tr("歌詞ファイル (*.txt *.lrc)"), openFilter(), lrcFilter(),
            tr("すべてのファイル (*)")};
}

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
    files->setNameFilters(openFilters());
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

std::optional<EditorFileDialog::SaveAsChoice> EditorFileDialog::chooseSaveAs(const QString& path,
                                                                             SaveForm form)
{
    QFileDialog* files = dialog();
    const QList<FormFilter> forms = saveFilters();
    QStringList filters;
    for (const FormFilter& f : forms)
        filters.append(f.filter);
    const auto formOf = [&](const QString& filter) {
        const auto found = std::find_if(forms.cbegin(), forms.cend(),
                                        [&](const FormFilter& f) { return f.filter == filter; });
        return found == forms.cend() ? forms.constFirst() : *found;
    };
    const FormFilter& offered = *std::find_if(forms.cbegin(), forms.cend(),
                                              [&](const FormFilter& f) { return f.form == form; });
    files->setNameFilters(filters);
    files->selectNameFilter(offered.filter);
    files->setAcceptMode(QFileDialog::AcceptSave);
    files->setFileMode(QFileDialog::AnyFile);
    files->setDefaultSuffix(offered.suffix);
    if (!path.isEmpty())
        files->selectFile(withSuffix(path, offered.suffix));
    // Another form takes its own extension: the name follows the filter.
    const QMetaObject::Connection follow =
        connect(files, &QFileDialog::filterSelected, this, [files, formOf](const QString& filter) {
            const QString suffix = formOf(filter).suffix;
            files->setDefaultSuffix(suffix);
            auto* edit = files->findChild<QLineEdit*>(u"fileNameEdit"_s);
            if (edit && !edit->text().isEmpty())
                edit->setText(withSuffix(edit->text(), suffix));
        });
    const bool chosen = files->exec() == QDialog::Accepted && !files->selectedFiles().isEmpty();
    disconnect(follow);
    std::optional<SaveAsChoice> choice;
    if (chosen)
        choice = SaveAsChoice{files->selectedFiles().constFirst(),
                              formOf(files->selectedNameFilter()).form};
    // As the open command and a finished text expect it.
    files->setDefaultSuffix({});
    files->setNameFilter(openFilter());
    files->setAcceptMode(QFileDialog::AcceptOpen);
    files->setFileMode(QFileDialog::ExistingFile);
    return choice;
}

} // namespace verselet

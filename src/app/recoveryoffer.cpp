#include "app/recoveryoffer.h"

#include "document/lyricsdocument.h"
#include "shell/recoveryfile.h"
#include "widgets/messages.h"
#include "workfiles/workfiles.h"

#include <QFile>

namespace verselet {

using namespace Qt::StringLiterals;

RecoveryOutcome OfferRecovery(QWidget* parent, const QString& path, LyricsDocument& document,
                              const WorkFolder& work)
{
    const RecoveryFound found = ReadRecoveryFile(path);
    if (found.kind == RecoveryFound::None)
        return RecoveryOutcome::NoFile;
    if (found.kind == RecoveryFound::Damaged) {
        const QString aside = SetRecoveryFileAside(path, QDateTime::currentDateTime());
        ShowMessage(parent, RecoveryFileSetAsideText(path, aside), QMessageBox::Warning);
        return RecoveryOutcome::SetAside;
    }
    const RecoveredLyrics& recovered = found.recovered;
    if (!AskYesNo(parent, RecoveryQuestionText(recovered.updated.toLocalTime()),
                  DefaultAnswer::Yes)) {
        // A file left in place would be offered again at every start: it is
        // set aside when it cannot go, and the user told.
        if (!QFile::remove(path)) {
            const QString aside = SetRecoveryFileAside(path, QDateTime::currentDateTime());
            ShowMessage(parent, RecoveryFileNotRemovedText(path, aside), QMessageBox::Warning);
        }
        return RecoveryOutcome::Declined;
    }
    // The text comes back even when its tags cannot reach the tag file; the
    // user is told, and the file stays until the document is saved.
    if (const auto written = ReplaceTagFile(work, recovered.lyrics.tagLines); !written)
        ShowMessage(parent, FileErrorText(written.error(), work), QMessageBox::Warning);
    document.restore(recovered.lyrics);
    return RecoveryOutcome::Restored;
}

} // namespace verselet

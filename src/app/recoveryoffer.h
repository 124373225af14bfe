#pragma once

// At start-up, once this copy holds the single-instance lock and before the
// window takes input: a recovery file left by a run that did not end
// normally is offered back.

#include <QString>

class QWidget;

namespace verselet {

class LyricsDocument;
class WorkFolder;

enum class RecoveryOutcome
{
    NoFile,   // the last run ended normally
    Restored, // the document, the tag file and the exact times are as they were
    Declined, // the user said no: the file is gone, or set aside
    SetAside, // it could not be read: it was renamed and the user told
};

// はい (the default) restores the document as unsaved work and writes its tag
// lines to the tag file; いいえ removes the file (or, when it cannot be
// removed, sets it aside and says so).
RecoveryOutcome OfferRecovery(QWidget* parent, const QString& path, LyricsDocument& document,
                              const WorkFolder& work);

} // namespace verselet

#include "realtime/finishdialog.h"

#include "audio/lyricsforfiles.h"
#include "audio/musictags.h"
#include "document/karaoketext.h"
#include "document/lrcexport.h"
#include "document/lyricsdocument.h"
#include "document/subtitles.h"
#include "document/textfile.h"
#include "realtime/realtimecontext.h"
#include "shell/twips.h"
#include "widgets/messages.h"
#include "widgets/widgetstyle.h"
#include "workfiles/documentforms.h"
#include "workfiles/lyricstext.h"
#include "workfiles/timinglist.h"
#include "workfiles/workfiles.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// A fixed border with a caption and a close box, nothing to resize with.
constexpr Qt::WindowFlags kFixedDialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

// The room the question above the buttons takes: every button stands this
// much lower than its place in a dialog without it.
constexpr int kQuestionTwips = 720;

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, int topTwips)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(TwipsRect(240, topTwips + kQuestionTwips, 3495, 375));
    return button;
}

// A save dialog that gives a name typed without an extension the one of the
// filter chosen, so that the file it asks about replacing is the one
// written.
class SuffixFollowsFilter final : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QString filter = selectedNameFilter();
        const qsizetype dot = filter.lastIndexOf(u"*."_s);
        setDefaultSuffix(dot < 0 ? QString() : filter.sliced(dot + 2).chopped(1));
        QFileDialog::accept();
    }
};

} // namespace

FinishDialog::FinishDialog(const RealtimeContext& context, TimingRows rows, TrackList::Track timed,
                           QWidget* parent)
    : QDialog(parent, kFixedDialogFlags), m_context(context), m_timing(std::move(rows)),
      m_timed(std::move(timed)), m_rows(ListRows(m_timing))
{
    setObjectName(u"Form6"_s);
    setWindowTitle(tr("リアルタイム入力の終了"));
    // The question takes the top; the buttons stand below it.
    // One button more than the dialog had: writing into the audio file.
    setFixedSize(TwipsToPixels(4050), TwipsToPixels(2580 + kQuestionTwips));

    auto* question = new QLabel(
        tr("編集を保存または破棄してもどるか、歌詞テキストかLRCファイルを作成しますか？"), this);
    question->setObjectName(u"Question"_s);
    question->setWordWrap(true);
    question->setGeometry(TwipsRect(240, 120, 3495, 600));

    // Created in tab order.
    m_keepButton = makeButton(this, u"Command1"_s, tr("編集を保存してもどる"), 120);
    m_discardButton = makeButton(this, u"Command2"_s, tr("編集を破棄してもどる"), 600);
    m_createTextButton = makeButton(this, u"Command3"_s, tr("歌詞テキストを作成する"), 1080);
    m_createLrcButton = makeButton(this, u"Command4"_s, tr("LRCファイルを作成する"), 1560);
    m_writeAudioButton = makeButton(this, u"Command5"_s, tr("音楽ファイルに書き込む"), 2040);
    setTabOrder(m_keepButton, m_discardButton);
    setTabOrder(m_discardButton, m_createTextButton);
    setTabOrder(m_createTextButton, m_createLrcButton);
    setTabOrder(m_createLrcButton, m_writeAudioButton);
    connect(m_keepButton, &QPushButton::clicked, this, &FinishDialog::onKeepClicked);
    connect(m_discardButton, &QPushButton::clicked, this, &FinishDialog::onDiscardClicked);
    connect(m_createTextButton, &QPushButton::clicked, this, &FinishDialog::onCreateTextClicked);
    connect(m_createLrcButton, &QPushButton::clicked, this, &FinishDialog::onCreateLrcClicked);
    connect(m_writeAudioButton, &QPushButton::clicked, this, &FinishDialog::onWriteAudioClicked);
    m_keepButton->setFocus();
}

void FinishDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FinishDialog::onKeepClicked()
{
    setCursor(Qt::WaitCursor);
    const bool saved = SaveTimingTags();
    setCursor(Qt::ArrowCursor);
    // Returning as if the tags were kept when they were not would lose the
    // run without a word: the user has heard of it and may choose again.
    if (saved)
        done(Kept);
}

void FinishDialog::onDiscardClicked()
{
    done(Discarded);
}

void FinishDialog::onCreateTextClicked()
{
    // A text is only made from the tags of this run: when they cannot be
    // saved, the staging file would pair the lines with the old ones.
    if (SaveTimingTags() && CreateLyricsText()) {
        m_context.document->markSaved();
        done(Created);
    }
}

void FinishDialog::onCreateLrcClicked()
{
    if (SaveTimingTags() && CreateLrcFile())
        done(LrcCreated);
}

void FinishDialog::onWriteAudioClicked()
{
    // A CD or an image is told before anything is saved: nothing changes.
    if (m_timed.tags.file.isEmpty()) {
        ShowMessage(this, NoAudioFileText(), QMessageBox::Warning);
        return;
    }
    if (SaveTimingTags() && WriteIntoAudioFile())
        done(AudioFileWritten);
}

bool FinishDialog::SaveTimingTags()
{
    const auto saved = verselet::SaveTimingTags(m_context.work, m_rows);
    if (!saved) {
        reportFileError(saved.error());
        return false;
    }
    // The exact times go with the tags they belong to, row for row.
    m_context.document->keepTags(m_timing);
    return true;
}

bool FinishDialog::CreateLyricsText()
{
    const WorkFolder& work = m_context.work;
    // A character that cannot be written is named in the box the editor
    // shows it in, before any file is touched.
    const QString& header = m_context.document->headerText();
    const QString& start = m_context.document->startText();
    const QString& body = m_context.document->bodyText();
    if (const auto unwritable = FindUnwritableText(header, start, body)) {
        ShowMessage(this, UnwritableInBoxText(unwritable->box, unwritable->error),
                    QMessageBox::Warning);
        return false;
    }
    if (const auto written = CreateLyricsTextFile(work, body); !written) {
        reportFileError(written.error());
        return false;
    }
    if (const auto composed = ComposeStagingFile(work, header, start); !composed) {
        reportFileError(composed.error());
        return false;
    }
    // The editor's file dialog keeps the name chosen, as a file dialog does:
    // after a failed copy the user picks another name starting from this one.
    // The document itself stays as it was: its caption and texts do not
    // change.
    const QString target = m_context.chooseSaveTarget ? m_context.chooseSaveTarget() : QString();
    if (target.isEmpty())
        return false;
    if (const auto saved = SaveLyricsText(work, target); !saved) {
        reportFileError(saved.error(), target);
        return false;
    }
    if (m_context.fileWritten)
        m_context.fileWritten(target);
    return true;
}

bool FinishDialog::CreateLrcFile()
{
    // The lines paired as the finished text pairs them: the whole body with
    // the tags just saved. An LRC file is UTF-8, so the body is not held to
    // what the text file can take.
    const QList<TaggedLine> pairs = DocumentPairs(*m_context.document);
    if (const int untimed = CountUntimedLyrics(pairs); untimed > 0) {
        if (!AskYesNo(this, UntimedLyricsQuestionText(untimed)))
            return false;
    }
    const LrcTarget target = chooseLrcTarget();
    if (target.path.isEmpty())
        return false;
    // Written over the file the lyrics came from, it keeps what that held.
    const QByteArray bytes = encode(target.form);
    if (const auto written = ReplaceUserFile(target.path, bytes); !written) {
        reportFileError(written.error(), target.path);
        return false;
    }
    if (m_context.fileWritten)
        m_context.fileWritten(target.path);
    return true;
}

bool FinishDialog::WriteIntoAudioFile()
{
    const QString& file = m_timed.tags.file;
    const QList<TaggedLine> pairs = DocumentPairs(*m_context.document);
    if (const int untimed = CountUntimedLyrics(pairs); untimed > 0) {
        if (!AskYesNo(this, UntimedLyricsQuestionText(untimed)))
            return false;
    }
    const QString sidecar = LrcFileNameFor(file);
    const QString inFile = LyricsInFile(file);
    if (!inFile.trimmed().isEmpty() || QFileInfo::exists(sidecar)) {
        const QString shownSidecar = QFileInfo::exists(sidecar) ? sidecar : QString();
        if (!AskYesNo(this, ReplaceLyricsQuestionText(inFile, shownSidecar), DefaultAnswer::No))
            return false;
    }
    const LrcDocument lrc = timedLrc();
    const FileStamp opened{m_timed.tags.fileSize, m_timed.tags.fileModified};
    if (const auto written = WriteLyricsIntoFile(file, LyricsForAudioFile(lrc), opened); !written) {
        ShowMessage(this, LyricsNotWrittenText(written.error()), QMessageBox::Warning);
        return false;
    }
    // The players that look beside the file first find the same lyrics.
    const QByteArray bytes =
        EncodeLrc(lrc, HasWordTimes(lrc) ? LrcFlavour::Enhanced : LrcFlavour::Plain);
    if (const auto written = ReplaceUserFile(sidecar, bytes); !written) {
        reportFileError(written.error(), sidecar);
        return false;
    }
    if (m_context.fileWritten)
        m_context.fileWritten(sidecar);
    return true;
}

LrcDocument FinishDialog::timedLrc() const
{
    LrcDocument lrc = DocumentLrc(*m_context.document);
    FillFromTrack(lrc, {m_timed.tags.title, m_timed.tags.artist, m_timed.tags.album},
                  m_timed.length);
    return lrc;
}

FinishDialog::LrcTarget FinishDialog::chooseLrcTarget()
{
    SuffixFollowsFilter dialog(this);
    dialog.setObjectName(u"LrcDialog"_s);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Each form with its filter, in the order offered.
    const QList<std::pair<QString, LrcForm>> forms{
        {tr("LRCファイル (*.lrc)"), LrcForm::Plain},
        {tr("拡張LRCファイル (語ごとのタイム) (*.lrc)"), LrcForm::Enhanced},
        {tr("ニコカラ歌詞テキスト (*.txt)"), LrcForm::KaraokeText},
        {tr("SRT字幕 (*.srt)"), LrcForm::Srt},
        {tr("WebVTT字幕 (*.vtt)"), LrcForm::WebVtt},
        {tr("ASSカラオケ字幕 (*.ass)"), LrcForm::Ass},
        {tr("TTML歌詞 (*.ttml)"), LrcForm::Ttml},
    };
    QStringList filters;
    for (const auto& [filter, form] : forms)
        filters.append(filter);
    dialog.setNameFilters(filters);
    if (const QString offered = LrcFileNameFor(m_context.document->fileName()); !offered.isEmpty())
        dialog.selectFile(offered);
    const auto addTip = [&dialog](const QString& name, const QString& text) {
        if (auto* layout = qobject_cast<QGridLayout*>(dialog.layout())) {
            auto* tip = new QLabel(text, &dialog);
            tip->setObjectName(name);
            tip->setWordWrap(true);
            layout->addWidget(tip, layout->rowCount(), 0, 1, layout->columnCount());
        }
    };
    // The file written holds the times as they are now: an offset the opened
    // file had would move them a second time.
    if (m_context.document->lrcOrigin().offsetApplied)
        addTip(u"OffsetTip"_s,
               tr("開いたLRCファイルの [offset:] はタイムに含まれているため、書き出しません。"));
    const bool readings = std::any_of(m_timing.cbegin(), m_timing.cend(), [](const TimingRow& row) {
        return !row.keptWords().readings.isEmpty();
    });
    addTip(u"FormsTip"_s,
           tr("LRCは行の時刻、拡張LRCは語ごとの時刻も書きます。ニコカラ歌詞テキストとASS字幕"
              "(\\kfのカラオケ)とTTML歌詞は語ごとの時刻と読みがなを、WebVTT字幕は語ごとの時刻を、"
              "SRT字幕は行の時刻と終わりの時刻だけを書きます。"));
    if (readings)
        addTip(u"ReadingTip"_s,
               tr("拡張LRCには読みがなを書く場所がないため、読みがなのある語は読みの最初のタイムで"
                  "一語として書き出します。読みがなはニコカラ歌詞テキストに書き出せます。"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString filter = dialog.selectedNameFilter();
    const auto chosen = std::find_if(forms.cbegin(), forms.cend(),
                                     [&filter](const auto& form) { return form.first == filter; });
    return {dialog.selectedFiles().constFirst(),
            chosen == forms.cend() ? LrcForm::Plain : chosen->second};
}

QByteArray FinishDialog::encode(LrcForm form) const
{
    const SongTitles track{m_timed.tags.title, m_timed.tags.artist, m_timed.tags.album};
    KaraokeDocument karaoke = DocumentKaraoke(*m_context.document);
    FillTitles(karaoke.title, karaoke.artist, karaoke.album, track);
    const SubtitleSource source{karaoke,
                                m_timed.length > 0 ? std::optional(m_timed.length) : std::nullopt};
    switch (form) {
    case LrcForm::Plain:
        return EncodeLrc(timedLrc(), LrcFlavour::Plain);
    case LrcForm::Enhanced:
        return EncodeLrc(timedLrc(), LrcFlavour::Enhanced);
    case LrcForm::KaraokeText:
        return EncodeKaraokeText(karaoke);
    case LrcForm::Srt:
        return WriteSrt(source);
    case LrcForm::WebVtt:
        return WriteWebVtt(source);
    case LrcForm::Ass:
        return WriteAss(source);
    case LrcForm::Ttml:
        return WriteTtml(source);
    }
    return {};
}

void FinishDialog::reportFileError(const FileError& error, const QString& targetPath)
{
    ShowMessage(this, FileErrorText(error, m_context.work, targetPath), QMessageBox::Warning);
}

} // namespace verselet

#include "widgets/messages.h"

#include "audio/musictags.h"
#include "document/subtitles.h"
#include "document/textfile.h"
#include "shell/recoveryfile.h"
#include "workfiles/workfiles.h"

#include <QAbstractButton>

namespace verselet {

using namespace Qt::StringLiterals;

QString AlreadyRunningText()
{
    return Messages::tr("＠は既にに起動されています。");
}

QString CannotOpenText()
{
    return Messages::tr("このファイルは開けません");
}

QString TextEncodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return u"UTF-8"_s;
    case TextEncoding::Utf16:
        return u"UTF-16"_s;
    case TextEncoding::Cp932:
        return u"Shift-JIS"_s;
    case TextEncoding::Gb18030:
        return Messages::tr("GB18030（簡体字中国語）");
    case TextEncoding::Big5:
        return Messages::tr("Big5（繁体字中国語）");
    case TextEncoding::EucKr:
        return Messages::tr("EUC-KR（韓国語）");
    }
    return {};
}

QString ReadingDoubtText(const QString& file, ReadingDoubt doubt, TextEncoding read)
{
    const QString problem =
        doubt == ReadingDoubt::OtherEncoding
            ? Messages::tr("このファイルをShift-JISとして読むと、日本語の文章にない半角カナの"
                           "並びになります。中国語か韓国語の文字コードで書かれているようです。")
            : Messages::tr("このファイルには、%1として読めないバイトがあります。")
                  .arg(TextEncodingName(read));
    return file + u"\r\n"_s + problem + u"\r\n"_s +
           Messages::tr("文字コードを選んで開くか、キャンセルしてください。");
}

QString TextFileNotSavedText(const WorkFolder& work)
{
    return Messages::tr("%1tは保存できませんでした\r\n"
                        "空き容量がたりないのか、書き込み禁止の可能性があります")
        .arg(work.textFile());
}

namespace {

const QString kCrLfText = u"\r\n"_s;

QString replaceAndRetry()
{
    return Messages::tr("別の文字に置き換えてから、もう一度お試しください。");
}

// 「x」(U+XXXX)はShift-JISで保存できない文字です。
QString unwritableCharacter(char32_t c)
{
    const QString character = QString::fromUcs4(&c, 1);
    const QString code = QString::number(uint(c), 16).toUpper().rightJustified(4, u'0');
    return Messages::tr("「%1」(U+%2)はShift-JISで保存できない文字です。").arg(character, code);
}

} // namespace

QString UnmappableCharacterText(const FileError& error)
{
    return Messages::tr("%1行目の%2文字目").arg(error.line).arg(error.column) +
           unwritableCharacter(error.character) + kCrLfText + replaceAndRetry();
}

QString UnwritableInBoxText(EditorBox box, const FileError& error)
{
    QString where;
    switch (box) {
    case EditorBox::Body:
        where = Messages::tr("歌詞の%1行目の%2文字目").arg(error.line).arg(error.column);
        break;
    case EditorBox::Header:
        where =
            Messages::tr("作成者・タイトル欄の%1行目の%2文字目").arg(error.line).arg(error.column);
        break;
    case EditorBox::Start:
        where = Messages::tr("[00:00]の欄の%1文字目").arg(error.column);
        break;
    }
    return where + unwritableCharacter(error.character) + kCrLfText + replaceAndRetry();
}

QString UnwritableTagText(const QString& file, int fileLine, const FileError& error)
{
    return CannotOpenText() + kCrLfText + file + kCrLfText +
           Messages::tr("このファイルの%1行目の%2文字目").arg(fileLine).arg(error.column) +
           unwritableCharacter(error.character);
}

QString CannotOpenFileText(const QString& file, const FileError& why)
{
    QString reason;
    switch (why.kind) {
    case FileErrorKind::NotFound:
        reason = Messages::tr("ファイルが見つかりません。");
        break;
    case FileErrorKind::Unreadable:
        reason = Messages::tr(
            "ファイルを読み込めません。フォルダや装置であるか、読む権限がありません。");
        break;
    case FileErrorKind::TooLarge:
        reason = Messages::tr("ファイルが大きすぎます（%1 MiBまで）。")
                     .arg(kMaxUserTextBytes / (1024 * 1024));
        break;
    case FileErrorKind::NotText:
        reason = Messages::tr("%1行目にNULバイトがあります。テキストファイルではありません。")
                     .arg(why.line);
        break;
    case FileErrorKind::NoLyrics:
        reason = Messages::tr("時間のタグ（[mm:ss.xx]）のある行がありません。");
        break;
    case FileErrorKind::DocumentTooLarge:
        reason = Messages::tr("時間のタグで繰り返す行が多すぎて、歌詞の上限を超えます。");
        break;
    case FileErrorKind::Unwritable:
        reason = Messages::tr("作業ファイル %1 を保存できませんでした。").arg(why.path);
        break;
    case FileErrorKind::Unmappable:
        reason = UnmappableCharacterText(why);
        break;
    case FileErrorKind::Damaged:
        reason = why.damage == DamageKind::NotThisForm
                     ? Messages::tr("%1行目: この形式のファイルではありません。").arg(why.line)
                 : why.damage == DamageKind::BadTime
                     ? Messages::tr("%1行目の時刻が読めません。").arg(why.line)
                     : Messages::tr("%1行目でファイルの形が崩れています。").arg(why.line);
        break;
    case FileErrorKind::EmptyText:
        break;
    }
    return CannotOpenText() + kCrLfText + file +
           (reason.isEmpty() ? QString() : kCrLfText + reason);
}

QString IncompleteLyricsText(const QString& file, bool lacksBody)
{
    return CannotOpenText() + kCrLfText + file + kCrLfText +
           (lacksBody ? Messages::tr("「-------」で始まる行がありません。")
                      : Messages::tr("[00:00]の行の前に、タイトルなどの行がありません。"));
}

QString WorkFolderUnwritableText(const QString& workFolder, bool programEnds)
{
    QString text =
        Messages::tr("作業フォルダ %1 にタグファイルを書き込めませんでした。").arg(workFolder);
    if (programEnds)
        text += kCrLfText + Messages::tr("Verseletを終了します。");
    return text;
}

void ShowMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon)
{
    QString shown = text;
    shown.replace(u"\r\n"_s, u"\n"_s);
    QMessageBox box(icon, u"Verselet"_s, shown, QMessageBox::Ok, parent);
    box.exec();
}

bool AskYesNo(QWidget* parent, const QString& text, DefaultAnswer byDefault)
{
    QString shown = text;
    shown.replace(u"\r\n"_s, u"\n"_s);
    QMessageBox box(QMessageBox::Question, u"Verselet"_s, shown, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.button(QMessageBox::Yes)->setText(Messages::tr("はい"));
    box.button(QMessageBox::No)->setText(Messages::tr("いいえ"));
    box.setDefaultButton(byDefault == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString FileErrorText(const FileError& error, const WorkFolder& work, const QString& targetPath)
{
    if (error.kind == FileErrorKind::Unmappable)
        return UnmappableCharacterText(error);
    if (!targetPath.isEmpty() && error.path == targetPath)
        return Messages::tr("%1 を保存できませんでした。\r\n別の名前か場所を選んでください。")
            .arg(targetPath);
    if (error.kind == FileErrorKind::NotFound || error.kind == FileErrorKind::Unreadable)
        return Messages::tr("作業ファイル %1 を読み込めませんでした。").arg(error.path);
    if (error.path == work.tagFile())
        return Messages::tr("タグファイル %1 を保存できませんでした。").arg(error.path);
    if (error.path == work.textFile())
        return TextFileNotSavedText(work);
    return Messages::tr("作業ファイル %1 を保存できませんでした。").arg(error.path);
}

QString RecoveryQuestionText(const QDateTime& updated)
{
    return Messages::tr("前回、保存されていない歌詞がありました（最終更新 %1）。復元しますか？")
        .arg(updated.toString(u"yyyy/MM/dd hh:mm"_s));
}

QString RecoveryFileSetAsideText(const QString& path, const QString& aside)
{
    if (aside.isEmpty())
        return Messages::tr("前回の歌詞を復元するファイル %1 を読み込めませんでした。\r\n"
                            "このまま起動します。")
            .arg(path);
    return Messages::tr("前回の歌詞を復元するファイル %1 を読み込めませんでした。\r\n"
                        "%2 として残し、このまま起動します。")
        .arg(path, aside);
}

QString RecoveryFileNotRemovedText(const QString& path, const QString& aside)
{
    if (aside.isEmpty())
        return Messages::tr("前回の歌詞を復元するファイル %1 を削除できませんでした。\r\n"
                            "次回の起動時にも、復元するかどうかを尋ねます。")
            .arg(path);
    return Messages::tr("前回の歌詞を復元するファイル %1 を削除できませんでした。\r\n"
                        "%2 として残します。")
        .arg(path, aside);
}

QString RecoveryNotWrittenText(const RecoveryWriteError& error)
{
    QString why;
    switch (error.problem) {
    case RecoveryWriteProblem::NoSpace:
        why = Messages::tr("ディスクの空きが足りません。");
        break;
    case RecoveryWriteProblem::NotAllowed:
        why = Messages::tr("このフォルダに書き込む権限がありません。");
        break;
    case RecoveryWriteProblem::ReadOnly:
        why = Messages::tr("このフォルダは読み取り専用です。");
        break;
    case RecoveryWriteProblem::NotAFolder:
        why = Messages::tr("フォルダのあるべき場所にファイルがあります。");
        break;
    case RecoveryWriteProblem::Other:
        why = error.systemText;
        break;
    }
    return Messages::tr("保存されていない歌詞を、復元用のフォルダ %1 に書き込めませんでした。")
               .arg(error.folder) +
           kCrLfText + why + kCrLfText +
           Messages::tr("書き込めるようになるまで、ウィンドウの下の行にそう表示します。");
}

QString UnsavedLyricsQuestionText(LyricsGoFor what)
{
    switch (what) {
    case LyricsGoFor::Exit:
        return Messages::tr("編集中の歌詞を閉じて、Verseletを終了しますか？");
    case LyricsGoFor::New:
        return Messages::tr("編集中の歌詞を閉じて、新規作成しますか？");
    case LyricsGoFor::Open:
        return Messages::tr("編集中の歌詞を閉じて、ファイルを開きますか？");
    case LyricsGoFor::FileFromOutside:
        break;
    }
    return Messages::tr("編集中の歌詞を閉じて、このファイルを開きますか？");
}

QString UntimedLyricsQuestionText(int lines)
{
    return Messages::tr(
        "タイムが入っていない歌詞が %n 行あります。このままLRCファイルを作成しますか？", nullptr,
        lines);
}

namespace {

// At most this many lines of the lyrics a file holds are shown in the
// question; the rest stand as "…".
constexpr qsizetype kShownLyricsLines = 8;

QString shownLyrics(const QString& lyrics)
{
    QStringList lines = lyrics.trimmed().split(u'\n');
    if (lines.size() > kShownLyricsLines) {
        lines.resize(kShownLyricsLines);
        lines.append(QStringLiteral("…"));
    }
    return lines.join(u'\n');
}

} // namespace

QString ReplaceLyricsQuestionText(const QString& inFile, const QString& sidecar)
{
    QString text;
    if (!inFile.trimmed().isEmpty())
        text += Messages::tr("この音楽ファイルにはすでに歌詞が入っています:") + u"\n\n"_s +
                shownLyrics(inFile) + u"\n\n"_s;
    if (!sidecar.isEmpty())
        text += Messages::tr("%1 がすでにあります。").arg(sidecar) + u"\n\n"_s;
    return text + Messages::tr("置き換えますか？");
}

QString LyricsNotWrittenText(const LyricsWriteFailure& failure)
{
    const QString& file = failure.path;
    switch (failure.kind) {
    case LyricsWriteError::NotSupported:
        return Messages::tr("%1 は歌詞を書き込める形式(MP3, FLAC, Ogg, Opus, M4A, WAV, AIFF)では"
                            "ありません。")
            .arg(file);
    case LyricsWriteError::ReadOnly:
        return Messages::tr("%1 に書き込む権限がないため、歌詞を書き込めませんでした。").arg(file);
    case LyricsWriteError::Changed:
        return Messages::tr("%1 はディスクを読み込んだ後に変更されています。歌詞は書き込みません"
                            "でした。「更新」で読み直してから、もう一度書き込んでください。")
            .arg(file);
    case LyricsWriteError::Unreadable:
        return Messages::tr("%1 を読み込めないため、歌詞を書き込めませんでした。").arg(file);
    case LyricsWriteError::WriteFailed:
        break;
    }
    return Messages::tr("%1 に歌詞を書き込めませんでした。ファイルは元のままです。\n%2")
        .arg(file, failure.detail);
}

QString NoAudioFileText()
{
    return Messages::tr("この曲は音楽ファイルではないため(CD、ディスクイメージ、または1つのファイル"
                        "の一部)、歌詞を書き込めません。LRCファイルを作成してください。");
}

QString DroppedPartsText(const QString& file, const DroppedParts& dropped)
{
    QStringList parts;
    if (dropped.styles)
        parts.append(Messages::tr("スタイル（フォントや色）"));
    if (dropped.positions)
        parts.append(Messages::tr("表示位置"));
    if (dropped.markup)
        parts.append(Messages::tr("文字の飾りのタグ"));
    if (dropped.other)
        parts.append(Messages::tr("コメントや話者などのその他の情報"));
    return Messages::tr(
               "%1 から、歌詞の行と時刻だけを読み込みました。歌詞テキストに入らない次のものは"
               "読み込んでいません: %2")
        .arg(file, parts.join(Messages::tr("、")));
}

} // namespace verselet

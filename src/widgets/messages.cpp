#include "widgets/messages.h"

#include "document/textfile.h"
#include "workfiles/workfiles.h"

#include <QAbstractButton>

namespace verselet {

using namespace Qt::StringLiterals;

QString SixDigitWarningText()
{
    return u"このファイルは6桁タイム付き歌詞テキストだと思われます。\r\n"
           u"Verseletは6桁タイム付き歌詞テキストには対応していません。\r\n"
           u"[OK]ボタンを押すと普通のテキストとして読み込みます。"_s;
}

QString TextFileNotSavedText(const WorkFolder& work)
{
    return work.textFile() + u"tは保存できませんでした\r\n"
                             u"空き容量がたりないのか、書き込み禁止の可能性があります"_s;
}

namespace {

const QString kCrLfText = u"\r\n"_s;
const QString kReplaceAndRetry = u"別の文字に置き換えてから、もう一度お試しください。"_s;

// 「x」(U+XXXX)はShift-JISで保存できない文字です。
QString unwritableCharacter(char32_t c)
{
    const QString character = QString::fromUcs4(&c, 1);
    const QString code = QString::number(uint(c), 16).toUpper().rightJustified(4, u'0');
    return u"「%1」(U+%2)はShift-JISで保存できない文字です。"_s.arg(character, code);
}

} // namespace

QString UnmappableCharacterText(const FileError& error)
{
    return u"%1行目の%2文字目"_s.arg(error.line).arg(error.column) +
           unwritableCharacter(error.character) + kCrLfText + kReplaceAndRetry;
}

QString UnwritableInBoxText(EditorBox box, const FileError& error)
{
    QString where;
    switch (box) {
    case EditorBox::Body:
        where = u"歌詞の%1行目の%2文字目"_s.arg(error.line).arg(error.column);
        break;
    case EditorBox::Header:
        where = u"作成者・タイトル欄の%1行目の%2文字目"_s.arg(error.line).arg(error.column);
        break;
    case EditorBox::Start:
        where = u"[00:00]の欄の%1文字目"_s.arg(error.column);
        break;
    }
    return where + unwritableCharacter(error.character) + kCrLfText + kReplaceAndRetry;
}

QString UnwritableTagText(int fileLine, const FileError& error)
{
    return u"このファイルの%1行目の%2文字目"_s.arg(fileLine).arg(error.column) +
           unwritableCharacter(error.character) + kCrLfText + kCannotOpen.toString();
}

QString WorkFolderUnwritableText(const QString& workFolder, bool programEnds)
{
    QString text = u"作業フォルダ %1 にタグファイルを書き込めませんでした。"_s.arg(workFolder);
    if (programEnds)
        text += u"\r\nVerseletを終了します。"_s;
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
    box.button(QMessageBox::Yes)->setText(u"はい"_s);
    box.button(QMessageBox::No)->setText(u"いいえ"_s);
    box.setDefaultButton(byDefault == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString FileErrorText(const FileError& error, const WorkFolder& work, const QString& targetPath)
{
    if (error.kind == FileErrorKind::Unmappable)
        return UnmappableCharacterText(error);
    if (!targetPath.isEmpty() && error.path == targetPath)
        return u"%1 を保存できませんでした。\r\n別の名前か場所を選んでください。"_s.arg(targetPath);
    if (error.kind == FileErrorKind::NotFound || error.kind == FileErrorKind::Unreadable)
        return u"作業ファイル %1 を読み込めませんでした。"_s.arg(error.path);
    if (error.path == work.tagFile())
        return u"タグファイル %1 を保存できませんでした。"_s.arg(error.path);
    if (error.path == work.textFile())
        return TextFileNotSavedText(work);
    return u"作業ファイル %1 を保存できませんでした。"_s.arg(error.path);
}

QString RecoveryQuestionText(const QDateTime& updated)
{
    return u"前回、保存されていない歌詞がありました（最終更新 %1）。復元しますか？"_s.arg(
        updated.toString(u"yyyy/MM/dd hh:mm"_s));
}

QString RecoveryFileSetAsideText(const QString& path, const QString& aside)
{
    if (aside.isEmpty())
        return u"前回の歌詞を復元するファイル %1 を読み込めませんでした。\r\n"
               u"このまま起動します。"_s.arg(path);
    return u"前回の歌詞を復元するファイル %1 を読み込めませんでした。\r\n"
           u"%2 として残し、このまま起動します。"_s.arg(path, aside);
}

} // namespace verselet

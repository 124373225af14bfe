#include "app/messages.h"

#include "document/textfile.h"

namespace verselet {

using namespace Qt::StringLiterals;

QString SixDigitWarningText()
{
    return u"このファイルは6桁タイム付き歌詞テキストだと思われます。\r\n"
           u"Verseletは6桁タイム付き歌詞テキストには対応していません。\r\n"
           u"[OK]ボタンを押すと普通のテキストとして読み込みます。"_s;
}

QString TextFileNotSavedText(const QString& tempRoot)
{
    return tempRoot + u"/zem/rigth.tmptは保存できませんでした\r\n"
                      u"空き容量がたりないのか、書き込み禁止の可能性があります"_s;
}

QString UnmappableCharacterText(const FileError& error)
{
    const QString character = QString::fromUcs4(&error.character, 1);
    const QString code = QString::number(uint(error.character), 16).toUpper().rightJustified(4, u'0');
    return u"%1行目の%2文字目「%3」(U+%4)はShift-JISで保存できない文字です。\r\n"
           u"別の文字に置き換えてから、もう一度お試しください。"_s
        .arg(error.line)
        .arg(error.column)
        .arg(character, code);
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

} // namespace verselet

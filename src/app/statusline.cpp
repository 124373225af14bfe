#include "app/statusline.h"

#include "document/lrcexport.h"
#include "document/lyricsdocument.h"
#include "widgets/messages.h"
#include "workfiles/documentforms.h"

#include <QLabel>
#include <QStatusBar>
#include <QTimer>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

QString kindName(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::New:
        return StatusLine::tr("新規作成");
    case DocumentKind::Restored:
        return StatusLine::tr("復元した歌詞");
    case DocumentKind::PlainText:
        return StatusLine::tr("テキスト");
    case DocumentKind::TimedText:
        return StatusLine::tr("歌詞テキスト");
    case DocumentKind::KaraokeText:
        return StatusLine::tr("ニコカラ歌詞テキスト");
    case DocumentKind::Lrc:
        return StatusLine::tr("LRC");
    case DocumentKind::EnhancedLrc:
        return StatusLine::tr("拡張LRC");
    case DocumentKind::Srt:
        return StatusLine::tr("SRT字幕");
    case DocumentKind::WebVtt:
        return StatusLine::tr("WebVTT字幕");
    case DocumentKind::Ass:
        return StatusLine::tr("ASS字幕");
    case DocumentKind::Ttml:
        return StatusLine::tr("TTML歌詞");
    }
    return {};
}

QLabel* addLabel(QStatusBar* bar, const QString& name, int stretch)
{
    auto* label = new QLabel(bar);
    label->setObjectName(name);
    bar->addWidget(label, stretch);
    return label;
}

} // namespace

StatusLine::StatusLine(QStatusBar* bar, const LyricsDocument& document)
    : QObject(bar), m_document(document), m_kind(addLabel(bar, u"FormStatus"_s, 0)),
      m_lines(addLabel(bar, u"LinesStatus"_s, 0)), m_saved(addLabel(bar, u"SavedStatus"_s, 0)),
      m_recovery(addLabel(bar, u"RecoveryStatus"_s, 1))
{
    bar->setObjectName(u"StatusLine"_s);
    bar->setSizeGripEnabled(true);
    // One line of text, whatever its labels show: the window is laid out
    // around it.
    bar->setFixedHeight(bar->sizeHint().height());
    m_recovery->setText(tr("復元用ファイルを書き込めません"));
    m_recovery->setStyleSheet(u"color: #b00000; font-weight: bold;"_s);
    m_recovery->hide();
    setKind(DocumentKind::New);
    for (const auto changed : {&LyricsDocument::headerChanged, &LyricsDocument::startChanged,
                               &LyricsDocument::bodyChanged, &LyricsDocument::timingChanged,
                               &LyricsDocument::reset, &LyricsDocument::saved})
        connect(&document, changed, this, &StatusLine::refreshSoon);
    refresh();
}

void StatusLine::setKind(DocumentKind kind, std::optional<TextEncoding> encoding)
{
    m_kind->setText(encoding ? tr("%1（%2）").arg(kindName(kind), TextEncodingName(*encoding))
                             : kindName(kind));
}

void StatusLine::setRecoveryFailing(bool failing)
{
    m_recovery->setVisible(failing);
}

QString StatusLine::kindText() const
{
    return m_kind->text();
}
QString StatusLine::linesText() const
{
    return m_lines->text();
}
QString StatusLine::savedText() const
{
    return m_saved->text();
}
QString StatusLine::recoveryText() const
{
    return m_recovery->isVisibleTo(m_recovery->parentWidget()) ? m_recovery->text() : QString();
}

void StatusLine::refreshSoon()
{
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, &StatusLine::refresh);
}

void StatusLine::refresh()
{
    m_refreshPending = false;
    const LyricLineCounts counts = CountLyricLines(DocumentPairs(m_document));
    m_lines->setText(tr("%1、%2").arg(tr("歌詞 %n 行", nullptr, counts.lines),
                                      tr("タイムあり %n 行", nullptr, counts.timed)));
    m_saved->setText(m_document.isModified() ? tr("未保存の変更あり") : tr("保存済み"));
}

} // namespace verselet

#include "document/lyricsdocument.h"

#include "document/lyricsformat.h"
#include "document/lyricsloader.h"

namespace verselet {

LyricsDocument::LyricsDocument(QObject* parent) : QObject(parent)
{
    clear();
}

void LyricsDocument::setHeaderText(const QString& text)
{
    if (text == m_header)
        return;
    m_header = text;
    Q_EMIT headerChanged();
}

void LyricsDocument::setStartText(const QString& text)
{
    if (text == m_start)
        return;
    m_start = text;
    Q_EMIT startChanged();
}

void LyricsDocument::setBodyText(const QString& text)
{
    if (text == m_body)
        return;
    m_body = text;
    Q_EMIT bodyChanged();
}

void LyricsDocument::keepTags(const TimingRows& rows)
{
    m_tags.clear();
    m_exact.clear();
    m_words.clear();
    for (const TimingRow& row : rows) {
        m_tags.append(row.tagField());
        m_exact.append(row.exactTime());
        m_words.append(row.keptWords());
    }
    m_changedSinceSave = true;
    Q_EMIT timingChanged();
}

void LyricsDocument::setFileName(const QString& name)
{
    m_fileName = name;
}

void LyricsDocument::clear()
{
    m_header.clear();
    m_start.clear();
    m_body = kSeparatorLine.toString();
    m_tags = TagTemplateLines();
    m_exact.clear();
    m_words.clear();
    m_lrcOrigin = {};
    markSaved();
    Q_EMIT reset();
}

void LyricsDocument::load(const LoadedLyrics& loaded)
{
    replaceAll({loaded.headerText, loaded.startText, loaded.bodyText, loaded.tagLines,
                loaded.exactTimes, m_fileName, loaded.wordTimes, loaded.lrcOrigin});
    markSaved();
    Q_EMIT reset();
}

void LyricsDocument::markSaved()
{
    m_saved = {m_header, m_start, m_body};
    m_changedSinceSave = false;
    Q_EMIT saved();
}

LyricsSnapshot LyricsDocument::snapshot() const
{
    return {m_header, m_start, m_body, m_tags, m_exact, m_fileName, m_words, m_lrcOrigin};
}

void LyricsDocument::restore(const LyricsSnapshot& snapshot)
{
    replaceAll(snapshot);
    m_changedSinceSave = true;
    Q_EMIT reset();
}

void LyricsDocument::replaceAll(const LyricsSnapshot& all)
{
    m_header = all.headerText;
    m_start = all.startText;
    m_body = all.bodyText;
    m_tags = all.tagLines;
    m_exact = all.exactTimes;
    m_fileName = all.fileName;
    m_words = all.wordTimes;
    m_lrcOrigin = all.lrcOrigin;
}

bool LyricsDocument::isModified() const
{
    return m_changedSinceSave || Texts{m_header, m_start, m_body} != m_saved;
}

} // namespace verselet

#include "document/lyricsdocument.h"

#include "document/lyricsformat.h"
#include "document/lyricsloader.h"

namespace verselet {

LyricsDocument::LyricsDocument(QObject* parent) : QObject(parent) { clear(); }

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

void LyricsDocument::keepTags(const QStringList& tagLines, const ExactTimes& exactTimes)
{
    m_tags = tagLines;
    m_exact = exactTimes;
    m_tagsKeptSinceSave = true;
    Q_EMIT timingChanged();
}

void LyricsDocument::setFileName(const QString& name) { m_fileName = name; }

void LyricsDocument::clear()
{
    m_header.clear();
    m_start.clear();
    m_body = kSeparatorLine.toString();
    m_tags = TagTemplateLines();
    m_exact.clear();
    markSaved();
    Q_EMIT reset();
}

void LyricsDocument::load(const LoadedLyrics& loaded)
{
    m_header = loaded.headerText;
    m_start = loaded.startText;
    m_body = loaded.bodyText;
    m_tags = loaded.tagLines;
    m_exact = loaded.exactTimes;
    markSaved();
    Q_EMIT reset();
}

void LyricsDocument::markSaved()
{
    m_saved = {m_header, m_start, m_body};
    m_tagsKeptSinceSave = false;
}

bool LyricsDocument::isModified() const
{
    return m_tagsKeptSinceSave || Texts{m_header, m_start, m_body} != m_saved;
}

} // namespace verselet

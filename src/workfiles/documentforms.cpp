#include "workfiles/documentforms.h"

#include "document/karaokelyrics.h"
#include "document/lrcexport.h"
#include "workfiles/workfiles.h"

#include <algorithm>

namespace verselet {

std::optional<UnwritableText> FindUnwritableText(const QString& headerText,
                                                 const QString& startText, const QString& bodyText)
{
    for (const auto& [box, text] :
         {std::pair{EditorBox::Header, &headerText}, std::pair{EditorBox::Start, &startText},
          std::pair{EditorBox::Body, &bodyText}}) {
        if (const auto encoded = EncodeCp932(*text); !encoded) {
            const UnmappableCharacter& at = encoded.error();
            return UnwritableText{
                box, FileError{FileErrorKind::Unmappable, {}, at.character, at.line, at.column}};
        }
    }
    return std::nullopt;
}

QList<TaggedLine> DocumentPairs(const LyricsDocument& document)
{
    // As the text file the body is written to reads back: every line ends
    // in CR LF, the last one too.
    return PairLines(SplitWorkLines(document.bodyText() + kCrLf.toString()), document.tagLines());
}

TimingRows DocumentRows(const LyricsDocument& document)
{
    const QList<TaggedLine> pairs = DocumentPairs(document);
    const ExactTimes& exact = document.exactTimes();
    const WordTimes& words = document.wordTimes();
    TimingRows rows;
    rows.reserve(pairs.size());
    for (qsizetype i = 0; i < pairs.size(); ++i)
        rows.append(TimingRow::fromTag(pairs.at(i).tag, pairs.at(i).text,
                                       i < exact.size() ? exact.at(i) : std::nullopt,
                                       i < words.size() ? words.at(i) : LineWords()));
    return rows;
}

LrcDocument DocumentLrc(const LyricsDocument& document)
{
    return LrcFromRun(document.headerText(), document.startText(), DocumentRows(document),
                      document.lrcOrigin());
}

KaraokeDocument DocumentKaraoke(const LyricsDocument& document)
{
    return KaraokeFromRun(document.headerText(), document.startText(), DocumentRows(document),
                          document.lrcOrigin());
}

Result<QByteArray, UnwritableText> EncodeDocument(const LyricsDocument& document, SaveForm form)
{
    switch (form) {
    case SaveForm::Lrc:
        return EncodeLrc(DocumentLrc(document), LrcFlavour::Plain);
    case SaveForm::EnhancedLrc:
        return EncodeLrc(DocumentLrc(document), LrcFlavour::Enhanced);
    case SaveForm::TimedText:
        break;
    }
    if (auto unwritable =
            FindUnwritableText(document.headerText(), document.startText(), document.bodyText()))
        return *unwritable;
    const QString text =
        ComposeTimedText(document.headerText(), document.startText(), DocumentPairs(document));
    auto encoded = EncodeCp932(text);
    if (!encoded) {
        // Only a tag field is left to hold such a character: a tag file
        // changed behind the document's back. Its line is the body's.
        const UnmappableCharacter& at = encoded.error();
        return UnwritableText{
            EditorBox::Body,
            FileError{FileErrorKind::Unmappable, {}, at.character, at.line, at.column}};
    }
    return std::move(encoded).value();
}

} // namespace verselet

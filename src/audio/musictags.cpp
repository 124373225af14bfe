#include "audio/musictags.h"

#include "audio/replacefile.h"
#include "document/textfile.h"

#include <QFile>
#include <QFileInfo>

#include <taglib/aifffile.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tfilestream.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <limits>
#include <memory>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace verselet {

namespace {

// The forms that can hold lyrics.
enum class Form
{
    Unknown,
    Mpeg,
    Flac,
    OggVorbis,
    OggOpus,
    Mp4,
    Wav,
    Aiff
};

// An ID3v2 tag of a file that had none; TagLib's own default, whose text
// may be UTF-8.
constexpr TagLib::ID3v2::Version kNewId3Version = TagLib::ID3v2::v4;
// The lyrics' language is not known: ISO 639-2's "undetermined".
const char kLyricsLanguage[] = "und";
const char kMp4Lyrics[] = "\251lyr";

TagLib::String ToTag(const QString& s)
{
    return TagLib::String(s.toStdString(), TagLib::String::UTF8);
}

QString FromTag(const TagLib::String& s)
{
    return QString::fromStdString(s.to8Bit(true));
}

// By content: the forms with a signature of their own first, MPEG (frame
// headers that irrelevant bytes can resemble, checked by TagLib against the
// next frame) last.
Form FormOfStream(TagLib::IOStream* stream)
{
    if (TagLib::FLAC::File::isSupported(stream))
        return Form::Flac;
    if (TagLib::Ogg::Vorbis::File::isSupported(stream))
        return Form::OggVorbis;
    if (TagLib::Ogg::Opus::File::isSupported(stream))
        return Form::OggOpus;
    if (TagLib::MP4::File::isSupported(stream))
        return Form::Mp4;
    if (TagLib::RIFF::WAV::File::isSupported(stream))
        return Form::Wav;
    if (TagLib::RIFF::AIFF::File::isSupported(stream))
        return Form::Aiff;
    if (TagLib::MPEG::File::isSupported(stream))
        return Form::Mpeg;
    return Form::Unknown;
}

Form FormOfFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    TagLib::FileStream stream(name.constData(), true);
    return stream.isOpen() ? FormOfStream(&stream) : Form::Unknown;
}

// A file of one of the forms, read by TagLib from a stream it does not own.
std::unique_ptr<TagLib::File> OpenForm(Form form, TagLib::IOStream* stream, bool properties)
{
    using namespace TagLib;
    const auto style = AudioProperties::Accurate;
    auto* frames = ID3v2::FrameFactory::instance();
    std::unique_ptr<File> file;
    switch (form) {
    case Form::Unknown:
        return nullptr;
    case Form::Mpeg:
        file = std::make_unique<MPEG::File>(stream, frames, properties, style);
        break;
    case Form::Flac:
        file = std::make_unique<FLAC::File>(stream, frames, properties, style);
        break;
    case Form::OggVorbis:
        file = std::make_unique<Ogg::Vorbis::File>(stream, properties, style);
        break;
    case Form::OggOpus:
        file = std::make_unique<Ogg::Opus::File>(stream, properties, style);
        break;
    case Form::Mp4:
        file = std::make_unique<MP4::File>(stream, properties, style);
        break;
    case Form::Wav:
        file = std::make_unique<RIFF::WAV::File>(stream, properties, style);
        break;
    case Form::Aiff:
        file = std::make_unique<RIFF::AIFF::File>(stream, properties, style);
        break;
    }
    return file->isValid() ? std::move(file) : nullptr;
}

// A file opened read-only by its content; the stream outlives the file.
struct OpenedFile
{
    std::unique_ptr<TagLib::FileStream> stream;
    std::unique_ptr<TagLib::File> file;
    Form form = Form::Unknown;
};

OpenedFile OpenByContent(const QString& path, bool properties)
{
    OpenedFile opened;
    const QByteArray name = QFile::encodeName(path);
    opened.stream = std::make_unique<TagLib::FileStream>(name.constData(), true);
    if (!opened.stream->isOpen())
        return opened;
    opened.form = FormOfStream(opened.stream.get());
    opened.file = OpenForm(opened.form, opened.stream.get(), properties);
    return opened;
}

// The ID3v2 tag of a form that keeps its lyrics there, nullptr for the others.
TagLib::ID3v2::Tag* Id3TagOf(TagLib::File* file, Form form)
{
    switch (form) {
    case Form::Mpeg:
        return static_cast<TagLib::MPEG::File*>(file)->ID3v2Tag(true);
    case Form::Wav:
        return static_cast<TagLib::RIFF::WAV::File*>(file)->ID3v2Tag();
    case Form::Aiff:
        return static_cast<TagLib::RIFF::AIFF::File*>(file)->tag();
    default:
        return nullptr;
    }
}

TagLib::Ogg::XiphComment* VorbisCommentOf(TagLib::File* file, Form form)
{
    switch (form) {
    case Form::Flac:
        return static_cast<TagLib::FLAC::File*>(file)->xiphComment(true);
    case Form::OggVorbis:
        return static_cast<TagLib::Ogg::Vorbis::File*>(file)->tag();
    case Form::OggOpus:
        return static_cast<TagLib::Ogg::Opus::File*>(file)->tag();
    default:
        return nullptr;
    }
}

bool HasId3Tag(TagLib::File* file, Form form)
{
    switch (form) {
    case Form::Mpeg:
        return static_cast<TagLib::MPEG::File*>(file)->hasID3v2Tag();
    case Form::Wav:
        return static_cast<TagLib::RIFF::WAV::File*>(file)->hasID3v2Tag();
    case Form::Aiff:
        return static_cast<TagLib::RIFF::AIFF::File*>(file)->hasID3v2Tag();
    default:
        return false;
    }
}

QString Joined(const TagLib::StringList& values)
{
    QStringList texts;
    for (const auto& value : values)
        texts << FromTag(value);
    return texts.join(u'\n');
}

QString Id3Lyrics(TagLib::ID3v2::Tag* tag)
{
    using namespace TagLib::ID3v2;
    for (Frame* frame : tag->frameList("USLT")) {
        const auto* uslt = dynamic_cast<UnsynchronizedLyricsFrame*>(frame);
        if (uslt && !uslt->text().isEmpty())
            return FromTag(uslt->text());
    }
    // Synchronised lyrics of the kind "lyrics" before other kinds (events,
    // chords, ...), which a tagger that knows no better may have used.
    const SynchronizedLyricsFrame* chosen = nullptr;
    for (Frame* frame : tag->frameList("SYLT")) {
        const auto* sylt = dynamic_cast<SynchronizedLyricsFrame*>(frame);
        if (sylt && (!chosen || (chosen->type() != SynchronizedLyricsFrame::Lyrics &&
                                 sylt->type() == SynchronizedLyricsFrame::Lyrics)))
            chosen = sylt;
    }
    if (!chosen)
        return {};
    QStringList lines;
    for (const auto& entry : chosen->synchedText()) {
        QString text = FromTag(entry.text);
        while (text.startsWith(u'\n') || text.startsWith(u'\r'))
            text.remove(0, 1);
        while (text.endsWith(u'\n') || text.endsWith(u'\r'))
            text.chop(1);
        lines << text;
    }
    return lines.join(u'\n');
}

QString LyricsOf(TagLib::File* file, Form form)
{
    if (TagLib::ID3v2::Tag* tag = Id3TagOf(file, form))
        return Id3Lyrics(tag);
    if (TagLib::Ogg::XiphComment* comment = VorbisCommentOf(file, form)) {
        const auto& fields = comment->fieldListMap();
        for (const char* key : {"LYRICS", "UNSYNCEDLYRICS"}) {
            const auto it = fields.find(key);
            if (it != fields.end() && !Joined(it->second).isEmpty())
                return Joined(it->second);
        }
        return {};
    }
    if (form == Form::Mp4) {
        const auto* tag = static_cast<TagLib::MP4::File*>(file)->tag();
        return tag->contains(kMp4Lyrics) ? Joined(tag->item(kMp4Lyrics).toStringList()) : QString();
    }
    return {};
}

// The version a tag is saved in: the one it was read in where TagLib writes it.
TagLib::ID3v2::Version Id3VersionToKeep(TagLib::File* file, Form form)
{
    if (!HasId3Tag(file, form))
        return kNewId3Version;
    const unsigned major = Id3TagOf(file, form)->header()->majorVersion();
    return major >= 4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3;
}

void PutIntoId3(TagLib::ID3v2::Tag* tag, TagLib::ID3v2::Version version,
                const EmbeddedLyrics& lyrics)
{
    using namespace TagLib::ID3v2;
    // UTF-8 exists from ID3v2.4 on; before, UTF-16 holds any text.
    const auto encoding =
        version == TagLib::ID3v2::v4 ? TagLib::String::UTF8 : TagLib::String::UTF16;
    tag->removeFrames("USLT");
    tag->removeFrames("SYLT");
    const QString& text = lyrics.plainLrcText.isEmpty() ? lyrics.lrcText : lyrics.plainLrcText;
    if (!text.isEmpty()) {
        auto* uslt = new UnsynchronizedLyricsFrame(encoding);
        uslt->setLanguage(kLyricsLanguage);
        uslt->setText(ToTag(text));
        tag->addFrame(uslt);
    }
    if (!lyrics.synced.isEmpty()) {
        auto* sylt = new SynchronizedLyricsFrame(encoding);
        sylt->setLanguage(kLyricsLanguage);
        sylt->setTimestampFormat(SynchronizedLyricsFrame::AbsoluteMilliseconds);
        sylt->setType(SynchronizedLyricsFrame::Lyrics);
        SynchronizedLyricsFrame::SynchedTextList entries;
        for (const SyncedText& entry : lyrics.synced)
            entries.append({unsigned(std::max(entry.milliseconds, 0)), ToTag(entry.text)});
        sylt->setSynchedText(entries);
        tag->addFrame(sylt);
    }
}

// Puts the lyrics into the file and saves it to its stream; false when
// TagLib could not.
bool PutLyrics(TagLib::File* file, Form form, const EmbeddedLyrics& lyrics)
{
    using namespace TagLib;
    if (ID3v2::Tag* tag = Id3TagOf(file, form)) {
        const ID3v2::Version version = Id3VersionToKeep(file, form);
        PutIntoId3(tag, version, lyrics);
        // Only the ID3v2 tag is written: an ID3v1 or APE tag stays as it is,
        // and none is made from the ID3v2 tag's fields; a WAV file's INFO
        // chunk is not touched either.
        if (form == Form::Mpeg)
            return static_cast<MPEG::File*>(file)->save(MPEG::File::ID3v2, File::StripNone, version,
                                                        File::DoNotDuplicate);
        if (form == Form::Wav)
            return static_cast<RIFF::WAV::File*>(file)->save(RIFF::WAV::File::ID3v2,
                                                             File::StripNone, version);
        return static_cast<RIFF::AIFF::File*>(file)->save(version);
    }
    if (Ogg::XiphComment* comment = VorbisCommentOf(file, form)) {
        // UNSYNCEDLYRICS is where some taggers keep the same text: left
        // behind, it would show the old lyrics in the players that read it.
        comment->removeFields("LYRICS");
        comment->removeFields("UNSYNCEDLYRICS");
        if (!lyrics.lrcText.isEmpty())
            comment->addField("LYRICS", ToTag(lyrics.lrcText), true);
        return file->save();
    }
    if (form == Form::Mp4) {
        auto* tag = static_cast<MP4::File*>(file)->tag();
        tag->removeItem(kMp4Lyrics);
        if (!lyrics.lrcText.isEmpty())
            tag->setItem(kMp4Lyrics, MP4::Item(TagLib::StringList(ToTag(lyrics.lrcText))));
        return file->save();
    }
    return false;
}

LyricsWriteFailure Failure(LyricsWriteError kind, const QString& path, const QString& detail)
{
    return {kind, path, detail};
}

bool MayWrite(const QString& path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// The refusals, checked before anything is read whole; a refusal of each
// kind in this order: what is not there, what changed, what cannot hold
// lyrics, what may not be written.
std::optional<LyricsWriteFailure> Refusal(const QString& path, const QString& target,
                                          const FileStamp& expected)
{
    const QFileInfo info(target);
    if (target.isEmpty() || !info.isFile())
        return Failure(LyricsWriteError::Unreadable, path, u"no such file"_s);
    if (StampOf(target) != expected)
        return Failure(LyricsWriteError::Changed, path,
                       u"the file has changed since it was opened"_s);
    if (!info.isReadable())
        return Failure(LyricsWriteError::Unreadable, path, u"the file cannot be read"_s);
    if (FormOfFile(target) == Form::Unknown)
        return Failure(LyricsWriteError::NotSupported, path, u"not a form that can hold lyrics"_s);
    // The new file is renamed into the folder: both must be writable.
    if (!MayWrite(target))
        return Failure(LyricsWriteError::ReadOnly, path, u"the file is read-only"_s);
    if (!MayWrite(info.absolutePath()))
        return Failure(LyricsWriteError::ReadOnly, path,
                       u"the folder %1 is read-only"_s.arg(info.absolutePath()));
    return std::nullopt;
}

} // namespace

std::optional<MusicTags> ReadMusicTags(const QString& path)
{
    OpenedFile opened = OpenByContent(path, true);
    TagLib::File* file = opened.file.get();
    // Forms that cannot hold lyrics may still tell their tags. TagLib picks
    // those by the name's suffix, and takes a text named .mp3 for an MP3
    // file without audio: what has no audio is not music.
    std::optional<TagLib::FileRef> any;
    if (!file) {
        any.emplace(QFile::encodeName(path).constData(), true, TagLib::AudioProperties::Accurate);
        if (any->isNull() || !any->file()->isValid() || !any->audioProperties() ||
            any->audioProperties()->sampleRate() <= 0)
            return std::nullopt;
        file = any->file();
    }
    MusicTags tags;
    // A WAV file's tag() is its ID3v2 tag alone; its INFO chunk says the
    // rest.
    const TagLib::Tag* second = nullptr;
    if (opened.form == Form::Wav)
        second = static_cast<TagLib::RIFF::WAV::File*>(file)->InfoTag();
    const auto field = [&](TagLib::String (TagLib::Tag::*read)() const) {
        const TagLib::Tag* first = file->tag();
        if (first && !(first->*read)().isEmpty())
            return FromTag((first->*read)());
        return second ? FromTag((second->*read)()) : QString();
    };
    tags.title = field(&TagLib::Tag::title);
    tags.artist = field(&TagLib::Tag::artist);
    tags.album = field(&TagLib::Tag::album);
    // ID3 text that calls itself Latin-1 is, in files from Japanese systems,
    // Shift-JIS or UTF-8 more often than not.
    if (opened.form == Form::Mpeg || opened.form == Form::Wav || opened.form == Form::Aiff) {
        for (QString* text : {&tags.title, &tags.artist, &tags.album}) {
            if (std::all_of(text->cbegin(), text->cend(),
                            [](QChar c) { return c.unicode() <= 0xff; }))
                *text = DecodeUnlabelledText(text->toLatin1());
        }
    }
    if (const TagLib::AudioProperties* properties = file->audioProperties())
        tags.lengthMs = std::max(properties->lengthInMilliseconds(), 0);
    return tags;
}

bool CanHoldLyrics(const QString& path)
{
    return OpenByContent(path, false).file != nullptr;
}

QString LyricsInFile(const QString& path)
{
    const OpenedFile opened = OpenByContent(path, false);
    return opened.file ? LyricsOf(opened.file.get(), opened.form) : QString();
}

FileStamp StampOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    return {info.size(), info.lastModified().toUTC()};
}

Result<void, LyricsWriteFailure>
WriteLyricsIntoFile(const QString& path, const EmbeddedLyrics& lyrics, const FileStamp& expected)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    if (auto refusal = Refusal(path, target, expected))
        return *refusal;

    // TagLib edits a copy in memory, where no write can fail unseen; the
    // file on disk is replaced whole afterwards.
    QFile original(target);
    if (!original.open(QIODevice::ReadOnly))
        return Failure(LyricsWriteError::Unreadable, path, original.errorString());
    // TagLib's buffers count their bytes in an unsigned int.
    if (original.size() > qint64(std::numeric_limits<int>::max()))
        return Failure(LyricsWriteError::WriteFailed, path, u"the file is too large"_s);
    TagLib::ByteVector bytes(uint(original.size()), 0);
    if (original.read(bytes.data(), original.size()) != original.size())
        return Failure(LyricsWriteError::Unreadable, path, original.errorString());
    original.close();

    TagLib::ByteVectorStream stream(bytes);
    bytes.clear();
    const Form form = FormOfStream(&stream);
    std::unique_ptr<TagLib::File> file = OpenForm(form, &stream, false);
    if (!file)
        return Failure(LyricsWriteError::Unreadable, path, u"TagLib cannot read its tags"_s);
    if (!PutLyrics(file.get(), form, lyrics))
        return Failure(LyricsWriteError::WriteFailed, path, u"TagLib could not save the tags"_s);
    file.reset();

    // A change made to the file while the copy was edited would be lost.
    if (StampOf(target) != expected)
        return Failure(LyricsWriteError::Changed, path,
                       u"the file has changed while the lyrics were written"_s);
    const TagLib::ByteVector* written = stream.data();
    const QString error = ReplaceFileContents(target, {written->data(), written->size()});
    if (!error.isEmpty())
        return Failure(LyricsWriteError::WriteFailed, path, error);
    return {};
}

} // namespace verselet

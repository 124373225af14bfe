#include "readings/mecabreadings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>
#include <mecab.h>

#include <iterator>
#include <type_traits>
#include <vector>

namespace verselet {

namespace {

// The dictionary's features are CSV; in the IPA dictionary the reading of
// the word as written (読み, katakana) is the eighth. The ninth is how it is
// pronounced (は as ワ, long vowels as ー), which the kana the word writes
// would not match.
constexpr int kReadingField = 7;

// What the user is told when there are no readings, in the windows' language.
QString NoLibraryReason()
{
    return QCoreApplication::translate(
        "verselet::MecabReadings",
        "漢字の読みを提案するMeCabが見つかりません。Debianのパッケージ libmecab2 と "
        "mecab-ipadic-utf8 をインストールしてください。");
}

QString NotMecabReason(const QByteArray& library)
{
    return QCoreApplication::translate("verselet::MecabReadings",
                                       "%1 はMeCabのライブラリとして使えません。Debianのパッケー"
                                       "ジ libmecab2 をインストールし直してください。")
        .arg(QFile::decodeName(library));
}

QString NoDictionaryReason()
{
    return QCoreApplication::translate(
        "verselet::MecabReadings",
        "MeCabの辞書（UTF-8のIPA辞書）が見つかりません。Debianのパッケージ mecab-ipadic-utf8 "
        "をインストールしてください。");
}

QString NoDictionaryAtReason(const QString& folder)
{
    return QCoreApplication::translate("verselet::MecabReadings",
                                       "MeCabの辞書が %1 にありません。Debianのパッケージ "
                                       "mecab-ipadic-utf8 をインストールしてください。")
        .arg(folder);
}

QString NotUtf8Reason(const QString& folder)
{
    return QCoreApplication::translate("verselet::MecabReadings",
                                       "MeCabの辞書 %1 はUTF-8ではありません。Debianのパッケージ "
                                       "mecab-ipadic-utf8 をインストールしてください。")
        .arg(folder);
}

QString CannotStartReason(const QString& folder, const char* error)
{
    // MeCab's own words, when it has any, are English.
    return QCoreApplication::translate("verselet::MecabReadings",
                                       "MeCabが辞書 %1 を読めませんでした。%2")
        .arg(folder, QString::fromUtf8(error ? error : "").trimmed());
}

struct LibraryCloser
{
    void operator()(void* library) const { dlclose(library); }
};
using Library = std::unique_ptr<void, LibraryCloser>;

// A folder that holds a compiled dictionary and its settings.
bool IsDictionary(const QString& folder)
{
    const QDir dir(folder);
    return QFileInfo(dir.filePath(QStringLiteral("sys.dic"))).isFile() &&
           QFileInfo(dir.filePath(QStringLiteral("dicrc"))).isFile();
}

bool IsUtf8(const mecab_dictionary_info_t* info)
{
    if (!info || !info->charset)
        return false;
    const QByteArray charset = QByteArray(info->charset).toLower();
    return charset == "utf-8" || charset == "utf8";
}

// A line in UTF-8, as MeCab reads it, and the UTF-16 offset of every byte
// (one more at the end). A lone surrogate is written as U+FFFD.
struct Utf8Line
{
    QByteArray bytes;
    std::vector<qsizetype> offsets;
};

Utf8Line ToUtf8(QStringView line)
{
    Utf8Line utf8;
    utf8.bytes.reserve(line.size() * 3);
    utf8.offsets.reserve(std::size_t(line.size()) * 3 + 1);
    for (qsizetype at = 0; at < line.size();) {
        const QChar c = line.at(at);
        char32_t u = c.unicode();
        qsizetype width = 1;
        if (c.isHighSurrogate() && at + 1 < line.size() && line.at(at + 1).isLowSurrogate()) {
            u = QChar::surrogateToUcs4(c, line.at(at + 1));
            width = 2;
        } else if (c.isSurrogate()) {
            u = QChar::ReplacementCharacter;
        }
        char bytes[4];
        int count = 0;
        if (u < 0x80) {
            bytes[count++] = char(u);
        } else if (u < 0x800) {
            bytes[count++] = char(0xC0 | (u >> 6));
            bytes[count++] = char(0x80 | (u & 0x3F));
        } else if (u < 0x10000) {
            bytes[count++] = char(0xE0 | (u >> 12));
            bytes[count++] = char(0x80 | ((u >> 6) & 0x3F));
            bytes[count++] = char(0x80 | (u & 0x3F));
        } else {
            bytes[count++] = char(0xF0 | (u >> 18));
            bytes[count++] = char(0x80 | ((u >> 12) & 0x3F));
            bytes[count++] = char(0x80 | ((u >> 6) & 0x3F));
            bytes[count++] = char(0x80 | (u & 0x3F));
        }
        utf8.bytes.append(bytes, count);
        utf8.offsets.insert(utf8.offsets.end(), std::size_t(count), at);
        at += width;
    }
    utf8.offsets.push_back(line.size());
    return utf8;
}

// The `index`th field of a feature string (CSV: a field in double quotes
// may hold commas, and "" is a quote), or none when it has fewer fields.
std::optional<QString> Field(const char* feature, int index)
{
    QByteArray field;
    int number = 0;
    bool quoted = false;
    for (const char* c = feature; *c; ++c) {
        if (quoted && *c == '"' && c[1] == '"') {
            field.append('"');
            ++c;
        } else if (*c == '"') {
            quoted = !quoted;
        } else if (*c == ',' && !quoted) {
            if (number == index)
                return QString::fromUtf8(field);
            ++number;
            field.clear();
        } else {
            field.append(*c);
        }
    }
    if (number == index)
        return QString::fromUtf8(field);
    return std::nullopt;
}

bool HasKanji(QStringView line)
{
    for (qsizetype at = 0; at < line.size(); ++at) {
        const QChar c = line.at(at);
        if (c.isHighSurrogate() && at + 1 < line.size() && line.at(at + 1).isLowSurrogate()) {
            if (TakesReading(QChar::surrogateToUcs4(c, line.at(at + 1))))
                return true;
            ++at;
        } else if (TakesReading(c.unicode())) {
            return true;
        }
    }
    return false;
}

} // namespace

// The library's functions this uses, with <mecab.h>'s prototypes, and the
// tagger made with them.
struct MecabReadings::Tagger
{
    Library library;
    decltype(&mecab_new) create = nullptr;
    decltype(&mecab_sparse_tonode2) parse = nullptr;
    decltype(&mecab_strerror) error = nullptr;
    decltype(&mecab_destroy) destroy = nullptr;
    decltype(&mecab_dictionary_info) dictionary = nullptr;
    mecab_t* mecab = nullptr;

    ~Tagger()
    {
        if (mecab)
            destroy(mecab);
    }

    bool resolve()
    {
        const auto find = [this](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                dlsym(library.get(), name));
            return function != nullptr;
        };
        return find(create, "mecab_new") && find(parse, "mecab_sparse_tonode2") &&
               find(error, "mecab_strerror") && find(destroy, "mecab_destroy") &&
               find(dictionary, "mecab_dictionary_info");
    }

    // A tagger on the dictionary in `folder`; the reason when there is none.
    QString open(const QString& folder)
    {
        if (!IsDictionary(folder))
            return NoDictionaryAtReason(folder);
        // No resource file: the user's ~/.mecabrc (an output format, a
        // dictionary of their own) would change what is proposed.
        QByteArray arguments[] = {"mecab", "-r", "/dev/null", "-d", QFile::encodeName(folder)};
        char* argv[] = {arguments[0].data(), arguments[1].data(), arguments[2].data(),
                        arguments[3].data(), arguments[4].data()};
        mecab_t* const opened = create(int(std::size(argv)), argv);
        if (!opened)
            return CannotStartReason(folder, error(nullptr));
        if (!IsUtf8(dictionary(opened))) {
            destroy(opened);
            return NotUtf8Reason(folder);
        }
        mecab = opened;
        return {};
    }
};

MecabReadings::MecabReadings() : MecabReadings(QStringLiteral("libmecab.so.2"), QString()) {}

MecabReadings::MecabReadings(const QString& library, const QString& dictionary)
    : m_library(QFile::encodeName(library)), m_dictionary(dictionary)
{
}

MecabReadings::~MecabReadings() = default;

QStringList MecabReadings::knownDictionaries()
{
    // Debian's and Ubuntu's mecab-ipadic-utf8, then where other systems and
    // a build from source put the IPA dictionary, and Debian's EUC-JP one
    // last (each is checked for UTF-8 once opened: that one tells the user
    // which package to add).
    return {QStringLiteral("/var/lib/mecab/dic/ipadic-utf8"),
            QStringLiteral("/usr/lib64/mecab/dic/ipadic"),
            QStringLiteral("/usr/lib/mecab/dic/ipadic"),
            QStringLiteral("/usr/local/lib/mecab/dic/ipadic"),
            QStringLiteral("/var/lib/mecab/dic/ipadic")};
}

bool MecabReadings::load()
{
    if (m_tried)
        return m_tagger != nullptr;
    m_tried = true;
    auto tagger = std::make_unique<Tagger>();
    tagger->library.reset(dlopen(m_library.constData(), RTLD_NOW | RTLD_LOCAL));
    if (!tagger->library) {
        m_reason = NoLibraryReason();
        return false;
    }
    if (!tagger->resolve()) {
        m_reason = NotMecabReason(m_library);
        return false;
    }
    QStringList folders{m_dictionary};
    if (m_dictionary.isEmpty()) {
        folders = knownDictionaries();
        folders.removeIf([](const QString& folder) { return !IsDictionary(folder); });
        if (folders.isEmpty()) {
            m_reason = NoDictionaryReason();
            return false;
        }
    }
    for (const QString& folder : folders) {
        m_reason = tagger->open(folder);
        if (m_reason.isEmpty()) {
            m_tagger = std::move(tagger);
            return true;
        }
    }
    return false;
}

QString MecabReadings::unavailableReason()
{
    load();
    return m_reason;
}

namespace {

// Words the dictionary reads as their kanji one by one where a song (and
// any reader) says the word: a number and its counter, and "all through"
// after a span of time or a place.
struct Correction
{
    const char16_t* written;
    const char16_t* kana;
};
constexpr Correction kCorrections[] = {
    {u"一人", u"ひとり"},           {u"二人", u"ふたり"},           {u"一日中", u"いちにちじゅう"},
    {u"一晩中", u"ひとばんじゅう"}, {u"一年中", u"いちねんじゅう"}, {u"世界中", u"せかいじゅう"},
    {u"日本中", u"にほんじゅう"},   {u"町中", u"まちじゅう"},
};

// The readings with each word of the list read as one, where the words
// proposed cover it exactly (and do not already read it so).
void Correct(QStringView line, Readings& readings)
{
    for (const Correction& correction : kCorrections) {
        const QStringView written(correction.written);
        for (qsizetype at = line.indexOf(written); at >= 0;
             at = line.indexOf(written, at + written.size())) {
            const auto first =
                std::find_if(readings.begin(), readings.end(),
                             [at](const Reading& reading) { return reading.start == at; });
            qsizetype covered = at;
            auto last = first;
            while (last != readings.end() && last->start == covered &&
                   covered < at + written.size())
                covered += (last++)->length;
            if (first == readings.end() || covered != at + written.size())
                continue;
            const QString kana = QString::fromUtf16(correction.kana);
            const auto kept = readings.erase(first, last);
            readings.insert(kept, Reading{at, written.size(), kana, DefaultSegments(kana)});
        }
    }
}

} // namespace

Readings MecabReadings::propose(QStringView line)
{
    if (!HasKanji(line) || !load())
        return {};
    const Utf8Line utf8 = ToUtf8(line);
    const mecab_node_t* node =
        m_tagger->parse(m_tagger->mecab, utf8.bytes.constData(), std::size_t(utf8.bytes.size()));
    if (!node)
        return {};
    Readings readings;
    for (; node; node = node->next) {
        if (node->stat != MECAB_NOR_NODE || !node->feature)
            continue;
        const std::ptrdiff_t from = node->surface - utf8.bytes.constData();
        if (from < 0 || from + node->length > utf8.bytes.size())
            continue;
        const qsizetype start = utf8.offsets[std::size_t(from)];
        const QStringView surface =
            line.sliced(start, utf8.offsets[std::size_t(from + node->length)] - start);
        const std::optional<QString> reading = Field(node->feature, kReadingField);
        if (!reading || *reading == u"*")
            continue;
        const std::optional<Readings> aligned = AlignReading(surface, *reading);
        if (!aligned)
            continue;
        // Each word's kanji take its own reading, also where the next word's
        // follow without a gap (時々《ときどき》君《きみ》): each is timed and
        // shown over its own kanji.
        for (Reading word : *aligned) {
            word.start += start;
            readings.append(std::move(word));
        }
    }
    Correct(line, readings);
    return readings;
}

} // namespace verselet

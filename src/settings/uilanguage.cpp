#include "settings/uilanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <optional>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// The translation the build embeds (translations/verselet_en.ts).
const QString kEnglishTranslation = u":/i18n/verselet_en.qm"_s;

UiLanguage g_language = UiLanguage::Japanese;

QTranslator& englishTranslator()
{
    static QTranslator translator;
    return translator;
}

// Qt's own texts (the file dialog's buttons, OK and Cancel, the question
// before a file is replaced) in Japanese, from Qt's translations when they
// are installed; without them they stay Qt's English.
QTranslator& qtJapaneseTranslator()
{
    static QTranslator translator;
    return translator;
}

bool isNoLocale(const QString& name)
{
    // Qt names the C locale "C"; "POSIX" and a C locale with a character set
    // ("C.UTF-8") are the same thing.
    return name.isEmpty() || name == u"c"_s || name == u"posix"_s || name.startsWith(u"c."_s) ||
           name.endsWith(u"-u-va-posix"_s);
}

// The language a locale name names, by its language part alone: "ja",
// "ja_JP.UTF-8", "ja-Jpan-JP" and "JA@x" are all Japanese.
std::optional<UiLanguage> languageNamed(const QString& name)
{
    const QString lower = name.trimmed().toLower();
    qsizetype end = 0;
    while (end < lower.size() && lower.at(end).isLetter())
        ++end;
    const QStringView language = QStringView(lower).left(end);
    if (language == u"ja")
        return UiLanguage::Japanese;
    if (language == u"en")
        return UiLanguage::English;
    return std::nullopt;
}

// The first of `names` that the program speaks.
std::optional<UiLanguage> firstSpoken(const QStringList& names)
{
    for (const QString& name : names) {
        if (const auto language = languageNamed(name))
            return language;
    }
    return std::nullopt;
}

} // namespace

UiLanguage ChooseUiLanguage(const QStringList& uiLanguages, const QString& forced)
{
    if (const auto chosen = firstSpoken(forced.split(u':')))
        return *chosen;
    if (uiLanguages.isEmpty() || isNoLocale(uiLanguages.constFirst().toLower()))
        return UiLanguage::Japanese;
    return firstSpoken(uiLanguages).value_or(UiLanguage::English);
}

UiLanguage SystemUiLanguage()
{
    return ChooseUiLanguage(QLocale::system().uiLanguages(), qEnvironmentVariable("VERSELET_LANG"));
}

void SetUiLanguage(UiLanguage language)
{
    QTranslator& english = englishTranslator();
    QTranslator& qtJapanese = qtJapaneseTranslator();
    if (language == UiLanguage::English) {
        QCoreApplication::removeTranslator(&qtJapanese);
        if (english.isEmpty() && !english.load(kEnglishTranslation))
            qWarning("The English translation %s is missing", qUtf8Printable(kEnglishTranslation));
        QCoreApplication::installTranslator(&english);
    } else {
        QCoreApplication::removeTranslator(&english);
        if (qtJapanese.isEmpty())
            (void)qtJapanese.load(u"qtbase_ja"_s,
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        if (!qtJapanese.isEmpty())
            QCoreApplication::installTranslator(&qtJapanese);
    }
    g_language = language;
}

UiLanguage CurrentUiLanguage()
{
    return g_language;
}

} // namespace verselet

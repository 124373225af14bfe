#include "settings/uilanguage.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

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

bool isNoLocale(const QString& name)
{
    // Qt names the C locale "C"; "POSIX" and a C locale with a character set
    // ("C.UTF-8") are the same thing.
    return name.isEmpty() || name == u"c"_s || name == u"posix"_s || name.startsWith(u"c."_s) ||
           name.endsWith(u"-u-va-posix"_s);
}

} // namespace

UiLanguage ChooseUiLanguage(const QStringList& uiLanguages, const QString& forced)
{
    const QString chosen = forced.trimmed().toLower();
    if (chosen == u"ja"_s)
        return UiLanguage::Japanese;
    if (chosen == u"en"_s)
        return UiLanguage::English;
    const QString first = uiLanguages.isEmpty() ? QString() : uiLanguages.constFirst().toLower();
    if (isNoLocale(first) || first == u"ja"_s || first.startsWith(u"ja-"_s) ||
        first.startsWith(u"ja_"_s))
        return UiLanguage::Japanese;
    return UiLanguage::English;
}

UiLanguage SystemUiLanguage()
{
    return ChooseUiLanguage(QLocale::system().uiLanguages(), qEnvironmentVariable("VERSELET_LANG"));
}

void SetUiLanguage(UiLanguage language)
{
    QTranslator& english = englishTranslator();
    if (language == UiLanguage::English) {
        if (english.isEmpty() && !english.load(kEnglishTranslation))
            qWarning("The English translation %s is missing", qUtf8Printable(kEnglishTranslation));
        QCoreApplication::installTranslator(&english);
    } else {
        QCoreApplication::removeTranslator(&english);
    }
    g_language = language;
}

UiLanguage CurrentUiLanguage()
{
    return g_language;
}

} // namespace verselet

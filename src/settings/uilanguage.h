#pragma once

// The language of the windows. Japanese is the language the program is
// written in; English is a translation of every text a user reads, installed
// at start. Only what is shown changes: every file the program writes has
// the same bytes in either language.

#include <QString>
#include <QStringList>

namespace verselet {

enum class UiLanguage
{
    Japanese,
    English
};

// Each name counts by its language part ("ja_JP.UTF-8" is Japanese, "en-GB"
// English). `forced` is VERSELET_LANG, one name or a list like LANGUAGE's
// ("fr:ja"): the first Japanese or English name in it decides. Otherwise the
// user's interface languages (QLocale::uiLanguages(), in the order LANGUAGE
// lists them) do: Japanese for a machine with no locale (C, POSIX, or none
// at all), else the first Japanese or English one listed, else English.
UiLanguage ChooseUiLanguage(const QStringList& uiLanguages, const QString& forced);
// The same for this process: VERSELET_LANG and QLocale::system().
UiLanguage SystemUiLanguage();

// Installs the English translation, or takes it away and installs Qt's own
// Japanese one (qtbase_ja.qm among Qt's translations) where it is found.
// Texts made after the call are in `language`; windows already open keep
// theirs.
void SetUiLanguage(UiLanguage language);
// Japanese until SetUiLanguage says otherwise.
UiLanguage CurrentUiLanguage();

} // namespace verselet

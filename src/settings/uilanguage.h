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

// `forced` is VERSELET_LANG: "ja" or "en" decides. Otherwise the first of the
// user's interface languages (QLocale::uiLanguages()) does: Japanese for a
// Japanese desktop and for a machine with no locale (C, POSIX, or none at
// all), English for every other language.
UiLanguage ChooseUiLanguage(const QStringList& uiLanguages, const QString& forced);
// The same for this process: VERSELET_LANG and QLocale::system().
UiLanguage SystemUiLanguage();

// Installs the English translation or takes it away. Texts made after the
// call are in `language`; windows already open keep theirs.
void SetUiLanguage(UiLanguage language);
// Japanese until SetUiLanguage says otherwise.
UiLanguage CurrentUiLanguage();

} // namespace verselet

#pragma once

// The desktop's way of opening a document, for tests: every URL handed to it
// is kept, and it answers as told.

#include "help/helplauncher.h"

#include <QList>
#include <QUrl>

struct FakeDesktop
{
    bool answer = true;
    QList<QUrl> opened;

    verselet::UrlLauncher launcher()
    {
        return [this](const QUrl& url) {
            opened.append(url);
            return answer;
        };
    }
};

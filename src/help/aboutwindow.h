#pragma once

#include "help/helplauncher.h"

#include <QDialog>

class QLabel;

namespace verselet {

// The About window ("Form7"): the program's name and version, and a link to
// the help document that opens it as the help menu does. It has no buttons;
// the user closes it with its frame (or Escape).
class AboutWindow final : public QDialog
{
    Q_OBJECT

public:
    // Centred on `owner` when shown. The link opens the document through
    // `launch` (the desktop's when empty).
    explicit AboutWindow(QWidget* owner, UrlLauncher launch = {});

private:
    QLabel* m_versionLabel = nullptr; // "Label1" "Verselet Ver 1.03"
    QLabel* m_helpLink = nullptr;     // "Hyperlink1" the help document

    void onHelpLinkClicked(const QString& link);

    UrlLauncher m_launch;
};

} // namespace verselet

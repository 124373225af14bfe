#include "help/aboutwindow.h"

#include "settings/datafiles.h"
#include "widgets/widgetstyle.h"

#include <QLabel>
#include <QUrl>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

constexpr int kClientWidth = 311;
constexpr int kClientHeight = 80;

} // namespace

AboutWindow::AboutWindow(QWidget* owner, UrlLauncher launch)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      m_launch(std::move(launch))
{
    setObjectName(u"Form7"_s);
    setWindowTitle(tr("ﾊﾞｰｼﾞｮﾝ情報"));
    // A fixed border; QDialog centres the window on its owner when it is shown.
    setFixedSize(kClientWidth, kClientHeight);

    m_versionLabel = new QLabel(u"Verselet Ver 1.03"_s, this);
    m_versionLabel->setObjectName(u"Label1"_s);
    m_versionLabel->setFont(GothicFont(15.75));
    // Centred across, from the top down: the link sits in the lower half of
    // the same area.
    m_versionLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_versionLabel->setGeometry(0, 16, 313, 57);

    const QUrl help = QUrl::fromLocalFile(HelpFilePath());
    m_helpLink = new QLabel(this);
    m_helpLink->setObjectName(u"Hyperlink1"_s);
    QFont linkFont = GothicFont(9.75);
    linkFont.setUnderline(true);
    m_helpLink->setFont(linkFont);
    QPalette red = m_helpLink->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    red.setColor(QPalette::Link, QColor(255, 0, 0));
    red.setColor(QPalette::LinkVisited, QColor(255, 0, 0));
    m_helpLink->setPalette(red);
    m_helpLink->setTextFormat(Qt::RichText);
    m_helpLink->setText(
        u"<a href=\"%1\" style=\"color:#ff0000; text-decoration:underline;\">%2</a>"_s.arg(
            help.toString(QUrl::FullyEncoded).toHtmlEscaped(),
            tr("Verseletヘルプ").toHtmlEscaped()));
    m_helpLink->setToolTip(help.toString(QUrl::PreferLocalFile));
    m_helpLink->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_helpLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    m_helpLink->setOpenExternalLinks(false);
    m_helpLink->setCursor(Qt::PointingHandCursor);
    m_helpLink->setGeometry(8, 48, 305, 33);
    connect(m_helpLink, &QLabel::linkActivated, this, &AboutWindow::onHelpLinkClicked);
}

void AboutWindow::onHelpLinkClicked(const QString& link)
{
    OpenHelpFile(this, QUrl(link).toLocalFile(), m_launch);
}

} // namespace verselet

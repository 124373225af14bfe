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
    setWindowTitle(u"ﾊﾞｰｼﾞｮﾝ情報"_s);
    // A fixed border; QDialog centres the window on its owner when it is shown.
    setFixedSize(kClientWidth, kClientHeight);

    Label1 = new QLabel(u"Verselet Ver 1.03"_s, this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setFont(GothicFont(15.75));
    // Centred across, from the top down: the link sits in the lower half of
    // the same area.
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setGeometry(0, 16, 313, 57);

    const QUrl help = QUrl::fromLocalFile(HelpFilePath());
    Hyperlink1 = new QLabel(this);
    Hyperlink1->setObjectName(u"Hyperlink1"_s);
    QFont linkFont = GothicFont(9.75);
    linkFont.setUnderline(true);
    Hyperlink1->setFont(linkFont);
    QPalette red = Hyperlink1->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    red.setColor(QPalette::Link, QColor(255, 0, 0));
    red.setColor(QPalette::LinkVisited, QColor(255, 0, 0));
    Hyperlink1->setPalette(red);
    Hyperlink1->setTextFormat(Qt::RichText);
    Hyperlink1->setText(
        u"<a href=\"%1\" style=\"color:#ff0000; text-decoration:underline;\">"
        "Verseletヘルプ</a>"_s.arg(help.toString(QUrl::FullyEncoded).toHtmlEscaped()));
    Hyperlink1->setToolTip(help.toString(QUrl::PreferLocalFile));
    Hyperlink1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Hyperlink1->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    Hyperlink1->setOpenExternalLinks(false);
    Hyperlink1->setCursor(Qt::PointingHandCursor);
    Hyperlink1->setGeometry(8, 48, 305, 33);
    connect(Hyperlink1, &QLabel::linkActivated, this, &AboutWindow::Hyperlink1_Click);
}

void AboutWindow::Hyperlink1_Click(const QString& link)
{
    OpenHelpFile(this, QUrl(link).toLocalFile(), m_launch);
}

} // namespace verselet

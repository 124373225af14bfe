#include "app/encodingquestion.h"

#include "widgets/messages.h"
#include "widgets/widgetstyle.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

constexpr int kPreviewLines = 8;
// Enough of a lyrics text for its first lines.
constexpr qsizetype kPreviewBytes = 64 * 1024;

} // namespace

EncodingQuestion::EncodingQuestion(const QString& path, const QByteArray& bytes, TextEncoding read,
                                   ReadingDoubt doubt, QWidget* parent)
    : QDialog(parent), m_bytes(bytes.first(qMin(bytes.size(), kPreviewBytes))),
      m_encodings(new QComboBox(this)), m_preview(new QPlainTextEdit(this))
{
    setObjectName(u"EncodingQuestion"_s);
    setWindowTitle(u"Verselet"_s);
    auto* problem =
        new QLabel(ReadingDoubtText(path, doubt, read).replace(u"\r\n"_s, u"\n"_s), this);
    problem->setObjectName(u"Problem"_s);
    problem->setWordWrap(true);

    auto* caption = new QLabel(tr("文字コード(&E):"), this);
    caption->setObjectName(u"EncodingCaption"_s);
    caption->setBuddy(m_encodings);
    m_encodings->setObjectName(u"Encoding"_s);
    for (const TextEncoding encoding : kChoosableEncodings)
        m_encodings->addItem(TextEncodingName(encoding), int(encoding));
    m_encodings->setCurrentIndex(m_encodings->findData(int(read)));
    connect(m_encodings, &QComboBox::currentIndexChanged, this, &EncodingQuestion::showPreview);

    m_preview->setObjectName(u"Preview"_s);
    m_preview->setReadOnly(true);
    m_preview->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_preview->setFont(TerminalFont());

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* open = buttons->addButton(tr("開く"), QDialogButtonBox::AcceptRole);
    open->setObjectName(u"Open"_s);
    open->setDefault(true);
    buttons->addButton(tr("キャンセル"), QDialogButtonBox::RejectRole)->setObjectName(u"Cancel"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* choice = new QHBoxLayout;
    choice->addWidget(caption);
    choice->addWidget(m_encodings, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(problem);
    layout->addLayout(choice);
    layout->addWidget(m_preview);
    layout->addWidget(buttons);
    resize(TwipsRect(0, 0, 7800, 4800).size());
    showPreview();
}

TextEncoding EncodingQuestion::encoding() const
{
    return TextEncoding(m_encodings->currentData().toInt());
}

void EncodingQuestion::showPreview()
{
    const QString text = DecodeUserTextAs(m_bytes, encoding()).text;
    m_preview->setPlainText(SplitWorkLines(text).mid(0, kPreviewLines).join(u'\n'));
}

std::optional<TextEncoding> EncodingQuestion::ask(QWidget* parent, const QString& path,
                                                  TextEncoding read, ReadingDoubt doubt)
{
    const auto bytes = ReadUserFileBytes(path);
    if (!bytes)
        return read;
    EncodingQuestion question(path, bytes.value(), read, doubt, parent);
    if (question.exec() != QDialog::Accepted)
        return std::nullopt;
    return question.encoding();
}

} // namespace verselet

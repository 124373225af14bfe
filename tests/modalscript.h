#pragma once

// Drives the modal windows a command opens, offscreen: a timer polls for the
// active modal widget and hands it to the next step of the script.
//
// A step that starts something which opens a modal window of its own (a
// button of a dialog, a file dialog's accept that may ask before replacing a
// file) posts that action instead of running it inside the poll: Qt does not
// fire a timer again while its own timeout is still running, so a modal
// window opened from within the poll would never be answered.

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>

namespace testmodal {

// Chooses a path in a file dialog that is up, and accepts it (posted, so that
// a question the dialog asks then is answered by the next step). selectFile
// leaves the name box alone while it has the focus, as it has once the dialog
// is up: the name is typed in as well.
inline void chooseIn(QFileDialog* dialog, const QString& path)
{
    dialog->selectFile(path);
    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(QFileInfo(path).fileName());
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
}

struct Message
{
    QString text;
    QString title;
    int buttons = 0;
    QString defaultButton; // its text, "" for none
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString owner; // the objectName of the window it stood over
};

// Answers the modal windows a command opens, one handler for each, in order.
// A modal window nobody expected is rejected, so a test never hangs on it, and
// counted.
class ModalScript final
{
public:
    ModalScript()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }

    void then(std::function<void(QWidget*)> handler) { m_handlers.push_back(std::move(handler)); }

    // A message box: its text, caption and buttons are kept, the button is
    // pressed.
    void thenAnswer(QMessageBox::StandardButton button)
    {
        then([this, button](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->button(button)) {
                ++unexpected;
                if (auto* dialog = qobject_cast<QDialog*>(w))
                    dialog->reject();
                return;
            }
            const QWidget* owner = box->parentWidget();
            messages.append({box->text(), box->windowTitle(), int(box->buttons().size()),
                             box->defaultButton() ? box->defaultButton()->text() : QString(),
                             box->icon(), owner ? owner->window()->objectName() : QString()});
            box->button(button)->click();
        });
    }

    void thenMessage() { thenAnswer(QMessageBox::Ok); }

    // A file dialog: what it shows is kept, then the path is chosen.
    // With `nameFilter`, that filter is chosen first.
    void thenChoose(const QString& path, const QString& nameFilter = {})
    {
        then([this, path, nameFilter](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (!dialog) {
                ++unexpected;
                if (auto* other = qobject_cast<QDialog*>(w))
                    other->reject();
                return;
            }
            noteFileDialog(dialog);
            if (!nameFilter.isEmpty())
                dialog->selectNameFilter(nameFilter);
            chooseIn(dialog, path);
        });
    }

    // A dialog's button, found by its objectName, is clicked.
    void thenClick(const QString& buttonName)
    {
        then([this, buttonName](QWidget* w) {
            auto* button = w->findChild<QPushButton*>(buttonName);
            if (!button) {
                ++unexpected;
                if (auto* dialog = qobject_cast<QDialog*>(w))
                    dialog->reject();
                return;
            }
            QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
        });
    }

    // The window is closed as by its frame.
    void thenClose()
    {
        then([](QWidget* w) {
            QMetaObject::invokeMethod(w, &QWidget::close, Qt::QueuedConnection);
        });
    }

    // A dialog is cancelled; a file dialog's state is noted first.
    void thenCancel()
    {
        then([this](QWidget* w) {
            if (auto* files = qobject_cast<QFileDialog*>(w))
                noteFileDialog(files);
            if (auto* dialog = qobject_cast<QDialog*>(w))
                dialog->reject();
        });
    }

    bool done() const { return m_handlers.empty(); }

    QList<Message> messages;
    QStringList dialogFilters;
    QStringList dialogSelection;
    QString dialogNameShown;
    QString dialogDirectory;
    QFileDialog::AcceptMode dialogAcceptMode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode dialogFileMode = QFileDialog::ExistingFile;
    bool dialogNative = true;
    int unexpected = 0;
    // The objectName of every modal window handed to a step, in order.
    QStringList seen;

private:
    void noteFileDialog(QFileDialog* dialog)
    {
        dialogFilters = dialog->nameFilters();
        dialogNative = !dialog->testOption(QFileDialog::DontUseNativeDialog);
        dialogSelection = dialog->selectedFiles();
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            dialogNameShown = edit->text();
        dialogDirectory = dialog->directory().absolutePath();
        dialogAcceptMode = dialog->acceptMode();
        dialogFileMode = dialog->fileMode();
    }

    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            m_candidate = nullptr;
            return;
        }
        // The window handed over last waits for the action its step posted,
        // unless it has been hidden since (then it was opened again).
        if (modal == m_handled && !m_handledLeft)
            return;
        // A window is handed over once it has been on top for two polls
        // running: when a dialog closes, the one beneath it is on top for a
        // moment, while the code that ran the closed one may be about to close
        // it as well.
        if (modal != m_candidate) {
            m_candidate = modal;
            return;
        }
        m_candidate = nullptr;
        if (m_handled)
            m_handled->removeEventFilter(&m_hideWatch);
        m_handled = modal;
        m_handledLeft = false;
        m_handled->installEventFilter(&m_hideWatch);
        seen.append(modal->objectName());
        if (m_handlers.empty()) {
            ++unexpected;
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            return;
        }
        auto handler = std::move(m_handlers.front());
        m_handlers.pop_front();
        handler(modal);
    }

    // Notes when the window handed over last hides, so that it is handed over
    // again the next time it is shown (the main window's file dialog is one
    // object, opened again and again).
    class HideWatch final : public QObject
    {
    public:
        explicit HideWatch(bool& left) : m_left(left) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Hide)
                m_left = true;
            return false;
        }

    private:
        bool& m_left;
    };

    QTimer m_timer;
    QPointer<QWidget> m_handled;
    QPointer<QWidget> m_candidate;
    bool m_handledLeft = false;
    HideWatch m_hideWatch{m_handledLeft};
    std::deque<std::function<void(QWidget*)>> m_handlers;
};

} // namespace testmodal

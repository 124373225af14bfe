#include "cd/drivechoice.h"

#include "cd/drivedialog.h"
#include "settings/drivelist.h"

namespace verselet {

DriveChoice::DriveChoice(QWidget* window) : QObject(window), m_window(window) {}

DriveDialog* DriveChoice::dialog()
{
    // A dialog closed without OK is on its way out; the next use is a new one.
    if (!m_dialog || m_dialog->isUnloaded()) {
        m_dialog = new DriveDialog(m_window);
        connect(m_dialog, &DriveDialog::driveChosen, this,
                [this](const QString& name) { m_chosen = name; });
        connect(m_dialog, &DriveDialog::unloaded, this, [this] { m_chosen.reset(); });
    }
    return m_dialog;
}

QString DriveChoice::chosenDriveName()
{
    // The choice made with OK holds for the run even when config.dat could
    // not be written; until then, and again once the dialog has been closed
    // without OK, it is what config.dat says.
    if (!m_chosen)
        m_chosen = ChosenDriveName();
    return *m_chosen;
}

} // namespace verselet

#pragma once

// The drive the device plays from: the choice made in the drive dialog with
// OK, or what config.dat says. It also keeps the drive dialog, made (and so
// filled from config.dat) when there is none.

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QWidget;

namespace verselet {

class DriveDialog;

class DriveChoice final : public QObject
{
public:
    explicit DriveChoice(QWidget* window);

    // The drive dialog over the window, without showing it.
    DriveDialog* dialog();
    QString chosenDriveName();

private:
    QWidget* m_window;
    QPointer<DriveDialog> m_dialog;
    std::optional<QString> m_chosen;
};

} // namespace verselet

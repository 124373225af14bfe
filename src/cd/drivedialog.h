#pragma once

#include "audio/audiooutput.h"

#include <QDialog>

class QComboBox;
class QFileDialog;
class QLabel;
class QPushButton;

namespace verselet {

// The drive dialog ("Form8"): which drive or disc the CD-audio device plays
// from. The choice is kept in config.dat as a position in the list. The list is
// built anew, and the saved choice read again, whenever the dialog is created
// and whenever it is shown. OK saves the choice and hides the dialog, which
// keeps it; closing it any other way saves nothing and ends the dialog, so the
// next use builds it again from the file. "タイミング補正..." opens the
// calibration window over it.
class DriveDialog final : public QDialog
{
    Q_OBJECT

public:
    // The calibration window plays on the system's audio output.
    explicit DriveDialog(QWidget* parent = nullptr);
    // ...or on an output made by `outputs`.
    explicit DriveDialog(AudioOutputFactory outputs, QWidget* parent = nullptr);

    // The name the device opens for the selected entry (the demo disc's
    // path, though the list shows it by name); "" when nothing is selected.
    QString selectedDriveName() const;

    // True once the dialog was closed without OK; it is deleted soon after and
    // must not be used again.
    bool isUnloaded() const { return m_unloaded; }

    void FillDriveList();
    void ReadDriveConfig();
    void WriteDriveConfig();

    void Form_Load();
    void Form_Activate();
    void onOkClicked();
    // Lets the user pick a disc to add: a cue sheet, a TOC or NRG image, or any
    // audio file of a folder, which stands for that folder.
    void onAddDiscClicked();
    // Adds a disc to discs.txt and to the list, just before the demo disc, and
    // selects it. False, with the list unchanged, when discs.txt cannot be
    // written.
    bool addDisc(const QString& path);
    // Opens the calibration window, modal, and waits for it to close.
    void onCalibrateClicked();

    // The file dialog of m_addDiscButton, created on first use.
    QFileDialog* discDialog();

Q_SIGNALS:
    // OK: the name of the entry chosen.
    void driveChosen(const QString& name);
    // Closed without OK: the dialog goes, and with it the choice it held.
    void unloaded();

public Q_SLOTS:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_prompt = nullptr;               // "Label1"
    QComboBox* m_driveBox = nullptr;          // "Combo1"
    QPushButton* m_okButton = nullptr;        // "Command1"
    QPushButton* m_addDiscButton = nullptr;   // "Command2"
    QPushButton* m_calibrateButton = nullptr; // "Calibrate"

    AudioOutputFactory m_outputs;
    QFileDialog* m_discDialog = nullptr;
    bool m_unloaded = false;
};

} // namespace verselet

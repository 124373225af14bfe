#include "cd/drivedialog.h"

#include "audiosink/sinkoutput.h"
#include "cd/calibrationwindow.h"
#include "settings/driveconfig.h"
#include "settings/drivelist.h"
#include "widgets/messages.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// Three rows: the prompt, the list, the buttons. Wide enough to read a path,
// and to hold "追加...", "タイミング補正..." and OK in one row.
constexpr int kClientWidth = 480;
constexpr int kClientHeight = 88;
constexpr int kMargin = 8;

bool isDiscImage(const QFileInfo& info)
{
    const QString suffix = info.suffix().toLower();
    return suffix == u"cue"_s || suffix == u"toc"_s || suffix == u"nrg"_s;
}

} // namespace

DriveDialog::DriveDialog(QWidget* parent) : DriveDialog(SystemAudioOutputs(), parent) {}

DriveDialog::DriveDialog(AudioOutputFactory outputs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_outputs(std::move(outputs))
{
    setObjectName(u"Form8"_s);
    setWindowTitle(tr("設定"));
    setFixedSize(kClientWidth, kClientHeight);

    m_prompt = new QLabel(tr("CD-ROMドライブを選択してください"), this);
    m_prompt->setObjectName(u"Label1"_s);
    m_prompt->setAlignment(Qt::AlignCenter);
    m_prompt->setGeometry(kMargin, 8, kClientWidth - 2 * kMargin, 25);

    m_driveBox = new QComboBox(this);
    m_driveBox->setObjectName(u"Combo1"_s);
    m_driveBox->setEditable(false);
    m_driveBox->setGeometry(kMargin, 32, kClientWidth - 2 * kMargin,
                            m_driveBox->sizeHint().height());
    // A path longer than the box is cut off there; the tip and the open list
    // show it whole.
    connect(m_driveBox, &QComboBox::currentTextChanged, m_driveBox, &QComboBox::setToolTip);

    m_addDiscButton = new QPushButton(tr("追加..."), this);
    m_addDiscButton->setObjectName(u"Command2"_s);
    m_addDiscButton->setAutoDefault(false);
    m_addDiscButton->setGeometry(kMargin, 56, 73, 25);
    connect(m_addDiscButton, &QPushButton::clicked, this, &DriveDialog::onAddDiscClicked);

    m_calibrateButton = new QPushButton(tr("タイミング補正..."), this);
    m_calibrateButton->setObjectName(u"Calibrate"_s);
    m_calibrateButton->setAutoDefault(false);
    m_calibrateButton->setGeometry(87, 56, 121, 25);
    connect(m_calibrateButton, &QPushButton::clicked, this, &DriveDialog::onCalibrateClicked);

    m_okButton = new QPushButton(u"OK"_s, this);
    m_okButton->setObjectName(u"Command1"_s);
    m_okButton->setDefault(true);
    m_okButton->setGeometry(kClientWidth - kMargin - 57, 56, 57, 25);
    connect(m_okButton, &QPushButton::clicked, this, &DriveDialog::onOkClicked);

    Form_Load();
}

QString DriveDialog::selectedDriveName() const
{
    return m_driveBox->currentData().toString();
}

void DriveDialog::Form_Load()
{
    FillDriveList();
}

void DriveDialog::Form_Activate()
{
    FillDriveList();
}

void DriveDialog::FillDriveList()
{
    m_driveBox->clear();
    // Each entry keeps the name the device opens; the demo disc shows a name
    // of its own instead of where the program happens to be.
    const QString demo = DemoDiscPath();
    for (const QString& entry : DriveListEntries())
        m_driveBox->addItem(entry == demo ? tr("デモディスク") : entry, entry);
    m_driveBox->view()->setMinimumWidth(m_driveBox->view()->sizeHintForColumn(0));
    ReadDriveConfig();
}

void DriveDialog::ReadDriveConfig()
{
    m_driveBox->setCurrentIndex(verselet::ReadDriveConfig(m_driveBox->count()));
}

void DriveDialog::WriteDriveConfig()
{
    // A failure is not reported: the choice still holds for this run.
    verselet::WriteDriveConfig(qint16(m_driveBox->currentIndex()));
}

void DriveDialog::onOkClicked()
{
    WriteDriveConfig();
    Q_EMIT driveChosen(selectedDriveName());
    accept();
}

QFileDialog* DriveDialog::discDialog()
{
    if (!m_discDialog) {
        m_discDialog = new QFileDialog(this);
        m_discDialog->setObjectName(u"DiscDialog"_s);
        m_discDialog->setOption(QFileDialog::DontUseNativeDialog);
        m_discDialog->setAcceptMode(QFileDialog::AcceptOpen);
        m_discDialog->setFileMode(QFileDialog::ExistingFile);
        // Every kind together first, so that whatever the user keeps is seen
        // without choosing a filter.
        m_discDialog->setNameFilters(
            {tr("ディスクと音声ファイル (*.cue *.toc *.nrg *.wav *.flac *.ogg *.oga *.opus *.mp3 "
                "*.aif *.aiff)"),
             tr("ディスク (*.cue *.toc *.nrg)"),
             tr("音声ファイルのフォルダ (*.wav *.flac *.ogg *.oga *.opus *.mp3 *.aif *.aiff)"),
             tr("すべてのファイル (*)")});
    }
    return m_discDialog;
}

void DriveDialog::onAddDiscClicked()
{
    QFileDialog* dialog = discDialog();
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    const QFileInfo chosen(dialog->selectedFiles().constFirst());
    // An audio file stands for the folder it lies in: the folder is the disc.
    const QString disc =
        chosen.isDir() || isDiscImage(chosen) ? chosen.absoluteFilePath() : chosen.absolutePath();
    if (!addDisc(disc))
        ShowMessage(this, tr("ディスクを追加できませんでした\r\n%1").arg(VirtualDiscsPath()),
                    QMessageBox::Warning);
}

bool DriveDialog::addDisc(const QString& path)
{
    const int listed = m_driveBox->findData(path);
    if (listed >= 0) {
        m_driveBox->setCurrentIndex(listed);
        return true;
    }
    if (!AddVirtualDisc(path))
        return false;
    // The demo disc stays last.
    const int row = qMax(0, m_driveBox->count() - 1);
    m_driveBox->insertItem(row, path, path);
    m_driveBox->view()->setMinimumWidth(m_driveBox->view()->sizeHintForColumn(0));
    m_driveBox->setCurrentIndex(row);
    return true;
}

void DriveDialog::onCalibrateClicked()
{
    CalibrationWindow window(m_outputs, this);
    window.exec();
}

void DriveDialog::reject()
{
    // Closed without OK: nothing is saved and the dialog goes; the next use
    // builds it again from config.dat.
    m_unloaded = true;
    Q_EMIT unloaded();
    QDialog::reject();
    deleteLater();
}

void DriveDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Every showing is a new start from the file. Coming back from the file
    // dialog of "追加..." or from the calibration window is no showing: the
    // dialog never hid, and a choice made in the list before stays.
    if (!event->spontaneous())
        Form_Activate();
}

} // namespace verselet

#include "cd/drivedialog.h"

#include "cd/calibrationwindow.h"
#include "settings/driveconfig.h"
#include "settings/drivelist.h"
#include "audiosink/sinkoutput.h"
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

const QString kDiscFilter = u"ディスク (*.cue *.toc *.nrg)"_s;
const QString kFolderFilter =
    u"音声ファイルのフォルダ (*.wav *.flac *.ogg *.oga *.opus *.mp3 *.aif *.aiff)"_s;

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
    setWindowTitle(QString());
    setFixedSize(kClientWidth, kClientHeight);

    Label1 = new QLabel(u"CD-ROMドライブを選択してください"_s, this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(kMargin, 8, kClientWidth - 2 * kMargin, 25);

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(u"Combo1"_s);
    Combo1->setEditable(false);
    Combo1->setGeometry(kMargin, 32, kClientWidth - 2 * kMargin, Combo1->sizeHint().height());
    // A path longer than the box is cut off there; the tip and the open list
    // show it whole.
    connect(Combo1, &QComboBox::currentTextChanged, Combo1, &QComboBox::setToolTip);

    Command2 = new QPushButton(u"追加..."_s, this);
    Command2->setObjectName(u"Command2"_s);
    Command2->setAutoDefault(false);
    Command2->setGeometry(kMargin, 56, 73, 25);
    connect(Command2, &QPushButton::clicked, this, &DriveDialog::Command2_Click);

    Calibrate = new QPushButton(u"タイミング補正..."_s, this);
    Calibrate->setObjectName(u"Calibrate"_s);
    Calibrate->setAutoDefault(false);
    Calibrate->setGeometry(87, 56, 121, 25);
    connect(Calibrate, &QPushButton::clicked, this, &DriveDialog::Calibrate_Click);

    Command1 = new QPushButton(u"OK"_s, this);
    Command1->setObjectName(u"Command1"_s);
    Command1->setDefault(true);
    Command1->setGeometry(kClientWidth - kMargin - 57, 56, 57, 25);
    connect(Command1, &QPushButton::clicked, this, &DriveDialog::Command1_Click);

    Form_Load();
}

QString DriveDialog::selectedDriveName() const
{
    return Combo1->currentIndex() < 0 ? QString() : Combo1->currentText();
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
    Combo1->clear();
    Combo1->addItems(DriveListEntries());
    Combo1->view()->setMinimumWidth(Combo1->view()->sizeHintForColumn(0));
    ReadDriveConfig();
}

void DriveDialog::ReadDriveConfig()
{
    Combo1->setCurrentIndex(verselet::ReadDriveConfig(Combo1->count()));
}

void DriveDialog::WriteDriveConfig()
{
    // A failure is not reported: the choice still holds for this run.
    verselet::WriteDriveConfig(qint16(Combo1->currentIndex()));
}

void DriveDialog::Command1_Click()
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
        m_discDialog->setNameFilters({kDiscFilter, kFolderFilter});
    }
    return m_discDialog;
}

void DriveDialog::Command2_Click()
{
    QFileDialog* dialog = discDialog();
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    const QFileInfo chosen(dialog->selectedFiles().constFirst());
    // An audio file stands for the folder it lies in: the folder is the disc.
    const QString disc =
        chosen.isDir() || isDiscImage(chosen) ? chosen.absoluteFilePath() : chosen.absolutePath();
    if (!addDisc(disc))
        ShowMessage(this, u"ディスクを追加できませんでした\r\n"_s + VirtualDiscsPath(),
                    QMessageBox::Warning);
}

bool DriveDialog::addDisc(const QString& path)
{
    const int listed = Combo1->findText(path, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (listed >= 0) {
        Combo1->setCurrentIndex(listed);
        return true;
    }
    if (!AddVirtualDisc(path))
        return false;
    // The demo disc stays last.
    const int row = qMax(0, Combo1->count() - 1);
    Combo1->insertItem(row, path);
    Combo1->view()->setMinimumWidth(Combo1->view()->sizeHintForColumn(0));
    Combo1->setCurrentIndex(row);
    return true;
}

void DriveDialog::Calibrate_Click()
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

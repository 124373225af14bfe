#include "session/timingrun.h"

namespace verselet {

using namespace Qt::StringLiterals;

TimingRun::TimingRun(std::unique_ptr<CdAudioDevice> device, const QString& driveName,
                     const QString& rememberedTrack, ReadingProposer* readings, QObject* parent)
    : QObject(parent), m_device(std::move(device)), m_transport(*m_device),
      m_lines(m_transport, readings), m_rememberedTrack(rememberedTrack)
{
    m_device->setFileName(driveName);
    connect(m_device.get(), &CdAudioDevice::opened, this, &TimingRun::discOpened,
            Qt::SingleShotConnection);
    m_device->setCommand(u"Open"_s);
}

TimingRun::~TimingRun() = default;

void TimingRun::discOpened()
{
    m_opening = false;
    m_hasTracks = m_transport.loadDisc(m_rememberedTrack);
    Q_EMIT discRead(m_hasTracks);
}

void TimingRun::relistTracks()
{
    // While the disc is first read, its listing is on the way already.
    if (m_opening || m_relisting)
        return;
    m_relisting = true;
    connect(
        m_device.get(), &CdAudioDevice::opened, this,
        [this] {
            m_relisting = false;
            m_hasTracks = m_transport.relistTracks(m_rememberedTrack);
            Q_EMIT tracksRelisted(m_hasTracks);
        },
        Qt::SingleShotConnection);
    m_device->lookAtTheMedium();
}

qint32 TimingRun::selectedTagTime() const
{
    const TimingSheet& sheet = m_lines.sheet();
    return sheet.selected() >= 0 ? qint32(sheet.row(sheet.selected()).tagMilliseconds()) : 0;
}

void TimingRun::play()
{
    m_lines.backToTop();
    m_transport.play();
}

void TimingRun::playFromSelectedLine()
{
    m_transport.playFrom(selectedTagTime());
}

void TimingRun::stop()
{
    m_transport.chooseTrack(m_transport.tracks().chosen);
}

void TimingRun::beginTest(bool fromBeginning)
{
    if (fromBeginning) {
        m_lines.backToTop();
        m_transport.beginTest(std::nullopt);
    } else {
        m_transport.beginTest(selectedTagTime());
    }
}

void TimingRun::finish()
{
    m_transport.halt();
    m_rememberedTrack = QString::number(m_transport.tracks().chosen);
}

} // namespace verselet

#include "session/timingrun.h"

namespace verselet {

using namespace Qt::StringLiterals;

TimingRun::TimingRun(std::unique_ptr<CdAudioDevice> device, const QString& driveName,
                     const QString& rememberedTrack, QObject* parent)
    : QObject(parent), m_device(std::move(device)),
      m_session(std::make_unique<TimingSession>(*m_device)), m_rememberedTrack(rememberedTrack)
{
    m_device->setFileName(driveName);
    connect(m_device.get(), &CdAudioDevice::opened, this, &TimingRun::discOpened,
            Qt::SingleShotConnection);
    m_device->setCommand(u"Open"_s);
}

TimingRun::~TimingRun()
{
    m_session.reset();
}

void TimingRun::discOpened()
{
    m_opening = false;
    m_hasTracks = m_session->loadDisc(m_rememberedTrack);
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
            m_hasTracks = m_session->relistTracks(m_rememberedTrack);
            Q_EMIT tracksRelisted(m_hasTracks);
        },
        Qt::SingleShotConnection);
    m_device->lookAtTheMedium();
}

void TimingRun::finish()
{
    m_rememberedTrack = m_session->finishRun();
}

} // namespace verselet

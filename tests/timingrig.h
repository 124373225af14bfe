#pragma once

// A timing window over a run of its own, made as a real-time input makes
// them: the run first, then the window that shows it; the window goes first.
// Used where a test held the window alone: `->`, get() and reset() are the
// window's.

#include "session/timingrun.h"
#include "timing/timingwindow.h"

#include <QList>
#include <QTimer>

#include <functional>
#include <memory>

class TimingRig final
{
public:
    TimingRig() = default;
    TimingRig(const TimingRig&) = delete;
    TimingRig& operator=(const TimingRig&) = delete;
    ~TimingRig() { reset(); }

    verselet::TimingWindow* open(std::unique_ptr<verselet::CdAudioDevice> device,
                                 const QString& driveName, const QString& rememberedTrack,
                                 QWidget* parent = nullptr)
    {
        reset();
        m_run =
            std::make_unique<verselet::TimingRun>(std::move(device), driveName, rememberedTrack);
        m_window = std::make_unique<verselet::TimingWindow>(*m_run, parent);
        return m_window.get();
    }
    void reset()
    {
        m_window.reset();
        m_run.reset();
    }
    verselet::TimingWindow* get() const { return m_window.get(); }
    verselet::TimingWindow* operator->() const { return m_window.get(); }

private:
    std::unique_ptr<verselet::TimingRun> m_run;
    std::unique_ptr<verselet::TimingWindow> m_window;
};

// Every row's exact time, row for row, as the tests compare them.
inline verselet::ExactTimes ExactTimesOf(const verselet::TimingRun& run)
{
    verselet::ExactTimes times;
    for (const verselet::TimingRow& row : run.lines().sheet().rows())
        times.append(row.exactTime());
    return times;
}

// Presses once the play position reaches each of `times` (ms into the track)
// in turn, then goes on with `then`: a busy machine makes the run longer, not
// the stamps later. The position is looked at every 2 ms, and each press
// follows its look at once.
inline void PressAtPlayTimes(verselet::TimingWindow* window, QList<qint32> times,
                             std::function<void()> press, std::function<void()> then)
{
    auto* look = new QTimer(window);
    look->setInterval(2);
    QObject::connect(look, &QTimer::timeout, window, [=]() mutable {
        if (!times.isEmpty()) {
            if (window->run().transport().headPosition() < times.first())
                return;
            times.removeFirst();
            press();
            if (!times.isEmpty())
                return;
        }
        look->stop();
        look->deleteLater();
        then();
    });
    look->start();
}

#pragma once

#include <QAnimationDriver>
#include <QCoreApplication>
#include <QVariantAnimation>

#include <chrono>

// Drives every running animation of the program by a clock in the test's hands instead of the
// screen's refresh, so that a test looks at any frame of several animations at once, as they
// would all show it at that moment.
class ManualAnimationDriver : public QAnimationDriver
{
public:
    ManualAnimationDriver()
    {
        install();
        // Qt stops a driver while no animation runs and then lets the real time since then
        // into the first frame after it starts again: one animation runs for as long as this,
        // and a first frame takes in the time since the last driver's.
        m_keepRunning.setStartValue(0.0);
        m_keepRunning.setEndValue(1.0);
        m_keepRunning.setLoopCount(-1);
        m_keepRunning.start();
        advance(std::chrono::milliseconds(0));
    }
    ~ManualAnimationDriver() override
    {
        m_keepRunning.stop();
        uninstall();
    }
    ManualAnimationDriver(const ManualAnimationDriver&) = delete;
    ManualAnimationDriver& operator=(const ManualAnimationDriver&) = delete;

    // Moves every animation started so far on by `step`, those started since the last step
    // from their first frame.
    void advance(std::chrono::milliseconds step)
    {
        joinStartedAnimations();
        m_elapsed += step.count();
        QAnimationDriver::advance();
    }

    qint64 elapsed() const override { return m_elapsed; }

private:
    // An animation joins the driver over two turns of the event loop after it starts.
    static void joinStartedAnimations()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    qint64 m_elapsed = 0;
    QVariantAnimation m_keepRunning;
};

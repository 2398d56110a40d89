#pragma once

#include <QObject>

#include <functional>

class QKeyEvent;
class QWindow;

// Sees every key press of this application before any widget does, for as long as it
// exists. The handler is told which window the key went to and returns true when it handled
// the key: the event then goes no further.
class LocalKeyMonitor : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<bool(QWindow* window, QKeyEvent* event)>;

    explicit LocalKeyMonitor(Handler handler, QObject* parent = nullptr);
    ~LocalKeyMonitor() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler m_handler;
};

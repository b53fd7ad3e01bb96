#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a call on the GUI thread, so that the end of
// the desktop session or a service manager's stop runs the orderly shutdown.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace UI {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    QSocketNotifier* notifier_ = nullptr;
    std::function<void()> onSignal_;
};

}  // namespace UI

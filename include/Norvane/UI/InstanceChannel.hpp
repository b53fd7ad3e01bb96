#pragma once
// How other instances reach the running one: a local socket named after the main
// window class in the runtime directory. It takes one command per line:
//   "activate"  the tray double-click (the running instance comes forward); answered "ok"
//   "close"     the orderly shutdown; answered "closed" only after the running instance
//               has shut down and released the single-instance lock

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

namespace UI {

inline constexpr const char* InstanceChannelName = "OsmarkNorvane4MainFrame";

/// The full socket path of the channel.
QString InstanceChannelPath();

class InstanceChannelServer : public QObject {
    Q_OBJECT
public:
    /// `activate` and `close` run on the GUI thread; `close` returns once the shutdown is complete.
    InstanceChannelServer(std::function<void()> activate, std::function<void()> close, QObject* parent = nullptr);
    ~InstanceChannelServer() override;

    /// Starts listening. Call only while holding the single-instance lock: a socket file
    /// left behind by a dead instance is removed first.
    bool Listen();
    void StopListening();

private:
    void onConnection();
    void onReadable(QLocalSocket* socket);

    QLocalServer* server_;
    std::function<void()> activate_;
    std::function<void()> close_;
};

/// Client side, for the other instances. Each call connects, sends one command and
/// waits at most `timeoutMs` for the answer. False when no instance answered.
namespace InstanceChannel {
bool Activate(int timeoutMs = 5000);
bool Close(int timeoutMs);
/// True when an instance is listening.
bool Reachable(int timeoutMs = 1000);
}  // namespace InstanceChannel

}  // namespace UI

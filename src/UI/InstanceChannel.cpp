#include "Norvane/UI/InstanceChannel.hpp"

#include "System/System.hpp"

#include <QLocalServer>
#include <QLocalSocket>

namespace UI {

QString InstanceChannelPath()
{
    return QString::fromStdWString(System::RuntimeDirectory()) + QLatin1String(InstanceChannelName);
}

InstanceChannelServer::InstanceChannelServer(std::function<void()> activate, std::function<void()> close,
                                             QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)), activate_(std::move(activate)), close_(std::move(close))
{
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &InstanceChannelServer::onConnection);
}

InstanceChannelServer::~InstanceChannelServer() { StopListening(); }

bool InstanceChannelServer::Listen()
{
    const QString path = InstanceChannelPath();
    QLocalServer::removeServer(path);
    return server_->listen(path);
}

void InstanceChannelServer::StopListening()
{
    if (server_->isListening()) server_->close();
}

void InstanceChannelServer::onConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadable(socket); });
    }
}

void InstanceChannelServer::onReadable(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        const QByteArray command = socket->readLine().trimmed();
        if (command == "activate") {
            socket->write("ok\n");
            socket->flush();
            activate_();
        } else if (command == "close") {
            close_();
            socket->write("closed\n");
            socket->waitForBytesWritten(1000);
            socket->disconnectFromServer();
            return;
        } else {
            socket->write("unknown\n");
        }
    }
    // A client that floods the channel without line ends is dropped.
    if (socket->bytesAvailable() > 256) socket->abort();
}

namespace InstanceChannel {

namespace {

bool send(const char* command, const char* answer, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(InstanceChannelPath());
    if (!socket.waitForConnected(std::min(timeoutMs, 2000))) return false;
    socket.write(command);
    socket.write("\n");
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    QByteArray received;
    while (!received.contains('\n')) {
        if (!socket.waitForReadyRead(timeoutMs)) return false;
        received += socket.readAll();
    }
    return received.trimmed() == answer;
}

}  // namespace

bool Activate(int timeoutMs) { return send("activate", "ok", timeoutMs); }
bool Close(int timeoutMs) { return send("close", "closed", timeoutMs); }

bool Reachable(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(InstanceChannelPath());
    return socket.waitForConnected(timeoutMs);
}

}  // namespace InstanceChannel

}  // namespace UI

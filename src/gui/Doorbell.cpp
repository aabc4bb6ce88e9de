#include "gui/Doorbell.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QWidget>
#include <unistd.h>

#include "platform/folderlock.h"

namespace varnok {

namespace {

constexpr char kRing[] = "raise\n";
constexpr char kAnswer[] = "raised\n";

void bringForward(QWidget *window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

Doorbell::Doorbell(QWidget *window, const std::string &lockFolder) : QObject(window), window_(window)
{
    const QString path = QString::fromStdString(doorbellPath(lockFolder, ::getpid()));
    if (path.isEmpty())
        return;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket of an earlier process of the same id, ended without tidying up.
    QLocalServer::removeServer(path);
    if (!server_->listen(path))
        return;
    connect(server_, &QLocalServer::newConnection, this, &Doorbell::answer);
}

void Doorbell::answer()
{
    while (QLocalSocket *socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QByteArray line = socket->readLine();
            if (line == kRing) {
                // Not yet shown, the window is still starting (the first
                // start's questions): it shows once it is ready.
                if (window_->isVisible())
                    bringForward(window_);
                // A question open in the window is what the person must see.
                if (QWidget *modal = QApplication::activeModalWidget())
                    bringForward(modal);
                socket->write(kAnswer);
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}

bool Doorbell::ring(const std::string &lockFolder, long pid)
{
    const QString path = QString::fromStdString(doorbellPath(lockFolder, pid));
    if (path.isEmpty() || pid <= 0)
        return false;
    // The holder may have taken the lock a moment ago and not yet reached its
    // event loop: it is given a few seconds.
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(path);
        if (socket.waitForConnected(500)) {
            socket.write(kRing);
            socket.flush();
            while (!socket.canReadLine() && socket.waitForReadyRead(int(deadline.remainingTime()))) {
            }
            return socket.canReadLine() && socket.readLine() == kAnswer;
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace varnok

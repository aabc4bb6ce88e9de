#pragma once

#include <QObject>
#include <string>

class QLocalServer;
class QWidget;

namespace varnok {

// How a second start on a lie folder reaches the Varnok that has it open: a
// local socket in the user's private lock folder, named by process id, on
// which a ring brings the window forward.
class Doorbell : public QObject {
    Q_OBJECT
public:
    // Listens for this process; without a lock folder nobody can ring.
    Doorbell(QWidget *window, const std::string &lockFolder);

    // Rings the Varnok of the given process and waits a few seconds for it to
    // answer; false when it does not.
    static bool ring(const std::string &lockFolder, long pid);

private:
    void answer();

    QWidget *window_;
    QLocalServer *server_ = nullptr;
};

} // namespace varnok

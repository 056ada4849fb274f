#pragma once
// SIGTERM, SIGHUP and SIGINT (a logout, a closed terminal, Ctrl+C) close the
// window as F12 does, so the recovery file and the settings are written. The
// handler only writes the signal's number to a pipe; the event loop reads it
// and closes the window, once no command is under way: a dialog open then is
// closed as Cancel would, the command finishes, and the window closes after.
#include <QObject>
#include <functional>

class QSocketNotifier;
class QWidget;

namespace pixolat {

class CloseOnSignal : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; the destructor puts the previous ones back.
    // `busy` tells whether a command of the window is under way.
    explicit CloseOnSignal(QWidget* window, std::function<bool()> busy = {});
    ~CloseOnSignal() override;
    CloseOnSignal(const CloseOnSignal&) = delete;
    CloseOnSignal& operator=(const CloseOnSignal&) = delete;

private:
    void Received();
    void CloseWhenIdle();

    QWidget* window_;
    std::function<bool()> busy_;
    bool closing_ = false;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace pixolat

#pragma once
// SIGTERM, SIGHUP and SIGINT (a logout, a closed terminal, Ctrl+C) close the
// window as F12 does, so the recovery file and the settings are written. The
// handler only writes the signal's number to a pipe; the event loop reads it
// and closes the window.
#include <QObject>

class QSocketNotifier;
class QWidget;

namespace pixolat {

class CloseOnSignal : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; the destructor puts the previous ones back.
    explicit CloseOnSignal(QWidget* window);
    ~CloseOnSignal() override;
    CloseOnSignal(const CloseOnSignal&) = delete;
    CloseOnSignal& operator=(const CloseOnSignal&) = delete;

private:
    void Received();

    QWidget* window_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace pixolat

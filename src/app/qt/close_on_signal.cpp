#include "app/qt/close_on_signal.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <cerrno>
#include <csignal>
#include <iterator>
#include <utility>

namespace pixolat {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
int pipeEnds[2] = {-1, -1};
struct sigaction previous[std::size(kSignals)];

void OnSignal(int number) {
    // Only async-signal-safe calls here.
    const int saved = errno;
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = write(pipeEnds[0], &byte, 1);
    errno = saved;
}

}  // namespace

CloseOnSignal::CloseOnSignal(QWidget* window, std::function<bool()> busy)
    : window_(window), busy_(std::move(busy)) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeEnds) != 0) return;
    // Neither the handler nor the drain may ever wait.
    fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
    fcntl(pipeEnds[1], F_SETFL, O_NONBLOCK);
    notifier_ = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Received(); });
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        struct sigaction action = {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(kSignals[i], &action, &previous[i]);
    }
}

CloseOnSignal::~CloseOnSignal() {
    if (!notifier_) return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &previous[i], nullptr);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void CloseOnSignal::Received() {
    char bytes[16];
    while (read(pipeEnds[1], bytes, sizeof bytes) > 0) {
    }
    if (closing_) return;
    closing_ = true;
    CloseWhenIdle();
}

// Closing from inside a dialog's loop would write the recovery file before
// the command that opened the dialog has finished: the dialog goes first,
// and the window closes once the event loop is back at its top.
void CloseOnSignal::CloseWhenIdle() {
    if ((busy_ && busy_()) || QApplication::activeModalWidget()) {
        if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
        QTimer::singleShot(20, this, [this] { CloseWhenIdle(); });
        return;
    }
    closing_ = false;
    window_->close();
}

}  // namespace pixolat

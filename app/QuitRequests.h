#pragma once

// The ways of asking the program to end other than its close button: SIGINT,
// SIGTERM and SIGHUP, and a window destroyed by another client (for example
// `xdotool windowclose`). Each closes the windows as the close button does, so
// the music stops, the surface goes and the program ends with status 0.
//
// Construct one right after the application object, before anything plays:
// the audio layer (SDL) installs SIGINT and SIGTERM handlers of its own that
// only queue an event this program never reads, unless a handler is there
// already. Signals reach the event loop through a pipe, as a handler may do
// next to nothing itself.

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

#include <signal.h>

class QSocketNotifier;

class QuitRequests : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    QuitRequests();
    ~QuitRequests() override;
    QuitRequests(const QuitRequests&) = delete;
    QuitRequests& operator=(const QuitRequests&) = delete;

    // Watches for our windows destroyed by another client.
    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override;

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

    void takeSignals();

    int pipeEnds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
    struct sigaction previous[std::size(kSignals)] = {};
    // Our X windows destroyed by another client.
    std::vector<std::uint32_t> gone;
};

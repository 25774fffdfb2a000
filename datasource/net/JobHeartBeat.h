// Keeps the server's job alive while a page is scanned and fetched: a
// thread of its own, on a connection of its own, posts HEART_BEAT_JOB at
// once and then at every interval until stopped. A transport failure ends
// it quietly: the job is not told, and nothing is retried.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Transport.h"

class CJobHeartBeat {
public:
    static constexpr int kIntervalMs = 55000;
    // Called on the heartbeat's thread, once per start: the heartbeat never
    // shares a connection with the job's commands.
    using Connector = std::function<std::unique_ptr<ITransport>()>;

    // headers: the header lines every command carries.
    CJobHeartBeat(Connector connect, std::vector<std::string> headers);
    ~CJobHeartBeat();
    CJobHeartBeat(const CJobHeartBeat &) = delete;
    CJobHeartBeat &operator=(const CJobHeartBeat &) = delete;

    // False (and nothing done) when already running.
    bool Start(int32_t session);
    // Lets a request in flight finish; the thread then ends.
    void Stop();
    // Stop, and return only once the thread has ended: nothing of this job
    // reaches the server after the caller's next command.
    void StopAndWait();
    bool IsRunning() const { return m_running; }
    void SetInterval(int ms) { m_interval = ms; }

private:
    void Run(int32_t session, int interval);
    // Waits for a stop up to ms; true when stopped.
    bool StopWithin(int ms);

    Connector m_connect;
    std::vector<std::string> m_headers;
    // Also cleared by a stop from another thread.
    std::atomic<bool> m_running{false};
    int m_interval = kIntervalMs;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

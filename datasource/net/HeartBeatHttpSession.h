// Keeps the server's job alive while a page is scanned and fetched: a
// thread of its own, with its own internet session and connection, posts
// HEART_BEAT_JOB at once and then at every interval until stopped.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <thread>

#include "HttpSessionThread.h"
#include "InternetHandle.h"

class CHeartBeatHttpSession {
public:
    static constexpr DWORD kIntervalMs = 55000;

    CHeartBeatHttpSession(CHttpConnectParams params, std::string language);
    ~CHeartBeatHttpSession();
    CHeartBeatHttpSession(const CHeartBeatHttpSession &) = delete;
    CHeartBeatHttpSession &operator=(const CHeartBeatHttpSession &) = delete;

    // False (and nothing done) when already running.
    bool Start(int32_t session);
    // Lets a request in flight finish; the thread then ends.
    void Stop();
    // Stop, and return only once the thread has ended: nothing of this job
    // reaches the server after the caller's next command.
    void StopAndWait();
    bool IsRunning() const { return m_running; }
    void SetInterval(DWORD ms) { m_interval = ms; }

private:
    void Run();

    CHttpConnectParams m_params;
    std::string m_headers;
    bool m_running = false;
    int32_t m_session = 0;
    DWORD m_interval = kIntervalMs;
    CAutoHandle m_stop;
    std::thread m_thread;
};

// One HTTP client bound to one server, running one request at a time on a
// worker thread so that the application's thread can poll it and keep its
// windows (the Cancel button above all) responsive.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "InternetConnection.h"
#include "InternetHandle.h"

enum class EPoll { Pending, Failed, Done };

class CHttpSessionThread {
public:
    // The streaming reader fetches at least this much at a time and hands
    // it out in the sizes callers ask for: every hand-over between the
    // threads costs far more than copying, so small transfer buffers must
    // not mean small network reads.
    static constexpr DWORD kReadAheadBytes = 1024 * 1024;

    CHttpSessionThread();
    virtual ~CHttpSessionThread();
    CHttpSessionThread(const CHttpSessionThread &) = delete;
    CHttpSessionThread &operator=(const CHttpSessionThread &) = delete;

    // Opens the internet session and the connection; false (with
    // TransportError set) when WinINet refuses.
    bool Connect(const CHttpConnectParams &params);

    // Poll of one request: the first call starts it on a worker thread and
    // reports Pending; later calls report Pending until it has finished,
    // Failed on a transport error, Done with the HTTP status otherwise.
    // version: nullptr for the platform default.
    EPoll Request(const char *verb, const std::string &path, const std::string &body,
                  const std::string &headers, DWORD &status, const char *version = nullptr);
    bool IsBusy() const { return m_busy; }
    // Closes the open request (and any reader), ready for the next one.
    void CloseRequest();

    // Reads the response of the open request on the calling thread.
    // Returns bytes read, 0 at the end, -1 on a transport error.
    int ReadSome(char *buffer, DWORD size);

    // Streaming reader of image bytes: the first call starts the reader
    // thread for `size` bytes; later calls report Pending until that chunk
    // is in, then copy it into `buffer` and set `got` (a short chunk ends
    // the stream). Each Done immediately asks the worker for the next chunk
    // of the same size.
    EPoll ReadChunk(char *buffer, DWORD size, DWORD &got);
    void StopReader();

    // The event a waiting caller can wait on instead of spinning.
    HANDLE DoneEvent() const { return m_done.Get(); }
    DWORD TransportError() const { return m_workerError; }
    DWORD LastStatus() const { return m_lastStatus; }
    // Milliseconds a poll waits for the worker (0: none).
    void SetWaitTime(DWORD ms) { m_waitTime = ms; }

private:
    void RunRequest();
    void RunReader();
    bool WaitDone();

    CInternetConnection m_net;
    CInternetHandle m_request;
    std::thread m_worker;

    // Copies the worker reads; set before it starts.
    std::string m_verb, m_path, m_headers, m_body;
    const char *m_version = nullptr;
    bool m_busy = false;
    DWORD m_workerError = 0;
    DWORD m_lastStatus = 0;
    DWORD m_waitTime = 0;
    CAutoHandle m_done;

    // Streaming reader.
    std::thread m_reader;
    bool m_readerRunning = false;
    CAutoHandle m_nextChunk;
    CAutoHandle m_stop;
    // Double-buffered: the worker fills m_fill while callers take from
    // m_chunk, so the network read of the next piece overlaps the hand-out
    // of this one. m_fill belongs to the worker from next-chunk to done.
    std::vector<char> m_chunk;
    std::vector<char> m_fill;
    DWORD m_fillLength = 0;
    DWORD m_requested = 0;
    DWORD m_chunkLength = 0;
    DWORD m_chunkOffset = 0;
    bool m_readerEnded = false;
};

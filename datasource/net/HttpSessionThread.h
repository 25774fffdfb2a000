// One HTTP client bound to one server, running one request at a time on a
// worker thread so that the application's thread can poll it and keep its
// windows (the Cancel button above all) responsive.
#pragma once

#include <windows.h>

#include <atomic>
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
    // thread, which reads pieces of max(`size`, kReadAheadBytes) ahead; a
    // call reports Pending while no piece is in, else copies up to `size`
    // bytes of the oldest piece into `buffer` and sets `got` (a short piece
    // ends the stream, and then got stays 0).
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

    // Streaming reader: pieces that the worker fills in turn while callers
    // hand out the oldest, the worker waiting only when every piece is
    // full; so neither a slow caller nor a late wake-up of either thread
    // stops the network read (with two pieces, each hand-over did). A piece
    // is allocated only when none handed back is free: fresh memory costs a
    // page fault per page, and while callers keep up two pieces do.
    static constexpr unsigned kPieces = 6;
    std::thread m_reader;
    bool m_readerRunning = false;
    CAutoHandle m_nextChunk;  // a piece was handed back
    CAutoHandle m_stop;
    CAutoHandle m_readerGone;  // the worker has returned
    std::vector<char> m_pieces[kPieces];
    DWORD m_pieceLength[kPieces] = {};
    DWORD m_pieceError[kPieces] = {};  // the transport error that ended a piece
    // Two single-writer queues of piece numbers: filled ones in the order
    // of the stream (written by the worker, counted by m_filled, taken by
    // callers, counted by m_taken) and handed-back ones (written by
    // callers, counted by m_returned, reused by the worker).
    unsigned m_filledOrder[kPieces] = {};
    unsigned m_freeOrder[kPieces] = {};
    std::atomic<unsigned> m_filled{0};
    unsigned m_taken = 0;  // the callers'
    std::atomic<unsigned> m_returned{0};
    unsigned m_reused = 0;     // the worker's
    unsigned m_allocated = 0;  // the worker's
    // Set by a side about to sleep on its event, so that the other side
    // signals it only then: under Wine every event call is a round trip to
    // the wine server, which on a busy machine cost more than the copying.
    std::atomic<bool> m_callerWaits{false};
    std::atomic<bool> m_workerWaits{false};
    std::atomic<bool> m_stopping{false};
    DWORD m_requested = 0;
    bool m_holding = false;  // callers are handing out m_filledOrder[m_taken]
    DWORD m_chunkOffset = 0;
    bool m_readerEnded = false;
};

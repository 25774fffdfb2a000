#include "HttpSessionThread.h"

#include <wininet.h>

#include <algorithm>
#include <cstring>

namespace {

DWORD LastErrorOr(DWORD fallback) {
    DWORD e = GetLastError();
    return e != 0 ? e : fallback;
}

}  // namespace

CHttpSessionThread::CHttpSessionThread()
    : m_done(CreateEventW(nullptr, TRUE, TRUE, nullptr)),
      m_nextChunk(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_stop(CreateEventW(nullptr, FALSE, TRUE, nullptr)),
      m_readerGone(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

CHttpSessionThread::~CHttpSessionThread() {
    CloseRequest();
}

bool CHttpSessionThread::Connect(const CHttpConnectParams &p) {
    CloseRequest();
    const DWORD error = m_net.Open(p);
    if (error != 0)
        m_workerError = error;
    return error == 0;
}

bool CHttpSessionThread::WaitDone() {
    return WaitForSingleObject(m_done.Get(), m_waitTime) == WAIT_OBJECT_0;
}

EPoll CHttpSessionThread::Request(const char *verb, const std::string &path,
                                  const std::string &body, const std::string &headers,
                                  DWORD &status, const char *version) {
    status = 0;
    if (!m_busy) {
        CloseRequest();
        m_verb = verb;
        m_path = path;
        m_body = body;
        m_headers = headers;
        m_version = version;
        m_busy = true;
        m_workerError = 0;
        m_lastStatus = 0;
        ResetEvent(m_done.Get());
        m_worker = std::thread(&CHttpSessionThread::RunRequest, this);
        return EPoll::Pending;
    }
    if (!WaitDone())
        return EPoll::Pending;
    if (m_worker.joinable())
        m_worker.join();
    if (m_workerError != 0) {
        // The request is over; a later command starts afresh instead of
        // seeing this failure again.
        m_busy = false;
        m_request.Reset();
        return EPoll::Failed;
    }
    DWORD code = 0, len = sizeof code;
    if (!HttpQueryInfoA(m_request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code,
                        &len, nullptr) ||
        code == 0) {
        // The server closed the connection without an HTTP answer. Some
        // WinINet versions report that as a request without status; it is
        // a broken connection, and the user must be told so.
        m_workerError = ERROR_INTERNET_CONNECTION_ABORTED;
        m_busy = false;
        m_request.Reset();
        return EPoll::Failed;
    }
    status = code;
    m_lastStatus = code;
    m_busy = false;
    return EPoll::Done;
}

void CHttpSessionThread::RunRequest() {
    HINTERNET h = m_net.OpenRequest(m_verb.c_str(), m_path, m_version);
    if (!h) {
        m_workerError = LastErrorOr(ERROR_INTERNET_INTERNAL_ERROR);
        SetEvent(m_done.Get());
        return;
    }
    m_request.Reset(h);
    if (!m_net.Send(h, m_headers, m_body))
        m_workerError = LastErrorOr(ERROR_INTERNET_INTERNAL_ERROR);
    SetEvent(m_done.Get());
}

void CHttpSessionThread::CloseRequest() {
    StopReader();
    if (m_worker.joinable()) {
        // A request still running keeps its handle until it finishes.
        WaitForSingleObject(m_done.Get(), INFINITE);
        m_worker.join();
    }
    m_request.Reset();
    m_busy = false;
}

int CHttpSessionThread::ReadSome(char *buffer, DWORD size) {
    DWORD got = 0;
    if (!m_request || !InternetReadFile(m_request.Get(), buffer, size, &got)) {
        m_workerError = LastErrorOr(ERROR_INTERNET_INTERNAL_ERROR);
        return -1;
    }
    return static_cast<int>(got);
}

EPoll CHttpSessionThread::ReadChunk(char *buffer, DWORD size, DWORD &got) {
    got = 0;
    if (!m_readerRunning) {
        if (!m_request)
            return EPoll::Failed;
        m_requested = std::max(size, kReadAheadBytes);
        m_filled = 0;
        m_taken = 0;
        m_returned = 0;
        m_reused = 0;
        m_allocated = 0;
        m_holding = false;
        m_chunkOffset = 0;
        m_readerEnded = false;
        m_workerError = 0;
        // The caller's Pending below means it is about to wait.
        m_callerWaits = true;
        m_workerWaits = false;
        m_stopping = false;
        ResetEvent(m_stop.Get());
        ResetEvent(m_nextChunk.Get());
        ResetEvent(m_done.Get());
        ResetEvent(m_readerGone.Get());
        m_readerRunning = true;
        m_reader = std::thread(&CHttpSessionThread::RunReader, this);
        return EPoll::Pending;
    }
    if (m_holding && !m_readerEnded &&
        m_chunkOffset == m_pieceLength[m_filledOrder[m_taken % kPieces]]) {
        m_holding = false;
        m_freeOrder[m_returned % kPieces] = m_filledOrder[m_taken % kPieces];
        m_returned.fetch_add(1);
        ++m_taken;
        if (m_workerWaits.exchange(false))
            SetEvent(m_nextChunk.Get());
    }
    if (!m_holding) {
        if (m_filled == m_taken) {
            // Announced and reset before the second look: a piece finished
            // after it sets the event again, so the caller's wait cannot
            // miss it.
            m_callerWaits = true;
            ResetEvent(m_done.Get());
            if (m_filled == m_taken && (!WaitDone() || m_filled == m_taken))
                return EPoll::Pending;
            m_callerWaits = false;
        }
        const unsigned next = m_filledOrder[m_taken % kPieces];
        if (m_pieceError[next] != 0) {
            m_workerError = m_pieceError[next];
            return EPoll::Failed;
        }
        m_holding = true;
        m_chunkOffset = 0;
        // A short piece was the worker's last.
        m_readerEnded = m_pieceLength[next] < m_requested;
    }
    const unsigned slot = m_filledOrder[m_taken % kPieces];
    // A piece bigger than this call can take is kept for the next calls,
    // so no byte of the page is dropped when the caller's size shrinks.
    const DWORD n = std::min(size, m_pieceLength[slot] - m_chunkOffset);
    std::memcpy(buffer, m_pieces[slot].data() + m_chunkOffset, n);
    m_chunkOffset += n;
    got = n;
    return EPoll::Done;
}

void CHttpSessionThread::RunReader() {
    HANDLE events[2] = {m_stop.Get(), m_nextChunk.Get()};
    while (!m_stopping) {
        const bool full = m_reused == m_returned && m_allocated == kPieces;
        if (full) {
            // The same announce-then-look as the caller's.
            m_workerWaits = true;
            if (m_reused == m_returned &&
                WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
                break;
            m_workerWaits = false;
            continue;
        }
        const unsigned slot =
            m_reused != m_returned ? m_freeOrder[m_reused++ % kPieces] : m_allocated++;
        const unsigned filled = m_filled;
        std::vector<char> &piece = m_pieces[slot];
        if (piece.size() < m_requested)
            piece.resize(m_requested);
        DWORD total = 0;
        bool failed = false;
        while (total < m_requested) {
            DWORD got = 0;
            if (!InternetReadFile(m_request.Get(), piece.data() + total, m_requested - total,
                                  &got)) {
                failed = true;
                break;
            }
            if (got == 0)
                break;
            total += got;
        }
        m_pieceError[slot] = failed ? LastErrorOr(ERROR_INTERNET_INTERNAL_ERROR) : 0;
        m_pieceLength[slot] = total;
        m_filledOrder[filled % kPieces] = slot;
        m_filled = filled + 1;
        if (m_callerWaits.exchange(false))
            SetEvent(m_done.Get());
        if (failed || total < m_requested)
            break;
    }
    SetEvent(m_readerGone.Get());
}

void CHttpSessionThread::StopReader() {
    if (!m_readerRunning)
        return;
    m_stopping = true;
    SetEvent(m_stop.Get());
    const bool finished = WaitForSingleObject(m_readerGone.Get(), 1000) == WAIT_OBJECT_0;
    if (!finished) {
        // Closing the request ends a read that is stuck on the network.
        m_request.Reset();
    }
    m_reader.join();
    m_readerRunning = false;
    m_readerEnded = false;
    m_holding = false;
    for (std::vector<char> &piece : m_pieces) {
        piece.clear();
        piece.shrink_to_fit();
    }
    m_chunkOffset = 0;
    m_busy = false;
}

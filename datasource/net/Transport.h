// What the scan engine needs from HTTP: one request at a time, its status,
// and the body as a stream, so that a page of image data never has to be
// held in memory whole.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class IHttpResponse {
public:
    virtual ~IHttpResponse() = default;
    // The HTTP status of the answer (its head has been received).
    virtual long Status() const = 0;
    // Up to size bytes of the body; 0 at its end, -1 when the connection
    // failed (the error text then says why).
    virtual long Read(char *data, size_t size) = 0;
    virtual const std::string &Error() const = 0;
};

class ITransport {
public:
    virtual ~ITransport() = default;
    // A GET when body is null, a POST otherwise. headers are complete
    // "Name: value" lines. Null when no answer came; error says why.
    // Only one response may be open at a time: destroying it closes it.
    virtual std::unique_ptr<IHttpResponse> Send(const std::string &path, const std::string *body,
                                                const std::vector<std::string> &headers,
                                                std::string &error) = 0;
};

// CWinSocket: the TCP client of the LAN link to the instrument.
//
// One object is created by the program and shared with the command layer. Results follow the
// contract the link relies on: Create and Connect return nonzero on success; Send returns the
// count of bytes sent; Receive never blocks and returns the count received, 0 once there is no
// connection any more (the peer closed or reset it, or none was made), and a negative value when
// nothing is waiting.
// An object is used by one thread at a time (the program's lock serialises its users).
#pragma once

#include <cerrno>
#include <string>

class CWinSocket {
public:
    // Time-out of Connect until SetConnectTimeout says otherwise.
    static constexpr int kDefaultConnectTimeoutMs = 3000;

    CWinSocket() = default;
    ~CWinSocket();
    CWinSocket(const CWinSocket&) = delete;
    CWinSocket& operator=(const CWinSocket&) = delete;

    // Creates a fresh TCP socket (closing any socket this object still holds).
    int Create();
    // Connects to address (dotted IPv4, the instrument's LAN address, or a host name with an
    // IPv4 address) and port, giving up after the connect time-out. Creates the socket first
    // when Create was not called. A name that cannot be resolved fails with kNameNotFound.
    int Connect(const std::string& address, int port);
    // Time-outs of one blocking send and of a blocking receive, in milliseconds (0 = none).
    // Receive itself never waits; the receive time-out applies to the socket for any reader
    // that waits through it.
    void SetRecvTimeout(int milliseconds);
    void SetSendTimeout(int milliseconds);
    void SetConnectTimeout(int milliseconds);

    int Send(const void* buffer, int length);
    int Receive(void* buffer, int maximum);
    void Close();

    // The last socket error as text and number (errno value; 0 and "" when there was none).
    int GetLastError(std::string& text, int& number) const;
    // The last error in a word or two for the user: "refused", "timed out", "not found" (the
    // address could not be resolved), else the system's text; "" when there was none.
    std::string FailureReason() const;

    // The error of an address that names no IPv4 host.
    static constexpr int kNameNotFound = ENXIO;

    bool IsOpen() const { return m_fd >= 0; }

private:
    int Fail(int error, int result);
    bool ApplyTimeout(int option, int milliseconds);
    bool WaitConnected(int milliseconds);

    int m_fd = -1;
    int m_recvTimeoutMs = 0;
    int m_sendTimeoutMs = 0;
    int m_connectTimeoutMs = kDefaultConnectTimeoutMs;
    int m_lastError = 0;
};

#include "LocalHttpServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <string_view>

namespace marlin::test {

namespace {

// Waits up to 100 ms for `socket` to be readable (or writable); false on timeout.
bool Ready(SOCKET socket, bool write)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval wait{0, 100 * 1000};
    return ::select(0, write ? nullptr : &set, write ? &set : nullptr, nullptr, &wait) > 0;
}

bool SendAll(SOCKET socket, std::string_view bytes, const std::atomic<bool>& stop)
{
    while (!bytes.empty() && !stop) {
        if (!Ready(socket, true)) continue;
        const int sent = ::send(socket, bytes.data(), static_cast<int>(std::min<size_t>(bytes.size(), 65536)), 0);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return bytes.empty();
}

} // namespace

LocalHttpServer::LocalHttpServer()
{
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof(address);
    if (listener == INVALID_SOCKET || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener, 16) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener != INVALID_SOCKET) ::closesocket(listener);
        return;
    }
    m_listener = listener;
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { Accept(); });
}

LocalHttpServer::~LocalHttpServer()
{
    m_stop = true;
    if (m_acceptor.joinable()) m_acceptor.join();
    for (std::thread& connection : m_connections) connection.join();
    if (m_listener != ~0ull) ::closesocket(static_cast<SOCKET>(m_listener));
    ::WSACleanup();
}

void LocalHttpServer::Serve(const std::string& path, Response response)
{
    std::lock_guard guard(m_lock);
    m_responses[path] = std::move(response);
}

std::wstring LocalHttpServer::Host() const { return L"127.0.0.1:" + std::to_wstring(m_port); }

std::vector<std::string> LocalHttpServer::Requests() const
{
    std::lock_guard guard(m_lock);
    return m_requests;
}

void LocalHttpServer::Accept()
{
    const auto listener = static_cast<SOCKET>(m_listener);
    while (!m_stop) {
        if (!Ready(listener, false)) continue;
        SOCKET connection = ::accept(listener, nullptr, nullptr);
        if (connection == INVALID_SOCKET) continue;
        std::lock_guard guard(m_lock);
        m_connections.emplace_back([this, connection] { Handle(connection); });
    }
}

void LocalHttpServer::Handle(unsigned long long handle)
{
    const auto connection = static_cast<SOCKET>(handle);
    std::string request;
    char buffer[4096];
    while (!m_stop && request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
        if (!Ready(connection, false)) continue;
        const int got = ::recv(connection, buffer, sizeof(buffer), 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<size_t>(got));
    }
    const size_t start = request.find(' ');
    const size_t end = start == std::string::npos ? std::string::npos : request.find(' ', start + 1);
    const std::string path = end == std::string::npos ? std::string() : request.substr(start + 1, end - start - 1);
    Response response{"", 404};
    {
        std::lock_guard guard(m_lock);
        m_requests.push_back(path);
        if (auto found = m_responses.find(path); found != m_responses.end()) response = found->second;
    }
    if (response.behaviour == Behaviour::Silent) {
        // Reads whatever comes and answers nothing until the client gives up.
        while (!m_stop) {
            if (Ready(connection, false) && ::recv(connection, buffer, sizeof(buffer), 0) <= 0) break;
        }
    } else if (response.behaviour == Behaviour::Endless) {
        const std::string chunk(65536, '\x01');
        if (SendAll(connection, "HTTP/1.0 200 OK\r\nContent-Type: image/x-icon\r\n\r\n", m_stop)) {
            while (SendAll(connection, chunk, m_stop)) {
            }
        }
    } else {
        const std::string head = "HTTP/1.0 " + std::to_string(response.status) +
                                 (response.status == 200 ? " OK" : " Not Found") +
                                 "\r\nContent-Type: image/x-icon\r\nContent-Length: " +
                                 std::to_string(response.body.size()) + "\r\nConnection: close\r\n\r\n";
        if (SendAll(connection, head, m_stop)) SendAll(connection, response.body, m_stop);
        ::shutdown(connection, SD_SEND);
    }
    ::closesocket(connection);
}

} // namespace marlin::test

#pragma once
// A web site on 127.0.0.1 for the tests and benchmarks that download: it
// answers the paths it was given, 404 for others, and can stay silent or send
// bytes forever. Each connection has a thread of its own; all stop with the server.
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace marlin::test {

class LocalHttpServer {
public:
    enum class Behaviour { Answer, Silent, Endless };
    struct Response {
        std::string body;
        int status = 200;
        Behaviour behaviour = Behaviour::Answer;
    };

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    // `path` with its query ("/favicon.ico", "/s2/favicons?domain=...").
    void Serve(const std::string& path, Response response);
    // "127.0.0.1:port"
    std::wstring Host() const;
    // The paths asked for, in order.
    std::vector<std::string> Requests() const;

private:
    void Accept();
    void Handle(unsigned long long connection);

    unsigned long long m_listener = ~0ull;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_lock;
    std::map<std::string, Response> m_responses;
    std::vector<std::string> m_requests;
    std::vector<std::thread> m_connections;
    std::thread m_acceptor;
};

} // namespace marlin::test

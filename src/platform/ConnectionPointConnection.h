#pragma once
// One connection-point connection: advised when it is made, unadvised when it
// goes. Move-only; an empty one (advise failed, or moved from) undoes nothing.
#include "ComObject.h"

#include <ocidl.h>

#include <utility>

namespace marlin {

class ConnectionPointConnection {
public:
    ConnectionPointConnection() noexcept = default;
    ConnectionPointConnection(const ConnectionPointConnection&) = delete;
    ConnectionPointConnection& operator=(const ConnectionPointConnection&) = delete;
    ConnectionPointConnection(ConnectionPointConnection&& other) noexcept
        : m_point(std::move(other.m_point)), m_cookie(std::exchange(other.m_cookie, 0))
    {
    }
    ConnectionPointConnection& operator=(ConnectionPointConnection&& other) noexcept
    {
        if (this != &other) {
            Disconnect();
            m_point = std::move(other.m_point);
            m_cookie = std::exchange(other.m_cookie, 0);
        }
        return *this;
    }
    ~ConnectionPointConnection() { Disconnect(); }

    // Connects `sink` to `source`'s connection point for `events`; empty when
    // the source has none or refuses the sink.
    static ConnectionPointConnection Advise(IUnknown* source, REFIID events, IUnknown* sink) noexcept
    {
        ConnectionPointConnection connection;
        ComPtr<IConnectionPointContainer> container;
        ComPtr<IConnectionPoint> point;
        DWORD cookie = 0;
        if (!source || !sink || FAILED(source->QueryInterface(IID_PPV_ARGS(&container))) ||
            FAILED(container->FindConnectionPoint(events, &point)) || !point || FAILED(point->Advise(sink, &cookie)) ||
            cookie == 0) {
            return connection;
        }
        connection.m_point = std::move(point);
        connection.m_cookie = cookie;
        return connection;
    }

    explicit operator bool() const noexcept { return m_cookie != 0; }

    // Unadvises now. The source is let go of before the call returns, so a
    // source that calls back into the owner finds this connection empty.
    void Disconnect() noexcept
    {
        ComPtr<IConnectionPoint> point = std::move(m_point);
        const DWORD cookie = std::exchange(m_cookie, 0);
        if (point && cookie) point->Unadvise(cookie);
    }

    // Forgets the connection without unadvising: for a source known to have
    // dropped its sinks already, whose cookie may since name another sink.
    void Abandon() noexcept
    {
        m_point.Reset();
        m_cookie = 0;
    }

private:
    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

} // namespace marlin

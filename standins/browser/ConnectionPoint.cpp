#include "ConnectionPoint.h"

#include <algorithm>
#include <utility>

namespace standin {

ConnectionPoint::ConnectionPoint(IConnectionPointContainer& container, const IID& events) noexcept
    : m_container(container), m_events(events)
{
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** object) noexcept
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != __uuidof(IUnknown) && iid != __uuidof(IConnectionPoint)) return E_NOINTERFACE;
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ConnectionPoint::AddRef() noexcept { return m_container.AddRef(); }

STDMETHODIMP_(ULONG) ConnectionPoint::Release() noexcept { return m_container.Release(); }

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) noexcept
{
    if (!iid) return E_POINTER;
    *iid = m_events;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) noexcept
{
    if (!container) return E_POINTER;
    m_container.AddRef();
    *container = &m_container;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) noexcept
{
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    // Like the browser, take the event interface itself or, failing that, a
    // plain IDispatch: many sinks answer only IDispatch.
    marlin::ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(m_events, reinterpret_cast<void**>(dispatch.GetAddressOf()))) &&
        FAILED(sink->QueryInterface(IID_PPV_ARGS(&dispatch)))) {
        return CONNECT_E_CANNOTCONNECT;
    }
    return marlin::ComBoundary([&] {
        m_connections.push_back({m_nextCookie, std::move(dispatch)});
        *cookie = m_nextCookie++;
        return S_OK;
    });
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) noexcept
{
    auto found = std::find_if(m_connections.begin(), m_connections.end(),
                              [&](const Connection& c) { return c.cookie == cookie; });
    if (found == m_connections.end()) return CONNECT_E_NOCONNECTION;
    // The sink is released after it has left the list, in case its release
    // calls back into this connection point.
    marlin::ComPtr<IDispatch> leaving = std::move(found->sink);
    m_connections.erase(found);
    return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections) noexcept
{
    if (connections) *connections = nullptr;
    return E_NOTIMPL;
}

HRESULT ConnectionPoint::Find(REFIID iid, IConnectionPoint** point) noexcept
{
    if (!point) return E_POINTER;
    *point = nullptr;
    if (iid != m_events) return CONNECT_E_NOCONNECTION;
    AddRef();
    *point = this;
    return S_OK;
}

std::size_t ConnectionPoint::Invoke(DISPID id, DISPPARAMS* params) noexcept
{
    // A copy, because a sink may advise or unadvise while it handles the event;
    // the copy also keeps every sink alive until its turn.
    std::vector<Connection> sinks;
    try {
        sinks = m_connections;
    } catch (...) {
        return 0;
    }
    std::size_t called = 0;
    for (const Connection& connection : sinks) {
        if (!IsConnected(connection.cookie)) continue;
        connection.sink->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, params, nullptr, nullptr,
                                nullptr);
        ++called;
    }
    return called;
}

void ConnectionPoint::DisconnectAll() noexcept
{
    std::vector<Connection> leaving = std::exchange(m_connections, {});
}

bool ConnectionPoint::IsConnected(DWORD cookie) const noexcept
{
    return std::any_of(m_connections.begin(), m_connections.end(),
                       [&](const Connection& c) { return c.cookie == cookie; });
}

} // namespace standin

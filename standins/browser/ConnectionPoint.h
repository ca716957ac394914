#pragma once
// One outgoing event interface of a stand-in object (the browser, a document,
// an HTML window). It lives inside its container and shares the container's
// reference count: a client holding the connection point keeps the container
// alive, as GetConnectionPointContainer must keep answering.
#include "platform/ComObject.h"

#include <ocidl.h>
#include <olectl.h>

#include <cstddef>
#include <vector>

namespace standin {

class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer& container, const IID& events) noexcept;
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    // IUnknown: the container's count.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override;
    STDMETHODIMP_(ULONG) Release() noexcept override;

    // IConnectionPoint
    STDMETHODIMP GetConnectionInterface(IID* iid) noexcept override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) noexcept override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) noexcept override;
    STDMETHODIMP Unadvise(DWORD cookie) noexcept override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) noexcept override;

    // Answers the container's FindConnectionPoint for this interface.
    HRESULT Find(REFIID iid, IConnectionPoint** point) noexcept;

    std::size_t SinkCount() const noexcept { return m_connections.size(); }

    // Calls IDispatch::Invoke(id, DISPATCH_METHOD) on every sink in the order
    // they were advised, with `params` exactly as given (null included). A sink
    // unadvised by another during the event is skipped; one advised during it
    // waits for the next event. Answers how many sinks were called.
    std::size_t Invoke(DISPID id, DISPPARAMS* params) noexcept;

    // Drops every sink: the object that fires is going away.
    void DisconnectAll() noexcept;

private:
    struct Connection {
        DWORD cookie;
        marlin::ComPtr<IDispatch> sink;
    };

    bool IsConnected(DWORD cookie) const noexcept;

    IConnectionPointContainer& m_container;
    IID m_events;
    std::vector<Connection> m_connections;
    DWORD m_nextCookie = 1;
};

} // namespace standin

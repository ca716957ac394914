#pragma once
// What the bands of one thread share: the thread mouse hook, the rebar it was
// installed for, and the thread's current band, whose toolbar the hook talks
// to. A mouse hook belongs to one thread, and the browser runs its tabs on
// several threads of one process, so none of this is process-wide: a band on
// one thread can neither remove another thread's hook nor be reached from it.
// The record exists while a band of its thread holds a BandThreadLink; the
// last link to go removes the hook. Meanwhile the thread keeps its DOM
// document class factory (every band load reads several documents).
#include "platform/UniqueHandle.h"
#include "platform/XmlDom.h"

class CMarlinToolbarObj;

namespace marlin {

class BandThread {
public:
    // The calling thread's record; null while no band of the thread is linked.
    static BandThread* Current() noexcept;
    // Module unload: removes the calling thread's hook, if any is left (only
    // when the host unloads the module while a band of this thread lives).
    static void DropCallingThreadHook() noexcept;

    // The band made current last (created or selected), until it is torn down.
    CMarlinToolbarObj* CurrentBand() const noexcept { return m_currentBand; }
    HWND Rebar() const noexcept { return m_rebar; }

private:
    friend class BandThreadLink;

    XmlFactoryCache m_xmlFactory;
    unique_hhook m_mouseHook;
    HWND m_rebar = nullptr;
    CMarlinToolbarObj* m_currentBand = nullptr;
    unsigned m_bands = 0;
};

// One band's share in its thread's record. Linked on the band's thread; the
// thread's apartment also releases the band there.
class BandThreadLink {
public:
    explicit BandThreadLink(CMarlinToolbarObj& band) noexcept : m_band(&band) {}
    BandThreadLink(const BandThreadLink&) = delete;
    BandThreadLink& operator=(const BandThreadLink&) = delete;
    ~BandThreadLink() { Unlink(); }

    // Joins the calling thread's record (once), making it when it is the first.
    void Link();
    // Leaves: the band stops being current; the last band removes the hook.
    void Unlink() noexcept;

    // Replaces the thread's mouse hook with one running `procedure`, for `rebar`.
    void InstallMouseHook(HOOKPROC procedure, HWND rebar) noexcept;
    void MakeCurrent() noexcept;

private:
    CMarlinToolbarObj* m_band;
    BandThread* m_thread = nullptr;
    BandThread** m_slot = nullptr; // the linking thread's record pointer
};

} // namespace marlin

#include "BandThread.h"

namespace marlin {

namespace {

// A plain pointer: nothing to run at thread exit, which may come after the
// module is gone.
thread_local BandThread* t_bandThread = nullptr;

} // namespace

BandThread* BandThread::Current() noexcept { return t_bandThread; }

void BandThread::DropCallingThreadHook() noexcept
{
    if (BandThread* thread = t_bandThread) {
        thread->m_mouseHook.reset();
        thread->m_currentBand = nullptr;
    }
}

void BandThreadLink::Link()
{
    if (m_thread) return;
    if (!t_bandThread) t_bandThread = new BandThread();
    m_slot = &t_bandThread;
    m_thread = t_bandThread;
    ++m_thread->m_bands;
}

void BandThreadLink::Unlink() noexcept
{
    BandThread* thread = m_thread;
    if (!thread) return;
    m_thread = nullptr;
    if (thread->m_currentBand == m_band) thread->m_currentBand = nullptr;
    if (--thread->m_bands > 0) return;
    *m_slot = nullptr;
    delete thread; // removes the hook
}

void BandThreadLink::InstallMouseHook(HOOKPROC procedure, HWND rebar) noexcept
{
    if (!m_thread) return;
    // Removed first, so that the new hook is the only one of this thread.
    m_thread->m_mouseHook.reset();
    m_thread->m_mouseHook.reset(::SetWindowsHookExW(WH_MOUSE, procedure, nullptr, ::GetCurrentThreadId()));
    m_thread->m_rebar = rebar;
}

void BandThreadLink::MakeCurrent() noexcept
{
    if (m_thread) m_thread->m_currentBand = m_band;
}

} // namespace marlin

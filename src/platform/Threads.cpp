#include "Threads.h"

namespace marlin {

bool WaitHandlingSentMessages(HANDLE handle, DWORD timeoutMs) noexcept
{
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        const ULONGLONG elapsed = ::GetTickCount64() - start;
        if (elapsed >= timeoutMs) return ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        const DWORD wait = ::MsgWaitForMultipleObjectsEx(1, &handle, static_cast<DWORD>(timeoutMs - elapsed),
                                                         QS_SENDMESSAGE, 0);
        if (wait == WAIT_OBJECT_0) return true;
        if (wait != WAIT_OBJECT_0 + 1) return ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

HMODULE HoldModuleOf(const void* address) noexcept
{
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, static_cast<const wchar_t*>(address), &module)) {
        return nullptr;
    }
    return module;
}

} // namespace marlin

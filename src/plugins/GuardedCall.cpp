#include "GuardedCall.h"

namespace marlin {

namespace {

struct Guard {
    void* argument;
    GuardedFaultHandler onFault;
};
thread_local Guard* t_guard = nullptr;

// Exceptions that end a thread when nothing handles them: errors (severity
// bits 11), anything that cannot continue, and C++ exceptions of GCC and MSVC.
bool IsFatal(const EXCEPTION_RECORD& record) noexcept
{
    constexpr DWORD kGccException = 0x20474343, kMsvcException = 0xE06D7363;
    return (record.ExceptionCode & 0xC0000000) == 0xC0000000 || (record.ExceptionFlags & EXCEPTION_NONCONTINUABLE) ||
           record.ExceptionCode == kGccException || record.ExceptionCode == kMsvcException;
}

} // namespace

} // namespace marlin

// The frame handler of marlin_guarded_invoke: reached in the search pass only
// by exceptions that no frame inside the guarded function handles.
extern "C" EXCEPTION_DISPOSITION marlin_guarded_handler(EXCEPTION_RECORD* record, void*, CONTEXT*, void*)
{
    if (record->ExceptionFlags & EXCEPTION_UNWIND) return ExceptionContinueSearch;
    marlin::Guard* guard = marlin::t_guard;
    if (!guard || !marlin::IsFatal(*record)) return ExceptionContinueSearch;
    guard->onFault(guard->argument, record->ExceptionCode);
    ::ExitThread(marlin::kGuardedCallFaultExit);
}

extern "C" void marlin_guarded_invoke(marlin::GuardedFunction function, void* argument);

#if defined(__x86_64__)
// marlin_guarded_invoke(function, argument): calls function(argument) in a
// frame whose exception handler is marlin_guarded_handler.
asm(R"(
    .text
    .globl marlin_guarded_invoke
    .def marlin_guarded_invoke; .scl 2; .type 32; .endef
    .seh_proc marlin_guarded_invoke
marlin_guarded_invoke:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    nop
    addq $40, %rsp
    ret
    .seh_handler marlin_guarded_handler, @except
    .seh_endproc
)");
#else
extern "C" void marlin_guarded_invoke(marlin::GuardedFunction function, void* argument) { function(argument); }
#endif

namespace marlin {

void RunGuarded(GuardedFunction function, void* argument, GuardedFaultHandler onFault) noexcept
{
    Guard guard{argument, onFault};
    t_guard = &guard;
    marlin_guarded_invoke(function, argument);
    t_guard = nullptr;
}

} // namespace marlin

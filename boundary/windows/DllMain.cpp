// The loader's view of the module. The MinGW run-time's own entry point runs the C++ static
// initialisers before the first call here and the exit processing after the last, so the
// run-time part of our entry sequence has nothing left to do.
#include <windows.h>

#include "boundary/ModuleLifecycle.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    // Desktop Windows has no host framework to register with.
    return rastero::ModuleEntryPoint(rastero::NoFrameworkServices(), rastero::EmptyModuleRuntime(), instance,
                                     reason, reserved);
}

#pragma once

#include <cstddef>
#include <cstdint>

namespace rastero {

// The reasons the platform's loader passes to a module's entry point.
constexpr uint32_t DllProcessDetach = 0;
constexpr uint32_t DllProcessAttach = 1;
constexpr uint32_t DllThreadAttach = 2;
constexpr uint32_t DllThreadDetach = 3;

// The size of the framework's library object, which the module allocates and the framework fills.
constexpr size_t FrameworkLibraryObjectSize = 64;

// One list in the framework's per-module state: where its live head is kept and where the head it
// started from is kept. The layout of the state record is the framework's, so it hands out slots.
struct FrameworkListSlots {
    void** head;
    void** initialHead;
};

// The two lists of the per-module state that the raw hook empties at process attach.
struct FrameworkModuleLists {
    FrameworkListSlots runtimeClasses;
    FrameworkListSlots classFactories;
};

// The host application framework's services to a module, as plain function pointers over the
// framework's own context. `extensionModule` is the framework's record for this module: zero when
// the module is loaded, filled by the initialisation, living as long as the module.
struct FrameworkServices {
    void* context;
    void* extensionModule;
    // Fills the slots of the current module's state record; false when there is no such record.
    bool (*moduleLists)(void* context, FrameworkModuleLists* lists);
    // Registers the module as an extension module; false refuses the load.
    bool (*initExtensionModule)(void* context, void* extensionModule, void* instance);
    void (*termExtensionModule)(void* context, void* extensionModule);
    void* (*allocate)(void* context, size_t bytes);
    void (*release)(void* context, void* block);
    // Builds the framework's library object in a block from `allocate`, which then belongs to the
    // framework.
    void (*constructLibraryObject)(void* context, void* block, void* extensionModule);
};

// The module's own start-up and shutdown: its static initialisers, and the exit processing (the
// functions registered to run at exit, then the terminators).
struct ModuleRuntime {
    void* context;
    void (*runStaticInitialisers)(void* context);
    void (*runExitProcessing)(void* context);
};

// Services for a platform without the framework: registration succeeds and keeps nothing, memory
// comes from the C++ allocator, and a library object block is handed straight back.
FrameworkServices NoFrameworkServices();

// A module with no static objects and nothing registered to run at exit.
ModuleRuntime EmptyModuleRuntime();

// Resets the framework's lists for this module at process attach; nothing for any other reason.
void RawHook(const FrameworkServices& framework, uint32_t reason);

// Registers the module with the framework at process attach and unregisters it at process detach.
// Returns 0 only when the framework refuses the module.
int32_t DllMain(const FrameworkServices& framework, void* instance, uint32_t reason, void* reserved);

// The whole entry-point sequence. Attach: raw hook, static initialisers, DllMain. Detach: DllMain,
// exit processing, raw hook. Thread notifications: DllMain only. Nonzero lets the load go on.
int32_t ModuleEntryPoint(const FrameworkServices& framework, const ModuleRuntime& runtime, void* instance,
                         uint32_t reason, void* reserved);

}  // namespace rastero

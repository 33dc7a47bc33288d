#include "boundary/ModuleLifecycle.h"

#include <new>

namespace rastero {
namespace {

void EmptyList(const FrameworkListSlots& list) {
    if (list.head == nullptr || list.initialHead == nullptr) return;
    *list.initialHead = *list.head;
    *list.head = nullptr;
}

bool NoModuleLists(void*, FrameworkModuleLists*) { return false; }
bool AcceptExtensionModule(void*, void*, void*) { return true; }
void IgnoreExtensionModule(void*, void*) {}
void* AllocateBlock(void*, size_t bytes) { return ::operator new(bytes, std::nothrow); }
void ReleaseBlock(void*, void* block) { ::operator delete(block); }
// Nothing would ever release a library object here, so the block goes straight back.
void ReturnLibraryBlock(void* context, void* block, void*) { ReleaseBlock(context, block); }

void NothingToRun(void*) {}

}  // namespace

FrameworkServices NoFrameworkServices() {
    return FrameworkServices{nullptr,          nullptr,          NoModuleLists, AcceptExtensionModule,
                             IgnoreExtensionModule, AllocateBlock, ReleaseBlock,  ReturnLibraryBlock};
}

ModuleRuntime EmptyModuleRuntime() { return ModuleRuntime{nullptr, NothingToRun, NothingToRun}; }

void RawHook(const FrameworkServices& framework, uint32_t reason) {
    if (reason != DllProcessAttach) return;
    FrameworkModuleLists lists{};
    if (!framework.moduleLists(framework.context, &lists)) return;
    EmptyList(lists.runtimeClasses);
    EmptyList(lists.classFactories);
}

int32_t DllMain(const FrameworkServices& framework, void* instance, uint32_t reason, void*) {
    if (reason == DllProcessAttach) {
        if (!framework.initExtensionModule(framework.context, framework.extensionModule, instance)) return 0;
        // Without the block the module still works; it just has no library object in the framework.
        void* block = framework.allocate(framework.context, FrameworkLibraryObjectSize);
        if (block != nullptr) framework.constructLibraryObject(framework.context, block, framework.extensionModule);
    } else if (reason == DllProcessDetach) {
        framework.termExtensionModule(framework.context, framework.extensionModule);
    }
    return 1;
}

int32_t ModuleEntryPoint(const FrameworkServices& framework, const ModuleRuntime& runtime, void* instance,
                         uint32_t reason, void* reserved) {
    if (reason == DllProcessAttach) {
        RawHook(framework, reason);
        runtime.runStaticInitialisers(runtime.context);
    }
    const int32_t result = DllMain(framework, instance, reason, reserved);
    if (reason == DllProcessDetach) {
        runtime.runExitProcessing(runtime.context);
        RawHook(framework, reason);
    }
    return result;
}

}  // namespace rastero

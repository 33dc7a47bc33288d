#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "boundary/ModuleLifecycle.h"

namespace rastero {
namespace {

// A framework and run-time that record every call, in order, and answer as configured.
struct RecordingHost {
    bool initSucceeds = true;
    bool allocationSucceeds = true;
    std::vector<std::string> calls;

    int extensionRecord = 0;
    int instance = 0;
    alignas(16) unsigned char block[FrameworkLibraryObjectSize] = {};
    int runtimeClass = 0;
    int classFactory = 0;
    void* runtimeClassHead = &runtimeClass;
    void* runtimeClassInitial = nullptr;
    void* classFactoryHead = &classFactory;
    void* classFactoryInitial = nullptr;

    // Every framework call must see the module's own record and instance.
    void Expect(bool seen, const char* what) {
        calls.push_back(seen ? what : std::string(what) + " with a wrong argument");
    }

    static RecordingHost& Of(void* context) { return *static_cast<RecordingHost*>(context); }

    FrameworkServices Framework() {
        FrameworkServices services{};
        services.context = this;
        services.extensionModule = &extensionRecord;
        services.moduleLists = [](void* c, FrameworkModuleLists* lists) {
            RecordingHost& host = Of(c);
            host.calls.push_back("moduleLists");
            lists->runtimeClasses = {&host.runtimeClassHead, &host.runtimeClassInitial};
            lists->classFactories = {&host.classFactoryHead, &host.classFactoryInitial};
            return true;
        };
        services.initExtensionModule = [](void* c, void* record, void* inst) {
            RecordingHost& host = Of(c);
            host.Expect(record == &host.extensionRecord && inst == &host.instance, "initExtensionModule");
            return host.initSucceeds;
        };
        services.termExtensionModule = [](void* c, void* record) {
            RecordingHost& host = Of(c);
            host.Expect(record == &host.extensionRecord, "termExtensionModule");
        };
        services.allocate = [](void* c, size_t bytes) -> void* {
            RecordingHost& host = Of(c);
            host.Expect(bytes == FrameworkLibraryObjectSize, "allocate");
            return host.allocationSucceeds ? host.block : nullptr;
        };
        services.release = [](void* c, void*) { Of(c).calls.push_back("release"); };
        services.constructLibraryObject = [](void* c, void* at, void* record) {
            RecordingHost& host = Of(c);
            host.Expect(at == host.block && record == &host.extensionRecord, "constructLibraryObject");
        };
        return services;
    }

    ModuleRuntime Runtime() {
        return ModuleRuntime{this, [](void* c) { Of(c).calls.push_back("staticInitialisers"); },
                             [](void* c) { Of(c).calls.push_back("exitProcessing"); }};
    }

    int32_t Enter(uint32_t reason) {
        return ModuleEntryPoint(Framework(), Runtime(), &instance, reason, nullptr);
    }
};

std::string Joined(const std::vector<std::string>& calls) {
    std::string text;
    for (const std::string& call : calls) text += (text.empty() ? "" : ", ") + call;
    return text;
}

struct EntryCase {
    const char* name;
    uint32_t reason;
    bool initSucceeds;
    bool allocationSucceeds;
    int32_t result;
    std::vector<std::string> calls;
};

TEST(ModuleLifecycle, EntryPointCallsInOrderForEveryReason) {
    const std::vector<EntryCase> cases = {
        {"process attach", DllProcessAttach, true, true, 1,
         {"moduleLists", "staticInitialisers", "initExtensionModule", "allocate", "constructLibraryObject"}},
        {"attach, framework refuses", DllProcessAttach, false, true, 0,
         {"moduleLists", "staticInitialisers", "initExtensionModule"}},
        {"attach, no memory for the library object", DllProcessAttach, true, false, 1,
         {"moduleLists", "staticInitialisers", "initExtensionModule", "allocate"}},
        {"process detach", DllProcessDetach, true, true, 1, {"termExtensionModule", "exitProcessing"}},
        {"thread attach", DllThreadAttach, true, true, 1, {}},
        {"thread detach", DllThreadDetach, true, true, 1, {}},
        {"unknown reason", 77, true, true, 1, {}},
    };
    for (const EntryCase& c : cases) {
        RecordingHost host;
        host.initSucceeds = c.initSucceeds;
        host.allocationSucceeds = c.allocationSucceeds;
        const int32_t result = host.Enter(c.reason);
        EXPECT_EQ(result, c.result) << c.name << ": have " << result << ", want " << c.result;
        EXPECT_EQ(host.calls, c.calls) << c.name << ": have [" << Joined(host.calls) << "], want ["
                                       << Joined(c.calls) << "]";
    }
}

TEST(ModuleLifecycle, RawHookEmptiesBothListsOnlyAtProcessAttach) {
    for (uint32_t reason : {DllProcessDetach, DllThreadAttach, DllThreadDetach}) {
        RecordingHost host;
        RawHook(host.Framework(), reason);
        EXPECT_EQ(host.runtimeClassHead, &host.runtimeClass) << "reason " << reason;
        EXPECT_EQ(host.classFactoryHead, &host.classFactory) << "reason " << reason;
        EXPECT_TRUE(host.calls.empty()) << "reason " << reason << ": have [" << Joined(host.calls) << "]";
    }

    RecordingHost host;
    RawHook(host.Framework(), DllProcessAttach);
    EXPECT_EQ(host.runtimeClassHead, nullptr);
    EXPECT_EQ(host.runtimeClassInitial, &host.runtimeClass);
    EXPECT_EQ(host.classFactoryHead, nullptr);
    EXPECT_EQ(host.classFactoryInitial, &host.classFactory);
}

TEST(ModuleLifecycle, RawHookToleratesAFrameworkWithoutState) {
    RecordingHost host;
    FrameworkServices framework = host.Framework();
    framework.moduleLists = [](void*, FrameworkModuleLists* lists) {
        *lists = FrameworkModuleLists{};
        return true;
    };
    RawHook(framework, DllProcessAttach);
    EXPECT_EQ(host.runtimeClassHead, &host.runtimeClass);
    EXPECT_EQ(host.classFactoryHead, &host.classFactory);

    framework.moduleLists = [](void*, FrameworkModuleLists*) { return false; };
    EXPECT_EQ(ModuleEntryPoint(framework, host.Runtime(), &host.instance, DllProcessAttach, nullptr), 1);
}

// A load, a few threads and an unload without the framework: everything succeeds, and the
// sanitizer build sees that no block is left behind.
TEST(ModuleLifecycle, NoFrameworkLoadsAndUnloadsCleanly) {
    const FrameworkServices framework = NoFrameworkServices();
    const ModuleRuntime runtime = EmptyModuleRuntime();
    int instance = 0;
    for (uint32_t reason : {DllProcessAttach, DllThreadAttach, DllThreadDetach, DllProcessDetach})
        EXPECT_EQ(ModuleEntryPoint(framework, runtime, &instance, reason, nullptr), 1) << "reason " << reason;

    void* block = framework.allocate(framework.context, FrameworkLibraryObjectSize);
    ASSERT_NE(block, nullptr);
    framework.release(framework.context, block);
}

}  // namespace
}  // namespace rastero

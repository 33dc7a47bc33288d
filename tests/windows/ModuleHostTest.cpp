// The module as a Windows host uses it: loaded by the Windows loader from beside this program,
// its export found by name and by ordinal, called with wide paths, its resources read through the
// system's own functions, and unloaded again.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "rastero/RasteroPixelate.h"

namespace {

constexpr int32_t Side = 64;
constexpr int32_t HeaderBytes = 54;
constexpr int32_t RowBytes = Side * 3;

std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

const std::wstring& ModulePath() {
    static const std::wstring path = ModuleFolder() + L"BrelvinBMPPixelate.dll";
    return path;
}

void Put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// A 64 x 64 file at 24 bits with the headers the library itself writes, so that a pixelated copy
// differs from it in the pixels only.
std::vector<uint8_t> Headers() {
    std::vector<uint8_t> out = {'B', 'M'};
    Put32(out, HeaderBytes + RowBytes * Side);
    Put32(out, 0);
    Put32(out, HeaderBytes);
    for (uint32_t field : {40u, uint32_t(Side), uint32_t(Side)}) Put32(out, field);
    Put16(out, 1);
    Put16(out, 24);
    for (uint32_t field : {0u, uint32_t(RowBytes * Side), 3780u, 3780u, 0u, 0u}) Put32(out, field);
    return out;
}

struct Color {
    uint8_t blue, green, red;
};

Color PatternColor(int32_t x, int32_t y) {
    return Color{static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 4), static_cast<uint8_t>(x * y)};
}

// The mosaic of the rectangle (0, 0, 40, 40): blocks at 0 and 20 in each direction, 21 pixels
// wide, the later block winning the shared line, each in the colour one step inside its corner.
Color MosaicColor(int32_t x, int32_t y) {
    if (x > 40 || y > 40) return PatternColor(x, y);
    return PatternColor(x < 20 ? 1 : 21, y < 20 ? 1 : 21);
}

template <typename ColorAt>
std::vector<uint8_t> File(ColorAt colorAt) {
    std::vector<uint8_t> out = Headers();
    for (int32_t y = Side - 1; y >= 0; --y) {
        for (int32_t x = 0; x < Side; ++x) {
            const Color c = colorAt(x, y);
            out.insert(out.end(), {c.blue, c.green, c.red});
        }
    }
    return out;
}

bool WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

std::vector<uint8_t> ReadBytes(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return bytes;
    uint8_t buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + count);
    fclose(file);
    return bytes;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW((folder + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return names;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

class WindowsModuleHost : public ::testing::Test {
protected:
    void SetUp() override {
        // Every name below must be one the system code page holds.
        ASSERT_EQ(GetACP(), 1252u) << "the tests expect the code page of English (United States)";
        module = LoadLibraryW(ModulePath().c_str());
        ASSERT_NE(module, nullptr) << "LoadLibrary failed with error " << GetLastError();
        pixelate = reinterpret_cast<RasteroPixelateFunction>(
            reinterpret_cast<void*>(GetProcAddress(module, "RasteroPixelate")));
        ASSERT_NE(pixelate, nullptr);

        wchar_t temp[MAX_PATH];
        ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
        const std::string test = testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = std::wstring(temp) + L"Rastero é " + std::to_wstring(GetCurrentProcessId()) + L" " +
                 std::wstring(test.begin(), test.end()) + L"\\";
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << "error " << GetLastError();
    }

    void TearDown() override {
        for (const std::wstring& name : FolderEntries(folder)) DeleteFileW((folder + name).c_str());
        RemoveDirectoryW(folder.c_str());
        if (module) {
            EXPECT_TRUE(FreeLibrary(module));
        }
    }

    HMODULE module = nullptr;
    RasteroPixelateFunction pixelate = nullptr;
    std::wstring folder;
};

TEST_F(WindowsModuleHost, ExportIsFoundByNameAndByOrdinalOne) {
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(1))),
              reinterpret_cast<void*>(pixelate));
    EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(2)), nullptr);
}

TEST_F(WindowsModuleHost, PixelatesFilesWithWideNames) {
    struct Case {
        const char* name;
        std::wstring input;
        std::wstring output;
    };
    const std::vector<Case> cases = {
        {"ASCII", L"in.bmp", L"out.bmp"},
        {"Latin letters", L"Grüße aus Köln.bmp", L"Ærø ñandú.bmp"},
        {"signs of the code page", L"€ – “quoted” ©.bmp", L"¼ ± ß µ.bmp"},
    };
    const std::vector<uint8_t> input = File(PatternColor);
    const std::vector<uint8_t> want = File(MosaicColor);
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteBytes(folder + c.input, input)) << c.name;
        const int32_t result = pixelate((folder + c.input).c_str(), (folder + c.output).c_str(), 0, 0, 40, 40);
        EXPECT_EQ(result, 999) << c.name << ": have " << result << ", want 999";
        EXPECT_TRUE(ReadBytes(folder + c.output) == want) << c.name << ": output differs from the expected mosaic";
    }
}

TEST_F(WindowsModuleHost, ReplacesAnExistingOutputAndLeavesNothingElse) {
    ASSERT_TRUE(WriteBytes(folder + L"in.bmp", File(PatternColor)));
    ASSERT_TRUE(WriteBytes(folder + L"out.bmp", std::vector<uint8_t>(100000, 0xAB)));
    EXPECT_EQ(pixelate((folder + L"in.bmp").c_str(), (folder + L"out.bmp").c_str(), 0, 0, 40, 40), 999);
    EXPECT_TRUE(ReadBytes(folder + L"out.bmp") == File(MosaicColor));
    std::string entries;
    for (const std::wstring& name : FolderEntries(folder)) entries += Narrow(name) + " ";
    EXPECT_EQ(entries, "in.bmp out.bmp ");
}

// The system does not let a file that is open be replaced, so the mosaic over its own input must
// not be streamed from it; names outside ASCII show that the two names are compared as files.
TEST_F(WindowsModuleHost, WritesOverItsOwnInput) {
    for (const std::wstring name : {L"same.bmp", L"€ – same.bmp"}) {
        ASSERT_TRUE(WriteBytes(folder + name, File(PatternColor)));
        EXPECT_EQ(pixelate((folder + name).c_str(), (folder + name).c_str(), 0, 0, 40, 40), 999);
        EXPECT_TRUE(ReadBytes(folder + name) == File(MosaicColor)) << Narrow(name);
    }
}

TEST_F(WindowsModuleHost, MissingInputGivesOneAndWritesNothing) {
    EXPECT_EQ(pixelate((folder + L"missing.bmp").c_str(), (folder + L"out.bmp").c_str(), 0, 0, 40, 40), 1);
    EXPECT_EQ(pixelate(nullptr, (folder + L"out.bmp").c_str(), 0, 0, 40, 40), 1);
    EXPECT_FALSE(Exists(folder + L"out.bmp"));
}

// "Ā" and the full-width backslash are not in code page 1252; the system's best fit would turn
// them into "A" and "\\" and so name another file, even in another folder. Such names must fail
// like names that do not exist.
TEST_F(WindowsModuleHost, NamesOutsideTheCodePageReachNoOtherFile) {
    ASSERT_TRUE(WriteBytes(folder + L"A.bmp", File(PatternColor)));
    ASSERT_TRUE(CreateDirectoryW((folder + L"sub").c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(folder + L"sub\\in.bmp", File(PatternColor)));
    for (const wchar_t* name : {L"\u0100.bmp", L"sub\uFF3Cin.bmp"}) {
        EXPECT_EQ(pixelate((folder + name).c_str(), (folder + L"out.bmp").c_str(), 0, 0, 40, 40), 1)
            << "input " << Narrow(name);
    }
    EXPECT_FALSE(Exists(folder + L"out.bmp"));
    DeleteFileW((folder + L"sub\\in.bmp").c_str());
    RemoveDirectoryW((folder + L"sub").c_str());

    EXPECT_EQ(pixelate((folder + L"A.bmp").c_str(), (folder + L"\u0100.bmp").c_str(), 0, 0, 40, 40), 999);
    EXPECT_TRUE(ReadBytes(folder + L"A.bmp") == File(PatternColor)) << "the input was overwritten";
    EXPECT_EQ(FolderEntries(folder).size(), 1u);
}

// Threads started while the module is loaded reach its entry point, and calls on different files
// run side by side.
TEST_F(WindowsModuleHost, CallsFromSeveralThreads) {
    const std::vector<uint8_t> input = File(PatternColor);
    const std::vector<uint8_t> want = File(MosaicColor);
    std::vector<std::thread> threads;
    std::vector<int32_t> results(4, 0);
    for (size_t i = 0; i < results.size(); ++i) {
        const std::wstring in = folder + L"in" + std::to_wstring(i) + L".bmp";
        ASSERT_TRUE(WriteBytes(in, input));
        threads.emplace_back([this, in, i, &results] {
            results[i] = pixelate(in.c_str(), (in + L".out").c_str(), 0, 0, 40, 40);
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i], 999) << "thread " << i;
        EXPECT_TRUE(ReadBytes(folder + L"in" + std::to_wstring(i) + L".bmp.out") == want) << "thread " << i;
    }
}

std::wstring VersionString(const std::vector<uint8_t>& block, const wchar_t* key) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
    if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) return L"<none>";
    return std::wstring(value, length > 0 ? length - 1 : 0);
}

// The resources as the system's own readers see them; scripts/check-windows-module.py checks
// every value in the file.
TEST_F(WindowsModuleHost, SystemReadsTheResources) {
    std::vector<uint8_t> block(GetFileVersionInfoSizeW(ModulePath().c_str(), nullptr));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(ModulePath().c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileType, 2u);
    EXPECT_TRUE(VersionString(block, L"FileDescription") == L"BrelvinBMPPixelate DLL");
    EXPECT_TRUE(VersionString(block, L"OriginalFilename") == L"BrelvinBMPPixelate.DLL");

    wchar_t text[100];
    const int textLength = LoadStringW(module, 101, text, 100);
    EXPECT_TRUE(std::wstring(text, textLength) == L"Windows sockets initialization failed.");

    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->lcid, 0x0409u);
    EXPECT_EQ(attributes->syskind, SYS_WIN32);
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    library->ReleaseTLibAttr(attributes);
    EXPECT_EQ(library->GetTypeInfoCount(), 0u);
    BSTR name = nullptr, help = nullptr, helpFile = nullptr;
    ASSERT_EQ(library->GetDocumentation(-1, &name, &help, nullptr, &helpFile), S_OK);
    EXPECT_TRUE(name && std::wstring(name) == L"BrelvinBMPPixelate");
    EXPECT_EQ(help, nullptr);
    EXPECT_EQ(helpFile, nullptr);
    SysFreeString(name);
    library->Release();
}

}  // namespace

#include "host/PluginModule.h"

#include "host/PluginRegistry.h"

#include <map>
#include <mutex>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
// The host interfaces have an operation of this name; the SDK maps it to
// GetClassNameA (a unit may join this file with others that use it).
#undef GetClassName
#else
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>
#endif

namespace telva_host {

namespace {

std::mutex g_moduleMutex;

std::map<std::string, LoadedModule>& LoadedModules() {
    static std::map<std::string, LoadedModule>* modules = new std::map<std::string, LoadedModule>();
    return *modules;
}

#ifdef _WIN32
std::string LastErrorText() {
    const DWORD code = GetLastError();
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&buffer),
        0, nullptr);
    std::string text = length != 0 && buffer != nullptr ? std::string(buffer, length)
                                                        : "error " + std::to_string(code);
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// Returns an error text, empty on success.
std::string OpenModule(const std::string& path) {
    return LoadLibraryA(path.c_str()) != nullptr ? std::string() : LastErrorText();
}

std::string ModuleKey(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length != 0 && length < MAX_PATH ? std::string(full, length) : path;
}
#else
std::string OpenModule(const std::string& path) {
    // A bare file name would send dlopen searching the library path.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    if (dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL) != nullptr) return std::string();
    const char* error = dlerror();
    return error != nullptr ? error : "unknown error";
}

std::string ModuleKey(const std::string& path) {
    char full[PATH_MAX] = {};
    return realpath(path.c_str(), full) != nullptr ? std::string(full) : path;
}
#endif

}  // namespace

LoadedModule LoadPluginModule(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_moduleMutex);
    const std::string key = ModuleKey(path);
    auto loaded = LoadedModules().find(key);
    if (loaded != LoadedModules().end()) return loaded->second;

    PluginRegistry& registry = PluginRegistry::Instance();
    const std::size_t before = registry.Count();
    const std::string error = OpenModule(path);
    if (!error.empty()) throw std::runtime_error("cannot load plug-in " + path + ": " + error);

    LoadedModule module;
    module.path = path;
    const std::vector<NTELVA20::IPluginCallbacks*> all = registry.Callbacks();
    module.registered.assign(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    LoadedModules()[key] = module;
    return module;
}

std::string ProgramFolder() {
#ifdef _WIN32
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program(path, length);
    return program.substr(0, program.find_last_of("\\/") + 1);
#else
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "./";
    std::string program(path, static_cast<std::size_t>(length));
    return program.substr(0, program.find_last_of('/') + 1);
#endif
}

std::string DefaultPluginFileName() {
#ifdef _WIN32
    return "strata.pi.dll";
#else
    return "strata.pi.so";
#endif
}

}  // namespace telva_host

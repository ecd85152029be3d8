// The shell: ShellExecuteA opens documents and addresses with xdg-open, and the COM task
// allocator hands out the folder browser's item lists.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <objbase.h>
#include <shellapi.h>

#include "Internal.h"
#include "headless/Headless.h"

extern char** environ;

namespace plenvo::headless {

int CountOpenRegistryKeys();
int CountOpenFindHandles();
int CountWindows();

namespace {

std::mutex g_mutex;
ShellHook g_hook;
std::vector<pid_t> g_children;
std::set<void*> g_taskBlocks;

// Reaps the programs that have ended, so none stays a zombie.
void ReapEnded() {
    for (auto it = g_children.begin(); it != g_children.end();) {
        int status = 0;
        if (::waitpid(*it, &status, WNOHANG) != 0) {
            it = g_children.erase(it);
        } else {
            ++it;
        }
    }
}

HINSTANCE Answer(INT_PTR code) { return reinterpret_cast<HINSTANCE>(code); }

}  // namespace

void SetShellHook(ShellHook hook) {
    std::lock_guard lock(g_mutex);
    g_hook = std::move(hook);
}

int WaitForLaunchedPrograms() {
    std::vector<pid_t> children;
    {
        std::lock_guard lock(g_mutex);
        children.swap(g_children);
    }
    for (pid_t child : children) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    return static_cast<int>(children.size());
}

OpenCounts CountOpen() {
    OpenCounts counts;
    counts.registryKeys = CountOpenRegistryKeys();
    counts.findHandles = CountOpenFindHandles();
    counts.windows = CountWindows();
    std::lock_guard lock(g_mutex);
    counts.taskMemoryBlocks = static_cast<int>(g_taskBlocks.size());
    return counts;
}

}  // namespace plenvo::headless

using namespace plenvo::headless;

HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                               LPCSTR lpDirectory, INT nShowCmd) {
    ShellHook hook;
    {
        std::lock_guard lock(g_mutex);
        hook = g_hook;
        ReapEnded();
    }
    if (hook) {
        return Answer(hook(ShellRequest{hwnd, lpOperation != nullptr ? lpOperation : "",
                                        lpFile != nullptr ? lpFile : "",
                                        lpParameters != nullptr ? lpParameters : "",
                                        lpDirectory != nullptr ? lpDirectory : "", nShowCmd}));
    }
    if (lpFile == nullptr || lpFile[0] == '\0') {
        return Answer(SE_ERR_FNF);
    }
    // Only opening has a program behind it here; parameters belong to programs, not to
    // documents, so they are not passed on.
    if (lpOperation != nullptr && lpOperation[0] != '\0' && !EqualsNoCase(lpOperation, "open")) {
        return Answer(SE_ERR_NOASSOC);
    }
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (lpDirectory != nullptr && lpDirectory[0] != '\0') {
        ::posix_spawn_file_actions_addchdir_np(&actions, lpDirectory);
    }
    ::posix_spawnattr_init(&attributes);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    // The address goes to xdg-open as one argument: no shell ever sees it.
    char program[] = "xdg-open";
    std::string file(lpFile);
    char* argv[] = {program, file.data(), nullptr};
    pid_t child = 0;
    const int error = ::posix_spawnp(&child, program, &actions, &attributes, argv, environ);
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        return Answer(error == ENOENT ? SE_ERR_NOASSOC : SE_ERR_ACCESSDENIED);
    }
    std::lock_guard lock(g_mutex);
    g_children.push_back(child);
    return Answer(42);
}

LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb) {
    void* block = std::malloc(cb == 0 ? 1 : cb);
    if (block != nullptr) {
        std::lock_guard lock(g_mutex);
        g_taskBlocks.insert(block);
    }
    return block;
}

void WINAPI CoTaskMemFree(LPVOID pv) {
    if (pv == nullptr) {
        return;
    }
    {
        std::lock_guard lock(g_mutex);
        g_taskBlocks.erase(pv);
    }
    std::free(pv);
}

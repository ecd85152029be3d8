#pragma once

// Owners for the host handles the plug-in opens: streams, path names, documents, and
// the menus and menu items it acquires.
// Release() is for the normal flow: the handle counts as released before the host is
// asked, so a release that raises is never tried again. The destructor releases a handle
// that is still held, inside a frame of its own, and drops a failure: it runs on the way
// out of an operation, where nothing can be done about it.

#include <utility>

#include "host/HostFrame.h"

namespace plenvo::host {

template <class Handle, class Releaser>
class ScopedHostHandle {
public:
    ScopedHostHandle() = default;
    explicit ScopedHostHandle(Handle handle, Releaser releaser = {})
        : handle_(handle), releaser_(releaser) {}
    ScopedHostHandle(ScopedHostHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, nullptr)), releaser_(other.releaser_) {}
    ScopedHostHandle& operator=(ScopedHostHandle&& other) noexcept {
        if (this != &other) {
            ReleaseQuietly();
            handle_ = std::exchange(other.handle_, nullptr);
            releaser_ = other.releaser_;
        }
        return *this;
    }
    ScopedHostHandle(const ScopedHostHandle&) = delete;
    ScopedHostHandle& operator=(const ScopedHostHandle&) = delete;
    ~ScopedHostHandle() { ReleaseQuietly(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    void Release() {
        if (const Handle handle = std::exchange(handle_, nullptr)) releaser_(handle);
    }

private:
    void ReleaseQuietly() noexcept {
        if (const Handle handle = std::exchange(handle_, nullptr)) {
            IgnoringHostRaise([&] { releaser_(handle); });
        }
    }

    Handle handle_ = nullptr;
    Releaser releaser_{};
};

struct StreamCloser {
    void operator()(ASStm stream) const { ASStmClose(stream); }
};
struct DocumentCloser {
    void operator()(PDDoc document) const { PDDocClose(document); }
};
struct PathNameReleaser {
    ASFileSys fileSys = nullptr;
    void operator()(ASPathName path) const { ASFileSysReleasePath(fileSys, path); }
};

struct MenuReleaser {
    void operator()(AVMenu menu) const { AVMenuRelease(menu); }
};
struct MenuItemReleaser {
    void operator()(AVMenuItem item) const { AVMenuItemRelease(item); }
};

using ScopedStream = ScopedHostHandle<ASStm, StreamCloser>;
using ScopedDocument = ScopedHostHandle<PDDoc, DocumentCloser>;
using ScopedPathName = ScopedHostHandle<ASPathName, PathNameReleaser>;
using ScopedMenu = ScopedHostHandle<AVMenu, MenuReleaser>;
using ScopedMenuItem = ScopedHostHandle<AVMenuItem, MenuItemReleaser>;

}  // namespace plenvo::host

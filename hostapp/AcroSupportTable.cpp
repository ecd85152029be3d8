// "AcroSupport": streams, the file system's path names, error texts and table versions.

#include <algorithm>
#include <cstring>

#include "HostRuntime.h"

namespace plenvo::hostapp {
namespace {

using namespace plenvo::host;

constexpr std::uint64_t kDefaultFileSysId = 2;

std::int32_t StmRead(char* buffer, std::uint32_t itemSize, std::uint32_t itemCount, ASStm stream) {
    return RunOperation("ASStmRead", [&] {
        Stream& source = StreamFor(stream);
        if (buffer == nullptr && itemCount > 0) throw HostError(kErrBadParameter);
        std::int32_t items = 0;
        if (itemSize > 0) {
            const std::size_t left = (source.size - source.position) / itemSize;
            const std::size_t limit = std::min<std::size_t>(itemCount, INT32_MAX / itemSize);
            items = static_cast<std::int32_t>(std::min(left, limit));
            const std::size_t bytes = static_cast<std::size_t>(items) * itemSize;
            if (bytes > 0) std::memcpy(buffer, source.Data() + source.position, bytes);
            source.position += bytes;
        }
        TheHost().reads.push_back({itemCount, items});
        return items;
    });
}

void StmClose(ASStm stream) {
    RunRelease("ASStmClose", [&] {
        if (TheHost().streams.erase(HandleId(stream)) == 0) throw HostError(kErrBadHandle);
    });
}

ASStm MemStmRdOpen(const char* bytes, std::size_t length) {
    return RunOperation("ASMemStmRdOpen", [&] {
        if (bytes == nullptr && length > 0) throw HostError(kErrBadParameter);
        Stream stream;
        stream.borrowed = bytes;
        stream.size = length;
        const std::uint64_t id = NewId();
        TheHost().streams.emplace(id, std::move(stream));
        return MakeHandle<ASStm>(id);
    });
}

ASFileSys GetDefaultFileSys() {
    return RunOperation("ASGetDefaultFileSys",
                        [] { return MakeHandle<ASFileSys>(kDefaultFileSysId); });
}

ASPathName FileSysCreatePathName(ASFileSys fileSys, ASAtom pathType, const void* pathSpec,
                                 const void* mustBeNull) {
    return RunOperation("ASFileSysCreatePathName", [&]() -> ASPathName {
        CheckFileSys(fileSys);
        if (pathSpec == nullptr || mustBeNull != nullptr) throw HostError(kErrBadParameter);
        // Only zero-terminated 8-bit paths are understood; an empty one names nothing.
        if (AtomText(pathType) != "Cstring") return nullptr;
        std::string path(static_cast<const char*>(pathSpec));
        if (path.empty()) return nullptr;
        const std::uint64_t id = NewId();
        TheHost().pathNames.emplace(id, std::move(path));
        return MakeHandle<ASPathName>(id);
    });
}

void FileSysReleasePath(ASFileSys fileSys, ASPathName path) {
    RunRelease("ASFileSysReleasePath", [&] {
        CheckFileSys(fileSys);
        if (TheHost().pathNames.erase(HandleId(path)) == 0) throw HostError(kErrBadHandle);
    });
}

const char* GetErrorString(ASErrorCode code, char* buffer, std::size_t bufferSize) {
    return RunOperation("ASGetErrorString", [&] {
        if (buffer == nullptr || bufferSize == 0) return static_cast<const char*>(buffer);
        const std::string text = ErrorText(code);
        const std::size_t length = std::min(text.size(), bufferSize - 1);
        std::memcpy(buffer, text.data(), length);
        buffer[length] = '\0';
        return static_cast<const char*>(buffer);
    });
}

ASVersion GetVersion(HFT table) {
    return RunOperation("HFTGetVersion", [&] { return ReportedVersion(table); });
}

}  // namespace

void CheckFileSys(ASFileSys fileSys) {
    if (HandleId(fileSys) != kDefaultFileSysId) throw HostError(kErrBadHandle);
}

void FillAcroSupportTable(std::array<HFTEntry, acrosupport::kSlotCount>& table) {
    Fill<acrosupport::ASStmRead>(table, &StmRead);
    Fill<acrosupport::ASStmClose>(table, &StmClose);
    Fill<acrosupport::ASMemStmRdOpen>(table, &MemStmRdOpen);
    Fill<acrosupport::ASGetDefaultFileSys>(table, &GetDefaultFileSys);
    Fill<acrosupport::ASFileSysCreatePathName>(table, &FileSysCreatePathName);
    Fill<acrosupport::ASFileSysReleasePath>(table, &FileSysReleasePath);
    Fill<acrosupport::ASGetErrorString>(table, &GetErrorString);
    Fill<acrosupport::HFTGetVersion>(table, &GetVersion);
}

}  // namespace plenvo::hostapp

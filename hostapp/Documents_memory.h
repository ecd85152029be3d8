#pragma once

// What the memory backend's files share: the objects of a document kept in memory and
// the Cos handles given out for them. Internal to hostapp.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "HostRuntime.h"

namespace plenvo::hostapp {

struct MemoryObject;
using ObjectPtr = std::shared_ptr<MemoryObject>;

// The object kinds a catalog and its metadata stream need; objects are shared, as
// indirect objects are, so a change through one handle shows through every other.
struct MemoryObject {
    host::CosType type = host::kCosNull;
    std::string name;                          // a name's text, without the slash
    std::map<std::string, ObjectPtr> entries;  // a dictionary's, or a stream's dictionary
    std::string data;                          // a stream's bytes, stored unencoded
};

struct DocumentContent {
    ObjectPtr root;                  // the catalog
    std::vector<ObjectPtr> objects;  // what its CosObj handles name, from index 1
};

// Cos handles: the document's id in the high half, the object's index in the low half.
// The null object belongs to no document.
inline constexpr std::uint64_t kNullObjectId = 1;
host::CosObj AddObject(std::uint64_t documentId, ObjectPtr object);
struct ObjectRef {
    std::uint64_t documentId = 0;  // 0 for the null object
    ObjectPtr object;
};
// Throws HostError(kErrBadHandle) for a handle that names nothing open.
ObjectRef ResolveObject(host::CosObj handle);
ObjectPtr NullObject();

}  // namespace plenvo::hostapp

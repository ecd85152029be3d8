// The document backend for the Windows build: documents are kept in memory by path, as
// the tests make them, since qpdf is not available there. Opening copies a document out
// of the store and saving copies it back, as reading and writing a file would.

#include "Documents_memory.h"

#include <windows.h>

#include <unordered_map>

#include "HostControl_memory.h"

namespace plenvo::hostapp {
namespace {

struct Stored {
    ObjectPtr root;
    int saves = 0;
};

std::map<std::string, Stored>& Store() {
    static std::map<std::string, Stored> store;
    return store;
}

// Folds letters as the ANSI code page knows them, as the file system does with names.
std::string StoreKey(const std::string& path) {
    std::string key = path;
    if (!key.empty()) ::CharUpperBuffA(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

// A deep copy that keeps shared objects shared.
ObjectPtr Copy(const ObjectPtr& object, std::unordered_map<const MemoryObject*, ObjectPtr>& copies) {
    if (object == nullptr) return nullptr;
    if (const auto found = copies.find(object.get()); found != copies.end()) return found->second;
    auto copy = std::make_shared<MemoryObject>();
    copies.emplace(object.get(), copy);
    copy->type = object->type;
    copy->name = object->name;
    copy->data = object->data;
    for (const auto& [key, value] : object->entries) copy->entries.emplace(key, Copy(value, copies));
    return copy;
}

ObjectPtr Copy(const ObjectPtr& object) {
    std::unordered_map<const MemoryObject*, ObjectPtr> copies;
    return Copy(object, copies);
}

ObjectPtr Name(const std::string& text) {
    auto name = std::make_shared<MemoryObject>();
    name->type = host::kCosName;
    name->name = text;
    return name;
}

ObjectPtr Catalog(const MemoryDocument& document) {
    auto catalog = std::make_shared<MemoryObject>();
    catalog->type = host::kCosDict;
    catalog->entries["Type"] = Name("Catalog");
    if (document.metadata) {
        auto stream = std::make_shared<MemoryObject>();
        stream->type = host::kCosStream;
        stream->entries["Type"] = Name("Metadata");
        stream->entries["Subtype"] = Name("XML");
        stream->data = *document.metadata;
        catalog->entries["Metadata"] = stream;
    }
    return catalog;
}

MemoryDocument Described(const ObjectPtr& root) {
    MemoryDocument document;
    const auto metadata = root->entries.find("Metadata");
    if (metadata != root->entries.end() && metadata->second->type == host::kCosStream) {
        document.metadata = metadata->second->data;
    }
    return document;
}

}  // namespace

void DeleteContent::operator()(DocumentContent* content) const { delete content; }

ContentPtr OpenContent(const std::string& path, bool) {
    const auto found = Store().find(StoreKey(path));
    if (found == Store().end()) throw HostError(kErrFileNotFound);
    ContentPtr content(new DocumentContent);
    content->root = Copy(found->second.root);
    return content;
}

void SaveContent(DocumentContent& content, const std::string& target, bool) {
    Stored& stored = Store()[StoreKey(target)];
    stored.root = Copy(content.root);
    ++stored.saves;
}

std::optional<host::ASErrorCode> ContentErrorCode(const std::exception&) { return std::nullopt; }

void ResetBackend() {}

host::CosObj AddObject(std::uint64_t documentId, ObjectPtr object) {
    std::vector<ObjectPtr>& objects = DocumentFor(documentId).content->objects;
    objects.push_back(std::move(object));
    return MakeHandle<host::CosObj>((documentId << 32) | objects.size());
}

ObjectRef ResolveObject(host::CosObj handle) {
    const std::uint64_t id = HandleId(handle);
    if (id == kNullObjectId) return {0, NullObject()};
    const std::uint64_t documentId = id >> 32;
    const std::uint64_t index = id & 0xFFFFFFFFu;
    if (documentId == 0) throw HostError(kErrBadHandle);
    const std::vector<ObjectPtr>& objects = DocumentFor(documentId).content->objects;
    if (index == 0 || index > objects.size()) throw HostError(kErrBadHandle);
    return {documentId, objects[index - 1]};
}

ObjectPtr NullObject() {
    static const ObjectPtr null = std::make_shared<MemoryObject>();
    return null;
}

void StoreDocument(const std::string& path, const MemoryDocument& document) {
    Store()[StoreKey(path)] = Stored{Catalog(document), 0};
}

std::optional<MemoryDocument> StoredDocument(const std::string& path) {
    const auto found = Store().find(StoreKey(path));
    if (found == Store().end()) return std::nullopt;
    return Described(found->second.root);
}

int SaveCount(const std::string& path) {
    const auto found = Store().find(StoreKey(path));
    return found != Store().end() ? found->second.saves : 0;
}

void RemoveStoredDocuments() { Store().clear(); }

}  // namespace plenvo::hostapp

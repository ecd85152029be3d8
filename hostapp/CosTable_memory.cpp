// "Cos": the objects of a document kept in memory.

#include "Documents_memory.h"

namespace plenvo::hostapp {
namespace {

using namespace plenvo::host;

// A stream's dictionary operations act on its stream dictionary, which the stream holds
// as its entries.
MemoryObject& DictionaryOf(const ObjectRef& ref) {
    if (ref.object->type != kCosDict && ref.object->type != kCosStream) throw HostError(kErrBadParameter);
    return *ref.object;
}

std::uint64_t DocumentId(CosDoc document) {
    const std::uint64_t id = HandleId(document);
    DocumentFor(id);
    return id;
}

CosObj DocGetRoot(CosDoc document) {
    return RunOperation("CosDocGetRoot", [&] {
        const std::uint64_t id = DocumentId(document);
        return AddObject(id, DocumentFor(id).content->root);
    });
}

// A key whose value is null is not there, as in a PDF file.
ObjectPtr Entry(const MemoryObject& dictionary, ASAtom key) {
    const auto found = dictionary.entries.find(AtomText(key));
    return found != dictionary.entries.end() && found->second->type != kCosNull ? found->second : nullptr;
}

ASBool DictKnown(CosObj dict, ASAtom key) {
    return RunOperation("CosDictKnown", [&] { return ASBool{Entry(DictionaryOf(ResolveObject(dict)), key) != nullptr}; });
}

CosObj DictGet(CosObj dict, ASAtom key) {
    return RunOperation("CosDictGet", [&] {
        const ObjectRef ref = ResolveObject(dict);
        ObjectPtr value = Entry(DictionaryOf(ref), key);
        if (value == nullptr) return MakeHandle<CosObj>(kNullObjectId);
        return AddObject(ref.documentId, std::move(value));
    });
}

void DictPut(CosObj dict, ASAtom key, CosObj value) {
    RunOperation("CosDictPut", [&] {
        const ObjectRef target = ResolveObject(dict);
        const ObjectRef put = ResolveObject(value);
        if (put.documentId != 0 && put.documentId != target.documentId) throw HostError(kErrBadParameter);
        MemoryObject& dictionary = DictionaryOf(target);
        // Putting null takes the key out.
        if (put.object->type == kCosNull) {
            dictionary.entries.erase(AtomText(key));
        } else {
            dictionary.entries[AtomText(key)] = put.object;
        }
    });
}

CosType ObjGetType(CosObj object) {
    return RunOperation("CosObjGetType", [&] { return ResolveObject(object).object->type; });
}

// The data is stored unencoded, so both modes read the same bytes.
ASStm StreamOpenStm(CosObj object, CosStreamOpenMode mode) {
    return RunOperation("CosStreamOpenStm", [&] {
        const ObjectRef ref = ResolveObject(object);
        if (ref.object->type != kCosStream) throw HostError(kErrBadParameter);
        if (mode != kCosOpenRaw && mode != kCosOpenDecoded) throw HostError(kErrBadParameter);
        Stream opened;
        opened.owned = ref.object->data;
        opened.size = opened.owned.size();
        const std::uint64_t id = NewId();
        TheHost().streams.emplace(id, std::move(opened));
        return MakeHandle<ASStm>(id);
    });
}

CosObj NewObject(CosDoc document, MemoryObject object) {
    return AddObject(DocumentId(document), std::make_shared<MemoryObject>(std::move(object)));
}

CosObj NewName(CosDoc document, ASBool, ASAtom name) {
    return RunOperation("CosNewName", [&] {
        MemoryObject object;
        object.type = kCosName;
        object.name = AtomText(name);
        return NewObject(document, std::move(object));
    });
}

CosObj NewDict(CosDoc document, ASBool, std::int32_t entries) {
    return RunOperation("CosNewDict", [&] {
        if (entries < 0) throw HostError(kErrBadParameter);
        MemoryObject object;
        object.type = kCosDict;
        return NewObject(document, std::move(object));
    });
}

CosObj NewNull() {
    return RunOperation("CosNewNull", [] { return MakeHandle<CosObj>(kNullObjectId); });
}

CosObj NewStream(CosDoc document, ASBool indirect, ASStm source, std::int64_t sourceStart,
                 ASBool sourceLengthKnown, CosObj attributes, CosObj encodeParams,
                 std::int64_t sourceLength) {
    return RunOperation("CosNewStream", [&] {
        const std::uint64_t id = DocumentId(document);
        // A PDF stream is always an indirect object.
        if (!indirect) throw HostError(kErrBadParameter);

        const StreamSource input = NewStreamSource(source, sourceStart, sourceLengthKnown != 0, sourceLength);

        const ObjectRef dictionary = ResolveObject(attributes);
        if (dictionary.documentId != 0 && dictionary.documentId != id) throw HostError(kErrBadParameter);
        const CosType type = dictionary.object->type;
        if (type != kCosNull && type != kCosDict) throw HostError(kErrBadParameter);
        // The data is stored as given; the host does not encode new streams.
        if (ResolveObject(encodeParams).object->type != kCosNull) throw HostError(kErrNotSupported);
        if (dictionary.object->entries.contains("Filter") || dictionary.object->entries.contains("DecodeParms")) {
            throw HostError(kErrNotSupported);
        }

        MemoryObject stream;
        stream.type = kCosStream;
        stream.data.assign(input.bytes);
        for (const auto& [key, value] : dictionary.object->entries) {
            if (key != "Length") stream.entries[key] = value;
        }
        input.stream.position = input.end;
        return NewObject(document, std::move(stream));
    });
}

}  // namespace

void FillCosTable(std::array<HFTEntry, cos::kSlotCount>& table) {
    Fill<cos::CosDocGetRoot>(table, &DocGetRoot);
    Fill<cos::CosDictKnown>(table, &DictKnown);
    Fill<cos::CosDictGet>(table, &DictGet);
    Fill<cos::CosDictPut>(table, &DictPut);
    Fill<cos::CosObjGetType>(table, &ObjGetType);
    Fill<cos::CosStreamOpenStm>(table, &StreamOpenStm);
    Fill<cos::CosNewName>(table, &NewName);
    Fill<cos::CosNewDict>(table, &NewDict);
    Fill<cos::CosNewNull>(table, &NewNull);
    Fill<cos::CosNewStream>(table, &NewStream);
}

}  // namespace plenvo::hostapp

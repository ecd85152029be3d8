// "Cos": the objects of an open document, over qpdf's object handles.

#include <optional>

#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Buffer.hh>

#include "Documents_qpdf.h"

namespace plenvo::hostapp {
namespace {

using namespace plenvo::host;

std::string Key(ASAtom atom) { return "/" + AtomText(atom); }

// A stream's dictionary operations act on its stream dictionary.
QPDFObjectHandle DictionaryOf(const ObjectRef& ref) {
    QPDFObjectHandle object = ref.object;
    if (object.isDictionary()) return object;
    if (object.isStream()) return object.getDict();
    throw HostError(kErrBadParameter);
}

std::uint64_t DocumentId(CosDoc document) {
    const std::uint64_t id = HandleId(document);
    DocumentFor(id);
    return id;
}

CosObj DocGetRoot(CosDoc document) {
    return RunOperation("CosDocGetRoot", [&] {
        const std::uint64_t id = DocumentId(document);
        return AddObject(id, PdfOf(id).getRoot());
    });
}

ASBool DictKnown(CosObj dict, ASAtom key) {
    return RunOperation("CosDictKnown",
                        [&] { return ASBool{DictionaryOf(ResolveObject(dict)).hasKey(Key(key))}; });
}

CosObj DictGet(CosObj dict, ASAtom key) {
    return RunOperation("CosDictGet", [&] {
        const ObjectRef ref = ResolveObject(dict);
        QPDFObjectHandle value = DictionaryOf(ref).getKey(Key(key));
        if (value.isNull()) return MakeHandle<CosObj>(kNullObjectId);
        return AddObject(ref.documentId, value);
    });
}

void DictPut(CosObj dict, ASAtom key, CosObj value) {
    RunOperation("CosDictPut", [&] {
        const ObjectRef target = ResolveObject(dict);
        const ObjectRef put = ResolveObject(value);
        if (put.documentId != 0 && put.documentId != target.documentId) {
            throw HostError(kErrBadParameter);
        }
        DictionaryOf(target).replaceKey(Key(key), put.object);
    });
}

CosType ObjGetType(CosObj object) {
    return RunOperation("CosObjGetType", [&] {
        switch (ResolveObject(object).object.getTypeCode()) {
            case ::ot_boolean:
                return kCosBoolean;
            case ::ot_integer:
                return kCosInteger;
            case ::ot_real:
                return kCosReal;
            case ::ot_string:
                return kCosString;
            case ::ot_name:
                return kCosName;
            case ::ot_array:
                return kCosArray;
            case ::ot_dictionary:
                return kCosDict;
            case ::ot_stream:
                return kCosStream;
            default:
                return kCosNull;
        }
    });
}

std::string Bytes(const Buffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.getBuffer()), buffer.getSize());
}

// The data in the mode asked for; nullopt when a filter is unknown or reports damage.
// qpdf hands over what it could decode either way, and a Flate stream cut short only
// warns, so a warning recorded meanwhile counts as damage too.
std::optional<std::string> Decoded(QPDFObjectHandle stream, CosStreamOpenMode mode) {
    if (mode == kCosOpenRaw) return Bytes(*stream.getRawStreamData());
    if (mode != kCosOpenDecoded) throw HostError(kErrBadParameter);
    QPDF* owner = stream.getOwningQPDF();
    const std::size_t warningsBefore = owner != nullptr ? owner->numWarnings() : 0;
    Pl_Buffer buffer("decoded stream");
    bool filtered = false;
    const bool whole = stream.pipeStreamData(&buffer, &filtered, 0, qpdf_dl_all, false, false);
    const std::size_t warningsAfter = owner != nullptr ? owner->numWarnings() : 0;
    if (!whole || !filtered || warningsAfter != warningsBefore) return std::nullopt;
    return Bytes(*buffer.getBufferSharedPointer());
}

ASStm StreamOpenStm(CosObj object, CosStreamOpenMode mode) {
    return RunOperation("CosStreamOpenStm", [&]() -> ASStm {
        QPDFObjectHandle stream = ResolveObject(object).object;
        if (!stream.isStream()) throw HostError(kErrBadParameter);
        Stream opened;
        try {
            std::optional<std::string> data = Decoded(stream, mode);
            if (!data) return nullptr;
            opened.owned = std::move(*data);
        } catch (const HostError&) {
            throw;
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception&) {
            // A filter qpdf does not know, or data it cannot undo: no stream to give.
            return nullptr;
        }
        opened.size = opened.owned.size();
        const std::uint64_t id = NewId();
        TheHost().streams.emplace(id, std::move(opened));
        return MakeHandle<ASStm>(id);
    });
}

CosObj NewObject(CosDoc document, ASBool indirect, QPDFObjectHandle object) {
    const std::uint64_t id = DocumentId(document);
    if (indirect) object = PdfOf(id).makeIndirectObject(object);
    return AddObject(id, std::move(object));
}

CosObj NewName(CosDoc document, ASBool indirect, ASAtom name) {
    return RunOperation("CosNewName", [&] {
        return NewObject(document, indirect, QPDFObjectHandle::newName(Key(name)));
    });
}

CosObj NewDict(CosDoc document, ASBool indirect, std::int32_t entries) {
    return RunOperation("CosNewDict", [&] {
        if (entries < 0) throw HostError(kErrBadParameter);
        return NewObject(document, indirect, QPDFObjectHandle::newDictionary());
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

        ObjectRef dictionary = ResolveObject(attributes);
        if (dictionary.documentId != 0 && dictionary.documentId != id) {
            throw HostError(kErrBadParameter);
        }
        if (!dictionary.object.isNull() && !dictionary.object.isDictionary()) {
            throw HostError(kErrBadParameter);
        }
        // The data is stored as given; the host does not encode new streams.
        if (!ResolveObject(encodeParams).object.isNull()) throw HostError(kErrNotSupported);
        if (dictionary.object.isDictionary() &&
            (dictionary.object.hasKey("/Filter") || dictionary.object.hasKey("/DecodeParms"))) {
            throw HostError(kErrNotSupported);
        }

        QPDFObjectHandle stream =
            PdfOf(id).newStream(std::string(input.bytes));
        if (dictionary.object.isDictionary()) {
            QPDFObjectHandle streamDictionary = stream.getDict();
            for (const auto& [key, value] : dictionary.object.ditems()) {
                if (key != "/Length") streamDictionary.replaceKey(key, value);
            }
        }
        input.stream.position = input.end;
        return AddObject(id, std::move(stream));
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

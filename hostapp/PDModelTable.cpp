// "PDModel": opening, saving and closing documents.

#include "HostRuntime.h"

namespace plenvo::hostapp {
namespace {

using namespace plenvo::host;

CosDoc GetCosDoc(PDDoc document) {
    return RunOperation("PDDocGetCosDoc", [&] {
        const std::uint64_t id = HandleId(document);
        DocumentFor(id);
        return MakeHandle<CosDoc>(id);
    });
}

// No password is ever supplied, so a file that needs one to be read does not open.
PDDoc Open(ASPathName path, ASFileSys fileSys, PDAuthProc, ASBool repair) {
    return RunOperation("PDDocOpen", [&] {
        CheckFileSys(fileSys);
        auto document = std::make_unique<Document>();
        document->path = PathFor(path);
        document->content = OpenContent(document->path, repair != 0);
        const std::uint64_t id = NewId();
        TheHost().documents.emplace(id, std::move(document));
        return MakeHandle<PDDoc>(id);
    });
}

// Always a full save; linearized when asked.
void Save(PDDoc document, PDSaveFlags flags, ASPathName path, ASFileSys fileSys, ASProgressMonitor,
          void*) {
    RunOperation("PDDocSave", [&] {
        CheckFileSys(fileSys);
        SaveContent(*DocumentFor(HandleId(document)).content, PathFor(path),
                    (flags & kPDSaveLinearized) != 0);
    });
}

void Close(PDDoc document) {
    RunRelease("PDDocClose", [&] {
        const std::uint64_t id = HandleId(document);
        // A view's document is the host's to close.
        if (DocumentFor(id).inView) throw HostError(kErrBadParameter);
        CloseDocument(id);
    });
}

}  // namespace

void FillPDModelTable(std::array<HFTEntry, pdmodel::kSlotCount>& table) {
    Fill<pdmodel::PDDocGetCosDoc>(table, &GetCosDoc);
    Fill<pdmodel::PDDocOpen>(table, &Open);
    Fill<pdmodel::PDDocSave>(table, &Save);
    Fill<pdmodel::PDDocClose>(table, &Close);
}

}  // namespace plenvo::hostapp

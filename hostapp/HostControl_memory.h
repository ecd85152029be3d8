#pragma once

// The stand-in host's controls that belong to its memory document backend (Windows, where
// qpdf is not available): the documents it holds in place of PDF files. The store plays
// the part of the disk: opening a document copies it out, saving copies it back under the
// path saved to, and nothing else changes it. Paths are told apart as Windows's file
// systems tell them apart, without regard to case.

#include <optional>
#include <string>

namespace plenvo::hostapp {

// What a catalog needs: the text of its metadata stream, or no metadata stream at all.
struct MemoryDocument {
    std::optional<std::string> metadata;
    friend bool operator==(const MemoryDocument&, const MemoryDocument&) = default;
};

// Puts a document at `path`, replacing one stored there.
void StoreDocument(const std::string& path, const MemoryDocument& document);
// The document stored at `path`; nullopt when there is none.
std::optional<MemoryDocument> StoredDocument(const std::string& path);
// How many times a document was saved to `path` since it was stored there by a test.
int SaveCount(const std::string& path);
void RemoveStoredDocuments();

}  // namespace plenvo::hostapp

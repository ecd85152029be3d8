#pragma once

// The plug-in's host for tests: the stand-in host, reset, with every table granted into
// the plug-in's host state as set-up would leave it.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "HostControl.h"
#include "HostControl_qpdf.h"
#include "host/HostTypes.h"

namespace plenvo::test {

// Resets the stand-in host and the plug-in's host state, then grants all thirteen tables.
void InstallHost();

// Runs `call` inside a host exception frame; answers the code it raised, or 0.
host::ASErrorCode RaisedBy(const std::function<void()>& call);

// Installs the host before each test and checks after it that nothing was left open.
class HostTest : public testing::Test {
protected:
    void SetUp() override { InstallHost(); }
    void TearDown() override {
        EXPECT_EQ(hostapp::CountOpen(), hostapp::OpenCounts{}) << "a host handle was left open";
    }
};

// A document opened through the host's tables, closed with its path name at the end.
class OpenedDocument {
public:
    explicit OpenedDocument(const std::string& path);
    ~OpenedDocument();
    OpenedDocument(const OpenedDocument&) = delete;
    OpenedDocument& operator=(const OpenedDocument&) = delete;

    host::PDDoc Get() const { return document_; }
    // The host's own view of the document.
    QPDF& Pdf() const { return hostapp::DocumentPdf(document_); }

private:
    host::ASFileSys fileSys_ = nullptr;
    host::ASPathName path_ = nullptr;
    host::PDDoc document_ = nullptr;
};

}  // namespace plenvo::test

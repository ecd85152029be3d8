// Stamping files: ApplyTdmToFile over 300 small PDFs and over 3 of about 30 MB, against
// floors for a full linearized save of the same files: `qpdf --linearize in out`, one
// process per file; and qpdf's own writer in this process, without process start-up,
// with and without the flush to disk that a safe save makes. Then `plenvo apply` over the
// folder of each set, against qpdf --linearize and against ApplyTdmToFile called
// directly: the viewer, the driver and the dialogs must cost next to nothing. Last, the
// peak memory of one apply to a 30 MB file, in a fresh process, against the file's size.
// Everything is generated and measured in the same run.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "HostControl.h"
#include "RatioReporter.h"
#include "document/FileOperations.h"
#include "support/PdfFactory.h"
#include "support/TestFiles.h"
#include "xmp/XmpWriter.h"

namespace {

constexpr int kSmallFiles = 300;
constexpr int kLargeFiles = 3;
constexpr int kLargePages = 30;
constexpr std::size_t kImageBytes = 1024 * 1024;
constexpr const char* kPolicy = "https://example.com/tdm/policy.json";

// A document with `pages` pages of text and, when `imageBytes` is not 0, one image of
// that many incompressible bytes per page, and an XMP packet with a title.
void WritePdf(const std::string& path, int pages, std::size_t imageBytes, std::mt19937& random) {
    QPDF pdf;
    pdf.emptyPDF();
    QPDFPageDocumentHelper helper(pdf);
    const QPDFObjectHandle font = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"));
    for (int i = 0; i < pages; ++i) {
        std::string content = "BT /F1 12 Tf 72 720 Td (Page " + std::to_string(i + 1) + ") Tj ET";
        QPDFObjectHandle resources = QPDFObjectHandle::parse("<< /Font << >> >>");
        resources.getKey("/Font").replaceKey("/F1", font);
        if (imageBytes > 0) {
            std::string pixels(imageBytes, '\0');
            for (char& c : pixels) c = static_cast<char>(random());
            QPDFObjectHandle image = pdf.newStream();
            const std::size_t side = 512;
            image.replaceDict(QPDFObjectHandle::parse(
                "<< /Type /XObject /Subtype /Image /ColorSpace /DeviceGray /BitsPerComponent 8"
                " /Width " +
                std::to_string(side) + " /Height " + std::to_string(imageBytes / side) + " >>"));
            image.replaceStreamData(plenvo::test::Deflate(pixels), QPDFObjectHandle::newName("/FlateDecode"),
                                    QPDFObjectHandle::newNull());
            resources.replaceKey("/XObject", QPDFObjectHandle::parse("<< >>"));
            resources.getKey("/XObject").replaceKey("/Im1", image);
            content += " q 400 0 0 400 100 100 cm /Im1 Do Q";
        }
        QPDFObjectHandle page = pdf.makeIndirectObject(
            QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] >>"));
        page.replaceKey("/Contents", pdf.newStream(content));
        page.replaceKey("/Resources", resources);
        helper.addPage(page, false);
    }
    const std::string packet = plenvo::InsertTdmDescriptions("", 0, "", false);
    QPDFObjectHandle metadata = pdf.newStream(packet);
    metadata.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/Metadata"));
    metadata.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/XML"));
    pdf.getRoot().replaceKey("/Metadata", metadata);
    QPDFWriter writer(pdf, path.c_str());
    writer.write();
}

struct Corpus {
    std::filesystem::path folder;
    std::vector<std::string> small;
    std::vector<std::string> large;

    Corpus() {
        folder =
            std::filesystem::temp_directory_path() / ("plenvo-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder / "small");
        std::filesystem::create_directories(folder / "large");
        std::mt19937 random(42);
        for (int i = 0; i < kSmallFiles; ++i) {
            small.push_back((folder / "small" / ("small-" + std::to_string(i) + ".pdf")).string());
            WritePdf(small.back(), 3, 0, random);
        }
        for (int i = 0; i < kLargeFiles; ++i) {
            large.push_back((folder / "large" / ("large-" + std::to_string(i) + ".pdf")).string());
            WritePdf(large.back(), kLargePages, kImageBytes, random);
        }
        // The first benchmark must not pay for writing back the corpus.
        ::sync();
        // plenvo stores its last choices in a registry of the run's own.
        ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    }
    ~Corpus() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

Corpus& TheCorpus() {
    static Corpus corpus;
    return corpus;
}

// This process's peak resident memory in kilobytes. Read from inside, since the figure a
// parent gets for a spawned child also counts the parent's pages from before the exec.
long PeakKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

void ApplyToFiles(benchmark::State& state, bool large) {
    const std::vector<std::string>& files = large ? TheCorpus().large : TheCorpus().small;
    for (auto _ : state) {
        for (const std::string& file : files) {
            std::string error;
            if (!plenvo::ApplyTdmToFile(file, 1, kPolicy, true, error)) {
                state.SkipWithError(error.c_str());
                return;
            }
        }
    }
}

void QpdfLinearize(benchmark::State& state, bool large) {
    const std::vector<std::string>& files = large ? TheCorpus().large : TheCorpus().small;
    const std::string out = (TheCorpus().folder / "linearized.pdf").string();
    for (auto _ : state) {
        for (const std::string& file : files) {
            // 3 is qpdf's "done, with warnings".
            const int code = plenvo::test::RunTool({"qpdf", "--linearize", file, out}).exitCode;
            if (code != 0 && code != 3) {
                state.SkipWithError("qpdf --linearize failed");
                return;
            }
        }
    }
}

// ApplyTdmToFile over the set in a process of its own, started for the purpose: what
// plenvo does, less the viewer, the plug-in's loading, the dialogs and the driver.
void ApplyInOneProcess(benchmark::State& state, const char* self, bool large) {
    std::vector<std::string> args = {self, "--apply-files"};
    const std::vector<std::string>& files = large ? TheCorpus().large : TheCorpus().small;
    args.insert(args.end(), files.begin(), files.end());
    for (auto _ : state) {
        const plenvo::test::ToolResult result = plenvo::test::RunTool(args);
        if (result.exitCode != 0) {
            state.SkipWithError(("applying in one process failed: " + result.output).c_str());
            return;
        }
    }
}

// The plenvo command over the set's folder: one process that loads the plug-in, adds the
// folder through the batch dialog and runs Apply to All.
void PlenvoApply(benchmark::State& state, bool large) {
    const std::string folder = (TheCorpus().folder / (large ? "large" : "small")).string();
    for (auto _ : state) {
        const plenvo::test::ToolResult result =
            plenvo::test::RunTool({PLENVO_COMMAND, "apply", "--reservation", "1", "--policy", kPolicy, "--yes", folder});
        if (result.exitCode != 0) {
            state.SkipWithError(("plenvo apply failed: " + result.output).c_str());
            return;
        }
    }
}

// qpdf's writer in this process; with `flush`, the file is flushed to disk as a safe save
// must do before it renames.
void QpdfWriter(benchmark::State& state, bool large, bool flush) {
    const std::vector<std::string>& files = large ? TheCorpus().large : TheCorpus().small;
    const std::string out = (TheCorpus().folder / "written.pdf").string();
    for (auto _ : state) {
        for (const std::string& file : files) {
            QPDF pdf;
            pdf.processFile(file.c_str());
            std::FILE* output = std::fopen(out.c_str(), "wb");
            QPDFWriter writer(pdf);
            writer.setOutputFile(out.c_str(), output, false);
            writer.setLinearization(true);
            writer.write();
            std::fflush(output);
            if (flush) ::fsync(::fileno(output));
            std::fclose(output);
        }
    }
}

// Each runs over a whole set of files, three times; the name ends in the set.
void RegisterAll(const char* self) {
    const auto add = [](const std::string& name, auto run, auto... args) {
        benchmark::RegisterBenchmark(name.c_str(), run, args...)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(3);
    };
    for (const bool large : {false, true}) {
        const std::string set = large ? "/large" : "/small";
        add("ApplyToFiles" + set, ApplyToFiles, large);
        add("PlenvoApply" + set, PlenvoApply, large);
        add("ApplyInOneProcess" + set, ApplyInOneProcess, self, large);
        add("QpdfLinearize" + set, QpdfLinearize, large);
        add("QpdfWriter" + set, QpdfWriter, large, false);
        add("QpdfWriterFlushed" + set, QpdfWriter, large, true);
    }
}

// Peak resident memory of one apply to a large file, in a process of its own, beside the
// same process started without applying anything.
void ReportMemory(const char* self) {
    const std::string file = TheCorpus().large.front();
    const double size = static_cast<double>(std::filesystem::file_size(file));
    const plenvo::test::ToolResult idle = plenvo::test::RunTool({self, "--apply-once", ""});
    const plenvo::test::ToolResult apply = plenvo::test::RunTool({self, "--apply-once", file});
    if (idle.exitCode != 0 || apply.exitCode != 0) {
        std::printf("\npeak memory: the measuring process failed\n");
        return;
    }
    const double idleBytes = std::stod(idle.output) * 1024.0;
    const double applyBytes = std::stod(apply.output) * 1024.0;
    std::printf(
        "\npeak memory, one apply to a %.1f MB file: %.1f MB, %.2fx the file's size"
        " (target below 3x); the process without the apply: %.1f MB\n",
        size / 1048576.0, applyBytes / 1048576.0, applyBytes / size, idleBytes / 1048576.0);
}

}  // namespace

int main(int argc, char** argv) {
    plenvo::hostapp::ResetHost();
    plenvo::hostapp::GrantAllTables(plenvo::host::gHostState);
    // Measuring mode: one apply (or none, for an empty path), then the peak memory.
    if (argc == 3 && std::string(argv[1]) == "--apply-once") {
        std::string error;
        if (argv[2][0] != '\0' && !plenvo::ApplyTdmToFile(argv[2], 1, kPolicy, true, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        std::printf("%ld\n", PeakKilobytes());
        return 0;
    }
    // Floor mode: every file named, in this one process, as plenvo's plug-in does it.
    if (argc >= 2 && std::string(argv[1]) == "--apply-files") {
        for (int i = 2; i < argc; ++i) {
            std::string error;
            if (!plenvo::ApplyTdmToFile(argv[i], 1, kPolicy, true, error)) {
                std::fprintf(stderr, "%s\n", error.c_str());
                return 1;
            }
        }
        return 0;
    }
    TheCorpus();
    RegisterAll(argv[0]);
    std::vector<plenvo::bench::Ratio> ratios;
    for (const std::string set : {"/small", "/large"}) {
        const std::string suffix = set + "/iterations:3/real_time";
        for (const char* floor : {"QpdfLinearize", "QpdfWriter", "QpdfWriterFlushed"}) {
            ratios.push_back({"ApplyToFiles" + suffix, floor + suffix, 1.3});
        }
        ratios.push_back({"PlenvoApply" + suffix, "QpdfLinearize" + suffix, set == "/small" ? 0.5 : 1.0});
        ratios.push_back({"PlenvoApply" + suffix, "ApplyToFiles" + suffix, 1.1});
        ratios.push_back({"PlenvoApply" + suffix, "ApplyInOneProcess" + suffix, 1.1});
    }
    const int code = plenvo::bench::RunWithRatios(argc, argv, ratios);
    ReportMemory(argv[0]);
    return code;
}

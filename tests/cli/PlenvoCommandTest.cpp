// The plenvo command end to end: the built program, the plug-in module it loads, real PDF
// files, and readers nobody here wrote to check what it did.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/PdfFactory.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"
#include "xmp/XmpWriter.h"

extern char** environ;

namespace plenvo::test {
namespace {

namespace fs = std::filesystem;

const std::string kPolicy = "https://example.com/tdm-policy.json";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class PlenvoCommandTest : public ::testing::Test {
protected:
    // Runs plenvo with `input` on its standard input (none: /dev/null).
    Outcome Plenvo(const std::vector<std::string>& args, const std::string& input = "") const {
        const std::string in = input.empty() ? "/dev/null" : files.File("stdin.txt");
        if (!input.empty()) WriteBytes(in, input);
        const std::string out = files.File("stdout.txt");
        const std::string err = files.File("stderr.txt");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<std::string> argv = {PLENVO_COMMAND};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> raw;
        for (std::string& arg : argv) raw.push_back(arg.data());
        raw.push_back(nullptr);
        pid_t child = 0;
        Outcome outcome;
        if (posix_spawn(&child, raw[0], &actions, nullptr, raw.data(), environ) == 0) {
            int status = 0;
            waitpid(child, &status, 0);
            outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        posix_spawn_file_actions_destroy(&actions);
        outcome.out = ReadBytes(out);
        outcome.err = ReadBytes(err);
        return outcome;
    }

    std::string Pdf(const std::string& name, const std::string& packet = "") const {
        const std::string path = files.File(name);
        fs::create_directories(fs::path(path).parent_path());
        WriteBytes(path, packet.empty() ? MakePdf({}) : MakePdf({MetadataKind::kStream, packet}));
        return path;
    }

    std::string Stamped(const std::string& name, int reservation, const std::string& policy) const {
        return Pdf(name, Packet(TitleDescription("Report") + BuildTdmDescription(reservation, policy)));
    }

    std::string NotAPdf(const std::string& name) const {
        const std::string path = files.File(name);
        WriteBytes(path, "no PDF\n");
        return path;
    }

    static std::string Exif(const std::string& path) {
        return RunTool({"exiftool", "-config", ExiftoolConfig(), "-s", "-s", "-XMP-tdm:all", path}).output;
    }

    TempDir files;
    testing::TempFolder home;
    testing::ScopedEnv config{"XDG_CONFIG_HOME", home.Path().c_str()};
};

TEST_F(PlenvoCommandTest, ApplyCheckAndRemoveAFolderAndAFile) {
    const std::string a = Pdf("docs/a.pdf");
    const std::string b = Stamped("docs/sub/b.pdf", 0, "");
    const std::string c = Pdf("single.pdf");

    Outcome apply = Plenvo({"apply", "--reservation", "1", "--policy", kPolicy, "--yes", files.File("docs"), c});
    EXPECT_EQ(apply.status, 0) << apply.err;
    EXPECT_EQ(apply.out, "Batch processing complete.\n\nSucceeded: 3\nFailed: 0\n");
    EXPECT_NE(apply.err.find("Processing 1 of 3: "), std::string::npos) << apply.err;
    EXPECT_NE(apply.err.find("Processing 3 of 3: " + c + "\n"), std::string::npos) << apply.err;
    EXPECT_TRUE(apply.err.ends_with("Complete\n")) << apply.err;
    for (const std::string& path : {a, b, c}) {
        EXPECT_EQ(Exif(path), "Reservation: 1\nPolicy: " + kPolicy + "\n") << path;
        EXPECT_EQ(RunTool({"qpdf", "--check", path}).exitCode, 0) << path;
    }

    Outcome check = Plenvo({"check", "--no-subfolders", files.File("docs"), c});
    EXPECT_EQ(check.status, 0) << check.err;
    EXPECT_EQ(check.out, a + "\t1 (reserved)\t" + kPolicy + "\n" + c + "\t1 (reserved)\t" + kPolicy + "\n");
    EXPECT_EQ(check.err, "Checking 1 of 2...\nChecking 2 of 2...\nCheck complete\n");

    Outcome remove = Plenvo({"remove", "--yes", c});
    EXPECT_EQ(remove.status, 0) << remove.err;
    EXPECT_EQ(remove.out, "Batch removal complete.\n\nSucceeded: 1\nFailed: 0\n");
    EXPECT_EQ(Exif(c), "");
    EXPECT_EQ(Plenvo({"check", c}).out, c + "\tNot set\t\n");
}

TEST_F(PlenvoCommandTest, ExitStatusesSayWhatHappened) {
    const std::string good = Pdf("good.pdf");
    const std::string broken = NotAPdf("broken.pdf");
    fs::create_directories(files.File("empty"));
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string errContains;
    };
    const std::vector<Case> cases = {
        {"no command", {}, 2, "a command is missing"},
        {"unknown command", {"stamp", good}, 2, "unknown command 'stamp'"},
        {"unknown option", {"check", "--yes", good}, 2, "unknown option '--yes'"},
        {"reservation out of range", {"apply", "--reservation", "2", good}, 2, "--reservation takes 0 or 1"},
        {"no path", {"apply", "--yes"}, 2, "no file or folder given"},
        {"a path that is not there", {"check", files.File("absent.pdf")}, 2, "cannot find"},
        {"an empty folder", {"check", files.File("empty")}, 2, "No files in the list."},
        {"no --yes and no terminal", {"apply", good}, 2, "not confirmed"},
        {"a file fails to apply", {"apply", "--yes", good, broken}, 1, ""},
        {"a file fails to check", {"check", good, broken}, 1, ""},
        {"show takes one file", {"show", good, broken}, 2, "exactly one FILE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = Plenvo(c.args);
        EXPECT_EQ(outcome.status, c.status) << outcome.out << outcome.err;
        EXPECT_NE(outcome.err.find(c.errContains), std::string::npos) << outcome.err;
    }
    EXPECT_EQ(Exif(good), "Reservation: 1\n") << "only the run with --yes changed it";
    EXPECT_EQ(ReadBytes(broken), "no PDF\n");
}

TEST_F(PlenvoCommandTest, FilesFromStandardInputAndAFile) {
    const std::string a = Pdf("a.pdf");
    const std::string b = Stamped("b.pdf", 1, "");
    WriteBytes(files.File("list.txt"), b + "\r\n\n");
    const Outcome outcome = Plenvo({"check", "--files-from", "-", "--files-from", files.File("list.txt")}, a + "\n");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, a + "\tNot set\t\n" + b + "\t1 (reserved)\t\n");
}

TEST_F(PlenvoCommandTest, SetShowAndUnsetOneFile) {
    const std::string path = Pdf("one.pdf");
    EXPECT_EQ(Plenvo({"show", path}).out, "Not set\nNot set\n");

    Outcome set = Plenvo({"set", path, "--reservation", "1", "--policy", kPolicy, "--no-schema"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(set.out, "TDMRep metadata applied successfully.\n");
    EXPECT_EQ(Exif(path), "Reservation: 1\nPolicy: " + kPolicy + "\n");
    EXPECT_EQ(RunTool({"qpdf", "--check", path}).exitCode, 0);
    EXPECT_EQ(Plenvo({"show", path}).out, "Reserved\n" + kPolicy + "\n");

    // The choices applied last are the defaults of the next run.
    const std::string other = Pdf("other.pdf");
    EXPECT_EQ(Plenvo({"set", other}).status, 0);
    EXPECT_EQ(Exif(other), "Reservation: 1\nPolicy: " + kPolicy + "\n");

    Outcome unset = Plenvo({"unset", path});
    EXPECT_EQ(unset.status, 0) << unset.err;
    EXPECT_EQ(unset.out, "TDMRep metadata removed.\n");
    EXPECT_EQ(Exif(path), "");

    const std::string broken = NotAPdf("broken.pdf");
    const Outcome failed = Plenvo({"set", broken});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(ReadBytes(broken), "no PDF\n");
    for (const std::string& name : ListFolder(files.Path())) EXPECT_NE(name[0], '.') << "left behind: " << name;
}

TEST_F(PlenvoCommandTest, HelpPrintsTheAddressTheModuleOpened) {
    const Outcome guide = Plenvo({"help"});
    EXPECT_EQ(guide.status, 0) << guide.err;
    EXPECT_EQ(guide.out, std::string(PLENVO_HELP_BASE_ADDRESS) + "Plenvo-User-Guide.html\n");
    const Outcome batch = Plenvo({"help", "batch"});
    EXPECT_EQ(batch.status, 0) << batch.err;
    EXPECT_EQ(batch.out, std::string(PLENVO_HELP_BASE_ADDRESS) + "Plenvo-Batch.html\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"apply", "--help"}, {"check", "--help"}, {"set", "--help"}}) {
        const Outcome usage = Plenvo(args);
        EXPECT_EQ(usage.status, 0);
        EXPECT_NE(usage.out.find("Usage: plenvo"), std::string::npos) << usage.out;
    }
}

}  // namespace
}  // namespace plenvo::test

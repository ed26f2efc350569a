// The self-test's log file: the whole content or nothing.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "shell/SelfTest.h"

namespace {

class DeploymentLog : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override {
        char name[] = "/tmp/zarn-startup-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(name));
        dir = name;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
};

bool exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(DeploymentLog, ReplacesWhateverWasThereWithExactlyTheText) {
    std::string path = dir + "/log.txt";
    std::ofstream(path) << "an older and much longer line of text\nand a second one\n";
    ASSERT_TRUE(writeDeploymentLog(path.c_str(), "Zarn Test mode: passed\n"));
    EXPECT_EQ("Zarn Test mode: passed\n", contents(path));
}

TEST_F(DeploymentLog, UnopenablePathsFailAndCreateNothing) {
    EXPECT_FALSE(writeDeploymentLog((dir + "/missing/log.txt").c_str(), "Zarn Test mode: passed\n"));
    EXPECT_FALSE(exists(dir + "/missing"));
    EXPECT_FALSE(writeDeploymentLog(dir.c_str(), "Zarn Test mode: passed\n"));
    struct stat info;
    ASSERT_EQ(0, stat(dir.c_str(), &info));
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

// Files may grow to 4 bytes only while the log is written; the signal
// would otherwise end the test.
bool writeWithTinyFileLimit(const std::string& path) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit old;
    EXPECT_EQ(0, getrlimit(RLIMIT_FSIZE, &old));
    rlimit tight = old;
    tight.rlim_cur = 4;
    EXPECT_EQ(0, setrlimit(RLIMIT_FSIZE, &tight));
    bool written = writeDeploymentLog(path.c_str(), "Zarn Test mode: passed\n");
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_DFL);
    return written;
}

std::string entries(const std::string& dir) {
    std::string names;
    FILE* list = popen(("ls -A '" + dir + "'").c_str(), "r");
    for (int c; list && (c = fgetc(list)) != EOF;) names += static_cast<char>(c);
    if (list) pclose(list);
    return names;
}

TEST_F(DeploymentLog, AnIncompleteWriteLeavesNoPartialFile) {
    std::string path = dir + "/log.txt";
    EXPECT_FALSE(writeWithTinyFileLimit(path));
    EXPECT_FALSE(exists(path));
    EXPECT_EQ("", entries(dir)) << "the scratch file stays behind";
}

TEST_F(DeploymentLog, AnIncompleteWriteKeepsWhatWasThere) {
    std::string path = dir + "/log.txt";
    std::ofstream(path) << "an older line\n";
    EXPECT_FALSE(writeWithTinyFileLimit(path));
    EXPECT_EQ("an older line\n", contents(path));
    EXPECT_EQ("log.txt\n", entries(dir));
}

TEST_F(DeploymentLog, ThroughASymbolicLinkTheTargetIsWrittenAndTheLinkStays) {
    std::string target = dir + "/target.txt", link = dir + "/link.txt";
    std::ofstream(target) << "an older line\n";
    ASSERT_EQ(0, symlink("target.txt", link.c_str()));

    EXPECT_FALSE(writeWithTinyFileLimit(link));
    EXPECT_EQ("an older line\n", contents(target));
    struct stat info;
    ASSERT_EQ(0, lstat(link.c_str(), &info));
    EXPECT_TRUE(S_ISLNK(info.st_mode));

    ASSERT_TRUE(writeDeploymentLog(link.c_str(), "Zarn Test mode: passed\n"));
    ASSERT_EQ(0, lstat(link.c_str(), &info));
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ("Zarn Test mode: passed\n", contents(target));
}

// A loop, and a chain longer than the system follows: taken for a missing
// file, the first link would be replaced by the log.
TEST_F(DeploymentLog, LinksThatDoNotEndAreRefusedAndStay) {
    ASSERT_EQ(0, symlink("b", (dir + "/a").c_str()));
    ASSERT_EQ(0, symlink("a", (dir + "/b").c_str()));
    std::ofstream(dir + "/file") << "an older line\n";
    ASSERT_EQ(0, symlink("file", (dir + "/l0").c_str()));
    for (int k = 1; k <= 40; ++k)
        ASSERT_EQ(0, symlink(("l" + std::to_string(k - 1)).c_str(), (dir + "/l" + std::to_string(k)).c_str()));

    for (const char* name : {"a", "l40"}) {
        const std::string path = dir + "/" + name;
        EXPECT_FALSE(writeDeploymentLog(path.c_str(), "Zarn Test mode: passed\n")) << name;
        struct stat info;
        ASSERT_EQ(0, lstat(path.c_str(), &info));
        EXPECT_TRUE(S_ISLNK(info.st_mode)) << name << " was replaced";
    }
    EXPECT_EQ("an older line\n", contents(dir + "/file"));
    // Forty links the system follows, and so does the log.
    ASSERT_TRUE(writeDeploymentLog((dir + "/l39").c_str(), "Zarn Test mode: passed\n"));
    EXPECT_EQ("Zarn Test mode: passed\n", contents(dir + "/file"));
}

TEST_F(DeploymentLog, SpecialFilesAreWrittenInPlaceOrFailWithoutWaiting) {
    std::string fifo = dir + "/fifo";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    // Nobody reads it: opening for writing would otherwise block for good.
    EXPECT_FALSE(writeDeploymentLog(fifo.c_str(), "Zarn Test mode: passed\n"));
    struct stat info;
    ASSERT_EQ(0, stat(fifo.c_str(), &info));
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    EXPECT_FALSE(writeDeploymentLog("/dev/full", "Zarn Test mode: passed\n"));
    EXPECT_TRUE(writeDeploymentLog("/dev/null", "Zarn Test mode: passed\n"));
    EXPECT_FALSE(writeDeploymentLog("", "Zarn Test mode: passed\n"));
}

}  // namespace

// The self-test's log file: the whole content or nothing.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "shell/Startup.h"

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

TEST_F(DeploymentLog, AnIncompleteWriteLeavesNoPartialFile) {
    std::string path = dir + "/log.txt";
    // Files may grow to 4 bytes only; the signal would otherwise end the test.
    signal(SIGXFSZ, SIG_IGN);
    rlimit old;
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &old));
    rlimit tight = old;
    tight.rlim_cur = 4;
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &tight));
    bool written = writeDeploymentLog(path.c_str(), "Zarn Test mode: passed\n");
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_DFL);
    EXPECT_FALSE(written);
    EXPECT_FALSE(exists(path));
}

}  // namespace

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

#include "SimFixture.h"
#include "platform/RegularFile.h"

namespace zandro {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

struct stat statOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

// Runs `body` as an unprivileged user whose result is the exit status: in a child that drops
// root, or here when the tests do not run as root.
int asOtherUser(const std::function<int()>& body) {
    if (::geteuid() != 0)
        return body();
    const pid_t child = ::fork();
    if (child == 0) {
        // 65534 is "nobody" on the common distributions; it owns nothing here.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(99);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

TEST(RegularFileTest, LinksAreFollowedToTheFileTheyName) {
    TempDir dir;
    ::mkdir(dir.file("target").c_str(), 0755);
    writeFile(dir.file("target/real.msr"), "old");
    struct Case {
        const char* link;
        const char* pointsTo;
        const char* written;  // the file that must hold the new content
    };
    const Case cases[] = {
        {"relative.msr", "target/real.msr", "target/real.msr"},
        {"chain.msr", "relative.msr", "target/real.msr"},
        {"dangling.msr", "target/new.msr", "target/new.msr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        ASSERT_EQ(::symlink(c.pointsTo, dir.file(c.link).c_str()), 0);
        ASSERT_TRUE(replaceRegularFile(dir.file(c.link), c.link).ok());
        EXPECT_TRUE(S_ISLNK(statOf(dir.file(c.link)).st_mode));
        EXPECT_EQ(readFile(dir.file(c.written)), c.link);
        const FileContents back = readRegularFile(dir.file(c.link), 100);
        EXPECT_TRUE(back.result.ok());
        EXPECT_EQ(back.bytes, c.link);
    }
}

TEST(RegularFileTest, AnythingButARegularFileIsRefusedUntouched) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/null", dir.file("device").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.file("folder").c_str(), 0755), 0);
    for (const char* name : {"fifo", "device", "folder"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.file(name);
        const struct stat before = statOf(path);
        const FileResult saved = replaceRegularFile(path, "text");
        EXPECT_EQ(saved.failure, FileFailure::NotRegular);
        EXPECT_NE(saved.why.find("not a regular file"), std::string::npos) << saved.why;
        // Reading refuses before opening: a FIFO would block here.
        EXPECT_EQ(readRegularFile(path, 100).result.failure, FileFailure::NotRegular);
        const struct stat after = statOf(path);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
    }
    EXPECT_EQ(statOf("/dev/null").st_mode & S_IFMT, mode_t(S_IFCHR));
    // No temporary file stays behind.
    EXPECT_EQ(::rmdir(dir.file("folder").c_str()), 0);
}

TEST(RegularFileTest, OwnerGroupAndModeSurviveASave) {
    TempDir dir;
    const std::string path = dir.file("config.ini");
    const uid_t owner = ::geteuid() == 0 ? 12345 : ::geteuid();
    const gid_t group = ::geteuid() == 0 ? 23456 : ::getegid();
    for (const mode_t mode : {mode_t(0600), mode_t(0640), mode_t(02755)}) {
        SCOPED_TRACE(mode);
        writeFile(path, "old");
        ASSERT_EQ(::chown(path.c_str(), owner, group), 0);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ASSERT_TRUE(replaceRegularFile(path, "new").ok());
        const struct stat st = statOf(path);
        EXPECT_EQ(st.st_uid, owner);
        EXPECT_EQ(st.st_gid, group);
        EXPECT_EQ(st.st_mode & 07777, mode);
        EXPECT_EQ(readFile(path), "new");
    }
    // The .msr writer's extra bit is added to what the file had.
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ASSERT_TRUE(replaceRegularFile(path, "x", {.addBits = S_IWUSR}).ok());
    EXPECT_EQ(statOf(path).st_mode & 07777, mode_t(0644));
}

int refuseTemporary(char*) {
    errno = EACCES;
    return -1;
}

// A folder that takes no new file: the file is written over in place (same inode), and a new
// file cannot be made there at all.
TEST(RegularFileTest, FolderWithoutRoomForATemporaryFileGetsTheFileRewrittenInPlace) {
    TempDir dir;
    const std::string path = dir.file("boot.msr");
    writeFile(path, "a longer old content");
    const ino_t inode = statOf(path).st_ino;
    ASSERT_TRUE(replaceRegularFile(path, "short", {.makeTemporary = refuseTemporary}).ok());
    EXPECT_EQ(readFile(path), "short");
    EXPECT_EQ(statOf(path).st_ino, inode);
    EXPECT_EQ(
        replaceRegularFile(dir.file("new.msr"), "x", {.makeTemporary = refuseTemporary}).failure,
        FileFailure::CannotCreate);
}

// The same as a user who may write the file but not its folder, and one who may write neither.
TEST(RegularFileTest, UserWhoMayWriteOnlyTheFileRewritesItInPlace) {
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string writable = dir.file("writable.ini");
    const std::string locked = dir.file("locked.ini");
    writeFile(writable, "old");
    writeFile(locked, "old");
    ASSERT_EQ(::chmod(writable.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    }
    const int status = asOtherUser([&] {
        const bool inPlace = replaceRegularFile(writable, "new").ok();
        const FileResult refused = replaceRegularFile(locked, "new");
        return (inPlace ? 0 : 1) | (refused.failure == FileFailure::CannotCreate ? 0 : 2);
    });
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readFile(writable), "new");
    EXPECT_EQ(readFile(locked), "old");
}

TEST(RegularFileTest, ReadingRefusesATooLargeOrMissingFile) {
    TempDir dir;
    writeFile(dir.file("big"), std::string(101, 'x'));
    writeFile(dir.file("fits"), std::string(100, 'x'));
    EXPECT_EQ(readRegularFile(dir.file("big"), 100).result.failure, FileFailure::TooLarge);
    EXPECT_NE(readRegularFile(dir.file("big"), 100).result.why.find("too large"),
              std::string::npos);
    EXPECT_EQ(readRegularFile(dir.file("fits"), 100).bytes.size(), 100u);
    EXPECT_EQ(readRegularFile(dir.file("none"), 100).result.failure, FileFailure::Missing);
}

// /proc files say they are empty and still have content: the size seen beforehand is only where
// reading starts.
TEST(RegularFileTest, FileLongerThanItsStatedSizeIsReadWholeUpToTheLimit) {
    const FileContents status = readRegularFile("/proc/self/status", 1 << 20);
    ASSERT_TRUE(status.result.ok()) << status.result.why;
    EXPECT_EQ(status.bytes.rfind("Name:", 0), 0u);
    EXPECT_NE(status.bytes.find("\nPid:"), std::string::npos);
    EXPECT_EQ(status.bytes.back(), '\n');
    EXPECT_EQ(readRegularFile("/proc/self/status", 40).result.failure, FileFailure::TooLarge);
}

}  // namespace
}  // namespace zandro

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "SimFixture.h"
#include "core/MsrJournal.h"

namespace zandro {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(MsrJournalText, RoundTripsAndPassesOverALineCutShort) {
    const std::vector<JournalEntry> entries = {{0, 0x1A0, 0x0000000000052280ull},
                                               {3, 0xC0010041, 0x00004E200000020Aull}};
    const std::string text = journalText("boot-a", entries);
    EXPECT_EQ(text,
              "# zandro register journal, boot boot-a\n"
              "0 1A0 0000000000052280\n"
              "3 C0010041 00004E200000020A\n");
    // A crash in the middle of a line leaves fewer than 16 digits.
    const auto parsed = parseJournal(text + "1 19C 00000000");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->bootId, "boot-a");
    EXPECT_EQ(parsed->entries, entries);
    EXPECT_FALSE(parseJournal("0 1A0 0000000000052280\n"));
}

TEST(MsrJournal, KeepsTheFirstValueOnDiskAtOnce) {
    TempDir dir;
    MsrJournal journal(dir.file("run/journal"), "boot-a");
    journal.load();
    ASSERT_TRUE(journal.record({0, 0x1A0, 1}).ok());
    EXPECT_TRUE(journal.record({0, 0x1A0, 2}).ok());  // a later value adds nothing
    // Another run of the same boot (a crash right after the write) finds the first value.
    MsrJournal after(dir.file("run/journal"), "boot-a");
    after.load();
    ASSERT_EQ(after.entries().size(), 1u);
    EXPECT_EQ(after.entries()[0].value, 1u);
    EXPECT_TRUE(after.holds(0, 0x1A0));
    EXPECT_FALSE(after.holds(1, 0x1A0));
}

// Later registers of a run go on disk a line at a time; a file that is no longer the one the run
// stored (replaced by a link, say) gets the whole journal again through the file rules.
TEST(MsrJournal, LaterRegistersAreAppendedOrTheWholeJournalStoredAgain) {
    TempDir dir;
    const std::string path = dir.file("journal");
    MsrJournal journal(path, "boot-a");
    journal.load();
    ASSERT_TRUE(journal.record({0, 0x1A0, 1}).ok());
    ASSERT_TRUE(journal.record({1, 0x1A0, 2}).ok());
    // A control register and its status go on together; one already held is not added twice.
    ASSERT_TRUE(journal.record(std::vector<JournalEntry>{{1, 0x198, 4}, {1, 0x1A0, 5}}).ok());
    EXPECT_EQ(readFile(path), journalText("boot-a", {{0, 0x1A0, 1}, {1, 0x1A0, 2}, {1, 0x198, 4}}));

    writeFile(dir.file("elsewhere"), "");
    ASSERT_EQ(std::remove(path.c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("elsewhere").c_str(), path.c_str()), 0);
    ASSERT_TRUE(journal.record({0, 0x199, 3}).ok());
    EXPECT_EQ(readFile(dir.file("elsewhere")), journalText("boot-a", journal.entries()));
    EXPECT_EQ(journal.entries().size(), 4u);
}

TEST(MsrJournal, IgnoresTheJournalOfAnotherBoot) {
    TempDir dir;
    writeFile(dir.file("journal"), journalText("boot-old", {{0, 0x1A0, 7}}));
    MsrJournal journal(dir.file("journal"), "boot-new");
    journal.load();
    EXPECT_TRUE(journal.entries().empty());
    ASSERT_TRUE(journal.record({0, 0x1A0, 9}).ok());
    EXPECT_EQ(readFile(dir.file("journal")), journalText("boot-new", {{0, 0x1A0, 9}}));
}

TEST(MsrJournal, ForgetsWhatWasRestored) {
    TempDir dir;
    MsrJournal journal(dir.file("journal"), "b");
    journal.record({0, 0x1A0, 1});
    journal.record({1, 0x1A0, 2});
    ASSERT_TRUE(journal.forget({{0, 0x1A0, 1}}).ok());
    EXPECT_EQ(readFile(dir.file("journal")), journalText("b", {{1, 0x1A0, 2}}));
    EXPECT_FALSE(journal.holds(0, 0x1A0));
}

TEST(MsrJournal, SaysWhyWhenItCannotBeWritten) {
    TempDir dir;
    // A folder where the journal should be: no file can take its place.
    MsrJournal journal(dir.path(), "b");
    EXPECT_FALSE(journal.record({0, 0x1A0, 1}).ok());
}

}  // namespace
}  // namespace zandro

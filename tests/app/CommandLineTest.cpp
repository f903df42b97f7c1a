#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace zandro {
namespace {

CommandLine parse(std::initializer_list<const char*> args) {
    QStringList list;
    for (const char* a : args)
        list.append(QString::fromLatin1(a));
    return parseCommandLine(list);
}

TEST(CommandLineTest, OptionsStandAnywhereAndArgumentsKeepTheirOrder) {
    const CommandLine line = parse({"file.msr", "--simulate", "athlon64", "2", "--headless", "--do",
                                    "click:A64_NoExecutePageEN", "NOCLOSE", "--report"});
    ASSERT_TRUE(line.ok()) << line.error.toStdString();
    EXPECT_EQ(line.arguments, (QStringList{"file.msr", "2", "NOCLOSE"}));
    EXPECT_EQ(line.simulate, QStringLiteral("athlon64"));
    EXPECT_TRUE(line.headless);
    EXPECT_TRUE(line.report);
    EXPECT_EQ(line.actions, QStringList{"click:A64_NoExecutePageEN"});
}

TEST(CommandLineTest, DoubleDashEndsOptions) {
    const CommandLine line = parse({"--headless", "--", "--report"});
    ASSERT_TRUE(line.ok());
    EXPECT_FALSE(line.report);
    EXPECT_EQ(line.arguments, QStringList{"--report"});
}

TEST(CommandLineTest, ActionForms) {
    for (const char* good : {"click:X", "select:X=3", "select:X=-1", "text:X=", "text:X=a=b",
                             "leave:X", "tab:X", "wait:100"}) {
        EXPECT_TRUE(parse({"--do", good}).ok()) << good;
    }
    for (const char* bad :
         {"click", "press:X", "select:X", "select:X=a", "wait:soon", "tab:", "click:"}) {
        EXPECT_FALSE(parse({"--do", bad}).ok()) << bad;
    }
}

TEST(CommandLineTest, ThingsThatCannotBeUnderstood) {
    EXPECT_FALSE(parse({"--frobnicate"}).ok());
    EXPECT_FALSE(parse({"--simulate"}).ok());
    EXPECT_FALSE(parse({"--sim-state", "x.state"}).ok());  // only with --simulate
    EXPECT_FALSE(parse({"a", "b", "c", "d"}).ok());
    EXPECT_TRUE(parse({"a", "b", "c"}).ok());
    EXPECT_TRUE(parse({"--simulate", "k6", "--sim-state", "s", "--sim-log", "l"}).ok());
}

}  // namespace
}  // namespace zandro

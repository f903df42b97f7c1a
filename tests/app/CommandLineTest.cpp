#include <gtest/gtest.h>

#include <vector>

#include "app/CommandLine.h"

namespace zandro {
namespace {

CommandLine parse(const std::vector<const char*>& args) {
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

TEST(CommandLineTest, ShortAndEqualsFormsAsQtAndGnuAcceptThem) {
    EXPECT_TRUE(parse({"-h"}).help);
    EXPECT_TRUE(parse({"-?"}).help);
    EXPECT_TRUE(parse({"-V"}).version);
    EXPECT_TRUE(parse({"-v"}).version);
    EXPECT_TRUE(parse({"-h"}).arguments.isEmpty());
    const CommandLine line = parse({"--simulate=athlon64", "--sim-log=a=b.log", "--do=click:X",
                                    "--save-as=", "--describe=f.msr"});
    ASSERT_TRUE(line.ok()) << line.error.toStdString();
    EXPECT_EQ(line.simulate, QStringLiteral("athlon64"));
    EXPECT_EQ(line.simLog, QStringLiteral("a=b.log"));
    EXPECT_EQ(line.actions, QStringList{"click:X"});
    EXPECT_EQ(line.describe, QStringLiteral("f.msr"));
    // A negative processor number is an argument: it means every processor.
    EXPECT_EQ(parse({"f.msr", "-1"}).arguments, (QStringList{"f.msr", "-1"}));
    // Any script's digits count, as they do wherever the program reads a number pattern.
    const QStringList arabicThree{QStringLiteral("f.msr"), QStringLiteral("-\u0663")};
    EXPECT_EQ(parseCommandLine(arabicThree).arguments, arabicThree);
}

TEST(CommandLineTest, DescribeTakesExactlyOneFileEvenAnEmptyOne) {
    const CommandLine empty = parse({"--describe", ""});
    ASSERT_TRUE(empty.ok());
    EXPECT_TRUE(empty.describing);
    EXPECT_TRUE(parse({"--describe=", "--headless"}).describing);
    EXPECT_FALSE(parse({"--headless"}).describing);
    EXPECT_FALSE(parse({"--describe", "f.msr", "extra"}).ok());
    EXPECT_FALSE(parse({"x", "--describe", "f.msr"}).ok());
}

TEST(CommandLineTest, WordsThatLookLikeOptionsButAreNot) {
    // Vectors, not initializer lists: a list's array would not outlive the outer vector's making.
    for (const auto& args : std::vector<std::vector<const char*>>{{"-x"},
                                                                  {"-help"},
                                                                  {"--headless=yes"},
                                                                  {"-h=1"},
                                                                  {"--simulate"},
                                                                  {"--simul=k6"},
                                                                  {"--=x"},
                                                                  {"-1x"}}) {
        const CommandLine line = parse(args);
        EXPECT_FALSE(line.ok()) << args.front();
    }
    EXPECT_EQ(parse({"--", "-h"}).arguments, QStringList{"-h"});
}

}  // namespace
}  // namespace zandro

#include "TestSupport.h"
#include "core/Errors.h"
#include "core/ExportFile.h"
#include "core/TextFile.h"

#include <filesystem>

using namespace calvane;
using namespace calvane::test;

TEST(TextDecoding, Utf8IsKeptAndItsByteOrderMarkSkipped)
{
    EXPECT_EQ(decodeText("\xEF\xBB\xBFPAR \xC2\xB5mol"), "PAR \xC2\xB5mol");
    EXPECT_EQ(decodeText("plain"), "plain");
}

TEST(TextDecoding, OtherBytesAreWindows1252)
{
    // 0xB5 micro, 0xB0 degree, 0x80 euro, 0x81 unassigned.
    EXPECT_EQ(decodeText("\xB5mol \xB0"
                         "C \x80\x81"),
              "\xC2\xB5mol \xC2\xB0"
              "C \xE2\x82\xAC\xC2\x81");
    // An overlong encoding or a lone continuation byte is not UTF-8.
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));
    EXPECT_FALSE(isValidUtf8("a\x80"));
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));  // a surrogate
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x8C\xB1"));
}

TEST(TextEncoding, Windows1252WithQuestionMarksForTheRest)
{
    EXPECT_EQ(encodeWindows1252("\xC2\xB5 \xE2\x82\xAC \xC3\xA9"), "\xB5 \x80 \xE9");
    EXPECT_EQ(encodeWindows1252("\xE2\x81\xBB \xF0\x9F\x8C\xB1"), "? ?");  // superscript minus, emoji
    // Every byte survives decoding and encoding.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(encodeWindows1252(decodeText(all)), all);
}

TEST(SplitLines, EndsAtCrLfLoneLfOrLoneCr)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(splitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(splitLines("\n"), (Lines{""}));
    EXPECT_EQ(splitLines(""), Lines{});
    EXPECT_EQ(splitLines("a\n\rb"), (Lines{"a", "", "b"}));
}

TEST(LinesToFileBytes, CrLfAfterEveryLine) { EXPECT_EQ(linesToFileBytes({"a", "", "\xC2\xB5"}), "a\r\n\r\n\xB5\r\n"); }

TEST(DefaultExtension, AddedOnlyWhenTheNameHasNone)
{
    EXPECT_EQ(withDefaultExtension("/tmp/out", "txt"), "/tmp/out.txt");
    EXPECT_EQ(withDefaultExtension("/tmp/out.csv", "txt"), "/tmp/out.csv");
    EXPECT_EQ(withDefaultExtension("/tmp.d/out", "txt"), "/tmp.d/out.txt");
}

TEST(ReplaceFileContents, CreatesReplacesAndLeavesNoTemporaryFileBehind)
{
    ScratchDir dir;
    const std::string path = dir.path("result.txt");
    replaceFileContents(path, "first");
    EXPECT_EQ(readBytes(path), "first");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    replaceFileContents(path, "second, longer");
    EXPECT_EQ(readBytes(path), "second, longer");
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.dir()), {}), 1);
}

TEST(ReplaceFileContents, FailureRaisesCannotCreateAndKeepsWhatWasThere)
{
    ScratchDir dir;
    std::filesystem::create_directory(dir.path("folder"));
    writeBytes(dir.path("folder/inside"), "kept");
    try {
        replaceFileContents(dir.path("folder"), "x");
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + dir.path("folder"));
    }
    EXPECT_EQ(readBytes(dir.path("folder/inside")), "kept");
    EXPECT_THROW(replaceFileContents(dir.path("missing/out.txt"), "x"), FileError);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.dir()), {}), 1);
}

TEST(ReadFileBytes, NothingForAFolderOrAMissingFile)
{
    ScratchDir dir;
    EXPECT_EQ(readFileBytes(dir.dir().string()), std::nullopt);
    EXPECT_EQ(readFileBytes(dir.path("nope")), std::nullopt);
    EXPECT_FALSE(isExistingFile(dir.dir().string()));
    writeBytes(dir.path("f"), std::string("a\0b", 3));
    EXPECT_EQ(readFileBytes(dir.path("f")), std::string("a\0b", 3));
    EXPECT_TRUE(isExistingFile(dir.path("f")));
}

class ExportCommand : public ::testing::Test {
protected:
    ScriptedPlatform platform;
    SaveDialog dialog{{"", "Text file (*.txt)|*.txt|All files (*.*)|*.*", "txt", "Results"}};
    ScratchDir dir;
    int builds = 0;
    bool run(const std::string& identifier = "leaf 3")
    {
        return runExportCommand(platform, dialog, identifier, [&] {
            ++builds;
            return std::vector<std::string>{"line 1", "line 2"};
        });
    }
};

TEST_F(ExportCommand, CancelWritesNothing)
{
    EXPECT_FALSE(run());
    ASSERT_EQ(platform.saveDialogs.size(), 1u);
    EXPECT_EQ(platform.saveDialogs[0].title, "Save Results for: leaf 3");
    EXPECT_EQ(platform.saveDialogs[0].initialName, "Results");
    EXPECT_EQ(builds, 0);
}

TEST_F(ExportCommand, AddsTheDefaultExtensionAndRemembersThePath)
{
    platform.saveAnswers = {dir.path("out"), std::nullopt};
    EXPECT_TRUE(run(""));
    EXPECT_EQ(platform.saveDialogs[0].title, "Save Results for: ");
    EXPECT_EQ(readBytes(dir.path("out.txt")), "line 1\r\nline 2\r\n");
    EXPECT_TRUE(platform.questions.empty());
    run();
    EXPECT_EQ(platform.saveDialogs[1].initialName, dir.path("out.txt"));
}

TEST_F(ExportCommand, AsksBeforeReplacingAndNoKeepsTheFile)
{
    writeBytes(dir.path("old.txt"), "precious");
    platform.saveAnswers = {dir.path("old.txt")};
    platform.answerYes = false;
    EXPECT_FALSE(run());
    EXPECT_EQ(platform.questions, std::vector<std::string>{"Overwrite existing file " + dir.path("old.txt") + "?"});
    EXPECT_EQ(readBytes(dir.path("old.txt")), "precious");

    platform.saveAnswers = {dir.path("old.txt")};
    platform.answerYes = true;
    EXPECT_TRUE(run());
    EXPECT_EQ(readBytes(dir.path("old.txt")), "line 1\r\nline 2\r\n");
}

TEST_F(ExportCommand, AFileThatCannotBeCreatedRaises)
{
    platform.saveAnswers = {dir.path("no/such/folder.txt")};
    try {
        run();
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + dir.path("no/such/folder.txt"));
    }
}

// calvane-batch on curves saved with semicolons, tabs and decimal commas, and on
// folders that hold a file that is no curve.

#include "TestSupport.h"

#include "batch/BatchOptions.h"
#include "import/DelimitedText.h"

#include <filesystem>
#include <sstream>

using namespace calvane::test;
using namespace calvane::batch;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome batch(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    Outcome outcome;
    outcome.status = runBatch(args, out, err, '.', {1, false, {}, nullptr, {}});
    outcome.out = out.str();
    outcome.err = err.str();
    return outcome;
}

}  // namespace

TEST(BatchSeparators, EveryLayoutOfACurveExportsAlike)
{
    ScratchDir dir;
    struct Run {
        const char* curve;
        std::vector<std::string> options;
    };
    const std::vector<Run> runs{{"aci/photosynthesis_S2_T20_0.csv", {"aci", "--compute"}},
                                {"aci/photosynthesis_S2_T20_0.csv", {"aci", "--drop", "--compute"}},
                                {"aq/ngeearctic_1818.csv", {"aq", "--fit"}},
                                {"aq/ngeearctic_1818.csv", {"aq", "--drop", "--fit"}}};
    for (const auto& run : runs) {
        auto withFile = [&](const std::string& path) {
            auto args = run.options;
            args.push_back(path);
            return args;
        };
        const Outcome expected = batch(withFile(dataFile(run.curve)));
        ASSERT_EQ(expected.status, 0) << expected.err;  // no message: the points were there to fit
        const std::string csv = readBytes(dataFile(run.curve));
        for (const auto& [separator, decimalComma] :
             {std::pair{';', false}, std::pair{';', true}, std::pair{'\t', true}}) {
            const std::string path = dir.path(std::string(decimalComma ? "comma" : "point") +
                                              (separator == ';' ? "-semicolon" : "-tab") + ".csv");
            writeBytes(path, withSeparator(csv, separator, decimalComma));
            const Outcome outcome = batch(withFile(path));
            EXPECT_EQ(outcome.status, 0) << path;
            EXPECT_EQ(outcome.err, "") << path;
            EXPECT_EQ(outcome.out, expected.out) << path;
        }
    }
}

TEST(BatchSeparators, AFileOfAFolderThatIsNoCurveIsSkipped)
{
    ScratchDir dir;
    const auto folder = dir.dir() / "curves";
    std::filesystem::create_directories(folder);
    // The index, and a curve of one point without a header line, which stays a curve.
    for (const char* name : {"index.csv", "ngeearctic_1818.csv", "ngeearctic_2102.csv"})
        std::filesystem::copy_file(dataFile(std::string("aq/") + name), folder / name);
    const std::string index = (folder / "index.csv").string();

    // Plot Data only: a fit of one point would be refused.
    const Outcome run = batch(
        {"aq", "--plot", "--out-dir", dir.path("out"), "--summary", dir.path("s.csv"), folder.string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "warning: " + index + ": not a curve (no row of numbers), skipped\n");
    const auto rows = calvane::readDelimited(readBytes(dir.path("s.csv")), ',');
    ASSERT_EQ(rows.size(), 3u);  // the header line and the two curves
    EXPECT_EQ(rows[1].fields[0], (folder / "ngeearctic_1818.csv").string());
    EXPECT_EQ(rows[2].fields[0], (folder / "ngeearctic_2102.csv").string());
    EXPECT_FALSE(std::filesystem::exists(dir.path("out/index.txt")));
    EXPECT_TRUE(std::filesystem::exists(dir.path("out/ngeearctic_2102.txt")));

    // Named itself, the index is loaded and said to be no curve.
    const Outcome named = batch({"aq", index});
    EXPECT_EQ(named.status, 1);
    EXPECT_EQ(named.err.substr(0, named.err.find('\n')),
              "133 rows of " + index + " are not numbers (the first is line 2)");

    // A folder of nothing but the index runs no curve.
    std::filesystem::remove(folder / "ngeearctic_1818.csv");
    std::filesystem::remove(folder / "ngeearctic_2102.csv");
    const Outcome none = batch({"aq", "--summary", dir.path("s.csv"), folder.string()});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "warning: " + index + ": not a curve (no row of numbers), skipped\nNo curves in " +
                            folder.string() + "\n");
    EXPECT_EQ(calvane::readDelimited(readBytes(dir.path("s.csv")), ',').size(), 1u);
}

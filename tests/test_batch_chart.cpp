// calvane-batch --chart and --chart-format: figure files written by the built program
// after the commands, beside an export that stays byte for byte what it was, and the
// usage errors of the figure options.

#include "TestSupport.h"

using namespace calvane::test;

namespace {

using Outcome = ProgramOutcome;

// A PNG's width and height from its header chunk.
std::pair<unsigned, unsigned> pngSize(const std::string& bytes)
{
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || bytes.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    auto word = [&](std::size_t at) {
        unsigned value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    return {word(16), word(20)};
}

class BatchChart : public ::testing::Test {
protected:
    ScratchDir dir;
    const std::string aci = dataFile("aci/photosynthesis_S1_T25_0.csv");

    // The built program, with no display: it must find its own way to draw.
    Outcome run(const std::vector<std::string>& args)
    {
        return runProgram(dir, CALVANE_BATCH, args, "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LC_ALL=C");
    }
};

TEST_F(BatchChart, OneChartBesideAnUnchangedExport)
{
    const Outcome plain = run({"aci", "--compute", aci});
    ASSERT_EQ(plain.status, 0) << plain.err;

    const Outcome png = run({"aci", "--compute", "--chart", dir.path("aci.png"), aci});
    EXPECT_EQ(png.status, 0);
    EXPECT_EQ(png.err, "");  // nothing from Qt's start on standard error
    EXPECT_EQ(png.out, plain.out);
    EXPECT_EQ(pngSize(readBytes(dir.path("aci.png"))), std::make_pair(1890u, 1181u));

    const Outcome small = run({"aci", "--chart-size", "8.5x6", "--dpi", "150", "--chart", dir.path("small.PNG"), aci});
    EXPECT_EQ(small.status, 0) << small.err;
    EXPECT_EQ(pngSize(readBytes(dir.path("small.PNG"))), std::make_pair(502u, 354u));

    const Outcome pdf = run({"aq", "--none", "--chart", dir.path("aq.pdf"), dataFile("aq/ngeearctic_1994.csv")});
    EXPECT_EQ(pdf.status, 0) << pdf.err;
    EXPECT_EQ(readBytes(dir.path("aq.pdf")).substr(0, 5), "%PDF-");
}

TEST_F(BatchChart, OneChartPerCurveBesideItsExport)
{
    const std::string in = dir.path("in");
    std::filesystem::create_directory(in);
    writeBytes(in + "/leaf a.csv", readBytes(aci));
    writeBytes(in + "/leaf b.csv", readBytes(aci));
    const Outcome many = run({"aci", "--out-dir", dir.path("out"), "--chart-format", "svg", in});
    EXPECT_EQ(many.status, 0) << many.err;
    for (const char* name : {"leaf a", "leaf b"}) {
        const std::string svg = readBytes(dir.path("out") + "/" + name + ".svg");
        EXPECT_EQ(svg.substr(0, 5), "<?xml") << name;
        // Named after its file, both axis titles with their units, legend names a reader
        // knows, and no right axis repeating A.
        for (const std::string& text : {std::string(name), std::string("C"), std::string(" (µmol mol⁻¹)"),
                                        std::string("A (µmol m⁻² s⁻¹)"), std::string("Rubisco-limited")})
            EXPECT_NE(svg.find(">" + text + "</text>"), std::string::npos) << name << ": " << text;
        EXPECT_EQ(svg.find(">Qa"), std::string::npos) << name;
        EXPECT_EQ(svg.find(">20</text>"), svg.rfind(">20</text>")) << name;
        EXPECT_FALSE(readBytes(dir.path("out") + "/" + name + ".txt").empty()) << name;
    }
}

TEST_F(BatchChart, ChartThatCannotBeWrittenIsAMessage)
{
    const std::string path = dir.path("missing/aci.png");
    const Outcome failed = run({"aci", "--chart", path, aci});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "Cannot create file " + path + "\n");
    EXPECT_FALSE(failed.out.empty());  // the export still comes out
}

TEST_F(BatchChart, UsageErrors)
{
    const std::string other = dir.path("other.csv");
    writeBytes(other, readBytes(aci));
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"aci", "--chart", dir.path("aci.jpg"), aci}, "the file name must end in .png, .svg or .pdf"},
        {{"aci", "--chart", dir.path("aci"), aci}, "the file name must end in .png, .svg or .pdf"},
        {{"aci", "--chart", dir.path("aci.png"), aci, other}, "--chart takes one curve"},
        {{"aci", "--chart-format", "svg", aci}, "--chart-format goes with --out-dir"},
        {{"aci", "--chart-format", "eps", "--out-dir", dir.path("o"), aci}, "--chart-format takes png, svg or pdf"},
        {{"aci", "--dpi", "300", aci}, "--chart-size and --dpi go with --chart or --chart-format"},
        {{"aci", "--chart-size", "16", "--chart", dir.path("a.png"), aci}, "--chart-size takes WxH"},
        {{"aci", "--chart-size", "0x10", "--chart", dir.path("a.png"), aci}, "width and height"},
        {{"aci", "--dpi", "72.5", "--chart", dir.path("a.png"), aci}, "--dpi takes a whole number"},
        {{"aci", "--dpi", "2400", "--chart-size", "200x200", "--chart", dir.path("a.png"), aci}, "smaller size"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, 2) << message;
        EXPECT_NE(outcome.err.find(message), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.out, "") << message;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path("aci.jpg")));
    EXPECT_FALSE(std::filesystem::exists(dir.path("a.png")));
}

}  // namespace

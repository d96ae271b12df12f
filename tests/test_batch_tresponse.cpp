// calvane-batch tresponse on the table of both leaves' standard-fit Vcmax and Jmax:
// leaf S1 against the field's reference (tests/data/reference/README.md), a section and
// a summary row per leaf, and a group that cannot be fitted.

#include "TestSupport.h"

#include "batch/TResponseRun.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

using namespace calvane::test;
using namespace calvane::batch;

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome tresponse(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = runTResponse(parseTResponseCommandLine(args), out, err);
    return {status, out.str(), err.str()};
}

// A CSV line's fields; a quoted field (a message with a comma) is one field.
std::vector<std::string> split(const std::string& line, char at = ',')
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const char c = line[k];
        if (c == '"' && quoted && k + 1 < line.size() && line[k + 1] == '"')
            fields.back() += line[++k];
        else if (c == '"')
            quoted = !quoted;
        else if (c == at && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// The summary's rows by group, each as column name -> text.
std::map<std::string, std::map<std::string, std::string>> readSummary(const std::string& path)
{
    std::istringstream in(readBytes(path));
    std::string line;
    std::getline(in, line);
    line.pop_back();  // CR
    const auto header = split(line);
    std::map<std::string, std::map<std::string, std::string>> rows;
    while (std::getline(in, line)) {
        line.pop_back();
        const auto fields = split(line);
        for (std::size_t k = 0; k < header.size() && k < fields.size(); ++k)
            rows[fields[0]][header[k]] = fields[k];
    }
    return rows;
}

// The reference fit of leaf S1 (fitter "photosynthesis"): column name -> text.
std::map<std::string, std::string> reference(const std::string& parameter, const std::string& model)
{
    std::ifstream in(dataFile("reference/t_response_S1.csv"));
    std::string line;
    std::getline(in, line);
    const auto header = split(line);
    while (std::getline(in, line)) {
        const auto fields = split(line);
        if (fields[1] == parameter && fields[2] == model && fields[3] == "photosynthesis") {
            std::map<std::string, std::string> row;
            for (std::size_t k = 0; k < header.size() && k < fields.size(); ++k)
                row[header[k]] = fields[k];
            return row;
        }
    }
    return {};
}

::testing::AssertionResult within1Percent(const std::string& actual, const std::string& expected)
{
    const double e = std::stod(expected);
    return near(std::stod(actual), e, std::abs(e) * 0.01);
}

}  // namespace

// Both models on Vcmax and Jmax: one summary row and one export section per leaf, leaf
// S1's estimates within 1 % of the reference, Topt empty where Ea >= Hd.
TEST(BatchTResponse, LeafS1AgreesWithTheReference)
{
    ScratchDir dir;
    const std::string table = dataFile("reference/t_response_input.csv");
    for (const std::string parameter : {"Vcmax", "Jmax"}) {
        for (const std::string model : {"arrhenius", "peaked"}) {
            SCOPED_TRACE(parameter + " " + model);
            const std::string summary = dir.path(parameter + model + ".csv");
            const Outcome run = tresponse(
                {"--x", "Tleaf", "--y", parameter, "--group", "leaf", "--model", model, "--summary", summary, table});
            ASSERT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(run.out.rfind("Temperature Response for: S1\r\nModel, ", 0), 0u);
            EXPECT_NE(run.out.find("\r\nTemperature Response for: S2\r\n"), std::string::npos);
            EXPECT_NE(run.out.find("\r\nn, 10\r\n \r\n  Temp, " + parameter + "\r\n  17.51, "), std::string::npos);

            const auto rows = readSummary(summary);
            ASSERT_EQ(rows.size(), 2u);
            const auto& s1 = rows.at("S1");
            const auto ref = reference(parameter, model == "peaked" ? "Medlyn" : "Arrhenius");
            ASSERT_FALSE(ref.empty());
            EXPECT_TRUE(within1Percent(s1.at("k25"), ref.at("k25")));
            EXPECT_TRUE(within1Percent(s1.at("k25 SE"), ref.at("k25_se")));
            EXPECT_TRUE(within1Percent(s1.at("Ea (J mol-1)"), ref.at("Ea")));
            EXPECT_TRUE(within1Percent(s1.at("SSE"), ref.at("SSE")));
            EXPECT_EQ(s1.at("n"), "10");
            // The intervals' ends follow the first columns, as the export has them.
            const std::string headerLine = readBytes(summary).substr(0, readBytes(summary).find('\r'));
            const std::string added = ",message,k25 lower,k25 upper,Ea lower (J mol-1),Ea upper (J mol-1),"
                                      "dS lower (J mol-1 K-1),dS upper (J mol-1 K-1)";
            EXPECT_EQ(headerLine.substr(headerLine.size() - added.size()), added);
            for (const auto& [leaf, row] : rows) {
                for (const std::string name : {"k25", "Ea", "dS"}) {
                    const std::string unit = name == "k25" ? "" : name == "Ea" ? " (J mol-1)" : " (J mol-1 K-1)";
                    const std::string value = row.at(name + unit);
                    const std::string lower = row.at(name + " lower" + unit), upper = row.at(name + " upper" + unit);
                    SCOPED_TRACE(leaf + " " + name);
                    if (name == "dS" && model == "arrhenius") {
                        EXPECT_EQ(lower + upper, "");
                        continue;
                    }
                    EXPECT_LT(std::stod(lower), std::stod(value));
                    EXPECT_GT(std::stod(upper), std::stod(value));
                    const std::string line = "\r\n" + name + ", " + value + ", " + row.at(name + " SE" + unit) + ", " +
                                             lower + ", " + upper + "\r\n";
                    EXPECT_NE(run.out.find(line), std::string::npos) << line;
                }
            }
            if (model == "peaked") {
                EXPECT_TRUE(within1Percent(s1.at("dS (J mol-1 K-1)"), ref.at("dS")));
                EXPECT_EQ(s1.at("Hd (J mol-1)"), "200000");
                if (ref.at("Topt_C").empty())
                    EXPECT_EQ(s1.at("Topt (C)"), "");
                else
                    EXPECT_TRUE(near(std::stod(s1.at("Topt (C)")), std::stod(ref.at("Topt_C")), 0.05));
            } else {
                EXPECT_EQ(s1.at("dS (J mol-1 K-1)"), "");
                EXPECT_EQ(s1.at("Hd (J mol-1)"), "");
            }
        }
    }
}

// A group with too few points is a message and a section that says why; the other
// groups are fitted as usual; a row without a value is a warning and left out.
TEST(BatchTResponse, AGroupThatCannotBeFittedIsAMessage)
{
    ScratchDir dir;
    const std::string table = dir.path("t.csv");
    writeBytes(table, "leaf;T;V\nA;20;50,5\nA;25;80\nA;30;100\nB;20;40\nB;30;\nC;x;1\n");
    const Outcome run = tresponse({"--x", "T", "--y", "V", "--group", "leaf", "--model", "peaked", table});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(table + " [A]: Cannot fit: 3 points for 3 parameters; at least 4 are needed\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("warning: " + table + " line 6: no value; row left out\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(table + " line 7: 'x' is not a number; row left out\n"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("k25, , , , \r\nEa, , , , \r\ndS, , , , \r\nHd, \r\nTopt, , \r\nSSE, \r\nRMSE, \r\nn, \r\n"
                           "Cannot fit: 3 points for 3 parameters; at least 4 are needed\r\n \r\n  Temp, V\r\n"
                           "  20, 50.5\r\n"),
              std::string::npos)
        << run.out;

    EXPECT_EQ(tresponse({"--x", "T", "--y", "V", "--hd", "1000", table}).status, exitUsage);
    EXPECT_EQ(tresponse({"--x", "T", "--y", "Nope", table}).status, exitMessages);
    EXPECT_EQ(tresponse({"--x", "T", "--y", "V", dir.path("missing.csv")}).status, exitUsage);
}

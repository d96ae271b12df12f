// Respiration in the light (Kok) in the light-response window, through calvane-batch
// --kok: the export's section, the summary's columns, and the refusal.

#include "TestSupport.h"

#include "batch/BatchOptions.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace calvane::test;
using calvane::batch::runBatch;

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome batch(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = runBatch(args, out, err, '.');
    return {status, out.str(), err.str()};
}

// The export's lines after the last empty one: its final section.
std::vector<std::string> lastSection(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, '\n');) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            lines.clear();
        else
            lines.push_back(line);
    }
    return lines;
}

double numberAfter(const std::string& line, std::size_t field)
{
    std::istringstream in(line);
    std::string part;
    for (std::size_t k = 0; k <= field; ++k)
        std::getline(in, part, ',');
    return std::stod(part);
}

}  // namespace

// The section follows the plain export; Rd, the slope and their errors as the field's
// reference has them on a real curve (3 points), and a summary column for each.
TEST(BatchKok, AddsTheSectionAndColumns)
{
    ScratchDir dir;
    const std::string curve = dataFile("aq/ngeearctic_1818.csv");
    const Outcome plain = batch({"aq", "--none", curve});
    const Outcome kok = batch({"aq", "--none", "--kok", "--summary", dir.path("s.csv"), curve});
    ASSERT_EQ(kok.status, 0) << kok.err;
    ASSERT_EQ(kok.out.compare(0, plain.out.size(), plain.out), 0);
    EXPECT_EQ(kok.out.substr(plain.out.size(), 34), "\r\nRespiration in the light (Kok)\r\n");
    const auto section = lastSection(kok.out);
    ASSERT_EQ(section.size(), 4u);
    EXPECT_EQ(section[0], "Respiration in the light (Kok)");
    EXPECT_EQ(section[1].substr(0, 4), "Rd, ");
    EXPECT_TRUE(near(numberAfter(section[1], 1), 1.30049789807475, 0.01));
    EXPECT_TRUE(near(numberAfter(section[1], 2), 0.93833719423787, 1e-6));
    EXPECT_EQ(section[2].substr(0, 7), "Slope, ");
    EXPECT_TRUE(near(numberAfter(section[2], 1), 0.0372172021379942, 1e-9));
    EXPECT_TRUE(near(numberAfter(section[2], 2), 0.0120475790044123, 1e-9));
    EXPECT_EQ(section[3], "Points, 3");

    const std::string summary = readBytes(dir.path("s.csv"));
    EXPECT_NE(summary.find(",kok Rd (umol m-2 s-1),kok Rd SE (umol m-2 s-1),kok Slope (mol mol-1),"
                           "kok Slope SE (mol mol-1),kok Points,kok message,status,"),
              std::string::npos)
        << summary;
    EXPECT_NE(summary.find(",3,Fitted to 3 points with a light between 40 and 100,0,"), std::string::npos) << summary;
}

// Two points: the line through them, without standard errors.
TEST(BatchKok, TwoPointsHaveNoStandardErrors)
{
    const Outcome kok = batch({"aq", "--none", "--kok", dataFile("aq/ngeearctic_1840.csv")});
    ASSERT_EQ(kok.status, 0) << kok.err;
    const auto section = lastSection(kok.out);
    ASSERT_EQ(section.size(), 4u);
    EXPECT_TRUE(near(numberAfter(section[1], 1), 3.26572955185724, 0.01));
    EXPECT_EQ(section[1].substr(section[1].size() - 2), ", ");
    EXPECT_EQ(section[3], "Points, 2");
}

// One point inside the light window is a refusal: a message, and the section says why
// without numbers.
TEST(BatchKok, FewerThanTwoPointsIsARefusal)
{
    const Outcome kok = batch({"aq", "--none", "--kok-light", "60,80", dataFile("aq/ngeearctic_1818.csv")});
    EXPECT_EQ(kok.status, 1);
    EXPECT_NE(kok.err.find("Kok respiration: Cannot fit: 1 point has a light between 60 and 80; at least 2 are needed"),
              std::string::npos)
        << kok.err;
    const std::vector<std::string> expected{"Respiration in the light (Kok)", "Rd, , ", "Slope, , ", "Points, ",
                                            "Cannot fit: 1 point has a light between 60 and 80; at least 2 are needed"};
    EXPECT_EQ(lastSection(kok.out), expected);
}

#include "TestSupport.h"

#include <atomic>
#include <cmath>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <unistd.h>

namespace calvane::test {

ScratchDir::ScratchDir()
{
    static std::atomic<int> counter{0};
    dir_ = std::filesystem::temp_directory_path() /
           ("calvane-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("test could not write " + path);
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("test could not read " + path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string dataFile(const std::string& relativePath) { return std::string(CALVANE_DATA_DIR) + "/" + relativePath; }

std::vector<std::pair<double, double>> curvePoints(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::vector<std::pair<double, double>> points;
    std::string line;
    while (std::getline(in, line)) {
        const auto comma = line.find(',');
        if (comma == std::string::npos || line.empty() ||
            !(std::isdigit(static_cast<unsigned char>(line[0])) || line[0] == '-' || line[0] == '.'))
            continue;
        points.emplace_back(std::stod(line.substr(0, comma)), std::stod(line.substr(comma + 1)));
    }
    return points;
}

std::string withSeparator(const std::string& csv, char separator, bool decimalComma)
{
    std::string text = csv;
    for (char& c : text) {
        if (c == ',')
            c = separator;
        else if (c == '.' && decimalComma)
            c = ',';
    }
    return text;
}

::testing::AssertionResult near(double actual, double expected, double tolerance)
{
    const double difference = std::fabs(actual - expected);
    if (difference <= tolerance)
        return ::testing::AssertionSuccess();
    std::ostringstream why;
    why << std::setprecision(17) << "expected " << expected << ", actual " << actual << ", difference " << difference
        << " exceeds " << tolerance;
    return ::testing::AssertionFailure() << why.str();
}

}  // namespace calvane::test

#include "TestSupport.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <sys/wait.h>
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

std::string shellQuoted(const std::string& arg)
{
    std::string q = "'";
    for (char c : arg)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

int shellStatus(const std::string& command)
{
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

ProgramOutcome runProgram(const ScratchDir& dir, const std::string& program, const std::vector<std::string>& args,
                          const std::string& prefix)
{
    std::string command = prefix + " " + shellQuoted(program);
    for (const auto& arg : args)
        command += " " + shellQuoted(arg);
    command += " >" + shellQuoted(dir.path("stdout")) + " 2>" + shellQuoted(dir.path("stderr")) + " </dev/null";
    ProgramOutcome outcome;
    outcome.status = shellStatus(command);
    outcome.out = readBytes(dir.path("stdout"));
    outcome.err = readBytes(dir.path("stderr"));
    return outcome;
}

std::string dataFile(const std::string& relativePath) { return std::string(CALVANE_DATA_DIR) + "/" + relativePath; }

std::vector<std::map<std::string, std::string>> csvTable(const std::string& relativePath)
{
    std::ifstream in(dataFile(relativePath));
    std::vector<std::map<std::string, std::string>> rows;
    std::vector<std::string> header;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields(1);
        bool quoted = false;
        for (char c : line) {
            if (c == '"')
                quoted = !quoted;
            else if (c == ',' && !quoted)
                fields.emplace_back();
            else if (c != '\r')
                fields.back() += c;
        }
        if (header.empty()) {
            header = fields;
            continue;
        }
        std::map<std::string, std::string> row;
        for (std::size_t k = 0; k < header.size() && k < fields.size(); ++k)
            row[header[k]] = fields[k];
        rows.push_back(std::move(row));
    }
    return rows;
}

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

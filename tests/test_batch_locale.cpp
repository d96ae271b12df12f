// The user's locale never changes a number: under locales that write a decimal comma,
// calvane-batch writes byte for byte what it writes under C (exports, summaries,
// figures, messages), and so does its engine in a process whose C library runs in
// such a locale, as the desktop's Batch Fit runs it.

#include "TestSupport.h"

#include "batch/BatchOptions.h"

#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/wait.h>

using namespace calvane::test;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> commaLocales{"de_DE.UTF-8", "fr_FR.UTF-8", "pt_BR.UTF-8"};

// Whether a program started under LC_ALL=`name` runs with a decimal comma. Asked of a
// child process: the C library remembers a locale it could not find.
bool commaLocaleWorks(const std::string& name)
{
    const std::string command = "LC_ALL=" + name + " locale decimal_point 2>/dev/null";
    std::string point;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        for (int c; (c = std::fgetc(pipe)) != EOF;)
            point += static_cast<char>(c);
        pclose(pipe);
    }
    return point == ",\n";
}

// Makes `name` available to this process and the ones it starts: the system's own, or
// built by localedef (from the Debian package locales) into the build's locale folder.
::testing::AssertionResult haveCommaLocale(const std::string& name)
{
    const fs::path folder = CALVANE_LOCALE_DIR;
    setenv("LOCPATH", folder.c_str(), 1);
    if (commaLocaleWorks(name))
        return ::testing::AssertionSuccess();
    // Built aside and moved into place, so that tests running side by side never see
    // half a locale.
    std::error_code error;
    fs::create_directories(folder, error);
    const fs::path part = folder / (name + ".part" + std::to_string(::getpid()));
    const std::string command = "localedef -c -i " + shellQuoted(name.substr(0, name.find('.'))) + " -f UTF-8 " +
                                shellQuoted(part.string()) + " >/dev/null 2>&1";
    [[maybe_unused]] const int status = std::system(command.c_str());
    fs::rename(part, folder / name, error);
    fs::remove_all(part, error);
    if (commaLocaleWorks(name))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "cannot make the locale " << name
                                         << " (localedef and /usr/share/i18n come with the Debian package locales)";
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
    std::map<std::string, std::string> files;  // what the run wrote into its folder
};

void expectSame(const Outcome& actual, const Outcome& expected, const std::string& what)
{
    EXPECT_EQ(actual.status, expected.status) << what;
    EXPECT_EQ(actual.out, expected.out) << what;
    EXPECT_EQ(actual.err, expected.err) << what;
    for (const auto& [name, bytes] : expected.files) {
        const auto found = actual.files.find(name);
        ASSERT_NE(found, actual.files.end()) << what << ": no " << name;
        EXPECT_EQ(found->second, bytes) << what << ": " << name;
    }
    EXPECT_EQ(actual.files.size(), expected.files.size()) << what;
}

class Locales : public ::testing::Test {
protected:
    ScratchDir dir;
    const fs::path out = dir.dir() / "out";
    const std::string semicolon = dir.path("semicolon.csv");

    void SetUp() override
    {
        writeBytes(semicolon, withSeparator(readBytes(dataFile("aq/ngeearctic_1819.csv")), ';', true));
    }

    // Empties the folder the runs write into (their working folder).
    void freshOutput()
    {
        fs::remove_all(out);
        fs::create_directories(out);
    }
    std::map<std::string, std::string> written() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(out))
            if (entry.is_regular_file())
                files[fs::relative(entry.path(), out).string()] = readBytes(entry.path().string());
        return files;
    }

    // calvane-batch under LC_ALL=`locale`.
    Outcome run(const std::string& locale, const std::vector<std::string>& args)
    {
        freshOutput();
        std::string command = "cd " + shellQuoted(out.string()) + " && LC_ALL=" + locale + " " +
                              shellQuoted(CALVANE_BATCH);
        for (const auto& arg : args)
            command += " " + shellQuoted(arg);
        command += " >" + shellQuoted(dir.path("stdout")) + " 2>" + shellQuoted(dir.path("stderr")) + " </dev/null";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readBytes(dir.path("stdout")), readBytes(dir.path("stderr")),
                written()};
    }

    // The engine in this process, under the C library's locale as it stands.
    Outcome engine(const std::vector<std::string>& args)
    {
        freshOutput();
        const fs::path before = fs::current_path();
        fs::current_path(out);
        std::ostringstream exports, messages;
        const int status = calvane::batch::runBatch(args, exports, messages, '.', {1, false, {}, nullptr, {}});
        fs::current_path(before);
        return {status, exports.str(), messages.str(), written()};
    }
};

// Runs that write every kind of output: exports, summaries, a figure, messages.
std::vector<std::vector<std::string>> runs(const std::string& semicolonFile)
{
    const std::string examples = std::string(CALVANE_DATA_DIR) + "/../../examples/";
    return {
        {"aci", "--summary", "s.csv", examples + "aci-example.csv"},
        {"aq", "--drop", "--summary", "s.csv", "--chart", "chart.svg", examples + "aq-example.csv"},
        {"aci", "--group", "ppfd", "--x", "Ci", "--a", "A", "--tleaf", "Tleaf", "--out-dir", "d", "--summary", "s.csv",
         examples + "aci-curves.csv"},
        {"aci", "--standard-fit", "--set", "Temp=25.5", "--out-dir", "d", "--summary", "s.csv",
         dataFile("aci/photogea_20210805_ripe1_plot5.csv"), dataFile("aci/plantecophys_01_tjr4.csv")},
        // A fit that runs to a bound says so with the bound's number.
        {"aq", "--standard-fit", "--out-dir", "d", "--summary", "s.csv", dataFile("aq/ngeearctic_2142.csv"),
         dataFile("aq/pecan_1aq.csv")},
        {"aq", "--drop", "--fix", "Convexity=0.7", "--refine", semicolonFile},
        {"aq", dataFile("aq/index.csv")},  // messages with counts
    };
}

}  // namespace

TEST_F(Locales, TheBatchCommandWritesTheSameBytesInEveryLocale)
{
    for (const auto& locale : commaLocales)
        ASSERT_TRUE(haveCommaLocale(locale));
    for (const auto& args : runs(semicolon)) {
        const Outcome expected = run("C", args);
        ASSERT_FALSE(expected.out.empty() && expected.files.empty()) << args[1];
        for (const auto& locale : commaLocales)
            expectSame(run(locale, args), expected, locale + " " + args[1] + " " + args.back());
    }
}

TEST_F(Locales, TheEngineWritesTheSameBytesInAProcessOfAnotherLocale)
{
    const std::string& locale = commaLocales[0];
    ASSERT_TRUE(haveCommaLocale(locale));
    for (const auto& args : runs(semicolon)) {
        if (std::find(args.begin(), args.end(), "--chart") != args.end())
            continue;  // figures need the program's Qt start-up
        const Outcome expected = engine(args);
        ASSERT_NE(std::setlocale(LC_ALL, locale.c_str()), nullptr);
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
        const Outcome comma = engine(args);
        std::setlocale(LC_ALL, "C");
        expectSame(comma, expected, args[1] + " " + args.back());
    }
}

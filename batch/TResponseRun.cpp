#include "batch/TResponseRun.h"

#include "batch/BatchPlatform.h"
#include "batch/CurveTable.h"
#include "batch/Summary.h"
#include "chart/drawing/TempResponseChart.h"
#include "core/Errors.h"
#include "core/NumberText.h"
#include "core/TextFile.h"
#include "import/DelimitedText.h"
#include "tresponse/TempResponse.h"

#include <array>
#include <charconv>
#include <cmath>
#include <memory>
#include <ostream>

namespace calvane::batch {

namespace {

const char* const usageText =
    "usage: calvane-batch tresponse --x COLUMN --y COLUMN [--group COLUMN] [--model arrhenius|peaked]\n"
    "                               [--hd VALUE] [--summary PATH] [--chart PATH.png|.svg|.pdf] TABLE\n"
    "  TABLE:    a delimited table with a header line (comma, semicolon or tab), such as a --summary\n"
    "  columns:  --x leaf temperature (degrees C), --y the values; --group one fit per value\n"
    "            (a header text, matched exactly, or a 1-based number)\n"
    "  model:    arrhenius (default), or peaked with Hd held at --hd (J mol-1, default 200000)\n";

// Colours of the groups in the figure, in turn.
constexpr std::array<Colour, 8> groupColours{rgb(220, 0, 0),   rgb(0, 0, 220),   rgb(0, 140, 0),  rgb(200, 120, 0),
                                             rgb(140, 0, 160), rgb(0, 150, 160), rgb(90, 90, 90), rgb(160, 80, 40)};

class Parser {
public:
    explicit Parser(const std::vector<std::string>& args) : args_(args) {}

    TResponseJob parse()
    {
        std::optional<std::string> x, y, model, hd;
        for (i_ = 0; i_ < args_.size(); ++i_) {
            const std::string& arg = args_[i_];
            if (arg == "--x")
                once(x);
            else if (arg == "--y")
                once(y);
            else if (arg == "--group")
                once(job_.group);
            else if (arg == "--model")
                once(model);
            else if (arg == "--hd")
                once(hd);
            else if (arg == "--summary")
                once(job_.summary);
            else if (arg == "--chart")
                once(job_.chart);
            else if (!arg.empty() && arg[0] == '-' && arg != "-")
                throw UsageError("unknown option " + arg);
            else if (!job_.table.empty())
                throw UsageError("tresponse takes one TABLE");
            else
                job_.table = arg;
        }
        if (job_.table.empty())
            throw UsageError("missing TABLE");
        if (!x || !y)
            throw UsageError("tresponse needs --x COLUMN and --y COLUMN");
        job_.xColumn = *x;
        job_.yColumn = *y;
        if (model && *model != "arrhenius" && *model != "peaked")
            throw UsageError("--model takes arrhenius or peaked, not '" + *model + "'");
        job_.settings.model = model == "peaked" ? TemperatureModel::Peaked : TemperatureModel::Arrhenius;
        if (hd) {
            if (job_.settings.model != TemperatureModel::Peaked)
                throw UsageError("--hd goes with --model peaked");
            double value = 0;
            const char* end = hd->data() + hd->size();
            const auto [stop, error] = std::from_chars(hd->data(), end, value);
            if (hd->empty() || error != std::errc() || stop != end || !std::isfinite(value) || value <= 0)
                throw UsageError("--hd takes a positive number of J mol-1, such as 200000");
            job_.settings.hd = value;
        }
        if (job_.chart && !chart::figureFormatOfPath(*job_.chart))
            throw UsageError("--chart " + *job_.chart + ": the file name must end in .png, .svg or .pdf");
        return job_;
    }

private:
    void once(std::optional<std::string>& target)
    {
        if (target)
            throw UsageError(args_[i_] + " may be given only once");
        if (i_ + 1 >= args_.size())
            throw UsageError(args_[i_] + " needs a value");
        target = args_[++i_];
    }

    const std::vector<std::string>& args_;
    std::size_t i_ = 0;
    TResponseJob job_;
};

// A cell of the table as a number: '.' as the decimal point, or a decimal comma in a
// table cut at semicolons or tabs.
std::optional<double> tableNumber(const std::string& text, char delimiter)
{
    if (const auto value = readNumber(text, '.'))
        return value;
    if (delimiter != ',' && isDecimalCommaNumber(trim(text)))
        return readNumber(text, ',');
    return std::nullopt;
}

struct Group {
    std::string name;
    std::vector<std::pair<double, double>> pairs;
};

std::vector<std::string> summaryHeader()
{
    return {"group", "model", "k25", "k25 SE", "Ea (J mol-1)", "Ea SE (J mol-1)", "dS (J mol-1 K-1)",
            "dS SE (J mol-1 K-1)", "Hd (J mol-1)", "Topt (C)", "Topt SE (C)", "SSE", "RMSE", "n", "message",
            // The 95 % profile intervals came later: after the first columns, which stay in place.
            "k25 lower", "k25 upper", "Ea lower (J mol-1)", "Ea upper (J mol-1)", "dS lower (J mol-1 K-1)",
            "dS upper (J mol-1 K-1)"};
}

std::vector<std::string> summaryRow(const std::string& group, const TempResponse& window)
{
    std::vector<std::string> row{group, temperatureModelName(window.model())};
    for (const auto& line : window.resultLines()) {
        row.push_back(line.value);
        if (line.error)
            row.push_back(*line.error);
    }
    row.push_back(window.message.text());
    for (const auto& line : window.resultLines()) {
        if (line.lower && line.upper) {
            row.push_back(*line.lower);
            row.push_back(*line.upper);
        }
    }
    return row;
}

}  // namespace

TResponseCommandLine parseTResponseCommandLine(const std::vector<std::string>& args)
{
    return parseArguments<TResponseJob>(args,
                                        [](const std::vector<std::string>& given) { return Parser(given).parse(); });
}

int runTResponse(const TResponseCommandLine& commandLine, std::ostream& out, std::ostream& err,
                 const RunSettings& settings)
{
    if (commandLine.help) {
        out << usageText;
        return exitClean;
    }
    auto usage = [&err](const std::string& error) {
        err << "calvane-batch: " << error << '\n' << usageText;
        return exitUsage;
    };
    if (!commandLine.job)
        return usage(commandLine.usageError.value_or("nothing to run"));
    const TResponseJob& job = *commandLine.job;
    if (job.chart && !settings.writeChart)
        return usage("charts are drawn by calvane-batch only");

    const auto bytes = readFileBytes(job.table);
    if (!bytes) {
        err << FileError::cannotOpen(job.table).what() << '\n';
        return exitUsage;
    }
    const std::string text = decodeText(*bytes);
    const char delimiter = detectDelimiter(text);
    const auto records = readDelimited(text, delimiter);
    if (records.empty()) {
        err << job.table << ": no header line\n";
        return exitMessages;
    }
    const auto& header = records.front().fields;
    auto column = [&](const std::string& name) {
        const auto index = findColumn(header, name);
        if (!index)
            err << job.table << " line " << records.front().line << ": the header line has no column " << name << '\n';
        return index;
    };
    const auto x = column(job.xColumn);
    const auto y = column(job.yColumn);
    const auto g = job.group ? column(*job.group) : std::optional<std::size_t>(0);
    if (!x || !y || !g)
        return exitMessages;

    int status = exitClean;
    std::vector<Group> groups;
    for (std::size_t k = 1; k < records.size(); ++k) {
        const auto& fields = records[k].fields;
        auto cell = [&fields](std::size_t index) {
            return index < fields.size() ? trim(fields[index]) : std::string();
        };
        const std::string where = job.table + " line " + std::to_string(records[k].line);
        const std::string name = job.group ? cell(*g) : std::string();
        const std::string temp = cell(*x), value = cell(*y);
        // A row without a value (a curve whose fit failed, say) has nothing to give.
        if (temp.empty() || value.empty()) {
            err << "warning: " << where << ": no " << (temp.empty() ? "temperature" : "value") << "; row left out\n";
            continue;
        }
        const auto t = tableNumber(temp, delimiter), v = tableNumber(value, delimiter);
        if (!t || !v) {
            err << where << ": '" << (t ? value : temp) << "' is not a number; row left out\n";
            status = exitMessages;
            continue;
        }
        auto found = std::find_if(groups.begin(), groups.end(),
                                  [&name](const Group& group) { return group.name == name; });
        if (found == groups.end())
            found = groups.insert(groups.end(), Group{name, {}});
        found->pairs.emplace_back(*t, *v);
    }

    BatchPlatform platform(err, '.');
    std::vector<std::unique_ptr<TempResponse>> windows;
    std::string summary = csvRow(summaryHeader());
    for (std::size_t k = 0; k < groups.size(); ++k) {
        const Group& group = groups[k];
        auto window = std::make_unique<TempResponse>(platform);
        window->identifier.setText(job.group ? group.name : job.table);
        window->setPoints(group.pairs, header[*y]);
        window->setModel(job.settings.model);
        window->hd.setText(formatNumber(job.settings.hd, '.'));
        try {
            window->fitClick();
        } catch (const std::exception& error) {
            err << (job.group ? job.table + " [" + group.name + "]: " : job.table + ": ") << error.what() << '\n';
            status = exitMessages;
        }
        out << linesToFileBytes(window->exportLines());
        summary += csvRow(summaryRow(group.name, *window));
        const Colour colour = groupColours[k % groupColours.size()];
        window->Series_Measured.colour = colour;
        window->Series_Fitted.colour = colour;
        if (job.group) {
            window->Series_Measured.title = group.name;
            window->Series_Fitted.title = group.name + " fitted";
        }
        windows.push_back(std::move(window));
    }
    out << std::flush;

    if (job.summary) {
        try {
            replaceFileContents(*job.summary, summary);
        } catch (const std::exception& error) {
            err << error.what() << '\n';
            status = exitMessages;
        }
    }
    if (job.chart && !windows.empty()) {
        std::vector<const TempResponse*> drawn;
        drawn.reserve(windows.size());
        for (const auto& window : windows)
            drawn.push_back(window.get());
        if (job.group)
            windows.front()->chartTitle.setSingleLine("Temperature Response: " + header[*y]);
        try {
            settings.writeChart(*job.chart, chart::tempResponseChartDrawing(drawn),
                                *chart::figureFormatOfPath(*job.chart), chart::FigureOptions{});
        } catch (const std::exception& error) {
            err << error.what() << '\n';
            status = exitMessages;
        }
    }
    return status;
}

}  // namespace calvane::batch

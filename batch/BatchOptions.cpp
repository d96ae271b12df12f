#include "batch/BatchOptions.h"

#include "batch/BatchPlatform.h"
#include "batch/WindowSession.h"
#include "import/ParseVerdex.h"

#include <charconv>
#include <ostream>
#include <utility>

namespace calvane::batch {

namespace {

const char* const usageText =
    "usage: calvane-batch aci|aq [OPTIONS] INPUT...\n"
    "       calvane-batch tresponse --help  (temperature responses from a table)\n"
    "  inputs:   files, and folders standing for their .csv files\n"
    "  loading:  (default: File > Import > CSV Text)  --drop  --instrument ROW,XCOL,ACOL [--tab|--semicolon|--comma]\n"
    "  tables:   --group COLUMN --x COLUMN --a COLUMN;  logs: --instrument ROW,XCOL,ACOL --group COLUMN\n"
    "  means:    aci: --tleaf COLUMN --light COLUMN --patm COLUMN (kPa)   aq: --parabs COLUMN\n"
    "            (each curve's mean of that column into Temp, Light, the standard fit's Patm, ParAbs)\n"
    "  fields:   --id TEXT  --set NAME=TEXT  --fix NAME[=TEXT]  --free NAME\n"
    "  commands: aci: --compute --plot --clear   aq: --fit --refine --plot --clear   --none\n"
    "            --standard-fit (after the commands; adds its sections and columns)\n"
    "            aq: --kok [--kok-light LOW,HIGH] (respiration in the light; default 40,100)\n"
    "  standard: (with --standard-fit)  --standard-hold NAME=VALUE  --exclude N[,N...]\n"
    "            aci: --fit-tpu --gm VALUE\n"
    "            hold names: aci: Vcmax Jmax J Rd TPU  aq: Phi Amax Theta Rd (Rd positive for a loss)\n"
    "  output:   -o PATH | --export PATH (one curve)  --out-dir DIR  --summary PATH\n"
    "            (default: standard output)\n"
    "  charts:   --chart PATH.png|.svg|.pdf (one curve)  --chart-format png|svg|pdf (with --out-dir)\n"
    "            --chart-size WxH (centimetres, default 16x10)  --dpi N (PNG, default 300)\n"
    "  names:    aci: Kc Ko Tau Temp Light Respiration Vcmax Jmax TPU GammaStar\n"
    "            aq:  Amax AQE Convexity Respiration ParAbs LightSat LightComp\n";

std::optional<Command> commandNamed(const std::string& arg)
{
    for (const Command command : {Command::Compute, Command::Fit, Command::Refine, Command::Plot, Command::Clear})
        if (arg == commandOption(command))
            return command;
    return std::nullopt;
}

std::optional<MeanField> meanFieldNamed(const std::string& arg)
{
    if (arg == "--tleaf")
        return MeanField::LeafTemperature;
    if (arg == "--light")
        return MeanField::Light;
    if (arg == "--patm")
        return MeanField::Pressure;
    if (arg == "--parabs")
        return MeanField::ParAbs;
    return std::nullopt;
}

std::vector<std::string> splitAt(const std::string& text, char separator)
{
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// NAME=TEXT, NAME non-empty.
std::pair<std::string, std::string> nameAndText(const std::string& option, const std::string& value)
{
    const auto equals = value.find('=');
    if (equals == std::string::npos || equals == 0)
        throw UsageError(option + " takes NAME=TEXT");
    return {value.substr(0, equals), value.substr(equals + 1)};
}

// A number as a command line gives it: '.' as the decimal point, whatever the locale.
template <typename Number>
std::optional<Number> plainNumber(const std::string& text)
{
    Number value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

// Reads the arguments after the window kind, one option at a time, into a job.
class Parser {
public:
    explicit Parser(const std::vector<std::string>& args) : args_(args) {}

    BatchJob parse()
    {
        if (args_.empty())
            throw UsageError("missing the window kind, aci or aq");
        if (args_[0] == "aci")
            job_.kind = WindowKind::Aci;
        else if (args_[0] == "aq")
            job_.kind = WindowKind::Aq;
        else
            throw UsageError("unknown window kind '" + args_[0] + "' (aci or aq)");

        bool positionalOnly = false;
        for (i_ = 1; i_ < args_.size(); ++i_) {
            const std::string& arg = args_[i_];
            if (positionalOnly || arg.empty() || arg[0] != '-' || arg == "-")
                job_.inputs.push_back(arg);
            else if (arg == "--")
                positionalOnly = true;
            else if (!fieldOption(arg) && !loadingOption(arg) && !tableOption(arg) && !outputOption(arg) &&
                     !chartOption(arg))
                throw UsageError("unknown option " + arg);
        }
        checkJob(job_);
        return job_;
    }

private:
    // The option's value: the next argument.
    const std::string& value()
    {
        if (i_ + 1 >= args_.size())
            throw UsageError(args_[i_] + " needs a value");
        return args_[++i_];
    }

    // An option given once only.
    void once(std::optional<std::string>& target)
    {
        if (target)
            throw UsageError(args_[i_] + " may be given only once");
        target = value();
    }

    // --id, --set, --fix, --free and the commands.
    bool fieldOption(const std::string& arg)
    {
        using What = FieldAction::What;
        if (arg == "--id") {
            job_.fields.push_back({What::Identifier, {}, value()});
        } else if (arg == "--set") {
            auto [name, text] = nameAndText(arg, value());
            job_.fields.push_back({What::Set, name, text});
        } else if (arg == "--fix") {
            const std::string& v = value();
            if (v.find('=') == std::string::npos) {
                if (v.empty())
                    throw UsageError("--fix takes NAME or NAME=TEXT");
                job_.fields.push_back({What::Fix, v, std::nullopt});
            } else {
                auto [name, text] = nameAndText(arg, v);
                job_.fields.push_back({What::Fix, name, text});
            }
        } else if (arg == "--free") {
            const std::string& v = value();
            if (v.empty() || v.find('=') != std::string::npos)
                throw UsageError("--free takes NAME only");
            job_.fields.push_back({What::Free, v, std::nullopt});
        } else if (arg == "--none") {
            job_.none = true;
        } else if (arg == "--standard-fit") {
            job_.standardFit = true;
        } else if (arg == "--kok") {
            job_.kok = true;
        } else if (arg == "--kok-light") {
            job_.kok = true;
            job_.kokLight = splitAt(value(), ',');
            if (job_.kokLight.size() != 2)
                throw UsageError("--kok-light takes LOW,HIGH");
        } else if (arg == "--fit-tpu") {
            job_.standardOptions.fitTpu = true;
        } else if (arg == "--gm") {
            if (job_.standardOptions.gm)
                throw UsageError("--gm may be given only once");
            job_.standardOptions.gm = value();
        } else if (arg == "--exclude") {
            for (const auto& part : splitAt(value(), ',')) {
                const auto n = plainNumber<int>(part);
                if (!n || *n < 1)
                    throw UsageError("--exclude takes data row numbers from 1, such as 2,12");
                job_.standardOptions.excluded.push_back(*n);
            }
        } else if (arg == "--standard-hold") {
            job_.standardOptions.holds.push_back(nameAndText(arg, value()));
        } else if (const auto command = commandNamed(arg)) {
            job_.commands.push_back(*command);
        } else {
            return false;
        }
        return true;
    }

    // --drop, --instrument and a log's delimiter.
    bool loadingOption(const std::string& arg)
    {
        if (arg == "--drop") {
            setLoading(Loading::Drop);
        } else if (arg == "--instrument") {
            setLoading(Loading::Instrument);
            job_.instrumentParts = splitAt(value(), ',');
            if (job_.instrumentParts.size() != 3)
                throw UsageError("--instrument takes ROW,XCOL,ACOL");
        } else if (arg == "--tab" || arg == "--semicolon" || arg == "--comma") {
            const LogDelimiter delimiter = arg == "--tab"         ? LogDelimiter::Tab
                                           : arg == "--semicolon" ? LogDelimiter::Semicolon
                                                                  : LogDelimiter::Comma;
            if (job_.delimiter && *job_.delimiter != delimiter)
                throw UsageError("--tab, --semicolon, --comma: one delimiter only");
            job_.delimiter = delimiter;
        } else {
            return false;
        }
        return true;
    }

    void setLoading(Loading loading)
    {
        if (loadingGiven_)
            throw UsageError("only one loading mode may be given");
        loadingGiven_ = true;
        job_.loading = loading;
    }

    // --group, --x, --a and the mean columns.
    bool tableOption(const std::string& arg)
    {
        if (arg == "--group") {
            once(job_.group);
        } else if (arg == "--x") {
            once(job_.xColumn);
        } else if (arg == "--a") {
            once(job_.aColumn);
        } else if (const auto field = meanFieldNamed(arg)) {
            if ((*field != MeanField::ParAbs) != (job_.kind == WindowKind::Aci))
                throw UsageError(arg + " is not an option of this window");
            for (const auto& mean : job_.means)
                if (mean.field == *field)
                    throw UsageError(arg + " may be given only once");
            job_.means.push_back({*field, value()});
        } else {
            return false;
        }
        return true;
    }

    // -o, --out-dir and --summary.
    bool outputOption(const std::string& arg)
    {
        if (arg == "-o" || arg == "--export") {
            if (job_.output)
                throw UsageError("only one output file may be given");
            job_.output = value();
        } else if (arg == "--out-dir") {
            once(job_.outDir);
        } else if (arg == "--summary") {
            once(job_.summary);
        } else {
            return false;
        }
        return true;
    }

    // --chart, --chart-format, --chart-size and --dpi.
    bool chartOption(const std::string& arg)
    {
        if (arg == "--chart") {
            if (job_.chartFormat)
                throw UsageError(job_.chart ? "--chart may be given only once"
                                            : "--chart cannot go with --chart-format");
            once(job_.chart);
            job_.chartFormat = chart::figureFormatOfPath(*job_.chart);
            if (!job_.chartFormat)
                throw UsageError("--chart " + *job_.chart + ": the file name must end in .png, .svg or .pdf");
        } else if (arg == "--chart-format") {
            if (job_.chartFormat)
                throw UsageError(job_.chart ? "--chart-format cannot go with --chart"
                                            : "--chart-format may be given only once");
            const std::string& name = value();
            job_.chartFormat = chart::figureFormatNamed(name);
            if (!job_.chartFormat)
                throw UsageError("--chart-format takes png, svg or pdf, not '" + name + "'");
        } else if (arg == "--chart-size") {
            // WxH in centimetres: "16x10", "8.5X6".
            const std::string& text = value();
            const auto cut = text.find_first_of("xX");
            const auto width = plainNumber<double>(text.substr(0, cut));
            const auto height = cut == std::string::npos ? std::nullopt : plainNumber<double>(text.substr(cut + 1));
            if (!width || !height)
                throw UsageError("--chart-size takes WxH in centimetres, such as 16x10");
            figure().widthCm = *width;
            figure().heightCm = *height;
        } else if (arg == "--dpi") {
            const auto dpi = plainNumber<int>(value());
            if (!dpi)
                throw UsageError("--dpi takes a whole number of dots per inch");
            figure().dpi = *dpi;
        } else {
            return false;
        }
        return true;
    }

    chart::FigureOptions& figure()
    {
        if (!job_.figure)
            job_.figure.emplace();
        return *job_.figure;
    }

    const std::vector<std::string>& args_;
    std::size_t i_ = 0;
    BatchJob job_;
    bool loadingGiven_ = false;
};

void printUsageError(std::ostream& err, const std::string& error)
{
    err << "calvane-batch: " << error << '\n' << usageText;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args)
{
    return parseArguments<BatchJob>(args, [](const std::vector<std::string>& given) { return Parser(given).parse(); });
}

int runCommandLine(const CommandLine& commandLine, std::ostream& out, std::ostream& err, char decimalSeparator,
                   const RunSettings& settings)
{
    if (commandLine.help) {
        out << usageText;
        return exitClean;
    }
    if (!commandLine.job) {
        printUsageError(err, commandLine.usageError.value_or("nothing to run"));
        return exitUsage;
    }
    const BatchOutcome outcome = runBatch(*commandLine.job, out, err, decimalSeparator, settings);
    if (outcome.usageError)
        printUsageError(err, *outcome.usageError);
    return outcome.status;
}

int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, char decimalSeparator,
             const RunSettings& settings)
{
    return runCommandLine(parseCommandLine(args), out, err, decimalSeparator, settings);
}

std::string checkArguments(const std::vector<std::string>& args)
{
    try {
        const BatchJob job = Parser(args).parse();
        BatchPlatform files('.');
        ImportSettings settings;
        checkAgainstWindow(job, *makeSession(job.kind, files, settings));
    } catch (const UsageError& error) {
        return error.what();
    }
    return {};
}

}  // namespace calvane::batch

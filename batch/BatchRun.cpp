#include "batch/BatchRun.h"

#include "aci/ACi_Curve.h"
#include "aq/AQ_C3_Curve.h"
#include "batch/BatchPlatform.h"
#include "batch/Conditions.h"
#include "batch/CurveTable.h"
#include "batch/Progress.h"
#include "batch/Summary.h"
#include "chart/spec/WindowCharts.h"
#include "core/Errors.h"
#include "core/ExportFile.h"
#include "core/NumberText.h"
#include "core/TextFile.h"
#include "import/GridText.h"
#include "import/ParseVerdex.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <set>
#include <stdexcept>
#include <thread>

namespace calvane::batch {

namespace {

const char* const usageText =
    "usage: calvane-batch aci|aq [OPTIONS] INPUT...\n"
    "  inputs:   files, and folders standing for their .csv files\n"
    "  loading:  (default: File > Import > CSV Text)  --drop  --instrument ROW,XCOL,ACOL [--tab|--semicolon|--comma]\n"
    "  tables:   --group COLUMN --x COLUMN --a COLUMN;  logs: --instrument ROW,XCOL,ACOL --group COLUMN\n"
    "  means:    aci: --tleaf COLUMN --light COLUMN --patm COLUMN (kPa)   aq: --parabs COLUMN\n"
    "            (each curve's mean of that column into Temp, Light, the standard fit's Patm, ParAbs)\n"
    "  fields:   --id TEXT  --set NAME=TEXT  --fix NAME[=TEXT]  --free NAME\n"
    "  commands: aci: --compute --plot --clear   aq: --fit --refine --plot --clear   --none\n"
    "            --standard-fit (after the commands; adds its sections and columns)\n"
    "  output:   -o PATH | --export PATH (one curve)  --out-dir DIR  --summary PATH\n"
    "            (default: standard output)\n"
    "  charts:   --chart PATH.png|.svg|.pdf (one curve)  --chart-format png|svg|pdf (with --out-dir)\n"
    "            --chart-size WxH (centimetres, default 16x10)  --dpi N (PNG, default 300)\n"
    "  names:    aci: Kc Ko Tau Temp Light Respiration Vcmax Jmax TPU GammaStar\n"
    "            aq:  Amax AQE Convexity Respiration ParAbs LightSat LightComp\n";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Kind { Aci, Aq };
enum class Loading { CsvText, Drop, Instrument };

struct FieldAction {
    enum class What { Identifier, Set, Fix, Free } what;
    std::string name;
    std::optional<std::string> text;  // none for "--fix NAME" and "--free NAME"
};

struct Options {
    Kind kind = Kind::Aci;
    std::optional<Loading> loading;
    std::vector<std::string> instrumentParts;
    std::optional<LogDelimiter> delimiter;  // --tab, --semicolon or --comma; else the file's own
    std::vector<FieldAction> fields;
    std::vector<std::string> commands;
    bool none = false;
    bool standardFit = false;
    std::optional<std::string> output;
    std::vector<std::string> inputs;
    // Tables of many curves.
    std::optional<std::string> group;
    std::optional<std::string> xColumn;
    std::optional<std::string> aColumn;
    std::vector<MeanColumn> means;  // --tleaf, --light, --patm, --parabs, in the order given
    std::optional<std::string> outDir;
    std::optional<std::string> summary;
    // Figures: one file, or one per curve beside its export.
    std::optional<std::string> chart;
    std::optional<chart::FigureFormat> chartFormat;  // --chart-format, or --chart's extension
    chart::FigureOptions figure;
    bool figureSettings = false;  // --chart-size or --dpi given

    bool wantsCharts() const { return chart || chartFormat; }
};

// Units of the summary's columns, in its plain ASCII spelling.
const char* const rateUnit = "umol m-2 s-1";
const char* const squaredRateUnit = "(umol m-2 s-1)2";
const char* const ciUnit = "umol mol-1";
const char* const dimensionless = "dimensionless";

std::string withUnit(const std::string& name, const std::string& unit)
{
    return unit.empty() ? name : name + " (" + unit + ")";
}

// A field of a window by its batch name, and its fixed flag where it has one.
struct FieldRef {
    TextField* field;
    CheckBox* flag;
};

// What calvane-batch needs of one kind of window.
class Session {
public:
    virtual ~Session() = default;
    virtual std::map<std::string, FieldRef> fields() = 0;
    virtual TextField& identifier() = 0;
    virtual std::map<std::string, std::function<void()>> commands() = 0;
    virtual std::string defaultCommand() const = 0;
    virtual void importCsvText() = 0;
    virtual void drop(const std::vector<DroppedItem>& items) = 0;
    virtual void importInstrument() = 0;
    virtual TextField& instrumentXColumn() = 0;
    virtual TFrmParseVerdex& importDialog() = 0;
    virtual std::vector<std::string> exportLines() const = 0;
    // The window's chart as it stands, as the window draws it.
    virtual chart::ChartSpec chartSpec() const = 0;
    // The window's plausibility checks as it stands: one sentence each that fails.
    virtual std::vector<std::string> runChecks() = 0;

    // Many curves: the search threads a window may use, the means of --tleaf, --light,
    // --patm or --parabs into their fields, the measured points the window holds, and its
    // columns of the run summary: every parameter (and its state word), then what the
    // window adds.
    virtual void setSearchThreads(unsigned threads) = 0;
    virtual void applyMeans(const std::vector<MeanColumn>& columns, const std::vector<double>& means,
                            char decimalSeparator) = 0;
    virtual int pointCount() const = 0;
    virtual std::vector<std::string> summaryOrder() const = 0;
    // The unit of a parameter's summary column; empty for none.
    virtual std::string unit(const std::string& name) const = 0;
    virtual std::vector<std::string> extraHeader() const = 0;
    virtual std::vector<std::string> extraFields() const = 0;
    // The standard fit: asked for once before anything runs, so that the summary's
    // columns and the export's section follow; run after the other commands.
    virtual bool hasStandardFit() const { return false; }
    virtual void useStandardFit() {}
    virtual void runStandardFit() {}
    // Its columns stand between the window's own and the status.
    virtual std::vector<std::string> standardFitHeader() const { return {}; }
    virtual std::vector<std::string> standardFitFields() const { return {}; }

    std::vector<std::string> summaryHeader()
    {
        std::vector<std::string> header;
        const auto all = fields();
        for (const auto& name : summaryOrder()) {
            header.push_back(withUnit(name, unit(name)));
            if (all.at(name).flag)
                header.push_back(name + " state");
        }
        for (auto part : {extraHeader(), standardFitHeader()})
            header.insert(header.end(), part.begin(), part.end());
        return header;
    }
    std::vector<std::string> summaryFields(char separator)
    {
        std::vector<std::string> row;
        const auto all = fields();
        for (const auto& name : summaryOrder()) {
            const FieldRef ref = all.at(name);
            row.push_back(withDecimalPoint(ref.field->text(), separator));
            if (ref.flag)
                row.push_back(fixedStateWord(*ref.flag));
        }
        for (auto part : {extraFields(), standardFitFields()})
            row.insert(row.end(), part.begin(), part.end());
        return row;
    }
};

class AciSession : public Session {
public:
    AciSession(Platform& platform, ImportSettings& settings) : w(platform, settings) {}
    std::map<std::string, FieldRef> fields() override
    {
        return {{"Kc", {&w.aciEdit_Kc, &w.aciCheckBox_Kc}},
                {"Ko", {&w.aciEdit_Ko, &w.aciCheckBox_Ko}},
                {"Tau", {&w.aciEdit_Tau, &w.aciCheckBox_Tau}},
                {"Temp", {&w.aciEdit_Temp, nullptr}},
                {"Light", {&w.aciEdit_Light, nullptr}},
                {"Respiration", {&w.aciEdit_Respiration, &w.aciCheckBox_Respiration}},
                {"Vcmax", {&w.aciEdit_Vcmax, &w.aciCheckBox_Vcmax}},
                {"Jmax", {&w.aciEdit_Jmax, &w.aciCheckBox_Jmax}},
                {"TPU", {&w.aciEdit_TPU, &w.aciCheckBox_TPU}},
                {"GammaStar", {&w.aciEdit_GammaStar, nullptr}}};
    }
    TextField& identifier() override { return w.aciEdit_Identifier; }
    std::map<std::string, std::function<void()>> commands() override
    {
        return {{"--compute", [this] { w.aciMnuResultsComputeCurveClick(); }},
                {"--plot", [this] { w.aciMnuResultsPlotDataClick(); }},
                {"--clear", [this] { w.aciMnuFileClearClick(); }}};
    }
    std::string defaultCommand() const override { return "--compute"; }
    void importCsvText() override { w.aciMnuFIleImportTextClick(); }
    void drop(const std::vector<DroppedItem>& items) override { w.KipFormDropFilesDropFiles(items); }
    void importInstrument() override { w.aciMnuFileImortVerdexClick(); }
    TextField& instrumentXColumn() override { return w.frmParseVerdex.EdtCi; }
    TFrmParseVerdex& importDialog() override { return w.frmParseVerdex; }
    std::vector<std::string> exportLines() const override { return w.exportLines(); }
    chart::ChartSpec chartSpec() const override { return chart::aciChartSpec(w); }
    std::vector<std::string> runChecks() override
    {
        w.runChecks();
        return w.checks.items();
    }

    void setSearchThreads(unsigned) override {}
    // As an instrument import takes them: Leaf Temp, Light and the standard fit's Patm.
    void applyMeans(const std::vector<MeanColumn>& columns, const std::vector<double>& means, char) override
    {
        ImportConditions conditions;
        for (std::size_t k = 0; k < columns.size() && k < means.size(); ++k) {
            if (columns[k].option == "--tleaf")
                conditions.leafTemperature = means[k];
            else if (columns[k].option == "--light")
                conditions.light = means[k];
            else
                conditions.pressure = means[k];
        }
        w.setConditions(conditions);
    }
    int pointCount() const override { return w.Series_LightAssim.count(); }
    std::vector<std::string> summaryOrder() const override
    {
        return {"Kc", "Ko", "Tau", "Temp", "Light", "Respiration", "Vcmax", "Jmax", "TPU", "GammaStar"};
    }
    std::string unit(const std::string& name) const override
    {
        static const std::map<std::string, std::string> units{
            {"Kc", ciUnit},   {"Ko", "mmol mol-1"}, {"Tau", "mmol umol-1"}, {"Temp", "oC"},
            {"Light", rateUnit}, {"Respiration", rateUnit}, {"Vcmax", rateUnit}, {"Jmax", rateUnit},
            {"TPU", rateUnit},   {"GammaStar", ciUnit}};
        return units.at(name);
    }
    // The two straight-line fits of the last Compute Curves: each slope is the rate it
    // estimates, each intercept a rate of A.
    std::vector<std::string> extraHeader() const override
    {
        std::vector<std::string> header;
        for (const char* line : {"Vcmax fit", "Jmax fit"}) {
            header.push_back(std::string(line) + " points");
            header.push_back(withUnit(std::string(line) + " slope", rateUnit));
            header.push_back(withUnit(std::string(line) + " intercept", rateUnit));
            header.push_back(withUnit(std::string(line) + " R2", dimensionless));
        }
        return header;
    }
    std::vector<std::string> extraFields() const override
    {
        std::vector<std::string> row;
        for (const auto& line : {w.lastVcmaxRdLine(), w.lastJmaxLine()}) {
            if (line) {
                row.push_back(std::to_string(line->pointsUsed));
                row.push_back(summaryNumber(line->slope));
                row.push_back(summaryNumber(line->intercept));
                row.push_back(summaryNumber(line->rSquared));
            } else {
                row.insert(row.end(), 4, std::string());
            }
        }
        return row;
    }

    bool hasStandardFit() const override { return true; }
    void useStandardFit() override
    {
        standardFit_ = true;
        w.aciMnuFileExportStandardFit.setChecked(true);
    }
    void runStandardFit() override { w.runStandardFit(); }
    std::vector<std::string> standardFitHeader() const override
    {
        if (!standardFit_)
            return {};
        std::vector<std::string> header;
        for (const char* name : {"Vcmax", "Vcmax SE", "Jmax", "Jmax SE", "J", "J SE", "Rd", "Rd SE", "TPU", "TPU SE",
                                 "Vcmax25", "Jmax25", "RMSE"})
            header.push_back(withUnit(std::string("standard ") + name, rateUnit));
        header.push_back(withUnit("standard transition Ci", ciUnit));
        header.push_back("standard message");
        return header;
    }
    std::vector<std::string> standardFitFields() const override
    {
        if (!standardFit_)
            return {};
        std::vector<std::string> row(standardFitHeader().size());
        const auto& fit = w.standardFit();
        if (!fit)
            return row;
        row.back() = TfrmACi_Curve::standardFitNote(*fit);
        if (!fit->fitted)
            return row;
        auto number = [](double v) { return summaryNumber(v); };
        row[0] = number(fit->vcmax);
        row[1] = number(fit->vcmaxSE);
        // Without a light value the fit estimates J itself, never Jmax.
        const std::size_t j = fit->jInsteadOfJmax ? 4 : 2;
        row[j] = number(fit->jmax);
        row[j + 1] = number(fit->jmaxSE);
        row[6] = number(fit->rd);
        row[7] = number(fit->rdSE);
        if (fit->tpuFitted) {
            row[8] = number(fit->tpu);
            row[9] = number(fit->tpuSE);
        }
        row[10] = number(fit->vcmax25);
        if (fit->jmax25)
            row[11] = number(*fit->jmax25);
        row[12] = number(fit->rmse);
        if (fit->transitionCi)
            row[13] = number(*fit->transitionCi);
        return row;
    }

private:
    TfrmACi_Curve w;
    bool standardFit_ = false;
};

class AqSession : public Session {
public:
    AqSession(Platform& platform, ImportSettings& settings) : w(platform, settings) {}
    std::map<std::string, FieldRef> fields() override
    {
        return {{"Amax", {&w.aqNumEdit_Amax, &w.aqCheckBox_Amax}},
                {"AQE", {&w.aqNumEdit_AQE, &w.aqCheckBox_AQE}},
                {"Convexity", {&w.aqNumEdit_Convexity, &w.aqCheckBox_Convexity}},
                {"Respiration", {&w.aqNumEdit_A0_Resp, &w.aqCheckBox_A0_Resp}},
                {"ParAbs", {&w.aqNumEdit_ParAbs, nullptr}},
                {"LightSat", {&w.aqNumEdit_LightSatPoint, nullptr}},
                {"LightComp", {&w.aqNumEdit_LightCompPoint, nullptr}}};
    }
    TextField& identifier() override { return w.aqEdit_Identifier; }
    std::map<std::string, std::function<void()>> commands() override
    {
        return {{"--fit", [this] { w.aqMnuResultsFitCurveClick(); }},
                {"--refine", [this] { w.aqMnuResultsRefineCurveClick(); }},
                {"--plot", [this] { w.aqMnuResultsPlotDataClick(); }},
                {"--clear", [this] { w.aqMnuFileClearClick(); }}};
    }
    std::string defaultCommand() const override { return "--fit"; }
    void importCsvText() override { w.aqMnuFileImportCSVClick(); }
    void drop(const std::vector<DroppedItem>& items) override { w.KipFormDropFilesDropFiles(items); }
    void importInstrument() override { w.aqMnuFileImportVerdexClick(); }
    TextField& instrumentXColumn() override { return w.frmParseVerdex.EdtQObs; }
    TFrmParseVerdex& importDialog() override { return w.frmParseVerdex; }
    std::vector<std::string> exportLines() const override { return w.exportLines(); }
    chart::ChartSpec chartSpec() const override { return chart::aqChartSpec(w); }
    std::vector<std::string> runChecks() override
    {
        w.runChecks();
        return w.checks.items();
    }

    void setSearchThreads(unsigned threads) override { w.searchThreads = threads; }
    void applyMeans(const std::vector<MeanColumn>& columns, const std::vector<double>& means,
                    char decimalSeparator) override
    {
        (void)columns;  // --parabs is the only one of this window
        if (!means.empty())
            w.aqNumEdit_ParAbs.setText(formatNumber(means.front(), decimalSeparator));
    }
    int pointCount() const override { return w.Series_LightAssim.count(); }
    std::vector<std::string> summaryOrder() const override
    {
        return {"Amax", "AQE", "Convexity", "Respiration", "ParAbs", "LightSat", "LightComp"};
    }
    std::string unit(const std::string& name) const override
    {
        static const std::map<std::string, std::string> units{
            {"Amax", rateUnit},        {"AQE", "mol mol-1"},    {"Convexity", dimensionless},
            {"Respiration", rateUnit}, {"ParAbs", "fraction"},  {"LightSat", rateUnit},
            {"LightComp", rateUnit}};
        return units.at(name);
    }
    // How well the parameters as they stand fit the observed points.
    std::vector<std::string> extraHeader() const override
    {
        return {withUnit("SSE", squaredRateUnit), withUnit("RMSE", rateUnit)};
    }
    std::vector<std::string> extraFields() const override
    {
        const PointSeries& points = w.Series_LightAssim;
        if (points.empty())
            return {"", ""};
        const long double amax = w.numEditValue(w.aqNumEdit_Amax), aqe = w.numEditValue(w.aqNumEdit_AQE),
                          convexity = w.numEditValue(w.aqNumEdit_Convexity),
                          a0 = w.numEditValue(w.aqNumEdit_A0_Resp);
        long double sse = 0;
        for (int i = 0; i < points.count(); ++i) {
            const long double error = points.y(i) - TfrmAQ_C3_Curve::respCurve(points.x(i), amax, aqe, convexity, a0);
            sse += error * error;
        }
        return {summaryNumber(sse), summaryNumber(std::sqrt(sse / points.count()))};
    }

    bool hasStandardFit() const override { return true; }
    void useStandardFit() override
    {
        standardFit_ = true;
        w.aqMnuFileExportStandardFit.setChecked(true);
    }
    void runStandardFit() override { w.runStandardFit(); }
    std::vector<std::string> standardFitHeader() const override
    {
        if (!standardFit_)
            return {};
        using Named = std::pair<std::string, std::string>;  // a name and its unit
        std::vector<std::string> header;
        for (const auto& [model, names] :
             {std::pair<std::string, std::vector<Named>>{"optimum",
                                                          {{"AQE", "mol mol-1"},
                                                           {"Amax", rateUnit},
                                                           {"Convexity", dimensionless},
                                                           {"Respiration", rateUnit}}},
              {"hyperbola", {{"Phi", "mol mol-1"}, {"Amax", rateUnit}, {"Theta", dimensionless}, {"Rd", rateUnit}}}}) {
            for (const auto& [name, unit] : names) {
                header.push_back(withUnit(model + " " + name, unit));
                header.push_back(withUnit(model + " " + name + " SE", unit));
            }
            header.push_back(withUnit(model + " SSE", squaredRateUnit));
            for (const char* name : {"RMSE", "LightComp", "LightSat"})
                header.push_back(withUnit(model + " " + name, rateUnit));
            header.push_back(model + " message");
        }
        return header;
    }
    std::vector<std::string> standardFitFields() const override
    {
        if (!standardFit_)
            return {};
        auto number = [](const std::optional<double>& v) { return v ? summaryNumber(*v) : std::string(); };
        auto section = [&](const auto& fit, std::array<const AqFitEstimate*, 4> estimates,
                           std::optional<double> lightComp, std::optional<double> lightSat) {
            std::vector<std::string> part(13);
            if (!fit)
                return part;
            part.back() = fit->message;
            if (!fit->fitted)
                return part;
            for (std::size_t k = 0; k < 4; ++k) {
                part[2 * k] = summaryNumber(estimates[k]->value);
                part[2 * k + 1] = number(estimates[k]->standardError);
            }
            part[8] = summaryNumber(fit->sse);
            part[9] = summaryNumber(fit->rmse);
            part[10] = number(lightComp);
            part[11] = number(lightSat);
            return part;
        };
        const auto& optimum = w.standardOptimum();
        const auto& hyperbola = w.standardHyperbola();
        const auto& light = w.standardOptimumLightPoints();
        std::vector<std::string> row;
        if (optimum) {
            row = section(optimum, {&optimum->aqe, &optimum->amax, &optimum->convexity, &optimum->a0},
                          light ? std::optional<double>(static_cast<double>(light->compensation)) : std::nullopt,
                          light ? std::optional<double>(static_cast<double>(light->saturation)) : std::nullopt);
        } else {
            row.resize(13);
        }
        std::vector<std::string> second(13);
        if (hyperbola) {
            second = section(hyperbola, {&hyperbola->phi, &hyperbola->amax, &hyperbola->theta, &hyperbola->rd},
                             hyperbola->lightCompensation, w.standardHyperbolaSaturation());
        }
        row.insert(row.end(), second.begin(), second.end());
        return row;
    }

private:
    TfrmAQ_C3_Curve w;
    bool standardFit_ = false;
};

bool isCommandOption(const std::string& arg)
{
    return arg == "--compute" || arg == "--fit" || arg == "--refine" || arg == "--plot" || arg == "--clear";
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

void setLoading(Options& options, Loading loading)
{
    if (options.loading)
        throw UsageError("only one loading mode may be given");
    options.loading = loading;
}

// NAME=TEXT, NAME non-empty.
std::pair<std::string, std::string> nameAndText(const std::string& option, const std::string& value)
{
    const auto equals = value.find('=');
    if (equals == std::string::npos || equals == 0)
        throw UsageError(option + " takes NAME=TEXT");
    return {value.substr(0, equals), value.substr(equals + 1)};
}

// A number of centimetres as a command line gives it: '.' as the decimal point,
// whatever the locale.
std::optional<double> plainNumber(const std::string& text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

// WxH in centimetres: "16x10", "8.5X6".
void setChartSize(Options& options, const std::string& text)
{
    const auto cut = text.find_first_of("xX");
    const auto width = plainNumber(text.substr(0, cut));
    const auto height = cut == std::string::npos ? std::nullopt : plainNumber(text.substr(cut + 1));
    if (!width || !height)
        throw UsageError("--chart-size takes WxH in centimetres, such as 16x10");
    options.figure.widthCm = *width;
    options.figure.heightCm = *height;
    options.figureSettings = true;
}

void setDpi(Options& options, const std::string& text)
{
    int dpi = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, dpi);
    if (text.empty() || error != std::errc() || stop != end)
        throw UsageError("--dpi takes a whole number of dots per inch");
    options.figure.dpi = dpi;
    options.figureSettings = true;
}

// The figure options together, once every option is read.
void checkChartOptions(const Options& options)
{
    if (options.figureSettings && !options.wantsCharts())
        throw UsageError("--chart-size and --dpi go with --chart or --chart-format");
    if (options.chartFormat && !options.chart && !options.outDir)
        throw UsageError("--chart-format goes with --out-dir; for one chart give --chart PATH");
    if (options.wantsCharts()) {
        if (const auto problem = chart::figureOptionsProblem(options.figure, *options.chartFormat))
            throw UsageError(*problem);
    }
}

Options parseArguments(const std::vector<std::string>& args)
{
    if (args.empty())
        throw UsageError("missing the window kind, aci or aq");
    Options options;
    if (args[0] == "aci")
        options.kind = Kind::Aci;
    else if (args[0] == "aq")
        options.kind = Kind::Aq;
    else
        throw UsageError("unknown window kind '" + args[0] + "' (aci or aq)");

    bool positionalOnly = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError(arg + " needs a value");
            return args[++i];
        };
        // A table option given once only.
        auto once = [&](std::optional<std::string>& target) {
            if (target)
                throw UsageError(arg + " may be given only once");
            target = value();
        };
        if (positionalOnly || arg.empty() || arg[0] != '-' || arg == "-") {
            options.inputs.push_back(arg);
        } else if (arg == "--") {
            positionalOnly = true;
        } else if (arg == "--id") {
            options.fields.push_back({FieldAction::What::Identifier, {}, value()});
        } else if (arg == "--set") {
            auto [name, text] = nameAndText(arg, value());
            options.fields.push_back({FieldAction::What::Set, name, text});
        } else if (arg == "--fix") {
            const std::string& v = value();
            if (v.find('=') == std::string::npos) {
                if (v.empty())
                    throw UsageError("--fix takes NAME or NAME=TEXT");
                options.fields.push_back({FieldAction::What::Fix, v, std::nullopt});
            } else {
                auto [name, text] = nameAndText(arg, v);
                options.fields.push_back({FieldAction::What::Fix, name, text});
            }
        } else if (arg == "--free") {
            const std::string& v = value();
            if (v.empty() || v.find('=') != std::string::npos)
                throw UsageError("--free takes NAME only");
            options.fields.push_back({FieldAction::What::Free, v, std::nullopt});
        } else if (arg == "--drop") {
            setLoading(options, Loading::Drop);
        } else if (arg == "--instrument") {
            setLoading(options, Loading::Instrument);
            options.instrumentParts = splitAt(value(), ',');
            if (options.instrumentParts.size() != 3)
                throw UsageError("--instrument takes ROW,XCOL,ACOL");
        } else if (arg == "--tab" || arg == "--semicolon" || arg == "--comma") {
            const LogDelimiter delimiter = arg == "--tab"         ? LogDelimiter::Tab
                                           : arg == "--semicolon" ? LogDelimiter::Semicolon
                                                                  : LogDelimiter::Comma;
            if (options.delimiter && *options.delimiter != delimiter)
                throw UsageError("--tab, --semicolon, --comma: one delimiter only");
            options.delimiter = delimiter;
        } else if (arg == "--none") {
            options.none = true;
        } else if (arg == "--standard-fit") {
            options.standardFit = true;
        } else if (arg == "-o" || arg == "--export") {
            if (options.output)
                throw UsageError("only one output file may be given");
            options.output = value();
        } else if (arg == "--group") {
            once(options.group);
        } else if (arg == "--x") {
            once(options.xColumn);
        } else if (arg == "--a") {
            once(options.aColumn);
        } else if (arg == "--tleaf" || arg == "--light" || arg == "--patm" || arg == "--parabs") {
            if ((arg != "--parabs") != (options.kind == Kind::Aci))
                throw UsageError(arg + " is not an option of this window");
            for (const auto& mean : options.means)
                if (mean.option == arg)
                    throw UsageError(arg + " may be given only once");
            options.means.push_back({arg, value()});
        } else if (arg == "--out-dir") {
            once(options.outDir);
        } else if (arg == "--summary") {
            once(options.summary);
        } else if (arg == "--chart") {
            if (options.chartFormat)
                throw UsageError(options.chart ? "--chart may be given only once"
                                               : "--chart cannot go with --chart-format");
            once(options.chart);
            options.chartFormat = chart::figureFormatOfPath(*options.chart);
            if (!options.chartFormat)
                throw UsageError("--chart " + *options.chart + ": the file name must end in .png, .svg or .pdf");
        } else if (arg == "--chart-format") {
            if (options.chartFormat)
                throw UsageError(options.chart ? "--chart-format cannot go with --chart"
                                               : "--chart-format may be given only once");
            const std::string& name = value();
            options.chartFormat = chart::figureFormatNamed(name);
            if (!options.chartFormat)
                throw UsageError("--chart-format takes png, svg or pdf, not '" + name + "'");
        } else if (arg == "--chart-size") {
            setChartSize(options, value());
        } else if (arg == "--dpi") {
            setDpi(options, value());
        } else if (isCommandOption(arg)) {
            options.commands.push_back(arg);
        } else {
            throw UsageError("unknown option " + arg);
        }
    }
    if (options.inputs.empty())
        throw UsageError("missing INPUT");
    // A log names its x and A columns in --instrument ROW,XCOL,ACOL.
    if (options.loading == Loading::Instrument && (options.xColumn || options.aColumn))
        throw UsageError("--x and --a go with --group tables, not with --instrument");
    if (options.group && options.loading != Loading::Instrument && (!options.xColumn || !options.aColumn))
        throw UsageError("--group needs --x COLUMN and --a COLUMN");
    if (!options.group && (options.xColumn || options.aColumn))
        throw UsageError("--x and --a go with --group");
    if (options.output && options.outDir)
        throw UsageError("-o cannot go with --out-dir");
    if (options.none && !options.commands.empty())
        throw UsageError("--none cannot go with a command");
    if (options.delimiter && options.loading != Loading::Instrument)
        throw UsageError("--tab, --semicolon and --comma go with --instrument");
    checkChartOptions(options);
    return options;
}

// Checks the names and commands against the window; a usage error before anything runs.
void checkAgainstWindow(const Options& options, Session& session)
{
    const auto fields = session.fields();
    for (const auto& action : options.fields) {
        if (action.what == FieldAction::What::Identifier)
            continue;
        const auto found = fields.find(action.name);
        if (found == fields.end())
            throw UsageError("unknown field name " + action.name);
        if ((action.what == FieldAction::What::Fix || action.what == FieldAction::What::Free) && !found->second.flag)
            throw UsageError(action.name + " has no fixed flag");
    }
    const auto commands = session.commands();
    for (const auto& command : options.commands)
        if (!commands.count(command))
            throw UsageError(command + " is not a command of this window");
}

void applyField(const FieldAction& action, Session& session)
{
    if (action.what == FieldAction::What::Identifier) {
        session.identifier().setText(*action.text);
        return;
    }
    const FieldRef ref = session.fields().at(action.name);
    if (action.text)
        ref.field->setText(*action.text);
    if (action.what == FieldAction::What::Fix)
        ref.flag->setChecked(true);
    else if (action.what == FieldAction::What::Free)
        ref.flag->setChecked(false);
}

InstrumentImport instrumentImport(const Options& options)
{
    return {options.delimiter, options.instrumentParts, options.group};
}

// `groupValue`: the curve of an instrument log cut by --group.
void load(const Options& options, const std::string& file, const std::optional<std::string>& groupValue,
          Session& session, BatchPlatform& platform)
{
    switch (options.loading.value_or(Loading::CsvText)) {
    case Loading::CsvText:
        platform.openFileName = file;
        session.importCsvText();
        break;
    case Loading::Drop: {
        std::error_code ignored;
        session.drop({{file, std::filesystem::is_directory(file, ignored)}});
        break;
    }
    case Loading::Instrument:
        platform.importDialogActions = [&](TFrmParseVerdex& dialog) {
            runInstrumentImport(dialog, session.instrumentXColumn(), file, instrumentImport(options), groupValue);
        };
        session.importInstrument();
        break;
    }
}

// The general error display: a command that ends with an error shows its message.
void runShowingErrors(BatchPlatform& platform, const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        platform.showError(error.what());
    }
}

std::unique_ptr<Session> makeSession(Kind kind, BatchPlatform& platform, ImportSettings& settings)
{
    if (kind == Kind::Aci)
        return std::make_unique<AciSession>(platform, settings);
    return std::make_unique<AqSession>(platform, settings);
}

namespace fs = std::filesystem;

// One curve of a run, in input order.
struct Curve {
    std::string source;                  // the file as named, or as found in a folder
    std::optional<std::string> group;    // the group value of a table's curve
    std::optional<std::string> csv;      // a table's curve, handed to the window from memory
    std::vector<double> means;           // a table's curve: one per mean column (others take theirs as they run)
    std::optional<std::string> failure;  // why the curve cannot be read
    std::string exportPath;              // under --out-dir

    std::string label() const { return group ? source + " [" + *group + "]" : source; }
};

// What one curve's window left behind.
struct CurveOutcome {
    std::optional<std::string> readFailure;  // names the curve itself
    bool ran = false;
    std::vector<std::string> exportLines;
    std::vector<std::string> messages;  // as the window showed them
    std::vector<std::string> checks;    // the plausibility checks that failed at the end
    std::string identifier;
    int points = 0;
    std::vector<std::string> summary;   // the window's columns
    std::optional<chart::ChartCopy> chart;  // when figures are asked for
};

bool endsWithCsv(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".csv";
}

// The .csv files of a folder (not of its subfolders), sorted by name.
std::vector<std::string> csvFilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        const std::string name = it->path().filename().string();
        if (endsWithCsv(name) && !it->is_directory(ignored))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> files;
    for (const auto& name : names)
        files.push_back((fs::path(folder) / name).string());
    return files;
}

// Whether a file found in a folder is no curve for the grid's CSV load (a folder's
// index, say): no line holds a number in both the x and the A column. A file that
// cannot be read is left to the run, which says so.
bool isNoCurve(const Options& options, const std::string& file)
{
    if (options.loading == Loading::Instrument)
        return false;  // an instrument log's columns are chosen, not the first two
    const auto bytes = readFileBytes(file);
    return bytes && !holdsAPoint(gridTextRows(decodeText(*bytes)));
}

// The curves of an instrument log cut by --group, one per value of the group column.
void appendLogCurves(std::vector<Curve>& curves, const Options& options, const std::string& file,
                     char decimalSeparator)
{
    const InstrumentSplit split = splitInstrumentLog(file, instrumentImport(options), decimalSeparator);
    if (split.error)
        curves.push_back({file, {}, {}, {}, split.error, {}});
    for (const auto& value : split.values)
        curves.push_back({file, value, {}, {}, {}, {}});
}

// Every curve of the inputs, in order. A folder without .csv files is a curve that
// cannot be opened, as a folder named as a file always was; a folder's file that is
// no curve goes to `skipped` instead.
std::vector<Curve> collectCurves(const Options& options, std::vector<std::string>& skipped)
{
    std::vector<Curve> curves;
    for (const auto& input : options.inputs) {
        std::error_code error;
        std::vector<std::string> files{input};
        const bool folder = fs::is_directory(input, error);
        if (folder) {
            files = csvFilesIn(input);
            if (files.empty()) {
                curves.push_back({input, {}, {}, {}, FileError::cannotOpen(input).what(), {}});
                continue;
            }
        }
        for (const auto& file : files) {
            if (!options.group && folder && isNoCurve(options, file)) {
                skipped.push_back(file);
                continue;
            }
            if (!options.group) {
                curves.push_back({file, {}, {}, {}, {}, {}});
                continue;
            }
            if (options.loading == Loading::Instrument) {
                appendLogCurves(curves, options, file, '.');
                continue;
            }
            const auto bytes = readFileBytes(file);
            if (!bytes) {
                curves.push_back({file, {}, {}, {}, FileError::cannotOpen(file).what(), {}});
                continue;
            }
            TableColumns columns{*options.group, *options.xColumn, *options.aColumn, std::nullopt};
            for (const auto& mean : options.means)
                columns.means.push_back(mean.column);
            const TableSplit split = splitTable(decodeText(*bytes), file, columns);
            if (split.error)
                curves.push_back({file, {}, {}, {}, split.error, {}});
            for (const auto& tableCurve : split.curves) {
                curves.push_back(
                    {file, tableCurve.group, curveAsCsv(tableCurve), tableCurve.means, tableCurve.error, {}});
            }
        }
    }
    return curves;
}

// A name that any file system can hold: no path separators, no characters that some
// systems refuse, never empty, "." or "..".
std::string safeFileName(const std::string& name)
{
    std::string safe = name;
    for (char& c : safe) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 32 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos)
            c = '_';
    }
    if (safe.empty() || safe == "." || safe == "..")
        safe = "_";
    return safe;
}

fs::path canonicalOf(const std::string& path)
{
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    return error ? fs::absolute(path, error) : canonical;
}

// DIR/NAME.txt for every curve, and DIR/NAME.png (.svg, .pdf) beside it when charts
// are asked for: unique within the run (letter case ignored, as some file systems do),
// and never one of the files in `keep`.
void nameExports(std::vector<Curve>& curves, const std::string& folder, const std::set<fs::path>& keep,
                 std::optional<chart::FigureFormat> charts)
{
    std::set<std::string> taken;
    for (auto& curve : curves) {
        const std::string base = safeFileName(curve.group ? *curve.group : fs::path(curve.source).stem().string());
        for (int n = 1;; ++n) {
            const std::string name = n == 1 ? base : base + "-" + std::to_string(n);
            std::string key = name;
            for (char& c : key)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const std::string path = (fs::path(folder) / (name + ".txt")).string();
            const std::string chartPath =
                charts ? (fs::path(folder) / (name + "." + chart::figureExtension(*charts))).string() : "";
            if (taken.count(key) || keep.count(canonicalOf(path)) || (charts && keep.count(canonicalOf(chartPath))))
                continue;
            taken.insert(key);
            curve.exportPath = path;
            break;
        }
    }
}

// The means of a curve's mean columns: a table's came with its split; a log's are over
// the rows its import handed back; a CSV file's are over its rows.
Means curveMeans(const Options& options, const Curve& curve, Session& session, BatchPlatform& platform,
                 char decimalSeparator)
{
    if (curve.csv)
        return {curve.means, std::nullopt};
    if (options.loading == Loading::Instrument)
        return instrumentMeans(session.importDialog(), curve.label(), options.means);
    const auto bytes = platform.readFile(curve.source);
    if (!bytes)
        return {{}, FileError::cannotOpen(curve.source).what()};
    return csvFileMeans(decodeText(*bytes), curve.source, options.means, decimalSeparator);
}

// One curve through a fresh window of its own, exactly as a one-file run goes.
CurveOutcome runCurve(const Options& options, const Curve& curve, char decimalSeparator, unsigned searchThreads)
{
    CurveOutcome outcome;
    if (curve.failure) {
        outcome.readFailure = curve.failure;
        return outcome;
    }
    if (!curve.csv && !readFileBytes(curve.source)) {
        outcome.readFailure = FileError::cannotOpen(curve.source).what();
        return outcome;
    }
    try {
        BatchPlatform platform(decimalSeparator);
        ImportSettings importSettings;  // each window its own: windows may run on several threads
        const auto session = makeSession(options.kind, platform, importSettings);
        session->setSearchThreads(searchThreads);
        if (options.standardFit)
            session->useStandardFit();

        std::string path = curve.source;
        if (curve.csv) {
            path = curve.source + " [" + *curve.group + "].csv";  // a drop, too, takes only .csv
            platform.serveFile(path, *curve.csv);
        }
        runShowingErrors(platform, [&] { load(options, path, curve.group, *session, platform); });
        if (!options.means.empty()) {
            const Means means = curveMeans(options, curve, *session, platform, decimalSeparator);
            if (means.error) {  // no curve without the conditions asked for
                outcome.readFailure = means.error;
                outcome.messages = platform.messages();
                return outcome;
            }
            session->applyMeans(options.means, means.values, decimalSeparator);
        }
        for (const auto& action : options.fields)
            applyField(action, *session);

        std::vector<std::string> commands = options.commands;
        if (commands.empty() && !options.none)
            commands.push_back(session->defaultCommand());
        const auto table = session->commands();
        for (const auto& command : commands)
            runShowingErrors(platform, table.at(command));
        if (options.standardFit)
            runShowingErrors(platform, [&] { session->runStandardFit(); });

        outcome.checks = session->runChecks();
        outcome.exportLines = session->exportLines();
        outcome.identifier = session->identifier().text();
        outcome.points = session->pointCount();
        outcome.summary = session->summaryFields(decimalSeparator);
        // Copied here, drawn on the main thread: the window goes with this worker's turn.
        if (options.wantsCharts())
            outcome.chart = chart::ChartCopy(session->chartSpec());
        outcome.messages = platform.messages();
        outcome.ran = true;
    } catch (const std::exception& error) {  // out of memory, say: this curve only
        outcome.messages.push_back(error.what());
    }
    return outcome;
}

// Runs the curves on a pool of workers and hands each outcome to `emit` on this
// thread, in input order, as soon as it and every one before it are done.
void runPool(const Options& options, const std::vector<Curve>& curves, char decimalSeparator,
             const RunSettings& settings, ProgressLine& progress,
             const std::function<void(std::size_t, CurveOutcome&)>& emit)
{
    if (curves.empty())
        return;
    unsigned workers = settings.workers;
    auto cancelled = [&settings] { return settings.cancel && settings.cancel->load(); };
    auto report = [&](std::size_t doneNow, const std::string& currentNow) {
        progress.show(doneNow, currentNow);
        if (settings.onProgress)
            settings.onProgress(doneNow, curves.size(), currentNow);
    };
    const unsigned hardware = std::max(1u, std::thread::hardware_concurrency());
    workers = std::clamp<unsigned>(workers ? workers : hardware, 1, static_cast<unsigned>(curves.size()));
    // The light-response search is threaded itself: together they fill the machine once.
    const unsigned searchThreads = workers == 1 ? 0 : std::max(1u, hardware / workers);

    std::vector<std::optional<CurveOutcome>> outcomes(curves.size());
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t next = 0, done = 0;
    std::string current;
    auto work = [&] {
        for (;;) {
            std::size_t i;
            {
                const std::lock_guard lock(mutex);
                if (next >= curves.size() || cancelled())
                    return;
                i = next++;
                current = curves[i].label();
            }
            CurveOutcome outcome = runCurve(options, curves[i], decimalSeparator, searchThreads);
            {
                const std::lock_guard lock(mutex);
                outcomes[i] = std::move(outcome);
                ++done;
            }
            finished.notify_all();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned k = 0; k < workers; ++k)
        pool.emplace_back(work);

    report(0, curves.front().label());
    for (std::size_t i = 0; i < curves.size(); ++i) {
        std::unique_lock lock(mutex);
        while (!outcomes[i]) {
            if (i >= next && cancelled())
                break;  // no worker took this curve, and none will
            const std::size_t doneNow = done;
            const std::string currentNow = current;
            lock.unlock();
            report(doneNow, currentNow);
            lock.lock();
            finished.wait_for(lock, std::chrono::milliseconds(250), [&] { return outcomes[i].has_value(); });
        }
        if (!outcomes[i])
            break;
        CurveOutcome outcome = std::move(*outcomes[i]);
        outcomes[i].reset();
        lock.unlock();
        progress.clear();
        emit(i, outcome);
    }
    if (settings.onProgress) {
        std::unique_lock lock(mutex);
        const std::size_t doneNow = done;
        lock.unlock();
        settings.onProgress(doneNow, curves.size(), std::string());
    }
    for (auto& thread : pool)
        thread.join();
}

}  // namespace

std::string checkArguments(const std::vector<std::string>& args)
{
    try {
        const Options options = parseArguments(args);
        BatchPlatform files('.');
        ImportSettings settings;
        checkAgainstWindow(options, *makeSession(options.kind, files, settings));
    } catch (const UsageError& error) {
        return error.what();
    }
    return {};
}

bool asksForCharts(const std::vector<std::string>& args)
{
    try {
        return parseArguments(args).wantsCharts();
    } catch (const UsageError&) {
        return false;
    }
}

int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, char decimalSeparator,
             const RunSettings& settings)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << usageText;
        return exitClean;
    }

    BatchPlatform files(decimalSeparator);  // writes the exports; its messages go to the curve
    ImportSettings checkSettings;
    Options options;
    std::unique_ptr<Session> sample;  // a window to check the options against
    std::vector<Curve> curves;
    std::vector<std::string> skipped;  // folder files that are no curve
    std::set<fs::path> keep;  // files that no export may replace
    try {
        options = parseArguments(args);
        sample = makeSession(options.kind, files, checkSettings);
        checkAgainstWindow(options, *sample);
        if (options.standardFit && !sample->hasStandardFit())
            throw UsageError("--standard-fit is not an option of this window");
        if (options.standardFit)
            sample->useStandardFit();

        curves = collectCurves(options, skipped);
        if (options.output && curves.size() > 1)
            throw UsageError("-o takes one curve; for " + std::to_string(curves.size()) +
                             " curves give --out-dir DIR");
        if (options.wantsCharts() && !settings.writeChart)
            throw UsageError("charts are drawn by calvane-batch only");
        if (options.chart && curves.size() > 1)
            throw UsageError("--chart takes one curve; for " + std::to_string(curves.size()) +
                             " curves give --out-dir DIR --chart-format " +
                             chart::figureExtension(*options.chartFormat));
        for (const auto& curve : curves)
            if (!curve.failure)
                keep.insert(canonicalOf(curve.source));
        if (options.summary && keep.count(canonicalOf(*options.summary)))
            throw UsageError("--summary " + *options.summary + " would replace an input file");
        if (options.chart && keep.count(canonicalOf(*options.chart)))
            throw UsageError("--chart " + *options.chart + " would replace an input file");
    } catch (const UsageError& error) {
        err << "calvane-batch: " << error.what() << '\n' << usageText;
        return exitUsage;
    }

    for (const auto& file : skipped)
        err << "warning: " << file << ": not a curve (no row of numbers), skipped\n";
    bool anyMessage = false;
    if (curves.empty() && !skipped.empty()) {
        std::string inputs;
        for (const auto& input : options.inputs)
            inputs += (inputs.empty() ? "" : ", ") + input;
        err << "No curves in " << inputs << '\n';
        anyMessage = true;
    }

    // One file, as it always was: a file that cannot be opened is the end of the run.
    const bool oneFile = !options.group && curves.size() == 1;
    if (oneFile && (curves[0].failure || !readFileBytes(curves[0].source))) {
        err << curves[0].failure.value_or(FileError::cannotOpen(curves[0].source).what()) << '\n';
        return exitUsage;
    }

    if (options.outDir) {
        std::error_code ignored;  // a folder that cannot be made shows in each export's message
        fs::create_directories(*options.outDir, ignored);
        if (options.summary)
            keep.insert(canonicalOf(*options.summary));
        if (options.chart)
            keep.insert(canonicalOf(*options.chart));
        nameExports(curves, *options.outDir, keep, options.chart ? std::nullopt : options.chartFormat);
    }

    std::string summary;
    if (options.summary) {
        std::vector<std::string> header{"source", "group", "identifier", "points"};
        for (const auto& column : sample->summaryHeader())
            header.push_back(column);
        header.push_back("status");
        header.push_back("messages");
        header.push_back("checks");
        summary = csvRow(header);
    }
    const std::size_t windowColumns = sample->summaryHeader().size();

    ProgressLine progress(err, settings.progress, curves.size());
    runPool(options, curves, decimalSeparator, settings, progress,
            [&](std::size_t i, CurveOutcome& outcome) {
                const Curve& curve = curves[i];
                std::vector<std::string> messages;
                // Many curves share standard error: each window message says whose it is.
                auto show = [&](const std::string& message, bool named) {
                    err << (named || oneFile ? message : curve.label() + ": " + message) << '\n' << std::flush;
                    messages.push_back(message);
                };
                if (outcome.readFailure)
                    show(*outcome.readFailure, true);
                for (const auto& message : outcome.messages)
                    show(message, false);
                // Checks are warnings: they name the curve and leave the exit status alone.
                for (const auto& check : outcome.checks)
                    err << "warning: " << curve.label() << ": " << check << '\n' << std::flush;
                if (outcome.ran) {
                    const std::optional<std::string> path = options.outDir ? curve.exportPath : options.output;
                    try {
                        if (path)
                            writeExportFile(files, *path, outcome.exportLines);
                        else
                            out << linesToFileBytes(outcome.exportLines) << std::flush;
                    } catch (const std::exception& error) {
                        show(error.what(), true);
                    }
                    // One named chart, or one beside each export.
                    const std::optional<std::string> chartPath =
                        options.chart ? options.chart
                        : options.outDir
                            ? std::optional<std::string>(
                                  fs::path(curve.exportPath)
                                      .replace_extension(chart::figureExtension(*options.chartFormat))
                                      .string())
                            : std::nullopt;
                    if (outcome.chart && chartPath) {
                        try {
                            settings.writeChart(*chartPath, outcome.chart->drawing(), *options.chartFormat,
                                                options.figure);
                        } catch (const std::exception& error) {
                            show(error.what(), true);
                        }
                    }
                }
                anyMessage = anyMessage || !messages.empty();
                if (!options.summary)
                    return;

                std::vector<std::string> row{curve.source, curve.group.value_or("")};
                if (outcome.ran) {
                    row.push_back(outcome.identifier);
                    row.push_back(std::to_string(outcome.points));
                    row.insert(row.end(), outcome.summary.begin(), outcome.summary.end());
                } else {
                    row.resize(row.size() + 2 + windowColumns);
                }
                row.push_back(messages.empty() ? "0" : "1");
                auto joined = [](const std::vector<std::string>& lines) {
                    std::string text;
                    for (const auto& line : lines)
                        text += (text.empty() ? "" : "\n") + line;
                    return text;
                };
                row.push_back(joined(messages));
                row.push_back(joined(outcome.checks));
                summary += csvRow(row);
            });

    if (options.summary) {
        try {
            files.writeFile(*options.summary, summary);
        } catch (const std::exception& error) {
            err << error.what() << '\n';
            anyMessage = true;
        }
    }
    return anyMessage ? exitMessages : exitClean;
}

}  // namespace calvane::batch

// The light-response window (TfrmAQ_C3_Curve) as calvane-batch drives it: its fields by
// their batch names, its commands, its summary columns and its two standard fits.

#include "batch/WindowSession.h"

#include "aq/AQ_C3_Curve.h"
#include "batch/Summary.h"
#include "chart/drawing/WindowCharts.h"
#include "core/Errors.h"
#include "core/NumberText.h"

#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <utility>

namespace calvane::batch {

namespace {

class AqSession : public WindowSession {
public:
    AqSession(Platform& platform, ImportSettings& settings) : w(platform, settings) {}
    std::map<std::string, FieldRef> fields() override { return tableFields(w); }
    TextField& identifier() override { return w.aqEdit_Identifier; }
    std::map<Command, std::function<void()>> commands() override
    {
        return {{Command::Fit, [this] { w.aqMnuResultsFitCurveClick(); }},
                {Command::Refine, [this] { w.aqMnuResultsRefineCurveClick(); }},
                {Command::Plot, [this] { w.aqMnuResultsPlotDataClick(); }},
                {Command::Clear, [this] { w.aqMnuFileClearClick(); }}};
    }
    Command defaultCommand() const override { return Command::Fit; }
    void importCsvText() override { w.aqMnuFileImportCSVClick(); }
    void drop(const std::vector<DroppedItem>& items) override { w.KipFormDropFilesDropFiles(items); }
    void importInstrument() override { w.aqMnuFileImportVerdexClick(); }
    TextField& instrumentXColumn() override { return w.frmParseVerdex.EdtQObs; }
    TFrmParseVerdex& importDialog() override { return w.frmParseVerdex; }
    std::vector<std::string> exportLines() const override
    {
        // --kok always adds its section, after the standard fit's when there is one.
        auto lines = w.exportLines();
        if (kok_ && !w.aqMnuFileExportStandardFit.checked()) {
            const auto kok = w.kokExportLines();
            lines.insert(lines.end(), kok.begin(), kok.end());
        }
        return lines;
    }
    chart::ChartCopy figure(const std::string& fileName) const override { return chart::aqFigure(w, fileName); }
    std::vector<std::string> runChecks() override
    {
        w.runChecks();
        return w.checks.items();
    }

    void setSearchThreads(unsigned threads) override { w.searchThreads = threads; }
    void applyMeans(const std::vector<MeanColumn>& columns, const std::vector<double>& means,
                    char decimalSeparator) override
    {
        (void)columns;  // Par Abs is the only one of this window
        if (!means.empty())
            w.aqNumEdit_ParAbs.setText(formatNumber(means.front(), decimalSeparator));
    }
    int pointCount() const override { return w.Series_LightAssim.count(); }
    std::vector<std::string> summaryOrder() const override { return tableSummaryOrder<TfrmAQ_C3_Curve>(); }
    std::string unit(const std::string& name) const override { return tableUnit<TfrmAQ_C3_Curve>(name); }
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
                          convexity = w.numEditValue(w.aqNumEdit_Convexity), a0 = w.numEditValue(w.aqNumEdit_A0_Resp);
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
    void applyStandardFitOptions(const StandardFitOptions& options) override { applyExclusionsAndHolds(w, options); }
    bool canHold(const std::string& name) const override
    {
        return findHoldRow(TfrmAQ_C3_Curve::standardFitTable(), name) != nullptr;
    }
    void runStandardFit() override { w.runStandardFit(); }
    bool hasKok() const override { return true; }
    void useKok(const std::vector<std::string>& light) override
    {
        kok_ = true;
        if (light.size() == 2) {
            w.aqEdit_KokLowLight.setText(light[0]);
            w.aqEdit_KokHighLight.setText(light[1]);
        }
    }
    void runKok() override { w.aqMnuResultsKokClick(); }
    std::vector<std::string> standardFitHeader() const override
    {
        auto header = standardHeader();
        if (kok_) {
            const auto kok = kokHeader();
            header.insert(header.end(), kok.begin(), kok.end());
        }
        return header;
    }
    std::vector<std::string> standardFitFields() const override
    {
        auto row = standardFields();
        if (kok_) {
            const auto kok = kokFields();
            row.insert(row.end(), kok.begin(), kok.end());
        }
        return row;
    }

private:
    // The Kok columns from its table: a column (and an SE column) per result, then the message.
    std::vector<std::string> kokHeader() const
    {
        const auto& section = TfrmAQ_C3_Curve::kokTable().front();
        const std::string prefix(section.summaryPrefix);
        std::vector<std::string> header;
        for (const auto& row : section.rows) {
            if (row.summary.empty())
                continue;
            const std::string name = prefix + " " + std::string(row.summary);
            header.push_back(withUnit(name, std::string(row.unit)));
            if (row.error)
                header.push_back(withUnit(name + " SE", std::string(row.unit)));
        }
        header.push_back(prefix + " message");
        return header;
    }
    std::vector<std::string> kokFields() const
    {
        std::vector<std::string> row(6);
        const auto& fit = w.kokFit();
        if (!fit)
            return row;
        row.back() = fit->message;
        if (!fit->fitted)
            return row;
        auto number = [](const std::optional<double>& v) { return v ? summaryNumber(*v) : std::string(); };
        row[0] = summaryNumber(fit->rd);
        row[1] = number(fit->rdSE);
        row[2] = summaryNumber(fit->slope);
        row[3] = number(fit->slopeSE);
        row[4] = std::to_string(fit->points);
        return row;
    }

    std::vector<std::string> standardHeader() const
    {
        if (!standardFit_)
            return {};
        using Named = std::pair<std::string, std::string>;  // a name and its unit
        std::vector<std::string> header;
        for (const auto& [model, names] :
             {std::pair<std::string, std::vector<Named>>{
                  "optimum",
                  {{"AQE", "mol mol-1"}, {"Amax", rateUnit}, {"Convexity", dimensionless}, {"Respiration", rateUnit}}},
              {"hyperbola", {{"Phi", "mol mol-1"}, {"Amax", rateUnit}, {"Theta", dimensionless}, {"Rd", rateUnit}}}}) {
            for (const auto& [name, unit] : names) {
                header.push_back(withUnit(model + " " + name, unit));
                header.push_back(withUnit(model + " " + name + " SE", unit));
            }
            header.push_back(withUnit(model + " SSE", squaredRateUnit));
            for (const char* name : {"RMSE", "LightComp", "LightSat"})
                header.push_back(withUnit(model + " " + name, rateUnit));
            for (const auto& [name, unit] : names) {
                header.push_back(withUnit(model + " " + name + " lower", unit));
                header.push_back(withUnit(model + " " + name + " upper", unit));
            }
            header.push_back(model + " message");
        }
        return header;
    }
    // Per model: four estimates with their errors, SSE, RMSE, the two light points, the
    // four intervals' ends and the message.
    static constexpr std::size_t sectionColumns = 21;
    std::vector<std::string> standardFields() const
    {
        if (!standardFit_)
            return {};
        auto number = [](const std::optional<double>& v) { return v ? summaryNumber(*v) : std::string(); };
        auto section = [&](const auto& fit, std::array<const AqFitEstimate*, 4> estimates,
                           std::optional<double> lightComp, std::optional<double> lightSat) {
            std::vector<std::string> part(sectionColumns);
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
            // The 95 % intervals' ends, empty where a profile does not close or the estimate is held.
            for (std::size_t k = 0; k < 4; ++k) {
                if (const auto& interval = estimates[k]->interval) {
                    part[12 + 2 * k] = number(interval->lower);
                    part[13 + 2 * k] = number(interval->upper);
                }
            }
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
            row.resize(sectionColumns);
        }
        std::vector<std::string> second(sectionColumns);
        if (hyperbola) {
            second = section(hyperbola, {&hyperbola->phi, &hyperbola->amax, &hyperbola->theta, &hyperbola->rd},
                             hyperbola->lightCompensation, w.standardHyperbolaSaturation());
        }
        row.insert(row.end(), second.begin(), second.end());
        return row;
    }

    TfrmAQ_C3_Curve w;
    bool standardFit_ = false;
    bool kok_ = false;
};

}  // namespace

std::unique_ptr<WindowSession> makeAqSession(Platform& platform, ImportSettings& settings)
{
    return std::make_unique<AqSession>(platform, settings);
}

}  // namespace calvane::batch

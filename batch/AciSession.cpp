// The A/Ci window (TfrmACi_Curve) as calvane-batch drives it: its fields by their batch
// names, its commands, its summary columns and its standard fit.

#include "batch/WindowSession.h"

#include "aci/ACi_Curve.h"
#include "batch/Summary.h"
#include "chart/drawing/WindowCharts.h"
#include "core/Errors.h"

#include <map>

namespace calvane::batch {

namespace {

class AciSession : public WindowSession {
public:
    AciSession(Platform& platform, ImportSettings& settings) : w(platform, settings) {}
    std::map<std::string, FieldRef> fields() override { return tableFields(w); }
    TextField& identifier() override { return w.aciEdit_Identifier; }
    std::map<Command, std::function<void()>> commands() override
    {
        return {{Command::Compute, [this] { w.aciMnuResultsComputeCurveClick(); }},
                {Command::Plot, [this] { w.aciMnuResultsPlotDataClick(); }},
                {Command::Clear, [this] { w.aciMnuFileClearClick(); }}};
    }
    Command defaultCommand() const override { return Command::Compute; }
    void importCsvText() override { w.aciMnuFIleImportTextClick(); }
    void drop(const std::vector<DroppedItem>& items) override { w.KipFormDropFilesDropFiles(items); }
    void importInstrument() override { w.aciMnuFileImortVerdexClick(); }
    TextField& instrumentXColumn() override { return w.frmParseVerdex.EdtCi; }
    TFrmParseVerdex& importDialog() override { return w.frmParseVerdex; }
    std::vector<std::string> exportLines() const override { return w.exportLines(); }
    chart::ChartCopy figure(const std::string& fileName) const override { return chart::aciFigure(w, fileName); }
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
            if (columns[k].field == MeanField::LeafTemperature)
                conditions.leafTemperature = means[k];
            else if (columns[k].field == MeanField::Light)
                conditions.light = means[k];
            else
                conditions.pressure = means[k];
        }
        w.setConditions(conditions);
    }
    int pointCount() const override { return w.Series_LightAssim.count(); }
    std::vector<std::string> summaryOrder() const override { return tableSummaryOrder<TfrmACi_Curve>(); }
    std::string unit(const std::string& name) const override { return tableUnit<TfrmACi_Curve>(name); }
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
    void applyStandardFitOptions(const StandardFitOptions& options) override
    {
        if (options.fitTpu)
            w.aciCheckBox_StdTPU.setChecked(true);
        if (options.gm)
            w.aciEdit_StdGm.setText(*options.gm);
        applyExclusionsAndHolds(w, options);
    }
    bool canHold(const std::string& name) const override { return holdRow(name) != nullptr; }
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
        for (const char* name : {"Vcmax", "Jmax", "J", "Rd", "TPU"}) {
            header.push_back(withUnit(std::string("standard ") + name + " lower", rateUnit));
            header.push_back(withUnit(std::string("standard ") + name + " upper", rateUnit));
        }
        header.push_back(withUnit("standard SSE", squaredRateUnit));
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
        // A held estimate has no standard error.
        const AciStandardFitSettings& s = fit->settings;
        auto error = [&](double se, const std::optional<double>& held) { return held ? std::string() : number(se); };
        row[0] = number(fit->vcmax);
        row[1] = error(fit->vcmaxSE, s.heldVcmax);
        // Without a light value the fit estimates J itself, never Jmax.
        const std::size_t j = fit->jInsteadOfJmax ? 4 : 2;
        row[j] = number(fit->jmax);
        row[j + 1] = error(fit->jmaxSE, s.heldJmax);
        row[6] = number(fit->rd);
        row[7] = error(fit->rdSE, s.heldRd);
        if (fit->tpuFitted) {
            row[8] = number(fit->tpu);
            row[9] = error(fit->tpuSE, s.heldTPU);
        }
        row[10] = number(fit->vcmax25);
        if (fit->jmax25)
            row[11] = number(*fit->jmax25);
        row[12] = number(fit->rmse);
        if (fit->transitionCi)
            row[13] = number(*fit->transitionCi);
        // The 95 % intervals' ends, empty where a profile does not close or the estimate is held.
        auto end = [&](const std::optional<double>& value) { return value ? number(*value) : std::string(); };
        auto interval = [&](std::size_t column, const ProfileInterval& ci) {
            row[column] = end(ci.lower);
            row[column + 1] = end(ci.upper);
        };
        interval(14, fit->vcmaxInterval);
        interval(fit->jInsteadOfJmax ? 18 : 16, fit->jmaxInterval);
        interval(20, fit->rdInterval);
        if (fit->tpuFitted)
            interval(22, fit->tpuInterval);
        row[24] = number(fit->sse);
        return row;
    }

private:
    // Jmax's row holds J too, where the fit reports J.
    static const ResultRow<TfrmACi_Curve>* holdRow(const std::string& name)
    {
        return findHoldRow(TfrmACi_Curve::standardFitTable(), name == "J" ? "Jmax" : name);
    }

    TfrmACi_Curve w;
    bool standardFit_ = false;
};

}  // namespace

std::unique_ptr<WindowSession> makeAciSession(Platform& platform, ImportSettings& settings)
{
    return std::make_unique<AciSession>(platform, settings);
}

}  // namespace calvane::batch

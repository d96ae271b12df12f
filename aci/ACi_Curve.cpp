#include "aci/ACi_Curve.h"

#include "aci/AciChecks.h"
#include "core/CheckedMath.h"
#include "core/ClipboardText.h"
#include "core/Errors.h"
#include "core/NumberText.h"
#include "fit/FitCancel.h"
#include "import/GridText.h"
#include "import/LogColumns.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

namespace calvane {

namespace {

constexpr int curveSamples = 200;

using W = TfrmACi_Curve;
using Row = ParameterRow<W>;

// Units as the batch summary writes them.
constexpr std::string_view ciUnit = "umol mol-1";
constexpr std::string_view rateUnit = "umol m-2 s-1";

// Runs one step of the computation and puts `what` before its arithmetic failure,
// so the message says which quantity could not be formed.
template <typename F>
double withContext(const std::string& what, F&& step)
{
    try {
        return step();
    } catch (const ArithmeticError& e) {
        throw ArithmeticError(what + ": " + e.what());
    }
}

}  // namespace

const std::vector<ParameterRow<TfrmACi_Curve>>& TfrmACi_Curve::parameterTable()
{
    static const std::vector<Row> table{
        {.name = "Kc",
         .label = "Kc (umol mol-1)",
         .unit = ciUnit,
         .field = &W::aciEdit_Kc,
         .flag = &W::aciCheckBox_Kc,
         .flagClick = &W::aciCheckBox_KcClick,
         .group = &W::aciGroupBox_TempDependent,
         .reset = "0.0",
         .copyName = "Kc",
         .panelOrder = 1,
         .focusOrder = 1,
         .summaryOrder = 1,
         .resetOrder = 5,
         .reportWidth = 20},
        {.name = "Ko",
         .label = "Ko (mmol mol-1)",
         .unit = "mmol mol-1",
         .field = &W::aciEdit_Ko,
         .flag = &W::aciCheckBox_Ko,
         .flagClick = &W::aciCheckBox_KoClick,
         .group = &W::aciGroupBox_TempDependent,
         .reset = "0.0",
         .copyName = "Ko",
         .panelOrder = 2,
         .focusOrder = 2,
         .summaryOrder = 2,
         .resetOrder = 6,
         .reportWidth = 20},
        {.name = "Tau",
         .label = "Tau (mmol/umol)",
         .unit = "mmol umol-1",
         .field = &W::aciEdit_Tau,
         .flag = &W::aciCheckBox_Tau,
         .flagClick = &W::aciCheckBox_TauClick,
         .group = &W::aciGroupBox_TempDependent,
         .reset = "0.0",
         .copyName = "Tau",
         .panelOrder = 3,
         .focusOrder = 3,
         .summaryOrder = 3,
         .resetOrder = 7,
         .reportWidth = 20},
        {.name = "Temp",
         .label = "Leaf Temp (oC)",
         .unit = "oC",
         .field = &W::aciEdit_Temp,
         .group = &W::aciGroupBox_TempDependent,
         .caption = &W::aciLabel_Temp,
         .reset = "25",
         .copyName = "Leaf_Temp",
         .panelOrder = 4,
         .focusOrder = 4,
         .summaryOrder = 4,
         .resetOrder = 9,
         .reportWidth = 20},
        {.name = "Light",
         .label = "Light (umol m-2 s-1)",
         .unit = rateUnit,
         .field = &W::aciEdit_Light,
         .group = &W::aciGroupBox_TempDependent,
         .caption = &W::aciLabel_Light,
         .reset = "0.0",
         .copyName = "Light",
         .panelOrder = 5,
         .focusOrder = 5,
         .summaryOrder = 5,
         .resetOrder = 8,
         .reportWidth = 20},
        {.name = "Respiration",
         .label = "Respiration",
         .unit = rateUnit,
         .field = &W::aciEdit_Respiration,
         .flag = &W::aciCheckBox_Respiration,
         .flagClick = &W::aciCheckBox_RespirationClick,
         .group = &W::aciGroupBox_LightDependent,
         .reset = "0.0",
         .copyName = "Respiration",
         .panelOrder = 7,
         .focusOrder = 6,
         .summaryOrder = 6,
         .resetOrder = 4,
         .reportWidth = 20},
        {.name = "Vcmax",
         .label = "Vcmax",
         .unit = rateUnit,
         .field = &W::aciEdit_Vcmax,
         .flag = &W::aciCheckBox_Vcmax,
         .flagClick = &W::aciCheckBox_VcmaxClick,
         .group = &W::aciGroupBox_LightDependent,
         .hint = "Max RuBP saturated rate of carboxylation (umol m-2 s-1)",
         .reset = "0.0",
         .copyName = "Vcmax",
         .panelOrder = 8,
         .focusOrder = 7,
         .summaryOrder = 7,
         .resetOrder = 3,
         .reportWidth = 20},
        {.name = "Jmax",
         .label = "Jmax",
         .unit = rateUnit,
         .field = &W::aciEdit_Jmax,
         .flag = &W::aciCheckBox_Jmax,
         .flagClick = &W::aciCheckBox_JmaxClick,
         .group = &W::aciGroupBox_LightDependent,
         .hint = "Max rate of electron transport (umol m-2 s-1)",
         .reset = "0.0",
         .copyName = "Jmax",
         .panelOrder = 9,
         .focusOrder = 8,
         .summaryOrder = 8,
         .resetOrder = 2,
         .reportWidth = 20},
        {.name = "TPU",
         .label = "TPU",
         .unit = rateUnit,
         .field = &W::aciEdit_TPU,
         .flag = &W::aciCheckBox_TPU,
         .flagClick = &W::aciCheckBox_TPUClick,
         .group = &W::aciGroupBox_LightDependent,
         .hint = "Triose-phosphate utilization",
         .reset = "0.0",
         .copyName = "TPU",
         .panelOrder = 10,
         .focusOrder = 9,
         .summaryOrder = 9,
         .resetOrder = 1,
         .reportWidth = 20},
        // Always computed, and shown first in its group.
        {.name = "GammaStar",
         .label = "GammaStar",
         .unit = ciUnit,
         .field = &W::aciEdit_GammaStar,
         .group = &W::aciGroupBox_LightDependent,
         .caption = &W::aciLabel_GammaStar,
         .hint = "CO2 compensation point in the absence of dark respiration (umol mol-1)",
         .copyName = "GammaStar",
         .panelOrder = 6,
         .focusOrder = 10,
         .summaryOrder = 10,
         .reportWidth = 20,
         .resultOnly = true},
    };
    return table;
}

const std::vector<ResultSection<TfrmACi_Curve>>& TfrmACi_Curve::standardFitTable()
{
    // On screen a grid of a caption, the value, its standard error and its value at
    // 25 oC per row, under a row of column captions; the settings in the last row.
    static const std::vector<ResultSection<W>> table{{
        .heading = "Standard fit (Farquhar-von Caemmerer-Berry)",
        .summaryPrefix = "standard",
        .rows =
            {
                {.name = "Vcmax",
                 .value = &W::aciEdit_StdVcmax,
                 .error = &W::aciEdit_StdVcmaxSE,
                 .summary = "Vcmax",
                 .unit = rateUnit,
                 .caption = &W::aciLabel_StdVcmax,
                 .row = 1,
                 .lower = &W::aciEdit_StdVcmaxLower,
                 .upper = &W::aciEdit_StdVcmaxUpper},
                // Named "J" when the fit reported J itself; the summary then has J columns.
                {.value = &W::aciEdit_StdJmax,
                 .error = &W::aciEdit_StdJmaxSE,
                 .summary = "Jmax",
                 .unit = rateUnit,
                 .caption = &W::aciLabel_StdJmax,
                 .row = 2,
                 .lower = &W::aciEdit_StdJmaxLower,
                 .upper = &W::aciEdit_StdJmaxUpper},
                {.name = "Rd",
                 .value = &W::aciEdit_StdRd,
                 .error = &W::aciEdit_StdRdSE,
                 .summary = "Rd",
                 .unit = rateUnit,
                 .caption = &W::aciLabel_StdRd,
                 .row = 3,
                 .lower = &W::aciEdit_StdRdLower,
                 .upper = &W::aciEdit_StdRdUpper},
                // Shown, and exported, only after a fit that included TPU.
                {.name = "TPU",
                 .value = &W::aciEdit_StdTPU,
                 .error = &W::aciEdit_StdTPUSE,
                 .summary = "TPU",
                 .unit = rateUnit,
                 .caption = &W::aciLabel_StdTPU,
                 .row = 4,
                 .lower = &W::aciEdit_StdTPULower,
                 .upper = &W::aciEdit_StdTPUUpper},
                {.name = "Vcmax25",
                 .value = &W::aciEdit_StdVcmax25,
                 .summary = "Vcmax25",
                 .unit = rateUnit,
                 .row = 1,
                 .column = 3},
                {.name = "Jmax25",
                 .value = &W::aciEdit_StdJmax25,
                 .summary = "Jmax25",
                 .unit = rateUnit,
                 .row = 2,
                 .column = 3},
                {.name = "SSE",
                 .value = &W::aciEdit_StdSSE,
                 .summary = "SSE",
                 .unit = "(umol m-2 s-1)2",
                 .row = 5,
                 .column = 3},
                {.name = "RMSE",
                 .value = &W::aciEdit_StdRMSE,
                 .summary = "RMSE",
                 .unit = rateUnit,
                 .caption = &W::aciLabel_StdRMSE,
                 .row = 5},
                {.name = "Transition Ci",
                 .value = &W::aciEdit_StdTransitionCi,
                 .summary = "transition Ci",
                 .unit = ciUnit,
                 .caption = &W::aciLabel_StdTransitionCi,
                 .row = 6},
                {.name = "Patm",
                 .value = &W::aciEdit_StdPatm,
                 .caption = &W::aciLabel_StdPatm,
                 .row = 8,
                 .setting = true},
                // Exported only when set: an empty gm is the fit on Ci as before.
                {.name = "gm",
                 .value = &W::aciEdit_StdGm,
                 .caption = &W::aciLabel_StdGm,
                 .row = 9,
                 .setting = true,
                 .exported = ResultExport::WhenSet},
                // The held values, each on a row of its own below the settings.
                {.name = "Hold Vcmax",
                 .value = &W::aciEdit_StdHoldVcmax,
                 .captionText = "Hold Vcmax",
                 .row = 10,
                 .setting = true,
                 .flag = &W::aciCheckBox_StdHoldVcmax,
                 .holds = "Vcmax",
                 .exported = ResultExport::Never},
                {.name = "Hold Jmax",
                 .value = &W::aciEdit_StdHoldJmax,
                 .captionText = "Hold Jmax",
                 .row = 11,
                 .setting = true,
                 .flag = &W::aciCheckBox_StdHoldJmax,
                 .holds = "Jmax",
                 .exported = ResultExport::Never},
                {.name = "Hold Rd",
                 .value = &W::aciEdit_StdHoldRd,
                 .captionText = "Hold Rd",
                 .row = 12,
                 .setting = true,
                 .flag = &W::aciCheckBox_StdHoldRd,
                 .holds = "Rd",
                 .exported = ResultExport::Never},
                {.name = "Hold TPU",
                 .value = &W::aciEdit_StdHoldTPU,
                 .captionText = "Hold TPU",
                 .row = 13,
                 .setting = true,
                 .flag = &W::aciCheckBox_StdHoldTPU,
                 .holds = "TPU",
                 .exported = ResultExport::Never},
            },
        .message = &W::aciEdit_StdMessage,
        .messageRow = 7,
    }};
    return table;
}

TfrmACi_Curve::TfrmACi_Curve(Platform& platform, ImportSettings& importSettings)
    : frmParseVerdex(platform, importSettings), platform_(platform)
{
    aciSpreadSheetData.setCell(0, 0, "No.");
    aciSpreadSheetData.setCell(1, 0, "Ci(CO2)umol mol-1");
    aciSpreadSheetData.setCell(2, 0, "A Assimiliation");
    aciSpreadSheetData.setColWidth(0, 20);
    aciSpreadSheetData.setColWidth(1, 85);
    aciSpreadSheetData.setColWidth(2, 103);

    aciEdit_Light.setBackground(colours::aqua);
    aciEdit_GammaStar.readOnly = true;

    SaveDialog.options.filter = "Text file (*.txt)|*.txt|All files (*.*)|*.*";
    SaveDialog.options.defaultExtension = "txt";
    SaveDialog.options.initialName = "ACIResults";

    for (const Row& row : parameterTable()) {
        if (!row.hint.empty())
            (this->*row.field).setHint(std::string(row.hint));
        if (row.flag)
            connectFlag(*this, row);
    }
    aciEdit_Identifier.textChanged.connect([this] { aciEdit_IdentifierChange(); });

    for (TextField* field : resultFields(*this, standardFitTable()))
        field->readOnly = true;
    aciEdit_StdPatm.setHint("Atmospheric pressure (kPa) for the standard fit");
    aciEdit_StdGm.setHint(
        "Mesophyll conductance (mol m-2 s-1 bar-1) for the standard fit; empty: infinite, the fit on Ci");
    aciCheckBox_StdShowCurve.setChecked(true);
    showStandardFit(AciStandardFitResult{});
    aciLabel_OwnRMSE.hint = "How far the measured points lie from the window's own curve (the lowest of Wc, Wj and Wp)";
    showOwnCurveRmse();

    staleResults.changed.connect([this] { runChecks(); });
    staleResults.dataChanged.connect([this] {
        clearStandardFit();
        showOwnCurveRmse();
    });
    Series_Excluded.hollow = true;
    aciSpreadSheetData.rowInserted.connect(
        [this](int at) { moveRows([at](int row) { return rowAfterInsert(row, at); }); });
    aciSpreadSheetData.rowDeleted.connect(
        [this](int at) { moveRows([at](int row) { return rowAfterDelete(row, at); }); });

    ParameterReset();
}

char TfrmACi_Curve::separator() const { return platform_.decimalSeparator(); }

// --- Parameter fields and their fixed flags ------------------------------------------

double TfrmACi_Curve::numEditValue(TextField& field, const CheckBox& flag, double computed)
{
    double value = computed;
    if (flag.checked()) {
        if (const auto typed = readNumber(field.text(), separator()))
            value = *typed;
    }
    // Written back in both cases, so a fixed value shows in normal form.
    field.setText(formatNumber(value, separator()));
    return value;
}

void TfrmACi_Curve::checkIndicator(const CheckBox& flag, std::string& text) const { text = fixedStateWord(flag); }

void TfrmACi_Curve::setNumEditState(TextField& field, const CheckBox& flag)
{
    field.setBackground(fixedFieldBackground(flag));
}

void TfrmACi_Curve::ParameterReset()
{
    for (const Row* row : inOrder(parameterTable(), &Row::resetOrder))
        (this->*row->field).setText(row->reset);
}

void TfrmACi_Curve::aciCheckBox_KcClick() { setNumEditState(aciEdit_Kc, aciCheckBox_Kc); }
void TfrmACi_Curve::aciCheckBox_KoClick() { setNumEditState(aciEdit_Ko, aciCheckBox_Ko); }
void TfrmACi_Curve::aciCheckBox_TauClick() { setNumEditState(aciEdit_Tau, aciCheckBox_Tau); }
void TfrmACi_Curve::aciCheckBox_RespirationClick() { setNumEditState(aciEdit_Respiration, aciCheckBox_Respiration); }
void TfrmACi_Curve::aciCheckBox_VcmaxClick() { setNumEditState(aciEdit_Vcmax, aciCheckBox_Vcmax); }
void TfrmACi_Curve::aciCheckBox_JmaxClick() { setNumEditState(aciEdit_Jmax, aciCheckBox_Jmax); }
void TfrmACi_Curve::aciCheckBox_TPUClick() { setNumEditState(aciEdit_TPU, aciCheckBox_TPU); }

void TfrmACi_Curve::aciEdit_IdentifierChange()
{
    aciChart_LightResponseCurve.setSingleLine("ACi Curve for: " + aciEdit_Identifier.text());
}

// --- Measured points, model and fits ----------------------------------------------------

void TfrmACi_Curve::Load_ACi_Series()
{
    Series_LightAssim.clear();
    seriesRows_.clear();
    // Bottom-up: point 0 comes from the lowest usable row, which the fits rely on.
    for (int row = aciSpreadSheetData.rowCount() - 1; row >= 1; --row) {
        if (const auto point = gridPoint(row)) {
            Series_LightAssim.add(point->first, point->second);
            seriesRows_.push_back(row);
        }
    }
    loadExcludedSeries();
}

std::optional<std::pair<double, double>> TfrmACi_Curve::gridPoint(int row) const
{
    const Grid& grid = aciSpreadSheetData;
    const double ci = readNumberOr0(grid.cell(1, row), separator());
    if (grid.cell(2, row).empty())
        return std::nullopt;
    const double a = readNumberOr0(grid.cell(2, row), separator());
    if (ci > 0 || a != 0)
        return std::make_pair(ci, a);
    return std::nullopt;
}

std::vector<int> TfrmACi_Curve::pointRows() const
{
    std::vector<int> rows;
    for (int row = 1; row < aciSpreadSheetData.rowCount(); ++row) {
        if (gridPoint(row))
            rows.push_back(row);
    }
    return rows;
}

void TfrmACi_Curve::toggleStandardFitExclusion(int gridRow)
{
    if (!excludedRows_.erase(gridRow))
        excludedRows_.insert(gridRow);
    exclusionsChanged();
}

int TfrmACi_Curve::measuredPointRow(int index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < seriesRows_.size()
               ? seriesRows_[static_cast<std::size_t>(index)]
               : 0;
}

void TfrmACi_Curve::aciPopupExcludeClick()
{
    const int row = aciSpreadSheetData.pressedRow;
    if (row >= 1 && gridPoint(row))
        toggleStandardFitExclusion(row);
}

void TfrmACi_Curve::exclusionsChanged()
{
    // The standard fit described the points it used; the window's own results stay.
    clearStandardFit();
    loadExcludedSeries();
    showExcludeItem();
    showOwnCurveRmse();
}

bool TfrmACi_Curve::excludedPoint(std::size_t index) const
{
    return index < seriesRows_.size() && excludedRows_.count(seriesRows_[index]) > 0;
}

void TfrmACi_Curve::forgetExclusions()
{
    if (excludedRows_.empty())
        return;
    excludedRows_.clear();
    exclusionsChanged();
}

void TfrmACi_Curve::loadNewCurve(const std::function<bool()>& load)
{
    try {
        if (!load())
            return;
    } catch (const DataError&) {
        forgetExclusions();
        throw;
    }
    forgetExclusions();
}

void TfrmACi_Curve::moveRows(const std::function<int(int)>& where)
{
    std::set<int> moved;
    for (const int row : excludedRows_) {
        if (const int to = where(row))
            moved.insert(to);
    }
    excludedRows_ = std::move(moved);
    for (int& row : seriesRows_) {
        if (row > 0)
            row = where(row);
    }
    loadExcludedSeries();
}

void TfrmACi_Curve::loadExcludedSeries()
{
    Series_Excluded.clear();
    for (std::size_t i = 0; i < Series_LightAssim.points().size(); ++i) {
        if (excludedPoint(i)) {
            const auto& [ci, a] = Series_LightAssim.points()[i];
            Series_Excluded.add(ci, a);
        }
    }
}

void TfrmACi_Curve::showExcludeItem()
{
    const int row = aciSpreadSheetData.pressedRow;
    aciPopupExclude.set(excludedRows_.count(row) ? "Include Point" : "Exclude Point", row >= 1 && gridPoint(row));
}

double TfrmACi_Curve::GammaStar() const { return aciGammaStar(AciParameters.Tau); }

double TfrmACi_Curve::fPrime(double ci) const { return aciFPrime(ci, AciParameters); }

double TfrmACi_Curve::gPrime(double ci) const { return aciGPrime(ci, AciParameters); }

double TfrmACi_Curve::readTemperature(bool& valid)
{
    if (const auto t = readNumber(aciEdit_Temp.text(), separator()))
        return *t;
    platform_.showError("Invalid Temperature value");
    valid = false;
    return 0;
}

bool TfrmACi_Curve::ComputeValues()
{
    // The steps run in this order and each writes its field at once: a step that
    // fails leaves the fields written before it as they are.
    bool result = true;
    lastVcmaxRdLine_.reset();
    lastJmaxLine_.reset();
    const double leafTemp = readTemperature(result);
    const std::string atTemp = " for a leaf temperature of " + formatNumber(leafTemp, separator()) + " oC";
    auto& p = AciParameters;

    p.Kc = numEditValue(aciEdit_Kc, aciCheckBox_Kc,
                        withContext("Cannot compute Kc" + atTemp, [&] { return aciKc(leafTemp); }));
    p.Ko = numEditValue(aciEdit_Ko, aciCheckBox_Ko,
                        withContext("Cannot compute Ko" + atTemp, [&] { return aciKo(leafTemp); }));
    p.Tau = withContext("Cannot compute Tau from Kc " + formatNumber(p.Kc, separator()) + " and Ko " +
                            formatNumber(p.Ko, separator()),
                        [&] { return aciTau(p.Kc, p.Ko); });

    // The Vcmax fit sees the Tau of Kc and Ko; a fixed Tau applies only after it.
    FitVcMaxRd();
    p.Tau = numEditValue(aciEdit_Tau, aciCheckBox_Tau, p.Tau);
    const double gammaStar = withContext("Cannot compute GammaStar from Tau " + formatNumber(p.Tau, separator()),
                                         [&] { return GammaStar(); });
    aciEdit_GammaStar.setText(formatNumber(gammaStar, separator()));
    p.Vcmax = numEditValue(aciEdit_Vcmax, aciCheckBox_Vcmax, p.Vcmax);

    FitJMax();
    p.Jmax = numEditValue(aciEdit_Jmax, aciCheckBox_Jmax, p.Jmax);

    // TPU uses the fitted respiration, before a fixed one replaces it.
    const double tpu = withContext("Cannot compute TPU",
                                   [&] { return checked::div(checked::add(Series_LightAssim.maxY(), p.Rd), 3.0); });
    p.TPU = numEditValue(aciEdit_TPU, aciCheckBox_TPU, tpu);
    p.Rd = numEditValue(aciEdit_Respiration, aciCheckBox_Respiration, p.Rd);
    return result;
}

void TfrmACi_Curve::FitVcMaxRd()
{
    const auto line = fitAciLine(
        Series_LightAssim, [this](double ci) { return fPrime(ci); }, "Cannot fit Vcmax and respiration", separator());
    // The model line is A = Vcmax * fPrime(Ci) - Rd.
    AciParameters.Vcmax = line.slope;
    AciParameters.Rd = -line.intercept;
    lastVcmaxRdLine_ = line;
}

void TfrmACi_Curve::FitJMax()
{
    const auto line = fitAciLine(
        Series_LightAssim, [this](double ci) { return gPrime(ci); }, "Cannot fit Jmax", separator());
    AciParameters.Jmax = line.slope;
    lastJmaxLine_ = line;
}

// --- Chart ---------------------------------------------------------------------------------

void TfrmACi_Curve::loadModelCurve(PointSeries& series, double (*rate)(double, const calvane::AciParameters&))
{
    series.clear();
    if (Series_LightAssim.empty())
        Load_ACi_Series();
    const double step = Series_LightAssim.maxX() / curveSamples;
    const double lower = Series_LightAssim.minY() - 2;
    const double upper = 1.5 * Series_LightAssim.maxY();
    for (int i = 1; i <= curveSamples; ++i) {
        const double ci = i * step;
        double w = 0;
        try {
            w = rate(ci, AciParameters);
        } catch (const ArithmeticError&) {
            // Where the model has no value (Ci = 0 when no measured Ci is positive)
            // there is nothing to draw; the sample is dropped like one out of range.
            continue;
        }
        if (w > lower && w < upper)
            series.add(ci, w);
    }
}

void TfrmACi_Curve::Load_Rubisco_Series() { loadModelCurve(Series_Wc, &aciRubiscoRate); }

void TfrmACi_Curve::Load_RuBP_Series() { loadModelCurve(Series_Wj, &aciRubpRate); }

void TfrmACi_Curve::Load_TPU_Series()
{
    Series_Wp.clear();
    if (Series_LightAssim.empty())
        Load_ACi_Series();
    // A level line at the largest measured A; the TPU field does not enter.
    const double level = Series_LightAssim.maxY();
    Series_Wp.add(0, level);
    Series_Wp.add(Series_LightAssim.maxX(), level);
}

// --- Commands --------------------------------------------------------------------------------

void TfrmACi_Curve::aciMnuFileClearClick()
{
    // Only the Ci and A columns: a CSV load may have added columns the user wants kept.
    for (int row = 1; row < aciSpreadSheetData.rowCount(); ++row) {
        aciSpreadSheetData.setCell(1, row, "");
        aciSpreadSheetData.setCell(2, row, "");
    }
    ParameterReset();
    lastVcmaxRdLine_.reset();
    lastJmaxLine_.reset();
    Series_LightAssim.clear();
    seriesRows_.clear();
    Series_Wc.clear();
    Series_Wj.clear();
    Series_Wp.clear();
    // The standard fit described the data just removed; its settings stay.
    standardFit_.reset();
    excludedRows_.clear();
    standardFitExcluded_.clear();
    loadExcludedSeries();
    showStandardFit(AciStandardFitResult{});
    Load_StandardFit_Series();
    staleResults.forget();
    showOwnCurveRmse();
}

void TfrmACi_Curve::aciMnuFileExitClick() { setVisible(false); }

void TfrmACi_Curve::aciMnuResultsPlotDataClick()
{
    Series_Wj.clear();
    Series_Wp.clear();
    Series_Wc.clear();
    Load_ACi_Series();
}

void TfrmACi_Curve::aciMnuResultsComputeCurveClick()
{
    Load_ACi_Series();
    // An invalid temperature keeps the curves that were drawn before.
    if (ComputeValues()) {
        Load_TPU_Series();
        Load_RuBP_Series();
        Load_Rubisco_Series();
        staleResults.markComputed();
        showOwnCurveRmse();
    }
}

void TfrmACi_Curve::aciMnuFileExportClick()
{
    if (!confirmOutOfDate(platform_, staleResults))
        return;
    runExportCommand(platform_, SaveDialog, aciEdit_Identifier.text(), [this] { return exportLines(); });
}

std::vector<std::string> TfrmACi_Curve::exportLines() const
{
    std::vector<std::string> lines{"ACi Curve Analysis for: " + aciEdit_Identifier.text()};
    appendParameterExportLines(*this, lines, ", ");
    const Grid& grid = aciSpreadSheetData;
    for (int row = 0; row < grid.rowCount(); ++row)
        lines.push_back("  " + grid.cell(1, row) + ", " + grid.cell(2, row));
    if (aciMnuFileExportStandardFit.checked()) {
        const auto section = standardFitExportLines();
        lines.insert(lines.end(), section.begin(), section.end());
    }
    return lines;
}

void TfrmACi_Curve::aciMnuFIleImportTextClick()
{
    loadNewCurve([this] { return importCsvText(platform_, aciSpreadSheetData, aciEdit_Status); });
}

void TfrmACi_Curve::aciMnuFileImortVerdexClick()
{
    frmParseVerdex.SetImportType(ImportKind::Aci);
    platform_.runImportDialog(frmParseVerdex);
    const std::string data = frmParseVerdex.GetData();
    // A curve came in (a cancelled dialog hands back nothing): the exclusions were the old one's.
    if (!trimView(data).empty())
        forgetExclusions();
    StringPaste(data);
    aciEdit_Status.setText(frmParseVerdex.GetFileName());
    setConditions(frmParseVerdex.GetConditions());
}

void TfrmACi_Curve::setConditions(const ImportConditions& conditions)
{
    if (conditions.leafTemperature)
        aciEdit_Temp.setText(formatNumber(*conditions.leafTemperature, separator()));
    if (conditions.light)
        aciEdit_Light.setText(formatNumber(*conditions.light, separator()));
    if (!conditions.pressure)
        return;
    if (isPlausiblePressureKPa(*conditions.pressure)) {
        aciEdit_StdPatm.setText(formatNumber(*conditions.pressure, separator()));
        return;
    }
    platform_.showError("The mean of the pressure column, " + formatNumber(*conditions.pressure, separator()) +
                        ", is not a pressure in kPa (30 to 120): Patm stays " + aciEdit_StdPatm.text());
}

void TfrmACi_Curve::KipFormDropFilesDropFiles(const std::vector<DroppedItem>& items)
{
    loadNewCurve([&] { return loadDroppedCsv(platform_, aciSpreadSheetData, aciEdit_Status, items); });
}

void TfrmACi_Curve::StringPaste(std::string_view text) { pasteIntoGrid(aciSpreadSheetData, text, separator()); }

void TfrmACi_Curve::aciPopupPasteClick()
{
    // A paste writes a curve from row 1 on: the points left out were the old curve's.
    const std::string text = platform_.clipboardText();
    if (!trimView(text).empty())
        forgetExclusions();
    StringPaste(text);
}

// --- Printing ------------------------------------------------------------------------------------

void TfrmACi_Curve::aciMnuFilePrintClick()
{
    if (!confirmOutOfDate(platform_, staleResults) || !platform_.showPrintDialog())
        return;
    platform_.printChartAndReport(aciChart_LightResponseCurve, aciRichEdit,
                                  "ACi Curve Analysis for: " + aciEdit_Identifier.text(), reportLines());
}

std::vector<std::string> TfrmACi_Curve::reportLines() const
{
    std::vector<std::string> lines{"  ACi Curve Analysis for: " + aciEdit_Identifier.text(), " ", "  Parameters: "};
    appendParameterReportLines(*this, lines, " ");
    lines.insert(lines.end(), {" ", " "});
    const Grid& grid = aciSpreadSheetData;
    for (int row = 0; row < grid.rowCount(); ++row)
        lines.push_back("  " + grid.cell(1, row) + "   \t" + grid.cell(2, row));
    if (aciMnuFileExportStandardFit.checked()) {
        // The points the last fit left out, while it stands.
        const std::vector<std::pair<double, double>> none;
        const auto section = resultReportLines(*this, standardFitTable().front(),
                                               standardFit_ ? standardFitExcluded_ : none);
        lines.insert(lines.end(), section.begin(), section.end());
    }
    return lines;
}

// --- Clipboard ------------------------------------------------------------------------------------

void TfrmACi_Curve::aciSpreadSheetDataMouseDown(MouseButton button, int x, int y)
{
    if (button != MouseButton::Right)
        return;
    showExcludeItem();
    // 40 pixels down for the window's title bar.
    platform_.openPopupMenu(aciPopupMenu, Left + aciSpreadSheetData.left + x, Top + aciSpreadSheetData.top + y + 40);
}

void TfrmACi_Curve::aciPopupCopyClick() { platform_.setClipboardText(gridRowsText(aciSpreadSheetData, 0)); }

TextField* TfrmACi_Curve::focusedParameterField() { return focusedField(*this, platform_); }

void TfrmACi_Curve::aciPopup2CopyClick()
{
    const TextField* field = focusedParameterField();
    platform_.setClipboardText(field ? field->text() : std::string());
}

void TfrmACi_Curve::aciPopUp2CopyAllClick()
{
    std::string text;
    for (const auto& [name, value] : copyAllRows(*this, aciEdit_Identifier))
        text += name + "\t" + value + "\r\n";
    platform_.setClipboardText(text);
}

void TfrmACi_Curve::aciPopUp2PasteClick()
{
    const std::string value = fieldPasteValue(platform_.clipboardText());
    // Read-only GammaStar included: only typing is barred there.
    if (TextField* field = focusedParameterField())
        field->setText(value);
}

// --- The standard fit ------------------------------------------------------------------------------

void TfrmACi_Curve::aciMnuResultsStandardFitClick()
{
    aciMnuFileExportStandardFit.setChecked(true);
    runStandardFit();
}

void TfrmACi_Curve::clearStandardFit()
{
    if (!standardFit_)
        return;
    standardFit_.reset();
    showStandardFit(AciStandardFitResult{});
    Load_StandardFit_Series();
}

void TfrmACi_Curve::showOwnCurveRmse()
{
    ownCurveRmse_.reset();
    // Over the points the standard fit uses: the measured ones less those left out.
    int used = 0, points = 0;
    if (staleResults.current() && !Series_LightAssim.empty()) {
        // The model as the chart draws it: the Wp level at the largest measured A.
        const double level = Series_LightAssim.maxY();
        double sse = 0;
        for (std::size_t i = 0; i < Series_LightAssim.points().size(); ++i) {
            if (excludedPoint(i))
                continue;
            ++points;
            const auto& [ci, a] = Series_LightAssim.points()[i];
            try {
                const double modelled = std::min(
                    {aciRubiscoRate(ci, AciParameters), aciRubpRate(ci, AciParameters), level});
                if (!std::isfinite(modelled))
                    continue;
                sse += (a - modelled) * (a - modelled);
                ++used;
            } catch (const ArithmeticError&) {
                // No model value at this Ci (0, say): the point is left out and counted so.
            }
        }
        if (used > 0)
            ownCurveRmse_ = std::sqrt(sse / used);
    }
    aciLabel_OwnRMSE.setVisible(ownCurveRmse_.has_value());
    aciLabel_OwnRMSE.setCaption(ownCurveRmse_ ? ownCurveNote(*ownCurveRmse_, used, points) : "");
}

void TfrmACi_Curve::runStandardFit()
{
    Load_ACi_Series();
    staleResults.markRead();
    standardFit_ = fitStandardModel();
    showStandardFit(*standardFit_);
    Load_StandardFit_Series();
    if (!standardFit_->fitted)
        throw FitError("Standard fit: " + standardFit_->message);
}

AciStandardFitResult TfrmACi_Curve::fitStandardModel()
{
    AciStandardFitResult failed;
    const auto temperature = readNumber(aciEdit_Temp.text(), separator());
    if (!temperature) {
        failed.message = "Cannot fit: the leaf temperature \"" + aciEdit_Temp.text() + "\" is not a number";
        return failed;
    }
    const auto patm = readNumber(aciEdit_StdPatm.text(), separator());
    if (!patm) {
        failed.message = "Cannot fit: Patm \"" + aciEdit_StdPatm.text() + "\" is not a number";
        return failed;
    }
    AciStandardFitSettings settings;
    settings.leafTemperature = *temperature;
    settings.patm = *patm;
    settings.fitTPU = aciCheckBox_StdTPU.checked();
    // Only a positive light gives Jmax; the fit then reports J and says so.
    const auto light = readNumber(aciEdit_Light.text(), separator());
    if (light && *light > 0)
        settings.ppfd = *light;
    if (!trimView(aciEdit_StdGm.text()).empty()) {
        const auto gm = readNumber(aciEdit_StdGm.text(), separator());
        if (!gm) {
            failed.message = "Cannot fit: gm \"" + aciEdit_StdGm.text() + "\" is not a number";
            return failed;
        }
        settings.gm = *gm;
    }
    for (const auto& row : standardFitTable().front().rows) {
        if (row.holds.empty() || !(this->*row.flag).checked())
            continue;
        const std::string& text = (this->*row.value).text();
        const auto value = readNumber(text, separator());
        if (!value) {
            failed.message = "Cannot fit: the value to hold " + std::string(row.holds) + " at, \"" + text +
                             "\", is not a number";
            return failed;
        }
        (row.holds == "Vcmax"  ? settings.heldVcmax
         : row.holds == "Jmax" ? settings.heldJmax
         : row.holds == "Rd"   ? settings.heldRd
                               : settings.heldTPU) = *value;
    }
    // The points in the order Load_ACi_Series takes them, without the excluded rows.
    standardFitExcluded_.clear();
    std::vector<std::pair<double, double>> points;
    if (excludedRows_.empty()) {
        points = Series_LightAssim.points();
    } else {
        for (int row = aciSpreadSheetData.rowCount() - 1; row >= 1; --row) {
            if (const auto point = gridPoint(row))
                (excludedRows_.count(row) ? standardFitExcluded_ : points).push_back(*point);
        }
        std::reverse(standardFitExcluded_.begin(), standardFitExcluded_.end());  // top to bottom
    }
    // Off the user-interface thread, so that the user can stop it.
    AciStandardFitResult result;
    platform_.runLongTask([&](const Platform::UiPost&) {
        const FitCancelScope stop([this] { return platform_.cancelRequested(); });
        result = fitAciStandard(points, settings);
        if (fitCancelRequested())
            throw Cancelled();
    });
    return result;
}

void TfrmACi_Curve::showStandardFit(const AciStandardFitResult& fit)
{
    const bool tpu = fit.fitted && fit.tpuFitted;
    aciLabel_StdJmax.setCaption(fit.jInsteadOfJmax ? "J" : "Jmax");
    aciLabel_StdTPU.setVisible(tpu);
    aciEdit_StdTPU.setVisible(tpu);
    aciEdit_StdTPUSE.setVisible(tpu);
    aciEdit_StdTPULower.setVisible(tpu);
    aciEdit_StdTPUUpper.setVisible(tpu);
    if (!fit.fitted) {
        for (TextField* field : resultFields(*this, standardFitTable()))
            field->setText("");
        aciEdit_StdMessage.setText(fit.message);
        return;
    }
    auto text = [this](double value) { return formatNumber(value, separator()); };
    // A held estimate has no standard error: it says "held" instead.
    auto error = [&](double se, const std::optional<double>& held) { return held ? "held" : text(se); };
    const AciStandardFitSettings& s = fit.settings;
    aciEdit_StdVcmax.setText(text(fit.vcmax));
    aciEdit_StdVcmaxSE.setText(error(fit.vcmaxSE, s.heldVcmax));
    aciEdit_StdVcmax25.setText(text(fit.vcmax25));
    aciEdit_StdJmax.setText(text(fit.jmax));
    aciEdit_StdJmaxSE.setText(error(fit.jmaxSE, s.heldJmax));
    aciEdit_StdJmax25.setText(fit.jmax25 ? text(*fit.jmax25) : "");
    aciEdit_StdRd.setText(text(fit.rd));
    aciEdit_StdRdSE.setText(error(fit.rdSE, s.heldRd));
    aciEdit_StdTPU.setText(tpu ? text(fit.tpu) : "");
    aciEdit_StdTPUSE.setText(tpu ? error(fit.tpuSE, s.heldTPU) : "");
    aciEdit_StdSSE.setText(text(fit.sse));
    aciEdit_StdRMSE.setText(text(fit.rmse));
    auto end = [&](const std::optional<double>& value) { return value ? text(*value) : std::string(); };
    for (const auto& [interval, lower, upper] :
         {std::tuple{fit.vcmaxInterval, &aciEdit_StdVcmaxLower, &aciEdit_StdVcmaxUpper},
          std::tuple{fit.jmaxInterval, &aciEdit_StdJmaxLower, &aciEdit_StdJmaxUpper},
          std::tuple{fit.rdInterval, &aciEdit_StdRdLower, &aciEdit_StdRdUpper},
          std::tuple{fit.tpuInterval, &aciEdit_StdTPULower, &aciEdit_StdTPUUpper}}) {
        lower->setText(end(interval.lower));
        upper->setText(end(interval.upper));
    }
    aciEdit_StdTransitionCi.setText(fit.transitionCi ? text(*fit.transitionCi) : "");
    aciEdit_StdMessage.setText(standardFitNote(fit));
}

std::string TfrmACi_Curve::standardFitNote(const AciStandardFitResult& fit)
{
    if (!fit.fitted)
        return fit.message;
    std::string note = "Fitted to " + std::to_string(fit.points) + " points; converged from " +
                       std::to_string(fit.convergedStarts) + " of " + std::to_string(fit.starts) + " starting points";
    if (fit.lightCeilingExceeded)
        note += "; the points need more J than a light of " + formatRounded(*fit.lightCeilingExceeded, 4) +
                " allows, so J is reported instead of Jmax";
    else if (fit.jInsteadOfJmax)
        note += "; no positive light value, so J is reported instead of Jmax";
    if (!fit.transitionCi)
        note += "; Rubisco and RuBP limitation do not meet above GammaStar";
    const AciStandardFitSettings& s = fit.settings;
    std::string held;
    for (const auto& [name, value] : {std::pair<std::string, std::optional<double>>{"Vcmax", s.heldVcmax},
                                      {fit.jInsteadOfJmax ? "J" : "Jmax", s.heldJmax},
                                      {"Rd", s.heldRd},
                                      {"TPU", s.heldTPU}}) {
        if (value)
            held += (held.empty() ? "; " : ", ") + name + " held at " + formatRounded(*value, 6);
    }
    note += held;
    if (s.gm)
        note += "; on the chloroplastic basis with gm " + formatRounded(*s.gm, 6);
    if (fit.tpuNotLimiting)
        note += "; no point is limited by TPU, so the fit leaves TPU out";
    return note;
}

void TfrmACi_Curve::Load_StandardFit_Series()
{
    Series_StandardFit.clear();
    if (!standardFit_ || !standardFit_->fitted || Series_LightAssim.empty())
        return;
    const double low = Series_LightAssim.minX();
    const double step = (Series_LightAssim.maxX() - low) / curveSamples;
    for (int i = 0; i <= curveSamples; ++i) {
        const double ci = low + i * step;
        const double a = aciStandardAssimilation(*standardFit_, ci);
        // Where the model has no value (a Ci at a pole of a rate) there is nothing to draw.
        if (std::isfinite(a))
            Series_StandardFit.add(ci, a);
    }
}

std::vector<std::string> TfrmACi_Curve::standardFitExportLines() const
{
    std::vector<std::string> lines = resultExportLines(*this, standardFitTable().front());
    if (standardFit_) {
        for (const auto& [ci, a] : standardFitExcluded_)
            lines.push_back("Excluded point, " + formatNumber(ci, separator()) + ", " + formatNumber(a, separator()));
    }
    // A fit that failed says why; the values above are then empty.
    if (standardFit_ && !standardFit_->fitted)
        lines.push_back(standardFit_->message);
    return lines;
}

// --- About and showing --------------------------------------------------------------------------

void TfrmACi_Curve::aciMnuAboutClick() { dlgAbout.Display(AboutModule::Aci); }

void TfrmACi_Curve::Show() { setVisible(true); }

void TfrmACi_Curve::setVisible(bool shown)
{
    if (visible == shown)
        return;
    visible = shown;
    visibilityChanged.notify();
}

void TfrmACi_Curve::runChecks()
{
    auto found = aciPlausibilityChecks(*this);
    noteOutOfDate(staleResults, found);
    checks.set(std::move(found));
}

}  // namespace calvane

#include "aq/AQ_C3_Curve.h"

#include "aq/AqChecks.h"
#include "aq/LightResponseSearch.h"
#include "core/CheckedMath.h"
#include "core/ClipboardText.h"
#include "core/Errors.h"
#include "core/NumberText.h"
#include "fit/FitCancel.h"
#include "import/GridText.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace calvane {

namespace {

constexpr int colQObs = 1;
constexpr int colAssimilation = 2;
constexpr int colQa = 3;

// The progress colour of a fit; each pass adds 35 so that consecutive passes differ.
constexpr Colour fitProgressColour = 20000;
constexpr Colour progressColourStep = 35;

constexpr int refinePassLimit = 6;

using W = TfrmAQ_C3_Curve;
using Row = ParameterRow<W>;

// Units as the batch summary writes them.
constexpr std::string_view rateUnit = "umol m-2 s-1";
constexpr std::string_view squaredRateUnit = "(umol m-2 s-1)2";
constexpr std::string_view efficiencyUnit = "mol mol-1";
constexpr std::string_view dimensionless = "dimensionless";

}  // namespace

const std::vector<ParameterRow<TfrmAQ_C3_Curve>>& TfrmAQ_C3_Curve::parameterTable()
{
    // The report prints the light block and the fit parameters each with a width of
    // their own. Clear empties the fit parameters; there is no other reset.
    static const std::vector<Row> table{
        {.name = "LightSat",
         .label = "Light Saturation Point  (umol m-2 s-1)",
         .unit = rateUnit,
         .field = &W::aqNumEdit_LightSatPoint,
         .group = &W::aqGroupBox_Light,
         .caption = &W::aqLabel_LightSatPoint,
         .hint = "Light Saturation Point (1%) umol m-2 s-1",
         .copyName = "Light_Saturation",
         .panelOrder = 5,
         .focusOrder = 1,
         .summaryOrder = 6,
         .reportWidth = 38,
         .resultOnly = true},
        {.name = "LightComp",
         .label = "Light Compensation Point(umol m-2 s-1)",
         .unit = rateUnit,
         .field = &W::aqNumEdit_LightCompPoint,
         .group = &W::aqGroupBox_Light,
         .caption = &W::aqLabel_LightCompPoint,
         .hint = "Light Compensation Point umol m-2 s-1",
         .copyName = "Light_Compensation",
         .panelOrder = 6,
         .focusOrder = 2,
         .summaryOrder = 7,
         .reportWidth = 38,
         .resultOnly = true},
        {.name = "ParAbs",
         .label = "Par Abs",
         .unit = "fraction",
         .field = &W::aqNumEdit_ParAbs,
         .group = &W::aqGroupBox_Light,
         .caption = &W::aqLabel_ParAbs,
         .hint = "Mult by Q obs to compute Qa",
         .copyName = "Par_Abs",
         .panelOrder = 7,
         .focusOrder = 3,
         .summaryOrder = 5,
         .reportWidth = 38},
        {.name = "AQE",
         .label = "AQE",
         .unit = efficiencyUnit,
         .field = &W::aqNumEdit_AQE,
         .flag = &W::aqCheckBox_AQE,
         .flagClick = &W::aqCheckBox_AQEClick,
         .group = &W::aqGroupBox_FitParameters,
         .hint = "Photochemical efficiency at low light levels",
         .reset = "",
         .copyName = "AQE",
         .panelOrder = 1,
         .focusOrder = 4,
         .summaryOrder = 2,
         .resetOrder = 2,
         .reportWidth = 16,
         .reportBlockStart = true},
        {.name = "Amax",
         .label = "Amax",
         .unit = rateUnit,
         .field = &W::aqNumEdit_Amax,
         .flag = &W::aqCheckBox_Amax,
         .flagClick = &W::aqCheckBox_AmaxClick,
         .group = &W::aqGroupBox_FitParameters,
         .hint = "Max Photosynthetic rate (umole m-2 s-1)",
         .reset = "",
         .copyName = "Amax",
         .panelOrder = 4,
         .focusOrder = 7,
         .summaryOrder = 1,
         .resetOrder = 1,
         .reportWidth = 16},
        {.name = "Respiration",
         .label = "Respiration",
         .unit = rateUnit,
         .field = &W::aqNumEdit_A0_Resp,
         .flag = &W::aqCheckBox_A0_Resp,
         .flagClick = &W::aqCheckBox_A0_RespClick,
         .group = &W::aqGroupBox_FitParameters,
         .reset = "",
         .copyName = "Respiration",
         .panelOrder = 3,
         .focusOrder = 6,
         .summaryOrder = 4,
         .resetOrder = 4,
         .reportWidth = 16},
        {.name = "Convexity",
         .label = "Convexity",
         .unit = dimensionless,
         .field = &W::aqNumEdit_Convexity,
         .flag = &W::aqCheckBox_Convexity,
         .flagClick = &W::aqCheckBox_ConvexityClick,
         .group = &W::aqGroupBox_FitParameters,
         .reset = "",
         .copyName = "Convexity",
         .panelOrder = 2,
         .focusOrder = 5,
         .summaryOrder = 3,
         .resetOrder = 3,
         .reportWidth = 16},
    };
    return table;
}

const std::vector<ResultSection<TfrmAQ_C3_Curve>>& TfrmAQ_C3_Curve::standardFitTable()
{
    // On screen each fit is a title with "Std. error" over its column, a row per
    // estimate with its error, SSE beside RMSE, the light compensation point beside the
    // saturation point, and the message line.
    static const std::vector<ResultSection<W>> table{
        {
            .heading = "Least-squares optimum (Calvane model)",
            .summaryPrefix = "optimum",
            .title = &W::aqLabel_StdOptimum,
            .titleRow = 0,
            .rows =
                {
                    {.name = "AQE",
                     .value = &W::aqEdit_StdAQE,
                     .error = &W::aqEdit_StdAQESE,
                     .summary = "AQE",
                     .unit = efficiencyUnit,
                     .captionText = "AQE",
                     .row = 1,
                     .lower = &W::aqEdit_StdAQELower,
                     .upper = &W::aqEdit_StdAQEUpper},
                    {.name = "Amax",
                     .value = &W::aqEdit_StdAmax,
                     .error = &W::aqEdit_StdAmaxSE,
                     .summary = "Amax",
                     .unit = rateUnit,
                     .captionText = "Amax",
                     .row = 2,
                     .lower = &W::aqEdit_StdAmaxLower,
                     .upper = &W::aqEdit_StdAmaxUpper},
                    {.name = "Convexity",
                     .value = &W::aqEdit_StdConvexity,
                     .error = &W::aqEdit_StdConvexitySE,
                     .summary = "Convexity",
                     .unit = dimensionless,
                     .captionText = "Convexity",
                     .row = 3,
                     .lower = &W::aqEdit_StdConvexityLower,
                     .upper = &W::aqEdit_StdConvexityUpper},
                    {.name = "Respiration",
                     .value = &W::aqEdit_StdResp,
                     .error = &W::aqEdit_StdRespSE,
                     .summary = "Respiration",
                     .unit = rateUnit,
                     .captionText = "Respiration",
                     .row = 4,
                     .lower = &W::aqEdit_StdRespLower,
                     .upper = &W::aqEdit_StdRespUpper},
                    {.name = "SSE",
                     .value = &W::aqEdit_StdSSE,
                     .summary = "SSE",
                     .unit = squaredRateUnit,
                     .captionText = "SSE / RMSE",
                     .row = 5},
                    {.name = "RMSE",
                     .value = &W::aqEdit_StdRMSE,
                     .summary = "RMSE",
                     .unit = rateUnit,
                     .row = 5,
                     .column = 2},
                    {.name = "Light Compensation Point",
                     .value = &W::aqEdit_StdLightComp,
                     .summary = "LightComp",
                     .unit = rateUnit,
                     .captionText = "Light comp. / sat.",
                     .row = 6},
                    {.name = "Light Saturation Point",
                     .value = &W::aqEdit_StdLightSat,
                     .summary = "LightSat",
                     .unit = rateUnit,
                     .row = 6,
                     .column = 2},
                },
            .message = &W::aqEdit_StdMessage,
            .messageRow = 7,
        },
        {
            .heading = "Standard fit (non-rectangular hyperbola)",
            .summaryPrefix = "hyperbola",
            .title = &W::aqLabel_StdHyperbola,
            .titleRow = 8,
            .rows =
                {
                    {.name = "Phi",
                     .value = &W::aqEdit_NrhPhi,
                     .error = &W::aqEdit_NrhPhiSE,
                     .summary = "Phi",
                     .unit = efficiencyUnit,
                     .captionText = "Phi",
                     .row = 9,
                     .lower = &W::aqEdit_NrhPhiLower,
                     .upper = &W::aqEdit_NrhPhiUpper},
                    {.name = "Amax",
                     .value = &W::aqEdit_NrhAmax,
                     .error = &W::aqEdit_NrhAmaxSE,
                     .summary = "Amax",
                     .unit = rateUnit,
                     .captionText = "Amax",
                     .row = 10,
                     .lower = &W::aqEdit_NrhAmaxLower,
                     .upper = &W::aqEdit_NrhAmaxUpper},
                    {.name = "Theta",
                     .value = &W::aqEdit_NrhTheta,
                     .error = &W::aqEdit_NrhThetaSE,
                     .summary = "Theta",
                     .unit = dimensionless,
                     .captionText = "Theta",
                     .row = 11,
                     .lower = &W::aqEdit_NrhThetaLower,
                     .upper = &W::aqEdit_NrhThetaUpper},
                    {.name = "Rd",
                     .value = &W::aqEdit_NrhRd,
                     .error = &W::aqEdit_NrhRdSE,
                     .summary = "Rd",
                     .unit = rateUnit,
                     .captionText = "Rd",
                     .row = 12,
                     .lower = &W::aqEdit_NrhRdLower,
                     .upper = &W::aqEdit_NrhRdUpper},
                    {.name = "SSE",
                     .value = &W::aqEdit_NrhSSE,
                     .summary = "SSE",
                     .unit = squaredRateUnit,
                     .captionText = "SSE / RMSE",
                     .row = 13},
                    {.name = "RMSE",
                     .value = &W::aqEdit_NrhRMSE,
                     .summary = "RMSE",
                     .unit = rateUnit,
                     .row = 13,
                     .column = 2},
                    {.name = "Light Compensation Point",
                     .value = &W::aqEdit_NrhLightComp,
                     .summary = "LightComp",
                     .unit = rateUnit,
                     .captionText = "Light comp. / sat.",
                     .row = 14},
                    {.name = "Light Saturation Point",
                     .value = &W::aqEdit_NrhLightSat,
                     .summary = "LightSat",
                     .unit = rateUnit,
                     .row = 14,
                     .column = 2},
                    // The held values, each on a row of its own below the message.
                    {.name = "Hold Phi",
                     .value = &W::aqEdit_NrhHoldPhi,
                     .captionText = "Hold Phi",
                     .row = 16,
                     .setting = true,
                     .flag = &W::aqCheckBox_NrhHoldPhi,
                     .holds = "Phi",
                     .exported = ResultExport::Never},
                    {.name = "Hold Amax",
                     .value = &W::aqEdit_NrhHoldAmax,
                     .captionText = "Hold Amax",
                     .row = 17,
                     .setting = true,
                     .flag = &W::aqCheckBox_NrhHoldAmax,
                     .holds = "Amax",
                     .exported = ResultExport::Never},
                    {.name = "Hold Theta",
                     .value = &W::aqEdit_NrhHoldTheta,
                     .captionText = "Hold Theta",
                     .row = 18,
                     .setting = true,
                     .flag = &W::aqCheckBox_NrhHoldTheta,
                     .holds = "Theta",
                     .exported = ResultExport::Never},
                    {.name = "Hold Rd",
                     .value = &W::aqEdit_NrhHoldRd,
                     .captionText = "Hold Rd",
                     .row = 19,
                     .setting = true,
                     .flag = &W::aqCheckBox_NrhHoldRd,
                     .holds = "Rd",
                     .exported = ResultExport::Never},
                },
            .message = &W::aqEdit_NrhMessage,
            .messageRow = 15,
        },
    };
    return table;
}

TfrmAQ_C3_Curve::TfrmAQ_C3_Curve(Platform& platform, ImportSettings& importSettings)
    : frmParseVerdex(platform, importSettings), platform_(platform)
{
    const char* headers[] = {"No.", "Q Obs", "A Assimiliation", "Qa"};
    const int widths[] = {20, 62, 70, 70};
    for (int col = 0; col < 4; ++col) {
        aqSpreadSheetData.setCell(col, 0, headers[col]);
        aqSpreadSheetData.setColWidth(col, widths[col]);
    }

    aqEdit_Status.setBackground(colours::faceColour);
    aqNumEdit_ParAbs.setBackground(colours::aqua);

    aqProgressBar3D.setMaximum(20);
    aqProgressBar3D.setPosition(0);

    SaveDialog.options.filter = "Text files (*.txt)|*.txt|All Files |*.*";
    SaveDialog.options.defaultExtension = "txt";
    SaveDialog.options.initialName = "AQResults";

    for (const Row& row : parameterTable()) {
        if (!row.hint.empty())
            (this->*row.field).setHint(std::string(row.hint));
        if (row.flag)
            connectFlag(*this, row);
    }
    aqEdit_Identifier.textChanged.connect([this] { aqEdit_IdentifierChange(); });

    for (TextField* field : resultFields(*this, standardFitTable()))
        field->readOnly = true;
    aqCheckBox_StdShowOptimum.setChecked(true);
    aqCheckBox_StdShowHyperbola.setChecked(true);
    kokSetUp();
    aqLabel_OwnRMSE.hint = "How far the observed points lie from the curve of the parameter fields";
    showOwnCurveRmse();

    staleResults.changed.connect([this] { runChecks(); });
    staleResults.dataChanged.connect([this] {
        clearStandardFit();
        kok_.reset();
        showKok();
        showOwnCurveRmse();
    });
    Series_Excluded.hollow = true;
    aqSpreadSheetData.rowInserted.connect(
        [this](int at) { moveRows([at](int row) { return rowAfterInsert(row, at); }); });
    aqSpreadSheetData.rowDeleted.connect(
        [this](int at) { moveRows([at](int row) { return rowAfterDelete(row, at); }); });
}

char TfrmAQ_C3_Curve::separator() const { return platform_.decimalSeparator(); }

std::string TfrmAQ_C3_Curve::format(long double value) const { return formatNumber(value, separator()); }

// --- Fields and fixed flags ---------------------------------------------------------------

double TfrmAQ_C3_Curve::numEditValue(const TextField& field) const { return readNumberOr0(field.text(), separator()); }

void TfrmAQ_C3_Curve::setNumEditState(TextField& field, const CheckBox& flag)
{
    field.setBackground(fixedFieldBackground(flag));
}

void TfrmAQ_C3_Curve::checkIndicator(const CheckBox& flag, std::string& text) const { text = fixedStateWord(flag); }

void TfrmAQ_C3_Curve::aqCheckBox_AQEClick() { setNumEditState(aqNumEdit_AQE, aqCheckBox_AQE); }

void TfrmAQ_C3_Curve::aqCheckBox_ConvexityClick() { setNumEditState(aqNumEdit_Convexity, aqCheckBox_Convexity); }

void TfrmAQ_C3_Curve::aqCheckBox_A0_RespClick() { setNumEditState(aqNumEdit_A0_Resp, aqCheckBox_A0_Resp); }

void TfrmAQ_C3_Curve::aqCheckBox_AmaxClick() { setNumEditState(aqNumEdit_Amax, aqCheckBox_Amax); }

void TfrmAQ_C3_Curve::aqEdit_IdentifierChange()
{
    aqChart_LightResponseCurve.setSingleLine("Light Response Curve for: " + aqEdit_Identifier.text());
}

// --- Observed points, model, fit -----------------------------------------------------------

void TfrmAQ_C3_Curve::Load_LightResp_Series()
{
    double parAbs = numEditValue(aqNumEdit_ParAbs);
    if (parAbs < 0.01)
        parAbs = 0.85;
    aqNumEdit_ParAbs.setText(format(parAbs));

    Series_LightAssim.clear();
    seriesRows_.clear();
    const char sep = separator();
    for (int row = aqSpreadSheetData.rowCount() - 1; row >= 1; --row) {
        const double q = readNumberOr0(aqSpreadSheetData.cell(colQObs, row), sep);
        const double qa = checked::mul(parAbs, q);
        aqSpreadSheetData.setCell(colQa, row, format(qa));
        const std::string& assimilation = aqSpreadSheetData.cell(colAssimilation, row);
        if (assimilation.empty())
            continue;
        const double a = readNumberOr0(assimilation, sep);
        if (qa > 0 || a != 0) {
            Series_LightAssim.add(qa, a);
            seriesRows_.push_back(row);
        }
    }
    loadExcludedSeries();
}

std::vector<int> TfrmAQ_C3_Curve::pointRows() const
{
    // As Load_LightResp_Series keeps them: Par Abs is positive, so Qa > 0 wherever Q Obs is.
    std::vector<int> rows;
    for (int row = 1; row < aqSpreadSheetData.rowCount(); ++row) {
        if (rowHasPoint(row))
            rows.push_back(row);
    }
    return rows;
}

bool TfrmAQ_C3_Curve::rowHasPoint(int row) const
{
    const char sep = separator();
    const std::string& assimilation = aqSpreadSheetData.cell(colAssimilation, row);
    if (row < 1 || assimilation.empty())
        return false;
    return readNumberOr0(aqSpreadSheetData.cell(colQObs, row), sep) > 0 || readNumberOr0(assimilation, sep) != 0;
}

void TfrmAQ_C3_Curve::toggleStandardFitExclusion(int gridRow)
{
    if (!excludedRows_.erase(gridRow))
        excludedRows_.insert(gridRow);
    exclusionsChanged();
}

int TfrmAQ_C3_Curve::measuredPointRow(int index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < seriesRows_.size()
               ? seriesRows_[static_cast<std::size_t>(index)]
               : 0;
}

void TfrmAQ_C3_Curve::aqPopupExcludeClick()
{
    const int row = aqSpreadSheetData.pressedRow;
    if (rowHasPoint(row))
        toggleStandardFitExclusion(row);
}

void TfrmAQ_C3_Curve::exclusionsChanged()
{
    // The standard fits described the points they used; the window's own results stay.
    clearStandardFit();
    loadExcludedSeries();
    showExcludeItem();
    showOwnCurveRmse();
}

bool TfrmAQ_C3_Curve::excludedPoint(std::size_t index) const
{
    return index < seriesRows_.size() && excludedRows_.count(seriesRows_[index]) > 0;
}

void TfrmAQ_C3_Curve::forgetExclusions()
{
    if (excludedRows_.empty())
        return;
    excludedRows_.clear();
    exclusionsChanged();
}

void TfrmAQ_C3_Curve::moveRows(const std::function<int(int)>& where)
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

void TfrmAQ_C3_Curve::loadExcludedSeries()
{
    Series_Excluded.clear();
    for (std::size_t i = 0; i < Series_LightAssim.points().size(); ++i) {
        if (excludedPoint(i)) {
            const auto& [qa, a] = Series_LightAssim.points()[i];
            Series_Excluded.add(qa, a);
        }
    }
}

void TfrmAQ_C3_Curve::showExcludeItem()
{
    const int row = aqSpreadSheetData.pressedRow;
    aqPopupExclude.set(excludedRows_.count(row) ? "Include Point" : "Exclude Point", rowHasPoint(row));
}

long double TfrmAQ_C3_Curve::respCurve(long double x, long double Amax, long double AQE, long double Convexity,
                                       long double A0)
{
    return lightResponse(x, Amax, AQE, Convexity, A0);
}

void TfrmAQ_C3_Curve::writeParameters(const AqParameters& p)
{
    aqNumEdit_Amax.setText(format(p.Amax));
    aqNumEdit_AQE.setText(format(p.AQE));
    aqNumEdit_Convexity.setText(format(p.Convexity));
    aqNumEdit_A0_Resp.setText(format(p.A0));
}

bool TfrmAQ_C3_Curve::FitCurve()
{
    Load_LightResp_Series();
    refuseTooFewPoints();

    // Only an exactly empty text over a free parameter gets a starting value; a fixed
    // empty field stays empty and so holds the parameter at 0.
    const double largestY = Series_LightAssim.maxY();
    if (aqNumEdit_Amax.text().empty() && !aqCheckBox_Amax.checked())
        aqNumEdit_Amax.setText(format(largestY));
    if (aqNumEdit_AQE.text().empty() && !aqCheckBox_AQE.checked())
        aqNumEdit_AQE.setText("0.0");
    if (aqNumEdit_Convexity.text().empty() && !aqCheckBox_Convexity.checked())
        aqNumEdit_Convexity.setText("3.0");
    if (aqNumEdit_A0_Resp.text().empty() && !aqCheckBox_A0_Resp.checked())
        aqNumEdit_A0_Resp.setText("0.0");

    AqSearchInput input;
    input.points = Series_LightAssim.points();
    input.largestY = largestY;
    input.base.Amax = numEditValue(aqNumEdit_Amax);
    input.base.AQE = numEditValue(aqNumEdit_AQE);
    input.base.Convexity = numEditValue(aqNumEdit_Convexity);
    input.base.A0 = numEditValue(aqNumEdit_A0_Resp);
    input.fixed.Amax = aqCheckBox_Amax.checked();
    input.fixed.AQE = aqCheckBox_AQE.checked();
    input.fixed.Convexity = aqCheckBox_Convexity.checked();
    input.fixed.A0 = aqCheckBox_A0_Resp.checked();
    input.threads = searchThreads;

    aqProgressBar3D.setPosition(0);
    aqProgressBar3D.setMaximum(amaxLastPass(input.fixed.Amax));
    aqProgressBar3D.setColour(aqProgressBar3D.colour() + progressColourStep);

    bool lightPointsWritten = false;
    try {
        // The search works on its own copies; the fields, the bar and the repaints are
        // the window's, so they are handed back to the user-interface thread.
        platform_.runLongTask([&](const Platform::UiPost& post) {
            AqSearchObserver observer;
            observer.progress = [&](int k) {
                post([this, k] {
                    aqProgressBar3D.setPosition(k);
                    platform_.repaint();
                });
            };
            observer.improved = [&](const AqParameters& best, long double) {
                post([this, best] { writeParameters(best); });
            };
            observer.cancelled = [this] { return platform_.cancelRequested(); };
            searchLightResponsePass(input, observer);
        });
        lightPointsWritten = Load_ComputedA_Series();
    } catch (...) {
        // The fields keep what the pass wrote; only the bar must not stay mid-way.
        aqProgressBar3D.setPosition(0);
        throw;
    }
    aqProgressBar3D.setPosition(0);
    return lightPointsWritten;
}

void TfrmAQ_C3_Curve::refuseTooFewPoints() const
{
    const int points = Series_LightAssim.count();
    int free = 0;
    for (const CheckBox* flag : {&aqCheckBox_Amax, &aqCheckBox_AQE, &aqCheckBox_Convexity, &aqCheckBox_A0_Resp})
        free += flag->checked() ? 0 : 1;
    if (points == 0)
        throw FitError("Cannot fit the light response: no measured points");
    if (points < free)
        throw FitError("Cannot fit the light response: " + std::to_string(points) +
                       (points == 1 ? " point" : " points") + " for " + std::to_string(free) + " free parameters");
}

void TfrmAQ_C3_Curve::RefineCurve()
{
    for (int pass = 0; pass < refinePassLimit; ++pass) {
        const double previous = numEditValue(aqNumEdit_LightSatPoint);
        if (!FitCurve())
            return;
        const double current = numEditValue(aqNumEdit_LightSatPoint);
        if (0.005L * current > std::fabs(static_cast<long double>(current) - previous))
            return;
        platform_.repaint();
    }
}

bool TfrmAQ_C3_Curve::Load_ComputedA_Series()
{
    Series_ComputedA.clear();
    AqParameters p;
    p.Amax = numEditValue(aqNumEdit_Amax);
    p.AQE = numEditValue(aqNumEdit_AQE);
    p.Convexity = numEditValue(aqNumEdit_Convexity);
    p.A0 = numEditValue(aqNumEdit_A0_Resp);

    const char sep = separator();
    double largestQObs = 0;
    for (int row = aqSpreadSheetData.rowCount() - 1; row >= 1; --row) {
        const double q = readNumberOr0(aqSpreadSheetData.cell(colQObs, row), sep);
        if (q > largestQObs)
            largestQObs = q;
    }

    AqPoints drawn;
    const auto lightPoints = sweepLightResponse(largestQObs, p, drawn);
    if (!lightPoints)
        return false;
    for (const auto& [x, y] : drawn)
        Series_ComputedA.add(x, y);
    aqNumEdit_LightCompPoint.setText(format(lightPoints->compensation));
    aqNumEdit_LightSatPoint.setText(format(lightPoints->saturation));
    aqNumEdit_LightSatPoint.setHint("Light Saturation Point (slope < " + format(saturationSlope) + ")");
    return true;
}

void TfrmAQ_C3_Curve::setRespiration()
{
    const char sep = separator();
    for (int row = aqSpreadSheetData.rowCount() - 1; row >= 1; --row) {
        const double q = readNumber(aqSpreadSheetData.cell(colQObs, row), sep).value_or(9999);
        if (q < 0.01) {
            const double a = readNumberOr0(aqSpreadSheetData.cell(colAssimilation, row), sep);
            aqNumEdit_A0_Resp.setText(format(a));
            aqCheckBox_A0_Resp.setChecked(true);
            return;
        }
    }
}

// --- Commands -------------------------------------------------------------------------------

void TfrmAQ_C3_Curve::aqMnuResultsPlotDataClick() { Load_LightResp_Series(); }

namespace {

// Runs a fit command; when the user stops it, puts the fields and the computed curve
// back as they stood before it and lets Cancelled go on.
template <typename Command>
void undoneWhenCancelled(TfrmAQ_C3_Curve& w, const Command& command)
{
    std::vector<std::pair<TextField*, std::string>> texts;
    for (const auto& row : TfrmAQ_C3_Curve::parameterTable())
        texts.emplace_back(&(w.*row.field), (w.*row.field).text());
    const std::string saturationHint = w.aqNumEdit_LightSatPoint.hint();
    const auto computed = w.Series_ComputedA.points();
    try {
        command();
    } catch (const Cancelled&) {
        for (const auto& [field, text] : texts)
            field->setText(text);
        w.aqNumEdit_LightSatPoint.setHint(saturationHint);
        w.Series_ComputedA.clear();
        for (const auto& [x, y] : computed)
            w.Series_ComputedA.add(x, y);
        throw;
    }
}

}  // namespace

void TfrmAQ_C3_Curve::aqMnuResultsFitCurveClick()
{
    aqProgressBar3D.setColour(fitProgressColour);
    undoneWhenCancelled(*this, [this] { FitCurve(); });
    resultsComputed();
}

void TfrmAQ_C3_Curve::aqMnuResultsRefineCurveClick()
{
    aqProgressBar3D.setColour(fitProgressColour);
    undoneWhenCancelled(*this, [this] { RefineCurve(); });
    resultsComputed();
}

void TfrmAQ_C3_Curve::resultsComputed()
{
    staleResults.markComputed();
    showOwnCurveRmse();
}

void TfrmAQ_C3_Curve::aqMnuFileClearClick()
{
    for (int row = 1; row < aqSpreadSheetData.rowCount(); ++row)
        for (int col = colQObs; col <= colQa; ++col)
            aqSpreadSheetData.setCell(col, row, "");
    for (const Row* row : inOrder(parameterTable(), &Row::resetOrder))
        (this->*row->field).setText(row->reset);
    Series_LightAssim.clear();
    seriesRows_.clear();
    Series_ComputedA.clear();
    // The standard fits described the data just removed.
    stdOptimum_.reset();
    stdHyperbola_.reset();
    excludedRows_.clear();
    standardFitExcluded_.clear();
    loadExcludedSeries();
    showStandardFit();
    Load_StandardFit_Series();
    kok_.reset();
    showKok();
    staleResults.forget();
    showOwnCurveRmse();
}

void TfrmAQ_C3_Curve::aqMnuFileExitClick() { setVisible(false); }

void TfrmAQ_C3_Curve::aqMnuFileExportClick()
{
    if (!confirmOutOfDate(platform_, staleResults))
        return;
    runExportCommand(platform_, SaveDialog, aqEdit_Identifier.text(), [this] { return exportLines(); });
}

std::vector<std::string> TfrmAQ_C3_Curve::exportLines() const
{
    std::vector<std::string> lines{"AQ Light Response Curve for: " + aqEdit_Identifier.text()};
    // Unlike the A/Ci file, no space between the comma and the state word.
    appendParameterExportLines(*this, lines, ",");
    lines.push_back(" ");
    for (int row = 0; row < aqSpreadSheetData.rowCount(); ++row) {
        lines.push_back("  " + aqSpreadSheetData.cell(colQObs, row) + ", " +
                        aqSpreadSheetData.cell(colAssimilation, row) + ", " + aqSpreadSheetData.cell(colQa, row));
    }
    if (aqMnuFileExportStandardFit.checked()) {
        const auto section = standardFitExportLines();
        lines.insert(lines.end(), section.begin(), section.end());
        const auto kok = kokExportLines();
        lines.insert(lines.end(), kok.begin(), kok.end());
    }
    return lines;
}

void TfrmAQ_C3_Curve::aqMnuFileImportCSVClick()
{
    // A file taken forgets the exclusions, also when its load then complains of rows
    // that are not numbers.
    try {
        if (!importCsvText(platform_, aqSpreadSheetData, aqEdit_Status))
            return;
    } catch (const DataError&) {
        forgetExclusions();
        throw;
    }
    forgetExclusions();
}

void TfrmAQ_C3_Curve::aqMnuFileImportVerdexClick()
{
    frmParseVerdex.SetImportType(ImportKind::LightResponse);
    platform_.runImportDialog(frmParseVerdex);
    const std::string data = frmParseVerdex.GetData();
    // A curve came in (a cancelled dialog hands back nothing): the exclusions were the old one's.
    if (!trimView(data).empty())
        forgetExclusions();
    StringPaste(data);
    aqEdit_Status.setText(frmParseVerdex.GetFileName());
    setRespiration();
}

void TfrmAQ_C3_Curve::KipFormDropFilesDropFiles(const std::vector<DroppedItem>& items)
{
    // Rows that are not numbers are a message once the drop has done all it does.
    std::optional<DataError> complaint;
    try {
        if (!loadDroppedCsv(platform_, aqSpreadSheetData, aqEdit_Status, items))
            return;
    } catch (const DataError& error) {
        complaint = error;
    }
    forgetExclusions();
    // The Qa column must exist for the fit to write into it.
    if (aqSpreadSheetData.colCount() < 4)
        aqSpreadSheetData.setColCount(aqSpreadSheetData.colCount() + 1);
    setRespiration();
    if (complaint)
        throw *complaint;
}

void TfrmAQ_C3_Curve::StringPaste(std::string_view text) { pasteIntoGrid(aqSpreadSheetData, text, separator()); }

void TfrmAQ_C3_Curve::aqClipboardPasteClick()
{
    // A paste writes a curve from row 1 on: the points left out were the old curve's.
    const std::string text = platform_.clipboardText();
    if (!trimView(text).empty())
        forgetExclusions();
    StringPaste(text);
    setRespiration();
}

void TfrmAQ_C3_Curve::aqSpreadSheetDataKeyUp() { setRespiration(); }

// --- Printing -------------------------------------------------------------------------------

void TfrmAQ_C3_Curve::aqMnuFilePrintClick()
{
    if (!confirmOutOfDate(platform_, staleResults) || !platform_.showPrintDialog())
        return;
    platform_.printChartAndReport(aqChart_LightResponseCurve, aqRichEdit,
                                  "AQ Curve Analysis for: " + aqEdit_Identifier.text(), reportLines());
}

std::vector<std::string> TfrmAQ_C3_Curve::reportLines() const
{
    std::vector<std::string> lines{"  AQ (Light Response) Curve Analysis for: " + aqEdit_Identifier.text(), " ",
                                   "  Parameters: "};
    // Two spaces before the state word, one in the A/Ci report.
    appendParameterReportLines(*this, lines, "  ");
    lines.insert(lines.end(), {" ", " "});
    const Grid& grid = aqSpreadSheetData;
    for (int row = 0; row < grid.rowCount(); ++row) {
        lines.push_back("  " + grid.cell(colQObs, row) + "   \t" + grid.cell(colAssimilation, row) + "   \t" +
                        grid.cell(colQa, row));
    }
    if (aqMnuFileExportStandardFit.checked()) {
        // Each fit's section lists the points it left out, while it stands.
        const std::vector<std::pair<double, double>> none;
        const auto& sections = standardFitTable();
        for (const auto& [section, fitted] :
             {std::pair{&sections[0], stdOptimum_.has_value()}, std::pair{&sections[1], stdHyperbola_.has_value()}}) {
            const auto part = resultReportLines(*this, *section, fitted ? standardFitExcluded_ : none);
            lines.insert(lines.end(), part.begin(), part.end());
        }
    }
    return lines;
}

// --- Clipboard ------------------------------------------------------------------------------

void TfrmAQ_C3_Curve::aqSpreadSheetDataMouseDown(MouseButton button, int x, int y)
{
    if (button != MouseButton::Right)
        return;
    showExcludeItem();
    // 40 pixels down for the window's title bar.
    platform_.openPopupMenu(aqPopupMenu, Left + aqSpreadSheetData.left + x, Top + aqSpreadSheetData.top + y + 40);
}

void TfrmAQ_C3_Curve::aqClipboardCopyClick()
{
    // Column 0 holds only the row numbers the grid draws.
    platform_.setClipboardText(gridRowsText(aqSpreadSheetData, colQObs));
}

TextField* TfrmAQ_C3_Curve::focusedParameterField() { return focusedField(*this, platform_); }

void TfrmAQ_C3_Curve::aqPopupCopyClick()
{
    const TextField* field = focusedParameterField();
    platform_.setClipboardText(field ? field->text() : std::string());
}

void TfrmAQ_C3_Curve::aqPopupCopyAllClick()
{
    // Unlike the A/Ci table, no line break after the last line.
    std::string text;
    for (const auto& [name, value] : copyAllRows(*this, aqEdit_Identifier)) {
        if (!text.empty())
            text += "\r\n";
        text += name + "\t" + value;
    }
    platform_.setClipboardText(text);
}

void TfrmAQ_C3_Curve::aqPopUpPasteClick()
{
    const std::string value = fieldPasteValue(platform_.clipboardText());
    if (TextField* field = focusedParameterField())
        field->setText(value);
}

// --- The standard fits -----------------------------------------------------------------------

void TfrmAQ_C3_Curve::aqMnuResultsStandardFitClick()
{
    aqMnuFileExportStandardFit.setChecked(true);
    runStandardFit();
}

void TfrmAQ_C3_Curve::clearStandardFit()
{
    if (!stdOptimum_ && !stdHyperbola_)
        return;
    stdOptimum_.reset();
    stdHyperbola_.reset();
    showStandardFit();
    Load_StandardFit_Series();
}

void TfrmAQ_C3_Curve::showOwnCurveRmse()
{
    ownCurveRmse_.reset();
    // Over the points the standard fits use: the measured ones less those left out.
    int points = 0;
    for (std::size_t i = 0; i < Series_LightAssim.points().size(); ++i)
        points += excludedPoint(i) ? 0 : 1;
    if (staleResults.current() && points > 0) {
        // The curve as the chart draws it, from the fields as they stand.
        const long double amax = numEditValue(aqNumEdit_Amax), aqe = numEditValue(aqNumEdit_AQE),
                          convexity = numEditValue(aqNumEdit_Convexity), a0 = numEditValue(aqNumEdit_A0_Resp);
        long double sse = 0;
        for (std::size_t i = 0; i < Series_LightAssim.points().size(); ++i) {
            if (excludedPoint(i))
                continue;
            const auto& [qa, a] = Series_LightAssim.points()[i];
            const long double residual = a - lightResponse(qa, amax, aqe, convexity, a0);
            sse += residual * residual;
        }
        ownCurveRmse_ = static_cast<double>(std::sqrt(sse / points));
    }
    aqLabel_OwnRMSE.setVisible(ownCurveRmse_.has_value());
    aqLabel_OwnRMSE.setCaption(ownCurveRmse_ ? ownCurveNote(*ownCurveRmse_, points, points) : "");
}

double TfrmAQ_C3_Curve::largestQObs() const
{
    const char sep = separator();
    double largest = 0;
    for (int row = aqSpreadSheetData.rowCount() - 1; row >= 1; --row)
        largest = std::max(largest, readNumberOr0(aqSpreadSheetData.cell(colQObs, row), sep));
    return largest;
}

void TfrmAQ_C3_Curve::runStandardFit()
{
    Load_LightResp_Series();
    staleResults.markRead();
    // The points the user left out go to neither fit; bottom-up, as the series holds them.
    std::vector<std::pair<double, double>> points, excluded;
    const auto all = Series_LightAssim.points();
    for (std::size_t i = 0; i < all.size(); ++i)
        (excludedRows_.count(seriesRows_[i]) ? excluded : points).push_back(all[i]);
    std::reverse(excluded.begin(), excluded.end());  // top to bottom
    AqHyperbolaSettings held;
    std::string heldProblem;
    for (const auto& row : standardFitTable()[1].rows) {
        if (row.holds.empty() || !(this->*row.flag).checked())
            continue;
        const std::string& text = (this->*row.value).text();
        const auto value = readNumber(text, separator());
        if (!value) {
            heldProblem = "Cannot fit: the value to hold " + std::string(row.holds) + " at, \"" + text +
                          "\", is not a number";
            break;
        }
        (row.holds == "Phi"     ? held.phi
         : row.holds == "Amax"  ? held.amax
         : row.holds == "Theta" ? held.theta
                                : held.rd) = *value;
    }
    AqCalvaneStart start;
    start.aqe = numEditValue(aqNumEdit_AQE);
    start.amax = numEditValue(aqNumEdit_Amax);
    start.convexity = numEditValue(aqNumEdit_Convexity);
    start.a0 = numEditValue(aqNumEdit_A0_Resp);
    start.aqeFixed = aqCheckBox_AQE.checked();
    start.amaxFixed = aqCheckBox_Amax.checked();
    start.convexityFixed = aqCheckBox_Convexity.checked();
    start.a0Fixed = aqCheckBox_A0_Resp.checked();
    // Off the user-interface thread, so that the user can stop it; the window's own
    // results change only once both fits have finished.
    std::optional<AqCalvaneOptimum> optimum;
    std::optional<AqHyperbolaFit> hyperbola;
    platform_.runLongTask([&](const Platform::UiPost&) {
        const FitCancelScope stop([this] { return platform_.cancelRequested(); });
        optimum = fitAqCalvaneOptimum(points, start);
        if (!heldProblem.empty()) {
            hyperbola = AqHyperbolaFit{};
            hyperbola->message = heldProblem;
        } else if (!fitCancelRequested()) {
            hyperbola = fitAqHyperbola(points, held);
        }
        if (fitCancelRequested())
            throw Cancelled();
    });
    stdOptimum_ = std::move(optimum);
    stdHyperbola_ = std::move(hyperbola);
    standardFitExcluded_ = std::move(excluded);
    showStandardFit();
    Load_StandardFit_Series();
    // Both fits have shown what they could; one that refused the curve is a failure.
    std::string refused;
    if (!stdOptimum_->fitted)
        refused = "Least-squares optimum: " + stdOptimum_->message;
    if (!stdHyperbola_->fitted)
        refused += (refused.empty() ? "" : "; ") + std::string("Non-rectangular hyperbola: ") + stdHyperbola_->message;
    if (!refused.empty())
        throw FitError(refused);
}

void TfrmAQ_C3_Curve::Load_StandardFit_Series()
{
    Series_StdOptimum.clear();
    Series_StdHyperbola.clear();
    stdOptimumLight_.reset();
    stdHyperbolaSaturation_.reset();
    const double sweepTo = largestQObs();
    if (stdOptimum_ && stdOptimum_->fitted) {
        const AqCalvaneOptimum& f = *stdOptimum_;
        AqPoints drawn;
        // The light points by the window's own sweep over the window's own model.
        const AqParameters p{f.amax.value, f.aqe.value, f.convexity.value, f.a0.value};
        stdOptimumLight_ = sweepLightResponse(sweepTo, p, drawn);
        for (const auto& [x, y] : drawn)
            Series_StdOptimum.add(x, y);
    }
    if (stdHyperbola_ && stdHyperbola_->fitted) {
        const AqHyperbolaFit& f = *stdHyperbola_;
        stdHyperbolaSaturation_ = hyperbolaSaturationPoint(f, sweepTo);
        if (sweepTo > 0) {
            const double h = sweepTo / 500;
            for (int i = 0; i < 500; ++i) {
                const double a = aqHyperbolaResponse(i * h, f.phi.value, f.amax.value, f.theta.value, f.rd.value);
                if (std::isfinite(a))
                    Series_StdHyperbola.add(i * h, a);
            }
        }
    }
    // The light points come from the sweep, so the group is written once they are known.
    auto text = [this](std::optional<long double> v) { return v ? format(*v) : std::string(); };
    aqEdit_StdLightComp.setText(stdOptimumLight_ ? text(stdOptimumLight_->compensation) : "");
    aqEdit_StdLightSat.setText(stdOptimumLight_ ? text(stdOptimumLight_->saturation) : "");
    aqEdit_NrhLightComp.setText(stdHyperbola_ && stdHyperbola_->fitted && stdHyperbola_->lightCompensation
                                    ? text(*stdHyperbola_->lightCompensation)
                                    : "");
    aqEdit_NrhLightSat.setText(stdHyperbolaSaturation_ ? text(*stdHyperbolaSaturation_) : "");
}

void TfrmAQ_C3_Curve::showStandardFit()
{
    for (TextField* field : resultFields(*this, standardFitTable()))
        field->setText("");
    auto text = [this](double v) { return format(v); };
    auto estimate = [&](const AqFitEstimate& e, TextField& value, TextField& error) {
        value.setText(text(e.value));
        // A fixed parameter has no standard error; an undetermined one neither. The
        // hyperbola's own settings hold its estimates.
        const bool hyperbola = &error == &aqEdit_NrhPhiSE || &error == &aqEdit_NrhAmaxSE ||
                               &error == &aqEdit_NrhThetaSE || &error == &aqEdit_NrhRdSE;
        error.setText(e.fixed ? (hyperbola ? "held" : "fixed") : e.standardError ? text(*e.standardError) : "");
        // The interval's ends sit beside the error, in the table's order.
        TextField W::*lower = nullptr;
        TextField W::*upper = nullptr;
        for (const auto& section : standardFitTable()) {
            for (const auto& row : section.rows) {
                if (&(this->*row.value) == &value) {
                    lower = row.lower;
                    upper = row.upper;
                }
            }
        }
        auto end = [&](const std::optional<double>& v) { return v ? text(*v) : std::string(); };
        if (lower && upper && e.interval) {
            (this->*lower).setText(end(e.interval->lower));
            (this->*upper).setText(end(e.interval->upper));
        }
    };
    if (stdOptimum_) {
        const AqCalvaneOptimum& f = *stdOptimum_;
        aqEdit_StdMessage.setText(f.message);
        if (f.fitted) {
            estimate(f.aqe, aqEdit_StdAQE, aqEdit_StdAQESE);
            estimate(f.amax, aqEdit_StdAmax, aqEdit_StdAmaxSE);
            estimate(f.convexity, aqEdit_StdConvexity, aqEdit_StdConvexitySE);
            estimate(f.a0, aqEdit_StdResp, aqEdit_StdRespSE);
            aqEdit_StdSSE.setText(text(f.sse));
            aqEdit_StdRMSE.setText(text(f.rmse));
        }
    }
    if (stdHyperbola_) {
        const AqHyperbolaFit& f = *stdHyperbola_;
        aqEdit_NrhMessage.setText(f.message);
        if (f.fitted) {
            estimate(f.phi, aqEdit_NrhPhi, aqEdit_NrhPhiSE);
            estimate(f.amax, aqEdit_NrhAmax, aqEdit_NrhAmaxSE);
            estimate(f.theta, aqEdit_NrhTheta, aqEdit_NrhThetaSE);
            estimate(f.rd, aqEdit_NrhRd, aqEdit_NrhRdSE);
            aqEdit_NrhSSE.setText(text(f.sse));
            aqEdit_NrhRMSE.setText(text(f.rmse));
        }
    }
}

void TfrmAQ_C3_Curve::aqButton_StdUseOptimumClick()
{
    if (!stdOptimum_ || !stdOptimum_->fitted)
        return;
    const AqCalvaneOptimum& f = *stdOptimum_;
    writeParameters({f.amax.value, f.aqe.value, f.convexity.value, f.a0.value});
    Load_ComputedA_Series();
    // The optimum was fitted to the data as they stand: a change clears it.
    resultsComputed();
}

std::vector<std::string> TfrmAQ_C3_Curve::standardFitExportLines() const
{
    // A fit that failed, or whose optimum is ill-defined, says so after its values.
    auto section = [this](std::vector<std::string>& lines, const ResultSection<W>& rows, const auto& fit) {
        const auto part = resultExportLines(*this, rows);
        lines.insert(lines.end(), part.begin(), part.end());
        if (fit) {
            for (const auto& [qa, a] : standardFitExcluded_)
                lines.push_back("Excluded point, " + format(qa) + ", " + format(a));
        }
        if (fit && (!fit->fitted || !fit->wellDefined))
            lines.push_back(fit->message);
    };
    const auto& sections = standardFitTable();
    std::vector<std::string> lines;
    section(lines, sections[0], stdOptimum_);
    section(lines, sections[1], stdHyperbola_);
    return lines;
}

// --- About and showing ----------------------------------------------------------------------

void TfrmAQ_C3_Curve::aqMnuAboutClick() { dlgAbout.Display(AboutModule::LightResponse); }

void TfrmAQ_C3_Curve::Show() { setVisible(true); }

void TfrmAQ_C3_Curve::setVisible(bool shown)
{
    if (visible == shown)
        return;
    visible = shown;
    visibilityChanged.notify();
}

void TfrmAQ_C3_Curve::runChecks()
{
    auto found = aqPlausibilityChecks(*this);
    noteOutOfDate(staleResults, found);
    checks.set(std::move(found));
}

}  // namespace calvane

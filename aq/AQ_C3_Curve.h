#pragma once
// TfrmAQ_C3_Curve: the light-response window as state and commands, without widgets.
// Its controls are public members that the view binds to; its commands read the
// fields afresh, write their results back as text, and let the errors they do not
// absorb propagate to the application's general error display.

#include "aq/LightResponseModel.h"
#include "core/About.h"
#include "core/Checks.h"
#include "core/Colour.h"
#include "core/Controls.h"
#include "core/ExportFile.h"
#include "core/FieldTable.h"
#include "core/Grid.h"
#include "core/Platform.h"
#include "core/PointSeries.h"
#include "core/StaleResults.h"
#include "fit/AqStandardFit.h"
#include "fit/KokRespiration.h"
#include "import/ParseVerdex.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace calvane {

class TfrmAQ_C3_Curve {
public:
    TfrmAQ_C3_Curve(Platform& platform, ImportSettings& importSettings);
    // The controls' signals are connected to this object's handlers.
    TfrmAQ_C3_Curve(const TfrmAQ_C3_Curve&) = delete;
    TfrmAQ_C3_Curve& operator=(const TfrmAQ_C3_Curve&) = delete;

    // --- The fields described once -------------------------------------------------
    // The light points, Par Abs and the fit parameters, in the order of the export and
    // the report, with the batch name, label, unit, field and fixed flag of each and
    // where every output lists it.
    static const std::vector<ParameterRow<TfrmAQ_C3_Curve>>& parameterTable();
    // The "Standard fit" group: the least-squares optimum's results, then the
    // non-rectangular hyperbola's.
    static const std::vector<ResultSection<TfrmAQ_C3_Curve>>& standardFitTable();

    // --- Fields and fixed flags ------------------------------------------------------
    // The field's number; 0 for an empty or non-numeric text.
    double numEditValue(const TextField& field) const;
    void setNumEditState(TextField& field, const CheckBox& flag);
    void checkIndicator(const CheckBox& flag, std::string& text) const;
    void aqCheckBox_AQEClick();
    void aqCheckBox_ConvexityClick();
    void aqCheckBox_A0_RespClick();
    void aqCheckBox_AmaxClick();
    void aqEdit_IdentifierChange();

    // --- Observed points, model, fit -------------------------------------------------
    // Rebuilds the observed point set and the Qa column from the grid and Par Abs.
    void Load_LightResp_Series();
    static long double respCurve(long double x, long double Amax, long double AQE, long double Convexity,
                                 long double A0);
    // One pass of the grid search, then the computed curve. False when no data row has a
    // positive Q Obs, so the light points could not be computed. A curve without
    // observed points, or with fewer than free parameters, is refused with a FitError
    // before any field changes.
    bool FitCurve();
    void refuseTooFewPoints() const;
    // Fit passes until the saturation point settles, at most 6.
    void RefineCurve();
    // The computed curve and the two light points; false (light points untouched, curve
    // empty) when no data row has a positive Q Obs.
    bool Load_ComputedA_Series();
    // Takes A(0) from the bottom-most dark row (Q Obs < 0.01) and fixes it.
    void setRespiration();

    // --- Commands ----------------------------------------------------------------------
    void aqMnuResultsPlotDataClick();
    void aqMnuResultsFitCurveClick();
    void aqMnuResultsRefineCurveClick();
    void aqMnuFileClearClick();
    void aqMnuFileExitClick();
    void aqMnuFileExportClick();
    // The lines of the export file, without line ends.
    std::vector<std::string> exportLines() const;
    void aqMnuFileImportCSVClick();
    void aqMnuFileImportVerdexClick();
    void KipFormDropFilesDropFiles(const std::vector<DroppedItem>& items);
    void StringPaste(std::string_view text);
    void aqClipboardPasteClick();
    void aqSpreadSheetDataKeyUp();

    // --- Printing ----------------------------------------------------------------------
    // The chart on a page of its own, then the report, after the print dialog's OK.
    void aqMnuFilePrintClick();
    // The printed report's lines; the standard-fit sections follow the grid while
    // "Include Standard Fit" is ticked.
    std::vector<std::string> reportLines() const;

    // --- Clipboard -----------------------------------------------------------------------
    // The right button opens the grid's pop-up menu at the pointer.
    void aqSpreadSheetDataMouseDown(MouseButton button, int x, int y);
    void aqClipboardCopyClick();
    // Field Copy and Paste act on the parameter or light field that has the input focus.
    void aqPopupCopyClick();
    void aqPopupCopyAllClick();
    void aqPopUpPasteClick();

    // --- The standard fits, beside the window's own search ------------------------------
    // Results > "Standard Fit": the least-squares optimum of the window's model (from
    // the fields' values, fixed flags held) and the non-rectangular hyperbola, over the
    // observed points (rebuilt from the grid and Par Abs). It ticks "Include Standard
    // Fit", so that Export and Print carry what the user just ran, and writes the
    // "Standard fit" group and its two curves and nothing else; a grid that cannot be
    // read fails as it does for Plot Data. A fit that refuses the curve leaves its
    // reason in the group, and the command then ends with a FitError naming the
    // refusals. A change of the data clears the group.
    void aqMnuResultsStandardFitClick();
    // The fits alone, for callers without a menu (the batch command).
    void runStandardFit();
    // Copies the optimum of the window's model into the four parameter fields and
    // redraws the computed curve and light points from them, so that Fit Curve and
    // Refine Curve go on from there. Nothing without a fitted optimum.
    void aqButton_StdUseOptimumClick();
    // Refills the two standard-fit series from the last fits: empty where there is none.
    void Load_StandardFit_Series();
    // The export file's standard-fit sections, from the group's fields as they stand:
    // each an empty line, its heading, "Name, value, standard error, lower, upper" for
    // the four parameters (the ends of the 95 % interval) and "Name, value" for SSE, RMSE and the two light points; a
    // fit that failed or is ill-defined adds its message. exportLines() appends them when aqMnuFileExportStandardFit is
    // checked.
    std::vector<std::string> standardFitExportLines() const;
    // Points left out of both standard fits, by their grid rows: the window's own fit
    // still uses every point. A toggle clears the standard-fit group, which no longer
    // describes the points the next fits use, and redraws the hollow markers
    // (Series_Excluded). The rows move with inserted and deleted grid rows; Clear, an
    // import and a dropped file empty the set.
    void toggleStandardFitExclusion(int gridRow);
    const std::set<int>& standardFitExcludedRows() const { return excludedRows_; }
    // The grid row that observed point `index` of Series_LightAssim came from; 0 when
    // there is no such point or its row has since been deleted.
    int measuredPointRow(int index) const;
    // The grid pop-up's "Exclude Point" / "Include Point": toggles the row under the
    // right press, when it holds a point.
    void aqPopupExcludeClick();
    // The grid rows that give an observed point, top to bottom: a loaded curve's data
    // row N is the N-th of them.
    std::vector<int> pointRows() const;
    // The last fits, if the command has run since creation or the last Clear.
    const std::optional<AqCalvaneOptimum>& standardOptimum() const { return stdOptimum_; }
    const std::optional<AqHyperbolaFit>& standardHyperbola() const { return stdHyperbola_; }
    // The light points of the last fits: the optimum's by the window's sweep, the
    // hyperbola's saturation point by the same slope rule.
    const std::optional<LightPoints>& standardOptimumLightPoints() const { return stdOptimumLight_; }
    const std::optional<double>& standardHyperbolaSaturation() const { return stdHyperbolaSaturation_; }

    // --- Respiration in the light (Kok) --------------------------------------------------
    // The "Respiration in the light (Kok)" group: the light window the user types
    // (settings, kept by Clear), the line's Rd and slope with their standard errors,
    // the points used and a message line.
    static const std::vector<ResultSection<TfrmAQ_C3_Curve>>& kokTable();
    // Results > "Kok Respiration": the straight line through the points whose Q Obs
    // (incident light) lies strictly inside the light window. It writes the group and
    // nothing else; fewer than two points inside, or a light window that is not two
    // numbers, leaves the reason in the group and ends with a FitError.
    void aqMnuResultsKokClick();
    // The export's "Respiration in the light (Kok)" section (an empty line, the heading,
    // Rd, Slope and Points, and a refusal's message); none before the command has run.
    // exportLines() appends it while aqMnuFileExportStandardFit is checked.
    std::vector<std::string> kokExportLines() const;
    // The last line, if the command has run since creation or the last Clear.
    const std::optional<KokFit>& kokFit() const { return kok_; }

    Label aqGroupBox_Kok{"Respiration in the light (Kok)"};
    TextField aqEdit_KokLowLight{"40"}, aqEdit_KokHighLight{"100"};
    TextField aqEdit_KokRd, aqEdit_KokRdSE, aqEdit_KokSlope, aqEdit_KokSlopeSE, aqEdit_KokPoints, aqEdit_KokMessage;
    MenuItem aqMnuResultsKok{"Kok Respiration", "", "Respiration in the light from the line below the bend (Kok)"};

    // --- Plausibility checks -----------------------------------------------------------
    // The checks of the window as it stands, run after every command (by the desktop's
    // command wrapper and by calvane-batch) and when the results go out of date;
    // `checks` holds their sentences.
    void runChecks();
    CheckList checks;

    // --- How well the window's own curve meets the points ------------------------------
    // The RMSE of the curve of the four parameter fields over the observed points, from
    // the last Fit Curve, Refine Curve or Use optimum while its results are current;
    // aqLabel_OwnRMSE says it beside the standard fits.
    const std::optional<double>& ownCurveRmse() const { return ownCurveRmse_; }

    // --- About and showing ---------------------------------------------------------------
    void aqMnuAboutClick();
    // Makes the window visible; showing a shown window changes nothing.
    void Show();

    // --- Window ------------------------------------------------------------------------
    std::string caption = "AQ (Light Response) Curve For Photosynthesis";
    bool visible = false;
    Signal<> visibilityChanged;
    int Left = 0, Top = 0;  // the window's screen position, kept current by the view

    Grid aqSpreadSheetData{4, 33};
    // Whether the results still describe the Q Obs and A columns: a fit makes them
    // current, a change of the data puts them out of date, Clear forgets them.
    StaleResults staleResults{aqSpreadSheetData, {1, 2}};

    Label aqLabel_Identifier{"Identifier:"};
    TextField aqEdit_Identifier;
    TextField aqEdit_Status;

    Label aqGroupBox_FitParameters{"Fit Parameters"};
    TextField aqNumEdit_AQE;
    TextField aqNumEdit_Convexity;
    TextField aqNumEdit_A0_Resp;
    TextField aqNumEdit_Amax;
    CheckBox aqCheckBox_AQE{"AQE", "Force Apparent Quantum Efficency to this value"};
    CheckBox aqCheckBox_Convexity{"Convexity", "Force Convexity to this value"};
    CheckBox aqCheckBox_A0_Resp{"Respiration", "Force Respiration [A (0)]   to this value"};
    CheckBox aqCheckBox_Amax{"Amax", "Force Amax to this value"};

    Label aqGroupBox_Light{"Light (umol m-2 s-1)"};
    Label aqLabel_LightSatPoint{"Light Saturation"};
    Label aqLabel_LightCompPoint{"Light Compensation"};
    Label aqLabel_ParAbs{"Par Abs"};
    TextField aqNumEdit_LightSatPoint;
    TextField aqNumEdit_LightCompPoint;
    TextField aqNumEdit_ParAbs{"0.85"};

    ProgressIndicator aqProgressBar3D;

    // The chart: title, axes and the two series.
    ChartTitle aqChart_LightResponseCurve{"aqChart_LightResponseCurve", "Light Response Curve"};
    std::string aqChart_BottomAxisTitle = "Qa (umol m-2 s-1)";
    std::string aqChart_LeftAxisTitle = "A (umol m-2 s-1)";
    std::string aqChart_RightAxisTitle = "Qa ";
    Colour aqChart_GradientEnd = rgb(217, 255, 255);
    PointSeries Series_LightAssim{"Light_Assimiliation", PointSeries::Kind::Points, colours::red};
    PointSeries Series_ComputedA{"ComputedA", PointSeries::Kind::Line, rgb(128, 0, 64)};

    // The standard fits' curves, drawn while their check boxes are checked.
    PointSeries Series_StdOptimum{"Least-squares optimum", PointSeries::Kind::Line, rgb(0, 0, 255)};
    PointSeries Series_StdHyperbola{"Non-rectangular hyperbola", PointSeries::Kind::Line, rgb(0, 128, 0)};
    // The observed points left out of the standard fits, drawn hollow over their crosses.
    PointSeries Series_Excluded{"Excluded", PointSeries::Kind::Points, colours::red};

    // The "Standard fit" group, read-only: for each model its four estimates with their
    // standard errors, SSE, RMSE, the two light points and a message line.
    Label aqGroupBox_StandardFit{"Standard fit"};
    Label aqLabel_StdOptimum{"Least-squares optimum"};
    Label aqLabel_StdHyperbola{"Non-rectangular hyperbola"};
    TextField aqEdit_StdAQE, aqEdit_StdAQESE, aqEdit_StdAmax, aqEdit_StdAmaxSE, aqEdit_StdConvexity,
        aqEdit_StdConvexitySE, aqEdit_StdResp, aqEdit_StdRespSE, aqEdit_StdSSE, aqEdit_StdRMSE, aqEdit_StdLightComp,
        aqEdit_StdLightSat, aqEdit_StdMessage;
    TextField aqEdit_NrhPhi, aqEdit_NrhPhiSE, aqEdit_NrhAmax, aqEdit_NrhAmaxSE, aqEdit_NrhTheta, aqEdit_NrhThetaSE,
        aqEdit_NrhRd, aqEdit_NrhRdSE, aqEdit_NrhSSE, aqEdit_NrhRMSE, aqEdit_NrhLightComp, aqEdit_NrhLightSat,
        aqEdit_NrhMessage;
    // The 95 % profile intervals' ends, empty where the profile does not close.
    TextField aqEdit_StdAQELower, aqEdit_StdAQEUpper, aqEdit_StdAmaxLower, aqEdit_StdAmaxUpper,
        aqEdit_StdConvexityLower, aqEdit_StdConvexityUpper, aqEdit_StdRespLower, aqEdit_StdRespUpper;
    TextField aqEdit_NrhPhiLower, aqEdit_NrhPhiUpper, aqEdit_NrhAmaxLower, aqEdit_NrhAmaxUpper, aqEdit_NrhThetaLower,
        aqEdit_NrhThetaUpper, aqEdit_NrhRdLower, aqEdit_NrhRdUpper;
    // The values the hyperbola holds Phi, Amax, Theta and Rd at while their "Hold" boxes
    // are checked; Rd positive for a loss, as the fit reports it. (The optimum holds the
    // parameters whose fixed flags are checked, at their fields' values.)
    TextField aqEdit_NrhHoldPhi, aqEdit_NrhHoldAmax, aqEdit_NrhHoldTheta, aqEdit_NrhHoldRd;
    CheckBox aqCheckBox_NrhHoldPhi{"Hold", "Hold Phi at this value in the non-rectangular hyperbola"};
    CheckBox aqCheckBox_NrhHoldAmax{"Hold", "Hold Amax at this value in the non-rectangular hyperbola"};
    CheckBox aqCheckBox_NrhHoldTheta{"Hold", "Hold Theta at this value in the non-rectangular hyperbola"};
    CheckBox aqCheckBox_NrhHoldRd{"Hold",
                                  "Hold Rd (positive for a loss) at this value in the non-rectangular hyperbola"};
    CheckBox aqCheckBox_StdShowOptimum{"Show optimum", "Show the least-squares optimum's curve in the chart"};
    CheckBox aqCheckBox_StdShowHyperbola{"Show hyperbola", "Show the non-rectangular hyperbola in the chart"};
    Label aqLabel_OwnRMSE;
    MenuItem aqButton_StdUseOptimum{"Use optimum", "", "Copy the least-squares optimum into the parameter fields"};

    MenuItem aqMnuFile{"File", "", ""};
    MenuItem aqMnuFileImport{"Import", "", ""};
    MenuItem aqMnuFileImportCSV{"CSV Text", "Ctrl+Alt+T", ""};
    MenuItem aqMnuFileImportVerdex{"Verdex Output", "Ctrl+Alt+O", ""};
    MenuItem aqMnuFileExport{"Export", "Ctrl+E", ""};
    MenuItem aqMnuFileClear{"Clear", "Ctrl+Alt+C", ""};
    MenuItem aqMnuFilePrint{"Print", "Ctrl+P", ""};
    MenuItem aqMnuFileExit{"Exit", "", ""};
    MenuItem aqMnuResults{"Results", "", ""};
    MenuItem aqMnuResultsPlotData{"Plot Data", "F5", "Plot Raw Data Only"};
    MenuItem aqMnuResultsFitCurve{"Fit Curve", "F6", "One Pass at curve fit"};
    MenuItem aqMnuResultsRefineCurve{"Refine Curve", "F7", "Multiple Pass Curve Fit"};
    MenuItem aqMnuResultsStandardFit{"Standard Fit", "F8", "The field's standard light-response fits"};
    // File > "Include Standard Fit": a checkable menu item, off at creation; while it
    // is checked Export adds the standard-fit sections after the usual lines.
    CheckBox aqMnuFileExportStandardFit{"Include Standard Fit", "Add the standard fits to exported results"};
    MenuItem aqMnuAbout{"About", "", ""};
    // The printed report's hidden text control, in the window's own font: 13 pixels at
    // 115 pixels per inch.
    ReportText aqRichEdit{13.0 * 72.0 / 115.0};

    PopupMenu aqPopupMenu{"aqPopupMenu"};
    MenuItem aqClipboardCopy{"Copy", "", ""};
    MenuItem aqClipboardPaste{"Paste", "", ""};
    // On the grid's menu too. Reads "Include Point" over an excluded point; disabled over
    // a row without a point.
    MenuItem aqPopupExclude{"Exclude Point", "", "Leave this point out of the standard fits, or take it back in"};
    PopupMenu aqPopupMenu2{"aqPopupMenu2"};
    MenuItem aqPopupCopy{"Copy", "", ""};
    MenuItem aqPopupCopyAll{"Copy All Parameters", "Ctrl+A", ""};
    MenuItem aqPopUpPaste{"Paste", "", ""};

    // Threads the light-response search may use; 0 for one per hardware thread. A caller
    // that runs many windows at once gives each fewer.
    unsigned searchThreads = 0;

    calvane::SaveDialog SaveDialog;
    TFrmParseVerdex frmParseVerdex;
    TdlgAbout dlgAbout;

private:
    void setVisible(bool shown);
    // The first field in focus order that has the input focus, if any.
    TextField* focusedParameterField();
    char separator() const;
    std::string format(long double value) const;
    // Writes a parameter set into the four parameter fields.
    void writeParameters(const AqParameters& p);

    // The largest Q Obs of the grid, which sets the light points' sweep.
    double largestQObs() const;
    void showStandardFit();
    // The Kok group from the last line; kokSetUp makes its results read-only.
    void showKok();
    void kokSetUp();
    // The standard fits described data that have changed.
    void clearStandardFit();
    void showOwnCurveRmse();
    // Results computed from the data as they stand.
    void resultsComputed();
    // Whether a grid row gives an observed point, as Load_LightResp_Series reads it.
    bool rowHasPoint(int row) const;
    // After the excluded set changed: the standard fits, the hollow markers and the
    // pop-up item follow it.
    void exclusionsChanged();
    void forgetExclusions();
    // Moves the rows kept by grid row after a row was inserted or deleted.
    void moveRows(const std::function<int(int)>& where);
    void loadExcludedSeries();
    // Whether point `index` of Series_LightAssim is left out of the standard fits.
    bool excludedPoint(std::size_t index) const;
    void showExcludeItem();

    Platform& platform_;
    std::optional<AqCalvaneOptimum> stdOptimum_;
    std::optional<AqHyperbolaFit> stdHyperbola_;
    std::optional<LightPoints> stdOptimumLight_;
    std::optional<double> stdHyperbolaSaturation_;
    std::optional<KokFit> kok_;
    // The grid row of each point of Series_LightAssim, as Load_LightResp_Series read it.
    std::vector<int> seriesRows_;
    std::set<int> excludedRows_;
    // The points the last standard fits left out, as (Qa, A).
    std::vector<std::pair<double, double>> standardFitExcluded_;
    std::optional<double> ownCurveRmse_;
};

}  // namespace calvane

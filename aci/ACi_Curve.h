#pragma once
// TfrmACi_Curve: the A/Ci window as state and commands, without widgets. Its
// controls are public members that the view binds to; its commands read the fields
// afresh, write their results back as text, and let the errors they do not absorb
// propagate to the application's general error display.

#include "aci/AciModel.h"
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
#include "fit/AciStandardFit.h"
#include "import/ParseVerdex.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace calvane {

class TfrmACi_Curve {
public:
    TfrmACi_Curve(Platform& platform, ImportSettings& importSettings);
    // The controls' signals are connected to this object's handlers.
    TfrmACi_Curve(const TfrmACi_Curve&) = delete;
    TfrmACi_Curve& operator=(const TfrmACi_Curve&) = delete;

    // --- The fields described once -------------------------------------------------
    // The parameters, in the order of the export and the report, with the batch name,
    // label, unit, field and fixed flag of each and where every output lists it.
    static const std::vector<ParameterRow<TfrmACi_Curve>>& parameterTable();
    // The "Standard fit" group's results and its Patm setting.
    static const std::vector<ResultSection<TfrmACi_Curve>>& standardFitTable();

    // --- Parameter fields and their fixed flags ---------------------------------
    double numEditValue(TextField& field, const CheckBox& flag, double computed);
    void checkIndicator(const CheckBox& flag, std::string& text) const;
    void setNumEditState(TextField& field, const CheckBox& flag);
    void ParameterReset();

    void aciCheckBox_KcClick();
    void aciCheckBox_KoClick();
    void aciCheckBox_TauClick();
    void aciCheckBox_RespirationClick();
    void aciCheckBox_VcmaxClick();
    void aciCheckBox_JmaxClick();
    void aciCheckBox_TPUClick();
    void aciEdit_IdentifierChange();

    // --- Measured points, model and fits ------------------------------------------
    void Load_ACi_Series();
    double GammaStar() const;
    double fPrime(double ci) const;
    double gPrime(double ci) const;
    // The whole parameter computation; false only when the leaf temperature did not
    // read as a number (the computation then ran at 0 degrees C).
    bool ComputeValues();
    void FitVcMaxRd();
    void FitJMax();
    // The straight lines of the last Compute Curves, for reports that list them: empty
    // until the fit succeeded, and again after a computation that failed before it or
    // a Clear.
    const std::optional<AciLine>& lastVcmaxRdLine() const { return lastVcmaxRdLine_; }
    const std::optional<AciLine>& lastJmaxLine() const { return lastJmaxLine_; }

    // --- Chart ---------------------------------------------------------------------
    void Load_TPU_Series();
    void Load_RuBP_Series();
    void Load_Rubisco_Series();

    // --- Commands ------------------------------------------------------------------
    void aciMnuFileClearClick();
    void aciMnuFileExitClick();
    void aciMnuResultsPlotDataClick();
    void aciMnuResultsComputeCurveClick();
    void aciMnuFileExportClick();
    // The lines of the export file, without line ends.
    std::vector<std::string> exportLines() const;
    void aciMnuFIleImportTextClick();
    void aciMnuFileImortVerdexClick();
    // The measuring conditions of an import: Leaf Temp, Light and the standard fit's
    // Patm (kPa) each take the value that exists. A pressure that is not a plausible one
    // in kPa (a log in hPa, say) is refused with a message and Patm stays as it is.
    void setConditions(const ImportConditions& conditions);
    void KipFormDropFilesDropFiles(const std::vector<DroppedItem>& items);
    void StringPaste(std::string_view text);
    void aciPopupPasteClick();

    // --- Printing ----------------------------------------------------------------------
    // The chart on a page of its own, then the report, after the print dialog's OK.
    void aciMnuFilePrintClick();
    // The printed report's lines; the standard-fit section follows the grid while
    // "Include Standard Fit" is ticked.
    std::vector<std::string> reportLines() const;

    // --- Clipboard -----------------------------------------------------------------------
    // The right button opens the grid's pop-up menu at the pointer.
    void aciSpreadSheetDataMouseDown(MouseButton button, int x, int y);
    void aciPopupCopyClick();
    // Field Copy and Paste act on the parameter field that has the input focus.
    void aciPopup2CopyClick();
    void aciPopUp2CopyAllClick();
    void aciPopUp2PasteClick();

    // --- The standard fit, beside the window's own analysis ---------------------------
    // Results > "Standard Fit": the field's standard nonlinear fit of the measured
    // points (rebuilt from the grid) at the leaf temperature, the light of the Light
    // field and the group's Patm and TPU settings. It ticks "Include Standard Fit", so
    // that Export and Print carry what the user just ran, and writes the "Standard
    // fit" group and its curve and nothing else; a curve that cannot be fitted leaves
    // the group empty with the reason in aciEdit_StdMessage, and the command then ends
    // with that reason as a FitError. A change of the data clears the group.
    void aciMnuResultsStandardFitClick();
    // The fit alone, for callers without a menu (the batch command).
    void runStandardFit();
    // Refills Series_StandardFit from the last standard fit: the fitted curve across
    // the measured Ci range, empty when there is no fit.
    void Load_StandardFit_Series();
    // The export file's standard-fit section, from the group's fields as they stand:
    // an empty line, the heading, then "Name, value, standard error" for Vcmax, Jmax
    // (or J), Rd and TPU (when fitted), and "Name, value" for Vcmax25, Jmax25, RMSE,
    // Transition Ci and Patm; a fit that failed adds its message as a last line.
    // exportLines() appends it when aciMnuFileExportStandardFit is checked.
    std::vector<std::string> standardFitExportLines() const;
    // Points left out of the standard fit, by their grid rows: the window's own fields
    // and Compute Curves still use every point. A toggle clears the standard-fit group,
    // which no longer describes the points the next fit uses, and redraws the hollow
    // markers (Series_Excluded). The rows move with inserted and deleted grid rows; Clear,
    // an import and a dropped file empty the set.
    void toggleStandardFitExclusion(int gridRow);
    const std::set<int>& standardFitExcludedRows() const { return excludedRows_; }
    // The grid row that measured point `index` of Series_LightAssim came from; 0 when
    // there is no such point or its row has since been deleted.
    int measuredPointRow(int index) const;
    // The grid pop-up's "Exclude Point" / "Include Point": toggles the row under the
    // right press, when it holds a point.
    void aciPopupExcludeClick();
    // The grid rows that give a measured point, top to bottom: a loaded curve's data
    // row N is the N-th of them.
    std::vector<int> pointRows() const;
    // The last standard fit, if the command has run since creation or the last Clear.
    const std::optional<AciStandardFitResult>& standardFit() const { return standardFit_; }
    // What the group's message line says of a fit: how it was reached and what to know
    // about it, or why it failed.
    static std::string standardFitNote(const AciStandardFitResult& fit);

    // --- Plausibility checks -----------------------------------------------------------
    // The checks of the window as it stands, run after every command (by the desktop's
    // command wrapper and by calvane-batch) and when the results go out of date;
    // `checks` holds their sentences.
    void runChecks();
    CheckList checks;

    // --- How well the window's own curve meets the points ------------------------------
    // The RMSE of the modelled A (the lowest of Wc, Wj and the Wp level) over the
    // measured points, from the last Compute Curves while its results are current;
    // aciLabel_OwnRMSE says it beside the standard fit.
    const std::optional<double>& ownCurveRmse() const { return ownCurveRmse_; }

    // --- About and showing ---------------------------------------------------------------
    void aciMnuAboutClick();
    // Makes the window visible; showing a shown window changes nothing.
    void Show();

    // --- Window ----------------------------------------------------------------------
    std::string caption = "Mechanistic ACi Curve Analysis";
    bool visible = false;
    Signal<> visibilityChanged;
    int Left = 0, Top = 0;  // the window's screen position, kept current by the view

    Grid aciSpreadSheetData{3, 33};
    // Whether the results still describe the Ci and A columns: Compute Curves makes
    // them current, a change of the data puts them out of date, Clear forgets them.
    StaleResults staleResults{aciSpreadSheetData, {1, 2}};

    TextField aciEdit_Identifier;
    TextField aciEdit_Status;

    Label aciGroupBox_TempDependent{"Temp Dependent Variables"};
    TextField aciEdit_Kc;
    TextField aciEdit_Ko;
    TextField aciEdit_Tau;
    TextField aciEdit_Temp;
    TextField aciEdit_Light;
    CheckBox aciCheckBox_Kc{"Kc  (umol mol-1)", "Rubisco Michaelis constant for CO2"};
    CheckBox aciCheckBox_Ko{"Ko  (mmol mol-1)", "Rubisco Michaelis constant for O2"};
    CheckBox aciCheckBox_Tau{"Tau (mmol/umol)", "Rubisco specificity factor"};
    Label aciLabel_Temp{"Leaf Temp (oC):"};
    Label aciLabel_Light{"Light  (umol m-2 s-1):"};

    Label aciGroupBox_LightDependent{"Light Dependent Variables"};
    TextField aciEdit_GammaStar;
    TextField aciEdit_Respiration;
    TextField aciEdit_Vcmax;
    TextField aciEdit_Jmax;
    TextField aciEdit_TPU;
    Label aciLabel_GammaStar{"GammaStar"};
    CheckBox aciCheckBox_Respiration{"Respiration", "Force Respiration to this value"};
    CheckBox aciCheckBox_Vcmax{"Vcmax ", "Force Vcmax to this value"};
    CheckBox aciCheckBox_Jmax{"Jmax ", "Force Jmax to this value"};
    CheckBox aciCheckBox_TPU{"TPU", "Force TPU to this value"};

    // The chart: title, axes and the four series. The measured points are drawn as
    // black-filled crosses of 3 pixels; the three curves as lines without markers.
    ChartTitle aciChart_LightResponseCurve{"aciChart_LightResponseCurve", "ACi Curve"};
    std::string aciChart_LeftAxisTitle = "A   (umol CO2 m-2 s-1)";
    std::string aciChart_RightAxisTitle = "Qa ";
    Colour aciChart_GradientEnd = rgb(217, 255, 255);
    PointSeries Series_LightAssim{"Ci (umol mol-1)", PointSeries::Kind::Points, colours::red};
    PointSeries Series_Wc{"Wc (Rubisco)", PointSeries::Kind::Line, rgb(255, 128, 64)};
    PointSeries Series_Wj{"Wj (RuBP)", PointSeries::Kind::Line, rgb(0, 128, 0)};
    PointSeries Series_Wp{"Wp (TPU)", PointSeries::Kind::Line, rgb(128, 0, 255)};
    // The standard fit's curve, drawn while aciCheckBox_StdShowCurve is checked.
    PointSeries Series_StandardFit{"Standard fit", PointSeries::Kind::Line, rgb(0, 0, 255)};
    // The measured points left out of the standard fit, drawn hollow over their crosses.
    PointSeries Series_Excluded{"Excluded", PointSeries::Kind::Points, colours::red};

    // The "Standard fit" group: results (read-only) with their standard errors and
    // 25 degrees C values, and two settings, Patm and whether TPU is fitted. The TPU
    // fields show only when the last fit included TPU; the J label reads "J" when no
    // positive light value made the fit report J instead of Jmax.
    Label aciGroupBox_StandardFit{"Standard fit"};
    Label aciLabel_StdValue{"Value"};
    Label aciLabel_StdSE{"Std. error"};
    Label aciLabel_StdAt25{"At 25 oC"};
    Label aciLabel_StdVcmax{"Vcmax"};
    Label aciLabel_StdJmax{"Jmax"};
    Label aciLabel_StdRd{"Rd"};
    Label aciLabel_StdTPU{"TPU"};
    Label aciLabel_StdRMSE{"RMSE"};
    Label aciLabel_StdTransitionCi{"Transition Ci"};
    Label aciLabel_StdPatm{"Patm (kPa)"};
    TextField aciEdit_StdVcmax;
    TextField aciEdit_StdVcmaxSE;
    TextField aciEdit_StdVcmax25;
    TextField aciEdit_StdJmax;
    TextField aciEdit_StdJmaxSE;
    TextField aciEdit_StdJmax25;
    TextField aciEdit_StdRd;
    TextField aciEdit_StdRdSE;
    TextField aciEdit_StdTPU;
    TextField aciEdit_StdTPUSE;
    // The 95 % profile intervals' ends (empty where the profile does not close) and the
    // sum of squares.
    TextField aciEdit_StdVcmaxLower, aciEdit_StdVcmaxUpper, aciEdit_StdJmaxLower, aciEdit_StdJmaxUpper,
        aciEdit_StdRdLower, aciEdit_StdRdUpper, aciEdit_StdTPULower, aciEdit_StdTPUUpper;
    TextField aciEdit_StdSSE;
    TextField aciEdit_StdRMSE;
    TextField aciEdit_StdTransitionCi;
    TextField aciEdit_StdMessage;
    TextField aciEdit_StdPatm{"100"};
    // Mesophyll conductance (mol m-2 s-1 bar-1) for the standard fit; empty: infinite,
    // the fit on Ci itself.
    Label aciLabel_StdGm{"gm"};
    TextField aciEdit_StdGm;
    // The values the standard fit holds Vcmax, Jmax (or J), Rd and TPU at while their
    // "Hold" boxes are checked; Rd positive for a loss, as the fit reports it.
    TextField aciEdit_StdHoldVcmax, aciEdit_StdHoldJmax, aciEdit_StdHoldRd, aciEdit_StdHoldTPU;
    CheckBox aciCheckBox_StdHoldVcmax{"Hold", "Hold Vcmax at this value in the standard fit"};
    CheckBox aciCheckBox_StdHoldJmax{"Hold", "Hold Jmax (or J) at this value in the standard fit"};
    CheckBox aciCheckBox_StdHoldRd{"Hold", "Hold Rd (positive for a loss) at this value in the standard fit"};
    CheckBox aciCheckBox_StdHoldTPU{"Hold", "Hold TPU at this value in the standard fit"};
    CheckBox aciCheckBox_StdTPU{"Fit TPU", "Fit triose-phosphate utilization as a third limitation"};
    CheckBox aciCheckBox_StdShowCurve{"Show curve", "Show the standard fit's curve in the chart"};
    Label aciLabel_OwnRMSE;

    calvane::AciParameters AciParameters;

    MenuItem aciMnuFile{"File", "", ""};
    MenuItem aciMnuFileImport{"Import", "", ""};
    MenuItem aciMnuFIleImportText{"CSV Text", "Ctrl+Alt+T", ""};
    MenuItem aciMnuFileImortVerdex{"Verdex Output", "Ctrl+Alt+O", ""};
    MenuItem aciMnuFileExport{"Export", "Ctrl+E", ""};
    MenuItem aciMnuFileClear{"Clear", "Ctrl+Alt+C", ""};
    MenuItem aciMnuFilePrint{"Print", "Ctrl+P", ""};
    MenuItem aciMnuFileExit{"Exit", "", ""};
    MenuItem aciMnuResults{"Results", "", ""};
    MenuItem aciMnuResultsPlotData{"Plot Data", "F2", ""};
    MenuItem aciMnuResultsComputeCurve{"Compute Curves", "F1", ""};
    MenuItem aciMnuResultsStandardFit{"Standard Fit", "F3", "The field's standard nonlinear A/Ci fit"};
    // File > "Include Standard Fit": a checkable menu item, off at creation; while it
    // is checked Export adds the standard-fit section after the usual lines.
    CheckBox aciMnuFileExportStandardFit{"Include Standard Fit", "Add the standard fit to exported results"};
    MenuItem aciMnuAbout{"About", "", ""};
    // The printed report's hidden text control: 18 pixels on a 96-dpi screen.
    ReportText aciRichEdit{13.5};

    PopupMenu aciPopupMenu{"aciPopupMenu"};
    MenuItem aciPopupCopy{"Copy", "", ""};
    MenuItem aciPopupPaste{"Paste", "", ""};
    // Reads "Include Point" over an excluded point; disabled over a row without a point.
    MenuItem aciPopupExclude{"Exclude Point", "", "Leave this point out of the standard fit, or take it back in"};
    PopupMenu aciPopupMenu2{"aciPopupMenu2"};
    MenuItem aciPopup2Copy{"Copy", "", ""};
    MenuItem aciPopup2CopyAll{"Copy All", "Ctrl+A", ""};
    MenuItem aciPopup2Paste{"Paste", "", ""};

    calvane::SaveDialog SaveDialog;
    TFrmParseVerdex frmParseVerdex;
    TdlgAbout dlgAbout;

private:
    void setVisible(bool shown);
    // The first parameter field in focus order that has the input focus, if any.
    TextField* focusedParameterField();
    char separator() const;
    double readTemperature(bool& valid);
    void loadModelCurve(PointSeries& series, double (*rate)(double, const calvane::AciParameters&));
    // The standard fit's settings read from the fields, and its results written to them.
    AciStandardFitResult fitStandardModel();
    void showStandardFit(const AciStandardFitResult& fit);
    // The standard fit described data that have changed.
    void clearStandardFit();
    void showOwnCurveRmse();
    // After the excluded set changed: the standard fit, the hollow markers and the
    // pop-up item follow it.
    void exclusionsChanged();
    void forgetExclusions();
    // Runs a load of a file into the grid (false: none chosen); a file taken forgets the
    // exclusions, also when its load then complains of rows that are not numbers.
    void loadNewCurve(const std::function<bool()>& load);
    // Moves the rows kept by grid row after a row was inserted or deleted.
    void moveRows(const std::function<int(int)>& where);
    void loadExcludedSeries();
    // Whether point `index` of Series_LightAssim is left out of the standard fits.
    bool excludedPoint(std::size_t index) const;
    void showExcludeItem();

    Platform& platform_;
    // A grid row's measured point, as Load_ACi_Series reads it; none for a row without one.
    std::optional<std::pair<double, double>> gridPoint(int row) const;

    std::optional<AciStandardFitResult> standardFit_;
    std::set<int> excludedRows_;
    // The grid row of each point of Series_LightAssim, as Load_ACi_Series read it.
    std::vector<int> seriesRows_;
    // The points the last standard fit left out, as (Ci, A).
    std::vector<std::pair<double, double>> standardFitExcluded_;
    std::optional<AciLine> lastVcmaxRdLine_;
    std::optional<AciLine> lastJmaxLine_;
    std::optional<double> ownCurveRmse_;
};

}  // namespace calvane

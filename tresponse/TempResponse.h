#pragma once
// The temperature-response window as state and commands, without widgets: a grid of
// (leaf temperature, value) pairs, the model and its Hd, the Fit command, the chart's
// two series, and the export. The desktop's window binds to it, and calvane-batch
// tresponse runs one per group of a table, so both write the same results.

#include "core/Controls.h"
#include "core/ExportFile.h"
#include "core/Grid.h"
#include "core/Platform.h"
#include "core/PointSeries.h"
#include "fit/TemperatureResponse.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace calvane {

// A model's name as the export and the window show it: "Arrhenius", "Peaked Arrhenius".
std::string temperatureModelName(TemperatureModel model);

class TempResponse {
public:
    explicit TempResponse(Platform& platform);
    TempResponse(const TempResponse&) = delete;
    TempResponse& operator=(const TempResponse&) = delete;

    // Column 1 holds the leaf temperatures (degrees C), column 2 the values; row 0
    // their headers, the second of which names the values on the chart and in the export.
    static constexpr int tempColumn = 1;
    static constexpr int valueColumn = 2;

    // The grid's pairs, top down: every row with both cells numbers. A row with one cell
    // empty or a cell that is not a number raises a DataError that names it; empty rows
    // are passed over.
    std::vector<std::pair<double, double>> points() const;
    // Replaces the grid's rows by these pairs and names the values.
    void setPoints(const std::vector<std::pair<double, double>>& pairs, const std::string& valueName);

    void setModel(TemperatureModel model);
    TemperatureModel model() const { return model_; }

    // Fit: the chosen model over the grid's pairs (Hd from its field), the measured
    // points and the fitted curve over the measured temperatures. A refusal leaves its
    // reason in `message` and ends with a FitError; so does an Hd that is not a positive
    // number.
    void fitClick();
    // The last fit, until the pairs, the model or Hd change.
    const std::optional<TemperatureResponseFit>& lastFit() const { return fit_; }

    // The results as shown and exported: a name, the value, its standard error and the
    // ends of its 95 % profile interval (each empty where there is none, an open end
    // included), in the export's order.
    struct ResultLine {
        std::string name;
        std::string value;
        std::optional<std::string> error;  // none: the line has no standard error
        std::optional<std::string> lower;  // none: the line has no interval
        std::optional<std::string> upper;
    };
    std::vector<ResultLine> resultLines() const;

    // File > Export: the title line, the model, the results, a refusal's message, a line
    // of one space, then the grid's non-empty rows ("  temp, value", headers first).
    void exportClick();
    std::vector<std::string> exportLines() const;

    // The column headers of a delimited table with a header line (comma, semicolon or
    // tab); a DataError when it has none.
    static std::vector<std::string> tableColumns(std::string_view text);
    // Loads two columns of such a table, each a header text or a 1-based number, into
    // the grid; rows where either cell is empty are left out. A column that is not
    // there, or a cell that is not a number, is a DataError and leaves the grid as it was.
    void loadColumns(std::string_view text, const std::string& tempColumnName, const std::string& valueColumnName);
    // The (leaf temperature, value) pairs of a table of fitted curves, such as the Batch
    // Fit summary of A/Ci curves fitted with the standard fit: its "Temp" column and its
    // "standard NAME" column (NAME "Vcmax" or "Jmax"), rows without both numbers left
    // out. A DataError when the table lacks either column or has no such row.
    static std::vector<std::pair<double, double>> pairsFromTable(const std::vector<std::string>& header,
                                                                 const std::vector<std::vector<std::string>>& rows,
                                                                 const std::string& name);
    // Pastes tab-, comma- or semicolon-separated pairs over the grid from row 1.
    void paste(std::string_view text);
    void pasteClick();
    // Empties the pairs, the results and the chart.
    void clearClick();

    Grid grid{3, 33};
    TextField identifier;
    TextField hd{"200000"};  // J mol-1, the peaked model's deactivation energy
    TextField message;       // the last fit's message, or why the results went

    ChartTitle chartTitle{"tresponseChart", "Temperature Response"};
    std::string bottomAxisTitle = "Leaf temperature (\u00B0C)";
    // The chart's left axis: the values' header.
    std::string leftAxisTitle() const { return grid.cell(valueColumn, 0); }
    PointSeries Series_Measured{"Measured", PointSeries::Kind::Points, colours::red};
    PointSeries Series_Fitted{"Fitted", PointSeries::Kind::Line, rgb(0, 0, 255)};

    calvane::SaveDialog saveDialog;
    // Changes of the model; the grid, Hd and the identifier report their own.
    Signal<> modelChanged;

private:
    // Results that no longer describe the pairs, model or Hd are dropped, and the chart
    // shows the pairs as they stand.
    void invalidate();
    void plotMeasured();

    Platform& platform_;
    TemperatureModel model_ = TemperatureModel::Arrhenius;
    std::optional<TemperatureResponseFit> fit_;
};

}  // namespace calvane

// The light-response window's respiration in the light by the Kok method: its group of
// fields, the command that fits the line, and the export section.

#include "aq/AQ_C3_Curve.h"

#include "core/Errors.h"
#include "core/NumberText.h"

#include <string>
#include <utility>
#include <vector>

namespace calvane {

namespace {

using W = TfrmAQ_C3_Curve;

constexpr int colQObs = 1;
constexpr int colAssimilation = 2;

}  // namespace

const std::vector<ResultSection<TfrmAQ_C3_Curve>>& TfrmAQ_C3_Curve::kokTable()
{
    // On screen: the light window first, then Rd and the slope with their errors, the
    // points used and the message line.
    static const std::vector<ResultSection<W>> table{{
        .heading = "Respiration in the light (Kok)",
        .summaryPrefix = "kok",
        .rows =
            {
                {.name = "Light from",
                 .value = &W::aqEdit_KokLowLight,
                 .unit = "umol m-2 s-1",
                 .captionText = "Q Obs from / to",
                 .row = 0,
                 .setting = true},
                {.name = "Light to", .value = &W::aqEdit_KokHighLight, .row = 0, .column = 2, .setting = true},
                {.name = "Rd",
                 .value = &W::aqEdit_KokRd,
                 .error = &W::aqEdit_KokRdSE,
                 .summary = "Rd",
                 .unit = "umol m-2 s-1",
                 .captionText = "Rd",
                 .row = 1},
                {.name = "Slope",
                 .value = &W::aqEdit_KokSlope,
                 .error = &W::aqEdit_KokSlopeSE,
                 .summary = "Slope",
                 .unit = "mol mol-1",
                 .captionText = "Slope",
                 .row = 2},
                {.name = "Points",
                 .value = &W::aqEdit_KokPoints,
                 .summary = "Points",
                 .captionText = "Points",
                 .row = 3},
            },
        .message = &W::aqEdit_KokMessage,
        .messageRow = 4,
    }};
    return table;
}

void TfrmAQ_C3_Curve::kokSetUp()
{
    for (TextField* field : resultFields(*this, kokTable()))
        field->readOnly = true;
    aqEdit_KokLowLight.setHint("Points count when their Q Obs is above this light (umol m-2 s-1)");
    aqEdit_KokHighLight.setHint("Points count when their Q Obs is below this light (umol m-2 s-1)");
}

void TfrmAQ_C3_Curve::aqMnuResultsKokClick()
{
    const char sep = separator();
    // The observed (incident) light, not Qa: the line is drawn where the light was measured.
    std::vector<std::pair<double, double>> points;
    for (int row = aqSpreadSheetData.rowCount() - 1; row >= 1; --row) {
        const auto q = readNumber(aqSpreadSheetData.cell(colQObs, row), sep);
        const auto a = readNumber(aqSpreadSheetData.cell(colAssimilation, row), sep);
        if (q && a)
            points.emplace_back(*q, *a);
    }
    const auto low = readNumber(aqEdit_KokLowLight.text(), sep);
    const auto high = readNumber(aqEdit_KokHighLight.text(), sep);
    if (low && high) {
        kok_ = fitKok(points, KokSettings{*low, *high});
    } else {
        kok_ = KokFit{};
        kok_->message = "Cannot fit: the light window's limits must be numbers";
    }
    showKok();
    if (!kok_->fitted)
        throw FitError("Kok respiration: " + kok_->message);
}

void TfrmAQ_C3_Curve::showKok()
{
    for (TextField* field : resultFields(*this, kokTable()))
        field->setText("");
    if (!kok_)
        return;
    const KokFit& f = *kok_;
    aqEdit_KokMessage.setText(f.message);
    if (!f.fitted)
        return;
    auto text = [this](const std::optional<double>& v) { return v ? format(*v) : std::string(); };
    aqEdit_KokRd.setText(format(f.rd));
    aqEdit_KokRdSE.setText(text(f.rdSE));
    aqEdit_KokSlope.setText(format(f.slope));
    aqEdit_KokSlopeSE.setText(text(f.slopeSE));
    aqEdit_KokPoints.setText(std::to_string(f.points));
}

std::vector<std::string> TfrmAQ_C3_Curve::kokExportLines() const
{
    if (!kok_)
        return {};
    const ResultSection<W>& section = kokTable().front();
    std::vector<std::string> lines{"", std::string(section.heading)};
    for (const auto& row : section.rows) {
        if (row.setting)
            continue;
        std::string line = std::string(row.name) + ", " + (this->*row.value).text();
        if (row.error)
            line += ", " + (this->*row.error).text();
        lines.push_back(std::move(line));
    }
    if (!kok_->fitted)
        lines.push_back(kok_->message);
    return lines;
}

}  // namespace calvane

#include "tresponse/TempResponse.h"

#include "core/Errors.h"
#include "core/NumberText.h"
#include "import/DelimitedText.h"

#include <algorithm>
#include <cmath>

namespace calvane {

namespace {

constexpr int curveSamples = 200;
constexpr int emptyRows = 32;  // the data rows of a fresh grid

std::string number(double value) { return formatNumber(value, '.'); }

std::string number(const std::optional<double>& value) { return value ? number(*value) : std::string(); }

// A cell as a number: '.' as the decimal point, or a decimal comma where the text was
// cut at semicolons or tabs.
std::optional<double> cellNumber(const std::string& text)
{
    if (const auto value = readNumber(text, '.'))
        return value;
    if (isDecimalCommaNumber(trim(text)))
        return readNumber(text, ',');
    return std::nullopt;
}

std::string rowName(int row) { return "Row " + std::to_string(row); }

// A column of a header line: its text, matched exactly, or else a 1-based number.
std::optional<std::size_t> findColumn(const std::vector<std::string>& header, const std::string& name)
{
    const auto found = std::find(header.begin(), header.end(), name);
    if (found != header.end())
        return static_cast<std::size_t>(found - header.begin());
    const auto position = readWholeNumber(name);
    if (position && *position >= 1 && static_cast<std::size_t>(*position) <= header.size())
        return static_cast<std::size_t>(*position - 1);
    return std::nullopt;
}

}  // namespace

std::string temperatureModelName(TemperatureModel model)
{
    return model == TemperatureModel::Peaked ? "Peaked Arrhenius" : "Arrhenius";
}

TempResponse::TempResponse(Platform& platform) : platform_(platform)
{
    grid.setCell(0, 0, "No.");
    grid.setCell(tempColumn, 0, "Temp");
    grid.setCell(valueColumn, 0, "Value");
    grid.setColWidth(0, 20);
    grid.setColWidth(tempColumn, 70);
    grid.setColWidth(valueColumn, 90);
    message.readOnly = true;
    hd.setHint("Deactivation energy of the peaked model, J mol-1 (held, not fitted)");

    saveDialog.options.filter = "Text files (*.txt)|*.txt|All Files |*.*";
    saveDialog.options.defaultExtension = "txt";
    saveDialog.options.initialName = "TResponseResults";

    grid.cellChanged.connect([this](int, int) { invalidate(); });
    grid.layoutChanged.connect([this] { invalidate(); });
    hd.textChanged.connect([this] { invalidate(); });
    identifier.textChanged.connect(
        [this] { chartTitle.setSingleLine("Temperature Response for: " + identifier.text()); });
}

std::vector<std::pair<double, double>> TempResponse::points() const
{
    std::vector<std::pair<double, double>> pairs;
    for (int row = 1; row < grid.rowCount(); ++row) {
        const std::string temp = trim(grid.cell(tempColumn, row));
        const std::string value = trim(grid.cell(valueColumn, row));
        if (temp.empty() && value.empty())
            continue;
        if (temp.empty() || value.empty())
            throw DataError(rowName(row) + " has " +
                            (temp.empty() ? "a value but no temperature" : "a temperature but no value"));
        const auto t = cellNumber(temp);
        const auto v = cellNumber(value);
        if (!t)
            throw DataError(rowName(row) + ": the temperature '" + temp + "' is not a number");
        if (!v)
            throw DataError(rowName(row) + ": the value '" + value + "' is not a number");
        pairs.emplace_back(*t, *v);
    }
    return pairs;
}

void TempResponse::setPoints(const std::vector<std::pair<double, double>>& pairs, const std::string& valueName)
{
    grid.emptyAllStoredDataCells();
    grid.setRowCount(std::max(emptyRows, static_cast<int>(pairs.size())) + 1);
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const int row = static_cast<int>(k) + 1;
        grid.setCell(tempColumn, row, number(pairs[k].first));
        grid.setCell(valueColumn, row, number(pairs[k].second));
    }
    grid.setCell(valueColumn, 0, valueName.empty() ? std::string("Value") : valueName);
    invalidate();
}

void TempResponse::setModel(TemperatureModel model)
{
    if (model == model_)
        return;
    model_ = model;
    modelChanged.notify();
    invalidate();
}

void TempResponse::invalidate()
{
    if (fit_)
        message.setText("The data or settings changed since the last fit: Fit again");
    fit_.reset();
    Series_Fitted.clear();
    plotMeasured();
}

void TempResponse::plotMeasured()
{
    Series_Measured.clear();
    for (int row = 1; row < grid.rowCount(); ++row) {
        const auto t = cellNumber(grid.cell(tempColumn, row));
        const auto v = cellNumber(grid.cell(valueColumn, row));
        if (t && v)
            Series_Measured.add(*t, *v);
    }
}

void TempResponse::fitClick()
{
    fit_.reset();
    Series_Fitted.clear();
    plotMeasured();
    message.setText("");
    const auto pairs = points();
    TemperatureResponseSettings settings;
    settings.model = model_;
    if (model_ == TemperatureModel::Peaked) {
        const auto value = readNumber(hd.text(), '.');
        if (!value || !std::isfinite(*value) || *value <= 0) {
            message.setText("Cannot fit: Hd must be a positive number (J mol-1)");
            throw FitError(message.text());
        }
        settings.hd = *value;
    }
    TemperatureResponseFit result = fitTemperatureResponse(pairs, settings);
    message.setText(result.message);
    if (!result.fitted)
        throw FitError(result.message.empty() ? std::string("Cannot fit the temperature response") : result.message);
    fit_ = std::move(result);

    // The curve over the measured temperatures only: the model says nothing beyond them.
    double low = pairs.front().first, high = low;
    for (const auto& [t, v] : pairs) {
        low = std::min(low, t);
        high = std::max(high, t);
    }
    for (int i = 0; i <= curveSamples; ++i) {
        const double t = low + (high - low) * i / curveSamples;
        const double v = temperatureResponseValue(*fit_, t);
        if (std::isfinite(v))
            Series_Fitted.add(t, v);
    }
}

std::vector<TempResponse::ResultLine> TempResponse::resultLines() const
{
    const bool fitted = fit_.has_value();
    const TemperatureResponseFit none;
    const TemperatureResponseFit& f = fitted ? *fit_ : none;
    auto value = [fitted](auto v) { return fitted ? number(v) : std::string(); };
    const bool peaked = fitted && f.settings.model == TemperatureModel::Peaked;
    return {
        {"k25", value(f.k25), value(f.k25SE), number(f.k25Interval.lower), number(f.k25Interval.upper)},
        {"Ea", value(f.ea), value(f.eaSE), number(f.eaInterval.lower), number(f.eaInterval.upper)},
        {"dS", number(f.ds), number(f.dsSE), number(f.dsInterval.lower), number(f.dsInterval.upper)},
        {"Hd", peaked ? number(f.settings.hd) : std::string(), std::nullopt, std::nullopt, std::nullopt},
        {"Topt", number(f.topt), number(f.toptSE), std::nullopt, std::nullopt},
        {"SSE", value(f.sse), std::nullopt, std::nullopt, std::nullopt},
        {"RMSE", value(f.rmse), std::nullopt, std::nullopt, std::nullopt},
        {"n", fitted ? std::to_string(f.points) : std::string(), std::nullopt, std::nullopt, std::nullopt},
    };
}

void TempResponse::exportClick()
{
    runExportCommand(platform_, saveDialog, identifier.text(), [this] { return exportLines(); });
}

std::vector<std::string> TempResponse::exportLines() const
{
    std::vector<std::string> lines{"Temperature Response for: " + identifier.text(),
                                   "Model, " + temperatureModelName(fit_ ? fit_->settings.model : model_)};
    for (const ResultLine& line : resultLines()) {
        std::string text = line.name + ", " + line.value;
        for (const auto* field : {&line.error, &line.lower, &line.upper})
            if (*field)
                text += ", " + **field;
        lines.push_back(text);
    }
    if (!fit_ && !message.text().empty())
        lines.push_back(message.text());
    lines.emplace_back(" ");
    for (int row = 0; row < grid.rowCount(); ++row) {
        const std::string& temp = grid.cell(tempColumn, row);
        const std::string& value = grid.cell(valueColumn, row);
        if (!temp.empty() || !value.empty())
            lines.push_back("  " + temp + ", " + value);
    }
    return lines;
}

std::vector<std::string> TempResponse::tableColumns(std::string_view text)
{
    const auto records = readDelimited(text, detectDelimiter(text));
    if (records.empty())
        throw DataError("The file holds no table with a header line");
    return records.front().fields;
}

void TempResponse::loadColumns(std::string_view text, const std::string& tempColumnName,
                               const std::string& valueColumnName)
{
    const auto records = readDelimited(text, detectDelimiter(text));
    if (records.empty())
        throw DataError("The file holds no table with a header line");
    const auto& header = records.front().fields;
    const auto t = findColumn(header, tempColumnName);
    const auto v = findColumn(header, valueColumnName);
    if (!t)
        throw DataError("The table has no column " + tempColumnName);
    if (!v)
        throw DataError("The table has no column " + valueColumnName);
    std::vector<std::pair<double, double>> pairs;
    for (std::size_t k = 1; k < records.size(); ++k) {
        const auto& fields = records[k].fields;
        const std::string temp = *t < fields.size() ? trim(fields[*t]) : std::string();
        const std::string value = *v < fields.size() ? trim(fields[*v]) : std::string();
        if (temp.empty() || value.empty())
            continue;
        const auto tn = cellNumber(temp);
        const auto vn = cellNumber(value);
        if (!tn || !vn)
            throw DataError("Line " + std::to_string(records[k].line) + ": '" + (tn ? value : temp) +
                            "' is not a number");
        pairs.emplace_back(*tn, *vn);
    }
    setPoints(pairs, header[*v]);
}

std::vector<std::pair<double, double>> TempResponse::pairsFromTable(const std::vector<std::string>& header,
                                                                    const std::vector<std::vector<std::string>>& rows,
                                                                    const std::string& name)
{
    // Column names carry their unit after a space: "Temp (oC)", "standard Vcmax (umol m-2 s-1)".
    auto columnOf = [&header](const std::string& wanted) -> std::optional<std::size_t> {
        for (std::size_t k = 0; k < header.size(); ++k)
            if (header[k] == wanted || header[k].rfind(wanted + " (", 0) == 0)
                return k;
        return std::nullopt;
    };
    const auto t = columnOf("Temp");
    const auto v = columnOf("standard " + name);
    if (!t || !v)
        throw DataError("The table has no " + (t ? "standard-fit " + name : std::string("leaf temperature")) +
                        " column: run A/Ci curves with the standard fit first");
    std::vector<std::pair<double, double>> pairs;
    for (const auto& row : rows) {
        if (*t >= row.size() || *v >= row.size())
            continue;
        const auto tn = cellNumber(row[*t]);
        const auto vn = cellNumber(row[*v]);
        if (tn && vn)
            pairs.emplace_back(*tn, *vn);
    }
    if (pairs.empty())
        throw DataError("No curve in the table has both a leaf temperature and a standard-fit " + name);
    return pairs;
}

void TempResponse::paste(std::string_view text)
{
    const std::string prepared = pasteWithDecimalPoints(text);
    const char delimiter = prepared.find('\t') != std::string::npos ? '\t' : ',';
    const auto records = readDelimited(prepared, delimiter);
    int row = 1;
    for (const auto& record : records) {
        const auto& fields = record.fields;
        const std::string first = fields.empty() ? std::string() : fields[0];
        const std::string second = fields.size() > 1 ? fields[1] : std::string();
        // A header line names the columns.
        if (row == 1 && &record == &records.front() && !cellNumber(first) && !cellNumber(second)) {
            grid.setCell(tempColumn, 0, first.empty() ? std::string("Temp") : first);
            grid.setCell(valueColumn, 0, second.empty() ? std::string("Value") : second);
            continue;
        }
        if (row >= grid.rowCount())
            grid.setRowCount(row + 1);
        grid.setCell(tempColumn, row, first);
        grid.setCell(valueColumn, row, second);
        ++row;
    }
}

void TempResponse::pasteClick() { paste(platform_.clipboardText()); }

void TempResponse::clearClick()
{
    fit_.reset();
    grid.emptyAllStoredDataCells();
    message.setText("");
    invalidate();
}

}  // namespace calvane

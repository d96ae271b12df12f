#include "batch/CurveTable.h"

#include "core/NumberText.h"
#include "import/DelimitedText.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

namespace calvane::batch {

namespace {

std::string quotedName(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::optional<std::size_t> findColumn(const std::vector<std::string>& header, const std::string& name)
{
    for (std::size_t k = 0; k < header.size(); ++k)
        if (header[k] == name)
            return k;
    std::size_t number = 0;
    const char* end = name.data() + name.size();
    const auto parsed = std::from_chars(name.data(), end, number);
    if (!name.empty() && parsed.ec == std::errc() && parsed.ptr == end && number >= 1 && number <= header.size())
        return number - 1;
    return std::nullopt;
}

TableSplit splitTable(std::string_view text, const std::string& name, const TableColumns& columns)
{
    TableSplit split;
    const char delimiter = detectDelimiter(text);
    const std::vector<TableRecord> records = readDelimited(text, delimiter);
    if (records.empty()) {
        split.error = name + ": no header line";
        return split;
    }
    const TableRecord& header = records.front();

    struct Column {
        std::size_t index = 0;
        std::string label;  // as a message names it
    };
    auto resolve = [&](const std::string& reference) -> std::optional<Column> {
        const auto index = findColumn(header.fields, reference);
        if (!index) {
            if (!split.error)
                split.error = name + " line " + std::to_string(header.line) + ": the header line has no column " +
                              quotedName(reference);
            return std::nullopt;
        }
        const std::string& title = header.fields[*index];
        return Column{*index, title.empty() ? "column " + std::to_string(*index + 1) : "column " + quotedName(title)};
    };
    const auto group = resolve(columns.group);
    const auto x = resolve(columns.x);
    const auto a = resolve(columns.a);
    // The mean column first, then the further ones.
    std::vector<Column> means;
    if (columns.mean)
        if (const auto column = resolve(*columns.mean))
            means.push_back(*column);
    for (const auto& reference : columns.means)
        if (const auto column = resolve(reference))
            means.push_back(*column);
    if (split.error)
        return split;
    if (records.size() == 1) {
        split.error = name + ": no rows below the header line";
        return split;
    }

    std::unordered_map<std::string, std::size_t> curveOf;
    std::vector<std::vector<long double>> sums;  // per curve, per mean column
    for (std::size_t r = 1; r < records.size(); ++r) {
        const TableRecord& record = records[r];
        auto field = [&](const Column& column) -> std::string {
            return column.index < record.fields.size() ? record.fields[column.index] : std::string();
        };
        // A number cell as the grid reads it: a decimal comma becomes '.'.
        auto cell = [&](const Column& column) -> std::string {
            std::string cellText = field(column);
            if (delimiter != ',' && isDecimalCommaNumber(cellText))
                std::replace(cellText.begin(), cellText.end(), ',', '.');
            return cellText;
        };
        const std::string value = field(*group);  // the group value as written
        auto [found, added] = curveOf.try_emplace(value, split.curves.size());
        if (added) {
            split.curves.push_back({value, {}, 0, std::nullopt});
            sums.emplace_back(means.size(), 0);
        }
        TableCurve& curve = split.curves[found->second];
        auto fail = [&](const std::string& why) {
            if (!curve.error)
                curve.error = name + " line " + std::to_string(record.line) + ": " + why;
        };
        if (value.empty())
            fail("the group " + group->label + " is empty");
        auto number = [&](const Column& column) -> std::optional<double> {
            const std::string cellText = cell(column);
            if (cellText.empty()) {
                fail(column.label + " is empty");
                return std::nullopt;
            }
            const auto read = readNumber(cellText, '.');
            if (!read)
                fail(quotedName(cellText) + " in " + column.label + " is not a number");
            return read;
        };
        const bool xRead = number(*x).has_value();
        const bool aRead = number(*a).has_value();
        for (std::size_t k = 0; k < means.size(); ++k) {
            if (const auto m = number(means[k]))
                sums[found->second][k] += *m;
        }
        if (xRead && aRead)
            curve.points.push_back({cell(*x), cell(*a)});
    }
    for (std::size_t c = 0; c < split.curves.size(); ++c) {
        TableCurve& curve = split.curves[c];
        if (curve.points.empty())
            continue;
        for (std::size_t k = 0; k < means.size(); ++k) {
            const auto mean = static_cast<double>(sums[c][k] / static_cast<long double>(curve.points.size()));
            if (k == 0 && columns.mean)
                curve.mean = mean;
            else
                curve.means.push_back(mean);
        }
    }
    return split;
}

std::string curveAsCsv(const TableCurve& curve)
{
    auto quoted = [](const std::string& text) {
        std::string q = "\"";
        for (char c : text) {
            if (c == '"')
                q += '"';
            q += c;
        }
        return q + "\"";
    };
    std::string csv;
    for (const auto& point : curve.points)
        csv += quoted(point.x) + "," + quoted(point.a) + "\r\n";
    return csv;
}

}  // namespace calvane::batch

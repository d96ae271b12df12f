#include "ui/ChartSaver.h"

#include "chart/qt/FigureFile.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace calvane::ui {

namespace {

// In the order of chart::FigureFormat.
const char* const filterNames[] = {"PNG image, 300 dpi (*.png)", "SVG drawing (*.svg)", "PDF document (*.pdf)"};
const chart::FigureFormat filterFormats[] = {chart::FigureFormat::Png, chart::FigureFormat::Svg,
                                             chart::FigureFormat::Pdf};
constexpr int filterCount = 3;

QString suffixOf(int filter) { return QString::fromStdString(chart::figureExtension(filterFormats[filter])); }

}  // namespace

const MenuItem saveChartAsItem{"Save Chart As...", "", "Save the chart as a figure file: PNG, SVG or PDF"};

chart::FigureFormat chosenFigureFormat(const QString& path, int filterIndex)
{
    if (const auto format = chart::figureFormatOfPath(path.toStdString()))
        return *format;
    return filterFormats[filterIndex >= 0 && filterIndex < filterCount ? filterIndex : 0];
}

ChartSaver::ChartSaver(QWidget* parent, QString defaultName, std::function<chart::ChartCopy()> figure)
    : QObject(parent), window_(parent), defaultName_(std::move(defaultName)), figure_(std::move(figure)),
      folder_(QDir::homePath())
{
}

void ChartSaver::saveAs()
{
    QStringList filters;
    for (const char* name : filterNames)
        filters << QString::fromLatin1(name);

    QFileDialog dialog(window_, QStringLiteral("Save Chart As"), folder_);
    dialog.setObjectName(QStringLiteral("saveChartDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters[filter_]);
    // A name typed without an extension takes the chosen filter's.
    dialog.setDefaultSuffix(suffixOf(filter_));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters](const QString& filter) {
        const int index = int(filters.indexOf(filter));
        if (index >= 0)
            dialog.setDefaultSuffix(suffixOf(index));
    });
    dialog.selectFile(defaultName_ + QLatin1Char('.') + suffixOf(filter_));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;

    const QString path = dialog.selectedFiles().first();
    const int chosen = int(filters.indexOf(dialog.selectedNameFilter()));
    filter_ = chosen >= 0 ? chosen : filter_;
    folder_ = QFileInfo(path).absolutePath();
    chart::writeFigure(path.toStdString(), figure_().drawing(), chosenFigureFormat(path, filter_));
}

}  // namespace calvane::ui

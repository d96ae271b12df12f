#include "ui/ParameterPanel.h"

#include "ui/AnalysisWindow.h"
#include "ui/Bindings.h"
#include "ui/QtPlatform.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include <map>
#include <tuple>

namespace calvane::ui {

std::vector<QGroupBox*> makeParameterGroups(AnalysisWindow& window, const std::vector<PanelRow>& rows)
{
    std::vector<QGroupBox*> groups;
    std::map<const Label*, QGridLayout*> grids;
    for (const PanelRow& row : rows) {
        QGridLayout*& grid = grids[row.group];
        if (!grid) {
            auto* box = new QGroupBox;
            bindLabel(*row.group, box);
            grid = new QGridLayout(box);
            groups.push_back(box);
        }
        QWidget* caption = nullptr;
        if (row.flag) {
            auto* box = new QCheckBox;
            bindCheckBox(window.platform(), *row.flag, box);
            caption = box;
        } else {
            auto* label = new QLabel;
            bindLabel(*row.caption, label);
            caption = label;
        }
        const int at = grid->rowCount();
        grid->addWidget(caption, at, 0);
        grid->addWidget(window.makeParameterField(*row.field), at, 1);
    }
    return groups;
}

void addCaption(QGridLayout* grid, Label& label, int row, int column, Qt::Alignment alignment)
{
    auto* widget = new QLabel;
    bindLabel(label, widget);
    widget->setHidden(!label.visible());
    grid->addWidget(widget, row, column, alignment);
}

namespace {

// A result comes at full precision: the field shows its leading digits, and the whole
// text as its tooltip, whenever the text or the field's look changes.
void showResultStart(TextField& field, QLineEdit* edit)
{
    QPointer<QLineEdit> guarded(edit);
    auto apply = [&field, guarded] {
        if (!guarded)
            return;
        guarded->setToolTip(QString::fromStdString(field.text()));
        guarded->setCursorPosition(0);
    };
    apply();
    field.textChanged.connect(apply);
    field.appearanceChanged.connect(apply);
}

}  // namespace

void addResultCells(AnalysisWindow& window, QGridLayout* grid, std::vector<GridCell> cells, int fieldWidth)
{
    std::stable_sort(cells.begin(), cells.end(), [](const GridCell& a, const GridCell& b) {
        return std::tie(a.row, a.column) < std::tie(b.row, b.column);
    });
    for (const GridCell& cell : cells) {
        if (cell.field) {
            QLineEdit* edit = window.makeField(*cell.field);
            edit->setMinimumWidth(fieldWidth);
            if (!cell.setting) {
                showResultStart(*cell.field, edit);
                edit->setHidden(!cell.field->visible());
            }
            grid->addWidget(edit, cell.row, cell.column, 1, cell.span);
        } else if (cell.label) {
            auto* caption = new QLabel;
            bindLabel(*cell.label, caption);
            caption->setHidden(!cell.label->visible());
            grid->addWidget(caption, cell.row, cell.column, 1, cell.span, cell.alignment);
        } else {
            grid->addWidget(new QLabel(cell.text), cell.row, cell.column, 1, cell.span, cell.alignment);
        }
    }
}

}  // namespace calvane::ui

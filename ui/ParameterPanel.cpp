#include "ui/ParameterPanel.h"

#include "core/NumberText.h"
#include "ui/AnalysisWindow.h"
#include "ui/Bindings.h"
#include "ui/Command.h"
#include "ui/QtPlatform.h"

#include <QCheckBox>
#include <QGraphicsOpacityEffect>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSignalBlocker>

#include <cmath>
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

std::string roundedValue(const std::string& value, const std::string& error, int digits)
{
    const auto number = readNumber(value, '.');
    if (!number)
        return value;
    if (const auto se = readNumber(error, '.'); se && *se > 0 && std::isfinite(*se))
        return formatToPlace(*number, significantPlace(*se, 2));
    if (!error.empty() && !readNumber(error, '.'))
        return value;
    return digits > 0 ? formatSignificant(*number, digits) : value;
}

std::string roundedError(const std::string& error)
{
    const auto number = readNumber(error, '.');
    if (!number)
        return error;
    return "\u00B1 " + formatSignificant(*number, 2);
}

std::string roundedInterval(const std::string& value, const std::string& error, const std::string& lower,
                            const std::string& upper)
{
    const auto se = readNumber(error, '.');
    if (!readNumber(value, '.') || !se)
        return {};
    auto end = [&error](const std::string& text) {
        return text.empty() ? std::string("open") : roundedValue(text, error, 4);
    };
    return "[" + end(lower) + ", " + end(upper) + "]";
}

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

// Copy takes a result's full-precision text, not the rounded one the field shows.
class FullTextCopy : public QObject {
public:
    FullTextCopy(Platform& platform, const TextField& field, QLineEdit* edit)
        : QObject(edit), platform_(platform), field_(field)
    {
        edit->installEventFilter(this);
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(edit, &QLineEdit::customContextMenuRequested, this, [this, edit](const QPoint& at) {
            QMenu menu;
            menu.addAction(QLineEdit::tr("&Copy"), this, [this] { copy(); });
            menu.exec(edit->mapToGlobal(at));
        });
    }

    void copy()
    {
        runCommand(platform_, [this] { platform_.setClipboardText(field_.text()); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
            copy();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Platform& platform_;
    const TextField& field_;
};

// A result shows rounded, with its full-precision text (and its error's) as a tooltip,
// whenever its text, its error's or the field's look changes.
void showRounded(AnalysisWindow& window, const GridCell& cell, QLineEdit* edit)
{
    TextField& field = *cell.field;
    TextField* error = cell.error;
    const bool isError = cell.isError;
    const int digits = cell.digits;
    QPointer<QLineEdit> guarded(edit);
    auto apply = [&field, error, isError, digits, guarded] {
        if (!guarded)
            return;
        std::string shown = field.text();
        std::string tip = field.text();
        if (isError) {
            shown = roundedError(field.text());
        } else {
            const std::string errorText = error ? error->text() : std::string();
            shown = roundedValue(field.text(), errorText, digits);
            if (readNumber(field.text(), '.') && readNumber(errorText, '.'))
                tip += " \u00B1 " + errorText;
        }
        const QSignalBlocker quiet(guarded);
        guarded->setText(qs(shown));
        guarded->setToolTip(qs(tip));
        guarded->setCursorPosition(0);
    };
    apply();
    field.textChanged.connect(apply);
    field.appearanceChanged.connect(apply);
    if (error)
        error->textChanged.connect(apply);
    new FullTextCopy(window.platform(), field, edit);
}

// A result's interval, read-only, following its value, error and ends; hidden while its
// ends are (as TPU's are before a fit with TPU).
QLineEdit* makeIntervalField(const GridCell& cell)
{
    auto* edit = new QLineEdit;
    edit->setReadOnly(true);
    TextField& value = *cell.field;
    TextField* error = cell.error;
    TextField& lower = *cell.lower;
    TextField& upper = *cell.upper;
    QPointer<QLineEdit> guarded(edit);
    auto apply = [&value, error, &lower, &upper, guarded] {
        if (!guarded)
            return;
        const std::string errorText = error ? error->text() : std::string();
        guarded->setText(qs(roundedInterval(value.text(), errorText, lower.text(), upper.text())));
        const bool open = !guarded->text().isEmpty() && (lower.text().empty() || upper.text().empty());
        guarded->setToolTip(guarded->text().isEmpty()
                                ? QString()
                                : qs("95 % profile interval: " + (lower.text().empty() ? "open" : lower.text()) +
                                     " to " + (upper.text().empty() ? "open" : upper.text())) +
                                      (open ? QStringLiteral(" (the profile does not close within the "
                                                             "parameter's bounds on an open side)")
                                            : QString()));
        guarded->setCursorPosition(0);
        guarded->setHidden(!lower.visible());
    };
    apply();
    for (TextField* field : {&value, error, &lower, &upper}) {
        if (!field)
            continue;
        field->textChanged.connect(apply);
        field->appearanceChanged.connect(apply);
    }
    return edit;
}

}  // namespace

void addResultCells(AnalysisWindow& window, QGridLayout* grid, std::vector<GridCell> cells, int fieldWidth)
{
    std::stable_sort(cells.begin(), cells.end(), [](const GridCell& a, const GridCell& b) {
        return std::tie(a.row, a.column) < std::tie(b.row, b.column);
    });
    for (const GridCell& cell : cells) {
        if (cell.flag) {
            auto* box = new QCheckBox;
            bindCheckBox(window.platform(), *cell.flag, box);
            box->setText(cell.text);
            grid->addWidget(box, cell.row, cell.column, 1, cell.span, cell.alignment);
        } else if (cell.lower) {
            QLineEdit* edit = makeIntervalField(cell);
            edit->setAccessibleName(cell.text);
            edit->setMinimumWidth(fieldWidth * 3 / 2);
            grid->addWidget(edit, cell.row, cell.column, 1, cell.span);
        } else if (cell.field) {
            QLineEdit* edit = window.makeField(*cell.field);
            edit->setMinimumWidth(fieldWidth);
            if (!cell.setting) {
                showRounded(window, cell, edit);
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

void fadeWhileOutOfDate(AnalysisWindow& window, const StaleResults& results, std::vector<FadingField> fields,
                        const std::vector<Signal<>*>& changes)
{
    std::vector<std::pair<QPointer<QLineEdit>, const CheckBox*>> edits;
    for (const FadingField& one : fields)
        edits.emplace_back(window.fieldWidget(*one.field), one.flag);
    auto apply = [&results, edits] {
        for (const auto& [edit, flag] : edits) {
            if (!edit)
                continue;
            const bool fade = results.outOfDate() && !(flag && flag->checked());
            if (fade && !edit->graphicsEffect()) {
                auto* effect = new QGraphicsOpacityEffect(edit);
                effect->setOpacity(0.4);
                edit->setGraphicsEffect(effect);
            } else if (!fade && edit->graphicsEffect()) {
                edit->setGraphicsEffect(nullptr);
            }
        }
    };
    apply();
    for (Signal<>* change : changes)
        change->connect(apply);
}

}  // namespace calvane::ui

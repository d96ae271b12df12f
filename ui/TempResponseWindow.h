#pragma once
// The temperature-response window on screen, over a TempResponse: the grid of (leaf
// temperature, value) pairs, the model and Hd, Fit, the results, the chart, and the
// File menu's loading, pasting, Export and Save Chart As. Closing only hides it.

#include <QtWidgets/QMainWindow>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QPushButton;
class QTableWidget;

namespace calvane {
class TempResponse;
}

namespace calvane::ui {

class ChartPanel;
class GridView;
class QtPlatform;

class TempResponseWindow : public QMainWindow {
    Q_OBJECT
public:
    TempResponseWindow(TempResponse& state, QtPlatform& platform, QWidget* parent = nullptr);

    // Shows the window with these pairs in the grid, fitted at once.
    void showPairs(const std::vector<std::pair<double, double>>& pairs, const std::string& valueName);
    // File > "Load CSV...": a table file, then its two columns.
    void loadCsv();

    TempResponse& state() const { return state_; }
    GridView* gridView() const { return gridView_; }
    ChartPanel* chartPanel() const { return chartPanel_; }
    QComboBox* modelBox() const { return model_; }
    QPushButton* fitButton() const { return fitButton_; }
    QTableWidget* results() const { return results_; }

private:
    void run(const std::function<void()>& command);
    void showResults();

    TempResponse& state_;
    QtPlatform& platform_;
    GridView* gridView_;
    ChartPanel* chartPanel_;
    QComboBox* model_;
    QPushButton* fitButton_;
    QTableWidget* results_;
};

}  // namespace calvane::ui

# Figure files: the chart as PNG, SVG and PDF, and File > "Save Chart As..." in both windows.
calvane_qt_test(test_figures SOURCES qt/test_figures.cpp LIBS calvane_ui)

calvane_qt_test(test_qt_chart SOURCES qt/test_chart.cpp LIBS calvane_chart calvane_aci)

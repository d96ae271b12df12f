# The light-response window's standard fits on screen.
calvane_qt_test(test_ui_aq_standard_fit SOURCES qt/test_ui_aq_standard_fit.cpp LIBS calvane_ui)

# The Qt layer: the grid widget, the windows' bindings, the platform and the import dialog.
calvane_qt_test(test_ui_grid SOURCES qt/test_ui_grid.cpp LIBS calvane_ui)
calvane_qt_test(test_ui_windows SOURCES qt/test_ui_windows.cpp LIBS calvane_ui)
calvane_qt_test(test_ui_import SOURCES qt/test_ui_import.cpp LIBS calvane_ui)
calvane_qt_test(test_ui_printing SOURCES qt/test_ui_printing.cpp LIBS calvane_ui)
calvane_qt_test(test_ui_batch SOURCES qt/test_ui_batch.cpp LIBS calvane_ui)
calvane_qt_test(test_ui_panels SOURCES qt/test_ui_panels.cpp LIBS calvane_ui)

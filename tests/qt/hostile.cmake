# Hostile inputs through the desktop program's drop, import dialog, paste and fields.
calvane_qt_test(test_ui_hostile SOURCES qt/test_ui_hostile.cpp LIBS calvane_ui)

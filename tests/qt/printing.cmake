# Compiles the printing code itself, so that it is tested apart from the windows.
calvane_qt_test(test_qt_printing SOURCES qt/test_printing.cpp ${PROJECT_SOURCE_DIR}/ui/Printing.cpp
  LIBS calvane_core Qt6::PrintSupport Qt6::Charts Qt6::Widgets)

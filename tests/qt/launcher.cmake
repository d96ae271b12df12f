# The launcher and About dialog, compiled here so that they are tested apart from the
# analysis windows.
calvane_qt_test(test_qt_shell_windows SOURCES qt/test_shell_windows.cpp
  ${PROJECT_SOURCE_DIR}/ui/AboutDialog.cpp ${PROJECT_SOURCE_DIR}/ui/LauncherWindow.cpp
  LIBS calvane_shell Qt6::Widgets)

# Windows: after the .exe is installed, windeployqt copies the Qt libraries,
# the platform, style and print plugins, Qt's German translations (into
# translations\ beside the .exe, where the program looks for them) and the
# compiler runtime next to it, so the installed folder runs without Qt.
# windeployqt comes with Qt and sits next to qmake.
if(TARGET Qt6::windeployqt)
  get_target_property(korvex_windeployqt Qt6::windeployqt IMPORTED_LOCATION)
endif()
if(NOT korvex_windeployqt)
  get_target_property(korvex_qmake Qt6::qmake IMPORTED_LOCATION)
  get_filename_component(korvex_qt_bin "${korvex_qmake}" DIRECTORY)
  find_program(korvex_windeployqt NAMES windeployqt windeployqt6 HINTS "${korvex_qt_bin}" NO_DEFAULT_PATH)
  find_program(korvex_windeployqt NAMES windeployqt windeployqt6)
endif()
if(NOT korvex_windeployqt)
  message(WARNING "windeployqt not found: the installed Korvex21.exe will need Qt on the PATH.")
  return()
endif()

install(CODE "
  set(korvex_exe \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/Korvex21.exe\")
  message(STATUS \"windeployqt: \${korvex_exe}\")
  execute_process(
    COMMAND \"${korvex_windeployqt}\" --verbose 1 --compiler-runtime --translations de --no-system-d3d-compiler
            --no-opengl-sw \"\${korvex_exe}\"
    RESULT_VARIABLE korvex_deploy_result)
  if(NOT korvex_deploy_result EQUAL 0)
    message(FATAL_ERROR \"windeployqt failed for \${korvex_exe}: \${korvex_deploy_result}\")
  endif()
")

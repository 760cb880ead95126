# Pictures and style sheet of the main window, drawn at build time into the ":/" resources
# (object library trelvanic_mainwindow_resources, linked into the program and the window tests).
add_executable(make_mainwindow_pictures ${CMAKE_CURRENT_LIST_DIR}/make_mainwindow_pictures.cpp)
target_link_libraries(make_mainwindow_pictures PRIVATE VUVararerWidgets Qt5::Gui)
set_target_properties(make_mainwindow_pictures PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/resources)

set(mainwindow_dir ${CMAKE_CURRENT_BINARY_DIR}/resources/mainwindow)
set(mainwindow_qss ${CMAKE_CURRENT_LIST_DIR}/trelvanic.qss)
add_custom_command(OUTPUT ${mainwindow_dir}/qrc_mainwindow.cpp
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:make_mainwindow_pictures> ${mainwindow_dir} ${mainwindow_qss}
  COMMAND Qt5::rcc --name trelvanic_mainwindow ${mainwindow_dir}/mainwindow.qrc -o ${mainwindow_dir}/qrc_mainwindow.cpp
  DEPENDS make_mainwindow_pictures ${mainwindow_qss}
  COMMENT "Drawing the main window's pictures" VERBATIM)
set_source_files_properties(${mainwindow_dir}/qrc_mainwindow.cpp PROPERTIES SKIP_AUTOGEN ON GENERATED ON)
add_library(trelvanic_mainwindow_resources OBJECT ${mainwindow_dir}/qrc_mainwindow.cpp)
target_link_libraries(trelvanic_mainwindow_resources PRIVATE Qt5::Core)

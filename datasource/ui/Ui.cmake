# Every dialog of the data source: the main dialog, the scan job's progress
# and cancel dialogs, the message box and the version box. Windows only.
set(_ui_dir ${CMAKE_CURRENT_LIST_DIR})

add_library(corv_ui STATIC
  ${_ui_dir}/CancelDlg.cpp
  ${_ui_dir}/FontChangeStatic.cpp
  ${_ui_dir}/GdiplusSession.cpp
  ${_ui_dir}/JobDialogs.cpp
  ${_ui_dir}/MainDlg.cpp
  ${_ui_dir}/MessageBox.cpp
  ${_ui_dir}/PngStatic.cpp
  ${_ui_dir}/ScanDlg.cpp
  ${_ui_dir}/VELT_ModuleVersion.cpp
  ${_ui_dir}/VersionDlg.cpp)
# Headers are named bare, resource ids as res/<file>.
target_include_directories(corv_ui PUBLIC ${_ui_dir} ${_ui_dir}/..)
target_link_libraries(corv_ui PUBLIC corv_net corv_common comctl32 gdiplus version ole32)

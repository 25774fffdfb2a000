# The data source's dialogs. Their rules and arithmetic are portable and
# tested natively; the dialogs themselves (main dialog and its pages, the
# scan job's progress and cancel dialogs, the message box and the version
# box) are Windows only.
set(_ui_dir ${CMAKE_CURRENT_LIST_DIR})

add_library(corv_uirules STATIC ${_ui_dir}/CharacterMask.cpp ${_ui_dir}/FavoriteTree.cpp
  ${_ui_dir}/LengthEditRules.cpp ${_ui_dir}/PageRules.cpp ${_ui_dir}/PreviewRules.cpp
  ${_ui_dir}/ScaleRules.cpp)
target_include_directories(corv_uirules PUBLIC ${_ui_dir})
target_link_libraries(corv_uirules PUBLIC corv_settings)

corv_add_test(ui_rules_tests
  SOURCES ${_ui_dir}/tests/FavoriteTreeTest.cpp ${_ui_dir}/tests/PageRulesTest.cpp
  ${_ui_dir}/tests/PreviewRulesTest.cpp LIBS corv_uirules)

if(CORV_WIN32)
  add_library(corv_ui STATIC
    ${_ui_dir}/CancelDlg.cpp
    ${_ui_dir}/FavoriteList.cpp
    ${_ui_dir}/FavoriteStorage.cpp
    ${_ui_dir}/FavoriteSummary.cpp
    ${_ui_dir}/FavoriteTreeCtrl.cpp
    ${_ui_dir}/FileChooser.cpp
    ${_ui_dir}/JobDialogs.cpp
    ${_ui_dir}/LengthEdit.cpp
    ${_ui_dir}/MainDlg.cpp
    ${_ui_dir}/MessageBox.cpp
    ${_ui_dir}/PageBasic.cpp
    ${_ui_dir}/PageCommon.cpp
    ${_ui_dir}/PageInput.cpp
    ${_ui_dir}/PageQuality.cpp
    ${_ui_dir}/PreScanDlg.cpp
    ${_ui_dir}/Preview.cpp
    ${_ui_dir}/OwnerDrawButton.cpp
    ${_ui_dir}/RestrictedEdit.cpp
    ${_ui_dir}/Scale.cpp
    ${_ui_dir}/SelSrvDlg.cpp
    ${_ui_dir}/ScanDlg.cpp
    ${_ui_dir}/VersionDlg.cpp)
  # Headers are named bare, resource ids as res/<file>.
  target_include_directories(corv_ui PUBLIC ${_ui_dir} ${_ui_dir}/..)
  target_link_libraries(corv_ui PUBLIC corv_uirules corv_net corv_settings_win corv_common_ui comctl32 comdlg32)
endif()

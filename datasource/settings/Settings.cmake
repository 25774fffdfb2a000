# Scan settings of the data source: the portable rules (value lists, units,
# limits, request parameters, password scrambling, the settings store over a
# profile-file interface) and, on Windows, the profile-file storage.
set(_settings_dir ${CMAKE_CURRENT_LIST_DIR})

add_library(corv_settings STATIC
  ${_settings_dir}/DocumentSizes.cpp
  ${_settings_dir}/FavoriteFile.cpp
  ${_settings_dir}/FavoriteInfo.cpp
  ${_settings_dir}/FavoriteName.cpp
  ${_settings_dir}/LengthLimits.cpp
  ${_settings_dir}/PasswordScrambler.cpp
  ${_settings_dir}/ProfileValues.cpp
  ${_settings_dir}/ScanRequestParams.cpp
  ${_settings_dir}/ScanSettings.cpp
  ${_settings_dir}/SettingsLists.cpp
  ${_settings_dir}/SettingsPaths.cpp
  ${_settings_dir}/SettingsStore.cpp
  ${_settings_dir}/TextFormat.cpp
  ${_settings_dir}/UnitConversion.cpp
  ${_settings_dir}/ValueList.cpp)
target_include_directories(corv_settings PUBLIC ${_settings_dir})

if(CORV_WIN32)
  add_library(corv_settings_win STATIC
    ${_settings_dir}/AnsiText_win.cpp
    ${_settings_dir}/ModuleStrings_win.cpp
    ${_settings_dir}/ProfileFile_win.cpp
    ${_settings_dir}/SettingsFiles_win.cpp
    ${_settings_dir}/SettingsLocator_win.cpp)
  target_link_libraries(corv_settings_win PUBLIC corv_settings shell32)
  # The tests take the strings from their own module.
  set(_settings_strings
    ${_settings_dir}/tests/ModuleTestStrings_win.cpp
    ${_settings_dir}/res/settings_strings.rc)
  set(_settings_libs corv_settings_win)
else()
  set(_settings_strings ${_settings_dir}/tests/RcStrings.cpp)
  set(_settings_libs corv_settings)
endif()

corv_add_test(settings_tests
  SOURCES
    ${_settings_strings}
    ${_settings_dir}/tests/ValueListTest.cpp
    ${_settings_dir}/tests/UnitConversionTest.cpp
    ${_settings_dir}/tests/LengthLimitsTest.cpp
    ${_settings_dir}/tests/ScanRequestParamsTest.cpp
    ${_settings_dir}/tests/PasswordScramblerTest.cpp
    ${_settings_dir}/tests/SettingsStoreTest.cpp
    ${_settings_dir}/tests/SettingsPathsTest.cpp
    ${_settings_dir}/tests/FavoriteTest.cpp
  LIBS ${_settings_libs})
if(NOT CORV_WIN32)
  target_compile_definitions(settings_tests PRIVATE
    CORV_SETTINGS_RC="${_settings_dir}/res/settings_strings.rc"
    CORV_SETTINGS_IDS="${_settings_dir}/res/settings_ids.h")
endif()

if(CORV_WIN32)
  # Run in the Japanese ANSI code page (932), with Japanese folder names.
  corv_add_test(settings_storage_tests WINDOWS_ONLY JAPANESE
    SOURCES
      ${_settings_strings}
      ${_settings_dir}/tests/SettingsStorageTest_win.cpp
    LIBS corv_settings_win)
endif()

# Settings files hold whatever a user or an old version left in them.
corv_add_fuzzer(settings_fuzz
  SOURCES ${_settings_dir}/tests/SettingsFuzz.cpp
  LIBS corv_settings
  CORPUS ${_settings_dir}/tests/corpus)

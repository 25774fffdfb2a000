// The main dialog template and its controls. Control ids are shared with
// the pages and the preview, so they never change.
#pragma once

#define IDD_MAIN 1047
#define IDC_SCAN 1
#define IDC_CLOSE 2
#define IDC_SHADOW_BTN 1007
#define IDC_HIGHLIGHT_BTN 1008
#define IDC_ZOOM_BTN 1011
#define IDC_HAND_BTN 1013
#define IDC_PAPER_PLATEN 1023
#define IDC_PAPER_FEEDER 1024
#define IDC_SELECT_BTN 1025
#define IDC_PREVIEW 1026
#define IDC_PRESCAN 1029
#define IDC_UNIT 1034
#define IDC_SERVER 1056
#define IDC_IMAGE_STATIC 1066
#define IDC_RULER_H 1074
#define IDC_RULER_V 1075
#define IDC_ESTIMATED_SIZE 1095
#define IDC_RESET_STANDARD 1096
#define IDC_VERSION 1113
#define IDC_TABS 1142
#define IDC_FAVORITES 1175
#define IDC_FAVORITE_SAVE 1176
#define IDC_FAVORITE_LIST 1177
#define IDC_FAVORITES_LABEL 1178
#define IDC_FILENAME_EDIT 1179
#define IDC_FILENAME_LABEL 1180
#define IDC_SAVE_DEST 1181
#define IDC_PAPER_GROUP 1201
#define IDC_UNIT_LABEL 1202

// The favourites row's own entries and the favourite files' extension.
#define IDS_FAVORITE_EXT 37
#define IDS_FAVORITE_STANDARD 39
#define IDS_FAVORITE_CURRENT 40

// The preview's cursors; their ids are what the pointer rules name.
#define IDCUR_ZOOM_IN 1009
#define IDCUR_ZOOM_OUT 1010
#define IDCUR_ZOOM_LIMIT 1011
#define IDCUR_HAND_DRAGGING 1012
#define IDCUR_HAND 1013
// The pointer buttons' pictures.
#define IDB_SELECT_BTN 1301
#define IDB_ZOOM_BTN 1302
#define IDB_HAND_BTN 1303

#define IDM_EXIT 32771  // the "終了" command

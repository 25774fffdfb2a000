// Resource ids of corvsrc.ds: string table entries and the main dialog
// template with its controls. Control ids are shared with the pages and the
// preview, so they never change.
#pragma once

// ---- Strings -------------------------------------------------------------
#define IDS_VERSION_INFO 1
#define IDS_MANUFACTURER 2
#define IDS_DSM_LIBRARY 5
#define IDS_DSM_ENTRY 6
#define IDS_PRODUCT_FAMILY 28
#define IDS_PRODUCT_NAME 29
#define IDS_APP_TITLE 30
#define IDS_SETTINGS_FOLDER 31

// Range numbers of the capabilities: default, minimum, maximum, step.
#define IDS_XRES_DEFAULT 405
#define IDS_XRES_MIN 406
#define IDS_XRES_MAX 407
#define IDS_XRES_STEP 408
#define IDS_THRESHOLD_DEFAULT 410
#define IDS_THRESHOLD_MIN 411
#define IDS_THRESHOLD_MAX 412
#define IDS_THRESHOLD_STEP 413
#define IDS_BRIGHTNESS_DEFAULT 423
#define IDS_BRIGHTNESS_MIN 424
#define IDS_BRIGHTNESS_MAX 425
#define IDS_BRIGHTNESS_STEP 426
#define IDS_HIGHLIGHT_DEFAULT 427
#define IDS_HIGHLIGHT_MIN 428
#define IDS_HIGHLIGHT_MAX 429
#define IDS_HIGHLIGHT_STEP 430
#define IDS_CONTRAST_DEFAULT 431
#define IDS_CONTRAST_MIN 432
#define IDS_CONTRAST_MAX 433
#define IDS_CONTRAST_STEP 434
#define IDS_GAMMA_DEFAULT 435
#define IDS_GAMMA_MIN 436
#define IDS_GAMMA_MAX 437
#define IDS_GAMMA_STEP 438
#define IDS_SHADOW_DEFAULT 439
#define IDS_SHADOW_MIN 440
#define IDS_SHADOW_MAX 441
#define IDS_SHADOW_STEP 442

#define IDS_DEFAULT_XFER_FILE 445
#define IDS_NO_HOST 449
#define IDS_SERVER_PREFIX 451
#define IDS_SAVE_DEST_PREFIX 463
#define IDS_CONFIRM_DISCARD_PREVIEW 464
// Shown when the scan button is pressed in a build without the scan job.
#define IDS_SCAN_UNAVAILABLE 470

#define IDS_TAB_BASIC 2000
#define IDS_TAB_QUALITY 3000
#define IDS_TAB_INPUT 4000
#define IDS_AREA_MM 2400
#define IDS_AREA_INCH 2410
#define IDS_AREA_PT 2420
#define IDS_AREA_Q 2430

// ---- Main dialog -----------------------------------------------------------
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

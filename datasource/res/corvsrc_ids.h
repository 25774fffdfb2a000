// String ids of corvsrc.ds that every folder of the source may use: the
// module's names, the capability ranges and the main dialog's texts. Each
// folder's dialogs keep their own ids beside their templates.
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

// Resource ids of the scan job's progress, prescan-progress and cancel dialogs.
#pragma once

#define IDS_PAGE_NUMBER_FMT 600
#define IDS_STOPPING_SCAN 23050
#define IDS_CHECK_DEVICE_PANEL 23051

#define IDD_SCAN_PROGRESS 1200
#define IDD_PRESCAN_PROGRESS 1019
#define IDD_CANCEL_PROGRESS 1220
#define IDC_JOB_PROGRESS 1201
#define IDC_JOB_PAGE_TEXT 1202
#define IDC_JOB_BYTE_TEXT 1203
#define IDC_JOB_STATUS 1204
#define IDC_JOB_SIZE_LABEL 1205
#define IDC_JOB_NOTICE 1206
// The prescan window's two lines.
#define IDC_PRESCAN_TEXT 1203
#define IDC_PRESCAN_DETAIL 1204

// The version box: its template, controls and picture.
#pragma once

#define IDD_VERSION 1017
#define IDC_VERSION_PICTURE 1018
#define IDC_VERSION_TEXT 1019
#define IDC_VERSION_COPYRIGHT 1020
#define IDR_VERSION_PNG 1042
